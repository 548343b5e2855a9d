// Drawing speed: the skin copied to the screen, the slider thumb and the
// frequency digits drawn through their masks, and a line of text.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <cstring>
#include <vector>

#include "hardware/display/Panel.h"
#include "platform/gdi/GdiCalls.h"
#include "platform/gdi/PixelRuns.h"
#include "platform/gdi/WindowArea.h"
#include "tests/support/Devices.h"
#include "windows.h"

namespace {

// A window at Ondrel's place (0, 26), 240 x 294, fully visible, for the
// length of one benchmark, on a panel a front end listens to.
class Screen {
 public:
  Screen() {
    previous_ = ce::SetWindowAreaProvider([](HWND) {
      ce::WindowArea area;
      area.alive = true;
      area.clientOrigin = {0, 26};
      area.client = {0, 0, 240, 294};
      area.visible = {RECT{0, 26, 240, 320}};
      return area;
    });
    devices_.panel.SetChangeListener([this] { ++wakes_; });
    dc_ = GetDC(window());
  }
  ~Screen() {
    devices_.panel.SetChangeListener({});
    ReleaseDC(window(), dc_);
    ce::SetWindowAreaProvider(std::move(previous_));
  }
  static HWND window() { return reinterpret_cast<HWND>(std::uintptr_t(0x4242)); }
  HDC dc() const { return dc_; }

 private:
  TestDevices devices_;  // the screen's panel
  ce::WindowAreaProvider previous_;
  HDC dc_ = nullptr;
  std::atomic<int> wakes_ = 0;  // what a front end's wake costs the drawing thread
};

// A memory DC holding a DIB section of the given depth, filled with a
// pattern; or, `loaded`, that picture as LoadBitmapW keeps a resource.
struct Picture {
  Picture(int w, int h, int bits, bool loaded = false) {
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
    if (loaded) bitmap = ce::gdi::DisplayBitmapOf(bitmap);
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

// This thread's processor time in nanoseconds: the machine is shared, so
// time the thread spent waiting for a core counts for neither side.
double ThreadNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
}

// Nanoseconds one call of f takes, over a batch of calls lasting about
// `span` nanoseconds (at least one call).
template <class F>
double NsPerCall(F& f, int& batch, double span) {
  if (batch == 0) {
    double start = ThreadNs();
    f();
    batch = std::max(1, int(span / std::max(1.0, ThreadNs() - start)));
  }
  double start = ThreadNs();
  for (int i = 0; i < batch; ++i) f();
  return (ThreadNs() - start) / batch;
}

// The median, over short rounds in which draw and baseline take turns (so
// that both meet the same load on the machine), of draw's time over the
// baseline's; the baseline's median time goes to baselineNs.
template <class Draw, class Baseline>
double MedianRatio(Draw& draw, Baseline& baseline, double& baselineNs) {
  constexpr int kRounds = 21;
  constexpr double kRoundNs = 200e3;
  int drawBatch = 0, baselineBatch = 0;
  std::vector<double> ratios, baselines;
  for (int round = 0; round < kRounds; ++round) {
    double drawNs = NsPerCall(draw, drawBatch, kRoundNs);
    double oneNs = NsPerCall(baseline, baselineBatch, kRoundNs);
    ratios.push_back(drawNs / oneNs);
    baselines.push_back(oneNs);
  }
  std::nth_element(ratios.begin(), ratios.begin() + kRounds / 2, ratios.end());
  std::nth_element(baselines.begin(), baselines.begin() + kRounds / 2, baselines.end());
  baselineNs = baselines[kRounds / 2];
  return ratios[kRounds / 2];
}

// Runs draw as the benchmark's iterations, then holds it against one
// memcpy of the bytes of `pictures` w x h pictures at the screen's 4 bytes
// a pixel, from one buffer to another: x_memcpy.
template <class Draw>
void TimeAgainstMemcpy(benchmark::State& state, int w, int h, int pictures, Draw draw) {
  const std::size_t bytes = std::size_t(w) * std::size_t(h) * 4 * std::size_t(pictures);
  for (auto _ : state) draw();
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));

  std::vector<std::uint8_t> from(bytes, 0x5A), to(bytes, 0);
  auto copy = [&] {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  };
  double copyNs = 0;
  state.counters["x_memcpy"] = MedianRatio(draw, copy, copyNs);
  state.counters["memcpy_ns"] = copyNs;
}

// The background copy of every WM_PAINT: 240 x 268 from a skin surface
// to the window.
void BM_BitBltSkinToWindow(benchmark::State& state) {
  Screen screen;
  Picture skin(240, 268, int(state.range(0)));
  TimeAgainstMemcpy(state, 240, 268, 1, [&] { BitBlt(screen.dc(), 0, 0, 240, 268, skin.dc, 0, 0, SRCCOPY); });
}
BENCHMARK(BM_BitBltSkinToWindow)->Arg(32)->Arg(24)->ArgName("bits");

// A picture drawn through its mask: the mask with SRCAND, then the picture
// with SRCPAINT, from the 24-bit resources as LoadBitmapW keeps them (in
// the display's format), moving along the screen. The slider thumb is
// 21 x 29, a digit of the frequency readout 16 x 17 and one of the preset
// labels' small digits 5 x 6. Two baselines: x_memcpy, one memcpy of both
// pictures' bytes as one block; and x_rows, both pictures memcpy'd to
// their place on a screen-sized buffer, a call a row, at the same places
// (the width unknown when compiled, as a blit's is). A front end listens
// to the panel, as in a window.
void BM_MaskedPicture(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  Screen screen;
  Picture picture(w, h, 24, true), mask(w, h, 24, true);
  int x = 26;
  auto draw = [&] {
    BitBlt(screen.dc(), x, 116, w, h, mask.dc, 0, 0, SRCAND);
    BitBlt(screen.dc(), x, 116, w, h, picture.dc, 0, 0, SRCPAINT);
    x = x == 161 ? 26 : x + 1;
  };
  TimeAgainstMemcpy(state, w, h, 2, draw);

  std::vector<std::uint32_t> target(std::size_t(hw::Panel::kWidth) * hw::Panel::kHeight);
  std::vector<std::uint32_t> pictures(std::size_t(w) * std::size_t(h) * 2, 0x5A5A5A);
  int at = 26;
  auto rows = [&] {
    for (int p = 0; p < 2; ++p)
      for (int k = 0; k < h; ++k)
        std::memcpy(&target[std::size_t((142 + k) * hw::Panel::kWidth + at)],
                    &pictures[std::size_t((p * h + k) * w)], std::size_t(w) * 4);
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
    at = at == 161 ? 26 : at + 1;
  };
  double rowsNs = 0;
  state.counters["x_rows"] = MedianRatio(draw, rows, rowsNs);
  state.counters["rows_ns"] = rowsNs;
}
BENCHMARK(BM_MaskedPicture)->Args({21, 29})->Args({16, 17})->Args({5, 6})->ArgNames({"w", "h"});

// The same two passes as the pixel loops alone run them, straight on the
// panel's rows: what a masked draw costs without the calls around it.
void BM_MaskedPictureLoops(benchmark::State& state) {
  using namespace ce::gdi;
  const int w = int(state.range(0)), h = int(state.range(1));
  hw::Panel panel;
  const std::ptrdiff_t rowBytes = std::ptrdiff_t(w) * 4;
  std::vector<std::uint8_t> picture(std::size_t(rowBytes * h), 0x0F), mask(std::size_t(rowBytes * h), 0xF0);
  const RectRun and_ = RectRunOf(Combination::And, PixelFormat::Xrgb32, FastestVectors());
  const RectRun or_ = RectRunOf(Combination::Or, PixelFormat::Xrgb32, FastestVectors());
  int x = 26;
  TimeAgainstMemcpy(state, w, h, 2, [&] {
    auto* at = reinterpret_cast<std::uint8_t*>(panel.pixels() + 142 * hw::Panel::kWidth + x);
    and_(at, hw::Panel::kWidth * 4, mask.data(), rowBytes, w, h);
    or_(at, hw::Panel::kWidth * 4, picture.data(), rowBytes, w, h);
    benchmark::ClobberMemory();
    x = x == 161 ? 26 : x + 1;
  });
}
BENCHMARK(BM_MaskedPictureLoops)->Args({21, 29})->Args({16, 17})->Args({5, 6})->ArgNames({"w", "h"});

void BM_DrawTextLine(benchmark::State& state) {
  Screen screen;
  SetBkMode(screen.dc(), TRANSPARENT);
  RECT r{0, 0, 240, 26};
  for (auto _ : state) DrawTextW(screen.dc(), u"Europe (87.5-108 MHz)", -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}
BENCHMARK(BM_DrawTextLine);

}  // namespace
