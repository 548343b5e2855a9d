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
  void Add(const RECT& r) {
    if (spill_.empty() && size_ < kInline) {
      inline_[size_++] = r;
      return;
    }
    if (spill_.empty()) spill_.assign(inline_.begin(), inline_.begin() + std::ptrdiff_t(size_));
    spill_.push_back(r);
    ++size_;
  }
  const RECT* begin() const { return spill_.empty() ? inline_.data() : spill_.data(); }
  const RECT* end() const { return begin() + size_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

 private:
  static constexpr std::size_t kInline = 6;
  std::array<RECT, kInline> inline_;
  std::size_t size_ = 0;
  std::vector<RECT> spill_;  // all of them, once there are more than fit inside
};

// Where drawing lands: a picture, the offset of the drawing's (0, 0) on
// it, and the rectangles (picture coordinates) it may change.
struct Target {
  Surface surface;
  POINT origin{0, 0};
  ClipRects clip;
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
bool RopUsesSource(unsigned index);
bool RopUsesDestination(unsigned index);
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
