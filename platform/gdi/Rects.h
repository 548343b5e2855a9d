// Rectangle arithmetic for everything that draws or keeps windows: GDI's
// clipping and the window manager's visible areas and update regions.
// Rectangles include their left and top edges and exclude their right
// and bottom edges; one with no area is empty.
#pragma once

#include <algorithm>
#include <vector>

#include "windef.h"

namespace ce {

inline bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// The common part of a and b; {0, 0, 0, 0} when they do not meet.
inline RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  return IsEmpty(r) ? RECT{0, 0, 0, 0} : r;
}

// The smallest rectangle holding both; an empty one adds nothing.
inline RECT Union(const RECT& a, const RECT& b) {
  if (IsEmpty(a)) return b;
  if (IsEmpty(b)) return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

inline RECT Offset(RECT r, LONG dx, LONG dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

inline bool Covers(const RECT& outer, const RECT& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
         outer.bottom >= inner.bottom;
}

inline bool Contains(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// Replaces the rectangles of area by their parts that lie outside cover.
void Subtract(std::vector<RECT>& area, const RECT& cover);

}  // namespace ce
