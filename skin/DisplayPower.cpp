#include "DisplayPower.h"

void SetDisplayPower(HWND window, DWORD powerState) {
  HDC dc = GetDC(window);
  const DWORD request[3] = {12, 0, powerState};
  ExtEscape(dc, SETPOWERMANAGEMENT, sizeof request, reinterpret_cast<LPCSTR>(request), 0, nullptr);
  ReleaseDC(window, dc);
}
