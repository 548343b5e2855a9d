// The drawn artwork as the widgets use it: every figure and thumb is drawn
// by AND-ing its mask and OR-ing its picture, so the mask must be exactly
// the picture's figure; each widget copies its own rectangle out of a
// skin, so the skins may differ only inside the rectangles that copy from
// them; and the preset store plays the chime synchronously, so it must be
// short.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/ArtworkBitmap.h"

namespace {

using artwork::Bytes;
using artwork::Le;

Bytes ReadArtwork(const std::string& name) {
  return artwork::ReadFile(std::filesystem::path(ONDREL_ARTWORK_DIR) / name);
}

struct Rect {
  int x, y, w, h;
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

struct Bitmap : artwork::Bitmap {
  explicit Bitmap(const std::string& name) : artwork::Bitmap(std::filesystem::path(ONDREL_ARTWORK_DIR) / name) {}
};

// The mask must be pure black and white, black exactly where the picture
// is not black: a grey mask pixel or a black picture pixel under a black
// mask pixel would punch holes or leave fringes when the figure is drawn.
void ExpectMaskIsFigureOf(const Bitmap& picture, const Bitmap& mask) {
  ASSERT_TRUE(picture.Loaded() && mask.Loaded()) << picture.Name();
  ASSERT_EQ(picture.Width(), mask.Width()) << mask.Name();
  ASSERT_EQ(picture.Height(), mask.Height()) << mask.Name();
  int figure = 0;
  for (int y = 0; y < mask.Height(); ++y)
    for (int x = 0; x < mask.Width(); ++x) {
      std::uint32_t m = mask.At(x, y);
      ASSERT_TRUE(m == 0 || m == 0xFFFFFF) << mask.Name() << " is grey at " << x << "," << y;
      ASSERT_EQ(m == 0, picture.At(x, y) != 0) << picture.Name() << " and its mask disagree at " << x << "," << y;
      figure += m == 0;
    }
  EXPECT_GT(figure, 0) << picture.Name() << " shows nothing";
}

TEST(Artwork, EveryMaskIsExactlyItsPicturesFigure) {
  ExpectMaskIsFigureOf(Bitmap("digits_large.bmp"), Bitmap("digits_large_mask.bmp"));
  ExpectMaskIsFigureOf(Bitmap("point_large.bmp"), Bitmap("point_large_mask.bmp"));
  ExpectMaskIsFigureOf(Bitmap("digits_small.bmp"), Bitmap("digits_small_mask.bmp"));
  ExpectMaskIsFigureOf(Bitmap("point_small.bmp"), Bitmap("point_small_mask.bmp"));
  ExpectMaskIsFigureOf(Bitmap("freq_thumb.bmp"), Bitmap("freq_thumb_mask.bmp"));
  ExpectMaskIsFigureOf(Bitmap("freq_thumb_pressed.bmp"), Bitmap("freq_thumb_mask.bmp"));
  ExpectMaskIsFigureOf(Bitmap("volume_thumb.bmp"), Bitmap("volume_thumb_mask.bmp"));
  ExpectMaskIsFigureOf(Bitmap("volume_thumb_pressed.bmp"), Bitmap("volume_thumb_mask.bmp"));
}

// Each cell of a strip holds its own, different digit; the small strip's
// spare column stays empty.
TEST(Artwork, DigitStripsHoldTenDistinctDigitsInTheirCells) {
  for (auto [name, cell] : {std::pair{"digits_large.bmp", 16}, std::pair{"digits_small.bmp", 5}}) {
    Bitmap strip(name);
    ASSERT_TRUE(strip.Loaded());
    std::vector<std::vector<std::uint32_t>> digits(10);
    for (int d = 0; d < 10; ++d)
      for (int y = 0; y < strip.Height(); ++y)
        for (int x = 0; x < cell; ++x) digits[std::size_t(d)].push_back(strip.At(d * cell + x, y) != 0);
    for (int a = 0; a < 10; ++a)
      for (int b = a + 1; b < 10; ++b) EXPECT_NE(digits[std::size_t(a)], digits[std::size_t(b)]) << name << ": " << a << " and " << b;
    for (int x = 10 * cell; x < strip.Width(); ++x)
      for (int y = 0; y < strip.Height(); ++y) EXPECT_EQ(strip.At(x, y), 0u) << name << " spare column";
  }
}

// The screen rectangles of the widgets and the frequency slider's track.
// The mono key's pressed image (from BK_P) spans the stereo lamp's rows
// too, so BK_P may differ from BK_U only below them.
const Rect kStereoLamp{72, 47, 62, 12};
const Rect kMonoBelowLamp{72, 59, 62, 12};
const Rect kFrequencyTrack{26, 116, 156, 29};
const std::vector<Rect> kWidgetsShowingE = {
    {126, 170, 40, 28}, {40, 170, 40, 28}, {87, 223, 30, 33}, {72, 47, 62, 12}, {72, 47, 62, 24},
    {87, 165, 30, 33},  {7, 41, 23, 24},   {4, 67, 26, 24},   {7, 93, 23, 24},  {177, 41, 23, 24},
    {177, 67, 26, 24},  {177, 93, 23, 24}, {10, 15, 60, 22},  {70, 7, 67, 30},  {137, 15, 60, 22},
    {126, 223, 40, 28}, {40, 223, 40, 28}, {0, 0, 39, 23}};

bool InsideAny(const std::vector<Rect>& rects, int x, int y) {
  for (const Rect& r : rects)
    if (r.Contains(x, y)) return true;
  return false;
}

bool DiffersIn(const Bitmap& a, const Bitmap& b, const Rect& r) {
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x)
      if (a.At(x, y) != b.At(x, y)) return true;
  return false;
}

TEST(Artwork, SkinsDifferOnlyInsideTheRectanglesThatCopyFromThem) {
  Bitmap u("BK_U.bmp"), p("BK_P.bmp"), e("BK_E.bmp");
  for (const Bitmap* skin : {&u, &p, &e}) {
    ASSERT_TRUE(skin->Loaded()) << skin->Name();
    ASSERT_EQ(skin->Width(), 240) << skin->Name();
    ASSERT_EQ(skin->Height(), 268) << skin->Name();
  }
  for (int y = 0; y < 268; ++y)
    for (int x = 0; x < 240; ++x) {
      if (p.At(x, y) != u.At(x, y)) {
        ASSERT_FALSE(kStereoLamp.Contains(x, y)) << "pressing MONO would light STEREO: BK_P differs at " << x << "," << y;
        ASSERT_TRUE(kMonoBelowLamp.Contains(x, y) || kFrequencyTrack.Contains(x, y)) << "BK_P differs at " << x << "," << y;
      }
      if (e.At(x, y) != u.At(x, y)) {
        ASSERT_FALSE(kFrequencyTrack.Contains(x, y)) << "BK_E's frequency track differs at " << x << "," << y;
        ASSERT_TRUE(InsideAny(kWidgetsShowingE, x, y)) << "BK_E differs at " << x << "," << y;
      }
    }
  // And each of those looks is really drawn.
  EXPECT_TRUE(DiffersIn(u, p, kMonoBelowLamp)) << "no pressed mono key";
  EXPECT_TRUE(DiffersIn(u, p, kFrequencyTrack)) << "no second band scale";
  for (const Rect& r : kWidgetsShowingE) EXPECT_TRUE(DiffersIn(u, e, r)) << "no pressed look at " << r.x << "," << r.y;
}

// The scale's figures on a skin's frequency track: its bright print, in
// the rows where that print runs sideways (a tick is one pixel wide).
std::vector<std::pair<int, int>> ScaleFigurePixels(const Bitmap& skin) {
  auto bright = [&](int x, int y) {
    std::uint32_t c = skin.At(x, y);
    return (c >> 16) >= 200 && ((c >> 8) & 0xFF) >= 200 && (c & 0xFF) >= 200;
  };
  const Rect& t = kFrequencyTrack;
  std::vector<std::pair<int, int>> figures;
  for (int y = t.y; y < t.y + t.h; ++y) {
    bool lettered = false;
    for (int x = t.x; x + 1 < t.x + t.w; ++x) lettered |= bright(x, y) && bright(x + 1, y);
    for (int x = t.x; lettered && x < t.x + t.w; ++x)
      if (bright(x, y)) figures.emplace_back(x, y);
  }
  return figures;
}

// The tuning thumb stands anywhere on its track, over either band's scale
// (BK_U's or BK_P's); at none of its places may it cover a figure.
TEST(Artwork, TheTuningThumbLeavesEveryScaleFigureReadable) {
  Bitmap mask("freq_thumb_mask.bmp");
  ASSERT_TRUE(mask.Loaded());
  const Rect& t = kFrequencyTrack;
  for (const Bitmap& skin : {Bitmap("BK_U.bmp"), Bitmap("BK_P.bmp")}) {
    ASSERT_TRUE(skin.Loaded());
    const auto figures = ScaleFigurePixels(skin);
    ASSERT_GE(figures.size(), 60u) << skin.Name() << ": no figures on the scale";
    for (int left = t.x; left <= t.x + t.w - mask.Width(); ++left)
      for (auto [x, y] : figures) {
        Rect thumb{left, t.y, mask.Width(), mask.Height()};
        if (!thumb.Contains(x, y)) continue;
        ASSERT_NE(mask.At(x - left, y - t.y), 0u)
            << "the thumb at x " << left << " hides " << skin.Name() << "'s figure pixel at " << x << "," << y;
      }
  }
}

TEST(Artwork, ChimeIsAShortMonoPcmSound) {
  Bytes wav = ReadArtwork("Default.wav");
  ASSERT_GE(wav.size(), 44u);
  EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
  EXPECT_EQ(Le(wav, 4, 4), wav.size() - 8);
  EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(Le(wav, 20, 2), 1u) << "not PCM";
  EXPECT_EQ(Le(wav, 22, 2), 1u) << "not mono";
  const std::uint32_t rate = Le(wav, 24, 4);
  EXPECT_TRUE(rate == 22050 || rate == 44100) << rate;
  EXPECT_EQ(Le(wav, 34, 2), 16u);
  EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
  const std::uint32_t bytes = Le(wav, 40, 4);
  ASSERT_EQ(bytes, wav.size() - 44);
  const double seconds = bytes / 2.0 / rate;
  EXPECT_GE(seconds, 0.15);
  EXPECT_LE(seconds, 0.45) << "the preset store waits for the whole sound";
  int loudest = 0;
  for (std::size_t at = 44; at + 1 < wav.size(); at += 2) loudest = std::max(loudest, std::abs(int(std::int16_t(Le(wav, at, 2)))));
  EXPECT_GT(loudest, 4000) << "too quiet";
  EXPECT_LT(std::abs(int(std::int16_t(Le(wav, wav.size() - 2, 2)))), 200) << "ends with a click";
}

}  // namespace
