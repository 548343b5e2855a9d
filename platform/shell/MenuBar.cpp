#include "platform/shell/MenuBar.h"

#include <algorithm>
#include <vector>

#include "aygshell.h"
#include "platform/gdi/Rects.h"
#include "platform/kernel/LastError.h"
#include "platform/user/ControlDrawing.h"
#include "platform/user/ControlState.h"
#include "platform/user/Menu.h"
#include "platform/user/PopupMenu.h"
#include "platform/user/SystemClasses.h"

namespace ce {
namespace {

constexpr const char16_t* kClassName = u"MenuBar";
constexpr DWORD kHandheldRecordSize = 36;  // SHMENUBARINFO as the handheld lays it out
constexpr int kButtonPadding = 12;
constexpr int kMinButtonWidth = 56;
constexpr COLORREF kBarColour = RGB(228, 232, 240);
constexpr COLORREF kEdgeColour = RGB(120, 128, 144);
constexpr COLORREF kPressed = RGB(16, 40, 96);
constexpr COLORREF kPressedInk = RGB(255, 255, 255);

// What SHCreateMenuBar hands the new bar.
struct BarSetup {
  HMENU menu = nullptr;  // the bar takes it over
  HWND commandTarget = nullptr;
  COLORREF background = kBarColour;
};

struct BarButton {
  RECT rect{0, 0, 0, 0};  // client coordinates
  MenuEntry item;
};

class MenuBar {
 public:
  explicit MenuBar(HWND window) : window_(window) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE: return Create(*reinterpret_cast<const CREATESTRUCTW*>(lParam));
      case SHCMBM_GETMENU: return reinterpret_cast<LRESULT>(menu_);
      case WM_PAINT: Paint(); return 0;
      case WM_ERASEBKGND: return 1;
      case WM_LBUTTONDOWN: PenDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
      case WM_LBUTTONUP: PenUp(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
      case WM_DESTROY: Destroyed(); return 0;
      default: return DefWindowProcW(window_, message, wParam, lParam);
    }
  }

  void PopupClosed() {
    popup_ = nullptr;
    SetPressed(-1);
  }

 private:
  LRESULT Create(const CREATESTRUCTW& create) {
    const auto* setup = static_cast<const BarSetup*>(create.lpCreateParams);
    if (!setup) return -1;
    menu_ = setup->menu;
    commandTarget_ = setup->commandTarget;
    background_ = setup->background;
    return 0;
  }

  // The buttons of the bar menu's items as the menu is now.
  std::vector<BarButton> Buttons() const {
    std::vector<BarButton> buttons;
    if (!menu_) return buttons;
    auto items = MenuEntries(menu_);
    if (!items) return buttons;
    HDC dc = GetDC(window_);
    int left = 0;
    for (const MenuEntry& item : *items) {
      if (item.Separator()) continue;
      const std::u16string text = ShownMenuText(item.text);
      SIZE size{0, 0};
      GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
      const int width = std::max<int>(kMinButtonWidth, size.cx + 2 * kButtonPadding);
      buttons.push_back(BarButton{RECT{left, 0, left + width, kMenuBarHeight}, item});
      left += width;
    }
    ReleaseDC(window_, dc);
    return buttons;
  }

  static int ButtonAt(const std::vector<BarButton>& buttons, POINT p) {
    for (std::size_t i = 0; i < buttons.size(); ++i)
      if (Contains(buttons[i].rect, p)) return static_cast<int>(i);
    return -1;
  }

  void PenDown(POINT p) {
    const std::vector<BarButton> buttons = Buttons();
    const int index = ButtonAt(buttons, p);
    if (index < 0 || !buttons[static_cast<std::size_t>(index)].item.Enabled()) return;
    const BarButton& button = buttons[static_cast<std::size_t>(index)];
    SetPressed(index);
    if (!button.item.Popup()) {
      SetCapture(window_);  // a command button acts when the pen lifts on it
      return;
    }
    RECT bar{0, 0, 0, 0};
    GetWindowRect(window_, &bar);
    PopupMenuRequest request;
    request.menu = button.item.popup;
    request.anchor = POINT{bar.left + button.rect.left, bar.top};
    request.owner = window_;
    request.commandTarget = commandTarget_;
    request.closed = [bar = window_] {
      if (auto state = ControlStates<MenuBar>::Instance().Find(bar)) state->PopupClosed();
    };
    popup_ = OpenPopupMenu(std::move(request));
    if (!popup_) SetPressed(-1);
  }

  void PenUp(POINT p) {
    if (GetCapture() != window_) return;
    ReleaseCapture();
    const std::vector<BarButton> buttons = Buttons();
    const int index = ButtonAt(buttons, p);
    const bool chosen = index >= 0 && index == pressed_;
    SetPressed(-1);
    if (chosen) {
      const UINT_PTR id = buttons[static_cast<std::size_t>(index)].item.id;
      PostMessageW(commandTarget_, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
    }
  }

  void SetPressed(int index) {
    if (pressed_ == index) return;
    pressed_ = index;
    InvalidateRect(window_, nullptr, FALSE);
  }

  void Paint() {
    PaintScope paint(window_, background_);
    HDC dc = paint.dc();
    if (!dc) return;
    const RECT& client = paint.client();
    FillColour(dc, RECT{client.left, client.top, client.right, client.top + 1}, kEdgeColour);
    const std::vector<BarButton> buttons = Buttons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      const BarButton& button = buttons[i];
      const bool pressed = static_cast<int>(i) == pressed_;
      RECT face{button.rect.left, button.rect.top + 1, button.rect.right, button.rect.bottom};
      if (pressed) FillColour(dc, face, kPressed);
      const COLORREF ink = !button.item.Enabled() ? kControlGreyInk : pressed ? kPressedInk : kControlInk;
      DrawControlText(dc, ShownMenuText(button.item.text), face, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX,
                      ink);
      // A thin divider after each button.
      FillColour(dc, RECT{button.rect.right - 1, 5, button.rect.right, kMenuBarHeight - 4}, kEdgeColour);
    }
  }

  void Destroyed() {
    if (menu_) DestroyMenu(menu_);
    menu_ = nullptr;
  }

  HWND window_;
  HMENU menu_ = nullptr;
  HWND commandTarget_ = nullptr;
  COLORREF background_ = kBarColour;
  int pressed_ = -1;
  HWND popup_ = nullptr;
};

BOOL Refuse(DWORD error) {
  SetThreadError(error);
  return FALSE;
}

// The bar's menu as the record asks: none for an empty bar, a menu
// resource with SHCMBF_HMENU. Toolbar resources are not supported.
bool LoadBarMenu(const SHMENUBARINFO& info, HMENU& menu) {
  menu = nullptr;
  if (info.dwFlags & SHCMBF_EMPTYBAR) return true;
  if (!(info.dwFlags & SHCMBF_HMENU)) return Refuse(ERROR_NOT_SUPPORTED);
  menu = LoadMenuW(info.hInstRes, MAKEINTRESOURCEW(info.nToolBarId));
  return menu != nullptr;
}

}  // namespace

SystemClass MenuBarClass() { return SystemClass{kClassName, &ControlStates<MenuBar>::Procedure}; }

}  // namespace ce

extern "C" BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* pmbi) {
  if (!pmbi) return ce::Refuse(ERROR_INVALID_PARAMETER);
  pmbi->hwndMB = nullptr;
  if (pmbi->cbSize != ce::kHandheldRecordSize && pmbi->cbSize != sizeof(SHMENUBARINFO))
    return ce::Refuse(ERROR_INVALID_PARAMETER);
  if (!IsWindow(pmbi->hwndParent)) return ce::Refuse(ERROR_INVALID_WINDOW_HANDLE);
  ce::BarSetup setup;
  if (!ce::LoadBarMenu(*pmbi, setup.menu)) return FALSE;
  setup.commandTarget = pmbi->hwndParent;
  if (pmbi->dwFlags & SHCMBF_COLORBK) setup.background = pmbi->clrBk;
  const DWORD visible = (pmbi->dwFlags & SHCMBF_HIDDEN) ? 0 : WS_VISIBLE;
  const RECT& r = ce::kMenuBarRect;
  HWND bar = CreateWindowExW(WS_EX_NOACTIVATE, ce::kClassName, u"", WS_POPUP | visible, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, pmbi->hwndParent, nullptr, pmbi->hInstRes, &setup);
  if (!bar) {
    if (setup.menu) DestroyMenu(setup.menu);
    return FALSE;
  }
  pmbi->hwndMB = bar;
  return TRUE;
}
