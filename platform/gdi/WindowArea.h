// Where a window is on the screen, as the device contexts need it: the
// window manager knows the windows and how they cover each other, GDI
// only draws. A window DC draws at the client origin and only inside the
// visible rectangles (the client area less what other windows cover).
#pragma once

#include <functional>
#include <vector>

#include "windef.h"

namespace ce {

struct WindowArea {
  bool alive = false;        // false: no such window (destroyed, never was)
  POINT clientOrigin{0, 0};  // screen position of client (0, 0)
  RECT client{0, 0, 0, 0};   // client rectangle in client coordinates
  std::vector<RECT> visible; // screen rectangles the window may draw on
};

using WindowAreaProvider = std::function<WindowArea(HWND)>;
// The window manager installs its provider; without one no window exists.
void SetWindowAreaProvider(WindowAreaProvider provider);
WindowArea WindowAreaOf(HWND window);

}  // namespace ce
