// Window device contexts over the real window manager: painting the
// update region and keeping out of covered parts.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/Devices.h"
#include "hardware/display/Panel.h"
#include "platform/user/Desktop.h"
#include "windows.h"

namespace {

std::vector<UINT> g_seen;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  g_seen.push_back(msg);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class WindowPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = u"GdiPaintTest";
    RegisterClassW(&wc);  // the class stays registered for the other tests
    g_seen.clear();
  }
  void TearDown() override {
    for (HWND w : made) DestroyWindow(w);
  }
  HWND Make(int x, int y, int w, int h, DWORD exStyle = 0) {
    HWND hwnd = CreateWindowExW(exStyle, u"GdiPaintTest", u"", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                                nullptr, nullptr);
    EXPECT_NE(hwnd, nullptr);
    made.push_back(hwnd);
    return hwnd;
  }
  std::uint32_t Screen(int x, int y) const { return panel.pixels()[y * hw::Panel::kWidth + x]; }

  TestDevices devices;
  hw::Panel& panel = devices.panel;
  std::vector<HWND> made;
};

TEST_F(WindowPaintTest, BeginPaintTakesTheUpdateRectangleAndDrawsOnlyThere) {
  HWND w = Make(0, 26, 240, 294);
  ValidateRect(w, nullptr);
  RECT part{10, 10, 20, 20};
  InvalidateRect(w, &part, TRUE);
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(w, &ps);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(ps.hdc, dc);
  EXPECT_EQ(ps.rcPaint.left, 10);
  EXPECT_EQ(ps.rcPaint.top, 10);
  EXPECT_EQ(ps.rcPaint.right, 20);
  EXPECT_EQ(ps.rcPaint.bottom, 20);
  EXPECT_NE(std::find(g_seen.begin(), g_seen.end(), UINT(WM_ERASEBKGND)), g_seen.end());
  RECT all{0, 0, 240, 294};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(Screen(10, 36), 0u);
  EXPECT_EQ(Screen(19, 45), 0u);
  EXPECT_EQ(Screen(20, 36), 0xFFFFFFu);
  EXPECT_EQ(Screen(9, 36), 0xFFFFFFu);
  EXPECT_TRUE(EndPaint(w, &ps));
  EXPECT_EQ(GetObjectType(dc), 0u) << "the paint DC is gone after EndPaint";

  // Validated: a second BeginPaint has nothing to paint.
  dc = BeginPaint(w, &ps);
  EXPECT_TRUE(ps.rcPaint.right <= ps.rcPaint.left);
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  EXPECT_EQ(Screen(100, 100), 0xFFFFFFu);
  EndPaint(w, &ps);
}

TEST_F(WindowPaintTest, DrawingThroughACoveredWindowKeepsOutOfTheCover) {
  HWND under = Make(0, 26, 240, 294);
  Make(50, 100, 40, 40);  // on top
  HDC dc = GetDC(under);
  RECT all{0, 0, 240, 294};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(Screen(49, 110), 0u);
  EXPECT_EQ(Screen(50, 110), 0xFFFFFFu) << "covered";
  EXPECT_EQ(Screen(89, 139), 0xFFFFFFu) << "covered";
  EXPECT_EQ(Screen(90, 110), 0u);
  EXPECT_EQ(Screen(70, 140), 0u);
  EXPECT_EQ(Screen(0, 25), 0xFFFFFFu) << "above the window";
  ReleaseDC(under, dc);

  // Once the window is gone its DC draws nothing and says so.
  dc = GetDC(under);
  DestroyWindow(under);
  SetLastError(0);
  EXPECT_EQ(FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH))), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(Screen(0, 26), 0u);
  ReleaseDC(under, dc);
}

// One window context kept for the whole test while the windows around it
// change: every drawing lands exactly where the window shows at that
// moment, never where it showed before. The covers are topmost, so that
// each change stands alone (no window is brought forward because of it).
TEST_F(WindowPaintTest, AContextKeptOutFollowsEveryChangeOfTheWindows) {
  HWND under = Make(0, 26, 240, 294);
  HWND cover = Make(50, 100, 40, 40, WS_EX_TOPMOST);
  SetForegroundWindow(under);
  HDC dc = GetDC(under);
  std::uint32_t colour = 0;
  auto fill = [&] {
    colour += 0x010203;
    HBRUSH brush = CreateSolidBrush(RGB(colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF));
    RECT all{0, 0, 240, 294};
    EXPECT_TRUE(FillRect(dc, &all, brush));
    DeleteObject(brush);
    return colour;
  };
  const std::uint32_t first = fill();
  EXPECT_EQ(Screen(60, 110), 0xFFFFFFu) << "under the cover";

  MoveWindow(cover, 100, 150, 40, 40, FALSE);
  const std::uint32_t moved = fill();
  EXPECT_EQ(Screen(60, 110), moved) << "where the cover was";
  EXPECT_EQ(Screen(110, 160), first) << "where the cover went";

  ShowWindow(cover, SW_HIDE);
  const std::uint32_t hidden = fill();
  EXPECT_EQ(Screen(110, 160), hidden) << "the cover hidden";
  ShowWindow(cover, SW_SHOWNA);
  fill();
  EXPECT_EQ(Screen(110, 160), hidden) << "the cover shown again";

  const LONG style = GetWindowLongW(cover, GWL_STYLE);
  SetWindowLongW(cover, GWL_STYLE, style & ~WS_VISIBLE);
  const std::uint32_t restyled = fill();
  EXPECT_EQ(Screen(110, 160), restyled) << "the cover made invisible by its style";
  SetWindowLongW(cover, GWL_STYLE, style);
  fill();
  EXPECT_EQ(Screen(110, 160), restyled) << "the cover's style visible again";

  const std::uint32_t beforeAbove = Screen(5, 210);
  HWND above = Make(0, 200, 240, 20, WS_EX_TOPMOST);
  SetForegroundWindow(under);
  fill();
  EXPECT_EQ(Screen(5, 210), beforeAbove) << "under a new window";
  DestroyWindow(above);
  made.pop_back();
  const std::uint32_t afterAbove = fill();
  EXPECT_EQ(Screen(5, 210), afterAbove) << "where that window was";

  ce::SetScreenCovers({RECT{0, 26, 240, 40}});
  const std::uint32_t barred = fill();
  EXPECT_EQ(Screen(5, 30), afterAbove) << "under the screen's cover";
  EXPECT_EQ(Screen(5, 40), barred);
  ce::SetScreenCovers({});
  const std::uint32_t unbarred = fill();
  EXPECT_EQ(Screen(5, 30), unbarred);

  HWND behind = Make(0, 250, 240, 20);
  const std::uint32_t beforeRaise = fill();
  EXPECT_NE(Screen(5, 260), beforeRaise) << "under an ordinary window";
  SetForegroundWindow(under);
  const std::uint32_t raised = fill();
  EXPECT_EQ(Screen(5, 260), raised) << "raised in front of it";
  DestroyWindow(behind);
  made.pop_back();

  // The window itself moves: its client origin goes with it.
  const std::uint32_t before = Screen(0, 160);
  MoveWindow(under, 0, 60, 240, 100, FALSE);
  const std::uint32_t shifted = fill();
  EXPECT_EQ(Screen(0, 59), before);
  EXPECT_EQ(Screen(0, 60), shifted);
  EXPECT_EQ(Screen(0, 160), before) << "below the smaller window";
  ReleaseDC(under, dc);
}

}  // namespace

namespace {

TEST(WindowEraseTest, TheDefaultEraseFillsTheUpdateAreaWithTheClassBrush) {
  TestDevices devices;
  hw::Panel& panel = devices.panel;
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"GdiEraseTest";
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(0, u"GdiEraseTest", u"", WS_POPUP | WS_VISIBLE, 0, 26, 240, 294, nullptr, nullptr,
                           nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  ValidateRect(w, nullptr);
  RECT part{30, 40, 50, 60};
  InvalidateRect(w, &part, TRUE);
  PAINTSTRUCT ps{};
  BeginPaint(w, &ps);
  EndPaint(w, &ps);
  auto at = [&](int x, int y) { return panel.pixels()[y * hw::Panel::kWidth + x]; };
  EXPECT_EQ(at(30, 66), 0u);
  EXPECT_EQ(at(49, 85), 0u);
  EXPECT_EQ(at(50, 66), 0xFFFFFFu) << "outside the update area nothing is erased";
  EXPECT_EQ(at(29, 66), 0xFFFFFFu);
  DestroyWindow(w);
}

}  // namespace
