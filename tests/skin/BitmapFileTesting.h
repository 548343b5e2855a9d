// What the bitmap loader's and the skin surfaces' tests share: the test
// pictures (files under data/, made by make-bitmaps.sh, and pictures built
// here byte by byte), putting them on the device, reading a bitmap's
// pixels back, and catching the message boxes the loader shows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/user/MessageBox.h"
#include "windows.h"

namespace skintest {

using Bytes = std::vector<std::uint8_t>;

// The 7 x 5 test pictures of data/ (see make-bitmaps.sh), 0xRRGGBB.
inline std::uint32_t Many(int x, int y) { return (0x10u + 0x20 * x) << 16 | (0x10u + 0x30 * y) << 8 | 0xA5; }
inline std::uint32_t Few(int x, int y) {
  std::uint32_t step = 0x11u * (x + y);
  return step << 16 | 0x80 << 8 | (0xFF - step);
}
inline std::uint32_t Two(int x, int y) { return (x + y) % 2 ? 0xFFFFFF : 0x000000; }
inline constexpr int kDataWidth = 7;
inline constexpr int kDataHeight = 5;

inline Bytes DataFile(const std::string& name) {
  std::ifstream in(std::filesystem::path(SKIN_TEST_DATA_DIR) / name, std::ios::binary);
  EXPECT_TRUE(in) << "test picture " << name << " is missing";
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Writes bytes as a file under the device root (a host-style relative path).
inline void WriteDeviceFile(const std::filesystem::path& root, const std::string& path, const Bytes& bytes) {
  std::filesystem::path target = root / path;
  std::filesystem::create_directories(target.parent_path());
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void SetLe32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(at + i) = std::uint8_t(value >> (8 * i));
}
inline void SetLe16(Bytes& bytes, std::size_t at, std::uint16_t value) {
  bytes.at(at) = std::uint8_t(value);
  bytes.at(at + 1) = std::uint8_t(value >> 8);
}

// Offsets of the file's header fields.
inline constexpr std::size_t kOffBits = 10, kInfoSize = 14, kWidth = 18, kHeight = 22, kPlanes = 26,
                             kBitCount = 28, kCompression = 30, kSizeImage = 34, kClrUsed = 46;

// A picture built field by field: file header, 40-byte info header, the
// colour table and the pixel bytes, with bfOffBits where they meet.
struct HandMadeBitmap {
  BITMAPINFOHEADER info{};
  Bytes table;
  Bytes pixels;

  HandMadeBitmap(LONG width, LONG height, WORD bitCount) {
    info.biSize = sizeof(BITMAPINFOHEADER);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = bitCount;
    std::size_t row = (std::size_t(bitCount) * std::size_t(width > 0 ? width : 0) + 31) / 32 * 4;
    pixels.assign(row * std::size_t(height < 0 ? -std::int64_t(height) : height), 0);
  }

  Bytes File() const {
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = DWORD(sizeof file + sizeof info + table.size());
    file.bfSize = DWORD(file.bfOffBits + pixels.size());
    Bytes bytes(sizeof file + sizeof info);
    std::memcpy(bytes.data(), &file, sizeof file);
    std::memcpy(bytes.data() + sizeof file, &info, sizeof info);
    bytes.insert(bytes.end(), table.begin(), table.end());
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return bytes;
  }
};

// The message boxes shown while it lives, instead of standard error.
class MessageBoxCatcher {
 public:
  struct Box {
    HWND owner;
    std::u16string text, caption;
    UINT type;
  };
  MessageBoxCatcher() {
    ce::SetMessageBoxPresenter([this](HWND owner, std::u16string_view text, std::u16string_view caption, UINT type) {
      boxes.push_back({owner, std::u16string(text), std::u16string(caption), type});
      return IDOK;
    });
  }
  ~MessageBoxCatcher() { ce::SetMessageBoxPresenter({}); }
  MessageBoxCatcher(const MessageBoxCatcher&) = delete;
  MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

  std::vector<Box> boxes;
};

// A bitmap selected into a memory device context for reading its pixels.
class BitmapReader {
 public:
  explicit BitmapReader(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr)) {
    previous_ = SelectObject(dc_, bitmap);
  }
  ~BitmapReader() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
  }
  BitmapReader(const BitmapReader&) = delete;
  BitmapReader& operator=(const BitmapReader&) = delete;

  std::uint32_t Pixel(int x, int y) const {
    COLORREF c = GetPixel(dc_, x, y);
    return c == CLR_INVALID ? c : std::uint32_t(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
  }
  // Every pixel of a 7 x 5 picture against the expected colours; the
  // first few differences are named.
  ::testing::AssertionResult Shows(const std::function<std::uint32_t(int, int)>& expected, int firstRow = 0,
                                   int endRow = kDataHeight) const {
    std::string wrong;
    int count = 0;
    for (int y = firstRow; y < endRow; ++y) {
      for (int x = 0; x < kDataWidth; ++x) {
        std::uint32_t got = Pixel(x, y), want = expected(x, y);
        if (got != want && ++count <= 4) wrong += Describe(x, y, got, want);
      }
    }
    if (count == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << count << " pixels differ:" << wrong;
  }

 private:
  static std::string Describe(int x, int y, std::uint32_t got, std::uint32_t want) {
    char text[64];
    std::snprintf(text, sizeof text, " (%d,%d) %06X not %06X;", x, y, got, want);
    return text;
  }

  HDC dc_;
  HGDIOBJ previous_ = nullptr;
};

}  // namespace skintest
