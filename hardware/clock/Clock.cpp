#include "hardware/clock/Clock.h"

#include <limits>

namespace hw {

Clock::Clock(Mode mode) : mode_(mode), start_(std::chrono::steady_clock::now()) {
  if (mode_ == Mode::Real) realThread_ = std::thread([this] { RealLoop(); });
}

Clock::~Clock() { StopFiring(); }

void Clock::StopFiring() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (realThread_.joinable()) realThread_.join();
}

Clock::Micros Clock::NowUs() const {
  if (mode_ == Mode::Virtual) {
    std::lock_guard lock(mutex_);
    return virtualNow_;
  }
  auto elapsed = std::chrono::steady_clock::now() - start_;
  return static_cast<Micros>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count());
}

Clock::EventId Clock::ScheduleAt(Micros dueUs, Handler handler) {
  EventId id;
  {
    std::lock_guard lock(mutex_);
    id = nextId_++;
    events_.emplace(Key{dueUs, id}, std::move(handler));
    dueOf_.emplace(id, dueUs);
  }
  changed_.notify_all();
  return id;
}

Clock::EventId Clock::ScheduleAfter(Micros delayUs, Handler handler) {
  Micros now = NowUs();
  Micros due = delayUs > std::numeric_limits<Micros>::max() - now ? std::numeric_limits<Micros>::max()
                                                                  : now + delayUs;
  return ScheduleAt(due, std::move(handler));
}

bool Clock::Cancel(EventId id) {
  std::lock_guard lock(mutex_);
  auto it = dueOf_.find(id);
  if (it == dueOf_.end()) return false;
  events_.erase(Key{it->second, id});
  dueOf_.erase(it);
  return true;
}

std::optional<Clock::Micros> Clock::NextDueUs() const {
  std::lock_guard lock(mutex_);
  if (events_.empty()) return std::nullopt;
  return events_.begin()->first.due;
}

std::size_t Clock::PendingEvents() const {
  std::lock_guard lock(mutex_);
  return events_.size();
}

bool Clock::FireNextDue(Micros limitUs) {
  Handler handler;
  {
    std::lock_guard lock(mutex_);
    if (events_.empty()) return false;
    auto it = events_.begin();
    if (it->first.due > limitUs) return false;
    if (it->first.due > virtualNow_) virtualNow_ = it->first.due;
    handler = std::move(it->second);
    dueOf_.erase(it->first.id);
    events_.erase(it);
  }
  changed_.notify_all();
  handler();
  return true;
}

void Clock::AdvanceTo(Micros dueUs) {
  if (mode_ == Mode::Real) {
    Micros now = NowUs();
    if (dueUs > now) std::this_thread::sleep_for(std::chrono::microseconds(dueUs - now));
    return;
  }
  while (FireNextDue(dueUs)) {
  }
  {
    std::lock_guard lock(mutex_);
    if (dueUs > virtualNow_) virtualNow_ = dueUs;
  }
  changed_.notify_all();
}

void Clock::SleepUs(Micros us) {
  Micros now = NowUs();
  Micros due = us > std::numeric_limits<Micros>::max() - now ? std::numeric_limits<Micros>::max() : now + us;
  AdvanceTo(due);
}

bool Clock::WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                      const std::function<bool()>& ready, std::optional<Micros> deadlineUs) {
  if (mode_ == Mode::Real) {
    if (!deadlineUs) {
      cv.wait(lock, ready);
      return true;
    }
    auto until = RealTimeOf(*deadlineUs);
    return cv.wait_until(lock, until, ready);
  }
  const Micros limit = deadlineUs.value_or(std::numeric_limits<Micros>::max());
  while (!ready()) {
    lock.unlock();
    bool fired = FireNextDue(limit);
    lock.lock();
    if (fired) continue;
    if (deadlineUs) {
      lock.unlock();
      AdvanceTo(*deadlineUs);
      lock.lock();
      return ready();
    }
    // Nothing is scheduled: only another thread can make us ready. Look
    // again now and then, since a new event may be scheduled meanwhile.
    cv.wait_for(lock, std::chrono::milliseconds(5), ready);
  }
  return true;
}

void Clock::RealLoop() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (events_.empty()) {
      changed_.wait(lock);
      continue;
    }
    auto first = events_.begin();
    auto due = RealTimeOf(first->first.due);
    if (std::chrono::steady_clock::now() < due) {
      changed_.wait_until(lock, due);
      continue;
    }
    Handler handler = std::move(first->second);
    dueOf_.erase(first->first.id);
    events_.erase(first);
    lock.unlock();
    handler();
    lock.lock();
  }
}

}  // namespace hw
