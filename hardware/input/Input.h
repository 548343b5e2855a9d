// The handheld's pen and keys. The touch panel reports where the pen is
// while it touches; the keypad reports presses and releases. Events queue
// up here in the order they happened, from whichever thread produced them
// (a desktop window's event loop, a script, the keypad's repeat), until
// the platform takes them; the platform is told that input is waiting so
// a waiting message loop wakes up.
//
// The keypad repeats a held key by itself, on the handheld's clock: the
// cursor pad's four directions and its action key (Return) send their
// first repeat kRepeatDelayMs after the press and one more every
// kRepeatPeriodMs until the release. Only the key pressed last repeats,
// as on any keypad. Ctrl and the letters of the attached keyboard do not
// repeat. Without a clock (SetClock) nothing repeats.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "hardware/clock/Clock.h"

namespace hw {

// The device's keys: the cursor pad with its action key, and the keys of
// the attached keyboard that the system uses (Ctrl and letters).
enum class KeyCode : std::uint8_t {
  Left = 1,
  Right,
  Up,
  Down,
  Return,
  Control,
  LetterA = 0x41,  // LetterA + n is the n-th letter, up to 'Z'
  LetterZ = 0x5A,
};
constexpr KeyCode Letter(char c) {
  return static_cast<KeyCode>(static_cast<std::uint8_t>(c - 'A') + static_cast<std::uint8_t>(KeyCode::LetterA));
}

struct InputEvent {
  enum class Kind : std::uint8_t { PenDown, PenMove, PenUp, KeyDown, KeyUp } kind;
  int x = 0, y = 0;             // panel pixels, for the pen
  KeyCode key = KeyCode::Left;  // for keys
  bool autoRepeat = false;      // a key-down the keypad sent for a held key
  std::uint16_t repeats = 1;    // key-downs this event stands for
};

class InputDevice {
 public:
  static constexpr int kWidth = 240;
  static constexpr int kHeight = 320;
  static constexpr std::uint64_t kRepeatDelayMs = 500;
  static constexpr std::uint64_t kRepeatPeriodMs = 100;

  InputDevice() = default;
  ~InputDevice();
  InputDevice(const InputDevice&) = delete;
  InputDevice& operator=(const InputDevice&) = delete;

  // The pen. A move or an up while the pen is not touching is not
  // reported (the panel senses nothing); a down while touching is a move.
  // Coordinates are clamped to the panel.
  void PenDown(int x, int y);
  void PenMove(int x, int y);
  void PenUp(int x, int y);
  bool PenTouching() const;

  void KeyDown(KeyCode key);
  void KeyUp(KeyCode key);
  static bool Repeats(KeyCode key);

  // The clock the keypad's repeats run on; nullptr stops them (it cancels
  // a repeat due on the clock). Clear it before the clock is destroyed.
  void SetClock(Clock* clock);

  // The oldest event not yet taken.
  std::optional<InputEvent> Take();
  // The oldest event, taken only when wanted(event) holds.
  std::optional<InputEvent> TakeIf(const std::function<bool(const InputEvent&)>& wanted);
  bool Pending() const;

  // Called (outside the lock) after each new event.
  void SetListener(std::function<void()> listener);

 private:
  void Push(InputEvent event);
  // Under the lock: queues the event; returns the listener to call after.
  std::function<void()> QueueLocked(const InputEvent& event);
  void StartRepeat(KeyCode key);  // under the lock
  void StopRepeat();              // under the lock
  void OnRepeatDue(std::uint64_t generation);

  mutable std::mutex mutex_;
  std::deque<InputEvent> events_;
  // The length of events_, for a look without the lock: every message loop
  // asks whether input waits each time it looks for work.
  std::atomic<std::size_t> queued_{0};
  bool touching_ = false;
  std::function<void()> listener_;
  Clock* clock_ = nullptr;
  std::optional<KeyCode> repeating_;
  Clock::EventId repeatEvent_ = 0;
  std::uint64_t repeatGeneration_ = 0;  // a due repeat of an older hold does nothing
};

}  // namespace hw
