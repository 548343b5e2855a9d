// Pixels in memory: the formats the platform's bitmaps come in, a view of
// any such pixel memory (a bitmap's or the panel's), and the bitmaps
// themselves. Colours inside GDI are 0x00RRGGBB, as the panel keeps them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "windef.h"

namespace ce::gdi {

using Rgb = std::uint32_t;  // 0x00RRGGBB

inline Rgb RgbOfColorRef(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
inline COLORREF ColorRefOfRgb(Rgb c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

enum class PixelFormat {
  Index1,   // colour table of 2
  Index4,   // colour table of 16
  Index8,   // colour table of 256
  Rgb555,   // 16 bits, x1 r5 g5 b5
  Rgb565,   // 16 bits, r5 g6 b5
  Bgr24,    // bytes blue, green, red
  Xrgb32,   // 0x00RRGGBB words (also the panel's format)
};

int BitsPerPixel(PixelFormat format);
bool IsIndexed(PixelFormat format);
// Bytes per row, padded to four bytes as the platform's bitmaps are.
std::size_t RowBytes(PixelFormat format, int width);

// A rectangle of pixels somewhere in memory. Row y starts at
// row0 + y * stride; stride is negative for bottom-up pictures. The view
// does not own anything.
struct Surface {
  std::uint8_t* row0 = nullptr;
  std::ptrdiff_t stride = 0;
  int width = 0;
  int height = 0;
  PixelFormat format = PixelFormat::Xrgb32;
  std::span<const Rgb> palette;  // indexed formats

  std::uint8_t* Row(int y) const { return row0 + y * stride; }
};

// Converts n pixels of row y starting at column x to 0x00RRGGBB.
void ReadRow(const Surface& s, int x, int y, int n, Rgb* out);
// Writes n pixels of 0x00RRGGBB; indexed formats take the nearest colour
// of their table.
void WriteRow(const Surface& s, int x, int y, int n, const Rgb* in);
Rgb ReadPixel(const Surface& s, int x, int y);
void WritePixel(const Surface& s, int x, int y, Rgb colour);
// The index of the table colour nearest to colour (squared distance).
int NearestIndex(std::span<const Rgb> palette, Rgb colour);

// A bitmap: its pixel memory and how to read it. Device-dependent bitmaps
// (CreateBitmap, CreateCompatibleBitmap) are top-down; DIB sections keep
// the orientation they were created with. Monochrome device-dependent
// bitmaps have no colour table of their own: they take the colours of the
// device contexts they are drawn with.
class Bitmap {
 public:
  // Creates a zeroed bitmap; nullopt with error when the size or format
  // is unusable (error names what).
  static std::optional<Bitmap> Create(int width, int height, PixelFormat format, bool topDown,
                                      std::vector<Rgb> palette, bool dibSection, std::string& error);

  int width() const { return width_; }
  int height() const { return height_; }
  PixelFormat format() const { return format_; }
  bool dibSection() const { return dibSection_; }
  bool monochromeDevice() const { return format_ == PixelFormat::Index1 && !dibSection_; }
  std::size_t rowBytes() const { return rowBytes_; }
  std::span<std::uint8_t> bits() { return {Bytes(), size_}; }
  std::span<const std::uint8_t> bits() const { return {reinterpret_cast<const std::uint8_t*>(words_.data()), size_}; }
  const std::vector<Rgb>& palette() const { return palette_; }

  // The pixels as a view, row 0 at the top.
  Surface View() {
    Surface s;
    s.width = width_;
    s.height = height_;
    s.format = format_;
    s.palette = palette_;
    s.stride = topDown_ ? std::ptrdiff_t(rowBytes_) : -std::ptrdiff_t(rowBytes_);
    s.row0 = topDown_ ? Bytes() : Bytes() + rowBytes_ * std::size_t(height_ - 1);
    return s;
  }

  // DeleteObject refuses a bitmap that a device context holds.
  int selections = 0;

 private:
  Bitmap() = default;
  // The pixel memory is kept in words so that 32-bit rows are word arrays.
  std::uint8_t* Bytes() { return reinterpret_cast<std::uint8_t*>(words_.data()); }

  int width_ = 0;
  int height_ = 0;
  PixelFormat format_ = PixelFormat::Xrgb32;
  bool topDown_ = true;
  bool dibSection_ = false;
  std::size_t rowBytes_ = 0;
  std::vector<std::uint32_t> words_;
  std::size_t size_ = 0;
  std::vector<Rgb> palette_;
};

// What a BITMAPINFO describes, checked: the format, size, orientation and
// colour table of a DIB. Used by CreateDIBSection and by bitmap resources.
struct DibLayout {
  int width = 0;
  int height = 0;  // positive
  bool topDown = false;
  PixelFormat format = PixelFormat::Xrgb32;
  std::vector<Rgb> palette;
  std::size_t headerBytes = 0;  // header + masks + colour table
  std::size_t imageBytes = 0;   // rows * padded row length
};
// Reads a BITMAPINFO from bytes (never past their end). nullopt with a
// specific error for anything the platform does not draw: compressed
// pictures, odd bit depths, bit fields other than 5-5-5 / 5-6-5 / 8-8-8.
std::optional<DibLayout> ParseDibHeader(std::span<const std::uint8_t> bytes, std::string& error);

}  // namespace ce::gdi
