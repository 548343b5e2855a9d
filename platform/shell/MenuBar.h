// The shell's menu bar: the bottom 26 rows of the screen, full width, in
// front of the program's windows. It shows one button per item of its bar
// menu, from the left; tapping a pop-up's button opens the pop-up just
// above the bar, and the command chosen there (or a plain command
// button's own) goes to the bar's parent as WM_COMMAND. An empty bar
// shows no buttons. The bar belongs to its parent: it goes when the
// parent is destroyed, or with DestroyWindow, and takes its menu along.
#pragma once

#include "windows.h"

namespace ce {

inline constexpr int kMenuBarHeight = 26;
inline constexpr RECT kMenuBarRect{0, 320 - kMenuBarHeight, 240, 320};

}  // namespace ce
