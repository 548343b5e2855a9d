// The handheld's pen and keys. The touch panel reports where the pen is
// while it touches; the keypad reports presses and releases. Events queue
// up here in the order they happened, from whichever thread produced them
// (a desktop window's event loop, a script), until the platform takes
// them; the platform is told that input is waiting so a waiting message
// loop wakes up.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

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
constexpr KeyCode Letter(char c) { return static_cast<KeyCode>(static_cast<std::uint8_t>(c - 'A') + 0x41); }

struct InputEvent {
  enum class Kind : std::uint8_t { PenDown, PenMove, PenUp, KeyDown, KeyUp } kind;
  int x = 0, y = 0;          // panel pixels, for the pen
  KeyCode key = KeyCode::Left;  // for keys
};

class InputDevice {
 public:
  static constexpr int kWidth = 240;
  static constexpr int kHeight = 320;

  // The pen. A move or an up while the pen is not touching is not
  // reported (the panel senses nothing); a down while touching is a move.
  // Coordinates are clamped to the panel.
  void PenDown(int x, int y);
  void PenMove(int x, int y);
  void PenUp(int x, int y);
  bool PenTouching() const;

  void KeyDown(KeyCode key);
  void KeyUp(KeyCode key);

  // The oldest event not yet taken.
  std::optional<InputEvent> Take();
  bool Pending() const;

  // Called (outside the lock) after each new event.
  void SetListener(std::function<void()> listener);

 private:
  void Push(InputEvent event);

  mutable std::mutex mutex_;
  std::deque<InputEvent> events_;
  bool touching_ = false;
  std::function<void()> listener_;
};

}  // namespace hw
