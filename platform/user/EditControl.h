// The platform's edit control, the window class "EDIT": text that the user
// types into and programs set and query, wrapped at the control's width
// when it is multi-line, drawn black on white in the control's font (the
// system font unless WM_SETFONT gave another), with a one-pixel caret at
// the insertion point while the control has the focus.
//
// Messages: WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH, WM_SETFONT,
// WM_GETFONT, WM_CHAR (characters, backspace, Return), WM_KEYDOWN (the
// cursor keys), WM_LBUTTONDOWN (focus and caret), EM_GETSEL, EM_SETSEL,
// EM_REPLACESEL, EM_SETREADONLY, EM_GETLINECOUNT, EM_LINEINDEX,
// EM_LINELENGTH, EM_LINEFROMCHAR. The control does not scroll: text below
// its bottom edge is there (and counted in lines) but not shown.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/user/EditLines.h"
#include "windows.h"

namespace ce {

class EditControl {
 public:
  explicit EditControl(HWND window);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT HandleEditMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void SetText(std::u16string_view text);
  void SetFont(HFONT font, bool redraw);
  void Type(WPARAM character);
  void MoveCaret(WPARAM key);
  void PlaceCaret(int x, int y);
  void Select(int start, int end);
  void Replace(std::u16string_view with);
  void DeleteBack();
  LRESULT LineIndex(WPARAM line) const;
  LRESULT LineLength(WPARAM index) const;
  LRESULT Selection(WPARAM startOut, LPARAM endOut) const;
  void Paint();

  void Relayout();
  void Redraw() const;
  bool Multiline() const;
  bool ReadOnly() const;
  std::size_t SelectionStart() const { return std::min(anchor_, caret_); }
  std::size_t SelectionEnd() const { return std::max(anchor_, caret_); }
  std::size_t CaretLine() const { return lines_.LineOf(caret_); }
  // Pixels from the left of line's start to index.
  int XOf(std::size_t line, std::size_t index) const;
  // The character boundary of a line closest to x pixels.
  std::size_t IndexAtX(std::size_t line, int x) const;
  std::size_t StepLeft(std::size_t index) const;
  std::size_t StepRight(std::size_t index) const;

  HWND window_;
  HFONT font_ = nullptr;  // nullptr: the system font
  std::u16string text_;   // what the window's text is
  std::vector<int> advances_;
  int lineHeight_ = 0;
  EditLines lines_;
  std::size_t anchor_ = 0;  // the selection runs from the anchor to the caret
  std::size_t caret_ = 0;
  bool focused_ = false;
};

}  // namespace ce
