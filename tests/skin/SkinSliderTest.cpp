// The skinned sliders on the screen: where the thumb stands for a value,
// how the pen drags it, what each change redraws and when OnChange runs.
#include <memory>
#include <vector>

#include "DigitDisplay.h"
#include "OndrelIds.h"
#include "RadioDevice.h"
#include "SkinFixture.h"
#include "SkinPictures.h"
#include "SkinSlider.h"

namespace {

using skintest::PatternSurface;
using skintest::Picture;
using skintest::SkinTest;

constexpr std::uint32_t kMarker = 0xFF00FF;

// Writes down the position at every OnChange.
class RecordingSlider : public SkinSlider {
 public:
  void OnChange() override { changes.push_back(GetPos()); }
  std::vector<int> changes;
};

class SkinSliderTest : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    background = std::make_unique<PatternSurface>();
    thumb = std::make_unique<Picture>(IDB_FREQ_THUMB);
    pressed = std::make_unique<Picture>(IDB_FREQ_THUMB_PRESSED);
    mask = std::make_unique<Picture>(IDB_FREQ_THUMB_MASK);
  }
  void TearDown() override {
    thumb.reset();
    pressed.reset();
    mask.reset();
    background.reset();
    SkinTest::TearDown();
  }

  // Placed as the screen places its frequency slider, over the pattern.
  void CreateFrequency(SkinSlider& s) {
    s.Create(window, SkinSlider::kHorizontal, 26, 116, 156, 29, IDB_FREQ_THUMB, IDB_FREQ_THUMB_PRESSED, 0);
    s.SetSharedBackground(background->Dc(), 26, 116);
    s.SetMask(IDB_FREQ_THUMB_MASK);
  }
  // Set up over the band 875..1080 and painted at value, with nothing
  // recorded yet.
  void ShowFrequencyAt(RecordingSlider& s, int value) {
    CreateFrequency(s);
    s.SetRange(875, 1080);
    s.SetPos(value, 0);
    s.Paint();
    s.changes.clear();
  }
  void CreateVolume(SkinSlider& s) {
    s.Create(window, SkinSlider::kHorizontal, 22, 200, 158, 22, IDB_VOLUME_THUMB, IDB_VOLUME_THUMB_PRESSED, 0);
    s.SetSharedBackground(background->Dc(), 22, 200);
    s.SetMask(IDB_VOLUME_THUMB_MASK);
  }

  skintest::PixelReader Screen() {
    return [this](int x, int y) { return Client(x, y); };
  }
  // The frequency thumb picture at (x, 116) drawn through its mask over
  // the pattern, or over the marker colour.
  ::testing::AssertionResult ThumbAt(int x, const Picture& picture, bool overMarker = false) {
    return skintest::RegionShows(Screen(), x, 116, 21, 29, [&](int dx, int dy) {
      const std::uint32_t under = overMarker ? kMarker : PatternSurface::Colour(x + dx, 116 + dy);
      return skintest::Masked(under, mask->At(dx, dy), picture.At(dx, dy));
    });
  }
  ::testing::AssertionResult TrackAt(int x, int y, int w, int h) {
    return skintest::RegionShows(Screen(), x, y, w, h,
                                 [&](int dx, int dy) { return PatternSurface::Colour(x + dx, y + dy); });
  }

  std::unique_ptr<PatternSurface> background;
  std::unique_ptr<Picture> thumb, pressed, mask;
};

TEST_F(SkinSliderTest, RangeSetsTheScaleAndTheThumbStandsInProportion) {
  RecordingSlider s;
  CreateFrequency(s);
  // Before a range: the range is [0, 0] and nothing is drawn.
  skintest::PaintMarker(window, 26, 116, 156, 29, kMarker);
  EXPECT_EQ(s.SetPos(980, 0), 1);
  EXPECT_EQ(s.GetPos(), 0);
  EXPECT_EQ(s.changes, std::vector<int>{0});
  s.Paint();
  EXPECT_TRUE(skintest::Untouched(Screen(), 26, 116, 156, 29, kMarker));

  ASSERT_EQ(s.SetRange(875, 1080), 1);
  EXPECT_EQ(s.GetPos(), 875);  // a new range starts at its minimum
  EXPECT_EQ(s.ThumbPlace(875).x, 26);
  EXPECT_EQ(s.ThumbPlace(980).x, 95);  // 105 * 135 / 205 = 69.1
  EXPECT_EQ(s.ThumbPlace(980).y, 116);
  EXPECT_EQ(s.ThumbPlace(1080).x, 26 + 135);

  s.SetPos(980, 0);
  s.Paint();
  EXPECT_TRUE(ThumbAt(95, *thumb));
  EXPECT_TRUE(TrackAt(26, 116, 69, 29));
  EXPECT_TRUE(TrackAt(116, 116, 66, 29));

  // Bounds are compared as unsigned numbers: -5 is far above 5.
  EXPECT_EQ(s.SetRange(-5, 5), 0);
  EXPECT_EQ(s.SetRange(1080, 875), 0);
  EXPECT_EQ(s.SetRange(900, 900), 0);
  EXPECT_EQ(s.Minimum(), 875);
  EXPECT_EQ(s.Maximum(), 1080);
  EXPECT_EQ(s.GetPos(), 980);

  // The volume slider travels 136 pixels; a vertical slider grows upward.
  RecordingSlider volume;
  CreateVolume(volume);
  volume.SetRange(5, 55);
  EXPECT_EQ(volume.ThumbPlace(5).x, 22);
  EXPECT_EQ(volume.ThumbPlace(55).x, 22 + 136);
  RecordingSlider upright;
  upright.Create(window, SkinSlider::kVertical, 10, 10, 30, 158, IDB_VOLUME_THUMB, 0, 0);
  upright.SetRange(5, 55);
  EXPECT_EQ(upright.ThumbPlace(5).x, 14);
  EXPECT_EQ(upright.ThumbPlace(5).y, 146);
  EXPECT_EQ(upright.ThumbPlace(55).y, 10);
}

TEST_F(SkinSliderTest, PenDragsTheThumbAndEveryMoveCallsOnChange) {
  RecordingSlider s;
  ShowFrequencyAt(s, 875);

  EXPECT_EQ(s.OnPen(150, 120, SkinSlider::kPenDown), 0);  // beside the thumb
  EXPECT_EQ(s.OnPen(47, 120, SkinSlider::kPenDown), 0);   // right edge is outside
  EXPECT_FALSE(s.Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(s.OnPen(150, 120, SkinSlider::kPenMove), 1);  // no drag: nothing
  EXPECT_EQ(s.GetPos(), 875);
  EXPECT_TRUE(s.changes.empty());

  EXPECT_EQ(s.OnPen(26, 116, SkinSlider::kPenDown), 1);
  EXPECT_TRUE(s.Dragging());
  EXPECT_EQ(GetCapture(), window);
  EXPECT_TRUE(ThumbAt(26, *pressed));

  // The thumb's centre follows the pen: 69 pixels are 104.8 units.
  EXPECT_EQ(s.OnPen(26 + 10 + 69, 300, SkinSlider::kPenMove), 1);
  EXPECT_EQ(s.GetPos(), 979);
  EXPECT_TRUE(ThumbAt(94, *pressed));
  EXPECT_TRUE(TrackAt(26, 116, 21, 29));
  s.OnPen(26 + 10 + 69, 120, SkinSlider::kPenMove);  // same value: OnChange again
  s.OnPen(400, 120, SkinSlider::kPenMove);           // past the end: clamped
  EXPECT_EQ(s.changes, (std::vector<int>{979, 979, 1080}));
  EXPECT_TRUE(ThumbAt(161, *pressed));

  EXPECT_EQ(s.OnPen(0, 0, SkinSlider::kPenUp), 1);  // anywhere
  EXPECT_FALSE(s.Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(ThumbAt(161, *thumb));
  s.OnPen(26, 120, SkinSlider::kPenMove);
  EXPECT_EQ(s.GetPos(), 1080);
  EXPECT_EQ(s.OnPen(0, 0, 9), 1);  // an unknown event is taken and ignored
}

TEST_F(SkinSliderTest, VolumeDraggedPastEitherEndIsClamped) {
  RecordingSlider volume;
  CreateVolume(volume);
  volume.SetRange(5, 55);
  volume.SetPos(45, 0);
  const POINT at = volume.ThumbPlace(45);
  EXPECT_EQ(at.x, 130);  // 40 * 136 / 50 = 108.8
  ASSERT_EQ(volume.OnPen(at.x + 5, at.y + 5, SkinSlider::kPenDown), 1);
  volume.OnPen(0, 210, SkinSlider::kPenMove);
  EXPECT_EQ(volume.GetPos(), 5);
  volume.OnPen(239, 210, SkinSlider::kPenMove);
  EXPECT_EQ(volume.GetPos(), 55);
  volume.OnPen(239, 210, SkinSlider::kPenUp);
}

TEST_F(SkinSliderTest, StepsStopAtTheEndsWhileSetPosAlwaysCallsOnChange) {
  RecordingSlider s;
  CreateVolume(s);
  s.StepUp();  // no position yet
  EXPECT_TRUE(s.changes.empty());
  s.SetRange(5, 55);
  s.SetPos(55, 0);
  s.StepUp();
  EXPECT_EQ(s.GetPos(), 55);
  s.StepDown();
  EXPECT_EQ(s.GetPos(), 54);
  s.SetPos(-3, 0);  // clamped to the minimum
  s.StepDown();
  s.SetPos(5, 0);
  EXPECT_EQ(s.changes, (std::vector<int>{55, 54, 5, 5}));
}

TEST_F(SkinSliderTest, DisabledSliderShowsItsTrackOnlyAndRefusesChanges) {
  RecordingSlider s;
  ShowFrequencyAt(s, 980);

  s.SetEnabled(0);
  EXPECT_EQ(s.IsEnabled(), 0);
  EXPECT_TRUE(TrackAt(26, 116, 156, 29));
  EXPECT_EQ(s.SetPos(900, 0), 0);
  s.StepUp();
  EXPECT_EQ(s.OnPen(100, 120, SkinSlider::kPenDown), 0);
  EXPECT_EQ(s.OnPen(100, 120, SkinSlider::kPenUp), 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(s.GetPos(), 980);
  EXPECT_TRUE(s.changes.empty());
  EXPECT_TRUE(TrackAt(26, 116, 156, 29));

  s.SetEnabled(1);
  EXPECT_TRUE(ThumbAt(95, *thumb));
}

TEST_F(SkinSliderTest, MovingTheThumbRepaintsOnlyTheOldStripAndTheNewThumb) {
  RecordingSlider s;
  CreateFrequency(s);
  s.SetRange(875, 1080);
  s.Paint();
  skintest::PaintMarker(window, 26, 116, 156, 29, kMarker);

  s.SetPos(980, 0);
  EXPECT_TRUE(TrackAt(26, 116, 21, 29));  // the strip under the old thumb
  EXPECT_TRUE(ThumbAt(95, *thumb, true));
  EXPECT_TRUE(skintest::Untouched(Screen(), 47, 116, 48, 29, kMarker));
  EXPECT_TRUE(skintest::Untouched(Screen(), 116, 116, 66, 29, kMarker));

  // The same value again: nothing redrawn.
  skintest::PaintMarker(window, 26, 116, 156, 29, kMarker);
  s.SetPos(980, 0);
  EXPECT_TRUE(skintest::Untouched(Screen(), 26, 116, 156, 29, kMarker));
}

TEST_F(SkinSliderTest, FrequencySliderShowsItsValueInTheDigitsSeekOrNot) {
  RadioDevice radio;  // not opened: tuning does nothing
  DigitDisplay digits;
  digits.Create(window, IDB_DIGITS_LARGE, 16, IDB_POINT_LARGE, IDB_DIGITS_LARGE_MASK, IDB_POINT_LARGE_MASK);
  digits.SetRange(875, 1080);
  FrequencySlider frequency(radio, digits);
  CreateFrequency(frequency);
  frequency.SetRange(875, 1080);
  frequency.SetPos(980, 0);
  EXPECT_EQ(digits.Value(), 980);
  radio.seekContinue = 1;
  frequency.StepUp();
  EXPECT_EQ(digits.Value(), 981);

  VolumeSlider volume(radio);
  CreateVolume(volume);
  volume.SetRange(5, 55);
  EXPECT_EQ(volume.SetPos(45, 0), 1);
}

}  // namespace
