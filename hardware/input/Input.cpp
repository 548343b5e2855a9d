#include "hardware/input/Input.h"

#include <algorithm>

namespace hw {
namespace {

InputEvent PenEvent(InputEvent::Kind kind, int x, int y) {
  InputEvent event{kind};
  event.x = std::clamp(x, 0, InputDevice::kWidth - 1);
  event.y = std::clamp(y, 0, InputDevice::kHeight - 1);
  return event;
}

InputEvent KeyEvent(InputEvent::Kind kind, KeyCode key) {
  InputEvent event{kind};
  event.key = key;
  return event;
}

}  // namespace

InputDevice::~InputDevice() {
  std::lock_guard lock(mutex_);
  StopRepeat();
}

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

bool InputDevice::Repeats(KeyCode key) {
  switch (key) {
    case KeyCode::Left:
    case KeyCode::Right:
    case KeyCode::Up:
    case KeyCode::Down:
    case KeyCode::Return: return true;
    default: return false;
  }
}

void InputDevice::KeyDown(KeyCode key) {
  std::function<void()> listener;
  {
    std::lock_guard lock(mutex_);
    // The event goes in before the repeat starts, under one lock, so no
    // repeat can come ahead of its own press.
    listener = QueueLocked(KeyEvent(InputEvent::Kind::KeyDown, key));
    if (Repeats(key)) StartRepeat(key);
    else StopRepeat();
  }
  if (listener) listener();
}

void InputDevice::KeyUp(KeyCode key) {
  std::function<void()> listener;
  {
    std::lock_guard lock(mutex_);
    if (repeating_ == key) StopRepeat();
    listener = QueueLocked(KeyEvent(InputEvent::Kind::KeyUp, key));
  }
  if (listener) listener();
}

void InputDevice::SetClock(Clock* clock) {
  std::lock_guard lock(mutex_);
  StopRepeat();
  clock_ = clock;
}

void InputDevice::StartRepeat(KeyCode key) {
  StopRepeat();
  if (!clock_) return;
  repeating_ = key;
  const std::uint64_t generation = repeatGeneration_;
  repeatEvent_ = clock_->ScheduleAfter(kRepeatDelayMs * 1000, [this, generation] { OnRepeatDue(generation); });
}

void InputDevice::StopRepeat() {
  ++repeatGeneration_;
  if (repeatEvent_ && clock_) clock_->Cancel(repeatEvent_);
  repeatEvent_ = 0;
  repeating_.reset();
}

void InputDevice::OnRepeatDue(std::uint64_t generation) {
  std::function<void()> listener;
  {
    std::lock_guard lock(mutex_);
    if (generation != repeatGeneration_ || !repeating_ || !clock_) return;
    InputEvent event = KeyEvent(InputEvent::Kind::KeyDown, *repeating_);
    event.autoRepeat = true;
    listener = QueueLocked(event);
    repeatEvent_ = clock_->ScheduleAfter(kRepeatPeriodMs * 1000, [this, generation] { OnRepeatDue(generation); });
  }
  if (listener) listener();
}

std::optional<InputEvent> InputDevice::Take() {
  return TakeIf([](const InputEvent&) { return true; });
}

std::optional<InputEvent> InputDevice::TakeIf(const std::function<bool(const InputEvent&)>& wanted) {
  std::lock_guard lock(mutex_);
  if (events_.empty() || !wanted(events_.front())) return std::nullopt;
  InputEvent event = events_.front();
  events_.pop_front();
  queued_.store(events_.size(), std::memory_order_release);
  return event;
}

bool InputDevice::Pending() const { return queued_.load(std::memory_order_acquire) != 0; }

void InputDevice::SetListener(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

void InputDevice::Push(InputEvent event) {
  std::function<void()> listener;
  {
    std::lock_guard lock(mutex_);
    listener = QueueLocked(event);
  }
  if (listener) listener();
}

std::function<void()> InputDevice::QueueLocked(const InputEvent& event) {
  events_.push_back(event);
  queued_.store(events_.size(), std::memory_order_release);
  return listener_;
}

}  // namespace hw
