// The raster engine: block transfers with the platform's ternary raster
// operations (every boolean function of pattern, source and destination),
// clipped to both pictures and to the destination's visible rectangles.
#pragma once

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Rects.h"
#include "wingdi.h"

namespace ce::gdi {

// The rectangles a drawing may change. The few that nearly every drawing
// has (one for a picture, a handful for a window that others partly
// cover) are kept inside, so that drawing allocates nothing.
class ClipRects {
 public:
  ClipRects() = default;
  ClipRects(std::initializer_list<RECT> rects) {
    for (const RECT& r : rects) Add(r);
  }
  // Copies only the rectangles there are.
  ClipRects(const ClipRects& other) { *this = other; }
  ClipRects& operator=(const ClipRects& other) {
    size_ = other.size_;
    spill_ = other.spill_;
    if (spill_.empty()) std::copy_n(other.inline_.begin(), size_, inline_.begin());
    return *this;
  }
  [[gnu::always_inline]] void Add(const RECT& r) {
    if (size_ < kInline) {  // then nothing has spilled yet
      inline_[size_++] = r;
      return;
    }
    Spill(r);
  }
  const RECT* begin() const { return spill_.empty() ? inline_.data() : spill_.data(); }
  operator std::span<const RECT>() const { return {begin(), size_}; }
  const RECT* end() const { return begin() + size_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

 private:
  [[gnu::noinline]] void Spill(const RECT& r) {
    if (spill_.empty()) spill_.assign(inline_.begin(), inline_.begin() + std::ptrdiff_t(size_));
    spill_.push_back(r);
    ++size_;
  }

  static constexpr std::size_t kInline = 6;
  std::array<RECT, kInline> inline_;
  std::size_t size_ = 0;
  std::vector<RECT> spill_;  // all of them, once there are more than fit inside
};

// Where drawing lands: a picture, the offset of the drawing's (0, 0) on
// it, and the rectangles (picture coordinates) it may change, held by
// whoever resolved the target.
struct Target {
  Surface surface;
  POINT origin{0, 0};
  std::span<const RECT> clip;
};

// How colours cross between monochrome and colour pictures. A monochrome
// device bitmap as the source draws its 0 bits in monoSource[0] (the
// destination's text colour) and its 1 bits in monoSource[1] (its
// background colour). A colour source drawn into a monochrome device
// bitmap gives 1 (white) where it has sourceBackground, else 0.
struct ColourRules {
  std::optional<std::array<Rgb, 2>> monoSource;
  std::optional<Rgb> sourceBackground;
};

// The boolean function of a raster operation (its middle byte).
inline unsigned RopIndex(DWORD rop) { return (rop >> 16) & 0xFF; }
// Bit 7..0 of the index is the result for (P, S, D) = 111 ... 000, i.e.
// bit (P << 2 | S << 1 | D). The function uses S when swapping the S = 0
// and S = 1 halves changes it; likewise for D and P.
inline bool RopUsesSource(unsigned index) { return ((index >> 2) & 0x33) != (index & 0x33); }
inline bool RopUsesDestination(unsigned index) { return ((index >> 1) & 0x55) != (index & 0x55); }
inline bool RopUsesPattern(unsigned index) { return ((index >> 4) & 0x0F) != (index & 0x0F); }
// Applies the function to n destination pixels, with source pixels s
// (may be null when the operation does not use them) and pattern p.
void ApplyRop(unsigned index, Rgb* d, const Rgb* s, Rgb p, int n);

class Painter {
 public:
  // Transfers w x h pixels from (sx, sy) of src to (x, y) of the target
  // (logical coordinates). Parts that lie outside either picture or
  // outside the clip stay as they were. Negative sizes draw nothing.
  // Within one picture the source is read as it was before the transfer,
  // so a move that overlaps itself comes out whole.
  static void Blit(const Target& dst, int x, int y, int w, int h, const Surface* src, int sx, int sy, DWORD rop,
                   Rgb pattern, const ColourRules& rules = {});
  static void Fill(const Target& dst, const RECT& rect, Rgb colour);
};

}  // namespace ce::gdi
