// Pictures for the drawing tests of the digit displays, the sliders and
// the preset bank: program pictures to read pixels from, a background of
// known, everywhere-different pixels, and the pixel arithmetic of drawing
// a picture through its mask. Expected screens are computed from the
// pictures themselves, so the tests hold whatever the artwork looks like.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "windows.h"

namespace skintest {

inline std::uint32_t PixelOf(HDC dc, int x, int y) {
  COLORREF c = GetPixel(dc, x, y);
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// A program picture selected into a memory context of its own.
class Picture {
 public:
  explicit Picture(WORD id) {
    bitmap_ = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    GetObjectW(bitmap_, sizeof info_, &info_);
    dc_ = CreateCompatibleDC(nullptr);
    SelectObject(dc_, bitmap_);
  }
  ~Picture() {
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  std::uint32_t At(int x, int y) const { return PixelOf(dc_, x, y); }
  int Width() const { return info_.bmWidth; }
  int Height() const { return info_.bmHeight; }

 private:
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  BITMAP info_{};
};

// A window-sized surface whose pixel at (x, y) is Colour(x, y): what a
// restore from it put on the screen can be told apart from anything else.
class PatternSurface {
 public:
  static constexpr int kWidth = 240, kHeight = 294;

  PatternSurface() {
    std::vector<std::uint32_t> pixels(kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) pixels[y * kWidth + x] = Colour(x, y);
    bitmap_ = CreateBitmap(kWidth, kHeight, 1, 32, pixels.data());
    dc_ = CreateCompatibleDC(nullptr);
    SelectObject(dc_, bitmap_);
  }
  ~PatternSurface() {
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  PatternSurface(const PatternSurface&) = delete;
  PatternSurface& operator=(const PatternSurface&) = delete;

  static std::uint32_t Colour(int x, int y) {
    return (((x * 37 + 11) & 0xFF) << 16) | (((y * 53 + 7) & 0xFF) << 8) | (((x + y) * 29 + 3) & 0xFF);
  }
  HDC Dc() const { return dc_; }

 private:
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
};

// A picture drawn through its mask: the mask ANDed onto the background,
// then the picture ORed on.
inline std::uint32_t Masked(std::uint32_t background, std::uint32_t mask, std::uint32_t picture) {
  return (background & mask) | picture;
}

// Paints a client rectangle of the window with one colour, so that what a
// later drawing left alone can be seen.
inline void PaintMarker(HWND window, int x, int y, int w, int h, std::uint32_t colour) {
  HDC dc = GetDC(window);
  HBRUSH brush = CreateSolidBrush(RGB(colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF));
  RECT r{x, y, x + w, y + h};
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  ReleaseDC(window, dc);
}

using PixelReader = std::function<std::uint32_t(int x, int y)>;
using Expectation = std::function<std::uint32_t(int dx, int dy)>;

// Whether the w x h rectangle at (x, y) shows expected(dx, dy) at each of
// its pixels; names the first pixel that does not.
inline ::testing::AssertionResult RegionShows(const PixelReader& screen, int x, int y, int w, int h,
                                              const Expectation& expected) {
  for (int dy = 0; dy < h; ++dy)
    for (int dx = 0; dx < w; ++dx) {
      std::uint32_t got = screen(x + dx, y + dy), want = expected(dx, dy);
      if (got != want) {
        char text[96];
        std::snprintf(text, sizeof text, "pixel (%d, %d) is %06X, expected %06X", x + dx, y + dy, got, want);
        return ::testing::AssertionFailure() << text;
      }
    }
  return ::testing::AssertionSuccess();
}

// Whether every pixel of the rectangle is the marker colour still.
inline bool Untouched(const PixelReader& screen, int x, int y, int w, int h, std::uint32_t marker) {
  for (int dy = 0; dy < h; ++dy)
    for (int dx = 0; dx < w; ++dx)
      if (screen(x + dx, y + dy) != marker) return false;
  return true;
}

// The pictures of one digit display, and what it shows of a five
// character text such as " 87.5" (blank, digits, point, digit).
struct DigitPictures {
  DigitPictures(WORD stripId, WORD pointId, WORD stripMaskId, WORD pointMaskId, int digitWidth)
      : strip(stripId), point(pointId), stripMask(stripMaskId), pointMask(pointMaskId), width(digitWidth) {}

  int Height() const { return strip.Height(); }
  int TextWidth() const { return 4 * width + point.Width(); }

  // Pixel (dx, dy) of the text's cells, over a background pixel.
  std::uint32_t Expected(const std::string& text, int dx, int dy, std::uint32_t background) const {
    const int pointX = 3 * width;
    if (dx >= pointX && dx < pointX + point.Width())
      return Masked(background, pointMask.At(dx - pointX, dy), point.At(dx - pointX, dy));
    const bool units = dx >= pointX;
    const char c = units ? text[4] : text[dx / width];
    const int column = units ? dx - pointX - point.Width() : dx % width;
    if (c == ' ') return background;
    const int source = (c - '0') * width + column;
    return Masked(background, stripMask.At(source, dy), strip.At(source, dy));
  }

  Picture strip, point, stripMask, pointMask;
  int width;
};

}  // namespace skintest
