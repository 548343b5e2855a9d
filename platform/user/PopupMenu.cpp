#include "platform/user/PopupMenu.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/gdi/Rects.h"
#include "platform/kernel/LastError.h"
#include "platform/user/ControlDrawing.h"
#include "platform/user/ControlState.h"
#include "platform/user/Menu.h"
#include "platform/user/SystemClasses.h"

namespace ce {
namespace {

constexpr const char16_t* kClassName = u"PopupMenu";
constexpr int kScreenWidth = 240;
constexpr int kBorder = 1;
constexpr int kItemHeight = 22;
constexpr int kSeparatorHeight = 7;
constexpr int kTextLeft = 20;    // room for a check mark
constexpr int kTextRight = 18;   // room for a sub-menu's arrow
constexpr int kMinWidth = 96;
constexpr COLORREF kHighlight = RGB(16, 40, 96);
constexpr COLORREF kHighlightInk = RGB(255, 255, 255);
constexpr COLORREF kSeparatorInk = RGB(160, 160, 160);

struct Row {
  RECT rect{0, 0, 0, 0};  // client coordinates
  MenuEntry item;
};

int TextWidth(HDC dc, std::u16string_view text) {
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// The rows of the items, one under the other, and the size they need.
std::vector<Row> LayOut(const std::vector<MenuEntry>& items, SIZE& size) {
  std::vector<Row> rows;
  HDC dc = GetDC(nullptr);
  int width = kMinWidth;
  int y = kBorder + 1;
  for (const MenuEntry& item : items) {
    const int height = item.Separator() ? kSeparatorHeight : kItemHeight;
    rows.push_back(Row{RECT{kBorder, y, 0, y + height}, item});
    y += height;
    if (!item.Separator())
      width = std::max(width, kTextLeft + TextWidth(dc, ShownMenuText(item.text)) + kTextRight + 2 * kBorder);
  }
  ReleaseDC(nullptr, dc);
  width = std::min(width, kScreenWidth);
  for (Row& row : rows) row.rect.right = width - kBorder;
  size = SIZE{width, y + 1 + kBorder};
  return rows;
}

// A small tick to the left of a checked item's text.
void DrawCheck(HDC dc, const RECT& row, COLORREF ink) {
  const int x = row.left + 6;
  const int y = (row.top + row.bottom) / 2;
  for (int i = 0; i < 3; ++i) FillColour(dc, RECT{x + i, y - 1 + i, x + i + 1, y + 1 + i}, ink);
  for (int i = 0; i < 5; ++i) FillColour(dc, RECT{x + 3 + i, y + 1 - i, x + 4 + i, y + 3 - i}, ink);
}

// A right-pointing triangle: this item opens a further menu.
void DrawArrow(HDC dc, const RECT& row, COLORREF ink) {
  const int x = row.right - 12;
  const int y = (row.top + row.bottom) / 2;
  for (int i = 0; i < 4; ++i) FillColour(dc, RECT{x + i, y - 3 + i, x + i + 1, y + 4 - i}, ink);
}

class PopupMenu {
 public:
  explicit PopupMenu(HWND window) : window_(window) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE: return Open(*reinterpret_cast<const CREATESTRUCTW*>(lParam));
      case WM_PAINT: Paint(); return 0;
      case WM_ERASEBKGND: return 1;
      case WM_LBUTTONDOWN: PenDown(PointOf(lParam)); return 0;
      case WM_MOUSEMOVE: SetHighlight(RowAt(PointOf(lParam))); return 0;
      case WM_LBUTTONUP: PenUp(PointOf(lParam)); return 0;
      case WM_KEYDOWN: Key(wParam); return 0;
      case WM_CAPTURECHANGED:
      case WM_CANCELMODE: Close(std::nullopt); return 0;
      case WM_DESTROY: Gone(); return 0;
      default: return DefWindowProcW(window_, message, wParam, lParam);
    }
  }

  void Start(PopupMenuRequest request, std::vector<Row> rows) {
    request_ = std::move(request);
    rows_ = std::move(rows);
  }

 private:
  static POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

  LRESULT Open(const CREATESTRUCTW& create) {
    auto* start = static_cast<std::pair<PopupMenuRequest, std::vector<Row>>*>(create.lpCreateParams);
    if (!start) return -1;
    Start(std::move(start->first), std::move(start->second));
    // The pen and the keys belong to the menu while it is open.
    SetCapture(window_);
    previousFocus_ = SetFocus(window_);
    return 0;
  }

  int RowAt(POINT p) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
      if (Contains(rows_[i].rect, p)) return static_cast<int>(i);
    return -1;
  }

  bool Inside(POINT p) const {
    RECT client{0, 0, 0, 0};
    GetClientRect(window_, &client);
    return Contains(client, p);
  }

  // A new stroke: outside the menu it closes the menu (and is used up).
  void PenDown(POINT p) {
    openingStroke_ = false;
    if (!Inside(p)) return Close(std::nullopt);
    SetHighlight(RowAt(p));
  }

  // Lifting the pen on a command chooses it. The stroke that opened the
  // menu may end outside it (a tap on the menu's button): the menu stays.
  void PenUp(POINT p) {
    const int row = RowAt(p);
    if (row >= 0 && rows_[static_cast<std::size_t>(row)].item.Choosable())
      return Close(rows_[static_cast<std::size_t>(row)].item.id);
    if (!Inside(p) && !openingStroke_) return Close(std::nullopt);
    openingStroke_ = false;
    SetHighlight(-1);
  }

  void Key(WPARAM key) {
    switch (key) {
      case VK_UP: return Step(-1);
      case VK_DOWN: return Step(+1);
      case VK_RETURN:
        if (highlight_ >= 0 && rows_[static_cast<std::size_t>(highlight_)].item.Choosable())
          return Close(rows_[static_cast<std::size_t>(highlight_)].item.id);
        return;
      case VK_ESCAPE:
      case VK_LEFT: return Close(std::nullopt);
      default: return;
    }
  }

  // To the next item that can be chosen, wrapping round.
  void Step(int direction) {
    const int count = static_cast<int>(rows_.size());
    int at = highlight_;
    for (int tries = 0; tries < count; ++tries) {
      at = at < 0 ? (direction > 0 ? 0 : count - 1) : (at + direction + count) % count;
      if (rows_[static_cast<std::size_t>(at)].item.Choosable()) return SetHighlight(at);
    }
  }

  void SetHighlight(int row) {
    if (row >= 0 && rows_[static_cast<std::size_t>(row)].item.Separator()) row = -1;
    if (row == highlight_) return;
    const int old = highlight_;
    highlight_ = row;
    HDC dc = GetDC(window_);
    if (old >= 0) PaintRow(dc, rows_[static_cast<std::size_t>(old)], false);
    if (row >= 0) PaintRow(dc, rows_[static_cast<std::size_t>(row)], true);
    ReleaseDC(window_, dc);
  }

  void Paint() {
    PaintScope paint(window_, kControlPaper);
    HDC dc = paint.dc();
    if (!dc) return;
    FrameColour(dc, paint.client(), kControlInk);
    for (std::size_t i = 0; i < rows_.size(); ++i) PaintRow(dc, rows_[i], static_cast<int>(i) == highlight_);
  }

  static void PaintRow(HDC dc, const Row& row, bool highlighted) {
    FillColour(dc, row.rect, highlighted ? kHighlight : kControlPaper);
    if (row.item.Separator()) {
      const int y = (row.rect.top + row.rect.bottom) / 2;
      FillColour(dc, RECT{row.rect.left + 3, y, row.rect.right - 3, y + 1}, kSeparatorInk);
      return;
    }
    const COLORREF ink = !row.item.Enabled() ? kControlGreyInk : highlighted ? kHighlightInk : kControlInk;
    if (row.item.flags & MF_CHECKED) DrawCheck(dc, row.rect, ink);
    if (row.item.Popup()) DrawArrow(dc, row.rect, ink);
    RECT text{row.rect.left + kTextLeft - kBorder, row.rect.top, row.rect.right - kTextRight, row.rect.bottom};
    DrawControlText(dc, ShownMenuText(row.item.text), text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, ink);
  }

  // The menu goes away; a chosen command follows once it has gone.
  void Close(std::optional<UINT_PTR> chosen) {
    if (closing_) return;
    closing_ = true;
    if (GetCapture() == window_) ReleaseCapture();
    RestoreFocus();
    const HWND target = request_.commandTarget;
    auto closed = std::move(request_.closed);
    DestroyWindow(window_);
    if (closed) closed();
    if (chosen) PostMessageW(target, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(*chosen), 0), 0);
  }

  // Destroyed from outside (its owner went): no command.
  void Gone() {
    if (closing_) return;
    closing_ = true;
    RestoreFocus();
    if (auto closed = std::move(request_.closed)) closed();
  }

  void RestoreFocus() {
    if (GetFocus() == window_ && previousFocus_ && IsWindow(previousFocus_)) SetFocus(previousFocus_);
  }

  HWND window_;
  PopupMenuRequest request_;
  std::vector<Row> rows_;
  int highlight_ = -1;
  bool openingStroke_ = true;
  bool closing_ = false;
  HWND previousFocus_ = nullptr;
};

}  // namespace

HWND OpenPopupMenu(PopupMenuRequest request) {
  std::optional<std::vector<MenuEntry>> items = MenuEntries(request.menu);
  if (!items) return nullptr;
  if (items->empty()) {
    SetThreadError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  SIZE size{0, 0};
  std::vector<Row> rows = LayOut(*items, size);
  const int left = std::clamp(static_cast<int>(request.anchor.x), 0, kScreenWidth - static_cast<int>(size.cx));
  const int top = std::max(0, static_cast<int>(request.anchor.y - size.cy));
  const HWND owner = request.owner;
  std::pair<PopupMenuRequest, std::vector<Row>> start{std::move(request), std::move(rows)};
  return CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, kClassName, u"", WS_POPUP | WS_VISIBLE, left, top, size.cx,
                         size.cy, owner, nullptr, nullptr, &start);
}

SystemClass PopupMenuClass() { return SystemClass{kClassName, ControlStates<PopupMenu>::Procedure}; }

}  // namespace ce
