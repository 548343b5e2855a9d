#include "platform/gdi/Raster.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/gdi/PixelRuns.h"

namespace ce::gdi {

void ApplyRop(unsigned index, Rgb* d, const Rgb* s, Rgb p, int n) {
  switch (index) {
    // 32-bit pictures may carry anything in their top byte; it never
    // reaches the result.
    case 0xCC: CopyRgb(d, s, n); return;  // S
    case 0x88: AndRgb(d, s, n); return;   // S & D
    case 0xEE: OrRgb(d, s, n); return;    // S | D
    case 0x66: XorRgb(d, s, n); return;   // S ^ D
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

namespace {

// A blit is worked in pieces of at most this many pixels (of whole rows,
// or of one row where rows are wider), so that what it reads out of
// pictures in other formats fits on the stack.
constexpr int kPiece = 256;

// Rows first to first + rows of a picture, copied as they are, with the
// picture's format and colours. A blit within one picture reads such a
// copy, so that what it overwrites is still read as it was before.
struct RowsCopy {
  RowsCopy(const Surface& picture, int first, int rows) {
    const std::size_t rowBytes = RowBytes(picture.format, picture.width);
    words.resize((rowBytes * std::size_t(rows) + 3) / 4);
    surface = picture;
    surface.row0 = reinterpret_cast<std::uint8_t*>(words.data());
    surface.stride = std::ptrdiff_t(rowBytes);
    surface.height = rows;
    for (int k = 0; k < rows; ++k) std::memcpy(surface.Row(k), picture.Row(first + k), rowBytes);
  }
  std::vector<std::uint32_t> words;
  Surface surface;
};

// One blit, clipped, worked piece by piece. What is the same for every
// piece is settled when the blit starts.
class Transfer {
 public:
  Transfer(unsigned index, const Surface& dst, const Surface* src, long dxs, long dys, Rgb pattern,
           std::optional<Rgb> sourceBackground)
      : index_(index), dst_(dst), src_(src), dxs_(dxs), dys_(dys), pattern_(pattern),
        sourceBackground_(sourceBackground), directDest_(dst.format == PixelFormat::Xrgb32),
        readSource_(src ? ReaderOf(src->format) : nullptr),
        copyIn_(src && directDest_ && index == 0xCC && !sourceBackground),
        sourceInPlace_(src && src->format == PixelFormat::Xrgb32 && !sourceBackground) {}

  // The part of the blit inside one clip rectangle.
  void Rect(const RECT& r) const {
    if (IsEmpty(r)) return;
    if (copyIn_) {
      // In one go, so that the rows run in one tight loop.
      readSource_(*src_, int(r.left + dxs_), int(r.top + dys_), r.right - r.left, r.bottom - r.top,
                  reinterpret_cast<Rgb*>(dst_.Row(r.top)) + r.left, dst_.stride / std::ptrdiff_t(sizeof(Rgb)));
      return;
    }
    const int width = r.right - r.left;
    if (width > kPiece) {
      for (int row = r.top; row < r.bottom; ++row)
        for (int col = r.left; col < r.right; col += kPiece) Piece(col, row, std::min(kPiece, int(r.right) - col), 1);
      return;
    }
    const int rows = kPiece / width;
    for (int row = r.top; row < r.bottom; row += rows) Piece(r.left, row, width, std::min(rows, int(r.bottom) - row));
  }

 private:
  // n pixels of each of the given rows from (x, y) on.
  void Piece(int x, int y, int n, int rows) const {
    const int sx = int(x + dxs_), sy = int(y + dys_);
    Rgb sbuf[kPiece], dbuf[kPiece];
    if (src_ && !sourceInPlace_) {
      readSource_(*src_, sx, sy, n, rows, sbuf, n);
      if (sourceBackground_)
        for (int i = 0; i < n * rows; ++i) sbuf[i] = sbuf[i] == *sourceBackground_ ? 0xFFFFFF : 0;
    }
    for (int k = 0; k < rows; ++k) {
      const Rgb* s = nullptr;
      if (sourceInPlace_)
        s = reinterpret_cast<const Rgb*>(src_->Row(sy + k)) + sx;
      else if (src_)
        s = sbuf + k * n;
      if (directDest_) {
        ApplyRop(index_, reinterpret_cast<Rgb*>(dst_.Row(y + k)) + x, s, pattern_, n);
        continue;
      }
      if (RopUsesDestination(index_))
        ReadRow(dst_, x, y + k, n, dbuf);
      else
        std::fill_n(dbuf, n, Rgb{0});
      ApplyRop(index_, dbuf, s, pattern_, n);
      WriteRow(dst_, x, y + k, n, dbuf);
    }
  }

  unsigned index_;
  const Surface& dst_;
  const Surface* src_;  // null when the operation reads no source
  long dxs_, dys_;      // source minus destination, picture coordinates
  Rgb pattern_;
  std::optional<Rgb> sourceBackground_;
  bool directDest_;       // the destination's pixels are colours already
  RowReader readSource_;
  bool copyIn_;           // a copy into such pixels is the conversion alone
  bool sourceInPlace_;    // a 32-bit source is combined where it lies
};

// The loop that does the whole of a blit from a 24-bit or 32-bit picture
// into a 32-bit one by the operations pictures are drawn with, and the
// bytes of the source pixels it reads; no run for the others.
struct FastLoop {
  RectRun run = nullptr;
  int sourceBytes = 0;
};

// Looked up once for this processor, by combination and source format.
const auto kFastLoops = [] {
  std::array<std::array<FastLoop, 2>, 4> byCombination{};
  for (int k = 0; k < 4; ++k) {
    byCombination[k][0] = {RectRunOf(Combination(k), PixelFormat::Bgr24, FastestVectors()), 3};
    byCombination[k][1] = {RectRunOf(Combination(k), PixelFormat::Xrgb32, FastestVectors()), 4};
  }
  return byCombination;
}();

[[gnu::always_inline]] inline FastLoop FastLoopOf(unsigned index, const Surface& dst, const Surface& src) {
  if (dst.format != PixelFormat::Xrgb32) return {};
  Combination c;
  switch (index) {
    case 0xCC: c = Combination::Copy; break;
    case 0x88: c = Combination::And; break;
    case 0xEE: c = Combination::Or; break;
    case 0x66: c = Combination::Xor; break;
    default: return {};
  }
  if (src.format == PixelFormat::Bgr24) return kFastLoops[int(c)][0];
  if (src.format == PixelFormat::Xrgb32) return kFastLoops[int(c)][1];
  return {};
}

// The part of the destination picture a blit of w x h pixels at (x, y)
// (logical coordinates) changes, cut to the picture and, with a source,
// so that what it reads stays inside the source picture; dxs and dys take
// the source's place minus the destination's. False when nothing is left.
[[gnu::always_inline]] inline bool CutToPictures(const Target& dst, int x, int y, int w, int h, const Surface* src, int sx, int sy, RECT& area,
                   long& dxs, long& dys) {
  long left = long(x) + dst.origin.x, top = long(y) + dst.origin.y;
  long right = left + w, bottom = top + h;
  dxs = dys = 0;
  if (src) {
    dxs = long(sx) - left;
    dys = long(sy) - top;
    left = std::max(left, -dxs);
    top = std::max(top, -dys);
    right = std::min(right, long(src->width) - dxs);
    bottom = std::min(bottom, long(src->height) - dys);
  }
  left = std::max(left, 0L);
  top = std::max(top, 0L);
  right = std::min(right, long(dst.surface.width));
  bottom = std::min(bottom, long(dst.surface.height));
  if (right <= left || bottom <= top) return false;
  area = RECT{LONG(left), LONG(top), LONG(right), LONG(bottom)};
  return true;
}

// Runs the loop over the part of area inside each clip rectangle.
[[gnu::always_inline]] inline void RunInClip(const FastLoop& loop, const Target& dst, const Surface& src, const RECT& area, long dxs, long dys) {
  for (const RECT& clip : dst.clip) {
    const RECT r = Intersect(area, clip);
    if (IsEmpty(r)) continue;
    loop.run(dst.surface.Row(r.top) + 4 * r.left, dst.surface.stride,
             src.Row(int(r.top + dys)) + loop.sourceBytes * (r.left + dxs), src.stride, r.right - r.left,
             r.bottom - r.top);
  }
}

// A blit the fast loops do not do alone: through the colours of a
// monochrome picture or into one, within one picture, or by any other
// operation.
[[gnu::noinline]] void BlitAnyway(unsigned index, const Target& dst, const RECT& area, const Surface* src, long dxs,
                                  long dys, Rgb pattern, const ColourRules& rules) {
  Surface source = src ? *src : Surface{};
  std::array<Rgb, 2> monoColours{};
  if (src && rules.monoSource) {
    monoColours = *rules.monoSource;
    source.palette = monoColours;
  }
  std::optional<RowsCopy> copy;
  if (src && src->row0 == dst.surface.row0) {
    copy.emplace(source, int(area.top + dys), area.bottom - area.top);
    source = copy->surface;
    dys = -long(area.top);
  }
  if (const FastLoop loop = src && !rules.sourceBackground ? FastLoopOf(index, dst.surface, source) : FastLoop{};
      loop.run) {
    RunInClip(loop, dst, source, area, dxs, dys);
    return;
  }
  const Transfer transfer(index, dst.surface, src ? &source : nullptr, dxs, dys, pattern, rules.sourceBackground);
  for (const RECT& clip : dst.clip) transfer.Rect(Intersect(area, clip));
}

}  // namespace

void Painter::Blit(const Target& dst, int x, int y, int w, int h, const Surface* src, int sx, int sy, DWORD rop,
                   Rgb pattern, const ColourRules& rules) {
  if (w <= 0 || h <= 0) return;
  const unsigned index = RopIndex(rop);
  const bool useSource = RopUsesSource(index);
  if (useSource && !src) return;
  if (!useSource) src = nullptr;
  RECT area;
  long dxs, dys;
  if (!CutToPictures(dst, x, y, w, h, src, sx, sy, area, dxs, dys)) return;
  // Nearly every blit draws one colour picture onto another: straight
  // into the fast loop.
  if (src && !rules.monoSource && !rules.sourceBackground && src->row0 != dst.surface.row0) {
    if (const FastLoop loop = FastLoopOf(index, dst.surface, *src); loop.run) {
      RunInClip(loop, dst, *src, area, dxs, dys);
      return;
    }
  }
  BlitAnyway(index, dst, area, src, dxs, dys, pattern, rules);
}

void Painter::Fill(const Target& dst, const RECT& rect, Rgb colour) {
  Blit(dst, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr, 0, 0, PATCOPY, colour);
}

}  // namespace ce::gdi
