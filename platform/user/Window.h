// One window: what the window manager knows about it. Rectangles are kept
// in screen coordinates for every window, children included; a window has
// no frame, so its client area is its whole rectangle.
#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "windows.h"

namespace ce {

struct WindowClass {
  std::u16string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int windowExtraBytes = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HBRUSH background = nullptr;
  ATOM atom = 0;
};

class Window {
 public:
  HWND handle = nullptr;
  std::shared_ptr<const WindowClass> windowClass;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;  // WS_CHILD windows only
  HWND owner = nullptr;   // top-level windows owned by another one
  std::vector<HWND> children;  // front first
  RECT rect{0, 0, 0, 0};
  std::u16string title;  // as created
  std::u16string text;   // the window text now
  UINT_PTR id = 0;       // a child's control identifier
  HINSTANCE instance = nullptr;
  std::thread::id thread;
  LONG_PTR userData = 0;
  std::vector<LONG_PTR> extra;

  // Update region, kept as its bounding rectangle in client coordinates.
  RECT update{0, 0, 0, 0};
  bool needsErase = false;

  bool destroying = false;
  bool created = false;  // WM_CREATE has returned

  bool IsChild() const { return (style & WS_CHILD) != 0; }
  bool Visible() const { return (style & WS_VISIBLE) != 0; }
  bool Enabled() const { return (style & WS_DISABLED) == 0; }
  LONG Width() const { return rect.right - rect.left; }
  LONG Height() const { return rect.bottom - rect.top; }
  RECT ClientRect() const { return RECT{0, 0, Width(), Height()}; }
  bool HasUpdate() const { return update.right > update.left && update.bottom > update.top; }
};

using WindowPtr = std::shared_ptr<Window>;

}  // namespace ce
