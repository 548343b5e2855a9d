// How an edit control's text falls into lines. A multi-line control wraps
// its text at its width: a line ends at a line break (CR LF, or a lone CR
// or LF), or after the last space that still fits; a word wider than the
// whole line is broken inside. Spaces at a wrap stay at the end of their
// line, so the next line starts with the next word. A single-line control
// keeps all of its text on one line.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace ce {

struct EditLine {
  std::size_t start;  // index of the line's first character
  std::size_t end;    // one past its last character, line break excluded
};

class EditLines {
 public:
  // advances[i] is the width in pixels of text[i].
  void Wrap(std::u16string_view text, std::span<const int> advances, int width, bool multiline);

  // At least one line, also for no text; a text ending in a line break
  // has an empty last line.
  std::size_t Count() const { return lines_.size(); }
  const EditLine& operator[](std::size_t line) const { return lines_[line]; }
  // The line a character index (a caret position) is on.
  std::size_t LineOf(std::size_t index) const;

 private:
  void WrapParagraph(std::u16string_view text, std::span<const int> advances, int width, std::size_t start,
                     std::size_t end);

  std::vector<EditLine> lines_{EditLine{0, 0}};
};

}  // namespace ce
