// The two sliders dragged by their thumbs through the main window (pen
// messages, the screen, the slider, the radio), and the frequency slider
// left untuned while a seek runs. The card hears one strong station far
// up the band, so a seek from the bottom takes many steps.
#include "OndrelIds.h"
#include "RadioScreenFixture.h"
#include "skin/SkinPictures.h"

namespace {

using screentest::RadioScreenTest;

class SlidersTest : public RadioScreenTest {
 protected:
  std::string SceneText() const override { return "105.0 14 stereo Far FM\n"; }
  void SetUp() override {
    RadioScreenTest::SetUp();
    OpenRadio();
    ASSERT_TRUE(coordinator->TunerStarted());
  }
  // Whether the thumb picture stands at x on the slider's track at top.
  ::testing::AssertionResult ThumbAt(int x, int top, WORD picture, WORD mask) const {
    skintest::Picture thumb(picture), thumbMask(mask);
    HDC u = screen->skin.U();
    return skintest::RegionShows([this](int px, int py) { return Client(px, py); }, x, top, thumb.Width(),
                                 thumb.Height(), [&](int dx, int dy) {
                                   return skintest::Masked(Pixel(u, x + dx, top + dy), thumbMask.At(dx, dy),
                                                           thumb.At(dx, dy));
                                 });
  }
};

TEST_F(SlidersTest, ThumbsDraggedThroughTheWindowSetTheVolumeAndTuneTheCard) {
  // Volume 45: the thumb's left edge at 22 + 108 (40 x 2.72 pixels).
  ASSERT_EQ(screen->volumeSlider.GetPos(), 45);
  const int steps = Card().volume;
  PenDown(140, 210);
  EXPECT_TRUE(ThumbAt(130, 200, IDB_VOLUME_THUMB_PRESSED, IDB_VOLUME_THUMB_MASK));
  // The thumb's centre 68 pixels into the track: 68 / 2.72 is 25 in the
  // slider's single precision, so the volume is 30 (a double would make
  // it 24.99... and 29).
  PenMove(22 + 11 + 68, 215);
  EXPECT_EQ(screen->volumeSlider.GetPos(), 30);
  EXPECT_TRUE(ThumbAt(22 + 68, 200, IDB_VOLUME_THUMB_PRESSED, IDB_VOLUME_THUMB_MASK));
  EXPECT_LT(Card().volume, steps) << "the card stepped down";
  PenUp(0, 0);  // anywhere
  EXPECT_TRUE(ThumbAt(22 + 68, 200, IDB_VOLUME_THUMB, IDB_VOLUME_THUMB_MASK));

  // The frequency thumb from 87.5 MHz: 69 pixels are 104.8 channels.
  PenDown(30, 120);
  PenMove(26 + 10 + 69, 300);  // the pen may leave the track
  EXPECT_EQ(screen->frequencySlider.GetPos(), 979);
  EXPECT_EQ(CardChannel(), 979);
  EXPECT_TRUE(DigitsShow(" 97.9"));
  PenUp(26 + 10 + 69, 300);
  EXPECT_TRUE(ThumbAt(26 + 68, 116, IDB_FREQ_THUMB, IDB_FREQ_THUMB_MASK));
  CloseRadio();
  OpenRadio();
  EXPECT_EQ(screen->volumeSlider.GetPos(), 30) << "kept as the setting";
  EXPECT_EQ(screen->frequencySlider.GetPos(), 979);
}

TEST_F(SlidersTest, TheFrequencySliderDraggedDuringASeekShowsButDoesNotTune) {
  TapOn(screen->searchModeToggle);
  PenDown(30, 120);         // on the frequency thumb
  Key(hw::KeyCode::Right);  // a seek up starts, muted
  ASSERT_NE(screen->radio.seekContinue, 0);
  const int reached = CardChannel();

  MarkTrace();
  PenMove(26 + 10 + 69, 130);
  EXPECT_EQ(screen->frequencySlider.GetPos(), 979);
  EXPECT_TRUE(DigitsShow(" 97.9"));
  EXPECT_TRUE(TunerWrites().empty()) << "the slider tuned during the seek";
  EXPECT_EQ(CardChannel(), reached);

  // The seek goes on from where the tuner is, not from the thumb, up to
  // the station; then the slider and the card are there.
  RunFor(15000);
  EXPECT_EQ(screen->radio.seekContinue, 0);
  EXPECT_EQ(CardChannel(), 1050);
  EXPECT_EQ(screen->frequencySlider.GetPos(), 1050);
  EXPECT_TRUE(Card().audio);
  PenUp(26 + 10 + 69, 130);
  EXPECT_EQ(CardChannel(), 1050);
}

}  // namespace
