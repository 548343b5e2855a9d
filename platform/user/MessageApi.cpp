// Messages, the message loop, the default window procedure and timers.
#include "platform/gdi/WindowArea.h"
#include "platform/kernel/Registry.h"
#include "platform/kernel/LastError.h"
#include "platform/user/WindowManager.h"

namespace {

using ce::WindowManager;
using ce::WindowPtr;

bool IsCharKey(WPARAM vk) { return (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9') || vk == VK_SPACE; }

}  // namespace

extern "C" {

LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return WindowManager::Instance().Send(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return WindowManager::Instance().Post(hWnd, Msg, wParam, lParam) ? TRUE : FALSE;
}

void WINAPI PostQuitMessage(int nExitCode) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  ce::MessageQueue& queue = wm.OwnQueue();
  queue.quit = true;
  queue.quitCode = nExitCode;
  wm.Wake(std::this_thread::get_id());
}

BOOL WINAPI GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  if (!lpMsg) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (hWnd) {
    auto& wm = WindowManager::Instance();
    auto lock = wm.Lock();
    if (!wm.Checked(hWnd)) return -1;
  }
  WindowManager::Instance().Retrieve(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true, true);
  return lpMsg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WINAPI PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  if (!lpMsg) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return WindowManager::Instance().Retrieve(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0,
                                       false)
             ? TRUE
             : FALSE;
}

// A key press of a character key also brings its character (WM_CHAR),
// next in the queue: the letter in lower case, or its control code while
// Ctrl is held.
BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
  if (!lpMsg || lpMsg->message != WM_KEYDOWN) return FALSE;
  WPARAM vk = lpMsg->wParam;
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WPARAM ch;
  if (vk == VK_RETURN) ch = '\r';
  else if (vk == VK_BACK) ch = '\b';
  else if (vk == VK_ESCAPE) ch = 0x1B;
  else if (!IsCharKey(vk)) return FALSE;
  else if (wm.router().KeyDown(VK_CONTROL)) ch = (vk >= 'A' && vk <= 'Z') ? vk - 'A' + 1 : 0;
  else ch = (vk >= 'A' && vk <= 'Z') ? vk - 'A' + 'a' : vk;
  if (ch == 0) return FALSE;
  WindowPtr window = wm.tree().Find(lpMsg->hwnd);
  if (!window) return FALSE;
  MSG charMsg = *lpMsg;
  charMsg.message = WM_CHAR;
  charMsg.wParam = ch;
  wm.QueueOf(window->thread).posted.push_front(charMsg);
  return TRUE;
}

LRESULT WINAPI DispatchMessageW(const MSG* lpMsg) {
  if (!lpMsg) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto& wm = WindowManager::Instance();
  if (lpMsg->message == WM_TIMER && lpMsg->lParam) {
    // A timer's callback, called only while that timer exists: a message
    // naming some other function is not a way to call it.
    auto proc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
    {
      auto lock = wm.Lock();
      if (!wm.timers().HasCallback(lpMsg->hwnd, lpMsg->wParam, proc)) return 0;
    }
    ce::RegistryWriteGroup writes;
    proc(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, ce::MessageTime());
    return 0;
  }
  if (!lpMsg->hwnd) return 0;  // a thread message has no window to go to
  return wm.Send(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

DWORD WINAPI GetMessagePos(void) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  const MSG& last = wm.OwnQueue().last;
  return static_cast<DWORD>(MAKELONG(last.pt.x, last.pt.y));
}

LONG WINAPI GetMessageTime(void) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  return static_cast<LONG>(wm.OwnQueue().last.time);
}

namespace {

// The default erase fills the client area with the class's background
// brush; a class without one leaves the background to the window.
LRESULT EraseWithClassBrush(HWND window, HDC dc) {
  HBRUSH brush = nullptr;
  RECT client{0, 0, 0, 0};
  {
    auto& wm = WindowManager::Instance();
    auto lock = wm.Lock();
    auto checked = wm.Checked(window);
    if (!checked || !checked->windowClass) return 0;
    brush = checked->windowClass->background;
    client = checked->ClientRect();
  }
  if (!brush || !dc) return 0;
  return FillRect(dc, &client, brush) ? 1 : 0;
}

}  // namespace

LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  switch (Msg) {
    case WM_CLOSE:
      DestroyWindow(hWnd);
      return 0;
    case WM_PAINT: {
      // Nothing to draw by default: the window is simply valid again.
      RECT update;
      bool erase;
      ce::TakeUpdateRect(hWnd, &update, &erase);
      return 0;
    }
    case WM_ERASEBKGND:
      return EraseWithClassBrush(hWnd, reinterpret_cast<HDC>(wParam));
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hWnd);
      return 0;
    case WM_SETTEXT: {
      auto text = reinterpret_cast<LPCWSTR>(lParam);
      return ce::StoreWindowText(hWnd, text ? std::u16string_view(text) : std::u16string_view()) ? TRUE : FALSE;
    }
    case WM_GETTEXT:
      return GetWindowTextW(hWnd, reinterpret_cast<LPWSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH:
      return GetWindowTextLengthW(hWnd);
    default:
      return 0;
  }
}

LRESULT WINAPI CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  if (hWnd && !wm.Checked(hWnd)) return 0;
  UINT_PTR id = wm.timers().Set(hWnd, nIDEvent, uElapse, lpTimerFunc, std::this_thread::get_id());
  return hWnd && id == 0 ? 1 : id;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  if (hWnd && !wm.Checked(hWnd)) return FALSE;
  if (!wm.timers().Kill(hWnd, uIDEvent)) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

}  // extern "C"
