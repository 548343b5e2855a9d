// The handheld's 240 x 320 colour touch panel: the pixels the system has
// drawn, and the backlight. With the backlight off the panel shows black,
// but its pixels are kept and input still arrives.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace hw {

class Panel {
 public:
  static constexpr int kWidth = 240;
  static constexpr int kHeight = 320;

  Panel() : pixels_(kWidth * kHeight, 0xFFFFFF) {}

  // Pixels are 0x00RRGGBB, row by row from the top left.
  std::uint32_t* pixels() { return pixels_.data(); }
  const std::uint32_t* pixels() const { return pixels_.data(); }
  std::mutex& mutex() { return mutex_; }  // held while drawing or presenting

  bool backlight() const {
    std::lock_guard lock(mutex_);
    return backlight_;
  }
  void SetBacklight(bool on) {
    {
      std::lock_guard lock(mutex_);
      backlight_ = on;
    }
    MarkChanged();
  }

  // What a person sees now: the pixels, or black with the backlight off.
  std::vector<std::uint32_t> Visible() const {
    std::lock_guard lock(mutex_);
    return VisibleLocked();
  }

  // Counts changes, so a front end can tell when to present again, and
  // tells the listener (a front end waiting to present), if there is one.
  // The listener is called on the drawing thread with none of the
  // pixels' lock held, only the listener's own, so that clearing the
  // listener waits for a call under way; it must be quick and must not set
  // the listener itself.
  void MarkChanged() {
    {
      std::lock_guard lock(mutex_);
      NoteChangeLocked();
    }
    TellListener();
  }
  // The same for a drawing call that holds mutex() already, without
  // telling: true when the listener is to be told once the lock is let go
  // (TellListener). Only the first change since the listener last took the
  // picture (TakeVisible) asks for it, so a paint of many blits wakes a
  // front end once.
  bool NoteChangeLocked() {
    frame_.store(frame_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    const bool tell = !changeTold_;
    changeTold_ = true;
    return tell;
  }
  void TellListener() {
    std::lock_guard lock(listenerMutex_);
    if (onChange_) onChange_();
  }
  // What Visible gives, taken by the listener: the next change tells it
  // again.
  std::vector<std::uint32_t> TakeVisible() {
    std::lock_guard lock(mutex_);
    changeTold_ = false;
    return VisibleLocked();
  }
  std::uint64_t frame() const { return frame_.load(std::memory_order_acquire); }
  void SetChangeListener(std::function<void()> listener) {
    {
      std::lock_guard lock(mutex_);
      changeTold_ = false;
    }
    std::lock_guard lock(listenerMutex_);
    onChange_ = std::move(listener);
  }

 private:
  std::vector<std::uint32_t> VisibleLocked() const {
    if (!backlight_) return std::vector<std::uint32_t>(pixels_.size(), 0);
    return pixels_;
  }

  mutable std::mutex mutex_;
  std::vector<std::uint32_t> pixels_;
  bool backlight_ = true;
  // Changed with mutex_ held, read by a front end's thread without it.
  std::atomic<std::uint64_t> frame_ = 0;
  bool changeTold_ = false;  // a change since the listener last took the picture
  std::mutex listenerMutex_;
  std::function<void()> onChange_;
};

}  // namespace hw
