// What the radio coordinator does through the main window: the tuner poll
// following the card out of the slot and back in (the frequency slider
// and the digits go and come back, the radio restarts unmuted where the
// sliders are, the user's mute flag kept), and the Setting dialog moving
// the radio to another band plan with the presets kept as stored and
// their labels clamped into the new band.
#include <vector>

#include "BandLimits.h"
#include "OndrelIds.h"
#include "RadioScreenFixture.h"

namespace {

using screentest::RadioScreenTest;

class CoordinatorTest : public RadioScreenTest {
 protected:
  void SetUp() override {
    RadioScreenTest::SetUp();
    OpenRadio();
    ASSERT_TRUE(coordinator->TunerStarted());
  }
  // The large digits' cells show the LCD behind them, nothing drawn.
  ::testing::AssertionResult DigitsBlank() const { return Shows(DigitsRect(), screen->skin.U()); }
};

TEST_F(CoordinatorTest, ThePollFollowsTheCardOutAndBackAndTheRadioRestartsWhereTheSlidersAre) {
  screen->frequencySlider.SetPos(902, 0);  // a stereo station of the built-in scene
  RunFor(2100);
  ASSERT_EQ(CardChannel(), 902);
  ASSERT_TRUE(screen->stereoIndicator.IsOn());
  const int volume = Card().volume;
  TapOn(screen->muteToggle);
  RunFor(2000);
  ASSERT_FALSE(Card().audio);
  ASSERT_FALSE(screen->stereoIndicator.IsOn()) << "dark while muted";

  ASSERT_EQ(handheld->cardSlot().Remove(), "");
  RunFor(100);
  EXPECT_FALSE(coordinator->TunerStarted());
  EXPECT_FALSE(screen->frequencySlider.IsEnabled());
  EXPECT_FALSE(screen->frequencyDigits.Visible());
  EXPECT_TRUE(DigitsBlank());
  // Without the card the tuning button steps nothing.
  TapOn(screen->tuneUp);
  EXPECT_EQ(screen->frequencySlider.GetPos(), 902);

  MarkTrace();
  ASSERT_EQ(handheld->cardSlot().Insert(), "");
  RunFor(100);
  EXPECT_TRUE(coordinator->TunerStarted());
  EXPECT_TRUE(screen->frequencySlider.IsEnabled());
  EXPECT_TRUE(DigitsShow(" 90.2"));
  EXPECT_FALSE(TunerWrites().empty());
  EXPECT_TRUE(Card().powered);
  EXPECT_EQ(CardChannel(), 902);
  EXPECT_EQ(Card().volume, volume);
  // Restarted with the sound on and the MUTE toggle off, but the user's
  // mute flag kept: the STEREO lamp stays dark at its next checks.
  EXPECT_TRUE(Card().audio);
  EXPECT_FALSE(screen->muteToggle.IsOn());
  EXPECT_TRUE(Shows(screen->muteToggle, screen->skin.U()));
  EXPECT_EQ(screen->muteFlag, 1u);
  RunFor(4000);
  EXPECT_FALSE(screen->stereoIndicator.IsOn());
  EXPECT_TRUE(Shows(screen->stereoIndicator, screen->skin.U()));
  // MUTE on and off again clears the flag, and the lamp lights.
  TapOn(screen->muteToggle);
  EXPECT_FALSE(Card().audio);
  EXPECT_TRUE(screen->muteToggle.IsOn());
  TapOn(screen->muteToggle);
  EXPECT_TRUE(Card().audio);
  EXPECT_EQ(screen->muteFlag, 0u);
  RunFor(2000);
  EXPECT_TRUE(screen->stereoIndicator.IsOn());
}

TEST_F(CoordinatorTest, TheSettingDialogMovesTheRadioToJapanKeepingThePresetsAndClampingTheirLabels) {
  screen->frequencySlider.SetPos(1000, 0);
  RunFor(10);
  ASSERT_EQ(CardChannel(), 1000);
  Hold(screen->presetButtons[0], 1500);
  ASSERT_TRUE(LabelShows(1, "100.0"));

  // Japan tapped and then "ok" in the navigation bar, a tap every 300 ms
  // while the dialog's own message loop runs.
  TapsLater({{30, 101}, {225, 13}});
  SendMessageW(window, WM_COMMAND, IDM_SETTING, 0);
  RunFor(100);

  EXPECT_EQ(screen->settings.RadioSystem, 2u);
  EXPECT_EQ(CardChannel(), 910) << "the frequency brought into the band";
  EXPECT_TRUE(Card().chip.japan);
  EXPECT_TRUE(DigitsShow(" 91.0"));
  EXPECT_EQ(screen->presetBank.GetPreset(1, 1), 1000u) << "the preset is kept as stored";
  EXPECT_TRUE(LabelShows(1, " 91.0")) << "and drawn inside the band";
  EXPECT_TRUE(LabelShows(2, " 76.0"));
  // The thumb went to the right end; the scale left of it is Japan's.
  EXPECT_TRUE(Shows(RECT{26, 116, 120, 145}, screen->skin.P()));
  Shot("setting-japan.png");
}

TEST_F(CoordinatorTest, TheSettingDialogClampsTheSearchLevelLeavesAnUnchangedBandAloneAndTakesBandZeroForJapan) {
  screen->settings.SearchLevel = 9;  // as a stored value may be
  MarkTrace();
  TapsLater({{225, 13}});  // "ok" at once
  SendMessageW(window, WM_COMMAND, IDM_SETTING, 0);
  RunFor(100);
  EXPECT_EQ(screen->settings.SearchLevel, 3) << "the search level slider holds 0 to 3";
  EXPECT_EQ(screen->settings.RadioSystem, 1);
  EXPECT_TRUE(TunerWrites().empty()) << "Europe stayed checked: nothing is tuned again";

  // Band 0, as without a settings key: the dialog checks Japan, which is
  // taken on ok because it differs from 0.
  screen->settings.RadioSystem = 0;
  TapsLater({{225, 13}});
  SendMessageW(window, WM_COMMAND, IDM_SETTING, 0);
  RunFor(100);
  EXPECT_EQ(screen->settings.RadioSystem, 2);
  EXPECT_EQ(BandLimits::Instance().lower, 760);
  EXPECT_TRUE(Card().chip.japan);
  EXPECT_EQ(CardChannel(), 875) << "87.5 MHz lies in both bands";
}

}  // namespace
