// The message box on the screen: a window in front of everything, centred
// on the screen, with a caption bar, the text wrapped to the box's width
// and a row of buttons. The caller's thread runs a modal loop until a
// button is chosen.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/gdi/Rects.h"
#include "platform/user/ControlDrawing.h"
#include "platform/user/ControlState.h"
#include "platform/user/MessageBox.h"
#include "platform/user/SystemClasses.h"

namespace ce {
namespace {

constexpr const char16_t* kClassName = u"MessageBox";
constexpr int kScreenWidth = 240;
constexpr int kScreenHeight = 320;
constexpr int kTopOfWorkArea = 26;  // below the navigation bar
constexpr int kWidth = 216;
constexpr int kCaptionHeight = 22;
constexpr int kMargin = 10;
constexpr int kButtonWidth = 64;
constexpr int kButtonHeight = 24;
constexpr int kButtonGap = 8;
constexpr COLORREF kCaptionColour = RGB(16, 40, 96);
constexpr COLORREF kCaptionInk = RGB(255, 255, 255);
constexpr UINT kTextFormat = DT_LEFT | DT_WORDBREAK | DT_NOPREFIX;

struct BoxSetup {
  std::u16string text;
  UINT type = 0;
  int answer = 0;  // the button chosen; 0 while the box is open
};

// Where the parts of a box go, in its client coordinates.
struct BoxLayout {
  SIZE size{0, 0};
  RECT caption{0, 0, 0, 0};
  RECT text{0, 0, 0, 0};
  std::vector<RECT> buttons;
};

int WrappedTextHeight(std::u16string_view text) {
  RECT rect{0, 0, kWidth - 2 * kMargin, 0};
  HDC dc = GetDC(nullptr);
  DrawTextW(dc, text.data(), static_cast<int>(text.size()), &rect, kTextFormat | DT_CALCRECT);
  ReleaseDC(nullptr, dc);
  return std::max<int>(rect.bottom - rect.top, SystemLineHeight());
}

BoxLayout LayOut(std::u16string_view text, UINT type) {
  BoxLayout layout;
  const int textTop = 1 + kCaptionHeight + kMargin;
  const int textBottom = textTop + WrappedTextHeight(text);
  layout.caption = RECT{1, 1, kWidth - 1, 1 + kCaptionHeight};
  layout.text = RECT{kMargin, textTop, kWidth - kMargin, textBottom};
  const auto count = static_cast<int>(MessageBoxButtons(type).size());
  const int rowWidth = count * kButtonWidth + (count - 1) * kButtonGap;
  const int buttonTop = textBottom + kMargin + 2;
  for (int i = 0, left = (kWidth - rowWidth) / 2; i < count; ++i, left += kButtonWidth + kButtonGap)
    layout.buttons.push_back(RECT{left, buttonTop, left + kButtonWidth, buttonTop + kButtonHeight});
  layout.size = SIZE{kWidth, buttonTop + kButtonHeight + kMargin + 1};
  return layout;
}

class MessageBoxWindow {
 public:
  explicit MessageBoxWindow(HWND window) : window_(window) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE: return Create(*reinterpret_cast<const CREATESTRUCTW*>(lParam));
      case WM_PAINT: Paint(); return 0;
      case WM_ERASEBKGND: return 1;
      case WM_LBUTTONDOWN: SetPressed(ButtonAt(lParam)); return 0;
      case WM_LBUTTONUP: PenUp(ButtonAt(lParam)); return 0;
      case WM_KEYDOWN: Key(wParam); return 0;
      default: return DefWindowProcW(window_, message, wParam, lParam);
    }
  }

 private:
  LRESULT Create(const CREATESTRUCTW& create) {
    setup_ = static_cast<BoxSetup*>(create.lpCreateParams);
    if (!setup_) return -1;
    layout_ = LayOut(setup_->text, setup_->type);
    // Modal: every tap comes to the box, the keys too.
    SetCapture(window_);
    SetFocus(window_);
    return 0;
  }

  int ButtonAt(LPARAM lParam) const {
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    for (std::size_t i = 0; i < layout_.buttons.size(); ++i)
      if (Contains(layout_.buttons[i], p)) return static_cast<int>(i);
    return -1;
  }

  void PenUp(int button) {
    const bool chosen = button >= 0 && button == pressed_;
    SetPressed(-1);
    if (chosen) setup_->answer = MessageBoxButtons(setup_->type)[static_cast<std::size_t>(button)];
  }

  void Key(WPARAM key) {
    if (key == VK_RETURN) setup_->answer = DefaultButton(setup_->type);
    std::span<const int> buttons = MessageBoxButtons(setup_->type);
    if (key == VK_ESCAPE && std::find(buttons.begin(), buttons.end(), IDCANCEL) != buttons.end())
      setup_->answer = IDCANCEL;
  }

  void SetPressed(int button) {
    if (button == pressed_) return;
    pressed_ = button;
    InvalidateRect(window_, nullptr, FALSE);
  }

  void Paint() {
    PaintScope paint(window_, kControlPaper);
    HDC dc = paint.dc();
    if (!dc) return;
    FrameColour(dc, RECT{0, 0, layout_.size.cx, layout_.size.cy}, kControlInk);
    FillColour(dc, layout_.caption, kCaptionColour);
    RECT captionText = layout_.caption;
    captionText.left += 6;
    DrawControlText(dc, WindowText(window_), captionText, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX,
                    kCaptionInk);
    DrawControlText(dc, setup_->text, layout_.text, kTextFormat, kControlInk);
    std::span<const int> ids = MessageBoxButtons(setup_->type);
    for (std::size_t i = 0; i < layout_.buttons.size(); ++i) {
      const bool pressed = static_cast<int>(i) == pressed_;
      FillColour(dc, layout_.buttons[i], pressed ? kCaptionColour : kControlPaper);
      FrameColour(dc, layout_.buttons[i], kControlInk);
      DrawControlText(dc, MessageBoxButtonText(ids[i]), layout_.buttons[i],
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, pressed ? kCaptionInk : kControlInk);
    }
  }

  HWND window_;
  BoxSetup* setup_ = nullptr;
  BoxLayout layout_;
  int pressed_ = -1;
};

// Runs this thread's messages until the box has its answer or is gone. A
// WM_QUIT that arrives meanwhile is put back for the program's own loop.
void RunModalLoop(HWND box, const BoxSetup& setup) {
  MSG msg;
  while (setup.answer == 0 && IsWindow(box)) {
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

SystemClass MessageBoxClass() { return SystemClass{kClassName, ControlStates<MessageBoxWindow>::Procedure}; }

int ShowMessageBoxOnScreen(HWND owner, std::u16string_view text, std::u16string_view caption, UINT type) {
  BoxSetup setup{std::u16string(text), type, 0};
  const SIZE size = LayOut(text, type).size;
  const int left = (kScreenWidth - size.cx) / 2;
  const int top = std::max(kTopOfWorkArea, (kScreenHeight - static_cast<int>(size.cy)) / 2);
  if (owner && !IsWindow(owner)) owner = nullptr;
  const std::u16string title(caption);
  HWND box = CreateWindowExW(WS_EX_TOPMOST, kClassName, title.c_str(), WS_POPUP | WS_VISIBLE, left, top, size.cx,
                             size.cy, owner, nullptr, nullptr, &setup);
  if (!box) return DefaultButton(type);
  // The owner takes no input while its box is up.
  const bool disableOwner = owner && IsWindowEnabled(owner);
  if (disableOwner) EnableWindow(owner, FALSE);
  RunModalLoop(box, setup);
  if (disableOwner && IsWindow(owner)) EnableWindow(owner, TRUE);
  if (IsWindow(box)) DestroyWindow(box);
  return setup.answer != 0 ? setup.answer : DefaultButton(type);
}

}  // namespace ce
