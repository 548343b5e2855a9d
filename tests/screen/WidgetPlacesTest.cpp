// Where the eighteen widgets sit and what they show, read off the panel
// and held against the skin pictures as the build drew them: each widget
// takes the pen on its own place and nowhere beside it, and pressed and
// lit shows its own rectangle of the right picture with nothing around
// that rectangle changed. The places are the screen's layout table
// written out here, not taken from the widgets.
#include <array>

#include "host/Provisioning.h"
#include "RadioScreenFixture.h"
#include "WindowTimers.h"
#include "tests/support/ArtworkBitmap.h"

namespace {

using screentest::RadioScreenTest;

struct Place {
  const char* name;
  int x, y, width, height;
  char pressed;  // 'E' or 'P': the picture of the pressed look
  bool toggle;   // lit from BK_E when on
};

constexpr std::array<Place, 18> kPlaces = {{
    {"tune up", 126, 170, 40, 28, 'E', false},
    {"tune down", 40, 170, 40, 28, 'E', false},
    {"mute", 87, 223, 30, 33, 'E', true},
    {"stereo", 72, 47, 62, 12, 'P', true},
    {"mono", 72, 47, 62, 24, 'P', true},
    {"search mode", 87, 165, 30, 33, 'E', true},
    {"preset 1", 7, 41, 23, 24, 'E', false},
    {"preset 2", 4, 67, 26, 24, 'E', false},
    {"preset 3", 7, 93, 23, 24, 'E', false},
    {"preset 4", 177, 41, 23, 24, 'E', false},
    {"preset 5", 177, 67, 26, 24, 'E', false},
    {"preset 6", 177, 93, 23, 24, 'E', false},
    {"group 1", 10, 15, 60, 22, 'E', true},
    {"group 2", 70, 7, 67, 30, 'E', true},
    {"group 3", 137, 15, 60, 22, 'E', true},
    {"display off", 126, 223, 40, 28, 'E', false},
    {"exit", 40, 223, 40, 28, 'E', false},
    {"RDS", 0, 0, 39, 23, 'E', true},
}};

constexpr POINT kAside{120, 155};  // bare skin, away from every widget

class WidgetPlacesTest : public RadioScreenTest {
 protected:
  void SetUp() override {
    RadioScreenTest::SetUp();
    OpenRadio();
    ASSERT_TRUE(coordinator->TunerStarted());
    // The lamps are set by the test alone.
    KillTimer(window, TIMER_STEREO);
    KillTimer(window, TIMER_RDS_PRESENCE);
  }

  const artwork::Bitmap& Skin(char which) const { return which == 'P' ? p_ : which == 'E' ? e_ : u_; }

  // The place shows its own rectangle of the picture...
  ::testing::AssertionResult ShowsPicture(const Place& p, char which) const {
    const artwork::Bitmap& skin = Skin(which);
    for (int y = p.y; y < p.y + p.height; ++y)
      for (int x = p.x; x < p.x + p.width; ++x)
        if (Client(x, y) != skin.At(x, y))
          return ::testing::AssertionFailure() << p.name << " at " << x << "," << y << " is not BK_" << which;
    return ::testing::AssertionSuccess();
  }
  // ...and the one-pixel ring around it is as it was before.
  ::testing::AssertionResult RingAsBefore(const Place& p, const std::vector<std::uint32_t>& before) const {
    for (int y = p.y - 1; y <= p.y + p.height; ++y)
      for (int x = p.x - 1; x <= p.x + p.width; ++x) {
        const bool inside = x >= p.x && x < p.x + p.width && y >= p.y && y < p.y + p.height;
        if (inside || x < 0 || y < 0) continue;
        if (Client(x, y) != before[std::size_t(y * MainWindow::kSkinWidth + x)])
          return ::testing::AssertionFailure() << p.name << " drew outside its place at " << x << "," << y;
      }
    return ::testing::AssertionSuccess();
  }

  artwork::Bitmap u_{host::DefaultArtworkDir() / "BK_U.bmp"};
  artwork::Bitmap p_{host::DefaultArtworkDir() / "BK_P.bmp"};
  artwork::Bitmap e_{host::DefaultArtworkDir() / "BK_E.bmp"};
};

TEST_F(WidgetPlacesTest, EachWidgetTakesThePenOnItsPlaceAndShowsItsOwnRectangleOfItsPicture) {
  ASSERT_TRUE(u_.Loaded() && p_.Loaded() && e_.Loaded());
  Screen& s = *screen;
  const std::array<Widget*, 18> widgets = {
      &s.tuneUp,           &s.tuneDown,         &s.muteToggle,       &s.stereoIndicator,  &s.audioOutputToggle,
      &s.searchModeToggle, &s.presetButtons[0], &s.presetButtons[1], &s.presetButtons[2], &s.presetButtons[3],
      &s.presetButtons[4], &s.presetButtons[5], &s.groupToggles[0],  &s.groupToggles[1],  &s.groupToggles[2],
      &s.displayOffButton, &s.exitButton,       &s.rdsButton};
  for (std::size_t i = 0; i < kPlaces.size(); ++i) {
    const Place& p = kPlaces[i];
    Widget& widget = *widgets[i];
    const std::string name = p.name;
    if (name == "stereo") {  // an indicator, lit by the coordinator only
      const auto before = Frame();
      s.stereoIndicator.SetOn(TRUE);
      EXPECT_TRUE(ShowsPicture(p, 'E'));
      EXPECT_TRUE(RingAsBefore(p, before));
      s.stereoIndicator.SetOn(FALSE);
      EXPECT_TRUE(ShowsPicture(p, 'U'));
      continue;
    }
    if (name == "RDS") s.rdsButton.inputEnabled = TRUE;  // as while RDS data are present

    // Its corner pixels take the pen and show the pressed look, and
    // nothing else on the screen around it changes; the pen is lifted
    // elsewhere, so nothing is done. (These two corners lie in no other
    // widget: the RDS button's lower right one is group 1's too.)
    const int right = p.x + p.width - 1, bottom = p.y + p.height - 1;
    for (POINT at : {POINT{right, p.y}, POINT{p.x, bottom}}) {
      const auto before = Frame();
      PenDown(at.x, at.y);
      EXPECT_EQ(widget.State(), Widget::Pressed) << p.name << " at " << at.x << "," << at.y;
      EXPECT_TRUE(ShowsPicture(p, p.pressed));
      EXPECT_TRUE(RingAsBefore(p, before));
      PenUp(kAside.x, kAside.y);
    }
    // The pixels just outside them do not.
    for (POINT at : {POINT{right + 1, p.y}, POINT{right, p.y - 1}, POINT{p.x - 1, bottom}, POINT{p.x, bottom + 1}}) {
      if (at.x < 0 || at.y < 0) continue;
      PenDown(at.x, at.y);
      EXPECT_NE(widget.State(), Widget::Pressed) << p.name << " taken at " << at.x << "," << at.y;
      PenUp(kAside.x, kAside.y);
    }
    if (!p.toggle || name == "RDS") {
      EXPECT_TRUE(ShowsPicture(p, 'U'));
      continue;
    }
    // A tap lights a toggle; the next puts it out (one group stays on).
    const int cx = p.x + p.width / 2, cy = p.y + p.height / 2;
    Tap(cx, cy);
    EXPECT_TRUE(ShowsPicture(p, 'E')) << "on";
    if (name.starts_with("group")) continue;
    Tap(cx, cy);
    EXPECT_TRUE(ShowsPicture(p, 'U')) << "off again";
  }

  // The RDS button lit as the presence tick lights it.
  const Place& rds = kPlaces.back();
  const auto before = Frame();
  s.rdsButton.SetOn(TRUE);
  EXPECT_TRUE(ShowsPicture(rds, 'E'));
  EXPECT_TRUE(RingAsBefore(rds, before));
}

}  // namespace
