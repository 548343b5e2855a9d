#include <gtest/gtest.h>

#include <thread>

#include "tests/support/Devices.h"
#include "windows.h"

namespace {

class SyncTest : public ::testing::Test {
 protected:
  TestDevices devices_;
  hw::Clock& clock_ = devices_.clock;
};

TEST_F(SyncTest, AutoResetEventReleasesOneWaitAndResets) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(SetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(CloseHandle(event));
}

TEST_F(SyncTest, ManualResetEventStaysSignalledUntilReset) {
  HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ResetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  CloseHandle(event);
}

TEST_F(SyncTest, TimedWaitAndSleepTakeVirtualTime) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  DWORD start = GetTickCount();
  EXPECT_EQ(WaitForSingleObject(event, 250), WAIT_TIMEOUT);
  EXPECT_EQ(GetTickCount() - start, 250u);
  Sleep(50);
  EXPECT_EQ(GetTickCount() - start, 300u);
  // Signalled by a clock event before the deadline: the wait ends then.
  clock_.ScheduleAfter(40'000, [event] { SetEvent(event); });
  EXPECT_EQ(WaitForSingleObject(event, 1000), WAIT_OBJECT_0);
  EXPECT_EQ(GetTickCount() - start, 340u);
  CloseHandle(event);
}

TEST_F(SyncTest, InfiniteWaitIsSignalledFromAnotherThread) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  std::thread setter([event] { SetEvent(event); });
  EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
  setter.join();
  CloseHandle(event);
}

TEST_F(SyncTest, ClosedOrForeignHandlesFailWithInvalidHandle) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  ASSERT_TRUE(CloseHandle(event));
  SetLastError(0);
  EXPECT_FALSE(SetEvent(event));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(CloseHandle(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
  EXPECT_FALSE(CloseHandle(nullptr));
  EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
  // A new event never gets the value of the closed one.
  HANDLE next = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  EXPECT_NE(next, event);
  CloseHandle(next);
}

TEST_F(SyncTest, LastErrorIsPerThread) {
  SetLastError(42);
  std::thread other([] {
    EXPECT_EQ(GetLastError(), 0u);
    SetLastError(7);
  });
  other.join();
  EXPECT_EQ(GetLastError(), 42u);
}

TEST_F(SyncTest, CriticalSectionIsRecursiveAndExcludesOtherThreads) {
  CRITICAL_SECTION cs;
  InitializeCriticalSection(&cs);
  EnterCriticalSection(&cs);
  EnterCriticalSection(&cs);  // same thread again
  bool otherGotIn = true;
  std::thread other([&] { otherGotIn = TryEnterCriticalSection(&cs); });
  other.join();
  EXPECT_FALSE(otherGotIn);
  LeaveCriticalSection(&cs);
  LeaveCriticalSection(&cs);
  int counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 1000; ++i) {
        EnterCriticalSection(&cs);
        ++counter;
        LeaveCriticalSection(&cs);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter, 4000);
  DeleteCriticalSection(&cs);
}

}  // namespace
