// The large frequency readout on the screen: which digits each value
// shows, which cells a change redraws, and what hiding does.
#include <memory>
#include <string>

#include "DigitDisplay.h"
#include "OndrelIds.h"
#include "SkinFixture.h"
#include "SkinPictures.h"

namespace {

using skintest::DigitPictures;
using skintest::PatternSurface;
using skintest::SkinTest;

constexpr int kX = 64, kY = 73;
constexpr std::uint32_t kMarker = 0xFF00FF;

class DigitDisplayTest : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    background = std::make_unique<PatternSurface>();
    pictures = std::make_unique<DigitPictures>(IDB_DIGITS_LARGE, IDB_POINT_LARGE, IDB_DIGITS_LARGE_MASK,
                                               IDB_POINT_LARGE_MASK, 16);
    display = std::make_unique<DigitDisplay>();
  }
  void TearDown() override {
    display.reset();
    pictures.reset();
    background.reset();
    SkinTest::TearDown();
  }

  // Set up as the screen sets up its readout.
  void CreateReadout(DWORD minimum, DWORD maximum) {
    ASSERT_EQ(display->Create(window, IDB_DIGITS_LARGE, 16, IDB_POINT_LARGE, IDB_DIGITS_LARGE_MASK,
                              IDB_POINT_LARGE_MASK),
              1);
    ASSERT_EQ(display->SetBackground(background->Dc()), 1);
    display->SetSuppressLeadingZeros(1);
    display->SetRange(minimum, maximum);
  }

  skintest::PixelReader Screen() {
    return [this](int x, int y) { return Client(x, y); };
  }
  // The readout's five cells show text over the pattern background.
  ::testing::AssertionResult Shows(const std::string& text) {
    return skintest::RegionShows(Screen(), kX, kY, pictures->TextWidth(), pictures->Height(),
                                 [&](int dx, int dy) {
                                   return pictures->Expected(text, dx, dy, PatternSurface::Colour(kX + dx, kY + dy));
                                 });
  }
  ::testing::AssertionResult ShowsBackgroundOnly() {
    return skintest::RegionShows(Screen(), kX, kY, pictures->TextWidth(), pictures->Height(),
                                 [](int dx, int dy) { return PatternSurface::Colour(kX + dx, kY + dy); });
  }
  // Cells left to right: 0 thousands, 1 hundreds, 2 tens, 3 the point,
  // 4 units; all 16 pixels wide.
  bool CellUntouched(int cell, int x0 = kX, int y0 = kY) {
    return skintest::Untouched(Screen(), x0 + cell * 16, y0, 16, 17, kMarker);
  }
  void Mark() { skintest::PaintMarker(window, kX, kY, pictures->TextWidth(), pictures->Height(), kMarker); }

  std::unique_ptr<PatternSurface> background;
  std::unique_ptr<DigitPictures> pictures;
  std::unique_ptr<DigitDisplay> display;
};

TEST_F(DigitDisplayTest, ShowsThreeDigitsPointDigitWithLeadingZerosBlank) {
  CreateReadout(0, 2000);
  display->SetValue(875, 0);
  EXPECT_EQ(display->Draw(0, kX, kY), 1);
  EXPECT_TRUE(Shows(" 87.5"));

  display->SetValue(1080, 0);
  display->Draw(0, -1, -1);  // at the last place
  EXPECT_TRUE(Shows("108.0"));

  display->SetValue(760, 0);
  display->Draw(0, kX, -1);  // one coordinate negative: still the last place
  EXPECT_TRUE(Shows(" 76.0"));

  display->SetValue(5, 0);
  display->Draw(0, kX, kY);
  EXPECT_TRUE(Shows("  0.5"));  // tens are never blank

  display->SetSuppressLeadingZeros(0);
  display->SetValue(875, 0);
  display->Draw(0, kX, kY);
  EXPECT_TRUE(Shows("087.5"));
}

TEST_F(DigitDisplayTest, ValuesAreClampedIntoTheRangeAsUnsignedNumbers) {
  CreateReadout(875, 1080);
  display->SetValue(980, 0);
  display->Draw(0, kX, kY);

  display->SetValue(1200, 1);
  EXPECT_EQ(display->Value(), 1080);
  EXPECT_TRUE(Shows("108.0"));

  display->SetValue(0, 1);
  EXPECT_EQ(display->Value(), 875);
  EXPECT_TRUE(Shows(" 87.5"));

  display->SetValue(-1, 1);  // as unsigned, far above the maximum
  EXPECT_EQ(display->Value(), 1080);
  EXPECT_TRUE(Shows("108.0"));
}

TEST_F(DigitDisplayTest, OnlyChangedDrawingRedrawsJustTheCellsWhoseDigitChanged) {
  CreateReadout(0, 2000);
  // A display never drawn has its digits cached as none and its place at
  // (0, 0): the first only-changed drawing fills all four digit cells
  // there, not the point.
  DigitDisplay fresh;
  fresh.Create(window, IDB_DIGITS_LARGE, 16, IDB_POINT_LARGE, IDB_DIGITS_LARGE_MASK, IDB_POINT_LARGE_MASK);
  fresh.SetBackground(background->Dc());
  fresh.SetRange(0, 2000);
  skintest::PaintMarker(window, 0, 0, 80, 17, kMarker);
  fresh.SetValue(980, 1);
  for (int cell : {0, 1, 2, 4}) EXPECT_FALSE(CellUntouched(cell, 0, 0)) << cell;
  EXPECT_TRUE(CellUntouched(3, 0, 0));

  display->SetValue(980, 0);
  display->Draw(0, kX, kY);
  Mark();
  display->SetValue(981, 1);
  for (int cell : {0, 1, 2, 3}) EXPECT_TRUE(CellUntouched(cell)) << cell;
  EXPECT_FALSE(CellUntouched(4));

  display->SetValue(999, 0);
  display->Draw(0, -1, -1);
  Mark();
  display->SetValue(1000, 1);
  for (int cell : {0, 1, 2, 4}) EXPECT_FALSE(CellUntouched(cell)) << cell;
  EXPECT_TRUE(CellUntouched(3));
  display->Draw(0, -1, -1);
  EXPECT_TRUE(Shows("100.0"));

  // Nothing changed: nothing redrawn.
  Mark();
  display->SetValue(1000, 1);
  for (int cell = 0; cell < 5; ++cell) EXPECT_TRUE(CellUntouched(cell)) << cell;
}

TEST_F(DigitDisplayTest, HiddenDisplayShowsBackgroundAndTakesNoValueOrRange) {
  CreateReadout(875, 1080);
  display->SetValue(980, 0);
  display->Draw(0, kX, kY);

  EXPECT_EQ(display->SetVisible(0), 1);
  EXPECT_FALSE(display->Visible());
  EXPECT_TRUE(ShowsBackgroundOnly());

  display->SetValue(1000, 1);
  display->SetRange(0, 500);
  EXPECT_EQ(display->Value(), 980);
  Mark();
  display->Draw(0, -1, -1);  // every cell restored, no digit drawn
  EXPECT_TRUE(ShowsBackgroundOnly());

  EXPECT_EQ(display->SetVisible(1), 1);
  EXPECT_TRUE(Shows(" 98.0"));
  display->SetValue(1200, 1);  // the range set while hidden was not taken
  EXPECT_EQ(display->Value(), 1080);
}

TEST_F(DigitDisplayTest, CreationNeedsStripAndPointAndMasksAreOptional) {
  EXPECT_EQ(display->Create(window, 0, 16, IDB_POINT_LARGE, 0, 0), 0);
  EXPECT_EQ(display->Create(window, IDB_DIGITS_LARGE, 16, 0, 0, 0), 0);
  EXPECT_EQ(display->SetBackground(nullptr), 0);
  // Without pictures there is no cell size either: a drawing changes
  // nothing on the screen.
  display->SetBackground(background->Dc());
  display->SetRange(0, 2000);
  display->SetValue(875, 0);
  Mark();
  EXPECT_EQ(display->Draw(0, kX, kY), 1);
  for (int cell = 0; cell < 5; ++cell) EXPECT_TRUE(CellUntouched(cell)) << cell;

  // Without masks the strip and the point are ANDed onto the background.
  ASSERT_EQ(display->Create(window, IDB_DIGITS_LARGE, 16, IDB_POINT_LARGE, 0, 0), 1);
  display->SetValue(1080, 0);
  display->Draw(0, kX, kY);
  auto anded = [&](int dx, int dy) {
    const std::uint32_t back = PatternSurface::Colour(kX + dx, kY + dy);
    if (dx >= 48 && dx < 64) return back & pictures->point.At(dx - 48, dy);
    const int digit = dx < 16 ? 1 : dx < 32 ? 0 : dx < 48 ? 8 : 0;
    return back & pictures->strip.At(digit * 16 + dx % 16, dy);
  };
  EXPECT_TRUE(skintest::RegionShows(Screen(), kX, kY, 80, 17, anded));
}

}  // namespace
