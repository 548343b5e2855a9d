// A push button, toggle or indicator of the radio's screen. Not a window:
// it owns a rectangle of the main window and draws itself by copying that
// same rectangle out of one of three full-screen skin surfaces chosen by
// its state (normal, pressed, on). The screen hands every pen event to
// every widget; each decides from its rectangle and state whether the
// event concerns it, and acts through its virtual operations.
#pragma once

#include "windows.h"

class Widget {
 public:
  enum State { Normal = 1, Pressed = 2, On = 3 };
  enum PenKind { PenDown = 1, PenUp = 2 };

  Widget() = default;
  virtual void OnRepeat() {}
  virtual void OnHold() {}
  virtual void OnPress() {}
  virtual void OnActivate() {}
  virtual ~Widget() = default;
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;

  // Places the widget; an on surface makes it a toggle (and off). Always 1.
  int Layout(HWND window, int x, int y, HDC normalSurface, int srcX, int srcY, int width, int height,
             HDC pressedSurface, HDC onSurface);
  void Paint();
  // 0 when the event is not for this widget, 1 otherwise.
  int HandlePen(int x, int y, int kind);
  void SetState(int state, int repaint);
  BOOL IsOn() const { return isOn; }
  // Toggles only: on (any non-zero flag) or off, and repaints.
  void SetOn(BOOL flag);
  void HoldAt(int x, int y);
  void RepeatAt(int x, int y);

  int State() const { return state; }
  bool IsToggle() const { return isToggle != 0; }
  const RECT& Rect() const { return rect; }

  // Changed by the screen's owners: whether the auto-repeat tick reaches
  // OnRepeat, and whether pen events are processed at all.
  BOOL repeatEnabled = TRUE;
  BOOL inputEnabled = TRUE;

 protected:
  HWND Window() const { return window; }
  // Back on without repainting (the pen handling repaints right after).
  void KeepOn() {
    state = On;
    isOn = TRUE;
  }

 private:
  bool Inside(int x, int y) const;
  int PenUpToggle(bool inside);
  int PenUpButton(int x, int y);

  int srcX = 0;
  int srcY = 0;
  BOOL laidOut = FALSE;
  int state = Normal;
  BOOL isOn = FALSE;
  HDC normalSurface = nullptr;
  HDC pressedSurface = nullptr;
  HDC onSurface = nullptr;
  RECT rect{0, 0, 0, 0};
  HWND window = nullptr;
  BOOL isToggle = FALSE;
};
