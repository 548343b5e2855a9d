// A small program for the screen: one window with a blue square that the
// pen drags and the cursor keys move, and a corner mark that a timer
// flips between red and green every 500 ms. The window's text tells what
// it has seen ("x=120 y=147 ticks=3 keys=1"), so a dump shows it too.
// Closing the window ends the program.
#include <cstdio>

#include "windows.h"

namespace {

constexpr UINT_PTR kBlinkTimer = 1;
constexpr int kSquare = 20;

struct Pad {
  int x = 110, y = 137;  // centre of the square, client coordinates
  int ticks = 0;
  int keys = 0;
  bool dragging = false;
} g_pad;

void ShowState(HWND hwnd) {
  char text[96];
  std::snprintf(text, sizeof text, "x=%d y=%d ticks=%d keys=%d", g_pad.x, g_pad.y, g_pad.ticks, g_pad.keys);
  WCHAR wide[96];
  int i = 0;
  for (; text[i]; ++i) wide[i] = static_cast<WCHAR>(text[i]);
  wide[i] = 0;
  SetWindowTextW(hwnd, wide);
}

void MoveTo(HWND hwnd, int x, int y) {
  g_pad.x = x;
  g_pad.y = y;
  InvalidateRect(hwnd, nullptr, TRUE);
  ShowState(hwnd);
}

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  RECT square{g_pad.x - kSquare / 2, g_pad.y - kSquare / 2, g_pad.x + kSquare / 2, g_pad.y + kSquare / 2};
  FillRect(dc, &square, blue);
  DeleteObject(blue);
  HBRUSH mark = CreateSolidBrush(g_pad.ticks % 2 ? RGB(0, 192, 0) : RGB(255, 0, 0));
  RECT corner{0, 0, 10, 10};
  FillRect(dc, &corner, mark);
  DeleteObject(mark);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK PadProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      SetTimer(hwnd, kBlinkTimer, 500, nullptr);
      return 0;
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_TIMER:
      if (wParam == kBlinkTimer) {
        ++g_pad.ticks;
        RECT corner{0, 0, 10, 10};
        InvalidateRect(hwnd, &corner, FALSE);
        ShowState(hwnd);
      }
      return 0;
    case WM_LBUTTONDOWN:
      g_pad.dragging = true;
      SetCapture(hwnd);
      MoveTo(hwnd, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_MOUSEMOVE:
      if (g_pad.dragging) MoveTo(hwnd, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_LBUTTONUP:
      g_pad.dragging = false;
      ReleaseCapture();
      return 0;
    case WM_KEYDOWN: {
      int dx = wParam == VK_LEFT ? -10 : wParam == VK_RIGHT ? 10 : 0;
      int dy = wParam == VK_UP ? -10 : wParam == VK_DOWN ? 10 : 0;
      if (dx == 0 && dy == 0) return 0;
      ++g_pad.keys;
      MoveTo(hwnd, g_pad.x + dx, g_pad.y + dy);
      return 0;
    }
    case WM_DESTROY:
      KillTimer(hwnd, kBlinkTimer);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = PadProc;
  wc.hInstance = instance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = u"TestPad";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, u"TestPad", u"Test pad", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, showCommand);
  UpdateWindow(hwnd);
  ShowState(hwnd);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  UnregisterClassW(u"TestPad", instance);
  return static_cast<int>(msg.wParam);
}
