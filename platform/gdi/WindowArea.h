// Where a window is on the screen, as the device contexts need it: the
// window manager knows the windows and how they cover each other, GDI
// only draws. A window DC draws at the client origin and only inside the
// visible rectangles (the client area less what other windows cover).
//
// Painting: the window manager keeps each window's update region;
// BeginPaint takes it with TakeUpdateRect (platform/user implements it),
// which also validates the window so WM_PAINT stops coming. GetDC(NULL)
// asks for the area of the NULL window: the whole screen.
#pragma once

#include <cstdint>
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
// Returns the provider it replaces (tests put it back).
WindowAreaProvider SetWindowAreaProvider(WindowAreaProvider provider);
WindowArea WindowAreaOf(HWND window);

// A count of the changes to any window's area. Whoever keeps the areas
// (the window manager, or a test's provider) calls WindowAreasChanged after
// every change of a window's place, size, visibility or order and of the
// screen's covers; a device context asks for its window's area again only
// when the count has moved since it last asked. A new provider counts as a
// change.
void WindowAreasChanged();
std::uint64_t WindowAreasVersion();

// Takes the window's update rectangle (client coordinates; empty when
// nothing needs painting) and validates the window. *erase tells whether
// the background should be erased first (WM_ERASEBKGND). Returns false
// for a window that does not exist.
bool TakeUpdateRect(HWND window, RECT* update, bool* erase);

}  // namespace ce
