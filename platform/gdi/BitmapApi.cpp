// Bitmaps and the calls that move pixels: block transfers, fills, single
// pixels.
#include <algorithm>
#include <cstring>

#include "platform/gdi/GdiCalls.h"
#include "platform/kernel/LastError.h"

using ce::gdi::Bitmap;
using ce::gdi::DcRef;
using ce::gdi::DeviceContext;
using ce::gdi::Gdi;
using ce::gdi::PixelFormat;

namespace ce::gdi {
namespace {

HBITMAP AddBitmap(Bitmap bitmap) {
  auto object = std::make_shared<GdiObject>(GdiObject{std::move(bitmap)});
  return HandleOf<HBITMAP>(Gdi::Instance().objects.Add(std::move(object)));
}

HBITMAP Refuse(DWORD error) {
  SetThreadError(error);
  return nullptr;
}

// The colours of the system's display elements that FillRect takes as
// brush values (COLOR_* + 1).
std::optional<Rgb> SystemColour(std::uintptr_t value) {
  static constexpr Rgb kColours[] = {
      0xC0C0C0, 0x3A6EA5, 0x000080, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
      0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x000080, 0xFFFFFF, 0xC0C0C0,
      0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xDFDFDF, 0x000000,
      0xFFFFE1, 0xB5B5B5, 0x0000FF, 0x000080, 0x808080, 0x000000, 0x000000};
  if (value == 0 || value > std::size(kColours)) return std::nullopt;
  return kColours[value - 1];
}

// The colour of a brush handle for FillRect; nullopt for a bad handle,
// and the hollow brush paints nothing.
std::optional<std::optional<Rgb>> BrushColour(HBRUSH brush) {
  auto value = reinterpret_cast<std::uintptr_t>(brush);
  if (auto c = SystemColour(value)) return std::optional<Rgb>(*c);
  ObjectRef object = Gdi::Instance().Object(brush);
  Brush* b = object ? object->AsBrush() : nullptr;
  if (!b) return std::nullopt;
  return b->hollow ? std::optional<Rgb>() : std::optional<Rgb>(b->colour);
}

Rgb PatternOf(const DeviceContext& dc) {
  const Brush* b = dc.brush.object ? std::get_if<Brush>(&dc.brush.object->value) : nullptr;
  return b && !b->hollow ? b->colour : Rgb{0xFFFFFF};
}

bool IsMonoDevice(const DeviceContext::Place& place) { return place.bitmap && place.bitmap->monochromeDevice(); }

// How colours cross from the source context's picture to the destination's.
ColourRules RulesBetween(const DeviceContext& dst, const DeviceContext::Place& dplace, const DeviceContext& src,
                         const DeviceContext::Place& splace) {
  ColourRules rules;
  const bool monoSource = IsMonoDevice(splace), monoDest = IsMonoDevice(dplace);
  if (monoSource && !monoDest) rules.monoSource = std::array<Rgb, 2>{RgbOfColorRef(dst.textColour), RgbOfColorRef(dst.bkColour)};
  if (monoDest && !monoSource) rules.sourceBackground = RgbOfColorRef(src.bkColour);
  return rules;
}

BOOL FailBlit() {
  SetThreadError(ERROR_INVALID_HANDLE);
  return FALSE;
}

}  // namespace

HBITMAP BitmapFromPackedDib(std::span<const std::uint8_t> dib, std::string& error) {
  auto layout = ParseDibHeader(dib, error);
  if (!layout) return nullptr;
  if (dib.size() - layout->headerBytes < layout->imageBytes) {
    error = "bitmap pixels: " + std::to_string(dib.size() - layout->headerBytes) + " bytes, " +
            std::to_string(layout->imageBytes) + " needed";
    return nullptr;
  }
  auto bitmap = Bitmap::Create(layout->width, layout->height, layout->format, layout->topDown,
                               std::move(layout->palette), true, error);
  if (!bitmap) return nullptr;
  std::memcpy(bitmap->bits().data(), dib.data() + layout->headerBytes, layout->imageBytes);
  return AddBitmap(std::move(*bitmap));
}

HBITMAP DisplayBitmapOf(HBITMAP dib) {
  std::optional<Bitmap> display;
  {
    ObjectRef object = Gdi::Instance().Object(dib);
    Bitmap* source = object ? object->AsBitmap() : nullptr;
    if (!source || source->format() == PixelFormat::Index1 || source->format() == PixelFormat::Xrgb32) return dib;
    std::string error;
    display = Bitmap::Create(source->width(), source->height(), PixelFormat::Xrgb32, true, {}, false, error);
    if (!display) return dib;
    // A top-down 32-bit row is the row's colours as words.
    const Surface from = source->View(), to = display->View();
    for (int y = 0; y < from.height; ++y) ReadRow(from, 0, y, from.width, reinterpret_cast<Rgb*>(to.Row(y)));
  }
  DeleteObject(dib);
  return AddBitmap(std::move(*display));
}

}  // namespace ce::gdi

extern "C" {

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  DcRef dc = ce::gdi::DcOrFail(hdc);
  if (!dc) return nullptr;
  PixelFormat format = PixelFormat::Xrgb32;
  std::vector<ce::gdi::Rgb> palette;
  if (dc->kind() == DeviceContext::Kind::Memory) {
    if (Bitmap* b = dc->bitmap.object->AsBitmap()) {
      format = b->format();
      palette = b->palette();
    }
  }
  std::string error;
  auto bitmap = Bitmap::Create(cx, cy, format, true, std::move(palette), false, error);
  if (!bitmap) return ce::gdi::Refuse(ERROR_INVALID_PARAMETER);
  return ce::gdi::AddBitmap(std::move(*bitmap));
}

HBITMAP WINAPI CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits) {
  PixelFormat format;
  switch (nBitCount) {
    case 1: format = PixelFormat::Index1; break;
    case 16: format = PixelFormat::Rgb565; break;
    case 24: format = PixelFormat::Bgr24; break;
    case 32: format = PixelFormat::Xrgb32; break;
    default: return ce::gdi::Refuse(ERROR_INVALID_PARAMETER);
  }
  if (nPlanes != 1) return ce::gdi::Refuse(ERROR_INVALID_PARAMETER);
  std::string error;
  auto bitmap = Bitmap::Create(nWidth, nHeight, format, true, {}, false, error);
  if (!bitmap) return ce::gdi::Refuse(ERROR_INVALID_PARAMETER);
  if (lpBits) {
    // The caller's rows are padded to 16 bits, ours to 32.
    std::size_t from = ((std::size_t(nWidth) * nBitCount + 15) / 16) * 2;
    auto* in = static_cast<const std::uint8_t*>(lpBits);
    for (int y = 0; y < nHeight; ++y)
      std::memcpy(bitmap->bits().data() + bitmap->rowBytes() * std::size_t(y), in + from * std::size_t(y), from);
  }
  return ce::gdi::AddBitmap(std::move(*bitmap));
}

HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection,
                                DWORD offset) {
  if (ppvBits) *ppvBits = nullptr;
  if (hdc && !ce::gdi::DcOrFail(hdc)) return nullptr;
  // Colour tables of palette indices and sections in file mappings are
  // not supported by this display.
  if (!pbmi || usage != DIB_RGB_COLORS || hSection || offset) return ce::gdi::Refuse(ERROR_INVALID_PARAMETER);
  // The header says how long the whole BITMAPINFO is; read no further.
  const BITMAPINFOHEADER& h = pbmi->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > 4096) return ce::gdi::Refuse(ERROR_INVALID_PARAMETER);
  std::size_t length = h.biSize;
  if (h.biCompression == BI_BITFIELDS && h.biSize < 52) length += 12;
  if (h.biBitCount <= 8 && h.biCompression == BI_RGB) {
    std::size_t entries = std::size_t(1) << h.biBitCount;
    if (h.biClrUsed != 0 && h.biClrUsed < entries) entries = h.biClrUsed;
    length += 4 * entries;
  }
  std::string error;
  auto layout = ce::gdi::ParseDibHeader({reinterpret_cast<const std::uint8_t*>(pbmi), length}, error);
  if (!layout) return ce::gdi::Refuse(ERROR_INVALID_PARAMETER);
  auto bitmap = Bitmap::Create(layout->width, layout->height, layout->format, layout->topDown,
                               std::move(layout->palette), true, error);
  if (!bitmap) return ce::gdi::Refuse(ERROR_NOT_ENOUGH_MEMORY);
  HBITMAP handle = ce::gdi::AddBitmap(std::move(*bitmap));
  if (ppvBits) {
    // The pixel memory stays where it is for the bitmap's life: the table
    // holds the object by pointer.
    ce::gdi::ObjectRef object = Gdi::Instance().Object(handle);
    *ppvBits = object->AsBitmap()->bits().data();
  }
  return handle;
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  const unsigned index = ce::gdi::RopIndex(rop);
  const bool useSource = ce::gdi::RopUsesSource(index);
  auto [dst, src] = ce::gdi::DcPair(hdc, useSource ? hdcSrc : nullptr);
  if (!dst || (useSource && !src)) return ce::gdi::FailBlit();
  // A blit within one context resolves it once.
  DeviceContext::Place dplace, splaceOwn;
  const DeviceContext::Place& splace = src == dst ? dplace : splaceOwn;
  if (!dst->Resolve(dplace) || (useSource && src != dst && !src->Resolve(splaceOwn))) return ce::gdi::FailBlit();
  // Made in place: a copy of it read whole stalls on the parts just written.
  const ce::gdi::ColourRules rules = useSource ? ce::gdi::RulesBetween(*dst, dplace, *src, splace) : ce::gdi::ColourRules{};
  const ce::gdi::Surface* source = useSource ? &splace.target.surface : nullptr;
  int sx = useSource ? x1 + splace.target.origin.x : 0, sy = useSource ? y1 + splace.target.origin.y : 0;
  const ce::gdi::Rgb pattern = ce::gdi::RopUsesPattern(index) ? ce::gdi::PatternOf(*dst) : 0;
  ce::gdi::PanelGuard guard(dplace.panel, splace.panel);
  ce::gdi::Painter::Blit(dplace.target, x, y, cx, cy, source, sx, sy, rop, pattern, rules);
  return TRUE;
}

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  if (ce::gdi::RopUsesSource(ce::gdi::RopIndex(rop))) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return BitBlt(hdc, x, y, w, h, nullptr, 0, 0, rop);
}

int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  DcRef dc = ce::gdi::DcOrFail(hDC);
  if (!dc) return 0;
  auto colour = ce::gdi::BrushColour(hbr);
  if (!lprc || !colour) {
    ce::SetThreadError(lprc ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return 0;
  }
  DeviceContext::Place place;
  if (!dc->Resolve(place)) {
    ce::SetThreadError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (!*colour) return 1;
  ce::gdi::PanelGuard guard(place.panel);
  ce::gdi::Painter::Fill(place.target, *lprc, **colour);
  return 1;
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
  DcRef dc = ce::gdi::DcOrFail(hdc);
  DeviceContext::Place place;
  if (!dc || !dc->Resolve(place)) return CLR_INVALID;
  ce::gdi::PanelGuard guard(place.panel);
  const auto& t = place.target;
  POINT p{x + t.origin.x, y + t.origin.y};
  for (const RECT& r : t.clip) {
    if (ce::Contains(r, p)) {
      ce::gdi::WritePixel(t.surface, p.x, p.y, ce::gdi::RgbOfColorRef(color));
      return ce::gdi::ColorRefOfRgb(ce::gdi::ReadPixel(t.surface, p.x, p.y));
    }
  }
  return CLR_INVALID;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
  DcRef dc = ce::gdi::DcOrFail(hdc);
  DeviceContext::Place place;
  if (!dc || !dc->Resolve(place)) return CLR_INVALID;
  ce::gdi::PanelGuard guard(place.panel, nullptr, false);
  const auto& t = place.target;
  POINT p{x + t.origin.x, y + t.origin.y};
  for (const RECT& r : t.clip) {
    if (ce::Contains(r, p))
      return ce::gdi::ColorRefOfRgb(ce::gdi::ReadPixel(t.surface, p.x, p.y));
  }
  return CLR_INVALID;
}

}  // extern "C"
