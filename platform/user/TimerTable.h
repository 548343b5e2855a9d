// Timers, with or without a window, on the system clock. The message loop
// turns an expired timer into one WM_TIMER (however many periods passed
// meanwhile) when nothing more urgent is queued. Not locked itself: the
// window manager holds its lock around every call except the clock's
// callback, which it wraps.
//
// In virtual time a timer is an event on the clock: when it comes due it
// is marked expired and its thread is woken, and every timer comes due to
// the microsecond. In real time a thread's message loop sleeps until its
// next timer is due (NextDeadline) and then marks what came due
// (ExpireDue), so no other thread wakes for it; and a timer may come due
// up to a tenth of its interval late, to come due together with another
// timer of its thread: timers of one rhythm fall into step and wake their
// thread once, not once each.
#pragma once

#include <compare>
#include <functional>
#include <utility>
#include <vector>
#include <optional>
#include <thread>

#include "hardware/clock/Clock.h"
#include "windows.h"

namespace ce {

struct TimerKey {
  HWND window;
  UINT_PTR id;
  auto operator<=>(const TimerKey&) const = default;
};

class TimerTable {
 public:
  static constexpr std::uint64_t kToleranceDivisor = 10;  // real time: late by interval / 10 at most

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
  // Every timer that runs on the clock: it is being taken away.
  void KillAllOnClock(const hw::Clock* clock);

  // From onDue: marks the timer expired and schedules its next period.
  // Returns the thread to wake, if the timer still exists.
  std::optional<std::thread::id> Expire(TimerKey key, std::uint64_t generation);

  // Real time: marks the thread's timers that are due by now expired.
  void ExpireDue(std::thread::id thread);
  struct Deadline {
    hw::Clock* clock;
    hw::Clock::Micros due;
  };
  // Real time: when the thread's next timer comes due.
  std::optional<Deadline> NextDeadline(std::thread::id thread) const;

  // The longest-expired timer of the thread (for the window filter, when
  // given), as a WM_TIMER message; remove clears its expiry.
  std::optional<MSG> TakeExpired(std::thread::id thread, HWND filter, bool remove, DWORD time);

  // Is this a live timer's callback? (DispatchMessageW calls only those.)
  bool HasCallback(HWND window, UINT_PTR id, TIMERPROC proc) const;

  std::size_t Size() const { return timers_.size(); }
  // When the timer comes due next (for tests).
  std::optional<hw::Clock::Micros> DueOf(HWND window, UINT_PTR id) const {
    auto it = Find(TimerKey{window, id});
    if (it == timers_.end()) return std::nullopt;
    return it->second.due;
  }

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
    bool byDeadline = !clock->IsVirtual();
    bool ByDeadline() const { return byDeadline; }
  };
  // Sorted by key, in one block: the message loop walks them several times
  // every time it looks for work.
  using Timers = std::vector<std::pair<TimerKey, Timer>>;

  Timers::iterator Find(TimerKey key);
  Timers::const_iterator Find(TimerKey key) const;

  void Schedule(TimerKey key, Timer& timer, hw::Clock::Micros due);
  void MarkExpired(TimerKey key, Timer& timer, hw::Clock::Micros now);
  hw::Clock::Micros JoinLater(const Timer& timer, hw::Clock::Micros due) const;
  void WaitForMe(const Timer& timer, hw::Clock::Micros due);
  void Cancel(Timer& timer);
  // Cancels and forgets every timer the predicate picks.
  template <class Picks>
  void KillWhere(Picks picks) {
    for (auto it = timers_.begin(); it != timers_.end();) {
      if (picks(it->first, it->second)) {
        Cancel(it->second);
        it = timers_.erase(it);
      } else {
        ++it;
      }
    }
  }

  DueHandler onDue_;
  Timers timers_;
  std::uint64_t nextGeneration_ = 1;
  std::uint64_t nextExpiredOrder_ = 1;
  UINT_PTR nextWindowlessId_ = 0x7F01;
};

}  // namespace ce
