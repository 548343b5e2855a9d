#include "Image.h"

#include <fstream>

namespace artwork {

Image::Image(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(std::size_t(width) * std::size_t(height), fill) {}

void Image::FillRect(int x, int y, int w, int h, Rgb c) {
  for (int yy = y; yy < y + h; ++yy)
    for (int xx = x; xx < x + w; ++xx) Set(xx, yy, c);
}

namespace {
void Put16(std::string& out, std::uint32_t v) {
  out.push_back(char(v & 0xFF));
  out.push_back(char((v >> 8) & 0xFF));
}
void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
}  // namespace

bool WriteBmp(const Image& image, const std::string& path) {
  const std::uint32_t rowBytes = (std::uint32_t(image.width()) * 3 + 3) & ~3u;
  const std::uint32_t pixelBytes = rowBytes * std::uint32_t(image.height());
  std::string out;
  out += "BM";
  Put32(out, 54 + pixelBytes);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, std::uint32_t(image.width()));
  Put32(out, std::uint32_t(image.height()));
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);  // uncompressed
  Put32(out, pixelBytes);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
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
  std::ofstream file(path, std::ios::binary);
  file.write(out.data(), std::streamsize(out.size()));
  return bool(file.flush());
}

}  // namespace artwork
