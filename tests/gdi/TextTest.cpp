#include "GdiTestSupport.h"
#include "platform/user/Dialog.h"

namespace gditest {
namespace {

using TextTest = GdiTest;

// Columns of the DIB that hold any pixel other than the background.
struct Ink {
  int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
};
Ink InkOf(GdiTest::Dib& d, int w, int h, std::uint32_t background) {
  Ink ink;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (d.at(x, y) != background) {
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
      }
  return ink;
}

// The system font at 8 points measures as the handheld's own dialog font:
// a 13-pixel line with 11 above the baseline, 6 x 13 dialog base units,
// and text narrow enough that the About box's "Radio System :" fits its
// 48-unit static on one line, as it does on the device.
TEST_F(TextTest, SystemFontMeasuresAsTheHandheldsDialogFont) {
  Dib d = MakeDib32(8, 8, 0);
  TEXTMETRICW tm{};
  ASSERT_TRUE(GetTextMetricsW(d.dc, &tm));
  EXPECT_EQ(tm.tmHeight, 13);
  EXPECT_EQ(tm.tmAscent, 11);
  EXPECT_EQ(tm.tmDescent, 2);
  const ce::DialogBaseUnits units = ce::BaseUnitsFor(8);
  EXPECT_EQ(units.x, 6);
  EXPECT_EQ(units.y, 13);
  const RECT label = units.ToPixels(RECT{5, 49, 5 + 48, 49 + 10});
  RECT calc{0, 0, label.right - label.left, 0};
  EXPECT_EQ(DrawTextW(d.dc, u"Radio System :", -1, &calc, DT_WORDBREAK | DT_CALCRECT), 13) << "wraps in its static";
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32W(d.dc, u"Europe (87.5-108 MHz)", 21, &size));
  EXPECT_EQ(size.cx, 112);
  EXPECT_EQ(size.cy, 13);
  ASSERT_TRUE(GetTextExtentPoint32W(d.dc, u"", 0, &size));
  EXPECT_EQ(size.cx, 0);

  LOGFONTW big{};
  big.lfHeight = -22;
  big.lfWeight = FW_BOLD;
  HFONT font = CreateFontIndirectW(&big);
  HGDIOBJ old = SelectObject(d.dc, font);
  SIZE bold{};
  GetTextExtentPoint32W(d.dc, u"Europe (87.5-108 MHz)", 21, &bold);
  EXPECT_GT(bold.cx, 2 * 112 - 10);
  EXPECT_GT(bold.cy, 2 * 13 - 2);
  SelectObject(d.dc, old);
  DeleteObject(font);
  Free(d);
}

TEST_F(TextTest, TextOutDrawsInTheTextColourWithinTheCell) {
  Dib d = MakeDib32(160, 20, 0xFFFFFF);
  SetTextColor(d.dc, RGB(0, 0, 255));
  SetBkMode(d.dc, TRANSPARENT);
  ASSERT_TRUE(ExtTextOutW(d.dc, 5, 4, 0, nullptr, u"Europe (87.5-108 MHz)", 21, nullptr));
  Ink ink = InkOf(d, 160, 20, 0xFFFFFF);
  EXPECT_GE(ink.left, 5);
  EXPECT_LE(ink.right, 5 + 112);
  EXPECT_GE(ink.right, 5 + 105);
  EXPECT_GE(ink.top, 4);
  EXPECT_LE(ink.bottom, 4 + 13);
  bool solid = false;
  for (int i = 0; i < 160 * 20; ++i) solid |= d.bits[i] == 0x0000FF;
  EXPECT_TRUE(solid) << "stems are drawn fully in the text colour";

  // Opaque mode fills the text's cell with the background colour first.
  Dib o = MakeDib32(40, 20, 0x00FF0000);
  SetBkColor(o.dc, RGB(0, 255, 0));
  ExtTextOutW(o.dc, 0, 0, 0, nullptr, u"ii", 2, nullptr);
  EXPECT_EQ(o.at(0, 12) & 0x00FF00, 0x00FF00u);
  EXPECT_EQ(o.at(0, 13), 0x00FF0000u) << "below the 13-pixel line";
  Free(d);
  Free(o);
}

TEST_F(TextTest, DrawTextAlignsBreaksAndMeasures) {
  Dib d = MakeDib32(200, 60, 0xFFFFFF);
  SetBkMode(d.dc, TRANSPARENT);
  RECT r{0, 0, 200, 60};
  EXPECT_EQ(DrawTextW(d.dc, u"MHz", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE), 13);
  Ink ink = InkOf(d, 200, 60, 0xFFFFFF);
  EXPECT_NEAR((ink.left + ink.right) / 2, 100, 2);
  EXPECT_NEAR((ink.top + ink.bottom) / 2, 30, 3);

  // Wrapped at spaces to the width: more than one line, none wider.
  RECT calc{0, 0, 60, 0};
  int wrapped = DrawTextW(d.dc, u"one two three four", -1, &calc, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_GE(wrapped, 26);
  EXPECT_EQ(wrapped % 13, 0);
  EXPECT_EQ(calc.bottom, wrapped);
  EXPECT_LE(calc.right, 60);
  RECT wide{0, 0, 1000, 0};
  EXPECT_EQ(DrawTextW(d.dc, u"one two three four", -1, &wide, DT_WORDBREAK | DT_CALCRECT), 13);
  RECT lines{0, 0, 200, 0};
  EXPECT_EQ(DrawTextW(d.dc, u"a\nb\r\nc", -1, &lines, DT_CALCRECT), 39);
  RECT prefix{0, 0, 0, 0};
  DrawTextW(d.dc, u"&File", -1, &prefix, DT_CALCRECT | DT_SINGLELINE);
  SIZE plain{};
  GetTextExtentPoint32W(d.dc, u"File", 4, &plain);
  EXPECT_EQ(prefix.right, plain.cx) << "the prefix mark is not drawn";

  // Right alignment, clipped to the rectangle.
  Dib c = MakeDib32(100, 20, 0xFFFFFF);
  RECT box{0, 0, 50, 20};
  DrawTextW(c.dc, u"Europe (87.5-108 MHz)", -1, &box, DT_RIGHT | DT_SINGLELINE);
  Ink clipped = InkOf(c, 100, 20, 0xFFFFFF);
  EXPECT_LE(clipped.right, 49);
  EXPECT_EQ(clipped.left, 0);
  Free(d);
  Free(c);
}

TEST_F(TextTest, TextThroughDeadContextsFails) {
  HDC dc = CreateCompatibleDC(nullptr);
  DeleteDC(dc);
  SIZE size{};
  EXPECT_FALSE(GetTextExtentPoint32W(dc, u"x", 1, &size));
  RECT r{0, 0, 10, 10};
  EXPECT_EQ(DrawTextW(dc, u"x", 1, &r, 0), 0);
  EXPECT_FALSE(ExtTextOutW(dc, 0, 0, 0, nullptr, u"x", 1, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

}  // namespace
}  // namespace gditest
