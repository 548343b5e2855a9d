// The state of every control of one class, by window: created with the
// window's WM_CREATE, dropped after its WM_DESTROY. The class's window
// procedure hands each message to its state object's Handle.
#pragma once

#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/user/SystemClasses.h"
#include "windows.h"

namespace ce {

template <class Control>
class ControlStates {
 public:
  // The one table of the control class.
  static ControlStates& Instance() {
    static ControlStates states;
    return states;
  }
  // The class's window procedure: every message goes to the table.
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return Instance().Dispatch(window, message, wParam, lParam);
  }

  std::shared_ptr<Control> Find(HWND window) {
    std::lock_guard lock(mutex_);
    auto it = controls_.find(window);
    return it == controls_.end() ? nullptr : it->second;
  }

  LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) Add(window, std::make_shared<Control>(window));
    std::shared_ptr<Control> control = Find(window);
    if (!control) return DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = control->Handle(message, wParam, lParam);
    if (message == WM_DESTROY) Remove(window);
    return result;
  }

  void Add(HWND window, std::shared_ptr<Control> control) {
    std::lock_guard lock(mutex_);
    controls_[window] = std::move(control);
  }
  void Remove(HWND window) {
    std::lock_guard lock(mutex_);
    controls_.erase(window);
  }

 private:
  std::mutex mutex_;
  std::unordered_map<HWND, std::shared_ptr<Control>> controls_;
};

// A drawn control's answer to a new text (kept by the default handling)
// or to being enabled or disabled: it is drawn again.
inline LRESULT RedrawOnChange(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = message == WM_SETTEXT ? DefWindowProcW(window, message, wParam, lParam) : 0;
  InvalidateRect(window, nullptr, TRUE);
  return result;
}

// A control class of the platform: its procedure over a white background.
inline SystemClass WhiteControlClass(const char16_t* name, WNDPROC proc) {
  SystemClass cls;
  cls.name = name;
  cls.proc = proc;
  cls.background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  return cls;
}

}  // namespace ce
