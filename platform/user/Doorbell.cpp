#include "platform/user/Doorbell.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace ce {

namespace {

static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t) &&
              std::atomic<std::uint32_t>::is_always_lock_free);

std::uint32_t* Word(std::atomic<std::uint32_t>& state) { return reinterpret_cast<std::uint32_t*>(&state); }

// Sleeps while the word still reads `expected`, until woken or the
// absolute CLOCK_MONOTONIC time (nullptr: no limit). False on timeout.
bool FutexWait(std::atomic<std::uint32_t>& state, std::uint32_t expected, const timespec* until) {
  const long result = ::syscall(SYS_futex, Word(state), FUTEX_WAIT_BITSET_PRIVATE, expected, until, nullptr,
                                FUTEX_BITSET_MATCH_ANY);
  return !(result < 0 && errno == ETIMEDOUT);
}

void FutexWakeOne(std::atomic<std::uint32_t>& state) {
  ::syscall(SYS_futex, Word(state), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

}  // namespace

void Doorbell::Ring() {
  if (state_.exchange(kRung) == kSleeping) FutexWakeOne(state_);
}

bool Doorbell::TakeRing() {
  std::uint32_t rung = kRung;
  return state_.compare_exchange_strong(rung, kIdle);
}

bool Doorbell::SleepUntilMonotonic(const timespec* until) {
  for (;;) {
    if (TakeRing()) return true;
    std::uint32_t idle = kIdle;
    if (!state_.compare_exchange_strong(idle, kSleeping)) continue;  // rung meanwhile
    // A ring between here and the wait changes the word, so the wait
    // returns at once instead of missing it.
    const bool beforeTime = FutexWait(state_, kSleeping, until);
    std::uint32_t sleeping = kSleeping;
    if (!state_.compare_exchange_strong(sleeping, kIdle)) {  // rung
      state_.store(kIdle);
      return true;
    }
    if (!beforeTime) return false;
    // Woken for no reason (a signal): sleep on.
  }
}

bool Doorbell::SleepUntil(std::chrono::steady_clock::time_point until) {
  // The steady clock is CLOCK_MONOTONIC, the clock absolute futex waits use.
  const auto sinceBoot = std::chrono::duration_cast<std::chrono::nanoseconds>(until.time_since_epoch()).count();
  const long long ns = sinceBoot < 0 ? 0 : sinceBoot;
  const timespec at{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
  return SleepUntilMonotonic(&at);
}

void Doorbell::Sleep() { SleepUntilMonotonic(nullptr); }

}  // namespace ce
