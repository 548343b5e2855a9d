// A program that runs once per device root, as the radio does: it looks
// for its window first and, when one is there, brings it to the front and
// ends. Otherwise it makes its window, says "running" on its standard
// output and keeps the window until its standard input is closed, so a
// test decides how long it lives. Between looking and making it pauses
// for real time, as a slow start on a busy device does.
#include <unistd.h>

#include <chrono>
#include <thread>

#include "windows.h"

namespace {

constexpr WCHAR kName[] = u"SingleInstance";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  if (HWND running = FindWindowW(kName, kName)) {
    SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(running) | 1));
    return 0;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = kName;
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, kName, kName, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  static const char kRunning[] = "running\n";
  if (::write(STDOUT_FILENO, kRunning, sizeof kRunning - 1) < 0) return 1;
  char byte;
  while (::read(STDIN_FILENO, &byte, 1) > 0) {
  }
  DestroyWindow(window);
  return 0;
}
