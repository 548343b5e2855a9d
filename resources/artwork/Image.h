// A picture being drawn by the artwork generator: 24-bit colour, top row
// first, written out as an uncompressed bottom-up Windows bitmap. Shapes
// are filled with anti-aliased edges (each pixel blends by the share of
// its area the shape covers).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace artwork {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};

// `from` moved towards `to` by `amount` (0: from, 1: to).
Rgb Mix(Rgb from, Rgb to, double amount);

// A rectangle of whole pixels.
struct Box {
  int x = 0, y = 0, w = 0, h = 0;
  int Right() const { return x + w; }
  int Bottom() const { return y + h; }
  bool Contains(int px, int py) const { return px >= x && py >= y && px < Right() && py < Bottom(); }
};

// A region of the plane: its pixel bounds and an inside test on real
// coordinates (pixel (x, y) spans [x, x+1) x [y, y+1)).
class Shape {
 public:
  Shape(Box bounds, std::function<bool(double, double)> inside);
  const Box& Bounds() const { return bounds_; }
  bool Inside(double x, double y) const { return inside_(x, y); }
  // Share of the pixel's area inside the shape, 0..1 (4 x 4 samples).
  double CoverageAt(int px, int py) const;

 private:
  Box bounds_;
  std::function<bool(double, double)> inside_;
};

Shape RoundRect(double x, double y, double w, double h, double radius);
Shape Circle(double cx, double cy, double radius);
// A straight stroke with round ends.
Shape Segment(double x0, double y0, double x1, double y1, double width);
Shape Polygon(std::vector<std::pair<double, double>> corners);
Shape Union(Shape a, Shape b);
Shape Difference(Shape a, Shape b);
Shape Intersection(Shape a, Shape b);

// A colour for each pixel of a fill.
using Paint = std::function<Rgb(int x, int y)>;
Paint Solid(Rgb c);
Paint VerticalGradient(int top, int bottom, Rgb atTop, Rgb atBottom);

// Coverage values (0..255) on a grid, as text rendering produces them.
struct AlphaMap {
  int width = 0, height = 0;
  std::vector<std::uint8_t> alpha;
  std::uint8_t at(int x, int y) const { return alpha[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
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
  // Mixes c into the pixel by `amount` (0..1); outside the picture nothing.
  void Blend(int x, int y, Rgb c, double amount);
  void FillRect(int x, int y, int w, int h, Rgb c);
  void FillRect(const Box& box, const Paint& paint);
  // Fills the shape; `opacity` below 1 lets what is underneath show.
  void Fill(const Shape& shape, const Paint& paint, double opacity = 1.0);
  void Fill(const Shape& shape, Rgb c, double opacity = 1.0) { Fill(shape, Solid(c), opacity); }
  // Blends `paint` through the coverage map placed with its top-left at (x, y).
  void Stamp(const AlphaMap& map, int x, int y, const Paint& paint);

 private:
  int width_, height_;
  std::vector<Rgb> pixels_;
};

// Writes a 24-bit uncompressed bitmap file; false with errno set when the
// file cannot be written.
bool WriteBmp(const Image& image, const std::string& path);

// Writes bytes to a file; false with errno set when it cannot be written.
bool WriteFile(const std::string& path, const std::string& bytes);

// Appends v as `bytes` little-endian bytes.
void PutLittleEndian(std::string& out, std::uint32_t v, int bytes);

}  // namespace artwork
