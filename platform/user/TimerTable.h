// Timers, with or without a window, on the system clock. A timer that
// comes due is marked expired and its thread is woken; the message loop
// turns an expired timer into one WM_TIMER (however many periods passed
// meanwhile) when nothing more urgent is queued. Not locked itself: the
// window manager holds its lock around every call except the clock's
// callback, which it wraps.
#pragma once

#include <compare>
#include <functional>
#include <map>
#include <optional>
#include <thread>

#include "clock/Clock.h"
#include "windows.h"

namespace ce {

struct TimerKey {
  HWND window;
  UINT_PTR id;
  auto operator<=>(const TimerKey&) const = default;
};

class TimerTable {
 public:
  // Runs on the clock (any thread, no lock held) when a timer comes due.
  using DueHandler = std::function<void(TimerKey, std::uint64_t generation)>;
  explicit TimerTable(DueHandler onDue) : onDue_(std::move(onDue)) {}

  // Starts or restarts a timer; returns its identifier. A windowless timer
  // gets an identifier chosen here unless id names one of this thread's
  // windowless timers, which then restarts.
  UINT_PTR Set(HWND window, UINT_PTR id, UINT intervalMs, TIMERPROC proc, std::thread::id thread);
  bool Kill(HWND window, UINT_PTR id);
  void KillAllOf(HWND window);
  void KillAllOfThread(std::thread::id thread);

  // From onDue: marks the timer expired and schedules its next period.
  // Returns the thread to wake, if the timer still exists.
  std::optional<std::thread::id> Expire(TimerKey key, std::uint64_t generation);

  // The longest-expired timer of the thread (for the window filter, when
  // given), as a WM_TIMER message; remove clears its expiry.
  std::optional<MSG> TakeExpired(std::thread::id thread, HWND filter, bool remove, DWORD time);

  // Is this a live timer's callback? (DispatchMessageW calls only those.)
  bool HasCallback(HWND window, UINT_PTR id, TIMERPROC proc) const;

  std::size_t Size() const { return timers_.size(); }

 private:
  struct Timer {
    UINT intervalMs;
    TIMERPROC proc;
    std::thread::id thread;
    hw::Clock* clock;
    hw::Clock::EventId event = 0;
    hw::Clock::Micros due = 0;
    std::uint64_t generation = 0;
    std::uint64_t expiredOrder = 0;  // 0: not expired
  };

  void Schedule(TimerKey key, Timer& timer, hw::Clock::Micros due);
  void Cancel(Timer& timer);

  DueHandler onDue_;
  std::map<TimerKey, Timer> timers_;
  std::uint64_t nextGeneration_ = 1;
  std::uint64_t nextExpiredOrder_ = 1;
  UINT_PTR nextWindowlessId_ = 0x7F01;
};

}  // namespace ce
