// The handheld's idle timer: programs that keep the device awake reset it
// (SystemIdleTimerReset); the host's dump shows how often and when last.
#pragma once

#include <cstdint>
#include <optional>

namespace ce {

struct IdleTimerState {
  std::uint64_t resets = 0;
  std::optional<std::uint64_t> lastResetMs;  // clock time of the last reset
};
IdleTimerState IdleTimer();

}  // namespace ce
