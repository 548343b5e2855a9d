#include "user/UserFixture.h"
#include "platform/shell/NavBar.h"

namespace {

// Counts the pixels of the bar's rows that are the given colour.
int CountInBar(std::uint32_t rgb) {
  hw::Panel& panel = *ce::Attached::Panel();
  std::lock_guard lock(panel.mutex());
  int count = 0;
  for (int y = 0; y < ce::kNavigationBarHeight; ++y)
    for (int x = 0; x < hw::Panel::kWidth; ++x) count += panel.pixels()[y * hw::Panel::kWidth + x] == rgb;
  return count;
}

std::vector<std::uint32_t> BarPixels() {
  hw::Panel& panel = *ce::Attached::Panel();
  std::lock_guard lock(panel.mutex());
  return {panel.pixels(), panel.pixels() + ce::kNavigationBarHeight * hw::Panel::kWidth};
}

TEST_F(UserTest, TheNavigationBarShowsTheForegroundTitleAndStaysOnTop) {
  ce::ShowNavigationBar();
  HWND hwnd = Make(0, 0, 240, 320, WS_VISIBLE, nullptr, u"");
  Drain();
  const int plainWhite = CountInBar(0xFFFFFF);
  SetWindowTextW(hwnd, u"Radio");
  Drain();  // redrawn when the loop goes idle
  EXPECT_GT(CountInBar(0xFFFFFF), plainWhite);  // the title's letters
  EXPECT_GT(CountInBar(0x102860), 240 * 10);     // mostly the bar's blue
  // Another window in front shows its title; when it goes, the one behind
  // is shown again.
  const std::vector<std::uint32_t> radioBar = BarPixels();
  HWND front = Make(0, 0, 240, 320, WS_VISIBLE, nullptr, u"Settings");
  Drain();
  EXPECT_NE(BarPixels(), radioBar);
  DestroyWindow(front);
  Drain();
  EXPECT_EQ(BarPixels(), radioBar);
  // A window over the whole screen neither draws on the bar nor is found
  // under it.
  EXPECT_EQ(WindowFromPoint(POINT{100, 10}), nullptr);
  EXPECT_EQ(WindowFromPoint(POINT{100, 30}), hwnd);
  HDC dc = GetDC(hwnd);
  RECT all{0, 0, 240, 320};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(hwnd, dc);
  EXPECT_EQ(CountInBar(0x000000), 0);
  ce::HideNavigationBar();
  EXPECT_EQ(WindowFromPoint(POINT{100, 10}), hwnd);
}

}  // namespace
