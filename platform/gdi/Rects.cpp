#include "platform/gdi/Rects.h"

namespace ce {

void Subtract(std::vector<RECT>& area, const RECT& cover) {
  if (IsEmpty(cover)) return;
  std::vector<RECT> result;
  result.reserve(area.size() + 4);
  for (const RECT& r : area) {
    RECT cut = Intersect(r, cover);
    if (IsEmpty(cut)) {
      result.push_back(r);
      continue;
    }
    // Up to four bands around the cut: above, below, left and right of it.
    if (r.top < cut.top) result.push_back(RECT{r.left, r.top, r.right, cut.top});
    if (cut.bottom < r.bottom) result.push_back(RECT{r.left, cut.bottom, r.right, r.bottom});
    if (r.left < cut.left) result.push_back(RECT{r.left, cut.top, cut.left, cut.bottom});
    if (cut.right < r.right) result.push_back(RECT{cut.right, cut.top, r.right, cut.bottom});
  }
  area = std::move(result);
}

}  // namespace ce
