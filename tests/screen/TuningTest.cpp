// The tuning buttons against the radio card: in step mode one channel at
// pen-down, the next after the hold and one on every repeat tick while the
// pen stays on the button; in search mode a muted seek that the seek timer
// carries on until the card's search settles on a station, and that a tap
// stops where it is. The built-in scene has a weak mono station at
// 92.8 MHz, where a seek up from 91.3 MHz stops and which it rejects
// before it settles on the stereo station at 94.1 MHz.
#include <algorithm>

#include "RadioScreenFixture.h"
#include "platform/user/Desktop.h"
#include "WindowTimers.h"

namespace {

using screentest::RadioScreenTest;
using screentest::TunerWrite;

class TuningTest : public RadioScreenTest {
 protected:
  void SetUp() override {
    RadioScreenTest::SetUp();
    OpenRadio();
    ASSERT_TRUE(coordinator->TunerStarted());
    ASSERT_EQ(screen->frequencySlider.GetPos(), 875);
  }
  POINT Middle(const Widget& w) const {
    const RECT& r = w.Rect();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  std::vector<std::uint64_t> Ticks(UINT id) const { return TicksOf(id); }
  void SearchModeAt(int channel) {
    screen->frequencySlider.SetPos(channel, 0);
    TapOn(screen->searchModeToggle);
    ASSERT_TRUE(screen->searchModeToggle.IsOn());
    ASSERT_EQ(CardChannel(), channel);
  }
};

TEST_F(TuningTest, HeldButtonStepsAtPenDownThenAfterTheHoldOnEveryRepeatTickUntilThePenSlidesOff) {
  EXPECT_TRUE(screen->tuneUp.repeatEnabled);  // step mode at a first start
  const POINT up = Middle(screen->tuneUp);
  timerTicks.clear();
  PenDown(up.x, up.y);
  EXPECT_EQ(CardChannel(), 876);
  EXPECT_EQ(screen->frequencySlider.GetPos(), 876);
  EXPECT_TRUE(Shows(screen->tuneUp, screen->skin.E()));
  const std::uint64_t armed = penDownHandledMs;

  RunFor(armed + 999 - Now());
  EXPECT_EQ(CardChannel(), 876) << "nothing more until the hold";
  RunFor(1050 + armed - Now());
  ASSERT_EQ(Ticks(TIMER_HOLD), std::vector<std::uint64_t>{armed + 1000});
  EXPECT_EQ(CardChannel(), 876) << "the hold tick does nothing for a tuning button";
  RunFor(armed + 1101 - Now());
  ASSERT_FALSE(Ticks(TIMER_REPEAT).empty());
  EXPECT_EQ(Ticks(TIMER_REPEAT).front(), armed + 1100);
  EXPECT_EQ(CardChannel(), 877);

  // Every repeat tick steps once more (a step keeps the window busy for
  // its tuning probes, so ticks come at least 100 ms apart).
  RunFor(2000);
  const std::vector<std::uint64_t> repeats = Ticks(TIMER_REPEAT);
  ASSERT_GE(repeats.size(), 3u);
  for (std::size_t i = 1; i < repeats.size(); ++i) EXPECT_GE(repeats[i] - repeats[i - 1], 100u);
  EXPECT_EQ(screen->frequencySlider.GetPos(), 876 + int(repeats.size()));
  EXPECT_EQ(CardChannel(), screen->frequencySlider.GetPos());

  // Slid off: the repeat timer still ticks, but the button is not hit.
  PenMove(120, 155);
  const int reached = screen->frequencySlider.GetPos();
  const std::size_t before = Ticks(TIMER_REPEAT).size();
  RunFor(500);
  EXPECT_GE(Ticks(TIMER_REPEAT).size(), before + 4);
  EXPECT_EQ(screen->frequencySlider.GetPos(), reached);
  PenUp(120, 155);
  EXPECT_EQ(screen->tuneUp.State(), Widget::Normal);
  EXPECT_TRUE(Shows(screen->tuneUp, screen->skin.U()));
  const std::size_t atLift = Ticks(TIMER_REPEAT).size();
  RunFor(500);
  EXPECT_EQ(Ticks(TIMER_REPEAT).size(), atLift) << "the pen-up stops the repeat";
  EXPECT_EQ(CardChannel(), reached);
  EXPECT_TRUE(DigitsShow(" " + std::to_string(reached / 10) + "." + std::to_string(reached % 10)));

  // A tap steps down once; the band's lower edge holds.
  TapOn(screen->tuneDown);
  EXPECT_EQ(CardChannel(), reached - 1);
}

TEST_F(TuningTest, SeekIsMutedCarriedOnByTheSeekTimerAndUnmutedOnTheStation) {
  SearchModeAt(913);
  EXPECT_FALSE(screen->tuneUp.repeatEnabled);
  EXPECT_FALSE(screen->tuneDown.repeatEnabled);
  EXPECT_TRUE(Shows(screen->searchModeToggle, screen->skin.E()));

  MarkTrace();
  timerTicks.clear();
  const POINT up = Middle(screen->tuneUp);
  PenDown(up.x, up.y);
  // The search stops beside the strong station at 94.1 and the IF counter
  // rejects the stop: the seek goes on, muted, the button held down on
  // the screen.
  ASSERT_EQ(screen->radio.seekContinue, 1);
  EXPECT_FALSE(Card().audio);
  EXPECT_EQ(screen->tuneUp.State(), Widget::Pressed);
  EXPECT_TRUE(Shows(screen->tuneUp, screen->skin.E()));
  PenUp(up.x, up.y);  // ignored while the seek runs
  EXPECT_EQ(screen->tuneUp.State(), Widget::Pressed);

  RunFor(3000);
  EXPECT_EQ(screen->radio.seekContinue, 0);
  EXPECT_FALSE(Ticks(TIMER_SEEK).empty());
  const std::size_t seekTicks = Ticks(TIMER_SEEK).size();
  EXPECT_EQ(CardChannel(), 941);
  EXPECT_EQ(screen->frequencySlider.GetPos(), 941);
  EXPECT_TRUE(DigitsShow(" 94.1"));
  EXPECT_TRUE(Card().audio) << "unmuted on the station";
  EXPECT_EQ(screen->tuneUp.State(), Widget::Normal);
  EXPECT_TRUE(Shows(screen->tuneUp, screen->skin.U()));
  const std::vector<TunerWrite> writes = TunerWrites();
  ASSERT_FALSE(writes.empty());
  EXPECT_TRUE(std::all_of(writes.begin(), writes.end() - 1, [](const TunerWrite& w) { return w.audioMute; }));
  EXPECT_TRUE(std::any_of(writes.begin(), writes.end(), [](const TunerWrite& w) { return w.search; }));
  RunFor(500);
  EXPECT_EQ(Ticks(TIMER_SEEK).size(), seekTicks) << "the seek timer is stopped";

  // A hold does not repeat the seek; a seek that settles at once leaves
  // the button up while the pen is still down.
  PenDown(up.x, up.y);
  EXPECT_EQ(screen->radio.seekContinue, 0);
  EXPECT_EQ(CardChannel(), 943);
  EXPECT_EQ(screen->tuneUp.State(), Widget::Normal);
  RunFor(2000);
  PenUp(up.x, up.y);
  EXPECT_EQ(CardChannel(), 943);
  EXPECT_TRUE(Card().audio);

  // With the user's mute on the seek leaves the sound off.
  TapOn(screen->muteToggle);
  TapOn(screen->tuneDown);
  RunFor(3000);
  EXPECT_EQ(screen->radio.seekContinue, 0);
  EXPECT_EQ(CardChannel(), 941);
  EXPECT_FALSE(Card().audio);
}

TEST_F(TuningTest, TapDuringASeekOnlyStopsItWhereItIs) {
  SearchModeAt(913);
  const POINT up = Middle(screen->tuneUp);
  PenDown(up.x, up.y);
  ASSERT_EQ(screen->radio.seekContinue, 1);
  PenUp(up.x, up.y);
  const int reached = screen->frequencySlider.GetPos();
  timerTicks.clear();

  // The tap lands on the mute toggle, which must not see it.
  TapOn(screen->muteToggle);
  EXPECT_EQ(screen->radio.seekContinue, 0);
  EXPECT_FALSE(screen->muteToggle.IsOn());
  EXPECT_EQ(screen->muteToggle.State(), Widget::Normal);
  EXPECT_EQ(screen->tuneUp.State(), Widget::Normal);
  EXPECT_EQ(screen->tuneDown.State(), Widget::Normal);
  EXPECT_TRUE(Shows(screen->tuneUp, screen->skin.U()));
  EXPECT_TRUE(Card().audio);
  RunFor(1000);
  EXPECT_TRUE(Ticks(TIMER_SEEK).empty());
  EXPECT_EQ(screen->frequencySlider.GetPos(), reached);
  EXPECT_EQ(CardChannel(), reached);
}

// A quick drag of the tuning needle: the pen moves every 10 ms for a
// second while each tune keeps the program busy for most of half a
// second. The moves that come meanwhile wait as one, so the radio tunes
// only where the needle is when it can next look, is done within two
// tunes of the pen-up, and ends where the needle was left, as a single
// move there would.
TEST_F(TuningTest, AQuickDragOfTheNeedleEndsSoonAfterThePenUpWhereTheNeedleWasLeft) {
  SkinSlider& slider = screen->frequencySlider;
  const POINT grab{slider.ThumbPlace(875).x + 2, slider.ThumbPlace(875).y + 2};
  const int lastX = grab.x + 100;
  PenDown(grab.x, grab.y);
  PenMove(lastX, grab.y);
  PenUp(lastX, grab.y);
  const int leftThere = slider.GetPos();
  ASSERT_GT(leftThere, 900);
  slider.SetPos(875, 0);
  RunFor(1000);

  MarkTrace();
  PenDown(grab.x, grab.y);
  hw::Clock& clock = handheld->clock();
  hw::InputDevice& pen = input();
  const hw::Clock::Micros start = clock.NowUs();
  for (int i = 1; i <= 100; ++i)
    clock.ScheduleAt(start + i * 10'000, [&pen, x = grab.x + i, y = grab.y + screentest::kClientTop] {
      pen.PenMove(x, y);
    });
  clock.ScheduleAt(start + 1'000'000, [&pen, x = lastX, y = grab.y + screentest::kClientTop] {
    pen.PenUp(x, y);
  });
  RunFor(5000);
  const std::vector<TunerWrite> writes = TunerWrites();
  ASSERT_FALSE(writes.empty());
  EXPECT_LE(writes.back().ms, start / 1000 + 1000 + 1000) << "tuning went on after the pen-up";
  EXPECT_EQ(slider.GetPos(), leftThere);
  EXPECT_EQ(CardChannel(), leftThere);
}

}  // namespace
