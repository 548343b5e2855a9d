// The platform's button control, the window class "BUTTON": push buttons,
// check boxes, radio buttons and group boxes, drawn black on white in the
// system font (grey when disabled).
//
// A tap (pen down and up inside the button) clicks it: an automatic check
// box toggles, an automatic radio button checks itself and unchecks the
// other radio buttons of its group, and the parent gets WM_COMMAND with
// BN_CLICKED. A group runs from a control with WS_GROUP up to the next
// one, in the order the parent's controls were created, hidden ones
// included. Group boxes take no input.
//
// Messages: BM_GETCHECK, BM_SETCHECK, BM_GETSTATE, BM_SETSTATE, BM_CLICK,
// WM_SETTEXT, WM_ENABLE, WM_PAINT, the pen.
#pragma once

#include <vector>

#include "windows.h"

namespace ce {

class ButtonControl {
 public:
  explicit ButtonControl(HWND window) : window_(window) {}
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  DWORD Kind() const;
  bool IsRadio() const;
  bool IsCheckBox() const;
  bool Inside(LPARAM lParam) const;
  void PenDown();
  void PenMove(LPARAM lParam);
  void PenUp(LPARAM lParam);
  void Click();
  void SetCheck(WPARAM check);
  void SetPressed(bool pressed);
  void UncheckRestOfGroup() const;

  void Paint();
  void PaintGroupBox(HDC dc, const RECT& client) const;
  void PaintPushButton(HDC dc, const RECT& client) const;
  void PaintMark(HDC dc, const RECT& client) const;
  void Redraw() const;

  HWND window_;
  WPARAM check_ = BST_UNCHECKED;
  bool pressed_ = false;   // shown pushed in
  bool tracking_ = false;  // the pen went down on it
};

// The controls of a dialog (or any window) in the order they were made.
std::vector<HWND> ChildrenInCreationOrder(HWND parent);

}  // namespace ce
