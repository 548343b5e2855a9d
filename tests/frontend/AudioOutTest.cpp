// The desktop sound output: SDL's dummy driver stands in for a sound
// card, so the feeding of the queue is checked without one.
#include <gtest/gtest.h>

#include "hardware/frontend/AudioOut.h"

namespace {

constexpr std::size_t kBytesPerMs = 48 * 4;

TEST(AudioOutTest, TheQueueFollowsTheClockWithinTheLatencyBound) {
  std::string whyNot;
  auto out = hw::AudioOut::Open(whyNot, "dummy");
  ASSERT_NE(out, nullptr) << whyNot;
  EXPECT_EQ(out->driver(), "dummy");
  EXPECT_LE(out->LatencyBoundMs(), 50) << "a register write is heard within 50 ms";

  hw::Speaker speaker;
  // The first feed queues only the cushion, whatever the clock says.
  out->Feed(speaker, 3'000'000);
  EXPECT_LE(out->Queued(), hw::AudioOut::kCushionMs * kBytesPerMs);
  EXPECT_GT(out->Queued(), 0u);
  // Feeding as the clock goes keeps the queue short; the device drains it
  // meanwhile, in real time.
  for (std::uint64_t ms = 3005; ms < 3100; ms += 5) {
    out->Feed(speaker, ms * 1000);
    EXPECT_LE(out->Queued(), hw::AudioOut::kMaxQueuedMs * kBytesPerMs + 5 * kBytesPerMs);
  }
  // A clock far ahead (the thread was held up): the backlog is dropped.
  out->Feed(speaker, 9'000'000);
  EXPECT_LE(out->Queued(), hw::AudioOut::kCushionMs * kBytesPerMs);
}

TEST(AudioOutTest, ADriverThatCannotOpenIsNamedInTheReason) {
  std::string whyNot;
  EXPECT_EQ(hw::AudioOut::Open(whyNot, "no-such-driver"), nullptr);
  EXPECT_NE(whyNot.find("no-such-driver"), std::string::npos) << whyNot;
}

}  // namespace
