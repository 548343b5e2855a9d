// Switching the handheld's display through its driver's power escape.
#pragma once

#include "windows.h"

inline constexpr DWORD kDisplayPowerOn = 1;
inline constexpr DWORD kDisplayPowerOff = 4;

// Sends the SETPOWERMANAGEMENT request (12 bytes: length, version, power
// state) through the window's device context. The driver's answer is not
// looked at.
void SetDisplayPower(HWND window, DWORD powerState);
