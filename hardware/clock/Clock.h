// The handheld's clock. Everything that takes time on the device (sleeps,
// waits, timers, the tuner card's search) is measured on it.
//
// Real mode follows the host's steady clock; scheduled events fire on the
// clock's own thread. Virtual mode starts at 0 and moves only when someone
// sleeps, waits or advances it: the time jumps straight to the next due
// event, fires it, and goes on, so minutes of device time pass in
// milliseconds and every run is the same. Events fire in time order, events
// due at the same time in the order they were scheduled, always outside the
// clock's lock (a handler may schedule, cancel or read the time).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace hw {

class Clock {
 public:
  enum class Mode { Real, Virtual };
  using Micros = std::uint64_t;
  using EventId = std::uint64_t;
  using Handler = std::function<void()>;

  explicit Clock(Mode mode);
  ~Clock();
  Clock(const Clock&) = delete;
  Clock& operator=(const Clock&) = delete;

  bool IsVirtual() const { return mode_ == Mode::Virtual; }

  Micros NowUs() const;
  // Real mode: the host's steady time at which the clock reads us.
  std::chrono::steady_clock::time_point RealTimeOf(Micros us) const { return start_ + std::chrono::microseconds(us); }
  std::uint64_t NowMs() const { return NowUs() / 1000; }

  // Schedules handler to run once at the given time (at once, on the next
  // advance, if that time has passed). Returns an id for Cancel; never 0.
  EventId ScheduleAt(Micros dueUs, Handler handler);
  EventId ScheduleAfter(Micros delayUs, Handler handler);
  // Returns false when the event has already fired or was cancelled (in
  // real mode its handler may still be running on the clock's thread).
  bool Cancel(EventId id);
  // Real mode: stops the clock's thread once a handler under way has
  // returned; nothing fires after. For an owner about to take down what
  // the handlers reach. Never from a handler. The destructor does it too.
  void StopFiring();
  std::optional<Micros> NextDueUs() const;
  std::size_t PendingEvents() const;

  // Lets the given time pass. Virtual: advances now, firing every event
  // that comes due on the way. Real: sleeps.
  void SleepUs(Micros us);
  void SleepMs(std::uint64_t ms) { SleepUs(ms * 1000); }

  // Virtual mode: moves the time to dueUs (never backwards), firing due
  // events in order. Real mode: sleeps until then.
  void AdvanceTo(Micros dueUs);

  // Waits until ready() holds or the deadline passes; ready() is checked
  // under the caller's lock. Virtual mode advances the time event by event
  // towards the deadline and re-checks after each; if nothing is due before
  // the deadline and nothing is ready, the time jumps to the deadline.
  // With no deadline (nullopt), virtual mode fires due events while there
  // are any and otherwise blocks until another thread makes ready() true.
  // Returns ready() at the end.
  bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                 const std::function<bool()>& ready, std::optional<Micros> deadlineUs);

 private:
  struct Key {
    Micros due;
    EventId id;  // ids grow, so ties fire in scheduling order
    bool operator<(const Key& o) const { return due != o.due ? due < o.due : id < o.id; }
  };

  bool FireNextDue(Micros limitUs);  // virtual: fires one event due <= limit
  void RealLoop();

  const Mode mode_;
  const std::chrono::steady_clock::time_point start_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  Micros virtualNow_ = 0;
  EventId nextId_ = 1;
  std::map<Key, Handler> events_;
  std::map<EventId, Micros> dueOf_;
  bool stopping_ = false;
  std::thread realThread_;
};

}  // namespace hw
