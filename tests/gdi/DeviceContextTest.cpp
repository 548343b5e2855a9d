#include <thread>

#include "GdiTestSupport.h"

namespace gditest {
namespace {

using DeviceContextTest = GdiTest;

TEST_F(DeviceContextTest, WindowContextDrawsOnlyWhereTheWindowIsNotCovered) {
  // The window's client area is (0, 26)-(240, 320); another window covers
  // (100, 100)-(140, 140) of the screen.
  HWND w = AddWindow(0, 26, 240, 294,
                     {RECT{0, 26, 240, 100}, RECT{0, 100, 100, 140}, RECT{140, 100, 240, 140}, RECT{0, 140, 240, 320}});
  panel.pixels()[120 * 240 + 120] = 0x123456;
  HDC dc = GetDC(w);
  ASSERT_NE(dc, nullptr);
  std::uint64_t frame = panel.frame();
  RECT all{0, 0, 240, 294};
  EXPECT_TRUE(FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
  EXPECT_GT(panel.frame(), frame);
  EXPECT_EQ(Screen(0, 25), 0xFFFFFFu) << "above the client area";
  EXPECT_EQ(Screen(0, 26), 0u) << "client (0, 0) is screen (0, 26)";
  EXPECT_EQ(Screen(239, 319), 0u);
  EXPECT_EQ(Screen(120, 120), 0x123456u) << "under the covering window";
  EXPECT_EQ(Screen(99, 120), 0u);
  EXPECT_EQ(Screen(140, 120), 0u);

  // A blit from a memory picture lands at the client origin too.
  Dib pic = MakeDib32(2, 2, 0x00FF0000);
  EXPECT_TRUE(BitBlt(dc, 10, 0, 2, 2, pic.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(Screen(10, 26), 0xFF0000u);
  EXPECT_EQ(Screen(11, 27), 0xFF0000u);

  // A front end listening is woken by the first of a paint's drawings,
  // and again by the first after it took the picture.
  int wakes = 0;
  panel.SetChangeListener([&] { ++wakes; });
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(BitBlt(dc, 10 + i, 0, 2, 2, pic.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(wakes, 1);
  EXPECT_EQ(panel.TakeVisible()[26 * 240 + 12], 0xFF0000u);
  frame = panel.frame();
  EXPECT_TRUE(BitBlt(dc, 10, 0, 2, 2, pic.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(wakes, 2);
  EXPECT_GT(panel.frame(), frame);
  panel.SetChangeListener({});
  EXPECT_EQ(ReleaseDC(w, dc), 1);
  Free(pic);

  // A window that shows only in many strips, more than a context keeps
  // without allocating: every strip is drawn, nothing between them.
  std::vector<RECT> strips;
  for (int y = 200; y < 220; y += 2) strips.push_back(RECT{0, y, 240, y + 1});
  HWND striped = AddWindow(0, 200, 240, 20, strips);
  dc = GetDC(striped);
  EXPECT_TRUE(FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH))));
  for (int y = 200; y < 220; ++y) EXPECT_EQ(Screen(7, y), y % 2 ? 0u : 0x808080u) << y;

  // Another thread drawing through the context looks at the window for
  // itself, and keeps to the same strips.
  std::thread([&] {
    EXPECT_TRUE(FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))));
  }).join();
  for (int y = 200; y < 220; ++y) EXPECT_EQ(Screen(7, y), y % 2 ? 0u : 0xFFFFFFu) << y;
  ReleaseDC(striped, dc);
}

TEST_F(DeviceContextTest, DrawingThroughAReleasedContextOrAGoneWindowFailsHarmlessly) {
  HWND w = AddWindow(0, 26, 240, 294);
  HDC dc = GetDC(w);
  Dib pic = MakeDib32(2, 2, 0);
  RECT r{0, 0, 10, 10};

  EXPECT_TRUE(BitBlt(dc, 0, 0, 1, 1, pic.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(Screen(0, 26), 0u);
  panel.pixels()[26 * 240] = 0xFFFFFF;
  windows.erase(w);  // the window is destroyed while its DC is out
  ce::WindowAreasChanged();
  SetLastError(0);
  EXPECT_FALSE(BitBlt(dc, 0, 0, 2, 2, pic.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  EXPECT_EQ(ReleaseDC(w, dc), 1);

  // Released: the handle no longer resolves at all.
  SetLastError(0);
  EXPECT_FALSE(BitBlt(dc, 0, 0, 2, 2, pic.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(ReleaseDC(w, dc), 0);
  EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
  EXPECT_EQ(GetDC(w), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
  for (int i = 0; i < hw::Panel::kWidth * hw::Panel::kHeight; ++i) ASSERT_EQ(panel.pixels()[i], 0xFFFFFFu);
  Free(pic);
}

TEST_F(DeviceContextTest, ScreenContextCoversTheWholePanel) {
  HDC screen = GetDC(nullptr);
  RECT all{-5, -5, 500, 500};
  EXPECT_TRUE(FillRect(screen, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH))));
  EXPECT_EQ(Screen(0, 0), 0x808080u);
  EXPECT_EQ(Screen(239, 319), 0x808080u);
  EXPECT_EQ(GetPixel(screen, 239, 319), RGB(0x80, 0x80, 0x80));
  EXPECT_EQ(GetPixel(screen, 240, 0), CLR_INVALID);
  EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 240);
  EXPECT_EQ(GetDeviceCaps(screen, VERTRES), 320);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST_F(DeviceContextTest, ObjectsSelectDeleteAndDescribeThemselves) {
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  EXPECT_EQ(GetObjectType(mem), DWORD(OBJ_MEMDC));
  EXPECT_EQ(GetObjectType(screen), DWORD(OBJ_DC));
  EXPECT_EQ(GetDeviceCaps(mem, BITSPIXEL), 1) << "a new memory DC holds a 1 x 1 monochrome bitmap";

  HBITMAP bmp = CreateCompatibleBitmap(screen, 21, 29);
  ASSERT_NE(bmp, nullptr);
  BITMAP bm{};
  EXPECT_EQ(GetObjectW(bmp, sizeof(bm), &bm), int(sizeof(bm)));
  EXPECT_EQ(bm.bmWidth, 21);
  EXPECT_EQ(bm.bmHeight, 29);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmBits, nullptr) << "not a DIB section";
  EXPECT_EQ(GetObjectW(bmp, 4, &bm), 0);

  HGDIOBJ old = SelectObject(mem, bmp);
  EXPECT_NE(old, nullptr);
  EXPECT_EQ(GetObjectType(old), DWORD(OBJ_BITMAP));
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(other, bmp), nullptr) << "a bitmap is in one DC at a time";
  EXPECT_EQ(SelectObject(screen, bmp), nullptr) << "window DCs take no bitmap";
  EXPECT_FALSE(DeleteObject(bmp)) << "still selected";
  EXPECT_EQ(SelectObject(mem, old), bmp);
  EXPECT_TRUE(DeleteObject(bmp));
  EXPECT_FALSE(DeleteObject(bmp));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(SelectObject(mem, bmp), nullptr);

  // Deleting a DC frees its bitmap for deletion.
  HBITMAP b2 = CreateCompatibleBitmap(screen, 4, 4);
  SelectObject(other, b2);
  EXPECT_TRUE(DeleteDC(other));
  EXPECT_TRUE(DeleteObject(b2));
  EXPECT_FALSE(DeleteDC(other));

  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH))) << "stock objects stay";
  LOGBRUSH lb{};
  EXPECT_EQ(GetObjectW(GetStockObject(BLACK_BRUSH), sizeof(lb), &lb), int(sizeof(lb)));
  EXPECT_EQ(lb.lbColor, RGB(0, 0, 0));
  EXPECT_EQ(GetStockObject(99), nullptr);

  EXPECT_EQ(SetTextColor(mem, RGB(1, 2, 3)), RGB(0, 0, 0));
  EXPECT_EQ(GetTextColor(mem), RGB(1, 2, 3));
  EXPECT_EQ(SetBkMode(mem, TRANSPARENT), OPAQUE);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

TEST_F(DeviceContextTest, PowerEscapeSwitchesTheBacklight) {
  HWND w = AddWindow(0, 26, 240, 294);
  HDC dc = GetDC(w);
  panel.pixels()[0] = 0x00ABCDEF;
  const DWORD off[3] = {12, 0, VideoPowerOff}, on[3] = {12, 0, VideoPowerOn};
  EXPECT_GT(ExtEscape(dc, SETPOWERMANAGEMENT, 12, reinterpret_cast<LPCSTR>(off), 0, nullptr), 0);
  EXPECT_FALSE(panel.backlight());
  EXPECT_EQ(panel.Visible()[0], 0u) << "dark while the backlight is off";
  EXPECT_EQ(panel.pixels()[0], 0x00ABCDEFu) << "but the pixels are kept";
  EXPECT_GT(ExtEscape(dc, SETPOWERMANAGEMENT, 12, reinterpret_cast<LPCSTR>(on), 0, nullptr), 0);
  EXPECT_TRUE(panel.backlight());
  EXPECT_EQ(panel.Visible()[0], 0x00ABCDEFu);

  EXPECT_LT(ExtEscape(dc, SETPOWERMANAGEMENT, 8, reinterpret_cast<LPCSTR>(off), 0, nullptr), 0) << "short input";
  EXPECT_TRUE(panel.backlight());
  const DWORD query = SETPOWERMANAGEMENT, unknown = 4242;
  EXPECT_EQ(ExtEscape(dc, QUERYESCSUPPORT, 4, reinterpret_cast<LPCSTR>(&query), 0, nullptr), 1);
  EXPECT_EQ(ExtEscape(dc, QUERYESCSUPPORT, 4, reinterpret_cast<LPCSTR>(&unknown), 0, nullptr), 0);
  EXPECT_EQ(ExtEscape(dc, 4242, 0, nullptr, 0, nullptr), 0);
  ReleaseDC(w, dc);
}

}  // namespace
}  // namespace gditest
