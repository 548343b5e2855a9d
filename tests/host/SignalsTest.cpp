// The signal catcher: the first SIGINT or SIGTERM asks the radio to close
// and the process goes on; a second ends it at once, as killed by the
// signal, even when the program does not close (here it never does).
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "host/Signals.h"

namespace {

void AskTwice(int first, int second) {
  std::promise<void> asked;
  std::future<void> firstAsked = asked.get_future();
  int times = 0;
  host::SignalCatcher catcher([&] {
    if (++times == 1) asked.set_value();
  });
  ::kill(::getpid(), first);
  if (firstAsked.wait_for(std::chrono::seconds(10)) != std::future_status::ready) _exit(3);
  ::kill(::getpid(), second);
  // Bounded: reached only if the second signal did not end the process.
  std::promise<void> never;
  never.get_future().wait_for(std::chrono::seconds(10));
  _exit(4);
}

TEST(SignalsTest, TheFirstSignalAsksToCloseASecondEndsTheProcessAtOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(AskTwice(SIGINT, SIGINT), ::testing::KilledBySignal(SIGINT), "");
  EXPECT_EXIT(AskTwice(SIGTERM, SIGINT), ::testing::KilledBySignal(SIGINT), "");
  EXPECT_EXIT(AskTwice(SIGINT, SIGTERM), ::testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
