// The doorbell a message loop sleeps on: a ring is never lost, whether it
// comes before the sleep or during it, and one ring ends one sleep.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/user/Doorbell.h"

namespace {

using std::chrono::steady_clock;

TEST(DoorbellTest, ARingEndsOneSleepWhetherItCameBeforeOrDuringIt) {
  ce::Doorbell bell;
  // Nobody rang: a deadline already past ends the sleep at once, unrung.
  EXPECT_FALSE(bell.SleepUntil(steady_clock::now() - std::chrono::seconds(1)));

  // Rung before: the sleep ends at once and takes the ring, twice or not.
  bell.Ring();
  bell.Ring();
  EXPECT_TRUE(bell.SleepUntil(steady_clock::now() + std::chrono::hours(1)));
  EXPECT_FALSE(bell.SleepUntil(steady_clock::now() - std::chrono::seconds(1)));

  // Rung from another thread, before or while the owner sleeps with no
  // limit: the sleep ends (a lost ring would hang the test).
  for (int round = 0; round < 100; ++round) {
    std::thread ringer([&] { bell.Ring(); });
    bell.Sleep();
    ringer.join();
  }
}

}  // namespace
