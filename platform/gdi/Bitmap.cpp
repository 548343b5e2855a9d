#include "platform/gdi/Bitmap.h"

#include <cstdlib>

#include "platform/gdi/PixelRuns.h"

namespace ce::gdi {
namespace {

constexpr int kMaxSide = 16384;
constexpr std::size_t kMaxBytes = 64u << 20;

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}
std::uint16_t Le16(std::span<const std::uint8_t> b, std::size_t at) {
  return std::uint16_t(b[at] | (b[at + 1] << 8));
}

std::uint16_t To555(Rgb c) {
  return std::uint16_t(((c >> 9) & 0x7C00) | ((c >> 6) & 0x3E0) | ((c >> 3) & 0x1F));
}
std::uint16_t To565(Rgb c) {
  return std::uint16_t(((c >> 8) & 0xF800) | ((c >> 5) & 0x7E0) | ((c >> 3) & 0x1F));
}

}  // namespace

int BitsPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::Index1: return 1;
    case PixelFormat::Index4: return 4;
    case PixelFormat::Index8: return 8;
    case PixelFormat::Rgb555:
    case PixelFormat::Rgb565: return 16;
    case PixelFormat::Bgr24: return 24;
    case PixelFormat::Xrgb32: return 32;
  }
  return 32;
}

bool IsIndexed(PixelFormat format) { return BitsPerPixel(format) <= 8; }

std::size_t RowBytes(PixelFormat format, int width) {
  return ((std::size_t(width) * BitsPerPixel(format) + 31) / 32) * 4;
}

int NearestIndex(std::span<const Rgb> palette, Rgb colour) {
  int best = 0;
  long bestDistance = -1;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    long dr = long((palette[i] >> 16) & 0xFF) - long((colour >> 16) & 0xFF);
    long dg = long((palette[i] >> 8) & 0xFF) - long((colour >> 8) & 0xFF);
    long db = long(palette[i] & 0xFF) - long(colour & 0xFF);
    long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) {
      best = int(i);
      bestDistance = d;
      if (d == 0) break;
    }
  }
  return best;
}

void ReadRow(const Surface& s, int x, int y, int n, Rgb* out) { ReaderOf(s.format)(s, x, y, n, 1, out, 0); }

void WriteRow(const Surface& s, int x, int y, int n, const Rgb* in) {
  std::uint8_t* row = s.Row(y);
  // Runs of one colour are common (fills, masks): remember the last match.
  Rgb lastColour = 0;
  int lastIndex = -1;
  auto index = [&](Rgb c) {
    if (lastIndex < 0 || c != lastColour) {
      lastColour = c;
      lastIndex = NearestIndex(s.palette, c);
    }
    return lastIndex;
  };
  switch (s.format) {
    case PixelFormat::Index1:
      for (int i = 0; i < n; ++i) {
        int px = x + i;
        std::uint8_t bit = std::uint8_t(0x80 >> (px & 7));
        if (index(in[i]) & 1)
          row[px >> 3] |= bit;
        else
          row[px >> 3] &= std::uint8_t(~bit);
      }
      break;
    case PixelFormat::Index4:
      for (int i = 0; i < n; ++i) {
        int px = x + i;
        std::uint8_t v = std::uint8_t(index(in[i]) & 0x0F);
        std::uint8_t& b = row[px >> 1];
        b = (px & 1) ? std::uint8_t((b & 0xF0) | v) : std::uint8_t((b & 0x0F) | (v << 4));
      }
      break;
    case PixelFormat::Index8:
      for (int i = 0; i < n; ++i) row[x + i] = std::uint8_t(index(in[i]));
      break;
    case PixelFormat::Rgb555:
    case PixelFormat::Rgb565:
      for (int i = 0; i < n; ++i) {
        std::uint16_t v = s.format == PixelFormat::Rgb555 ? To555(in[i]) : To565(in[i]);
        row[2 * (x + i)] = std::uint8_t(v);
        row[2 * (x + i) + 1] = std::uint8_t(v >> 8);
      }
      break;
    case PixelFormat::Bgr24:
      for (int i = 0; i < n; ++i) {
        std::uint8_t* p = row + 3 * (x + i);
        p[0] = std::uint8_t(in[i]);
        p[1] = std::uint8_t(in[i] >> 8);
        p[2] = std::uint8_t(in[i] >> 16);
      }
      break;
    case PixelFormat::Xrgb32:
      CopyRgb(reinterpret_cast<Rgb*>(row) + x, in, n);
      break;
  }
}

Rgb ReadPixel(const Surface& s, int x, int y) {
  Rgb c = 0;
  ReadRow(s, x, y, 1, &c);
  return c;
}

void WritePixel(const Surface& s, int x, int y, Rgb colour) { WriteRow(s, x, y, 1, &colour); }

std::optional<Bitmap> Bitmap::Create(int width, int height, PixelFormat format, bool topDown,
                                     std::vector<Rgb> palette, bool dibSection, std::string& error) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
    error = "bitmap size " + std::to_string(width) + " x " + std::to_string(height) + " out of range";
    return std::nullopt;
  }
  std::size_t rowBytes = RowBytes(format, width);
  if (rowBytes * std::size_t(height) > kMaxBytes) {
    error = "bitmap of " + std::to_string(rowBytes * std::size_t(height)) + " bytes is too large";
    return std::nullopt;
  }
  Bitmap b;
  b.width_ = width;
  b.height_ = height;
  b.format_ = format;
  b.topDown_ = topDown;
  b.dibSection_ = dibSection;
  b.rowBytes_ = rowBytes;
  b.words_.assign((rowBytes * std::size_t(height) + 3) / 4, 0);
  b.size_ = rowBytes * std::size_t(height);
  if (IsIndexed(format)) {
    palette.resize(std::size_t(1) << BitsPerPixel(format), 0);
    if (format == PixelFormat::Index1 && !dibSection) palette = {0x000000, 0xFFFFFF};
  } else {
    palette.clear();
  }
  b.palette_ = std::move(palette);
  return b;
}

std::optional<DibLayout> ParseDibHeader(std::span<const std::uint8_t> bytes, std::string& error) {
  if (bytes.size() < 40) {
    error = "bitmap header of " + std::to_string(bytes.size()) + " bytes, 40 needed";
    return std::nullopt;
  }
  std::uint32_t size = Le32(bytes, 0);
  if (size < 40 || size > bytes.size()) {
    error = "bitmap header size " + std::to_string(size) + " is not a BITMAPINFOHEADER within the data";
    return std::nullopt;
  }
  std::int32_t width = std::int32_t(Le32(bytes, 4));
  std::int32_t height = std::int32_t(Le32(bytes, 8));
  std::uint16_t planes = Le16(bytes, 12);
  std::uint16_t bpp = Le16(bytes, 14);
  std::uint32_t compression = Le32(bytes, 16);
  std::uint32_t colorsUsed = Le32(bytes, 32);
  if (planes != 1) {
    error = "bitmap with " + std::to_string(planes) + " planes";
    return std::nullopt;
  }
  if (width <= 0 || height == 0 || height == INT32_MIN || width > kMaxSide || std::abs(height) > kMaxSide) {
    error = "bitmap size " + std::to_string(width) + " x " + std::to_string(height) + " out of range";
    return std::nullopt;
  }
  DibLayout d;
  d.width = width;
  d.height = std::abs(height);
  d.topDown = height < 0;
  std::size_t at = size;
  if (compression == 0) {
    switch (bpp) {
      case 1: d.format = PixelFormat::Index1; break;
      case 4: d.format = PixelFormat::Index4; break;
      case 8: d.format = PixelFormat::Index8; break;
      case 16: d.format = PixelFormat::Rgb555; break;
      case 24: d.format = PixelFormat::Bgr24; break;
      case 32: d.format = PixelFormat::Xrgb32; break;
      default:
        error = "bitmap with " + std::to_string(bpp) + " bits per pixel";
        return std::nullopt;
    }
  } else if (compression == 3 && (bpp == 16 || bpp == 32)) {
    std::size_t maskAt = size >= 52 ? 40 : size;
    if (maskAt + 12 > bytes.size()) {
      error = "bitmap colour masks run past the end of the data";
      return std::nullopt;
    }
    std::uint32_t r = Le32(bytes, maskAt), g = Le32(bytes, maskAt + 4), b = Le32(bytes, maskAt + 8);
    if (bpp == 16 && r == 0x7C00 && g == 0x3E0 && b == 0x1F) {
      d.format = PixelFormat::Rgb555;
    } else if (bpp == 16 && r == 0xF800 && g == 0x7E0 && b == 0x1F) {
      d.format = PixelFormat::Rgb565;
    } else if (bpp == 32 && r == 0xFF0000 && g == 0xFF00 && b == 0xFF) {
      d.format = PixelFormat::Xrgb32;
    } else {
      error = "bitmap colour masks are not 5-5-5, 5-6-5 or 8-8-8";
      return std::nullopt;
    }
    if (size < 52) at += 12;
  } else {
    error = "compressed bitmap (compression " + std::to_string(compression) + ", " + std::to_string(bpp) +
            " bits per pixel)";
    return std::nullopt;
  }
  if (IsIndexed(d.format)) {
    std::size_t entries = std::size_t(1) << bpp;
    if (colorsUsed != 0 && colorsUsed < entries) entries = colorsUsed;
    if (colorsUsed > entries) {
      error = "bitmap colour table of " + std::to_string(colorsUsed) + " entries for " + std::to_string(bpp) +
              " bits per pixel";
      return std::nullopt;
    }
    if (at + 4 * entries > bytes.size()) {
      error = "bitmap colour table runs past the end of the data";
      return std::nullopt;
    }
    for (std::size_t i = 0; i < entries; ++i) {
      const std::uint8_t* q = bytes.data() + at + 4 * i;
      d.palette.push_back((Rgb(q[2]) << 16) | (Rgb(q[1]) << 8) | q[0]);
    }
    at += 4 * entries;
  }
  d.headerBytes = at;
  d.imageBytes = RowBytes(d.format, d.width) * std::size_t(d.height);
  if (d.imageBytes > kMaxBytes) {
    error = "bitmap of " + std::to_string(d.imageBytes) + " bytes is too large";
    return std::nullopt;
  }
  return d;
}

}  // namespace ce::gdi
