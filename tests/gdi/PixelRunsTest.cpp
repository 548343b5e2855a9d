// The rectangle loops of every instruction set this processor has, held
// against single pixels: rows of every length around the vector widths,
// at every alignment, from 24-bit and 32-bit pictures stored either way up.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/gdi/PixelRuns.h"

namespace {

using ce::gdi::Combination;
using ce::gdi::PixelFormat;
using ce::gdi::Rgb;
using ce::gdi::Vectors;

Rgb Combined(Combination c, Rgb d, Rgb s) {
  switch (c) {
    case Combination::Copy: return s & 0xFFFFFF;
    case Combination::And: return d & s & 0xFFFFFF;
    case Combination::Or: return (d | s) & 0xFFFFFF;
    case Combination::Xor: return (d ^ s) & 0xFFFFFF;
  }
  return 0;
}

TEST(PixelRunsTest, EveryLoopGivesWhatSinglePixelsGiveAndTouchesNothingElse) {
  const int kWide = 70, kHigh = 4;
  std::mt19937 random(15);
  auto randomBytes = [&](std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (auto& b : bytes) b = std::uint8_t(random());
    return bytes;
  };
  // The pictures sit in the middle of larger buffers, so that a loop that
  // reads or writes past a rectangle shows in the bytes around it.
  const std::size_t kDestStride = kWide * 4 + 12, kMargin = 64;
  const std::vector<std::uint8_t> destBefore = randomBytes(kDestStride * kHigh + 2 * kMargin);
  int checked = 0;
  for (Vectors vectors : {Vectors::None, Vectors::Sse, Vectors::Avx512}) {
    for (PixelFormat format : {PixelFormat::Bgr24, PixelFormat::Xrgb32}) {
      const std::size_t bytesPerPixel = format == PixelFormat::Bgr24 ? 3 : 4;
      // 24-bit rows that are not word aligned; 32-bit pictures are kept in words.
      const std::size_t sourceStride = kWide * bytesPerPixel + (bytesPerPixel == 3 ? 1 : 4);
      const std::vector<std::uint8_t> source = randomBytes(sourceStride * kHigh);
      auto sourcePixel = [&](std::size_t at) {
        Rgb s = source[at] | (source[at + 1] << 8) | (source[at + 2] << 16);
        return bytesPerPixel == 4 ? s | (Rgb(source[at + 3]) << 24) : s;
      };
      for (Combination c : {Combination::Copy, Combination::And, Combination::Or, Combination::Xor}) {
        ce::gdi::RectRun run = ce::gdi::RectRunOf(c, format, vectors);
        if (!run) continue;  // not on this processor
        for (int w = 1; w <= 40; ++w) {
          for (int x : {0, 1, 3, 7, 13}) {
            for (bool upsideDown : {false, true}) {
              std::vector<std::uint8_t> dest = destBefore;
              // A bottom-up source is read from its last row with a negative stride.
              const std::ptrdiff_t ss = upsideDown ? -std::ptrdiff_t(sourceStride) : std::ptrdiff_t(sourceStride);
              const std::size_t firstRow = upsideDown ? sourceStride * (kHigh - 1) : 0;
              const int h = kHigh - 1;
              run(dest.data() + kMargin + 4 * std::size_t(x), std::ptrdiff_t(kDestStride),
                  source.data() + firstRow + bytesPerPixel * std::size_t(29 - x % 2), ss, w, h);
              std::vector<std::uint8_t> expected = destBefore;
              for (int k = 0; k < h; ++k) {
                for (int i = 0; i < w; ++i) {
                  std::size_t at = kMargin + kDestStride * std::size_t(k) + 4 * std::size_t(x + i);
                  Rgb d;
                  std::memcpy(&d, &expected[at], 4);
                  std::size_t from = std::size_t(std::ptrdiff_t(firstRow) + ss * k) +
                                     bytesPerPixel * std::size_t(29 - x % 2 + i);
                  Rgb r = Combined(c, d, sourcePixel(from));
                  std::memcpy(&expected[at], &r, 4);
                }
              }
              ASSERT_EQ(dest, expected) << "instruction set " << int(vectors) << ", " << bytesPerPixel * 8
                                        << "-bit source, combination " << int(c) << ", " << w << " wide at x " << x
                                        << (upsideDown ? ", bottom up" : "");
              ++checked;
            }
          }
        }
      }
    }
  }
  // The plain loops exist everywhere, and the blits use the fastest set.
  EXPECT_GE(checked, 2 * 4 * 40 * 5 * 2);
  EXPECT_NE(ce::gdi::RectRunOf(Combination::Or, PixelFormat::Bgr24, ce::gdi::FastestVectors()), nullptr);
}

}  // namespace
