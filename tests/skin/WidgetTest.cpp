// The widget's pen state machine and its drawing from the three skin
// surfaces, on the real screen.
#include <string>
#include <vector>

#include "SkinFixture.h"
#include "Widget.h"

namespace {

using skintest::SkinTest;

constexpr std::uint32_t kNormal = 0x203040, kPressed = 0x806020, kOn = 0x20C060;

// A widget that writes down which of its operations ran, and the state
// it saw at that moment.
class RecordingWidget : public Widget {
 public:
  void OnRepeat() override { log.push_back("repeat"); }
  void OnHold() override { log.push_back("hold"); }
  void OnPress() override { log.push_back("press:" + std::to_string(State())); }
  void OnActivate() override { log.push_back("activate:" + std::to_string(State()) + (IsOn() ? "/on" : "/off")); }
  std::vector<std::string> log;
};

class WidgetTest : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    normal = Surface(kNormal);
    pressed = Surface(kPressed);
    on = Surface(kOn);
  }
  void TearDown() override {
    for (auto& [dc, bitmap] : made) {
      DeleteDC(dc);
      DeleteObject(bitmap);
    }
    SkinTest::TearDown();
  }
  HDC Surface(std::uint32_t colour) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(GetDC(window), 240, 268);
    SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(RGB(colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF));
    RECT all{0, 0, 240, 268};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    made.push_back({dc, bitmap});
    return dc;
  }
  // A button at (40, 170) 40 x 28, or a toggle when on is given.
  void Place(RecordingWidget& w, bool toggle) {
    w.Layout(window, 40, 170, normal, 40, 170, 40, 28, pressed, toggle ? on : nullptr);
  }

  HDC normal = nullptr, pressed = nullptr, on = nullptr;
  std::vector<std::pair<HDC, HBITMAP>> made;
};

TEST_F(WidgetTest, PushButtonActsOnlyWhenLiftedInsideAndDrawsEachState) {
  RecordingWidget button;
  Place(button, false);
  EXPECT_FALSE(button.IsToggle());
  button.Paint();
  EXPECT_EQ(Client(40, 170), kNormal);
  EXPECT_EQ(Client(79, 197), kNormal);
  EXPECT_NE(Client(80, 170), kNormal);  // right and bottom lie outside
  EXPECT_NE(Client(40, 198), kNormal);

  EXPECT_EQ(button.HandlePen(39, 180, Widget::PenDown), 0);
  EXPECT_EQ(button.HandlePen(50, 180, Widget::PenDown), 1);
  EXPECT_EQ(GetCapture(), window);
  EXPECT_EQ(Client(50, 180), kPressed);
  EXPECT_EQ(button.HandlePen(60, 190, Widget::PenUp), 1);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Client(50, 180), kNormal);
  // OnPress runs before the pressed look is drawn; OnActivate sees Normal.
  EXPECT_EQ(button.log, (std::vector<std::string>{"press:2", "activate:1/off"}));

  // Down, slide off, lift: back to normal, no action.
  button.log.clear();
  button.HandlePen(50, 180, Widget::PenDown);
  EXPECT_EQ(button.HandlePen(200, 30, Widget::PenUp), 1);
  EXPECT_EQ(button.State(), Widget::Normal);
  EXPECT_EQ(button.log, (std::vector<std::string>{"press:2"}));

  // A pen-up that did not start here is not ours; SetOn does nothing.
  EXPECT_EQ(button.HandlePen(50, 180, Widget::PenUp), 0);
  button.SetOn(TRUE);
  EXPECT_FALSE(button.IsOn());
  EXPECT_EQ(button.State(), Widget::Normal);
}

TEST_F(WidgetTest, ToggleFlipsOnlyWhenLiftedInsideAndIgnoresForeignPenUps) {
  RecordingWidget toggle;
  Place(toggle, true);
  EXPECT_TRUE(toggle.IsToggle());

  toggle.HandlePen(50, 180, Widget::PenDown);
  toggle.HandlePen(50, 180, Widget::PenUp);
  EXPECT_TRUE(toggle.IsOn());
  EXPECT_EQ(toggle.State(), Widget::On);
  EXPECT_EQ(Client(50, 180), kOn);
  EXPECT_EQ(toggle.log.back(), "activate:3/on");

  // On, down, slide off, lift: stays on without acting.
  toggle.log.clear();
  toggle.HandlePen(50, 180, Widget::PenDown);
  toggle.HandlePen(0, 0, Widget::PenUp);
  EXPECT_TRUE(toggle.IsOn());
  EXPECT_EQ(Client(50, 180), kOn);
  EXPECT_EQ(toggle.log, (std::vector<std::string>{"press:2"}));

  // A pen-up over a toggle that is on but got no pen-down: ignored.
  EXPECT_EQ(toggle.HandlePen(50, 180, Widget::PenUp), 0);
  EXPECT_TRUE(toggle.IsOn());

  // Switched off inside: OnActivate sees it off already.
  toggle.log.clear();
  toggle.HandlePen(50, 180, Widget::PenDown);
  toggle.HandlePen(50, 180, Widget::PenUp);
  EXPECT_FALSE(toggle.IsOn());
  EXPECT_EQ(toggle.log.back(), "activate:1/off");
  EXPECT_EQ(Client(50, 180), kNormal);

  // Off, down, slide off, lift: stays off.
  toggle.HandlePen(50, 180, Widget::PenDown);
  toggle.HandlePen(0, 0, Widget::PenUp);
  EXPECT_FALSE(toggle.IsOn());

  toggle.SetOn(5);
  EXPECT_EQ(toggle.IsOn(), TRUE);
  EXPECT_EQ(toggle.State(), Widget::On);
}

TEST_F(WidgetTest, DisabledInputHoldRepeatAndBadStatesChangeNothing) {
  RecordingWidget w;
  Place(w, true);
  w.Paint();
  w.inputEnabled = FALSE;
  EXPECT_EQ(w.HandlePen(50, 180, Widget::PenDown), 1);  // swallowed
  EXPECT_EQ(w.State(), Widget::Normal);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(w.log.empty());

  w.HoldAt(50, 180);
  w.HoldAt(80, 180);
  w.RepeatAt(50, 180);
  w.repeatEnabled = FALSE;
  w.RepeatAt(50, 180);
  w.HoldAt(41, 171);  // hold does not look at repeatEnabled
  EXPECT_EQ(w.log, (std::vector<std::string>{"hold", "repeat", "hold"}));

  // A state outside 1..3 paints nothing: the old picture stays.
  w.SetState(7, TRUE);
  EXPECT_EQ(Client(50, 180), kNormal);

  // Not laid out: painting draws nothing.
  RecordingWidget loose;
  loose.Paint();
  EXPECT_EQ(loose.HandlePen(0, 0, Widget::PenDown), 0);  // its empty rectangle contains no point
}

}  // namespace
