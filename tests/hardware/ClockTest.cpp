#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <thread>
#include <vector>

#include "hardware/clock/Clock.h"

namespace {

using hw::Clock;

TEST(VirtualClock, EventsFireInTimeOrderAndTiesInSchedulingOrder) {
  Clock clock(Clock::Mode::Virtual);
  std::vector<std::string> fired;
  clock.ScheduleAt(3000, [&] { fired.push_back("c@3"); });
  clock.ScheduleAt(1000, [&] { fired.push_back("a@1"); });
  clock.ScheduleAt(2000, [&] { fired.push_back("b1@2"); });
  clock.ScheduleAt(2000, [&] { fired.push_back("b2@2"); });
  clock.ScheduleAt(2000, [&] { fired.push_back("b3@2"); });
  clock.SleepMs(5);
  EXPECT_EQ(fired, (std::vector<std::string>{"a@1", "b1@2", "b2@2", "b3@2", "c@3"}));
  EXPECT_EQ(clock.NowUs(), 5000u);
}

TEST(VirtualClock, TimeIsAtTheEventWhileItsHandlerRuns) {
  Clock clock(Clock::Mode::Virtual);
  std::vector<Clock::Micros> seen;
  clock.ScheduleAfter(1500, [&] { seen.push_back(clock.NowUs()); });
  clock.ScheduleAfter(700, [&] { seen.push_back(clock.NowUs()); });
  clock.SleepMs(10);
  EXPECT_EQ(seen, (std::vector<Clock::Micros>{700, 1500}));
}

TEST(VirtualClock, HandlersMayScheduleAndCancel) {
  Clock clock(Clock::Mode::Virtual);
  std::vector<Clock::Micros> ticks;
  // A periodic event that reschedules itself, as a window timer does.
  std::function<void()> tick = [&] {
    ticks.push_back(clock.NowUs());
    if (ticks.size() < 4) clock.ScheduleAfter(100, tick);
  };
  clock.ScheduleAfter(100, tick);
  Clock::EventId doomed = clock.ScheduleAt(250, [&] { ADD_FAILURE() << "cancelled event fired"; });
  clock.ScheduleAt(150, [&] { EXPECT_TRUE(clock.Cancel(doomed)); });
  clock.SleepMs(1);
  EXPECT_EQ(ticks, (std::vector<Clock::Micros>{100, 200, 300, 400}));
  EXPECT_FALSE(clock.Cancel(doomed));
  EXPECT_EQ(clock.PendingEvents(), 0u);
}

TEST(VirtualClock, EventsDueLaterStayPendingAndPastEventsFireOnNextAdvance) {
  Clock clock(Clock::Mode::Virtual);
  int fired = 0;
  clock.ScheduleAt(10'000, [&] { ++fired; });
  clock.SleepMs(5);
  EXPECT_EQ(fired, 0);
  EXPECT_EQ(clock.NextDueUs(), 10'000u);
  clock.AdvanceTo(1000);  // never backwards
  EXPECT_EQ(clock.NowUs(), 5000u);
  clock.ScheduleAt(2000, [&] { ++fired; });  // already past
  clock.AdvanceTo(5000);
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(clock.NowUs(), 5000u);
}

TEST(VirtualClock, WaitWithDeadlineStopsAtTheDeadlineOrWhenReady) {
  Clock clock(Clock::Mode::Virtual);
  std::mutex m;
  std::condition_variable cv;
  bool ready = false;
  clock.ScheduleAt(30'000, [&] {
    std::lock_guard lock(m);
    ready = true;
  });
  {
    std::unique_lock lock(m);
    EXPECT_FALSE(clock.WaitUntil(lock, cv, [&] { return ready; }, 20'000));
  }
  EXPECT_EQ(clock.NowUs(), 20'000u);
  {
    std::unique_lock lock(m);
    EXPECT_TRUE(clock.WaitUntil(lock, cv, [&] { return ready; }, 100'000));
  }
  // Woken by the event at 30 ms, not at the deadline.
  EXPECT_EQ(clock.NowUs(), 30'000u);
}

TEST(VirtualClock, EndlessWaitIsWokenByAnotherThread) {
  Clock clock(Clock::Mode::Virtual);
  std::mutex m;
  std::condition_variable cv;
  bool ready = false;
  std::thread other([&] {
    std::lock_guard lock(m);
    ready = true;
    cv.notify_all();
  });
  std::unique_lock lock(m);
  EXPECT_TRUE(clock.WaitUntil(lock, cv, [&] { return ready; }, std::nullopt));
  lock.unlock();
  other.join();
  EXPECT_EQ(clock.NowUs(), 0u);
}

TEST(VirtualClock, TwoRunsOfTheSameScheduleAreIdentical) {
  auto run = [] {
    Clock clock(Clock::Mode::Virtual);
    std::vector<std::pair<int, Clock::Micros>> log;
    for (int i = 0; i < 20; ++i) {
      clock.ScheduleAfter(static_cast<Clock::Micros>((i * 37) % 11) * 100, [&, i] {
        log.emplace_back(i, clock.NowUs());
      });
    }
    clock.SleepMs(2);
    return log;
  };
  EXPECT_EQ(run(), run());
}

TEST(RealClock, FiresScheduledEventsOnItsOwnThread) {
  Clock clock(Clock::Mode::Real);
  std::mutex m;
  std::condition_variable cv;
  bool fired = false;
  clock.ScheduleAfter(1000, [&] {
    std::lock_guard lock(m);
    fired = true;
    cv.notify_all();
  });
  std::unique_lock lock(m);
  EXPECT_TRUE(clock.WaitUntil(lock, cv, [&] { return fired; }, std::nullopt));
}

}  // namespace
