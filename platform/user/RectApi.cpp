// The platform's rectangle functions.
#include "platform/gdi/Rects.h"
#include "windows.h"

extern "C" {

BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom) {
  if (!lprc) return FALSE;
  *lprc = RECT{xLeft, yTop, xRight, yBottom};
  return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT lprc) { return SetRect(lprc, 0, 0, 0, 0); }

BOOL WINAPI CopyRect(LPRECT lprcDst, const RECT* lprcSrc) {
  if (!lprcDst || !lprcSrc) return FALSE;
  *lprcDst = *lprcSrc;
  return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT* lprc) { return !lprc || ce::IsEmpty(*lprc) ? TRUE : FALSE; }

BOOL WINAPI EqualRect(const RECT* a, const RECT* b) {
  if (!a || !b) return FALSE;
  return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom ? TRUE : FALSE;
}

BOOL WINAPI PtInRect(const RECT* lprc, POINT pt) { return lprc && ce::Contains(*lprc, pt) ? TRUE : FALSE; }

BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy) {
  if (!lprc) return FALSE;
  *lprc = ce::Offset(*lprc, dx, dy);
  return TRUE;
}

BOOL WINAPI InflateRect(LPRECT lprc, int dx, int dy) {
  if (!lprc) return FALSE;
  *lprc = RECT{lprc->left - dx, lprc->top - dy, lprc->right + dx, lprc->bottom + dy};
  return TRUE;
}

BOOL WINAPI IntersectRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst) return FALSE;
  if (!a || !b) {
    *dst = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *dst = ce::Intersect(*a, *b);
  return ce::IsEmpty(*dst) ? FALSE : TRUE;
}

BOOL WINAPI UnionRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst) return FALSE;
  if (!a || !b) {
    *dst = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *dst = ce::Union(*a, *b);
  if (ce::IsEmpty(*dst)) {
    *dst = RECT{0, 0, 0, 0};
    return FALSE;
  }
  return TRUE;
}

}  // extern "C"
