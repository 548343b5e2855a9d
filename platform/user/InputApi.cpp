// The pen, keys, activation and keyboard accelerators.
#include <vector>

#include "platform/kernel/HandleTable.h"
#include "platform/kernel/LastError.h"
#include "platform/user/DeviceWindows.h"
#include "platform/user/WindowManager.h"

namespace {

using ce::WindowManager;
using ce::WindowPtr;

class AcceleratorTables : public ce::HandleTable<std::vector<ACCEL>> {
 public:
  static AcceleratorTables& Instance() {
    static AcceleratorTables tables;
    return tables;
  }

 private:
  AcceleratorTables() : HandleTable("accelerator tables", 0x60004, 4) {}
};

bool Matches(const ACCEL& accel, const MSG& msg, bool control, bool shift, bool alt) {
  if (accel.fVirt & FVIRTKEY) {
    if (msg.message != WM_KEYDOWN || accel.key != msg.wParam) return false;
    return static_cast<bool>(accel.fVirt & FCONTROL) == control && static_cast<bool>(accel.fVirt & FSHIFT) == shift &&
           static_cast<bool>(accel.fVirt & FALT) == alt;
  }
  // A character accelerator ("^A" is character 1) matches the character.
  return msg.message == WM_CHAR && accel.key == msg.wParam && static_cast<bool>(accel.fVirt & FALT) == alt;
}

}  // namespace

extern "C" {

HWND WINAPI SetCapture(HWND hWnd) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  HWND previous = wm.router().capture;
  if (!wm.Checked(hWnd)) return nullptr;
  wm.router().capture = hWnd;
  return previous;
}

BOOL WINAPI ReleaseCapture(void) {
  auto& wm = WindowManager::Instance();
  HWND previous;
  {
    auto lock = wm.Lock();
    previous = wm.router().capture;
    wm.router().capture = nullptr;
  }
  if (previous) wm.Send(previous, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND WINAPI GetCapture(void) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  return wm.tree().Find(wm.router().capture) ? wm.router().capture : nullptr;
}

HWND WINAPI SetFocus(HWND hWnd) {
  auto& wm = WindowManager::Instance();
  HWND previous;
  {
    auto lock = wm.Lock();
    previous = wm.router().focus;
    if (hWnd && !wm.Checked(hWnd)) return nullptr;
    if (previous == hWnd) return previous;
    wm.router().focus = hWnd;
  }
  if (previous && IsWindow(previous)) wm.Send(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
  if (hWnd) wm.Send(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  return previous;
}

HWND WINAPI GetFocus(void) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  return wm.tree().Find(wm.router().focus) ? wm.router().focus : nullptr;
}

HWND WINAPI GetForegroundWindow(void) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  return wm.tree().Find(wm.router().foreground) ? wm.router().foreground : nullptr;
}

HWND WINAPI GetActiveWindow(void) { return GetForegroundWindow(); }

HWND WINAPI SetActiveWindow(HWND hWnd) {
  HWND previous = GetForegroundWindow();
  if (!IsWindow(hWnd)) {
    ce::SetThreadError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  WindowManager::Instance().Activate(hWnd);
  return previous;
}

BOOL WINAPI SetForegroundWindow(HWND hWnd) {
  // The lowest bit asks for the window's owned windows too; they always
  // come along here.
  HWND handle = reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(hWnd) & ~std::uintptr_t{1});
  auto& wm = WindowManager::Instance();
  {
    auto lock = wm.Lock();
    WindowPtr window = wm.tree().Find(handle);
    if (window && window->destroying) window = nullptr;
    if (window) {
      lock.unlock();
      wm.Activate(handle);
      return TRUE;
    }
  }
  if (auto remote = ce::DeviceWindows::Instance().RemoteOf(handle)) {
    if (ce::DeviceWindows::Instance().RequestRaise(*remote)) return TRUE;
  }
  ce::SetThreadError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}

SHORT WINAPI GetKeyState(int nVirtKey) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  return wm.router().KeyDown(nVirtKey) ? static_cast<SHORT>(0x8000) : 0;
}

SHORT WINAPI GetAsyncKeyState(int vKey) { return GetKeyState(vKey); }

HACCEL WINAPI CreateAcceleratorTableW(LPACCEL paccel, int cAccel) {
  if (!paccel || cAccel <= 0) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto table = std::make_shared<std::vector<ACCEL>>(paccel, paccel + cAccel);
  return reinterpret_cast<HACCEL>(AcceleratorTables::Instance().Add(std::move(table)));
}

BOOL WINAPI DestroyAcceleratorTable(HACCEL hAccel) {
  if (!AcceleratorTables::Instance().Remove(reinterpret_cast<std::uintptr_t>(hAccel))) {
    ce::SetThreadError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

int WINAPI TranslateAcceleratorW(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg) {
  auto table = AcceleratorTables::Instance().Get(reinterpret_cast<std::uintptr_t>(hAccTable));
  if (!table) {
    ce::SetThreadError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (!lpMsg || (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_CHAR)) return 0;
  if (!IsWindow(hWnd)) {
    ce::SetThreadError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  const bool control = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0, alt = GetKeyState(VK_MENU) < 0;
  for (const ACCEL& accel : *table) {
    if (!Matches(accel, *lpMsg, control, shift, alt)) continue;
    SendMessageW(hWnd, WM_COMMAND, MAKEWPARAM(accel.cmd, 1), 0);
    return 1;
  }
  return 0;
}

}  // extern "C"
