#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <thread>

#include "GdiTestSupport.h"

namespace gditest {
namespace {

using BitBltTest = GdiTest;

// A DIB section of any depth the platform draws, its pixel bytes (and the
// colour table of the indexed depths) pseudo-random; 32-bit pixels carry
// junk in their top byte, as pictures may.
struct RandomDib {
  RandomDib(WORD bpp, bool bitfields, int w, int h, std::mt19937& random) : width(w), height(h) {
    std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * 4, 0);
    BITMAPINFOHEADER hdr{};
    hdr.biSize = sizeof(hdr);
    hdr.biWidth = w;
    hdr.biHeight = h;  // bottom-up, as bitmap files are
    hdr.biPlanes = 1;
    hdr.biBitCount = bpp;
    hdr.biCompression = bitfields ? BI_BITFIELDS : BI_RGB;
    std::memcpy(info.data(), &hdr, sizeof(hdr));
    const DWORD masks565[3] = {0xF800, 0x07E0, 0x001F};
    if (bitfields) std::memcpy(info.data() + sizeof(hdr), masks565, sizeof(masks565));
    if (bpp <= 8)
      for (std::size_t i = sizeof(hdr); i < info.size(); i += 4)
        for (int c = 0; c < 3; ++c) info[i + c] = std::uint8_t(random());
    void* pixels = nullptr;
    bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &pixels, nullptr, 0);
    EXPECT_NE(bitmap, nullptr) << bpp;
    bytes = static_cast<std::uint8_t*>(pixels);
    rowBytes = std::size_t((w * bpp + 31) / 32 * 4);
    for (std::size_t i = 0; i < rowBytes * std::size_t(h); ++i) bytes[i] = std::uint8_t(random());
    dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
  }
  ~RandomDib() {
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  std::vector<std::uint8_t> Bytes() const { return {bytes, bytes + rowBytes * std::size_t(height)}; }
  // Where pixel (x, y) starts; rows are stored bottom-up.
  std::size_t At(int x, int y, int bytesPerPixel) const {
    return rowBytes * std::size_t(height - 1 - y) + std::size_t(x * bytesPerPixel);
  }

  int width, height;
  HBITMAP bitmap = nullptr;
  HDC dc = nullptr;
  std::uint8_t* bytes = nullptr;
  std::size_t rowBytes = 0;
};

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

// Moves along a row wider than the engine works at once, and a move on the
// screen through a window whose middle is covered, farther than the cover
// is high: every pixel that lands is the one that was there before the
// move began, in whatever order the parts are drawn.
TEST_F(BitBltTest, MovesWithinOnePictureReadThePictureAsItWas) {
  for (WORD bpp : {WORD(24), WORD(32)}) {
    std::mt19937 random(bpp);
    RandomDib d(bpp, false, 300, 2, random);
    for (int shift : {7, -7}) {
      std::vector<COLORREF> before(600);
      for (int i = 0; i < 600; ++i) before[std::size_t(i)] = GetPixel(d.dc, i % 300, i / 300);
      ASSERT_TRUE(BitBlt(d.dc, shift, 0, 300, 2, d.dc, 0, 0, SRCINVERT));
      for (int y = 0; y < 2; ++y)
        for (int x = std::max(0, shift); x < std::min(300, 300 + shift); ++x)
          ASSERT_EQ(GetPixel(d.dc, x, y), before[std::size_t(y * 300 + x)] ^ before[std::size_t(y * 300 + x - shift)])
              << bpp << "-bit, shift " << shift << ", at " << x << "," << y;
    }
  }

  HWND w = AddWindow(0, 0, 240, 100, {RECT{0, 0, 240, 40}, RECT{0, 60, 240, 100}});
  for (int i = 0; i < 240 * 100; ++i) panel.pixels()[i] = std::uint32_t(i);
  HDC dc = GetDC(w);
  ASSERT_TRUE(BitBlt(dc, 0, 30, 240, 70, dc, 0, 0, SRCCOPY));
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 240; x += 7) {
      bool lands = y >= 30 && (y < 40 || y >= 60);
      ASSERT_EQ(Screen(x, y), std::uint32_t(lands ? (y - 30) * 240 + x : y * 240 + x)) << x << "," << y;
    }
  }
  // A blit that meets only one of the visible parts.
  ASSERT_TRUE(BitBlt(dc, 0, 0, 240, 20, nullptr, 0, 0, DSTINVERT));
  EXPECT_EQ(Screen(5, 10), ~std::uint32_t(10 * 240 + 5) & 0xFFFFFF);
  EXPECT_EQ(Screen(5, 70), std::uint32_t(40 * 240 + 5));
  ReleaseDC(w, dc);
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

  // Contexts that drew a moment ago, deleted by this thread and by
  // another one: neither draws again, nor as a source.
  Dib src = MakeDib32(2, 2, 0x00FF0000), other = MakeDib32(2, 2, 0x0000FF00);
  ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, SRCCOPY));
  ASSERT_TRUE(BitBlt(other.dc, 0, 0, 2, 2, dst.dc, 0, 0, SRCCOPY));
  Free(src);
  SetLastError(0);
  EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, SRCAND));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  std::thread([&] { Free(other); }).join();
  EXPECT_FALSE(BitBlt(other.dc, 0, 0, 2, 2, dst.dc, 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 2, 2, other.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(dst.at(1, 1), 0x00FF0000u);
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

// Blits of every length from short runs to rows wider than the engine
// works at once, at odd places, from every source depth, into 32-bit and
// 24-bit pictures: each pixel comes out as the operation of the source
// pixel (as GetPixel reads it alone) and the destination pixel, and not a
// byte beside the rectangle changes.
TEST(BitBltRunTest, RunsOfEveryLengthAndSourceDepthMatchThePixelByPixelResult) {
  struct Depth {
    WORD bpp;
    bool bitfields;
  } depths[] = {{1, false}, {4, false}, {8, false}, {16, false}, {16, true}, {24, false}, {32, false}};
  struct Op {
    DWORD rop;
    std::uint32_t (*apply)(std::uint32_t s, std::uint32_t d);
  } ops[] = {
      {SRCCOPY, [](std::uint32_t s, std::uint32_t) { return s; }},
      {SRCAND, [](std::uint32_t s, std::uint32_t d) { return s & d; }},
      {SRCPAINT, [](std::uint32_t s, std::uint32_t d) { return s | d; }},
      {SRCINVERT, [](std::uint32_t s, std::uint32_t d) { return s ^ d; }},
      {NOTSRCCOPY, [](std::uint32_t s, std::uint32_t) { return ~s & 0xFFFFFF; }},
      {MERGEPAINT, [](std::uint32_t s, std::uint32_t d) { return (~s | d) & 0xFFFFFF; }},
  };
  const int widths[] = {1, 3, 5, 6, 7, 9, 16, 17, 18, 21, 33, 100, 255, 256, 257, 300};
  const int kWide = 300, kHigh = 3;
  std::mt19937 random(15);
  for (const Depth& depth : depths) {
    RandomDib src(depth.bpp, depth.bitfields, kWide, kHigh, random);
    std::vector<std::uint32_t> colour(kWide * kHigh);  // the source read one pixel at a time
    for (int y = 0; y < kHigh; ++y)
      for (int x = 0; x < kWide; ++x) {
        COLORREF c = GetPixel(src.dc, x, y);
        colour[std::size_t(y * kWide + x)] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
      }
    for (WORD destBpp : {WORD(32), WORD(24)}) {
      const int size = destBpp / 8;
      RandomDib dst(destBpp, false, kWide, kHigh, random);
      const std::vector<std::uint8_t> before = dst.Bytes();
      for (const Op& op : ops) {
        for (int w : widths) {
          for (auto [dx, sx] : {std::pair{0, 0}, std::pair{1, 3}, std::pair{3, 2}}) {
            std::memcpy(dst.bytes, before.data(), before.size());
            ASSERT_TRUE(BitBlt(dst.dc, dx, 0, w, kHigh, src.dc, sx, 0, op.rop));
            std::vector<std::uint8_t> expected = before;
            for (int y = 0; y < kHigh; ++y) {
              for (int x = dx; x < dx + w && x < kWide && sx + (x - dx) < kWide; ++x) {
                std::size_t at = dst.At(x, y, size);
                std::uint32_t d = expected[at] | (expected[at + 1] << 8) | (expected[at + 2] << 16);
                std::uint32_t r = op.apply(colour[std::size_t(y * kWide + sx + (x - dx))], d) & 0xFFFFFF;
                for (int b = 0; b < size; ++b) expected[at + std::size_t(b)] = std::uint8_t(r >> (8 * b));
              }
            }
            std::vector<std::uint8_t> got = dst.Bytes();
            auto diff = std::mismatch(got.begin(), got.end(), expected.begin());
            ASSERT_TRUE(diff.first == got.end())
                << depth.bpp << "-bit" << (depth.bitfields ? " 5-6-5" : "") << " into " << destBpp << "-bit, rop "
                << std::hex << op.rop << std::dec << ", " << w << " wide from x " << sx << " to x " << dx
                << ": first wrong byte " << (diff.first - got.begin());
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace gditest
