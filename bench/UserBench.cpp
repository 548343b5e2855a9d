// The window manager's speed: a posted message's way through the queue to
// its window procedure, and the window front end presenting a frame.
#include <benchmark/benchmark.h>

#include <memory>

#include "hardware/frontend/WindowFrontEnd.h"
#include "tests/support/Devices.h"
#include "platform/user/Desktop.h"
#include "windows.h"

namespace {

LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) {
    ++*reinterpret_cast<std::uint64_t*>(wParam);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// PostMessageW, then PeekMessageW and DispatchMessageW: one message round.
void BM_PostAndDispatch(benchmark::State& state) {
  TestDevices devices;
  WNDCLASSW wc{};
  wc.lpfnWndProc = CountingProc;
  wc.lpszClassName = u"BenchWindow";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, u"BenchWindow", u"", WS_VISIBLE, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr,
                              nullptr, nullptr, nullptr);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  std::uint64_t handled = 0;
  for (auto _ : state) {
    PostMessageW(hwnd, WM_USER, reinterpret_cast<WPARAM>(&handled), 0);
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    DispatchMessageW(&msg);
  }
  benchmark::DoNotOptimize(handled);
  state.SetItemsProcessed(state.iterations());
  ce::DestroyThreadWindows();
  UnregisterClassW(u"BenchWindow", nullptr);
}
BENCHMARK(BM_PostAndDispatch);

// SendMessageW straight to the window procedure, for comparison.
void BM_Send(benchmark::State& state) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = CountingProc;
  wc.lpszClassName = u"BenchWindow";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, u"BenchWindow", u"", 0, 0, 26, 240, 294, nullptr, nullptr, nullptr, nullptr);
  std::uint64_t handled = 0;
  for (auto _ : state) SendMessageW(hwnd, WM_USER, reinterpret_cast<WPARAM>(&handled), 0);
  benchmark::DoNotOptimize(handled);
  ce::DestroyThreadWindows();
  UnregisterClassW(u"BenchWindow", nullptr);
}
BENCHMARK(BM_Send);

// One frame: the panel changes, the front end copies it, uploads it and
// presents it (SDL's offscreen driver, scale 2). A pixel changes each
// time: a picture drawn again just as it was is not presented.
void BM_PresentFrame(benchmark::State& state) {
  hw::Panel panel;
  hw::InputDevice input;
  std::string whyNot;
  auto frontEnd = hw::WindowFrontEnd::Open(panel, input, 2, {}, whyNot, "offscreen");
  if (!frontEnd) {
    state.SkipWithError(whyNot.c_str());
    return;
  }
  std::uint64_t frames = frontEnd->WaitForFrames(0, 10000);
  for (auto _ : state) {
    panel.pixels()[0] ^= 1;
    panel.MarkChanged();  // wakes the front end
    frames = frontEnd->WaitForFrames(frames, 10000);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PresentFrame)->UseRealTime();

}  // namespace
