#include <cstring>
#include <vector>

#include "GdiTestSupport.h"

namespace gditest {
namespace {

// Red marks the top-left pixel, blue is everywhere else; the table of the
// indexed formats is {blue, red}.
constexpr std::uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;

struct Format {
  const char* name;
  WORD bpp;
  DWORD compression;
  DWORD masks[3];
  std::vector<std::uint8_t> red, blue;  // one pixel's bytes (indexed: see pack)
};

const std::vector<Format>& Formats() {
  static const std::vector<Format> formats = {
      {"1-bit", 1, BI_RGB, {}, {1}, {0}},
      {"4-bit", 4, BI_RGB, {}, {1}, {0}},
      {"8-bit", 8, BI_RGB, {}, {1}, {0}},
      {"16-bit 5-5-5", 16, BI_RGB, {}, {0x00, 0x7C}, {0x1F, 0x00}},
      {"16-bit 5-6-5", 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, {0x00, 0xF8}, {0x1F, 0x00}},
      {"24-bit", 24, BI_RGB, {}, {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0x00}},
      {"32-bit", 32, BI_RGB, {}, {0x00, 0x00, 0xFF, 0x00}, {0xFF, 0x00, 0x00, 0x00}},
  };
  return formats;
}

// Header, masks or colour table, as a caller lays out a BITMAPINFO.
std::vector<std::uint8_t> Info(const Format& f, int w, int h) {
  std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + 1024, 0);
  BITMAPINFOHEADER hdr{};
  hdr.biSize = sizeof(hdr);
  hdr.biWidth = w;
  hdr.biHeight = h;
  hdr.biPlanes = 1;
  hdr.biBitCount = f.bpp;
  hdr.biCompression = f.compression;
  std::memcpy(info.data(), &hdr, sizeof(hdr));
  if (f.compression == BI_BITFIELDS) std::memcpy(info.data() + sizeof(hdr), f.masks, 12);
  if (f.bpp <= 8) {
    const std::uint8_t table[8] = {0xFF, 0, 0, 0, 0, 0, 0xFF, 0};  // blue, red (B, G, R, 0)
    std::memcpy(info.data() + sizeof(hdr), table, sizeof(table));
  }
  return info;
}

// Writes the first pixel of a row (indexed formats: the high bits).
void PutFirst(const Format& f, std::uint8_t* row, bool red) {
  if (f.bpp == 1) {
    row[0] = red ? 0x80 : 0x00;
    return;
  }
  if (f.bpp == 4) {
    row[0] = red ? 0x10 : 0x00;
    return;
  }
  const auto& bytes = red ? f.red : f.blue;
  std::memcpy(row, bytes.data(), bytes.size());
}

class DibFormatTest : public GdiTest, public ::testing::WithParamInterface<std::tuple<int, bool>> {};

TEST_P(DibFormatTest, ReadsAndWritesEveryFormatInBothOrientations) {
  const Format& f = Formats()[std::get<0>(GetParam())];
  const bool topDown = std::get<1>(GetParam());
  const int w = 3, h = 2;
  auto info = Info(f, w, topDown ? -h : h);
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits,
                                 nullptr, 0);
  ASSERT_NE(bmp, nullptr) << f.name;
  BITMAP bm{};
  ASSERT_EQ(GetObjectW(bmp, sizeof(bm), &bm), int(sizeof(bm)));
  EXPECT_EQ(bm.bmWidth, w);
  EXPECT_EQ(bm.bmHeight, h);
  EXPECT_EQ(bm.bmBitsPixel, f.bpp);
  EXPECT_EQ(bm.bmWidthBytes, LONG(((w * f.bpp + 31) / 32) * 4));
  EXPECT_EQ(bm.bmBits, bits);

  auto* bytes = static_cast<std::uint8_t*>(bits);
  std::uint8_t* topRow = topDown ? bytes : bytes + bm.bmWidthBytes * (h - 1);
  std::uint8_t* bottomRow = topDown ? bytes + bm.bmWidthBytes * (h - 1) : bytes;
  // Everything blue but the top-left pixel; the indexed formats are blue
  // (index 0) already.
  if (f.bpp >= 16) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) std::memcpy(bytes + y * bm.bmWidthBytes + x * (f.bpp / 8), f.blue.data(), f.blue.size());
  }
  PutFirst(f, topRow, true);

  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, bmp);
  Dib screen = MakeDib32(w, h, 0);
  ASSERT_TRUE(BitBlt(screen.dc, 0, 0, w, h, dc, 0, 0, SRCCOPY));
  EXPECT_EQ(screen.at(0, 0), kRed) << f.name;
  EXPECT_EQ(screen.at(1, 0), kBlue) << f.name;
  EXPECT_EQ(screen.at(0, 1), kBlue) << f.name;
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));

  // And back: red drawn at the bottom-left lands in the bottom row.
  screen.at(0, 1) = kRed;
  screen.at(0, 0) = kBlue;
  ASSERT_TRUE(BitBlt(dc, 0, 0, w, h, screen.dc, 0, 0, SRCCOPY));
  std::vector<std::uint8_t> expectRed(8, 0), expectBlue(8, 0);
  PutFirst(f, expectRed.data(), true);
  PutFirst(f, expectBlue.data(), false);
  std::size_t n = f.bpp < 8 ? 1 : f.bpp / 8;
  EXPECT_EQ(0, std::memcmp(bottomRow, expectRed.data(), n)) << f.name;
  EXPECT_EQ(0, std::memcmp(topRow, expectBlue.data(), n)) << f.name;
  DeleteDC(dc);
  DeleteObject(bmp);
  Free(screen);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, DibFormatTest,
                         ::testing::Combine(::testing::Range(0, 7), ::testing::Bool()),
                         [](const auto& info) {
                           std::string name = Formats()[std::get<0>(info.param)].name;
                           for (char& c : name)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name + (std::get<1>(info.param) ? "_TopDown" : "_BottomUp");
                         });

TEST(DibHeaderTest, RefusesWhatTheDisplayCannotDraw) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 4;
  bi.bmiHeader.biHeight = 4;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 8;
  bi.bmiHeader.biCompression = BI_RLE8;
  void* bits = reinterpret_cast<void*>(1);
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  bi.bmiHeader.biCompression = BI_RGB;
  bi.bmiHeader.biBitCount = 12;
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biWidth = 0;
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  bi.bmiHeader.biWidth = 100000;
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
}

}  // namespace
}  // namespace gditest
