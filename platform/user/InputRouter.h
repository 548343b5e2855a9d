// Where the pen and the keys go: pen events to the window that captured
// the pen or else to the window under it, in that window's client
// coordinates; keys to the focus window or else the foreground window.
// Keeps the state the input calls report: capture, focus, the foreground
// window and which keys are down. Not locked itself.
#pragma once

#include <array>
#include <optional>

#include "hardware/input/Input.h"
#include "platform/user/WindowTree.h"

namespace ce {

struct RoutedInput {
  MSG msg{};
  HWND activate = nullptr;  // top-level window a pen-down brings forward first
  bool cover = false;       // the pen on a screen cover: for the shell, not a window
};

class InputRouter {
 public:
  std::optional<RoutedInput> Route(const hw::InputEvent& event, const WindowTree& tree, DWORD time);

  HWND capture = nullptr;
  HWND focus = nullptr;
  HWND foreground = nullptr;

  bool KeyDown(int vk) const { return vk >= 0 && vk < 256 && keys_[vk]; }
  POINT LastPen() const { return lastPen_; }

  // Forgets a window that is going away.
  void Forget(HWND window);

 private:
  std::array<bool, 256> keys_{};
  POINT lastPen_{0, 0};
};

// The platform's virtual-key code for a key of the device.
int VirtualKeyOf(hw::KeyCode key);

}  // namespace ce
