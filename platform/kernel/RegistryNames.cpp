#include "platform/kernel/RegistryNames.h"

#include <algorithm>

#include "platform/kernel/Utf.h"

namespace ce::reg {
namespace {

// Length of a name in UTF-16 code units; the name is valid UTF-8.
std::size_t Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (unsigned char byte : utf8) {
    if ((byte & 0xC0) != 0x80) ++units;  // a lead byte starts a character
    if ((byte & 0xF8) == 0xF0) ++units;  // outside the BMP: a surrogate pair
  }
  return units;
}

std::optional<std::string> ControlCharacterProblem(std::string_view name) {
  for (unsigned char byte : name) {
    // Line breaks and other control characters could not be written to a
    // .reg file, whose lines are the unit of its syntax.
    if (byte < 0x20 || byte == 0x7F) return "a name may not contain control characters";
  }
  return std::nullopt;
}

}  // namespace

std::string FoldName(std::string_view utf8Name) { return ToUtf8(ce::FoldName(ToUtf16(utf8Name))); }

std::optional<std::string> KeyNameProblem(std::string_view utf8Name) {
  if (utf8Name.empty()) return "a key name may not be empty";
  if (utf8Name.find('\\') != std::string_view::npos) return "a key name may not contain a backslash";
  if (Utf16Length(utf8Name) > kMaxKeyNameLength) return "a key name may not be longer than 255 characters";
  return ControlCharacterProblem(utf8Name);
}

std::optional<std::string> ValueNameProblem(std::string_view utf8Name) {
  if (Utf16Length(utf8Name) > kMaxValueNameLength) return "a value name may not be longer than 16383 characters";
  return ControlCharacterProblem(utf8Name);
}

std::optional<std::vector<std::string>> SplitKeyPath(std::string_view utf8Path, std::string* problem,
                                                     std::size_t baseDepth) {
  std::vector<std::string> names;
  if (!utf8Path.empty() && utf8Path.back() == '\\') utf8Path.remove_suffix(1);
  if (utf8Path.empty()) return names;
  // Counted before anything is copied: a path of a million levels costs
  // one pass over its text.
  std::size_t depth = baseDepth + 1 + static_cast<std::size_t>(std::count(utf8Path.begin(), utf8Path.end(), '\\'));
  if (depth > kMaxKeyDepth) {
    if (problem) {
      *problem = "the key would lie " + std::to_string(depth) + " levels below its root; keys nest at most " +
                 std::to_string(kMaxKeyDepth) + " levels deep";
    }
    return std::nullopt;
  }
  std::size_t start = 0;
  while (true) {
    std::size_t end = utf8Path.find('\\', start);
    std::string_view name = utf8Path.substr(start, end == std::string_view::npos ? end : end - start);
    if (auto bad = KeyNameProblem(name)) {
      if (problem) *problem = *bad;
      return std::nullopt;
    }
    names.emplace_back(name);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return names;
}

}  // namespace ce::reg
