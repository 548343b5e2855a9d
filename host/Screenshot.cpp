#include "host/Screenshot.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <system_error>
#include <vector>

#include "hardware/display/Panel.h"

namespace host {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// libpng reports errors by jumping back to the setjmp in WritePng; the
// message waits in the error pointer. Nothing with a destructor is created
// between that setjmp and the jump.
[[noreturn]] void OnError(png_structp png, png_const_charp message) {
  *static_cast<std::string*>(png_get_error_ptr(png)) = message;
  png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

// The part of the writing that may jump; returns false when it did.
bool WriteRows(png_structp png, png_infop info, std::FILE* out, std::span<const std::uint32_t> pixels, int width,
               int height, std::vector<png_byte>& row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, out);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint32_t p = pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
      row[3 * std::size_t(x)] = png_byte(p >> 16);
      row[3 * std::size_t(x) + 1] = png_byte(p >> 8);
      row[3 * std::size_t(x) + 2] = png_byte(p);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

std::string WritePng(const std::filesystem::path& file, std::span<const std::uint32_t> pixels, int width, int height) {
  if (width <= 0 || height <= 0 || pixels.size() != std::size_t(width) * std::size_t(height))
    return "cannot write " + file.string() + ": " + std::to_string(pixels.size()) + " pixels for " +
           std::to_string(width) + " x " + std::to_string(height);
  std::filesystem::path temp = file;
  temp += ".part";
  std::unique_ptr<std::FILE, FileCloser> out(std::fopen(temp.c_str(), "wb"));
  if (!out) return "cannot write " + file.string() + ": " + std::generic_category().message(errno);

  std::string error;
  std::vector<png_byte> row(std::size_t(width) * 3);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, OnError, OnWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    error = "out of memory";
  } else if (!WriteRows(png, info, out.get(), pixels, width, height, row) && error.empty()) {
    error = "the picture could not be encoded";
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  if (error.empty() && std::fflush(out.get()) != 0) error = std::generic_category().message(errno);
  out.reset();
  std::error_code ec;
  if (error.empty()) std::filesystem::rename(temp, file, ec);
  if (error.empty() && ec) error = ec.message();
  if (!error.empty()) {
    std::filesystem::remove(temp, ec);
    return "cannot write " + file.string() + ": " + error;
  }
  return {};
}

std::string WriteScreenshot(const hw::Panel& panel, const std::filesystem::path& file) {
  std::vector<std::uint32_t> pixels = panel.Visible();
  return WritePng(file, pixels, hw::Panel::kWidth, hw::Panel::kHeight);
}

}  // namespace host
