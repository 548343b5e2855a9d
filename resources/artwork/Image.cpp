#include "Image.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace artwork {

Rgb Mix(Rgb from, Rgb to, double amount) {
  amount = std::clamp(amount, 0.0, 1.0);
  auto channel = [amount](std::uint8_t a, std::uint8_t b) {
    return std::uint8_t(std::lround(a + (double(b) - double(a)) * amount));
  };
  return {channel(from.r, to.r), channel(from.g, to.g), channel(from.b, to.b)};
}

Shape::Shape(Box bounds, std::function<bool(double, double)> inside) : bounds_(bounds), inside_(std::move(inside)) {}

double Shape::CoverageAt(int px, int py) const {
  if (!bounds_.Contains(px, py)) return 0.0;
  constexpr int kSamples = 4;
  int hits = 0;
  for (int sy = 0; sy < kSamples; ++sy)
    for (int sx = 0; sx < kSamples; ++sx)
      if (inside_(px + (sx + 0.5) / kSamples, py + (sy + 0.5) / kSamples)) ++hits;
  return double(hits) / (kSamples * kSamples);
}

namespace {

Box BoundsOf(double left, double top, double right, double bottom) {
  int x = int(std::floor(left)), y = int(std::floor(top));
  return {x, y, int(std::ceil(right)) - x, int(std::ceil(bottom)) - y};
}

Box Hull(const Box& a, const Box& b) {
  int x = std::min(a.x, b.x), y = std::min(a.y, b.y);
  return {x, y, std::max(a.Right(), b.Right()) - x, std::max(a.Bottom(), b.Bottom()) - y};
}

}  // namespace

Shape RoundRect(double x, double y, double w, double h, double radius) {
  return Shape(BoundsOf(x, y, x + w, y + h), [=](double px, double py) {
    if (px < x || py < y || px >= x + w || py >= y + h) return false;
    double dx = std::max({x + radius - px, px - (x + w - radius), 0.0});
    double dy = std::max({y + radius - py, py - (y + h - radius), 0.0});
    return dx * dx + dy * dy <= radius * radius;
  });
}

Shape Circle(double cx, double cy, double radius) {
  return Shape(BoundsOf(cx - radius, cy - radius, cx + radius, cy + radius), [=](double px, double py) {
    return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= radius * radius;
  });
}

Shape Segment(double x0, double y0, double x1, double y1, double width) {
  double half = width / 2;
  Box bounds = BoundsOf(std::min(x0, x1) - half, std::min(y0, y1) - half, std::max(x0, x1) + half,
                        std::max(y0, y1) + half);
  return Shape(bounds, [=](double px, double py) {
    double dx = x1 - x0, dy = y1 - y0;
    double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? std::clamp(((px - x0) * dx + (py - y0) * dy) / length2, 0.0, 1.0) : 0.0;
    double ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
    return ex * ex + ey * ey <= half * half;
  });
}

Shape Polygon(std::vector<std::pair<double, double>> corners) {
  double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
  for (auto [x, y] : corners) {
    left = std::min(left, x), right = std::max(right, x);
    top = std::min(top, y), bottom = std::max(bottom, y);
  }
  return Shape(BoundsOf(left, top, right, bottom), [corners = std::move(corners)](double px, double py) {
    bool inside = false;  // even-odd crossings of a ray to the right
    for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
      auto [xi, yi] = corners[i];
      auto [xj, yj] = corners[j];
      if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside;
  });
}

Shape Union(Shape a, Shape b) {
  Box bounds = Hull(a.Bounds(), b.Bounds());
  return Shape(bounds, [a = std::move(a), b = std::move(b)](double x, double y) { return a.Inside(x, y) || b.Inside(x, y); });
}

Shape Difference(Shape a, Shape b) {
  Box bounds = a.Bounds();
  return Shape(bounds, [a = std::move(a), b = std::move(b)](double x, double y) { return a.Inside(x, y) && !b.Inside(x, y); });
}

Shape Intersection(Shape a, Shape b) {
  Box bounds = a.Bounds();
  return Shape(bounds, [a = std::move(a), b = std::move(b)](double x, double y) { return a.Inside(x, y) && b.Inside(x, y); });
}

Paint Solid(Rgb c) {
  return [c](int, int) { return c; };
}

Paint VerticalGradient(int top, int bottom, Rgb atTop, Rgb atBottom) {
  return [=](int, int y) {
    double span = std::max(1, bottom - top);
    return Mix(atTop, atBottom, (y - top) / span);
  };
}

Image::Image(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(std::size_t(width) * std::size_t(height), fill) {}

void Image::Blend(int x, int y, Rgb c, double amount) {
  if (Contains(x, y) && amount > 0) at(x, y) = Mix(at(x, y), c, amount);
}

void Image::FillRect(int x, int y, int w, int h, Rgb c) { FillRect(Box{x, y, w, h}, Solid(c)); }

void Image::FillRect(const Box& box, const Paint& paint) {
  for (int yy = box.y; yy < box.Bottom(); ++yy)
    for (int xx = box.x; xx < box.Right(); ++xx) Set(xx, yy, paint(xx, yy));
}

void Image::Fill(const Shape& shape, const Paint& paint, double opacity) {
  const Box& b = shape.Bounds();
  for (int y = b.y; y < b.Bottom(); ++y)
    for (int x = b.x; x < b.Right(); ++x)
      if (Contains(x, y)) Blend(x, y, paint(x, y), opacity * shape.CoverageAt(x, y));
}

void Image::Stamp(const AlphaMap& map, int x, int y, const Paint& paint) {
  for (int row = 0; row < map.height; ++row)
    for (int col = 0; col < map.width; ++col)
      if (Contains(x + col, y + row)) Blend(x + col, y + row, paint(x + col, y + row), map.at(col, row) / 255.0);
}

void PutLittleEndian(std::string& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(char((v >> (8 * i)) & 0xFF));
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), std::streamsize(bytes.size()));
  return bool(file.flush());
}

bool WriteBmp(const Image& image, const std::string& path) {
  const std::uint32_t rowBytes = (std::uint32_t(image.width()) * 3 + 3) & ~3u;
  const std::uint32_t pixelBytes = rowBytes * std::uint32_t(image.height());
  std::string out = "BM";
  PutLittleEndian(out, 54 + pixelBytes, 4);
  PutLittleEndian(out, 0, 4);
  PutLittleEndian(out, 54, 4);  // pixels follow both headers
  PutLittleEndian(out, 40, 4);
  PutLittleEndian(out, std::uint32_t(image.width()), 4);
  PutLittleEndian(out, std::uint32_t(image.height()), 4);  // positive: bottom row first
  PutLittleEndian(out, 1, 2);
  PutLittleEndian(out, 24, 2);
  PutLittleEndian(out, 0, 4);  // uncompressed
  PutLittleEndian(out, pixelBytes, 4);
  PutLittleEndian(out, 2835, 4);  // 72 dpi
  PutLittleEndian(out, 2835, 4);
  PutLittleEndian(out, 0, 4);
  PutLittleEndian(out, 0, 4);
  for (int y = image.height() - 1; y >= 0; --y) {
    std::size_t start = out.size();
    for (int x = 0; x < image.width(); ++x) {
      const Rgb& c = image.at(x, y);
      out.push_back(char(c.b));
      out.push_back(char(c.g));
      out.push_back(char(c.r));
    }
    out.resize(start + rowBytes, '\0');
  }
  return WriteFile(path, out);
}

}  // namespace artwork
