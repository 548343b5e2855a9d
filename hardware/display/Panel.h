// The handheld's 240 x 320 colour touch panel: the pixels the system has
// drawn, and the backlight. With the backlight off the panel shows black,
// but its pixels are kept and input still arrives.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
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
    std::lock_guard lock(mutex_);
    backlight_ = on;
    ++frame_;
  }

  // What a person sees now: the pixels, or black with the backlight off.
  std::vector<std::uint32_t> Visible() const {
    std::lock_guard lock(mutex_);
    if (!backlight_) return std::vector<std::uint32_t>(pixels_.size(), 0);
    return pixels_;
  }

  // Counts changes, so a front end can tell when to present again.
  void MarkChanged() { ++frame_; }
  std::uint64_t frame() const { return frame_; }

 private:
  mutable std::mutex mutex_;
  std::vector<std::uint32_t> pixels_;
  bool backlight_ = true;
  std::atomic<std::uint64_t> frame_ = 0;  // read by a front end's thread
};

}  // namespace hw
