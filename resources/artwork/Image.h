// A picture being drawn by the artwork generator: 24-bit colour, top row
// first, written out as an uncompressed bottom-up Windows bitmap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace artwork {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

class Image {
 public:
  Image(int width, int height, Rgb fill = {});
  int width() const { return width_; }
  int height() const { return height_; }
  Rgb& at(int x, int y) { return pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)]; }
  const Rgb& at(int x, int y) const { return pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)]; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  void Set(int x, int y, Rgb c) {
    if (Contains(x, y)) at(x, y) = c;
  }
  void FillRect(int x, int y, int w, int h, Rgb c);

 private:
  int width_, height_;
  std::vector<Rgb> pixels_;
};

// Writes a 24-bit uncompressed bitmap file; false with errno set when the
// file cannot be written.
bool WriteBmp(const Image& image, const std::string& path);

}  // namespace artwork
