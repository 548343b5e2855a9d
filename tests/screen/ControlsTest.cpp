// The toggles and push buttons of the radio's screen other than tuning and
// presets: mute, mono, display off, exit, the RDS button where it overlaps
// group toggle 1, and the stereo indicator rows that the mono toggle
// covers when the screen is painted.
#include "RadioScreenFixture.h"
#include "WindowTimers.h"

namespace {

using screentest::RadioScreenTest;

class ControlsTest : public RadioScreenTest {
 protected:
  void SetUp() override {
    RadioScreenTest::SetUp();
    OpenRadio();
    ASSERT_TRUE(coordinator->TunerStarted());
  }
  HDC U() const { return screen->skin.U(); }
  HDC P() const { return screen->skin.P(); }
  HDC E() const { return screen->skin.E(); }
};

TEST_F(ControlsTest, MuteToggleSilencesTheCardAndSetsTheMuteFlag) {
  EXPECT_TRUE(Card().audio);
  TapOn(screen->muteToggle);
  EXPECT_TRUE(screen->muteToggle.IsOn());
  EXPECT_TRUE(Shows(screen->muteToggle, E()));
  EXPECT_FALSE(Card().audio);
  EXPECT_EQ(screen->muteFlag, 1u);
  TapOn(screen->muteToggle);
  EXPECT_FALSE(screen->muteToggle.IsOn());
  EXPECT_TRUE(Shows(screen->muteToggle, U()));
  EXPECT_TRUE(Card().audio);
  EXPECT_EQ(screen->muteFlag, 0u);

  // Pen down on it, slide off, lift: no change.
  const RECT r = screen->muteToggle.Rect();
  PenDown(r.left + 2, r.top + 2);
  PenMove(120, 155);
  PenUp(120, 155);
  EXPECT_FALSE(screen->muteToggle.IsOn());
  EXPECT_TRUE(Card().audio);
}

TEST_F(ControlsTest, MonoToggleSwitchesTheCardAndTheStoredOutputType) {
  screen->frequencySlider.SetPos(902, 0);  // a strong stereo station
  RunFor(2100);                             // the stereo indicator's tick
  EXPECT_TRUE(screen->stereoIndicator.IsOn());
  EXPECT_EQ(screen->settings.AudioOutputType, 2u);

  TapOn(screen->audioOutputToggle);
  EXPECT_TRUE(screen->audioOutputToggle.IsOn());
  EXPECT_TRUE(Card().chip.mono);
  EXPECT_EQ(screen->settings.AudioOutputType, 1u);
  EXPECT_TRUE(Shows(screen->audioOutputToggle, E()));
  RunFor(2000);
  EXPECT_FALSE(screen->stereoIndicator.IsOn()) << "mono output: no stereo light";

  TapOn(screen->audioOutputToggle);
  EXPECT_FALSE(screen->audioOutputToggle.IsOn());
  EXPECT_FALSE(Card().chip.mono);
  EXPECT_EQ(screen->settings.AudioOutputType, 2u);
  RunFor(2000);
  EXPECT_TRUE(screen->stereoIndicator.IsOn());
}

TEST_F(ControlsTest, PaintedScreenShowsTheMonoToggleOverTheIndicatorUntilItIsNextSet) {
  screen->frequencySlider.SetPos(902, 0);
  RunFor(2100);
  ASSERT_TRUE(screen->stereoIndicator.IsOn());
  const RECT rows = screen->stereoIndicator.Rect();
  EXPECT_TRUE(Shows(rows, E())) << "lit";

  // A full repaint: the mono toggle (off) is painted after the indicator.
  InvalidateRect(window, nullptr, FALSE);
  RunFor(10);
  EXPECT_TRUE(Shows(rows, U()));
  EXPECT_TRUE(Shows(screen->audioOutputToggle, U()));
  EXPECT_TRUE(screen->stereoIndicator.IsOn());
  // The next indicator tick draws it again.
  RunFor(2000);
  EXPECT_TRUE(Shows(rows, E()));
  const RECT below{rows.left, rows.bottom, rows.right, screen->audioOutputToggle.Rect().bottom};
  EXPECT_TRUE(Shows(below, U())) << "the mono toggle's lower rows stay";

  // A tap on the indicator's rows reaches the mono toggle under them.
  TapOn(screen->stereoIndicator);
  EXPECT_TRUE(screen->audioOutputToggle.IsOn());
}

TEST_F(ControlsTest, DisplayOffButtonDarkensThePanelAndSetsTheFlag) {
  ASSERT_TRUE(panel().backlight());
  TapOn(screen->displayOffButton);
  EXPECT_FALSE(panel().backlight());
  EXPECT_TRUE(screen->displayOffFlag);
  EXPECT_TRUE(Shows(screen->displayOffButton, U())) << "drawn released, though dark";
  Shot("display-off.png");
  coordinator->DisplayOn(window);
  EXPECT_TRUE(panel().backlight());
  EXPECT_FALSE(screen->displayOffFlag);
  // Slid off before lifting: the display stays on.
  const RECT r = screen->displayOffButton.Rect();
  PenDown(r.left + 2, r.top + 2);
  PenMove(120, 155);
  PenUp(120, 155);
  EXPECT_TRUE(panel().backlight());
  EXPECT_FALSE(screen->displayOffFlag);
}

TEST_F(ControlsTest, ExitButtonClosesTheWindowAndTheRestOfThePenUpDoesNoHarm) {
  screen->frequencySlider.SetPos(977, 0);
  RunFor(10);
  TapOn(screen->exitButton);
  EXPECT_TRUE(quitPosted) << "the window ended the program's message loop";
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(Card().audio) << "muted and the audio switched off";
  EXPECT_EQ(Card().switches & 0x02, 0);
  EXPECT_EQ(screen->settings.CurrentFrequency, 977u);
  // Timers of the gone window do not fire into the screen.
  timerTicks.clear();
  RunFor(3000);
  EXPECT_TRUE(timerTicks.empty());
  window = nullptr;
}

TEST_F(ControlsTest, RdsButtonIgnoresTapsUntilEnabledAndSharesItsCornerWithGroupOne) {
  // The card carries no RDS data; the test plays the presence tick.
  KillTimer(window, TIMER_RDS_PRESENCE);
  TapOn(screen->groupToggles[2]);
  ASSERT_TRUE(screen->groupToggles[2].IsOn());
  EXPECT_FALSE(screen->rdsButton.inputEnabled);

  // Its own corner, outside group toggle 1: nothing happens.
  Tap(4, 4);
  EXPECT_FALSE(screen->rdsButton.IsOn());
  EXPECT_EQ(screen->rdsButton.State(), Widget::Normal);
  EXPECT_FALSE(IsWindowVisible(screen->rdsText.textWindow));

  // The overlap: group 1 is chosen, the RDS text stays hidden.
  Tap(20, 18);
  EXPECT_TRUE(screen->groupToggles[0].IsOn());
  EXPECT_FALSE(screen->groupToggles[2].IsOn());
  EXPECT_FALSE(IsWindowVisible(screen->rdsText.textWindow));

  // RDS data present (as the presence tick finds them): the button is
  // lit and tappable, and a tap on the overlap toggles the RDS text too.
  screen->rdsButton.SetOn(TRUE);
  screen->rdsButton.inputEnabled = TRUE;
  EXPECT_TRUE(Shows(screen->rdsButton, E()));
  TapOn(screen->groupToggles[1]);
  Tap(20, 18);
  EXPECT_TRUE(screen->groupToggles[0].IsOn());
  EXPECT_FALSE(screen->groupToggles[1].IsOn());
  EXPECT_TRUE(IsWindowVisible(screen->rdsText.textWindow));
  EXPECT_FALSE(screen->rdsButton.IsOn()) << "the tap switched the toggle off";
  Tap(4, 4);
  EXPECT_FALSE(IsWindowVisible(screen->rdsText.textWindow));
  EXPECT_TRUE(screen->groupToggles[0].IsOn());

  // A tuning step switches the button off and hides the text (the text
  // window covers the tuning buttons, so the step comes as the right
  // arrow key brings it).
  Tap(4, 4);
  ASSERT_TRUE(IsWindowVisible(screen->rdsText.textWindow));
  screen->tuneUp.OnPress();
  EXPECT_FALSE(IsWindowVisible(screen->rdsText.textWindow));
  EXPECT_FALSE(screen->rdsButton.IsOn());
  EXPECT_TRUE(Shows(screen->rdsButton, U()));
}

}  // namespace
