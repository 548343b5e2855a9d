#include "UserFixture.h"

#include <thread>

#include "platform/user/TimerTable.h"

namespace {

std::vector<std::pair<UINT_PTR, std::uint64_t>> g_callbacks;
hw::Clock* g_clock = nullptr;

void CALLBACK Tick(HWND hwnd, UINT message, UINT_PTR id, DWORD) {
  EXPECT_EQ(hwnd, nullptr);
  EXPECT_EQ(message, static_cast<UINT>(WM_TIMER));
  g_callbacks.emplace_back(id, g_clock->NowMs());
}

class TimerTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    g_callbacks.clear();
    g_clock = clock_;
  }
  std::vector<std::pair<WPARAM, std::uint64_t>> Ticks() const {
    std::vector<std::pair<WPARAM, std::uint64_t>> out;
    for (const Seen& s : SeenOf(WM_TIMER)) out.emplace_back(s.wParam, s.ms);
    return out;
  }
};

TEST_F(TimerTest, WindowTimersFireInTimeOrderOnTheVirtualClock) {
  HWND hwnd = Make(0, 26, 240, 294);
  EXPECT_EQ(SetTimer(hwnd, 3, 100, nullptr), 3u);
  EXPECT_EQ(SetTimer(hwnd, 6, 250, nullptr), 6u);
  PumpUntil([&] { return clock_->NowMs() >= 500 && SeenOf(WM_TIMER).size() >= 7; });
  using T = std::vector<std::pair<WPARAM, std::uint64_t>>;
  EXPECT_EQ(Ticks(), (T{{3, 100}, {3, 200}, {6, 250}, {3, 300}, {3, 400}, {6, 500}, {3, 500}}));

  // Killing stops it; setting it again starts a fresh period from now.
  seen_.clear();
  EXPECT_TRUE(KillTimer(hwnd, 6));
  EXPECT_FALSE(KillTimer(hwnd, 6));
  EXPECT_EQ(SetTimer(hwnd, 3, 1000, nullptr), 3u);
  PumpUntil([&] { return !SeenOf(WM_TIMER).empty(); });
  EXPECT_EQ(Ticks(), (T{{3, 1500}}));
}

TEST_F(TimerTest, WindowlessTimersGetTheirIdentifierFromThePlatformAndCallTheirCallback) {
  Make(0, 26, 240, 294);
  UINT_PTR first = SetTimer(nullptr, 0, 300, Tick);
  UINT_PTR second = SetTimer(nullptr, 0, 200, Tick);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_NE(first, second);
  EXPECT_EQ(SetTimer(nullptr, first, 300, Tick), first);  // restarts the same timer
  PumpUntil([&] { return g_callbacks.size() >= 3; });
  using C = std::vector<std::pair<UINT_PTR, std::uint64_t>>;
  EXPECT_EQ(g_callbacks, (C{{second, 200}, {first, 300}, {second, 400}}));
  EXPECT_TRUE(KillTimer(nullptr, first));
  EXPECT_TRUE(KillTimer(nullptr, second));
  EXPECT_FALSE(KillTimer(nullptr, second));

  // A forged WM_TIMER naming a function that is no timer's calls nothing.
  MSG forged{nullptr, WM_TIMER, 99, reinterpret_cast<LPARAM>(&Tick), 0, {}};
  g_callbacks.clear();
  DispatchMessageW(&forged);
  EXPECT_TRUE(g_callbacks.empty());
}

TEST_F(TimerTest, TimersKeepFiringInsideANestedMessageLoop) {
  HWND hwnd = Make(0, 26, 240, 294);
  int ticksInside = 0;
  bool inside = false;
  handlers_[WM_COMMAND] = [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    // A modal loop, as a dialog runs it, until four ticks came in.
    inside = true;
    MSG msg;
    while (ticksInside < 4 && GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
    inside = false;
    return 0;
  };
  handlers_[WM_TIMER] = [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    if (inside) ++ticksInside;
    return 0;
  };
  SetTimer(hwnd, 3, 100, nullptr);
  PostMessageW(hwnd, WM_COMMAND, 40003, 0);
  PumpUntil([&] { return SeenOf(WM_TIMER).size() >= 5; });
  EXPECT_EQ(ticksInside, 4);
  EXPECT_EQ(clock_->NowMs(), 500u);
}

TEST_F(TimerTest, ADestroyedWindowsTimersStop) {
  HWND hwnd = Make(0, 26, 240, 294);
  HWND other = Make(0, 26, 100, 100);
  SetTimer(hwnd, 1, 100, nullptr);
  SetTimer(other, 2, 150, nullptr);
  DestroyWindow(hwnd);
  PumpUntil([&] { return SeenOf(WM_TIMER).size() >= 2; });
  for (const Seen& s : SeenOf(WM_TIMER)) EXPECT_EQ(s.hwnd, other);
  EXPECT_FALSE(KillTimer(hwnd, 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

// In real time the timers of a thread fall into step, none coming due
// early and none later than a tenth of its interval, so that a program
// with several timers wakes once for them, not once for each.
TEST(RealTimeTimerTest, TimersOfAThreadComeDueTogetherWithinTheirTolerance) {
  TestDevices devices({.clock = hw::Clock::Mode::Real});
  hw::Clock& realTime = devices.clock;
  ce::TimerTable table([](ce::TimerKey, std::uint64_t) {});
  const auto thread = std::this_thread::get_id();
  HWND window = reinterpret_cast<HWND>(0x1234);
  const hw::Clock::Micros start = realTime.NowUs();
  table.Set(window, 1, 10000, nullptr, thread);
  table.Set(window, 2, 10000, nullptr, thread);
  table.Set(window, 3, 10400, nullptr, thread);
  table.Set(window, 4, 20000, nullptr, thread);
  const hw::Clock::Micros set = realTime.NowUs();
  const auto due = [&](UINT_PTR id) { return table.DueOf(window, id).value_or(0); };
  EXPECT_EQ(due(1), due(3));
  EXPECT_EQ(due(2), due(3));
  EXPECT_GE(due(3), set + 10'400'000 - (set - start)) << "not early";
  EXPECT_LE(due(1), start + 11'000'000) << "late by a tenth at most";
  EXPECT_GE(due(4), start + 20'000'000);
  EXPECT_EQ(table.NextDeadline(thread)->due, due(1));
}

}  // namespace
