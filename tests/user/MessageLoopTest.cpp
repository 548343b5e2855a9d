#include "UserFixture.h"
#include "platform/gdi/WindowArea.h"

namespace {

RECT TakenUpdate(HWND hwnd) {
  RECT update{};
  bool erase = false;
  ce::TakeUpdateRect(hwnd, &update, &erase);
  return update;
}

TEST_F(UserTest, PostedMessagesComeInOrderAndPaintOnlyWhenTheQueueIsEmpty) {
  std::vector<RECT> painted;
  handlers_[WM_PAINT] = [&](HWND hwnd, UINT, WPARAM, LPARAM) -> LRESULT {
    painted.push_back(TakenUpdate(hwnd));
    return 0;
  };
  HWND hwnd = Make(0, 26, 240, 294);
  PostMessageW(hwnd, WM_USER + 1, 0, 0);
  PostMessageW(hwnd, WM_USER + 2, 0, 0);
  seen_.clear();
  Drain();
  std::vector<UINT> order;
  for (const Seen& s : seen_) order.push_back(s.message);
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_PAINT}));
  ASSERT_EQ(painted.size(), 1u);
  EXPECT_EQ(painted[0].right, 240);
  EXPECT_EQ(painted[0].bottom, 294);

  // Invalidated parts add up to one update; painted once.
  RECT a{10, 10, 20, 20}, b{50, 5, 60, 15};
  InvalidateRect(hwnd, &a, FALSE);
  InvalidateRect(hwnd, &b, FALSE);
  Drain();
  ASSERT_EQ(painted.size(), 2u);
  EXPECT_EQ(painted[1].left, 10);
  EXPECT_EQ(painted[1].top, 5);
  EXPECT_EQ(painted[1].right, 60);
  EXPECT_EQ(painted[1].bottom, 20);
  Drain();
  EXPECT_EQ(painted.size(), 2u);  // valid now: no more WM_PAINT
  EXPECT_EQ(clock_->NowMs(), 0u);  // none of this took time
}

TEST_F(UserTest, AWindowThatGoesAwayOrMovesRepaintsWhatItUncovered) {
  std::map<HWND, std::vector<RECT>> painted;
  handlers_[WM_PAINT] = [&](HWND hwnd, UINT, WPARAM, LPARAM) -> LRESULT {
    painted[hwnd].push_back(TakenUpdate(hwnd));
    return 0;
  };
  HWND back = Make(0, 26, 240, 294);
  HWND front = Make(20, 60, 100, 50);
  HWND child = Make(0, 0, 10, 10, WS_CHILD | WS_VISIBLE, front);
  Drain();
  painted.clear();

  ASSERT_TRUE(DestroyWindow(front));
  Drain();
  ASSERT_EQ(painted[back].size(), 1u);
  RECT u = painted[back][0];
  EXPECT_EQ(u.left, 20);
  EXPECT_EQ(u.top, 34);  // 60 on the screen is 34 in the back window
  EXPECT_EQ(u.right, 120);
  EXPECT_EQ(u.bottom, 84);
  EXPECT_EQ(painted.count(child), 0u);

  HWND cover = Make(0, 200, 50, 50);
  Drain();
  painted.clear();
  ASSERT_TRUE(MoveWindow(cover, 100, 200, 50, 50, TRUE));
  Drain();
  ASSERT_EQ(painted[back].size(), 1u);
  EXPECT_EQ(painted[back][0].left, 0);
  EXPECT_EQ(painted[back][0].top, 174);
  EXPECT_EQ(painted[back][0].right, 50);
  ASSERT_EQ(painted[cover].size(), 1u);  // repainted at its new place

  painted.clear();
  ShowWindow(cover, SW_HIDE);
  Drain();
  EXPECT_EQ(painted[back].size(), 1u);
  EXPECT_EQ(painted.count(cover), 0u);  // hidden windows are not painted
}

TEST_F(UserTest, GetMessageLetsVirtualTimePassOnlyUpToWhatIsDue) {
  HWND hwnd = Make(0, 26, 240, 294);
  Drain();
  clock_->ScheduleAfter(750'000, [hwnd] { PostMessageW(hwnd, WM_USER, 0, 0); });
  MSG msg;
  ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  EXPECT_EQ(clock_->NowMs(), 750u);
  EXPECT_EQ(msg.time, 750u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));  // peeking never waits
}

}  // namespace
