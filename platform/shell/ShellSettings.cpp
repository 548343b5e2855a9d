// The shell's handling of setting changes for a program's window. The
// handheld has no input panel whose state would need restoring, so there
// is nothing to adjust: the call only confirms, whatever record it gets.
#include "aygshell.h"

extern "C" BOOL WINAPI SHHandleWMSettingChange(HWND, WPARAM, LPARAM, SHACTIVATEINFO*) { return TRUE; }
