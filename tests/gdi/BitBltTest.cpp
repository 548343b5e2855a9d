#include <cstring>

#include "GdiTestSupport.h"

namespace gditest {
namespace {

using BitBltTest = GdiTest;

TEST_F(BitBltTest, EachRasterOperationCombinesSourceAndDestinationAsDefined) {
  const std::uint32_t s = 0x00F0C30F, d = 0x00AA55CC;
  struct Case {
    DWORD rop;
    std::uint32_t expected;
  } cases[] = {
      {SRCCOPY, s},
      {SRCAND, s & d},
      {SRCPAINT, s | d},
      {SRCINVERT, s ^ d},
      {NOTSRCCOPY, ~s & 0xFFFFFF},
      {BLACKNESS, 0},
      {WHITENESS, 0xFFFFFF},
      {DSTINVERT, ~d & 0xFFFFFF},
      {SRCERASE, s & ~d & 0xFFFFFF},
      {MERGEPAINT, (~s | d) & 0xFFFFFF},
      {PATCOPY, 0x00123456},  // the selected brush
  };
  Dib src = MakeDib32(4, 4, s);
  for (const Case& c : cases) {
    Dib dst = MakeDib32(4, 4, d);
    HBRUSH brush = CreateSolidBrush(RGB(0x12, 0x34, 0x56));
    SelectObject(dst.dc, brush);
    ASSERT_TRUE(BitBlt(dst.dc, 1, 1, 2, 2, src.dc, 0, 0, c.rop)) << std::hex << c.rop;
    EXPECT_EQ(dst.at(1, 1), c.expected) << std::hex << c.rop;
    EXPECT_EQ(dst.at(2, 2), c.expected) << std::hex << c.rop;
    EXPECT_EQ(dst.at(0, 0), d) << "outside the rectangle, rop " << std::hex << c.rop;
    EXPECT_EQ(dst.at(3, 3), d) << "outside the rectangle, rop " << std::hex << c.rop;
    SelectObject(dst.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
    Free(dst);
  }
  Free(src);
}

TEST_F(BitBltTest, MaskThenPaintLeavesTheBackgroundWhereTheMaskIsWhite) {
  Dib track = MakeDib32(3, 1, 0x00336699);
  Dib mask = MakeDib32(3, 1, 0xFFFFFF);
  Dib thumb = MakeDib32(3, 1, 0);
  mask.at(1, 0) = 0;           // the thumb's pixel
  thumb.at(1, 0) = 0x00FF8000;
  BitBlt(track.dc, 0, 0, 3, 1, mask.dc, 0, 0, SRCAND);
  BitBlt(track.dc, 0, 0, 3, 1, thumb.dc, 0, 0, SRCPAINT);
  EXPECT_EQ(track.at(0, 0), 0x00336699u);
  EXPECT_EQ(track.at(1, 0), 0x00FF8000u);
  EXPECT_EQ(track.at(2, 0), 0x00336699u);
  Free(track);
  Free(mask);
  Free(thumb);
}

// A 4 x 4 source whose every pixel names its place, blitted so that it
// hangs over one edge of the destination or asks for pixels outside
// itself: exactly the overlapping pixels change.
TEST_F(BitBltTest, ClipsAtEveryEdgeOfBothPictures) {
  Dib src = MakeDib32(4, 4, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) src.at(x, y) = 0x010000u * (x + 1) + 0x000100u * (y + 1);
  struct Case {
    const char* name;
    int x, y, w, h, sx, sy;
  } cases[] = {
      {"left", -2, 1, 4, 4, 0, 0},          {"top", 1, -3, 4, 4, 0, 0},
      {"right", 4, 1, 4, 4, 0, 0},          {"bottom", 1, 5, 4, 4, 0, 0},
      {"source left", 1, 1, 4, 4, -2, 0},   {"source top", 1, 1, 4, 4, 0, -1},
      {"source right", 1, 1, 4, 4, 2, 0},   {"source bottom", 1, 1, 4, 4, 0, 3},
      {"all outside", 10, 10, 4, 4, 0, 0},  {"huge", -1000, -1000, 5000, 5000, -1000, -1000},
      {"negative size", 1, 1, -4, 4, 0, 0},
  };
  const std::uint32_t background = 0x00ABCDEF;
  for (const Case& c : cases) {
    Dib dst = MakeDib32(6, 6, background);
    ASSERT_TRUE(BitBlt(dst.dc, c.x, c.y, c.w, c.h, src.dc, c.sx, c.sy, SRCCOPY)) << c.name;
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 6; ++x) {
        int sx = c.sx + (x - c.x), sy = c.sy + (y - c.y);
        bool inside = x >= c.x && x < c.x + c.w && y >= c.y && y < c.y + c.h && sx >= 0 && sx < 4 && sy >= 0 && sy < 4;
        std::uint32_t expected = inside ? src.at(sx, sy) : background;
        EXPECT_EQ(dst.at(x, y), expected) << c.name << " at " << x << "," << y;
      }
    }
    Free(dst);
  }
  Free(src);
}

TEST_F(BitBltTest, OverlappingCopyWithinOnePictureMovesThePicture) {
  Dib d = MakeDib32(4, 4, 0);
  for (int i = 0; i < 16; ++i) d.bits[i] = std::uint32_t(i + 1);
  std::vector<std::uint32_t> before(d.bits, d.bits + 16);
  ASSERT_TRUE(BitBlt(d.dc, 1, 1, 3, 3, d.dc, 0, 0, SRCCOPY));  // down and right
  for (int y = 1; y < 4; ++y)
    for (int x = 1; x < 4; ++x) EXPECT_EQ(d.at(x, y), before[(y - 1) * 4 + (x - 1)]) << x << "," << y;
  before.assign(d.bits, d.bits + 16);
  ASSERT_TRUE(BitBlt(d.dc, 0, 0, 3, 3, d.dc, 1, 1, SRCCOPY));  // up and left
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(d.at(x, y), before[(y + 1) * 4 + (x + 1)]) << x << "," << y;
  Free(d);
}

TEST_F(BitBltTest, RefusesDeadHandlesAndOperationsWithoutTheirSource) {
  Dib dst = MakeDib32(2, 2, 0);
  HDC gone = CreateCompatibleDC(nullptr);
  DeleteDC(gone);
  SetLastError(0);
  EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 2, 2, gone, 0, 0, SRCCOPY));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(BitBlt(gone, 0, 0, 2, 2, dst.dc, 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 2, 2, nullptr, 0, 0, SRCAND));
  // BLACKNESS needs no source.
  dst.at(0, 0) = 0xFFFFFF;
  EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 2, 2, nullptr, 0, 0, BLACKNESS));
  EXPECT_EQ(dst.at(0, 0), 0u);
  Free(dst);
}

TEST_F(BitBltTest, MonochromeBitmapsTakeTheContextsColours) {
  // 1 bits white (background colour), 0 bits black (text colour).
  const std::uint8_t rows[2][2] = {{0x80, 0}, {0x40, 0}};  // 16-bit padded rows
  HBITMAP mono = CreateBitmap(2, 2, 1, 1, rows);
  ASSERT_NE(mono, nullptr);
  HDC mdc = CreateCompatibleDC(nullptr);
  SelectObject(mdc, mono);
  Dib dst = MakeDib32(2, 2, 0);
  SetTextColor(dst.dc, RGB(255, 0, 0));
  SetBkColor(dst.dc, RGB(0, 0, 255));
  BitBlt(dst.dc, 0, 0, 2, 2, mdc, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.at(0, 0), 0x0000FFu);  // bit 1: background colour (blue)
  EXPECT_EQ(dst.at(1, 0), 0xFF0000u);  // bit 0: text colour (red)
  EXPECT_EQ(dst.at(1, 1), 0x0000FFu);

  // Colour to monochrome: the source's background colour becomes white.
  Dib src = MakeDib32(2, 1, 0x00808080);
  src.at(1, 0) = 0x00102030;
  SetBkColor(src.dc, RGB(0x10, 0x20, 0x30));
  BitBlt(mdc, 0, 0, 2, 1, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(mdc, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(mdc, 1, 0), RGB(255, 255, 255));
  DeleteDC(mdc);
  DeleteObject(mono);
  Free(dst);
  Free(src);
}

}  // namespace
}  // namespace gditest
