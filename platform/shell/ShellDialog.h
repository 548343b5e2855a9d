// The shell's side of full-screen dialogs: which dialogs asked for "ok"
// in the navigation bar.
#pragma once

#include "windef.h"

namespace ce {

// The window is a live dialog that SHInitDialog gave an "ok" button.
bool HasDoneButton(HWND window);

}  // namespace ce
