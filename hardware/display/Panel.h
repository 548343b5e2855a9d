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
    if (!backlight_) return std::vector<std::uint32_t>(pixels_.size(), 0);
    return pixels_;
  }

  // Counts changes, so a front end can tell when to present again, and
  // tells the listener (a front end waiting to present), if there is one.
  // The listener is called on the drawing thread with none of the
  // pixels' lock held, only the listener's own, so that clearing the
  // listener waits for a call under way; it must be quick and must not set
  // the listener itself.
  void MarkChanged() {
    ++frame_;
    std::lock_guard lock(listenerMutex_);
    if (onChange_) onChange_();
  }
  std::uint64_t frame() const { return frame_; }
  void SetChangeListener(std::function<void()> listener) {
    std::lock_guard lock(listenerMutex_);
    onChange_ = std::move(listener);
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::uint32_t> pixels_;
  bool backlight_ = true;
  std::atomic<std::uint64_t> frame_ = 0;  // read by a front end's thread
  std::mutex listenerMutex_;
  std::function<void()> onChange_;
};

}  // namespace hw
