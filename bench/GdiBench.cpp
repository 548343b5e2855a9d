// Drawing speed: the skin copied to the screen, the slider thumb drawn
// through its mask, and a line of text.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "display/Panel.h"
#include "gdi/WindowArea.h"
#include "kernel/Kernel.h"
#include "windows.h"

namespace {

// A window at Ondrel's place (0, 26), 240 x 294, fully visible, for the
// length of one benchmark.
class Screen {
 public:
  Screen() {
    ce::SetSystemPanel(&panel_);
    previous_ = ce::SetWindowAreaProvider([](HWND) {
      ce::WindowArea area;
      area.alive = true;
      area.clientOrigin = {0, 26};
      area.client = {0, 0, 240, 294};
      area.visible = {RECT{0, 26, 240, 320}};
      return area;
    });
    dc_ = GetDC(window());
  }
  ~Screen() {
    ReleaseDC(window(), dc_);
    ce::SetWindowAreaProvider(std::move(previous_));
    ce::SetSystemPanel(nullptr);
  }
  static HWND window() { return reinterpret_cast<HWND>(std::uintptr_t(0x4242)); }
  HDC dc() const { return dc_; }

 private:
  hw::Panel panel_;
  ce::WindowAreaProvider previous_;
  HDC dc_ = nullptr;
};

// A memory DC holding a DIB section of the given depth, filled with a
// pattern.
struct Picture {
  Picture(int w, int h, int bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = WORD(bits);
    void* pixels = nullptr;
    bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &pixels, nullptr, 0);
    std::size_t bytes = std::size_t((w * bits + 31) / 32 * 4) * std::size_t(h);
    for (std::size_t i = 0; i < bytes; ++i) static_cast<std::uint8_t*>(pixels)[i] = std::uint8_t(i * 7);
    dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
  }
  ~Picture() {
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  HBITMAP bitmap;
  HDC dc;
};

// Nanoseconds one memcpy of the skin's 240 x 268 32-bit pixels takes.
double MemcpyNs() {
  std::vector<std::uint32_t> from(240 * 268, 0x123456), to(240 * 268);
  constexpr int kRounds = 500;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRounds; ++i) {
    std::memcpy(to.data(), from.data(), to.size() * 4);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / kRounds;
}

// The background copy of every WM_PAINT: 240 x 268 from a skin surface
// to the window. Reports the time against a memcpy of the same pixels.
void BM_BitBltSkinToWindow(benchmark::State& state) {
  Screen screen;
  Picture skin(240, 268, int(state.range(0)));
  double memcpyNs = MemcpyNs();
  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) BitBlt(screen.dc(), 0, 0, 240, 268, skin.dc, 0, 0, SRCCOPY);
  double blitNs =
      std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / double(state.iterations());
  state.counters["memcpy_ns"] = memcpyNs;
  state.counters["x_memcpy"] = blitNs / memcpyNs;
  state.SetBytesProcessed(std::int64_t(state.iterations()) * 240 * 268 * 4);
}
BENCHMARK(BM_BitBltSkinToWindow)->Arg(32)->Arg(24)->ArgName("bits");

// A slider thumb: the mask with SRCAND, then the thumb with SRCPAINT.
void BM_MaskedThumb21x29(benchmark::State& state) {
  Screen screen;
  Picture thumb(21, 29, 24), mask(21, 29, 24);
  int x = 26;
  for (auto _ : state) {
    BitBlt(screen.dc(), x, 116, 21, 29, mask.dc, 0, 0, SRCAND);
    BitBlt(screen.dc(), x, 116, 21, 29, thumb.dc, 0, 0, SRCPAINT);
    x = x == 161 ? 26 : x + 1;
  }
}
BENCHMARK(BM_MaskedThumb21x29);

void BM_DrawTextLine(benchmark::State& state) {
  Screen screen;
  SetBkMode(screen.dc(), TRANSPARENT);
  RECT r{0, 0, 240, 26};
  for (auto _ : state) DrawTextW(screen.dc(), u"Europe (87.5-108 MHz)", -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}
BENCHMARK(BM_DrawTextLine);

}  // namespace
