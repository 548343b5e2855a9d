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

std::vector<SystemClass> SystemClasses();

}  // namespace ce
