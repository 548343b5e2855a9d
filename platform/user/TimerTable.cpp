#include "platform/user/TimerTable.h"

#include <algorithm>

#include "hardware/clock/Clock.h"
#include "platform/kernel/Devices.h"

namespace ce {
namespace {

constexpr auto kByKey = [](const auto& entry, TimerKey key) { return entry.first < key; };

}  // namespace

TimerTable::Timers::iterator TimerTable::Find(TimerKey key) {
  auto it = std::lower_bound(timers_.begin(), timers_.end(), key, kByKey);
  return it != timers_.end() && it->first == key ? it : timers_.end();
}

TimerTable::Timers::const_iterator TimerTable::Find(TimerKey key) const {
  auto it = std::lower_bound(timers_.begin(), timers_.end(), key, kByKey);
  return it != timers_.end() && it->first == key ? it : timers_.end();
}

UINT_PTR TimerTable::Set(HWND window, UINT_PTR id, UINT intervalMs, TIMERPROC proc, std::thread::id thread) {
  if (!window) {
    auto existing = Find(TimerKey{nullptr, id});
    if (id == 0 || existing == timers_.end() || existing->second.thread != thread) {
      do {
        id = nextWindowlessId_++;
        if (nextWindowlessId_ == 0) nextWindowlessId_ = 1;
      } while (Find(TimerKey{nullptr, id}) != timers_.end());
    }
  }
  // A zero interval would fire again at the same instant for ever.
  if (intervalMs == 0) intervalMs = 1;
  TimerKey key{window, id};
  auto it = std::lower_bound(timers_.begin(), timers_.end(), key, kByKey);
  if (it != timers_.end() && it->first == key) {
    Cancel(it->second);
    it->second = Timer{intervalMs, proc, thread, &Attached::Clock()};
  } else {
    it = timers_.insert(it, {key, Timer{intervalMs, proc, thread, &Attached::Clock()}});
  }
  Timer& timer = it->second;
  timer.generation = nextGeneration_++;
  Schedule(key, timer, timer.clock->NowUs() + std::uint64_t{intervalMs} * 1000);
  return id;
}

bool TimerTable::Kill(HWND window, UINT_PTR id) {
  auto it = Find(TimerKey{window, id});
  if (it == timers_.end()) return false;
  Cancel(it->second);
  timers_.erase(it);
  return true;
}

void TimerTable::KillAllOf(HWND window) {
  KillWhere([window](const TimerKey& key, const Timer&) { return key.window == window; });
}

void TimerTable::KillAllOfThread(std::thread::id thread) {
  KillWhere([thread](const TimerKey&, const Timer& timer) { return timer.thread == thread; });
}

void TimerTable::KillAllOnClock(const hw::Clock* clock) {
  KillWhere([clock](const TimerKey&, const Timer& timer) { return timer.clock == clock; });
}

std::optional<std::thread::id> TimerTable::Expire(TimerKey key, std::uint64_t generation) {
  auto it = Find(key);
  if (it == timers_.end() || it->second.generation != generation) return std::nullopt;
  it->second.event = 0;
  MarkExpired(key, it->second, it->second.clock->NowUs());
  return it->second.thread;
}

void TimerTable::ExpireDue(std::thread::id thread) {
  // Timers keep the clock they were set on; asked once per clock.
  const hw::Clock* clock = nullptr;
  hw::Clock::Micros now = 0;
  for (auto& [key, timer] : timers_) {
    if (timer.thread != thread || !timer.ByDeadline()) continue;
    if (timer.clock != clock) {
      clock = timer.clock;
      now = clock->NowUs();
    }
    if (timer.due <= now) MarkExpired(key, timer, now);
  }
}

std::optional<TimerTable::Deadline> TimerTable::NextDeadline(std::thread::id thread) const {
  std::optional<Deadline> next;
  for (const auto& [key, timer] : timers_)
    if (timer.thread == thread && timer.ByDeadline() && (!next || timer.due < next->due))
      next = Deadline{timer.clock, timer.due};
  return next;
}

void TimerTable::MarkExpired(TimerKey key, Timer& timer, hw::Clock::Micros now) {
  if (timer.expiredOrder == 0) timer.expiredOrder = nextExpiredOrder_++;
  // The next period counts from when this one was due, so a timer keeps
  // its rhythm; one that fell behind (real time) starts afresh from now.
  hw::Clock::Micros next = timer.due + std::uint64_t{timer.intervalMs} * 1000;
  if (next <= now) next = now + std::uint64_t{timer.intervalMs} * 1000;
  Schedule(key, timer, next);
}

std::optional<MSG> TimerTable::TakeExpired(std::thread::id thread, HWND filter, bool remove, DWORD time) {
  Timers::iterator best = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    const Timer& timer = it->second;
    if (timer.expiredOrder == 0 || timer.thread != thread) continue;
    if (filter && it->first.window != filter) continue;
    if (best == timers_.end() || timer.expiredOrder < best->second.expiredOrder) best = it;
  }
  if (best == timers_.end()) return std::nullopt;
  if (remove) best->second.expiredOrder = 0;
  MSG msg{};
  msg.hwnd = best->first.window;
  msg.message = WM_TIMER;
  msg.wParam = best->first.id;
  msg.lParam = reinterpret_cast<LPARAM>(best->second.proc);
  msg.time = time;
  return msg;
}

bool TimerTable::HasCallback(HWND window, UINT_PTR id, TIMERPROC proc) const {
  auto it = Find(TimerKey{window, id});
  return it != timers_.end() && it->second.proc == proc;
}

void TimerTable::Schedule(TimerKey key, Timer& timer, hw::Clock::Micros due) {
  if (timer.ByDeadline()) {
    timer.due = JoinLater(timer, due);
    WaitForMe(timer, timer.due);
    return;
  }
  timer.due = due;
  std::uint64_t generation = timer.generation;
  timer.event = timer.clock->ScheduleAt(due, [this, key, generation] { onDue_(key, generation); });
}

namespace {

hw::Clock::Micros ToleranceUs(UINT intervalMs) {
  return std::uint64_t{intervalMs} * 1000 / TimerTable::kToleranceDivisor;
}

}  // namespace

// The earliest other timer of the thread due from `due` to as late as the
// timer may be; else `due` itself.
hw::Clock::Micros TimerTable::JoinLater(const Timer& timer, hw::Clock::Micros due) const {
  const hw::Clock::Micros latest = due + ToleranceUs(timer.intervalMs);
  hw::Clock::Micros chosen = latest + 1;
  for (const auto& [key, other] : timers_) {
    if (&other == &timer || other.thread != timer.thread || !other.ByDeadline()) continue;
    if (other.due >= due && other.due < chosen) chosen = other.due;
  }
  return chosen <= latest ? chosen : due;
}

// Other timers of the thread due a little before `due`, that may be that
// late, come due with this one.
void TimerTable::WaitForMe(const Timer& timer, hw::Clock::Micros due) {
  for (auto& [key, other] : timers_) {
    if (&other == &timer || other.thread != timer.thread || !other.ByDeadline()) continue;
    if (other.due < due && other.due + ToleranceUs(other.intervalMs) >= due) other.due = due;
  }
}

void TimerTable::Cancel(Timer& timer) {
  if (timer.event) timer.clock->Cancel(timer.event);
  timer.event = 0;
}

}  // namespace ce
