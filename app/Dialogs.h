// The About and Setting dialogs off the main window's menu. Both are
// full-screen with "ok" in the navigation bar. The Setting dialog lets the
// user choose the band plan and applies a change at once when closed with
// OK; nothing is saved there (the settings reach the registry when the
// main window goes).
#pragma once

#include "RadioCoordinator.h"
#include "Screen.h"
#include "windows.h"

// The objects the dialogs read and change (the program's one screen and
// coordinator) and the program's instance.
void AttachDialogs(Screen& screen, RadioCoordinator& coordinator, HINSTANCE instance);

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SettingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
