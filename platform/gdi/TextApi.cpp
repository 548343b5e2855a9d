// Text colours and modes, and text drawn through the font engine.
#include <algorithm>

#include "platform/gdi/FontEngine.h"
#include "platform/gdi/GdiCalls.h"
#include "platform/kernel/LastError.h"
#include "platform/kernel/RunLog.h"

using ce::gdi::DcRef;
using ce::gdi::FontEngine;
using ce::gdi::SizedFont;

namespace ce::gdi {
namespace {

// The font selected into a context; nullptr (and the reason logged once)
// when no font file can be read.
SizedFont* FontOf(const DeviceContext& dc) {
  const Font* f = dc.font.object ? std::get_if<Font>(&dc.font.object->value) : nullptr;
  LOGFONTW log{};
  if (f) log = f->log;
  std::string error;
  SizedFont* font = FontEngine::Instance().Get(log, error);
  if (!font) {
    static bool logged = false;
    if (!logged) LogLine("text: " + error);
    logged = true;
    SetThreadError(ERROR_FILE_NOT_FOUND);
  }
  return font;
}

std::u16string_view TextOf(LPCWSTR text, int count) {
  if (!text) return {};
  if (count < 0) return std::u16string_view(text);
  return std::u16string_view(text, std::size_t(count));
}

int Sum(const std::vector<int>& advances, std::size_t from = 0, std::size_t to = SIZE_MAX) {
  int total = 0;
  for (std::size_t i = from; i < std::min(to, advances.size()); ++i) total += advances[i];
  return total;
}

// One line of DrawTextW's layout: the characters [begin, end) of the
// prepared text.
struct Line {
  std::size_t begin, end;
  int width;
};

// Prepares DrawTextW's text: drops the prefix marks (&x shows x, && shows
// &) unless DT_NOPREFIX, and gives tabs their width when DT_EXPANDTABS.
struct Prepared {
  std::u16string text;
  std::vector<int> advances;
};
Prepared Prepare(SizedFont& font, std::u16string_view in, UINT format) {
  Prepared p;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (!(format & DT_NOPREFIX) && in[i] == u'&' && i + 1 < in.size()) ++i;
    p.text.push_back(in[i]);
  }
  p.advances = FontEngine::Instance().Advances(font, p.text);
  if (format & DT_EXPANDTABS) {
    int tab = 8 * FontEngine::Instance().Advances(font, u" ")[0];
    int x = 0;
    for (std::size_t i = 0; i < p.text.size(); ++i) {
      if (p.text[i] == u'\n' || p.text[i] == u'\r') x = 0;
      if (p.text[i] == u'\t' && tab > 0) p.advances[i] = tab - x % tab;
      x += p.advances[i];
    }
  }
  return p;
}

std::vector<Line> LayOut(const Prepared& p, UINT format, int width) {
  std::vector<Line> lines;
  const std::u16string& t = p.text;
  auto push = [&](std::size_t b, std::size_t e) { lines.push_back({b, e, Sum(p.advances, b, e)}); };
  if (format & DT_SINGLELINE) {
    push(0, t.size());
    return lines;
  }
  std::size_t start = 0;
  while (start <= t.size()) {
    std::size_t end = t.find_first_of(u"\r\n", start);
    if (end == std::u16string::npos) end = t.size();
    if (format & DT_WORDBREAK) {
      // Break at the last space that keeps the line inside the width; a
      // word longer than the width stands alone.
      std::size_t b = start;
      while (b < end) {
        std::size_t e = b, lastBreak = std::u16string::npos;
        int w = 0;
        while (e < end && (w + p.advances[e] <= width || e == b)) {
          w += p.advances[e];
          ++e;
          if (e < end && t[e] == u' ') lastBreak = e;
        }
        if (e < end && lastBreak != std::u16string::npos && t[e] != u' ') e = lastBreak;
        push(b, e);
        b = e;
        while (b < end && t[b] == u' ') ++b;
      }
      if (start == end) push(start, end);
    } else {
      push(start, end);
    }
    if (end >= t.size()) break;
    start = end + ((t[end] == u'\r' && end + 1 < t.size() && t[end + 1] == u'\n') ? 2 : 1);
    if (start == t.size()) break;
  }
  return lines;
}

}  // namespace
}  // namespace ce::gdi

extern "C" {

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  DcRef dc = ce::gdi::DcOrFail(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF old = dc->textColour;
  dc->textColour = color & 0xFFFFFF;
  return old;
}

COLORREF WINAPI GetTextColor(HDC hdc) {
  DcRef dc = ce::gdi::DcOrFail(hdc);
  return dc ? dc->textColour : CLR_INVALID;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
  DcRef dc = ce::gdi::DcOrFail(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF old = dc->bkColour;
  dc->bkColour = color & 0xFFFFFF;
  return old;
}

COLORREF WINAPI GetBkColor(HDC hdc) {
  DcRef dc = ce::gdi::DcOrFail(hdc);
  return dc ? dc->bkColour : CLR_INVALID;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
  DcRef dc = ce::gdi::DcOrFail(hdc);
  if (!dc) return 0;
  if (mode != TRANSPARENT && mode != OPAQUE) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int old = dc->bkMode;
  dc->bkMode = mode;
  return old;
}

int WINAPI GetBkMode(HDC hdc) {
  DcRef dc = ce::gdi::DcOrFail(hdc);
  return dc ? dc->bkMode : 0;
}

BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl) {
  DcRef dc = ce::gdi::DcOrFail(hdc);
  if (!dc) return FALSE;
  if (!psizl || (!lpString && c != 0) || c < 0) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SizedFont* font = ce::gdi::FontOf(*dc);
  if (!font) return FALSE;
  auto advances = FontEngine::Instance().Advances(*font, ce::gdi::TextOf(lpString, c));
  psizl->cx = ce::gdi::Sum(advances);
  psizl->cy = FontEngine::Instance().Metrics(*font).height;
  return TRUE;
}

BOOL WINAPI GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm) {
  DcRef dc = ce::gdi::DcOrFail(hdc);
  if (!dc) return FALSE;
  if (!lptm) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SizedFont* font = ce::gdi::FontOf(*dc);
  if (!font) return FALSE;
  ce::gdi::FontMetrics m = FontEngine::Instance().Metrics(*font);
  *lptm = TEXTMETRICW{};
  lptm->tmHeight = m.height;
  lptm->tmAscent = m.ascent;
  lptm->tmDescent = m.descent;
  lptm->tmAveCharWidth = m.averageWidth;
  lptm->tmMaxCharWidth = m.maxWidth;
  lptm->tmWeight = m.weight;
  lptm->tmDigitizedAspectX = lptm->tmDigitizedAspectY = 96;
  lptm->tmFirstChar = 0x20;
  lptm->tmLastChar = 0xFFFC;
  lptm->tmDefaultChar = u'?';
  lptm->tmBreakChar = u' ';
  lptm->tmCharSet = DEFAULT_CHARSET;
  return TRUE;
}

BOOL WINAPI ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                        const INT* lpDx) {
  DcRef dc = ce::gdi::DcOrFail(hdc);
  if (!dc) return FALSE;
  if (!lpString && c != 0) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SizedFont* font = ce::gdi::FontOf(*dc);
  if (!font) return FALSE;
  ce::gdi::DeviceContext::Place place;
  if (!dc->Resolve(place)) {
    ce::SetThreadError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::u16string_view text = ce::gdi::TextOf(lpString, int(c));
  auto advances = FontEngine::Instance().Advances(*font, text);
  if (lpDx)
    for (std::size_t i = 0; i < text.size(); ++i) advances[i] = lpDx[i];
  const auto& origin = place.target.origin;
  std::optional<RECT> clip;
  if (lprect && (options & ETO_CLIPPED))
    clip = ce::Offset(*lprect, origin.x, origin.y);
  ce::gdi::Rgb bk = ce::gdi::RgbOfColorRef(dc->bkColour);
  ce::gdi::PanelGuard guard(place.panel);
  if (lprect && (options & ETO_OPAQUE)) ce::gdi::Painter::Fill(place.target, *lprect, bk);
  if (dc->bkMode == OPAQUE) {
    RECT cell{x, y, x + ce::gdi::Sum(advances), y + FontEngine::Instance().Metrics(*font).height};
    if (clip) cell = ce::Intersect(cell, *lprect);
    ce::gdi::Painter::Fill(place.target, cell, bk);
  }
  FontEngine::Instance().Draw(*font, place.target, x, y, text, advances, ce::gdi::RgbOfColorRef(dc->textColour),
                              clip);
  return TRUE;
}

int WINAPI DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format) {
  DcRef dc = ce::gdi::DcOrFail(hdc);
  if (!dc) return 0;
  if (!lprc || (!lpchText && cchText != 0)) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  SizedFont* font = ce::gdi::FontOf(*dc);
  if (!font) return 0;
  int lineHeight = FontEngine::Instance().Metrics(*font).height;
  auto prepared = ce::gdi::Prepare(*font, ce::gdi::TextOf(lpchText, cchText), format);
  auto lines = ce::gdi::LayOut(prepared, format, lprc->right - lprc->left);
  int height = lineHeight * int(lines.size());
  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const auto& line : lines) widest = std::max(widest, line.width);
    if (!(format & DT_WORDBREAK) || widest > lprc->right - lprc->left) lprc->right = lprc->left + widest;
    lprc->bottom = lprc->top + height;
    return height;
  }
  ce::gdi::DeviceContext::Place place;
  if (!dc->Resolve(place)) {
    ce::SetThreadError(ERROR_INVALID_HANDLE);
    return 0;
  }
  int top = lprc->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) top = lprc->top + (lprc->bottom - lprc->top - lineHeight) / 2;
    else if (format & DT_BOTTOM) top = lprc->bottom - lineHeight;
  }
  const auto& origin = place.target.origin;
  std::optional<RECT> clip;
  if (!(format & DT_NOCLIP))
    clip = ce::Offset(*lprc, origin.x, origin.y);
  ce::gdi::Rgb text = ce::gdi::RgbOfColorRef(dc->textColour), bk = ce::gdi::RgbOfColorRef(dc->bkColour);
  ce::gdi::PanelGuard guard(place.panel);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto& line = lines[i];
    int x = lprc->left;
    if (format & DT_CENTER) x = lprc->left + (lprc->right - lprc->left - line.width) / 2;
    else if (format & DT_RIGHT) x = lprc->right - line.width;
    int y = top + lineHeight * int(i);
    std::u16string_view part(prepared.text.data() + line.begin, line.end - line.begin);
    std::vector<int> advances(prepared.advances.begin() + std::ptrdiff_t(line.begin),
                              prepared.advances.begin() + std::ptrdiff_t(line.end));
    if (dc->bkMode == OPAQUE) {
      RECT cell{x, y, x + line.width, y + lineHeight};
      if (clip) cell = ce::Intersect(cell, *lprc);
      ce::gdi::Painter::Fill(place.target, cell, bk);
    }
    FontEngine::Instance().Draw(*font, place.target, x, y, part, advances, text, clip);
  }
  return height;
}

}  // extern "C"
