// The platform's static control, the window class "STATIC": text that the
// program sets (left-aligned and wrapped at words, centred or
// right-aligned, "&" marking nothing with SS_NOPREFIX), or an icon
// (SS_ICON, set with STM_SETICON), black on white in the system font,
// grey when disabled. It takes no input.
#include <memory>

#include "platform/user/ControlDrawing.h"
#include "platform/user/ControlState.h"
#include "platform/user/SystemClasses.h"

namespace ce {
namespace {

class StaticControl {
 public:
  explicit StaticControl(HWND window) : window_(window) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case STM_SETICON: {
        HICON previous = icon_;
        icon_ = reinterpret_cast<HICON>(wParam);
        Redraw();
        return reinterpret_cast<LRESULT>(previous);
      }
      case STM_GETICON: return reinterpret_cast<LRESULT>(icon_);
      case WM_PAINT: Paint(); return 0;
      case WM_ENABLE:
      case WM_SETTEXT: return RedrawOnChange(window_, message, wParam, lParam);
      default: return DefWindowProcW(window_, message, wParam, lParam);
    }
  }

 private:
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongW(window_, GWL_STYLE)); }

  void Paint() {
    PaintScope paint(window_, kControlPaper);
    HDC dc = paint.dc();
    if (!dc) return;
    if ((Style() & SS_TYPEMASK) == SS_ICON) {
      if (icon_) DrawIcon(dc, 0, 0, icon_);
    } else {
      DrawControlText(dc, WindowText(window_), paint.client(), TextFormat(), InkOf(window_));
    }
  }

  UINT TextFormat() const {
    UINT format = DT_TOP | DT_WORDBREAK;
    switch (Style() & SS_TYPEMASK) {
      case SS_CENTER: format |= DT_CENTER; break;
      case SS_RIGHT: format |= DT_RIGHT; break;
      default: format |= DT_LEFT; break;
    }
    if (Style() & SS_NOPREFIX) format |= DT_NOPREFIX;
    return format;
  }

  void Redraw() const { InvalidateRect(window_, nullptr, TRUE); }

  HWND window_;
  HICON icon_ = nullptr;  // not owned: the program loaded it
};

}  // namespace

SystemClass StaticClass() { return WhiteControlClass(u"STATIC", ControlStates<StaticControl>::Procedure); }

}  // namespace ce
