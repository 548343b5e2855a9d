// The preset groups and buttons of the radio's screen, tapped and held on
// the panel: the group toggles as radio buttons, storing a preset on hold
// (chime, new label) and recalling it on a tap (a tune 0.2 MHz below,
// 300 ms, the tune to the preset, muted around it unless the user muted).
#include <algorithm>

#include "RadioScreenFixture.h"

namespace {

using screentest::RadioScreenTest;
using screentest::TunerWrite;

class PresetAndGroupTest : public RadioScreenTest {
 protected:
  void SetUp() override {
    RadioScreenTest::SetUp();
    OpenRadio();
  }
  GroupToggle& Group(int g) { return screen->groupToggles[g - 1]; }
  PresetButton& Preset(int n) { return screen->presetButtons[n - 1]; }
  HDC U() const { return screen->skin.U(); }
  HDC E() const { return screen->skin.E(); }

  // Three groups of recognisable presets, group 1 shown.
  void FillGroups() {
    PresetBank& bank = screen->presetBank;
    bank.SetGroupPresets(1, 881, 902, 941, 960, 977, 995);
    bank.SetGroupPresets(2, 1012, 1034, 1059, 1080, 875, 886);
    bank.SetGroupPresets(3, 1043, 1059, 943, 903, 1021, 1034);
    bank.SelectGroup(1);
    bank.Draw(0);
  }
  void ExpectOnlyGroupOn(int g) {
    for (int i = 1; i <= 3; ++i) {
      EXPECT_EQ(Group(i).IsOn() != FALSE, i == g) << "group toggle " << i;
      EXPECT_TRUE(Shows(Group(i), i == g ? E() : U())) << "group toggle " << i;
    }
    EXPECT_EQ(screen->presetBank.CurrentGroup(), DWORD(g));
  }
};

TEST_F(PresetAndGroupTest, GroupTogglesAreRadioButtonsAndPenDownShowsTheGroupAtOnce) {
  FillGroups();
  ExpectOnlyGroupOn(1);  // a first start selects group 1
  EXPECT_TRUE(LabelShows(1, " 88.1"));

  // Pen-down on group 3: its presets at once, before the pen is lifted.
  const RECT g3 = Group(3).Rect();
  PenDown(g3.left + 5, g3.top + 5);
  EXPECT_TRUE(LabelShows(1, "104.3"));
  EXPECT_TRUE(LabelShows(3, " 94.3"));
  EXPECT_TRUE(Group(1).IsOn());
  EXPECT_EQ(Group(3).State(), Widget::Pressed);
  PenUp(g3.left + 5, g3.top + 5);
  ExpectOnlyGroupOn(3);
  Shot("group-3.png");

  // Tapping the toggle that is on leaves it on, and nothing else changes.
  TapOn(Group(3));
  ExpectOnlyGroupOn(3);

  // Pen-down on group 2, slide off, lift: group 2's presets stay shown
  // while group 3's toggle stays on.
  const RECT g2 = Group(2).Rect();
  PenDown(g2.left + 10, g2.top + 10);
  PenMove(120, 155);
  PenUp(120, 155);
  EXPECT_TRUE(LabelShows(1, "101.2"));
  EXPECT_TRUE(Group(3).IsOn());
  EXPECT_FALSE(Group(2).IsOn());
  EXPECT_TRUE(Shows(Group(2), U()));
  EXPECT_EQ(screen->presetBank.CurrentGroup(), 2u);

  TapOn(Group(2));
  ExpectOnlyGroupOn(2);
  EXPECT_TRUE(LabelShows(4, "108.0"));
}

TEST_F(PresetAndGroupTest, HoldStoresWithAChimeAndTheLiftRecallsWhatWasStored) {
  FillGroups();
  screen->frequencySlider.SetPos(902, 0);  // tuned to 90.2 MHz
  RunFor(50);
  const std::size_t chimes = speaker().History().size();

  // Held past the hold tick: the chime plays while the pen is still down
  // and preset 4 of group 1 becomes 90.2 with its label.
  const RECT p4 = Preset(4).Rect();
  const int x = (p4.left + p4.right) / 2, y = (p4.top + p4.bottom) / 2;
  PenDown(x, y);
  RunFor(990);
  EXPECT_EQ(speaker().History().size(), chimes);
  EXPECT_TRUE(LabelShows(4, " 96.0"));
  RunFor(100);
  ASSERT_EQ(speaker().History().size(), chimes + 1);
  EXPECT_GT(speaker().History().back().durationUs, 0u);
  EXPECT_EQ(screen->presetBank.GetPreset(1, 4), 902u);
  EXPECT_TRUE(LabelShows(4, " 90.2"));
  EXPECT_EQ(Preset(4).State(), Widget::Pressed);
  EXPECT_TRUE(Shows(Preset(4), E()));
  MarkTrace();
  PenUp(x, y);
  EXPECT_EQ(Preset(4).State(), Widget::Normal);
  EXPECT_TRUE(Shows(Preset(4), U()));
  EXPECT_EQ(CardChannel(), 902);  // recalled what was just stored
  EXPECT_EQ(screen->frequencySlider.GetPos(), 902);
  // Other groups keep their presets.
  EXPECT_EQ(screen->presetBank.GetPreset(2, 4), 1080u);
  EXPECT_EQ(screen->presetBank.GetPreset(3, 4), 903u);

  // A hold on empty background that ends on a preset button stores that
  // one: the hold tick looks where the pen is at that moment.
  PenDown(120, 155);
  const RECT p6 = Preset(6).Rect();
  PenMove(p6.left + 3, p6.top + 3);
  RunFor(1100);
  EXPECT_EQ(screen->presetBank.GetPreset(1, 6), 902u);
  EXPECT_EQ(speaker().History().size(), chimes + 2);
  PenUp(120, 155);
}

TEST_F(PresetAndGroupTest, TapRecallsBelowFirstThenOnThePresetMutedInBetween) {
  FillGroups();
  screen->frequencySlider.SetPos(1000, 0);
  RunFor(50);
  ASSERT_EQ(CardChannel(), 1000);

  MarkTrace();
  TapOn(Preset(2));  // 90.2 MHz
  std::vector<TunerWrite> writes = TunerWrites();
  ASSERT_GE(writes.size(), 3u);
  EXPECT_TRUE(writes.front().audioMute) << "muted before the first tune";
  // The last write of the tune 0.2 MHz below, then 300 ms of nothing.
  auto gap = std::adjacent_find(writes.begin(), writes.end(),
                                [](const TunerWrite& a, const TunerWrite& b) { return b.ms - a.ms >= 300; });
  ASSERT_NE(gap, writes.end()) << "no pause between the two tunes";
  EXPECT_EQ(gap->channel, 900);
  EXPECT_TRUE(std::all_of(writes.begin(), writes.end() - 1, [](const TunerWrite& w) { return w.audioMute; }))
      << "the sound stays off until the preset is tuned";
  EXPECT_EQ(writes.back().channel, 902);
  EXPECT_FALSE(writes.back().audioMute);
  EXPECT_EQ(CardChannel(), 902);
  EXPECT_TRUE(Card().audio);
  EXPECT_TRUE(DigitsShow(" 90.2"));
  EXPECT_EQ(screen->frequencySlider.GetPos(), 902);

  // With the user's mute on, the recall neither mutes nor unmutes.
  TapOn(screen->muteToggle);
  ASSERT_TRUE(screen->muteToggle.IsOn());
  MarkTrace();
  TapOn(Preset(5));  // 97.7 MHz
  writes = TunerWrites();
  ASSERT_FALSE(writes.empty());
  EXPECT_TRUE(std::all_of(writes.begin(), writes.end(), [](const TunerWrite& w) { return w.audioMute; }));
  EXPECT_EQ(CardChannel(), 977);
  EXPECT_FALSE(Card().audio);
}

TEST_F(PresetAndGroupTest, PresetsDoNothingWithoutTheTunerCard) {
  FillGroups();
  screen->frequencySlider.SetPos(960, 0);
  ASSERT_EQ(handheld->cardSlot().Remove(), "");
  RunFor(150);  // the poll notices and disables the frequency slider
  ASSERT_FALSE(screen->frequencySlider.IsEnabled());
  const std::size_t chimes = speaker().History().size();
  Hold(Preset(1), 1200);
  EXPECT_EQ(speaker().History().size(), chimes);
  EXPECT_EQ(screen->presetBank.GetPreset(1, 1), 881u);
  EXPECT_TRUE(LabelShows(1, " 88.1"));
  EXPECT_EQ(screen->frequencySlider.GetPos(), 960);
}

}  // namespace
