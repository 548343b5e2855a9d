// The preset bank: its groups and bounds, and its six small labels on the
// screen, brought into the band only where they are drawn.
#include <memory>
#include <string>

#include "BandLimits.h"
#include "OndrelIds.h"
#include "PresetBank.h"
#include "SkinFixture.h"
#include "SkinPictures.h"

namespace {

using skintest::DigitPictures;
using skintest::PatternSurface;
using skintest::SkinTest;

constexpr std::uint32_t kMarker = 0xFF00FF;
constexpr POINT kLabels[PresetBank::kPerGroup] = {{31, 50}, {31, 76}, {31, 102}, {150, 50}, {150, 76}, {150, 102}};
constexpr int kLabelWidth = 25, kLabelHeight = 6;

class PresetBankTest : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    savedBand = BandLimits::Instance();
    BandLimits::Instance() = {875, 1080};
    background = std::make_unique<PatternSurface>();
    pictures = std::make_unique<DigitPictures>(IDB_DIGITS_SMALL, IDB_POINT_SMALL, IDB_DIGITS_SMALL_MASK,
                                               IDB_POINT_SMALL_MASK, 5);
    bank = std::make_unique<PresetBank>();
  }
  void TearDown() override {
    bank.reset();
    pictures.reset();
    background.reset();
    BandLimits::Instance() = savedBand;
    SkinTest::TearDown();
  }

  void AttachAsTheScreenDoes() {
    ASSERT_EQ(bank->Attach(window, background->Dc(), 31, 50, 31, 76, 31, 102, 150, 50, 150, 76, 150, 102), 1);
  }
  skintest::PixelReader Screen() {
    return [this](int x, int y) { return Client(x, y); };
  }
  // Label n (1..6) shows text over the pattern background.
  ::testing::AssertionResult LabelShows(int n, const std::string& text) {
    const POINT at = kLabels[n - 1];
    return skintest::RegionShows(Screen(), at.x, at.y, kLabelWidth, kLabelHeight, [&](int dx, int dy) {
      return pictures->Expected(text, dx, dy, PatternSurface::Colour(at.x + dx, at.y + dy));
    });
  }
  bool LabelUntouched(int n) {
    const POINT at = kLabels[n - 1];
    return skintest::Untouched(Screen(), at.x, at.y, kLabelWidth, kLabelHeight, kMarker);
  }
  void MarkAllLabels() {
    for (const POINT& at : kLabels) skintest::PaintMarker(window, at.x, at.y, kLabelWidth, kLabelHeight, kMarker);
  }

  BandLimits savedBand;
  std::unique_ptr<PatternSurface> background;
  std::unique_ptr<DigitPictures> pictures;
  std::unique_ptr<PresetBank> bank;
};

TEST_F(PresetBankTest, GroupsAndPresetsOutsideTheirBoundsAreIgnored) {
  EXPECT_EQ(bank->CurrentGroup(), 0u);
  bank->SetGroupPresets(2, 901, 902, 903, 904, 905, 906);
  EXPECT_EQ(bank->CurrentGroup(), 2u);
  EXPECT_EQ(bank->GetPreset(2, 1), 901u);
  EXPECT_EQ(bank->GetPreset(2, 6), 906u);

  bank->SetGroupPresets(4, 1, 2, 3, 4, 5, 6);
  bank->SetGroupPresets(0, 1, 2, 3, 4, 5, 6);
  EXPECT_EQ(bank->CurrentGroup(), 2u);
  bank->SelectGroup(0);
  bank->SelectGroup(4);
  EXPECT_EQ(bank->CurrentGroup(), 2u);
  bank->SelectGroup(3);
  EXPECT_EQ(bank->CurrentGroup(), 3u);

  bank->SetPreset(3, 7, 950);
  bank->SetPreset(0, 1, 950);
  bank->SetPreset(3, 6, 950);
  EXPECT_EQ(bank->GetPreset(3, 6), 950u);
  EXPECT_EQ(bank->GetPreset(3, 7), 0u);
  EXPECT_EQ(bank->GetPreset(4, 1), 0u);
  EXPECT_EQ(bank->GetPreset(1, 0), 0u);
  for (DWORD g = 1; g <= 3; ++g)
    for (DWORD n = 1; n <= 6; ++n) {
      if (!(g == 3 && n == 6) && g != 2) {
        EXPECT_EQ(bank->GetPreset(g, n), 0u) << g << "/" << n;
      }
    }
}

TEST_F(PresetBankTest, LabelsAreDrawnInTheBandWhilePresetsKeepTheirValues) {
  AttachAsTheScreenDoes();
  MarkAllLabels();
  bank->Draw(0);  // no group yet: nothing
  for (int n = 1; n <= 6; ++n) EXPECT_TRUE(LabelUntouched(n)) << n;

  bank->SetGroupPresets(1, 1200, 760, 1080, 981, 0, 875);
  bank->Draw(0);
  EXPECT_TRUE(LabelShows(1, "108.0"));
  EXPECT_TRUE(LabelShows(2, " 87.5"));
  EXPECT_TRUE(LabelShows(3, "108.0"));
  EXPECT_TRUE(LabelShows(4, " 98.1"));
  EXPECT_TRUE(LabelShows(5, " 87.5"));  // never set
  EXPECT_TRUE(LabelShows(6, " 87.5"));
  EXPECT_EQ(bank->GetPreset(1, 1), 1200u);
  EXPECT_EQ(bank->GetPreset(1, 2), 760u);

  // A group never filled shows the band's lower limit everywhere.
  bank->SelectGroup(2);
  bank->Draw(7);
  for (int n = 1; n <= 6; ++n) EXPECT_TRUE(LabelShows(n, " 87.5")) << n;

  // A band change: the same presets, drawn into the new band.
  BandLimits::Instance() = {760, 910};
  bank->SetRange(760, 910);
  bank->SelectGroup(1);
  bank->Draw(0);
  EXPECT_TRUE(LabelShows(1, " 91.0"));
  EXPECT_TRUE(LabelShows(2, " 76.0"));
  EXPECT_TRUE(LabelShows(5, " 76.0"));
}

TEST_F(PresetBankTest, StoringOnePresetRedrawsOnlyItsLabel) {
  AttachAsTheScreenDoes();
  bank->SetGroupPresets(3, 875, 875, 875, 875, 875, 875);
  bank->Draw(0);
  MarkAllLabels();
  bank->SetPreset(3, 3, 1043);
  bank->Draw(3);
  EXPECT_TRUE(LabelShows(3, "104.3"));
  for (int n : {1, 2, 4, 5, 6}) EXPECT_TRUE(LabelUntouched(n)) << n;

  // Stored in another group: the current group's label shows its own.
  bank->SetPreset(1, 3, 900);
  bank->Draw(3);
  EXPECT_TRUE(LabelShows(3, "104.3"));
}

TEST_F(PresetBankTest, AttachNeedsAWindow) {
  EXPECT_EQ(bank->Attach(nullptr, background->Dc(), 31, 50, 31, 76, 31, 102, 150, 50, 150, 76, 150, 102), 0);
  bank->SetGroupPresets(1, 875, 875, 875, 875, 875, 875);
  MarkAllLabels();
  bank->Draw(0);  // no pictures, no background: nothing reaches the labels
  for (int n = 1; n <= 6; ++n) EXPECT_TRUE(LabelUntouched(n)) << n;
}

}  // namespace
