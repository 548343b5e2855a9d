#include "platform/user/ControlDrawing.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/FontEngine.h"
#include "platform/gdi/Rects.h"

namespace ce {

COLORREF InkOf(HWND window) { return IsWindowEnabled(window) ? kControlInk : kControlGreyInk; }

void FillColour(HDC dc, const RECT& rect, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

PaintScope::PaintScope(HWND window, COLORREF background) : window_(window), dc_(BeginPaint(window, &ps_)) {
  if (!dc_) return;
  GetClientRect(window_, &client_);
  FillColour(dc_, client_, background);
}

PaintScope::~PaintScope() {
  if (dc_) EndPaint(window_, &ps_);
}

void FrameColour(HDC dc, const RECT& rect, COLORREF colour) {
  if (IsEmpty(rect)) return;
  FillColour(dc, RECT{rect.left, rect.top, rect.right, rect.top + 1}, colour);
  FillColour(dc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, colour);
  FillColour(dc, RECT{rect.left, rect.top, rect.left + 1, rect.bottom}, colour);
  FillColour(dc, RECT{rect.right - 1, rect.top, rect.right, rect.bottom}, colour);
}

// Row by row: the span of the circle on each row, its ends for the
// outline (and the rows' end caps where the circle is flat).
void DrawCircle(HDC dc, const RECT& box, COLORREF colour, bool filled) {
  const int size = std::min(box.right - box.left, box.bottom - box.top);
  if (size <= 0) return;
  const double radius = size / 2.0;
  auto halfWidth = [&](int row) {
    const double dy = row + 0.5 - radius;
    return static_cast<int>(std::lround(std::sqrt(std::max(0.0, radius * radius - dy * dy))));
  };
  for (int row = 0; row < size; ++row) {
    const int half = halfWidth(row);
    const int left = box.left + static_cast<int>(std::lround(radius)) - half;
    const int right = box.left + static_cast<int>(std::lround(radius)) + half;
    const int y = box.top + row;
    if (filled) {
      FillColour(dc, RECT{left, y, right, y + 1}, colour);
      continue;
    }
    // Where the neighbouring rows reach less far, the outline runs along
    // this row to meet them.
    const int inner = std::min(row > 0 ? halfWidth(row - 1) : 0, row + 1 < size ? halfWidth(row + 1) : 0);
    const int run = std::max(1, half - inner);
    FillColour(dc, RECT{left, y, left + run, y + 1}, colour);
    FillColour(dc, RECT{right - run, y, right, y + 1}, colour);
  }
}

std::u16string WindowText(HWND window) {
  const int length = std::max(GetWindowTextLengthW(window), 0);
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  text.resize(static_cast<std::size_t>(std::max(GetWindowTextW(window, text.data(), length + 1), 0)));
  return text;
}

void DrawControlText(HDC dc, std::u16string_view text, RECT rect, UINT format, COLORREF colour) {
  SetTextColor(dc, colour);
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.data(), static_cast<int>(text.size()), &rect, format);
}

int SystemLineHeight() {
  std::string error;
  gdi::FontEngine& engine = gdi::FontEngine::Instance();
  gdi::SizedFont* font = engine.Get(LOGFONTW{}, error);
  return font ? engine.Metrics(*font).height : 13;
}

}  // namespace ce
