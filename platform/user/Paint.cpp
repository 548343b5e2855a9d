// Update regions: what of a window needs painting. WM_PAINT comes while a
// window has one and nothing else is queued; BeginPaint takes it.
#include "platform/gdi/Rects.h"
#include "platform/gdi/WindowArea.h"
#include "platform/user/WindowManager.h"

namespace ce {

bool TakeUpdateRect(HWND handle, RECT* update, bool* erase) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WindowPtr window = wm.Checked(handle);
  if (!window) return false;
  if (update) *update = window->update;
  if (erase) *erase = window->needsErase;
  window->update = RECT{0, 0, 0, 0};
  window->needsErase = false;
  return true;
}

}  // namespace ce

using ce::WindowManager;

extern "C" {

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  if (!hWnd) {
    // The whole screen: every window.
    wm.tree().ForEach([&](const ce::WindowPtr& w) { ce::AddUpdate(*w, w->rect, bErase != FALSE); });
    wm.WakeAllLocked();
    return TRUE;
  }
  ce::WindowPtr window = wm.Checked(hWnd);
  if (!window) return FALSE;
  RECT client = window->ClientRect();
  RECT part = lpRect ? ce::Intersect(*lpRect, client) : client;
  ce::AddUpdate(*window, ce::Offset(part, window->rect.left, window->rect.top), bErase != FALSE);
  wm.Wake(window->thread);
  return TRUE;
}

BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  ce::WindowPtr window = wm.Checked(hWnd);
  if (!window) return FALSE;
  // The region is kept as one rectangle: validating only part of it
  // leaves it whole unless that part covers it.
  if (!lpRect || ce::IsEmpty(window->update) || ce::Covers(*lpRect, window->update)) {
    window->update = RECT{0, 0, 0, 0};
    window->needsErase = false;
  }
  return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
  auto& wm = WindowManager::Instance();
  bool paint;
  {
    auto lock = wm.Lock();
    ce::WindowPtr window = wm.Checked(hWnd);
    if (!window) return FALSE;
    paint = window->HasUpdate() && wm.tree().Shown(*window);
  }
  if (paint) wm.Send(hWnd, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  ce::WindowPtr window = wm.Checked(hWnd);
  if (!window) return FALSE;
  if (lpRect) *lpRect = window->update;
  return window->HasUpdate() ? TRUE : FALSE;
}

}  // extern "C"
