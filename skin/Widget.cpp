#include "Widget.h"

int Widget::Layout(HWND owner, int x, int y, HDC normal, int sourceX, int sourceY, int width, int height,
                   HDC pressed, HDC on) {
  window = owner;
  srcX = sourceX;
  srcY = sourceY;
  normalSurface = normal;
  pressedSurface = pressed;
  onSurface = on;
  rect = {x, y, x + width, y + height};
  laidOut = TRUE;
  if (on) {
    isOn = FALSE;
    isToggle = TRUE;
  }
  return 1;
}

void Widget::Paint() {
  HDC dc = GetDC(window);
  if (laidOut) {
    HDC surface = nullptr;
    switch (state) {
      case Normal: surface = normalSurface; break;
      case Pressed: surface = pressedSurface; break;
      case On: surface = onSurface; break;
      default: break;
    }
    if (surface)
      BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, surface, srcX, srcY, SRCCOPY);
  }
  ReleaseDC(window, dc);
}

bool Widget::Inside(int x, int y) const { return PtInRect(&rect, POINT{x, y}) != FALSE; }

// A toggle that went down under the pen: lifting inside flips it and
// acts; lifting outside puts it back as it was.
int Widget::PenUpToggle(bool inside) {
  const bool wasOn = isOn != FALSE;
  const bool flips = inside;
  isOn = (wasOn != flips) ? TRUE : FALSE;
  state = isOn ? On : Normal;
  if (flips) OnActivate();
  ReleaseCapture();
  Paint();
  return 1;
}

int Widget::PenUpButton(int x, int y) {
  state = Normal;
  ReleaseCapture();
  if (Inside(x, y)) OnActivate();
  Paint();
  return 1;
}

int Widget::HandlePen(int x, int y, int kind) {
  if (!inputEnabled) return 1;
  const bool inside = Inside(x, y);
  if (kind == PenDown && !inside) return 0;
  if (kind == PenUp && (state == Normal || state == On)) return 0;
  if (kind == PenUp && isToggle && state == Pressed) return PenUpToggle(inside);
  if (kind == PenUp) return PenUpButton(x, y);
  if (kind == PenDown) {
    state = Pressed;
    SetCapture(window);
    OnPress();
    Paint();
  }
  return 1;
}

void Widget::SetState(int newState, int repaint) {
  state = newState;
  if (repaint) Paint();
}

void Widget::SetOn(BOOL flag) {
  if (!isToggle) return;
  isOn = flag ? TRUE : FALSE;
  state = isOn ? On : Normal;
  Paint();
}

void Widget::HoldAt(int x, int y) {
  if (Inside(x, y)) OnHold();
}

void Widget::RepeatAt(int x, int y) {
  if (Inside(x, y) && repeatEnabled) OnRepeat();
}
