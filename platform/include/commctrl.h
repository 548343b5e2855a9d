// The common controls the platform provides: the trackbar.
#pragma once

#include "windef.h"

#define TRACKBAR_CLASSW u"msctls_trackbar32"

#define TBM_GETPOS (WM_USER)
#define TBM_GETRANGEMIN (WM_USER + 1)
#define TBM_GETRANGEMAX (WM_USER + 2)
#define TBM_SETPOS (WM_USER + 5)
#define TBM_SETRANGE (WM_USER + 6)
#define TBM_SETRANGEMIN (WM_USER + 7)
#define TBM_SETRANGEMAX (WM_USER + 8)

// WM_HSCROLL codes a trackbar sends its parent (low word of wParam; the
// high word carries the position for the thumb codes).
#define TB_THUMBPOSITION 4
#define TB_THUMBTRACK 5
#define TB_ENDTRACK 8
