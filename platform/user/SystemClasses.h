// The window classes the platform gives every program: its controls
// ("EDIT", "STATIC", "BUTTON", the trackbar, the menu bar...). They are
// registered when the window manager starts, belong to no module, and are
// found by name from any program, as the platform's own classes are.
//
// Each control lives in a file of its own and describes its class with a
// function declared here; SystemClasses() lists them all.
#pragma once

#include <vector>

#include "windows.h"

namespace ce {

struct SystemClass {
  const char16_t* name = nullptr;
  WNDPROC proc = nullptr;
  int windowExtraBytes = 0;  // e.g. room for a pointer to the control's state
  HBRUSH background = nullptr;
  UINT style = 0;
};

// The multi-line and single-line edit control (EditControl.cpp).
SystemClass EditClass();
// The dialog window (Dialog.cpp) and the controls of dialog templates:
// buttons, statics and the trackbar (ButtonControl.cpp, StaticControl.cpp,
// TrackbarControl.cpp).
SystemClass DialogClass();
SystemClass ButtonClass();
SystemClass StaticClass();
SystemClass TrackbarClass();
// The pop-up menu tracked with the pen (PopupMenu.cpp), the shell's menu
// bar (shell/MenuBar.cpp) and the message box shown on the screen
// (MessageBoxWindow.cpp).
SystemClass PopupMenuClass();
SystemClass MenuBarClass();
SystemClass MessageBoxClass();

std::vector<SystemClass> SystemClasses();

}  // namespace ce
