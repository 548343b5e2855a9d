// The artwork the build draws (skins, pictures, the chime), read straight
// from its files with no part of the program in between, so that what the
// program shows can be held against the pictures themselves.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace artwork {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  EXPECT_TRUE(in) << file << " was not drawn";
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A little-endian number of 1 to 4 bytes.
inline std::uint32_t Le(const Bytes& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b.at(at + std::size_t(i));
  return v;
}

// A 24-bit uncompressed bitmap file's pixels, top row first, 0xRRGGBB.
class Bitmap {
 public:
  explicit Bitmap(const std::filesystem::path& file) : name_(file.filename().string()) {
    Bytes b = ReadFile(file);
    if (b.size() < 54) return;
    width_ = int(Le(b, 18, 4));
    height_ = int(Le(b, 22, 4));
    EXPECT_EQ(Le(b, 28, 2), 24u) << name_;
    EXPECT_EQ(Le(b, 30, 4), 0u) << name_ << " is compressed";
    const std::size_t offset = Le(b, 10, 4), row = (std::size_t(width_) * 3 + 3) & ~std::size_t(3);
    EXPECT_GE(b.size(), offset + row * std::size_t(height_)) << name_ << " is cut short";
    if (b.size() < offset + row * std::size_t(height_)) return;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) {
        std::size_t at = offset + row * std::size_t(height_ - 1 - y) + std::size_t(x) * 3;
        pixels_.push_back(std::uint32_t(b[at + 2]) << 16 | std::uint32_t(b[at + 1]) << 8 | b[at]);
      }
  }
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Loaded() const { return !pixels_.empty(); }
  std::uint32_t At(int x, int y) const { return pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)]; }
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  int width_ = 0, height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

}  // namespace artwork
