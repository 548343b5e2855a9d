// Reads a screenshot back with libpng's simplified interface, so tests
// can look at the pixels a run wrote.
#pragma once

#include <png.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace testpng {

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, row by row

  std::uint32_t At(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

inline std::optional<Picture> ReadPng(const std::filesystem::path& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, file.c_str())) return std::nullopt;
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) return std::nullopt;
  Picture p{int(image.width), int(image.height), {}};
  for (std::size_t i = 0; i + 2 < bytes.size(); i += 3)
    p.pixels.push_back((std::uint32_t(bytes[i]) << 16) | (std::uint32_t(bytes[i + 1]) << 8) | bytes[i + 2]);
  return p;
}

}  // namespace testpng
