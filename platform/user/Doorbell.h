// How a message loop sleeps until another thread has work for it or its
// next timer is due. Ring wakes the owner if it sleeps, or else makes its
// next sleep end at once; any thread may ring, only the owner sleeps.
//
// The owner sleeps on the doorbell's own word (a futex), not on a
// condition variable: waking from a condition variable takes its lock back
// marked as contended, so an idle loop paid a second system call, to
// release that lock, every time its timer woke it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>

namespace ce {

class Doorbell {
 public:
  void Ring();
  // Each returns true when rung (taking the ring), false when the time
  // passed first.
  bool SleepUntil(std::chrono::steady_clock::time_point until);
  bool SleepFor(std::chrono::steady_clock::duration span) {
    return SleepUntil(std::chrono::steady_clock::now() + span);
  }
  void Sleep();

 private:
  enum State : std::uint32_t { kIdle, kRung, kSleeping };

  // Until rung or the absolute CLOCK_MONOTONIC time (nullptr: no limit).
  bool SleepUntilMonotonic(const timespec* until);
  bool TakeRing();

  std::atomic<std::uint32_t> state_{kIdle};
};

}  // namespace ce
