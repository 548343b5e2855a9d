#include "platform/user/InputRouter.h"

namespace ce {

int VirtualKeyOf(hw::KeyCode key) {
  switch (key) {
    case hw::KeyCode::Left: return VK_LEFT;
    case hw::KeyCode::Right: return VK_RIGHT;
    case hw::KeyCode::Up: return VK_UP;
    case hw::KeyCode::Down: return VK_DOWN;
    case hw::KeyCode::Return: return VK_RETURN;
    case hw::KeyCode::Control: return VK_CONTROL;
    default: return static_cast<int>(key);  // letters are their upper-case character
  }
}

std::optional<RoutedInput> InputRouter::Route(const hw::InputEvent& event, const WindowTree& tree, DWORD time) {
  using Kind = hw::InputEvent::Kind;
  RoutedInput routed;
  MSG& msg = routed.msg;
  msg.time = time;
  msg.pt = lastPen_;
  if (event.kind == Kind::KeyDown || event.kind == Kind::KeyUp) {
    const int vk = VirtualKeyOf(event.key);
    const bool down = event.kind == Kind::KeyDown;
    const bool wasDown = keys_[vk];
    keys_[vk] = down;
    WindowPtr target = tree.Find(focus);
    if (!target) target = tree.Find(foreground);
    if (!target) return std::nullopt;
    msg.hwnd = target->handle;
    msg.message = down ? WM_KEYDOWN : WM_KEYUP;
    msg.wParam = static_cast<WPARAM>(vk);
    // The repeat count (a release counts 1), the scan code (the key code
    // here), bit 30 the previous state, bit 31 set for a release.
    const DWORD repeats = down ? event.repeats : 1u;
    DWORD lParam = repeats | (static_cast<DWORD>(vk & 0xFF) << 16);
    if (wasDown || !down) lParam |= 1u << 30;
    if (!down) lParam |= 1u << 31;
    msg.lParam = static_cast<LPARAM>(lParam);
    return routed;
  }

  const POINT screen{event.x, event.y};
  lastPen_ = screen;
  msg.pt = screen;
  WindowPtr target = tree.Find(capture);
  if (!target) {
    capture = nullptr;
    if (tree.Covered(screen)) {
      routed.cover = true;
      return routed;
    }
    target = tree.WindowAt(screen);
  }
  if (!target || !target->Enabled()) return std::nullopt;
  const LONG x = screen.x - target->rect.left;
  const LONG y = screen.y - target->rect.top;
  msg.hwnd = target->handle;
  msg.lParam = MAKELPARAM(static_cast<WORD>(x & 0xFFFF), static_cast<WORD>(y & 0xFFFF));
  switch (event.kind) {
    case Kind::PenDown:
      msg.message = WM_LBUTTONDOWN;
      msg.wParam = MK_LBUTTON;
      keys_[0x01] = true;  // VK_LBUTTON
      if (WindowPtr root = tree.Root(target); root && root->handle != foreground) routed.activate = root->handle;
      break;
    case Kind::PenMove:
      msg.message = WM_MOUSEMOVE;
      msg.wParam = MK_LBUTTON;
      break;
    default:
      msg.message = WM_LBUTTONUP;
      msg.wParam = 0;
      keys_[0x01] = false;
      break;
  }
  return routed;
}

void InputRouter::Forget(HWND window) {
  if (capture == window) capture = nullptr;
  if (focus == window) focus = nullptr;
  if (foreground == window) foreground = nullptr;
}

}  // namespace ce
