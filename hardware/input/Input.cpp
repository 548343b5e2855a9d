#include "input/Input.h"

#include <algorithm>

namespace hw {
namespace {

InputEvent PenEvent(InputEvent::Kind kind, int x, int y) {
  InputEvent event{kind};
  event.x = std::clamp(x, 0, InputDevice::kWidth - 1);
  event.y = std::clamp(y, 0, InputDevice::kHeight - 1);
  return event;
}

}  // namespace

void InputDevice::PenDown(int x, int y) {
  bool wasTouching;
  {
    std::lock_guard lock(mutex_);
    wasTouching = touching_;
    touching_ = true;
  }
  Push(PenEvent(wasTouching ? InputEvent::Kind::PenMove : InputEvent::Kind::PenDown, x, y));
}

void InputDevice::PenMove(int x, int y) {
  if (!PenTouching()) return;
  Push(PenEvent(InputEvent::Kind::PenMove, x, y));
}

void InputDevice::PenUp(int x, int y) {
  {
    std::lock_guard lock(mutex_);
    if (!touching_) return;
    touching_ = false;
  }
  Push(PenEvent(InputEvent::Kind::PenUp, x, y));
}

bool InputDevice::PenTouching() const {
  std::lock_guard lock(mutex_);
  return touching_;
}

void InputDevice::KeyDown(KeyCode key) {
  InputEvent event{InputEvent::Kind::KeyDown};
  event.key = key;
  Push(event);
}

void InputDevice::KeyUp(KeyCode key) {
  InputEvent event{InputEvent::Kind::KeyUp};
  event.key = key;
  Push(event);
}

std::optional<InputEvent> InputDevice::Take() {
  std::lock_guard lock(mutex_);
  if (events_.empty()) return std::nullopt;
  InputEvent event = events_.front();
  events_.pop_front();
  return event;
}

bool InputDevice::Pending() const {
  std::lock_guard lock(mutex_);
  return !events_.empty();
}

void InputDevice::SetListener(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

void InputDevice::Push(InputEvent event) {
  std::function<void()> listener;
  {
    std::lock_guard lock(mutex_);
    events_.push_back(event);
    listener = listener_;
  }
  if (listener) listener();
}

}  // namespace hw
