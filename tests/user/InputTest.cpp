#include "UserFixture.h"

namespace {

POINT At(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

class InputTest : public UserTest {
 protected:
  std::vector<UINT> Messages(HWND hwnd) const {
    std::vector<UINT> out;
    for (const Seen& s : seen_)
      if (s.hwnd == hwnd) out.push_back(s.message);
    return out;
  }
};

TEST_F(InputTest, ThePenGoesToTheWindowUnderItInClientCoordinatesAndFollowsCapture) {
  HWND main = Make(0, 26, 240, 294);
  HWND child = Make(100, 100, 40, 40, WS_CHILD | WS_VISIBLE, main);
  Drain();
  seen_.clear();
  input().PenDown(10, 36);
  input().PenMove(120, 140);  // over the child, but nobody captured the pen
  input().PenUp(120, 140);
  Drain();
  auto downs = SeenOf(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].hwnd, main);
  EXPECT_EQ(At(downs[0].lParam).x, 10);
  EXPECT_EQ(At(downs[0].lParam).y, 10);
  EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(MK_LBUTTON));
  auto ups = SeenOf(WM_LBUTTONUP);
  ASSERT_EQ(ups.size(), 1u);
  EXPECT_EQ(ups[0].hwnd, child);
  EXPECT_EQ(At(ups[0].lParam).x, 20);
  EXPECT_EQ(At(ups[0].lParam).y, 14);

  // The child captures on pen-down: moves far outside still reach it, in
  // its coordinates (negative ones too), until it lets go.
  handlers_[WM_LBUTTONDOWN] = [](HWND hwnd, UINT, WPARAM, LPARAM) -> LRESULT {
    SetCapture(hwnd);
    return 0;
  };
  handlers_[WM_LBUTTONUP] = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    ReleaseCapture();
    return 0;
  };
  seen_.clear();
  input().PenDown(110, 136);
  input().PenMove(5, 30);
  input().PenUp(5, 30);
  input().PenDown(5, 30);
  input().PenUp(5, 30);
  Drain();
  EXPECT_EQ(Messages(child), (std::vector<UINT>{WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP, WM_CAPTURECHANGED}));
  auto moves = SeenOf(WM_MOUSEMOVE);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(At(moves[0].lParam).x, -95);
  EXPECT_EQ(At(moves[0].lParam).y, -96);
  // The main window took the second tap and let go of the pen after it.
  EXPECT_EQ(Messages(main), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_CAPTURECHANGED}));
  EXPECT_EQ(GetCapture(), nullptr);

  // A capturing window that goes away loses the capture with it.
  SetCapture(child);
  DestroyWindow(child);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(InputTest, APenDownOnABackWindowActivatesItFirst) {
  HWND back = Make(0, 26, 240, 294);
  HWND front = Make(0, 200, 240, 120);
  EXPECT_EQ(GetForegroundWindow(), front);
  Drain();
  seen_.clear();
  input().PenDown(10, 50);
  Drain();
  EXPECT_EQ(GetForegroundWindow(), back);
  ASSERT_GE(seen_.size(), 3u);
  EXPECT_EQ(seen_[0].hwnd, front);
  EXPECT_EQ(seen_[0].message, static_cast<UINT>(WM_ACTIVATE));
  EXPECT_EQ(LOWORD(seen_[0].wParam), WA_INACTIVE);
  EXPECT_EQ(seen_[1].hwnd, back);
  EXPECT_EQ(seen_[1].message, static_cast<UINT>(WM_ACTIVATE));
  EXPECT_NE(LOWORD(seen_[1].wParam), WA_INACTIVE);
  EXPECT_EQ(SeenOf(WM_LBUTTONDOWN).at(0).hwnd, back);
  EXPECT_EQ(WindowFromPoint(POINT{10, 250}), back);  // in front now
}

TEST_F(InputTest, KeysGoToTheForegroundWindowWithThePlatformsCodes) {
  HWND first = Make(0, 26, 240, 294);
  HWND second = Make(0, 26, 240, 294);
  ASSERT_EQ(GetForegroundWindow(), second);
  Drain();
  seen_.clear();
  input().KeyDown(hw::KeyCode::Left);
  input().KeyUp(hw::KeyCode::Left);
  input().KeyDown(hw::Letter('A'));
  input().KeyUp(hw::Letter('A'));
  input().KeyDown(hw::KeyCode::Control);
  input().KeyDown(hw::Letter('Q'));
  input().KeyUp(hw::Letter('Q'));
  input().KeyUp(hw::KeyCode::Control);
  input().KeyDown(hw::KeyCode::Return);
  Drain();
  std::vector<std::pair<UINT, WPARAM>> keys;
  for (const Seen& s : seen_) {
    EXPECT_EQ(s.hwnd, second);
    keys.emplace_back(s.message, s.wParam);
  }
  using K = std::vector<std::pair<UINT, WPARAM>>;
  EXPECT_EQ(keys, (K{{WM_KEYDOWN, VK_LEFT}, {WM_KEYUP, VK_LEFT}, {WM_KEYDOWN, 'A'}, {WM_CHAR, 'a'}, {WM_KEYUP, 'A'},
                     {WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'Q'}, {WM_CHAR, 0x11}, {WM_KEYUP, 'Q'},
                     {WM_KEYUP, VK_CONTROL}, {WM_KEYDOWN, VK_RETURN}, {WM_CHAR, '\r'}}));
  EXPECT_EQ(static_cast<DWORD>(SeenOf(WM_KEYUP).at(0).lParam) >> 30, 3u);  // released, was down

  ASSERT_TRUE(SetForegroundWindow(first));
  seen_.clear();
  input().KeyDown(hw::KeyCode::Up);
  Drain();
  EXPECT_EQ(SeenOf(WM_KEYDOWN).at(0).hwnd, first);
  EXPECT_FALSE(SetForegroundWindow(reinterpret_cast<HWND>(0x5550)));
}

TEST_F(InputTest, AcceleratorsTurnCtrlKeysIntoCommands) {
  HWND hwnd = Make(0, 26, 240, 294);
  ACCEL table[] = {{FVIRTKEY | FCONTROL, 'A', 40003}, {FVIRTKEY | FCONTROL, 'Q', 40004}};
  HACCEL accel = CreateAcceleratorTableW(table, 2);
  ASSERT_NE(accel, nullptr);
  auto run = [&] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!TranslateAcceleratorW(msg.hwnd, accel, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  };
  run();
  seen_.clear();
  input().KeyDown(hw::Letter('A'));  // no Ctrl: an ordinary key
  input().KeyUp(hw::Letter('A'));
  input().KeyDown(hw::KeyCode::Control);
  input().KeyDown(hw::Letter('A'));
  input().KeyUp(hw::Letter('A'));
  input().KeyDown(hw::Letter('Q'));
  run();
  std::vector<WPARAM> commands;
  for (const Seen& s : SeenOf(WM_COMMAND)) commands.push_back(s.wParam);
  EXPECT_EQ(commands, (std::vector<WPARAM>{MAKEWPARAM(40003, 1), MAKEWPARAM(40004, 1)}));
  EXPECT_EQ(SeenOf(WM_CHAR).size(), 1u);  // only the plain 'a'
  EXPECT_TRUE(DestroyAcceleratorTable(accel));
  MSG msg{hwnd, WM_KEYDOWN, 'A', 0, 0, {}};
  EXPECT_EQ(TranslateAcceleratorW(hwnd, accel, &msg), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// A busy program does not find the input piled up behind it: the pen's
// moves that waited come as one, to the pen's last place, between the
// pen-down and the pen-up; a held key's repeats that waited add to the
// waiting key-down's repeat count; the keypad repeats on the clock.
TEST_F(InputTest, InputThatWaitsForABusyProgramDoesNotPileUp) {
  HWND main = Make(0, 26, 240, 294);
  Drain();
  seen_.clear();
  input().PenDown(10, 40);
  for (int x = 20; x <= 100; x += 20) input().PenMove(x, 60);
  input().PenUp(100, 60);
  input().PenDown(5, 30);
  input().PenMove(6, 31);
  Drain();
  std::vector<std::pair<UINT, POINT>> pen;
  for (const Seen& s : seen_)
    if (s.message == WM_LBUTTONDOWN || s.message == WM_MOUSEMOVE || s.message == WM_LBUTTONUP)
      pen.emplace_back(s.message, At(s.lParam));
  ASSERT_EQ(pen.size(), 5u);
  EXPECT_EQ(pen[0].first, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(pen[1].first, static_cast<UINT>(WM_MOUSEMOVE));
  EXPECT_EQ(pen[1].second.x, 100);
  EXPECT_EQ(pen[1].second.y, 34);
  EXPECT_EQ(pen[2].first, static_cast<UINT>(WM_LBUTTONUP));
  EXPECT_EQ(pen[3].first, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(pen[4].second.x, 6);
  input().PenUp(6, 31);

  // The right arrow held for a second while nothing reads the queue: the
  // press and the six repeats due by then (500 ms, then every 100 ms) are
  // one key-down counting 7; Ctrl does not repeat.
  Drain();
  seen_.clear();
  input().KeyDown(hw::KeyCode::Right);
  clock_->AdvanceTo(clock_->NowUs() + 1'000'000);
  input().KeyUp(hw::KeyCode::Right);
  input().KeyDown(hw::KeyCode::Control);
  clock_->AdvanceTo(clock_->NowUs() + 1'000'000);
  input().KeyUp(hw::KeyCode::Control);
  Drain();
  std::vector<std::pair<UINT, WPARAM>> keys;
  for (const Seen& s : seen_) keys.emplace_back(s.message, s.wParam);
  using K = std::vector<std::pair<UINT, WPARAM>>;
  EXPECT_EQ(keys, (K{{WM_KEYDOWN, VK_RIGHT}, {WM_KEYUP, VK_RIGHT}, {WM_KEYDOWN, VK_CONTROL}, {WM_KEYUP, VK_CONTROL}}));
  EXPECT_EQ(LOWORD(seen_.at(0).lParam), 7u);
  EXPECT_EQ(seen_.at(0).hwnd, main);

  // Read as they come, a held key's repeats are key-downs of their own,
  // each counting 1, with the key marked as down before; they stop with
  // the release.
  seen_.clear();
  input().KeyDown(hw::KeyCode::Left);
  PumpUntil([&] { return clock_->NowMs() >= 2700; });
  input().KeyUp(hw::KeyCode::Left);
  Drain();
  std::vector<std::uint64_t> times;
  for (const Seen& s : SeenOf(WM_KEYDOWN)) {
    EXPECT_EQ(LOWORD(s.lParam), 1u);
    EXPECT_EQ((static_cast<DWORD>(s.lParam) >> 30) & 1u, times.empty() ? 0u : 1u);
    times.push_back(s.ms);
  }
  EXPECT_EQ(times, (std::vector<std::uint64_t>{2000, 2500, 2600, 2700}));
  clock_->AdvanceTo(clock_->NowUs() + 1'000'000);
  Drain();
  EXPECT_EQ(SeenOf(WM_KEYDOWN).size(), 4u) << "no repeat after the release";
}

}  // namespace
