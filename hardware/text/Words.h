// Splitting a line of a text file (scene, script) into its words: runs of
// characters between spaces, tabs and a stray carriage return from files
// written with CR LF line ends.
#pragma once

#include <string_view>
#include <vector>

namespace hw {

inline std::vector<std::string_view> SplitWords(std::string_view line) {
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

}  // namespace hw
