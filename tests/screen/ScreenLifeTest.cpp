// The screen from start to end: its objects in construction order (and so
// destroyed in the reverse order) also without a window, a walk through
// the radio against the card with a picture after every step, and the
// settings one run saves coming back in the next.
#include <algorithm>
#include <functional>

#include "BandLimits.h"
#include "RadioScreenFixture.h"

namespace {

using screentest::RadioScreenTest;

using ScreenLifeTest = RadioScreenTest;

TEST_F(ScreenLifeTest, ObjectsLieInConstructionOrderAndLiveAndDieWithoutAWindow) {
  auto made = std::make_unique<Screen>();
  Screen& s = *made;
  const void* order[] = {&s.bitmaps.background, &s.bitmaps.u, &s.bitmaps.p, &s.bitmaps.e, &s.settings,
                         &s.frequencyDigits, &s.tuneUp, &s.tuneDown, &s.muteToggle, &s.stereoIndicator,
                         &s.audioOutputToggle, &s.searchModeToggle, &s.presetButtons[0], &s.presetButtons[5],
                         &s.groupToggles[0], &s.groupToggles[2], &s.displayOffButton, &s.frequencySlider,
                         &s.volumeSlider, &s.exitButton, &s.rdsButton, &s.radio, &s.presetBank};
  // Members are built in the order they lie and destroyed backwards.
  EXPECT_TRUE(std::is_sorted(std::begin(order), std::end(order), std::less<const void*>()));

  // Before any layout the widgets are no toggles, own no rectangle and
  // draw nothing; the coordinator's first pass cannot reach them.
  RadioCoordinator early(s);
  early.ApplySettings();
  s.groupToggles[0].SetOn(TRUE);
  s.searchModeToggle.SetOn(TRUE);
  EXPECT_FALSE(s.groupToggles[0].IsOn());
  EXPECT_FALSE(s.searchModeToggle.IsOn());
  EXPECT_EQ(s.tuneUp.HandlePen(0, 0, Widget::PenDown), 0);
  s.tuneUp.Paint();
  s.ScreenHold(130, 180);
  s.ScreenRepeat(130, 180);
  made.reset();  // under the sanitizers: no crash, nothing leaked
}

TEST_F(ScreenLifeTest, WalkThroughTheRadioWithAPictureAfterEachStep) {
  OpenRadio();
  ASSERT_TRUE(coordinator->TunerStarted());
  HDC u = screen->skin.U(), e = screen->skin.E();
  EXPECT_TRUE(DigitsShow(" 87.5"));
  EXPECT_TRUE(LabelShows(1, " 87.5")) << "empty presets drawn at the band's lower limit";
  EXPECT_TRUE(Shows(screen->groupToggles[0], e));
  EXPECT_TRUE(Shows(screen->searchModeToggle, u));
  Shot("walk-01-start.png");

  TapOn(screen->searchModeToggle);
  EXPECT_TRUE(Shows(screen->searchModeToggle, e));
  Shot("walk-02-search-mode.png");

  TapOn(screen->muteToggle);
  EXPECT_TRUE(Shows(screen->muteToggle, e));
  EXPECT_FALSE(Card().audio);
  Shot("walk-03-muted.png");
  TapOn(screen->muteToggle);
  EXPECT_TRUE(Card().audio);

  TapOn(screen->groupToggles[1]);
  EXPECT_TRUE(Shows(screen->groupToggles[1], e));
  EXPECT_TRUE(Shows(screen->groupToggles[0], u));
  Shot("walk-04-group-2.png");

  TapOn(screen->tuneUp);
  RunFor(3000);
  EXPECT_EQ(CardChannel(), 886);
  EXPECT_TRUE(DigitsShow(" 88.6"));
  EXPECT_TRUE(Shows(screen->tuneUp, u));
  Shot("walk-05-seek-up.png");

  TapOn(screen->tuneUp);
  RunFor(3000);
  EXPECT_EQ(CardChannel(), 902);
  EXPECT_TRUE(DigitsShow(" 90.2"));
  Shot("walk-06-seek-up-again.png");

  Hold(screen->presetButtons[0], 1200);
  EXPECT_EQ(screen->presetBank.GetPreset(2, 1), 902u);
  EXPECT_TRUE(LabelShows(1, " 90.2"));
  Shot("walk-07-preset-1-stored.png");

  TapOn(screen->searchModeToggle);
  TapOn(screen->tuneDown);
  TapOn(screen->tuneDown);
  EXPECT_EQ(CardChannel(), 900);
  EXPECT_TRUE(DigitsShow(" 90.0"));
  EXPECT_TRUE(Shows(screen->searchModeToggle, u));
  Shot("walk-08-stepped-down.png");

  TapOn(screen->presetButtons[0]);
  EXPECT_EQ(CardChannel(), 902);
  EXPECT_TRUE(DigitsShow(" 90.2"));
  EXPECT_TRUE(Card().audio);
  Shot("walk-09-preset-1-recalled.png");

  RunFor(2100);  // the stereo indicator's tick
  EXPECT_TRUE(Shows(screen->stereoIndicator, e));
  Shot("walk-10-stereo.png");
}

// The value names under the radio's settings key, in the registry now.
std::vector<std::u16string> StoredSettingNames() {
  HKEY key = nullptr;
  std::vector<std::u16string> names;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Tessaro\\Veltrane", 0, 0, &key) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    WCHAR name[64];
    DWORD chars = 64;
    if (RegEnumValueW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, chars);
  }
  RegCloseKey(key);
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(ScreenLifeTest, AFirstStartWritesTheEightDefaultsAndTheExitAllNineValues) {
  ASSERT_TRUE(StoredSettingNames().empty());
  OpenRadio();
  const std::vector<std::u16string> loaded{u"AudioOutputType", u"AutoSearch",   u"CurrentFrequency",
                                           u"CurrentVolume",   u"Group",        u"PresetChannel",
                                           u"RadioSystem",     u"SearchLevel"};
  EXPECT_EQ(StoredSettingNames(), loaded) << "the defaults are written back as the first load finds them missing";
  CloseRadio();
  std::vector<std::u16string> saved = loaded;
  saved.push_back(u"StereoNoiseCancel");
  EXPECT_EQ(StoredSettingNames(), saved);
}

void StoreSetting(const char16_t* name, DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Tessaro\\Veltrane", 0, nullptr, 0, 0, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

TEST_F(ScreenLifeTest, AStoredJapanBandStartsOnTheJapanScaleAtTheStoredFrequency) {
  StoreSetting(u"RadioSystem", 2);
  StoreSetting(u"CurrentFrequency", 800);
  OpenRadio();
  ASSERT_TRUE(coordinator->TunerStarted());
  EXPECT_EQ(BandLimits::Instance().lower, 760);
  EXPECT_EQ(BandLimits::Instance().upper, 910);
  EXPECT_EQ(CardChannel(), 800);
  EXPECT_TRUE(Card().chip.japan);
  EXPECT_TRUE(DigitsShow(" 80.0"));
  EXPECT_TRUE(LabelShows(1, " 76.0")) << "empty presets at Japan's lower limit";
  // The scale right of the thumb (at 80.0, near the left end) is Japan's.
  EXPECT_TRUE(Shows(RECT{80, 116, 182, 145}, screen->skin.P()));
  Shot("japan-start.png");
}

TEST_F(ScreenLifeTest, SettingsOneRunSavesAreThereInTheNext) {
  OpenRadio();
  TapOn(screen->searchModeToggle);
  TapOn(screen->groupToggles[1]);
  TapOn(screen->tuneUp);
  RunFor(3000);
  ASSERT_EQ(CardChannel(), 886);
  Hold(screen->presetButtons[2], 1200);  // group 2, preset 3: 88.6
  TapOn(screen->audioOutputToggle);      // mono is not kept
  screen->volumeSlider.SetPos(30, 0);
  CloseRadio();
  EXPECT_FALSE(Card().audio);

  OpenRadio();
  ASSERT_TRUE(coordinator->TunerStarted());
  EXPECT_TRUE(screen->searchModeToggle.IsOn());
  EXPECT_FALSE(screen->tuneUp.repeatEnabled);
  EXPECT_FALSE(screen->tuneDown.repeatEnabled);
  EXPECT_TRUE(screen->groupToggles[1].IsOn());
  EXPECT_FALSE(screen->groupToggles[0].IsOn());
  EXPECT_EQ(screen->presetBank.CurrentGroup(), 2u);
  EXPECT_EQ(screen->presetBank.GetPreset(2, 3), 886u);
  EXPECT_EQ(screen->presetBank.GetPreset(1, 3), 0u);
  EXPECT_EQ(screen->frequencySlider.GetPos(), 886);
  EXPECT_EQ(screen->volumeSlider.GetPos(), 30);
  EXPECT_FALSE(screen->audioOutputToggle.IsOn());
  EXPECT_EQ(screen->settings.AudioOutputType, 2u);
  EXPECT_FALSE(Card().chip.mono);
  EXPECT_EQ(CardChannel(), 886);
  EXPECT_TRUE(Card().audio);
  EXPECT_TRUE(DigitsShow(" 88.6"));
  EXPECT_TRUE(LabelShows(3, " 88.6"));
  EXPECT_TRUE(Shows(screen->groupToggles[1], screen->skin.E()));
  EXPECT_TRUE(Shows(screen->searchModeToggle, screen->skin.E()));
  Shot("restart.png");
}

}  // namespace
