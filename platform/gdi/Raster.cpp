#include "gdi/Raster.h"

#include <algorithm>
#include <cstring>

namespace ce::gdi {

// Bit 7..0 of the index is the result for (P, S, D) = 111 ... 000, i.e.
// bit (P << 2 | S << 1 | D). The function uses S when swapping the S = 0
// and S = 1 halves changes it; likewise for D.
bool RopUsesSource(unsigned index) { return ((index >> 2) & 0x33) != (index & 0x33); }
bool RopUsesDestination(unsigned index) { return ((index >> 1) & 0x55) != (index & 0x55); }

namespace {

// The source never overlaps the destination row (Painter::Blit reads a
// picture's own pixels through a buffer), so the loops may vectorise.
void CopyMasked(Rgb* __restrict d, const Rgb* __restrict s, int n) {
  for (int i = 0; i < n; ++i) d[i] = s[i] & 0xFFFFFF;
}
void AndMasked(Rgb* __restrict d, const Rgb* __restrict s, int n) {
  for (int i = 0; i < n; ++i) d[i] = (d[i] & s[i]) & 0xFFFFFF;
}
void OrMasked(Rgb* __restrict d, const Rgb* __restrict s, int n) {
  for (int i = 0; i < n; ++i) d[i] = (d[i] | s[i]) & 0xFFFFFF;
}
void XorMasked(Rgb* __restrict d, const Rgb* __restrict s, int n) {
  for (int i = 0; i < n; ++i) d[i] = (d[i] ^ s[i]) & 0xFFFFFF;
}

}  // namespace

void ApplyRop(unsigned index, Rgb* d, const Rgb* s, Rgb p, int n) {
  switch (index) {
    // 32-bit pictures may carry anything in their top byte; it never
    // reaches the result.
    case 0xCC: CopyMasked(d, s, n); return;  // S
    case 0x88: AndMasked(d, s, n); return;   // S & D
    case 0xEE: OrMasked(d, s, n); return;    // S | D
    case 0x66: XorMasked(d, s, n); return;   // S ^ D
    case 0x33: for (int i = 0; i < n; ++i) d[i] = ~s[i] & 0xFFFFFF; return;               // ~S
    case 0x00: std::fill_n(d, n, Rgb{0}); return;                                         // 0
    case 0xFF: std::fill_n(d, n, Rgb{0xFFFFFF}); return;                                  // 1
    case 0xF0: std::fill_n(d, n, p & 0xFFFFFF); return;                                   // P
    case 0x55: for (int i = 0; i < n; ++i) d[i] = ~d[i] & 0xFFFFFF; return;               // ~D
    case 0x5A: for (int i = 0; i < n; ++i) d[i] ^= p & 0xFFFFFF; return;                  // P ^ D
    default: break;
  }
  // Any other function: the OR of its minterms, bit-parallel over a pixel.
  for (int i = 0; i < n; ++i) {
    Rgb sv = s ? s[i] : 0, dv = d[i], r = 0;
    for (unsigned m = 0; m < 8; ++m) {
      if (!((index >> m) & 1)) continue;
      r |= ((m & 4) ? p : ~p) & ((m & 2) ? sv : ~sv) & ((m & 1) ? dv : ~dv);
    }
    d[i] = r & 0xFFFFFF;
  }
}

void Painter::Blit(const Target& dst, int x, int y, int w, int h, const Surface* src, int sx, int sy, DWORD rop,
                   Rgb pattern, const ColourRules& rules) {
  if (w <= 0 || h <= 0) return;
  unsigned index = RopIndex(rop);
  bool useSource = RopUsesSource(index);
  if (useSource && !src) return;
  bool useDest = RopUsesDestination(index);

  // The destination rectangle in picture coordinates, then cut so that
  // its source stays inside the source picture.
  long left = long(x) + dst.origin.x, top = long(y) + dst.origin.y;
  long right = left + w, bottom = top + h;
  long dxs = 0, dys = 0;  // source minus destination, picture coordinates
  if (useSource) {
    dxs = long(sx) - left;
    dys = long(sy) - top;
    left = std::max(left, -dxs);
    top = std::max(top, -dys);
    right = std::min(right, long(src->width) - dxs);
    bottom = std::min(bottom, long(src->height) - dys);
  }
  const RECT bounds{0, 0, dst.surface.width, dst.surface.height};
  left = std::max(left, long(bounds.left));
  top = std::max(top, long(bounds.top));
  right = std::min(right, long(bounds.right));
  bottom = std::min(bottom, long(bounds.bottom));
  if (right <= left || bottom <= top) return;
  RECT area{LONG(left), LONG(top), LONG(right), LONG(bottom)};

  Surface source = useSource ? *src : Surface{};
  std::array<Rgb, 2> monoColours{};
  if (useSource && rules.monoSource) {
    monoColours = *rules.monoSource;
    source.palette = monoColours;
  }
  bool sameMemory = useSource && src->row0 == dst.surface.row0;
  bool directDest = dst.surface.format == PixelFormat::Xrgb32;
  bool directSource = useSource && source.format == PixelFormat::Xrgb32 && !sameMemory;

  std::vector<Rgb> dbuf(std::size_t(right - left)), sbuf(std::size_t(right - left));
  for (const RECT& clip : dst.clip) {
    RECT r = Intersect(Intersect(area, clip), bounds);
    if (IsEmpty(r)) continue;
    int n = r.right - r.left;
    // Within one picture, a copy downwards must go from the bottom row up.
    bool upwards = sameMemory && dys < 0;
    for (int k = 0; k < r.bottom - r.top; ++k) {
      int row = upwards ? r.bottom - 1 - k : r.top + k;
      const Rgb* s = nullptr;
      if (useSource) {
        int srow = int(row + dys), scol = int(r.left + dxs);
        if (directSource) {
          s = reinterpret_cast<const Rgb*>(source.Row(srow)) + scol;
        } else {
          ReadRow(source, scol, srow, n, sbuf.data());
          s = sbuf.data();
        }
        if (rules.sourceBackground) {
          if (s != sbuf.data()) {
            std::copy_n(s, n, sbuf.data());
            s = sbuf.data();
          }
          for (int i = 0; i < n; ++i) sbuf[i] = sbuf[i] == *rules.sourceBackground ? 0xFFFFFF : 0;
        }
      }
      if (directDest) {
        Rgb* d = reinterpret_cast<Rgb*>(dst.surface.Row(row)) + r.left;
        ApplyRop(index, d, s, pattern, n);
      } else {
        if (useDest) ReadRow(dst.surface, r.left, row, n, dbuf.data());
        ApplyRop(index, dbuf.data(), s, pattern, n);
        WriteRow(dst.surface, r.left, row, n, dbuf.data());
      }
    }
  }
}

void Painter::Fill(const Target& dst, const RECT& rect, Rgb colour) {
  Blit(dst, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr, 0, 0, PATCOPY, colour);
}

}  // namespace ce::gdi
