// Window classes and windows: the platform's calls, checked as the
// platform checks them, over the window manager's state.
#include <algorithm>

#include "platform/gdi/Rects.h"
#include "platform/kernel/LastError.h"
#include "platform/kernel/Utf.h"
#include "platform/user/DeviceWindows.h"
#include "platform/user/WindowManager.h"
#include "platform/gdi/WindowArea.h"

namespace {

using ce::WindowManager;
using ce::WindowPtr;

std::u16string TextOf(LPCWSTR text) { return text ? std::u16string(text) : std::u16string(); }

// A class name given as a string or as an atom (MAKEINTATOM).
std::shared_ptr<const ce::WindowClass> ClassByName(WindowManager& wm, LPCWSTR name) {
  if (!name) return nullptr;
  // Atoms are looked up by value among the registered classes.
  if (IS_INTRESOURCE(name)) return wm.FindClassByAtom(static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name)));
  return wm.FindClass(name);
}

void PublishIfTopLevel(const ce::Window& window) {
  if (!window.IsChild()) ce::DeviceWindows::Instance().Publish(window.handle, window.windowClass->name, window.text);
}

// GetWindowRect and GetClientRect: one rectangle of a live window.
template <class RectOf>
BOOL ReadWindowRect(HWND hWnd, LPRECT out, RectOf rectOf) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WindowPtr window = wm.Checked(hWnd);
  if (!window) return FALSE;
  if (!out) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *out = rectOf(*window);
  return TRUE;
}

}  // namespace

bool ce::StoreWindowText(HWND handle, std::u16string_view text) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WindowPtr window = wm.Checked(handle);
  if (!window) return false;
  window->text = text;
  wm.FrontMayHaveChanged();
  PublishIfTopLevel(*window);
  return true;
}

extern "C" {

ATOM WINAPI RegisterClassW(const WNDCLASSW* wc) {
  if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !*wc->lpszClassName || !wc->lpfnWndProc ||
      wc->cbWndExtra < 0 || wc->cbClsExtra < 0) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  ce::WindowClass cls;
  cls.name = wc->lpszClassName;
  cls.style = wc->style;
  cls.proc = wc->lpfnWndProc;
  cls.windowExtraBytes = wc->cbWndExtra;
  cls.instance = wc->hInstance;
  cls.icon = wc->hIcon;
  cls.background = wc->hbrBackground;
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  ATOM atom = wm.AddClass(std::move(cls));
  if (!atom) ce::SetThreadError(ERROR_CLASS_ALREADY_EXISTS);
  return atom;
}

BOOL WINAPI UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance) {
  if (!lpClassName || IS_INTRESOURCE(lpClassName)) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  if (!wm.RemoveClass(lpClassName, hInstance)) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI GetClassInfoW(HINSTANCE, LPCWSTR lpClassName, LPWNDCLASSW wc) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  auto cls = ClassByName(wm, lpClassName);
  if (!cls || !wc) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *wc = WNDCLASSW{cls->style, cls->proc, 0, cls->windowExtraBytes, cls->instance, cls->icon, nullptr,
                  cls->background, nullptr, lpClassName};
  return TRUE;
}

HWND WINAPI CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int x, int y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam) {
  auto& wm = WindowManager::Instance();
  auto window = std::make_shared<ce::Window>();
  HWND handle;
  {
    auto lock = wm.Lock();
    auto cls = ClassByName(wm, lpClassName);
    if (!cls) {
      ce::SetThreadError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    WindowPtr parent;
    if (hWndParent) {
      parent = wm.Checked(hWndParent);
      if (!parent) return nullptr;
    }
    const bool child = (dwStyle & WS_CHILD) != 0;
    if (child && !parent) {
      ce::SetThreadError(ERROR_INVALID_PARAMETER);  // a child needs its parent
      return nullptr;
    }
    window->windowClass = cls;
    window->proc = cls->proc;
    window->style = dwStyle;
    window->exStyle = dwExStyle;
    window->title = window->text = TextOf(lpWindowName);
    window->instance = hInstance;
    window->thread = std::this_thread::get_id();
    window->extra.assign((cls->windowExtraBytes + sizeof(LONG_PTR) - 1) / sizeof(LONG_PTR), 0);
    RECT rect;
    if (child) {
      window->parent = hWndParent;
      window->id = reinterpret_cast<UINT_PTR>(hMenu);
      const LONG px = parent->rect.left, py = parent->rect.top;
      int cx = x == CW_USEDEFAULT ? 0 : x, cy = y == CW_USEDEFAULT ? 0 : y;
      int w = nWidth == CW_USEDEFAULT ? 0 : nWidth, h = nHeight == CW_USEDEFAULT ? 0 : nHeight;
      rect = RECT{px + cx, py + cy, px + cx + std::max(w, 0), py + cy + std::max(h, 0)};
    } else {
      if (parent) window->owner = wm.tree().Root(parent)->handle;
      const RECT area = WindowManager::kDefaultArea;
      int left = x == CW_USEDEFAULT ? area.left : x;
      int top = x == CW_USEDEFAULT ? area.top : y;
      int w = nWidth == CW_USEDEFAULT ? area.right - area.left : nWidth;
      int h = nWidth == CW_USEDEFAULT ? area.bottom - area.top : nHeight;
      rect = RECT{left, top, left + std::max(w, 0), top + std::max(h, 0)};
    }
    window->rect = rect;
    handle = wm.tree().Add(window);
    if (window->Visible()) ce::AddUpdate(*window, window->rect, true);
    if (!child) PublishIfTopLevel(*window);
  }

  // WM_CREATE runs before the caller has the handle; -1 refuses creation.
  CREATESTRUCTW cs{lpParam, hInstance, hMenu, hWndParent, nHeight, nWidth, y, x,
                   static_cast<LONG>(dwStyle), lpWindowName, lpClassName, dwExStyle};
  LRESULT created = wm.Send(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs));
  if (created == -1) {
    wm.Destroy(handle);
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  {
    auto lock = wm.Lock();
    if (!wm.tree().Find(handle)) return nullptr;  // it destroyed itself
    window->created = true;
  }
  wm.Send(handle, WM_SIZE, 0, MAKELPARAM(window->Width(), window->Height()));
  if (window->Visible() && !window->IsChild()) wm.Activate(handle);
  ce::SetThreadError(ERROR_SUCCESS);
  return handle;
}

BOOL WINAPI DestroyWindow(HWND hWnd) { return WindowManager::Instance().Destroy(hWnd) ? TRUE : FALSE; }

BOOL WINAPI IsWindow(HWND hWnd) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WindowPtr window = wm.tree().Find(hWnd);
  return window && !window->destroying ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  auto& wm = WindowManager::Instance();
  bool wasVisible, show, activate = false;
  {
    auto lock = wm.Lock();
    WindowPtr window = wm.Checked(hWnd);
    if (!window) return FALSE;
    wasVisible = window->Visible();
    show = nCmdShow != SW_HIDE && nCmdShow != SW_MINIMIZE;
    if (show != wasVisible) {
      if (show) {
        window->style |= WS_VISIBLE;
        for (const WindowPtr& part : wm.tree().Subtree(window)) ce::AddUpdate(*part, part->rect, true);
      } else {
        window->style &= ~static_cast<DWORD>(WS_VISIBLE);
        wm.tree().Uncover(window, window->rect);
      }
      ce::WindowAreasChanged();
    }
    activate = show && !window->IsChild() && nCmdShow != SW_SHOWNA && nCmdShow != SW_SHOWNOACTIVATE;
  }
  if (show != wasVisible) wm.Send(hWnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  if (activate) {
    wm.Activate(hWnd);
  } else if (!show && wasVisible) {
    // The foreground window hidden: the next visible window takes over.
    HWND next = nullptr;
    {
      auto lock = wm.Lock();
      if (wm.router().foreground == hWnd) {
        for (HWND h : wm.tree().TopLevel())
          if (WindowPtr w = wm.tree().Find(h); w && h != hWnd && w->Visible() && !w->destroying) {
            next = h;
            break;
          }
        if (!next) {
          wm.router().foreground = wm.router().focus = nullptr;
          wm.FrontMayHaveChanged();
        }
      }
    }
    if (next) wm.Activate(next);
  }
  return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
  auto& wm = WindowManager::Instance();
  bool resized;
  {
    auto lock = wm.Lock();
    WindowPtr window = wm.Checked(hWnd);
    if (!window) return FALSE;
    LONG ox = 0, oy = 0;
    if (window->IsChild())
      if (WindowPtr parent = wm.tree().Find(window->parent)) ox = parent->rect.left, oy = parent->rect.top;
    const RECT old = window->rect;
    const RECT now{ox + X, oy + Y, ox + X + std::max(nWidth, 0), oy + Y + std::max(nHeight, 0)};
    resized = now.right - now.left != old.right - old.left || now.bottom - now.top != old.bottom - old.top;
    const LONG dx = now.left - old.left, dy = now.top - old.top;
    for (const WindowPtr& part : wm.tree().Subtree(window)) {
      if (part != window) part->rect = ce::Offset(part->rect, dx, dy);
    }
    window->rect = now;
    ce::WindowAreasChanged();
    window->update = ce::Intersect(window->update, window->ClientRect());
    if (wm.tree().Shown(*window)) {
      wm.tree().Uncover(window, old);
      if (bRepaint)
        for (const WindowPtr& part : wm.tree().Subtree(window)) ce::AddUpdate(*part, part->rect, true);
    }
  }
  if (resized) wm.Send(hWnd, WM_SIZE, 0, MAKELPARAM(nWidth, nHeight));
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
  return ReadWindowRect(hWnd, lpRect, [](const ce::Window& window) { return window.rect; });
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
  return ReadWindowRect(hWnd, lpRect, [](const ce::Window& window) { return window.ClientRect(); });
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WindowPtr window = wm.Checked(hWnd);
  if (!window || !lpPoint) return FALSE;
  lpPoint->x += window->rect.left;
  lpPoint->y += window->rect.top;
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WindowPtr window = wm.Checked(hWnd);
  if (!window || !lpPoint) return FALSE;
  lpPoint->x -= window->rect.left;
  lpPoint->y -= window->rect.top;
  return TRUE;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WindowPtr window = wm.tree().Find(hWnd);
  return window && wm.tree().Shown(*window) ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
  auto& wm = WindowManager::Instance();
  bool wasDisabled;
  {
    auto lock = wm.Lock();
    WindowPtr window = wm.Checked(hWnd);
    if (!window) return FALSE;
    wasDisabled = !window->Enabled();
    if (bEnable) window->style &= ~static_cast<DWORD>(WS_DISABLED);
    else window->style |= WS_DISABLED;
    if (!bEnable && wm.router().capture == hWnd) wm.router().capture = nullptr;
  }
  if (wasDisabled == static_cast<bool>(bEnable)) wm.Send(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
  return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WindowPtr window = wm.Checked(hWnd);
  return window && window->Enabled() ? TRUE : FALSE;
}

// The window's procedure gets WM_SETTEXT, so that a control can take the
// text as its contents; DefWindowProcW stores it.
BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
  return WindowManager::Instance().Send(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

int WINAPI GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WindowPtr window = wm.Checked(hWnd);
  if (!window || !lpString || nMaxCount <= 0) return 0;
  const int count = std::min<int>(static_cast<int>(window->text.size()), nMaxCount - 1);
  std::copy_n(window->text.data(), count, lpString);
  lpString[count] = 0;
  return count;
}

int WINAPI GetWindowTextLengthW(HWND hWnd) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WindowPtr window = wm.Checked(hWnd);
  return window ? static_cast<int>(window->text.size()) : 0;
}

HWND WINAPI GetParent(HWND hWnd) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WindowPtr window = wm.Checked(hWnd);
  if (!window) return nullptr;
  return window->IsChild() ? window->parent : window->owner;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WindowPtr window = wm.Checked(hDlg);
  if (!window) return nullptr;
  for (HWND h : window->children)
    if (WindowPtr child = wm.tree().Find(h); child && child->id == static_cast<UINT_PTR>(nIDDlgItem)) return h;
  ce::SetThreadError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

LONG_PTR WINAPI GetWindowLongPtrW(HWND hWnd, int nIndex) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WindowPtr window = wm.Checked(hWnd);
  if (!window) return 0;
  switch (nIndex) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(window->proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(window->instance);
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(window->IsChild() ? window->parent : window->owner);
    case GWL_ID: return static_cast<LONG_PTR>(window->id);
    case GWL_STYLE: return static_cast<LONG_PTR>(window->style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(window->exStyle);
    case GWL_USERDATA: return window->userData;
    default:
      if (nIndex >= 0 && nIndex % sizeof(LONG_PTR) == 0 && nIndex / sizeof(LONG_PTR) < window->extra.size())
        return window->extra[nIndex / sizeof(LONG_PTR)];
      ce::SetThreadError(ERROR_INVALID_INDEX);
      return 0;
  }
}

LONG_PTR WINAPI SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR value) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WindowPtr window = wm.Checked(hWnd);
  if (!window) return 0;
  LONG_PTR old = 0;
  switch (nIndex) {
    case GWL_WNDPROC:
      if (!value) {
        ce::SetThreadError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      old = reinterpret_cast<LONG_PTR>(window->proc);
      window->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWL_ID:
      old = static_cast<LONG_PTR>(window->id);
      window->id = static_cast<UINT_PTR>(value);
      return old;
    case GWL_STYLE:
      old = static_cast<LONG_PTR>(window->style);
      window->style = static_cast<DWORD>(value);
      ce::WindowAreasChanged();
      return old;
    case GWL_EXSTYLE:
      old = static_cast<LONG_PTR>(window->exStyle);
      window->exStyle = static_cast<DWORD>(value);
      return old;
    case GWL_USERDATA:
      old = window->userData;
      window->userData = value;
      return old;
    default:
      if (nIndex >= 0 && nIndex % sizeof(LONG_PTR) == 0 && nIndex / sizeof(LONG_PTR) < window->extra.size()) {
        old = window->extra[nIndex / sizeof(LONG_PTR)];
        window->extra[nIndex / sizeof(LONG_PTR)] = value;
        return old;
      }
      ce::SetThreadError(ERROR_INVALID_INDEX);
      return 0;
  }
}

LONG WINAPI GetWindowLongW(HWND hWnd, int nIndex) { return static_cast<LONG>(GetWindowLongPtrW(hWnd, nIndex)); }
LONG WINAPI SetWindowLongW(HWND hWnd, int nIndex, LONG value) {
  return static_cast<LONG>(SetWindowLongPtrW(hWnd, nIndex, value));
}

HWND WINAPI FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName) {
  std::optional<std::u16string> cls, title;
  if (lpWindowName) title = std::u16string(lpWindowName);
  auto& wm = WindowManager::Instance();
  {
    auto lock = wm.Lock();
    if (lpClassName && IS_INTRESOURCE(lpClassName)) {
      // An atom names one of this program's classes; one that names none
      // finds no window.
      auto known = ClassByName(wm, lpClassName);
      if (!known) {
        ce::SetThreadError(ERROR_FILE_NOT_FOUND);
        return nullptr;
      }
      cls = ce::FoldName(known->name);
    } else if (lpClassName) {
      cls = ce::FoldName(lpClassName);
    }
    for (HWND h : wm.tree().TopLevel()) {
      WindowPtr w = wm.tree().Find(h);
      if (!w || w->destroying) continue;
      if (cls && ce::FoldName(w->windowClass->name) != *cls) continue;
      if (title && w->text != *title) continue;
      return h;
    }
  }
  if (auto remote = ce::DeviceWindows::Instance().Find(cls ? &*cls : nullptr, title ? &*title : nullptr))
    return ce::DeviceWindows::Instance().ProxyFor(*remote);
  ce::SetThreadError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

HWND WINAPI WindowFromPoint(POINT point) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  WindowPtr window = wm.tree().WindowAt(point);
  return window ? window->handle : nullptr;
}

}  // extern "C"
