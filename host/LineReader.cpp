#include "host/LineReader.h"

#include <fstream>
#include <sstream>

namespace host {

std::vector<std::string_view> SplitWords(std::string_view line) {
  auto isGap = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  std::vector<std::string_view> words;
  std::size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && isGap(line[pos])) ++pos;
    std::size_t end = pos;
    while (end < line.size() && !isGap(line[end])) ++end;
    if (end > pos) words.push_back(line.substr(pos, end - pos));
    pos = end;
  }
  return words;
}

bool LineReader::Next(TextLine& line) {
  // The text after the last line break is a line too, even when empty.
  while (pos_ <= text_.size()) {
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view text = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    ++number_;
    if (auto hash = text.find('#'); hash != std::string_view::npos) text = text.substr(0, hash);
    std::vector<std::string_view> words = SplitWords(text);
    if (words.empty()) continue;
    line = TextLine{number_, text, std::move(words)};
    return true;
  }
  return false;
}

std::optional<std::string> ReadTextFile(const std::filesystem::path& file, std::string_view kind, std::string& error) {
  const std::string what = "cannot read the " + std::string(kind) + " " + file.string();
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) {
    error = what + ": it is a folder";
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = what;
    return std::nullopt;
  }
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace host
