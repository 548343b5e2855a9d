// DrawIcon: an icon's image is a packed DIB of twice the icon's height,
// the colour rows followed by a one-bit transparency mask. It is drawn as
// the platform draws icons: the mask ANDed onto the target (keeping what
// is behind the transparent pixels, blacking out the rest), then the
// colours XORed on.
#include <cstring>
#include <optional>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/GdiCalls.h"
#include "platform/kernel/LastError.h"
#include "platform/user/ResourceData.h"
#include "windows.h"

namespace ce {
namespace {

constexpr std::size_t kHeaderBytes = sizeof(BITMAPINFOHEADER);

// The two halves of an icon image, each a packed DIB of the icon's size.
struct IconBitmaps {
  std::vector<std::uint8_t> colour;
  std::vector<std::uint8_t> mask;
};

BITMAPINFOHEADER HeaderOf(std::span<const std::uint8_t> image) {
  BITMAPINFOHEADER header{};
  std::memcpy(&header, image.data(), kHeaderBytes);
  return header;
}

std::optional<IconBitmaps> SplitIcon(const res::Icon& icon) {
  if (icon.image.size() < kHeaderBytes) return std::nullopt;
  BITMAPINFOHEADER header = HeaderOf(icon.image);
  if (header.biWidth != icon.width || header.biHeight != 2 * icon.height || icon.height <= 0) return std::nullopt;
  header.biHeight = icon.height;
  header.biSizeImage = 0;
  std::vector<std::uint8_t> colour(icon.image.begin(), icon.image.end());
  std::memcpy(colour.data(), &header, kHeaderBytes);
  std::string error;
  auto layout = gdi::ParseDibHeader(colour, error);
  if (!layout) return std::nullopt;
  const std::size_t colourEnd = layout->headerBytes + layout->imageBytes;
  const std::size_t maskRow = ((static_cast<std::size_t>(icon.width) + 31) / 32) * 4;
  const std::size_t maskBytes = maskRow * static_cast<std::size_t>(icon.height);
  if (colourEnd + maskBytes > colour.size()) return std::nullopt;

  IconBitmaps out;
  BITMAPINFOHEADER maskHeader = header;
  maskHeader.biBitCount = 1;
  maskHeader.biClrUsed = 2;
  maskHeader.biClrImportant = 0;
  maskHeader.biCompression = BI_RGB;
  const std::uint8_t palette[8] = {0, 0, 0, 0, 255, 255, 255, 0};
  out.mask.resize(kHeaderBytes);
  std::memcpy(out.mask.data(), &maskHeader, kHeaderBytes);
  out.mask.insert(out.mask.end(), palette, palette + sizeof palette);
  out.mask.insert(out.mask.end(), colour.begin() + static_cast<std::ptrdiff_t>(colourEnd),
                  colour.begin() + static_cast<std::ptrdiff_t>(colourEnd + maskBytes));
  colour.resize(colourEnd);
  out.colour = std::move(colour);
  return out;
}

bool Blit(HDC target, int x, int y, const res::Icon& icon, const std::vector<std::uint8_t>& dib, DWORD rop) {
  std::string error;
  HBITMAP bitmap = gdi::BitmapFromPackedDib(dib, error);
  if (!bitmap) return false;
  HDC memory = CreateCompatibleDC(target);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  const BOOL done = BitBlt(target, x, y, icon.width, icon.height, memory, 0, 0, rop);
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(bitmap);
  return done != FALSE;
}

}  // namespace
}  // namespace ce

extern "C" BOOL WINAPI DrawIcon(HDC hDC, int X, int Y, HICON hIcon) {
  auto icon = ce::res::IconOf(hIcon);
  if (!icon) {
    ce::SetThreadError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (icon->image.empty()) return TRUE;  // the system's plain icon has no picture
  auto parts = ce::SplitIcon(*icon);
  if (!parts) {
    ce::SetThreadError(ERROR_INVALID_DATA);
    return FALSE;
  }
  return ce::Blit(hDC, X, Y, *icon, parts->mask, SRCAND) && ce::Blit(hDC, X, Y, *icon, parts->colour, SRCINVERT)
             ? TRUE
             : FALSE;
}
