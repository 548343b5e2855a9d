#include "platform/user/ButtonControl.h"

#include <algorithm>

#include "platform/user/ControlDrawing.h"
#include "platform/user/ControlState.h"
#include "platform/user/SystemClasses.h"
#include "platform/user/WindowManager.h"

namespace ce {
namespace {

constexpr int kMarkSize = 13;  // the check box's square and the radio circle
constexpr int kMarkGap = 5;    // between the mark and the text
constexpr int kGroupTextIndent = 6;
constexpr WPARAM kPushedState = 0x0004;  // BM_GETSTATE: shown pushed in

DWORD KindOf(HWND window) { return static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & BS_TYPEMASK; }

bool IsRadioKind(DWORD kind) { return kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON; }

bool StartsGroup(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_GROUP) != 0; }

}  // namespace

SystemClass ButtonClass() { return WhiteControlClass(u"BUTTON", ControlStates<ButtonControl>::Procedure); }

std::vector<HWND> ChildrenInCreationOrder(HWND parent) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WindowPtr window = wm.tree().Find(parent);
  if (!window) return {};
  std::vector<HWND> order;
  // Children are kept front first and each new one goes in front; handles
  // grow with creation, so they give the order whatever was raised since.
  for (HWND h : window->children)
    if (WindowPtr child = wm.tree().Find(h); child && !child->destroying) order.push_back(h);
  std::sort(order.begin(), order.end(), [](HWND a, HWND b) {
    return reinterpret_cast<std::uintptr_t>(a) < reinterpret_cast<std::uintptr_t>(b);
  });
  return order;
}

LRESULT ButtonControl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case BM_GETCHECK: return static_cast<LRESULT>(check_);
    case BM_SETCHECK: SetCheck(wParam); return 0;
    case BM_GETSTATE: return static_cast<LRESULT>(check_ | (pressed_ ? kPushedState : 0));
    case BM_SETSTATE: SetPressed(wParam != 0); return 0;
    case BM_CLICK: Click(); return 0;
    case WM_LBUTTONDOWN: PenDown(); return 0;
    case WM_MOUSEMOVE: PenMove(lParam); return 0;
    case WM_LBUTTONUP: PenUp(lParam); return 0;
    case WM_PAINT: Paint(); return 0;
    case WM_ENABLE:
    case WM_SETTEXT: return RedrawOnChange(window_, message, wParam, lParam);
    default: return DefWindowProcW(window_, message, wParam, lParam);
  }
}

DWORD ButtonControl::Kind() const { return KindOf(window_); }
bool ButtonControl::IsRadio() const { return IsRadioKind(Kind()); }
bool ButtonControl::IsCheckBox() const { return Kind() == BS_CHECKBOX || Kind() == BS_AUTOCHECKBOX; }

bool ButtonControl::Inside(LPARAM lParam) const {
  RECT client{0, 0, 0, 0};
  GetClientRect(window_, &client);
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  return PtInRect(&client, at) != FALSE;
}

void ButtonControl::PenDown() {
  if (Kind() == BS_GROUPBOX) return;
  tracking_ = true;
  SetCapture(window_);
  SetPressed(true);
}

void ButtonControl::PenMove(LPARAM lParam) {
  if (tracking_) SetPressed(Inside(lParam));
}

void ButtonControl::PenUp(LPARAM lParam) {
  if (!tracking_) return;
  tracking_ = false;
  ReleaseCapture();
  SetPressed(false);
  if (Inside(lParam)) Click();
}

void ButtonControl::Click() {
  if (Kind() == BS_GROUPBOX) return;
  if (Kind() == BS_AUTOCHECKBOX) SetCheck(check_ == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
  if (Kind() == BS_AUTORADIOBUTTON) {
    SetCheck(BST_CHECKED);
    UncheckRestOfGroup();
  }
  HWND parent = GetParent(window_);
  if (!parent) return;
  const int id = GetDlgCtrlID(window_);
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(window_));
}

// Only buttons with a mark keep a check; the others ignore it.
void ButtonControl::SetCheck(WPARAM check) {
  if (!IsRadio() && !IsCheckBox()) return;
  const WPARAM now = check == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
  if (now == check_) return;
  check_ = now;
  Redraw();
}

void ButtonControl::SetPressed(bool pressed) {
  if (pressed == pressed_) return;
  pressed_ = pressed;
  Redraw();
}

void ButtonControl::UncheckRestOfGroup() const {
  const std::vector<HWND> order = ChildrenInCreationOrder(GetParent(window_));
  auto self = std::find(order.begin(), order.end(), window_);
  if (self == order.end()) return;
  auto first = self;
  while (first != order.begin() && !StartsGroup(*first)) --first;
  for (auto it = first; it != order.end(); ++it) {
    if (it != first && StartsGroup(*it)) break;
    if (*it != window_ && IsRadioKind(KindOf(*it))) SendMessageW(*it, BM_SETCHECK, BST_UNCHECKED, 0);
  }
}

void ButtonControl::Paint() {
  PaintScope paint(window_, kControlPaper);
  HDC dc = paint.dc();
  if (!dc) return;
  const RECT& client = paint.client();
  if (Kind() == BS_GROUPBOX) PaintGroupBox(dc, client);
  else if (IsRadio() || IsCheckBox()) PaintMark(dc, client);
  else PaintPushButton(dc, client);
}

// A frame whose top edge runs through the middle of the caption's line,
// the caption on the paper over it.
void ButtonControl::PaintGroupBox(HDC dc, const RECT& client) const {
  const COLORREF ink = InkOf(window_);
  const int line = SystemLineHeight();
  FrameColour(dc, RECT{client.left, client.top + line / 2, client.right, client.bottom}, ink);
  const std::u16string text = WindowText(window_);
  if (text.empty()) return;
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
  const RECT caption{client.left + kGroupTextIndent, client.top,
                     std::min<LONG>(client.left + kGroupTextIndent + size.cx + 2, client.right - 1), client.top + line};
  FillColour(dc, caption, kControlPaper);
  DrawControlText(dc, text, RECT{caption.left + 1, caption.top, caption.right, caption.bottom},
                  DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX, ink);
}

void ButtonControl::PaintPushButton(HDC dc, const RECT& client) const {
  const COLORREF ink = InkOf(window_);
  if (pressed_) FillColour(dc, client, ink);
  FrameColour(dc, client, ink);
  const std::u16string text = WindowText(window_);
  DrawControlText(dc, text, client, DT_CENTER | DT_VCENTER | DT_SINGLELINE, pressed_ ? kControlPaper : ink);
}

// The mark (a circle for radio buttons, a square for check boxes) at the
// left, vertically centred, the text after it.
void ButtonControl::PaintMark(HDC dc, const RECT& client) const {
  const COLORREF ink = InkOf(window_);
  const int size = std::min<int>(kMarkSize, client.bottom - client.top);
  const int top = client.top + (client.bottom - client.top - size) / 2;
  const RECT mark{client.left, top, client.left + size, top + size};
  const bool checked = check_ == BST_CHECKED;
  if (IsRadio()) {
    if (pressed_) DrawCircle(dc, mark, kControlGreyInk, true);
    DrawCircle(dc, mark, ink, false);
    if (checked) DrawCircle(dc, RECT{mark.left + 3, mark.top + 3, mark.right - 3, mark.bottom - 3}, ink, true);
  } else {
    if (pressed_) FillColour(dc, mark, kControlGreyInk);
    FrameColour(dc, mark, ink);
    if (checked) FillColour(dc, RECT{mark.left + 3, mark.top + 3, mark.right - 3, mark.bottom - 3}, ink);
  }
  const std::u16string text = WindowText(window_);
  DrawControlText(dc, text, RECT{mark.right + kMarkGap, client.top, client.right, client.bottom},
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE, ink);
}

void ButtonControl::Redraw() const { InvalidateRect(window_, nullptr, TRUE); }

}  // namespace ce
