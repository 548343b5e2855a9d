// The platform's trackbar, the window class "msctls_trackbar32": a
// horizontal channel with a thumb that shows a position in a range. The
// program sets the range and the position (always kept inside the range);
// the user drags the thumb with the pen, and the parent hears of each move
// by WM_HSCROLL (TB_THUMBTRACK while dragging, TB_ENDTRACK when the pen
// lifts). With TBS_AUTOTICKS a tick marks every position under the
// channel. Drawn black on white, grey when disabled.
#include <algorithm>

#include "commctrl.h"
#include "platform/user/ControlDrawing.h"
#include "platform/user/ControlState.h"
#include "platform/user/SystemClasses.h"

namespace ce {
namespace {

constexpr int kThumbWidth = 9;
constexpr int kChannelHeight = 4;
constexpr int kTickLength = 3;
constexpr int kMostTicks = 100;  // beyond this a tick per position is a smear

class TrackbarControl {
 public:
  explicit TrackbarControl(HWND window) : window_(window) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case TBM_GETPOS: return pos_;
      case TBM_GETRANGEMIN: return min_;
      case TBM_GETRANGEMAX: return max_;
      case TBM_SETPOS: SetPos(static_cast<LONG>(lParam), wParam != 0); return 0;
      case TBM_SETRANGE:
        SetRange(static_cast<LONG>(LOWORD(lParam)), static_cast<LONG>(HIWORD(lParam)), wParam != 0);
        return 0;
      case TBM_SETRANGEMIN: SetRange(static_cast<LONG>(lParam), max_, wParam != 0); return 0;
      case TBM_SETRANGEMAX: SetRange(min_, static_cast<LONG>(lParam), wParam != 0); return 0;
      case WM_LBUTTONDOWN: PenDown(lParam); return 0;
      case WM_MOUSEMOVE: PenMove(lParam); return 0;
      case WM_LBUTTONUP: PenUp(); return 0;
      case WM_PAINT: Paint(); return 0;
      case WM_ENABLE: Redraw(); return 0;
      default: return DefWindowProcW(window_, message, wParam, lParam);
    }
  }

 private:
  // A range given upside down keeps its ends in order.
  void SetRange(LONG low, LONG high, bool redraw) {
    min_ = std::min(low, high);
    max_ = std::max(low, high);
    pos_ = std::clamp(pos_, min_, max_);
    if (redraw) Redraw();
  }

  void SetPos(LONG pos, bool redraw) {
    pos_ = std::clamp(pos, min_, max_);
    if (redraw) Redraw();
  }

  void PenDown(LPARAM lParam) {
    dragging_ = true;
    SetCapture(window_);
    MoveTo(GET_X_LPARAM(lParam));
  }

  void PenMove(LPARAM lParam) {
    if (dragging_) MoveTo(GET_X_LPARAM(lParam));
  }

  void PenUp() {
    if (!dragging_) return;
    dragging_ = false;
    ReleaseCapture();
    Notify(TB_ENDTRACK);
  }

  void MoveTo(int x) {
    const LONG pos = PosAt(x);
    if (pos == pos_) return;
    pos_ = pos;
    Redraw();
    Notify(TB_THUMBTRACK);
  }

  void Notify(WORD code) const {
    HWND parent = GetParent(window_);
    if (parent)
      SendMessageW(parent, WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(pos_)), reinterpret_cast<LPARAM>(window_));
  }

  // The channel runs between the thumb's centre at either end.
  RECT Client() const {
    RECT client{0, 0, 0, 0};
    GetClientRect(window_, &client);
    return client;
  }
  int ChannelLeft() const { return kThumbWidth / 2; }
  int ChannelRight() const { return std::max<int>(Client().right - kThumbWidth / 2 - 1, ChannelLeft()); }
  int XOf(LONG pos) const {
    if (max_ == min_) return ChannelLeft();
    const long long span = ChannelRight() - ChannelLeft();
    return ChannelLeft() + static_cast<int>((span * (pos - min_) + (max_ - min_) / 2) / (max_ - min_));
  }
  LONG PosAt(int x) const {
    const int span = ChannelRight() - ChannelLeft();
    if (span <= 0) return min_;
    const long long along = std::clamp(x - ChannelLeft(), 0, span);
    return min_ + static_cast<LONG>((along * (max_ - min_) + span / 2) / span);
  }

  void Paint() {
    PaintScope paint(window_, kControlPaper);
    HDC dc = paint.dc();
    if (!dc) return;
    const RECT& client = paint.client();
    const COLORREF ink = InkOf(window_);
    const bool ticks = (GetWindowLongW(window_, GWL_STYLE) & TBS_AUTOTICKS) != 0 && max_ - min_ <= kMostTicks;
    const int middle = (client.bottom - (ticks ? kTickLength + 1 : 0)) / 2;
    FrameColour(dc, RECT{ChannelLeft(), middle - kChannelHeight / 2, ChannelRight() + 1, middle + kChannelHeight / 2},
                ink);
    if (ticks) {
      for (LONG p = min_; p <= max_; ++p)
        FillColour(dc, RECT{XOf(p), client.bottom - kTickLength, XOf(p) + 1, client.bottom}, ink);
    }
    const int x = XOf(pos_);
    const RECT thumb{x - kThumbWidth / 2, 1, x + kThumbWidth / 2 + 1, client.bottom - (ticks ? kTickLength + 1 : 1)};
    FillColour(dc, thumb, dragging_ ? ink : kControlPaper);
    FrameColour(dc, thumb, ink);
  }

  void Redraw() const { InvalidateRect(window_, nullptr, TRUE); }

  HWND window_;
  LONG min_ = 0;
  LONG max_ = 100;
  LONG pos_ = 0;
  bool dragging_ = false;
};

}  // namespace

SystemClass TrackbarClass() { return WhiteControlClass(TRACKBAR_CLASSW, ControlStates<TrackbarControl>::Procedure); }

}  // namespace ce
