// How the platform's controls look: black on white in the system font,
// grey when disabled, one-pixel frames. Shared by the button, static and
// trackbar controls, the edit control, the popup menu and the menu bar.
#pragma once

#include <string>

#include "windows.h"

namespace ce {

inline constexpr COLORREF kControlInk = RGB(0, 0, 0);
inline constexpr COLORREF kControlGreyInk = RGB(160, 160, 160);
inline constexpr COLORREF kControlPaper = RGB(255, 255, 255);

// The ink of a control: black, or grey while the window is disabled.
COLORREF InkOf(HWND window);

// A solid rectangle and a one-pixel frame (outline) in a colour.
void FillColour(HDC dc, const RECT& rect, COLORREF colour);
void FrameColour(HDC dc, const RECT& rect, COLORREF colour);

// A circle's outline (and, when filled, its inside) in a square box.
void DrawCircle(HDC dc, const RECT& box, COLORREF colour, bool filled);

// One WM_PAINT: BeginPaint when made, the client area filled with the
// window's background, EndPaint when it goes. dc() is null, and nothing
// is to be drawn, when the window cannot be painted.
class PaintScope {
 public:
  PaintScope(HWND window, COLORREF background);
  ~PaintScope();
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;

  HDC dc() const { return dc_; }
  const RECT& client() const { return client_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
  RECT client_{0, 0, 0, 0};
};

// The window's text now.
std::u16string WindowText(HWND window);

// Text in the system font, transparent background; format as DrawTextW.
void DrawControlText(HDC dc, std::u16string_view text, RECT rect, UINT format, COLORREF colour);

// The height of a line of the system font, in pixels.
int SystemLineHeight();

}  // namespace ce
