#include "platform/user/EditLines.h"

#include <algorithm>

namespace ce {
namespace {

bool IsBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

// Where the next paragraph starts after the line break at index at.
std::size_t AfterBreak(std::u16string_view text, std::size_t at) {
  if (text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n') return at + 2;
  return at + 1;
}

}  // namespace

void EditLines::Wrap(std::u16string_view text, std::span<const int> advances, int width, bool multiline) {
  lines_.clear();
  if (!multiline) {
    lines_.push_back(EditLine{0, text.size()});
    return;
  }
  std::size_t start = 0;
  for (;;) {
    std::size_t end = start;
    while (end < text.size() && !IsBreak(text[end])) ++end;
    WrapParagraph(text, advances, width, start, end);
    if (end == text.size()) break;
    start = AfterBreak(text, end);
  }
}

// Lays out the characters [start, end), which hold no line break.
void EditLines::WrapParagraph(std::u16string_view text, std::span<const int> advances, int width, std::size_t start,
                              std::size_t end) {
  std::size_t begin = start;
  do {
    std::size_t at = begin;
    std::size_t afterSpaces = end;  // just past the last run of spaces that fitted
    bool spaceSeen = false;
    int used = 0;
    while (at < end) {
      const int advance = at < advances.size() ? advances[at] : 0;
      // Spaces hang past the edge; anything else that does not fit moves
      // on, except the first character of a line, which always stays.
      if (at > begin && text[at] != u' ' && used + advance > width) break;
      used += advance;
      ++at;
      if (text[at - 1] == u' ' && (at == end || text[at] != u' ')) {
        afterSpaces = at;
        spaceSeen = true;
      }
    }
    if (at < end && spaceSeen) at = afterSpaces;
    lines_.push_back(EditLine{begin, at});
    begin = at;
  } while (begin < end);
}

std::size_t EditLines::LineOf(std::size_t index) const {
  auto after = std::upper_bound(lines_.begin(), lines_.end(), index,
                                [](std::size_t i, const EditLine& line) { return i < line.start; });
  return after == lines_.begin() ? 0 : static_cast<std::size_t>(after - lines_.begin()) - 1;
}

}  // namespace ce
