// Reading the host's text files (scenes, scripts): one entry a line, '#'
// starts a comment, words are runs of characters between spaces, tabs and
// a stray carriage return from files written with CR LF line ends.
#pragma once

#include <charconv>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

std::vector<std::string_view> SplitWords(std::string_view line);

// A number that is the whole word (no sign or space around it, nothing
// after it); false, value untouched, otherwise.
template <class T>
bool ParseNumber(std::string_view word, T& value) {
  T parsed{};
  const char* end = word.data() + word.size();
  auto [ptr, ec] = std::from_chars(word.data(), end, parsed);
  if (ec != std::errc() || ptr != end) return false;
  value = parsed;
  return true;
}

struct TextLine {
  int number = 0;         // 1-based
  std::string_view text;  // without its comment
  std::vector<std::string_view> words;
};

// The lines of a text that hold words once their comment is cut off, in
// order; blank and comment-only lines are passed over but counted.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  bool Next(TextLine& line);

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  int number_ = 0;
};

// The whole file; nullopt and "cannot read the <kind> FILE[: why]" when it
// cannot be read.
std::optional<std::string> ReadTextFile(const std::filesystem::path& file, std::string_view kind, std::string& error);

}  // namespace host
