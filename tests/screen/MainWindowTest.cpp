// The main window's message handling seen from outside: the window events
// that switch a dark display back on, Ctrl+Q's command waking it before
// the radio closes, the idle timer kept from the handheld only while the
// radio is in front, the volume keys, the timers and commands outside the
// window's tables, and the RDS button and menu item following the radio
// device's reception count.
#include "OndrelIds.h"
#include "RadioScreenFixture.h"
#include "WindowTimers.h"
#include "aygshell.h"
#include "platform/shell/Power.h"

namespace {

using screentest::RadioScreenTest;

class MainWindowTest : public RadioScreenTest {
 protected:
  void SetUp() override {
    RadioScreenTest::SetUp();
    OpenRadio();
    ASSERT_TRUE(coordinator->TunerStarted());
  }
  // Switches the display off as its button does, without the pen.
  void DisplayOff() {
    screen->displayOffButton.OnActivate();
    ASSERT_FALSE(panel().backlight());
  }
  // Another window in front of the radio.
  HWND WindowInFront() {
    HWND other = CreateWindowExW(0, u"STATIC", u"", WS_POPUP | WS_VISIBLE, 200, 0, 20, 20, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(other);
    RunFor(1);
    EXPECT_EQ(GetForegroundWindow(), other);
    return other;
  }
  HMENU MenuPopup() const {
    HWND bar = FindWindowW(u"MenuBar", nullptr);
    return GetSubMenu(reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETMENU, 0, 0)), 0);
  }
};

TEST_F(MainWindowTest, WindowEventsSwitchTheDarkDisplayBackOn) {
  struct Event {
    const char* name;
    UINT message;
    WPARAM wParam;
  };
  for (const Event& e : {Event{"WM_SETTINGCHANGE", WM_SETTINGCHANGE, 0}, Event{"WM_CANCELMODE", WM_CANCELMODE, 0},
                         Event{"WM_WINDOWPOSCHANGED", WM_WINDOWPOSCHANGED, 0},
                         Event{"WM_ACTIVATE inactive", WM_ACTIVATE, WA_INACTIVE}}) {
    DisplayOff();
    EXPECT_EQ(SendMessageW(window, e.message, e.wParam, 0), 0) << e.name;
    EXPECT_TRUE(panel().backlight()) << e.name;
    EXPECT_FALSE(screen->displayOffFlag) << e.name;
  }
  // Becoming active is no reason.
  DisplayOff();
  SendMessageW(window, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_FALSE(panel().backlight());
}

// With another window in front, closing the radio does not deactivate it
// (so nothing else wakes the display): "Exit" leaves the display dark,
// the ok command of Ctrl+Q switches it on first.
TEST_F(MainWindowTest, TheOkCommandWakesTheDisplayBeforeClosingAndExitDoesNot) {
  HWND other = WindowInFront();
  DisplayOff();
  SendMessageW(window, WM_COMMAND, IDM_EXIT, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(panel().backlight());
  DestroyWindow(other);

  OpenRadio();
  other = WindowInFront();
  DisplayOff();
  SendMessageW(window, WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(panel().backlight());
  DestroyWindow(other);
}

TEST_F(MainWindowTest, TheIdleTimerIsResetEveryTenSecondsOnlyWhileTheRadioIsInFront) {
  const std::uint64_t start = ce::IdleTimer().resets;
  RunFor(10000);
  const std::uint64_t inFront = ce::IdleTimer().resets;
  EXPECT_EQ(inFront, start + 1);

  // Ten and a half seconds in the About box: its ok is tapped at the end.
  TapsLater({{225, 13}}, 10500);
  const std::uint64_t opened = Now();
  SendMessageW(window, WM_COMMAND, IDM_ABOUT, 0);
  ASSERT_GE(Now(), opened + 10500) << "the About box did not stay";
  EXPECT_EQ(ce::IdleTimer().resets, inFront) << "reset while the dialog was in front";

  RunFor(10000);
  EXPECT_EQ(ce::IdleTimer().resets, inFront + 1);
}

TEST_F(MainWindowTest, TheUpAndDownKeysMoveTheVolumeAndOtherTimersAndCommandsChangeNothing) {
  ASSERT_EQ(screen->volumeSlider.GetPos(), 45);
  Key(hw::KeyCode::Up);
  EXPECT_EQ(screen->volumeSlider.GetPos(), 46);
  const int steps = Card().volume;
  for (int i = 0; i < 10; ++i) Key(hw::KeyCode::Down);
  EXPECT_EQ(screen->volumeSlider.GetPos(), 36);
  EXPECT_LT(Card().volume, steps) << "the card stepped down";

  const std::vector<std::uint32_t> frame = Frame();
  MarkTrace();
  for (WPARAM timer : {0, 9}) EXPECT_EQ(SendMessageW(window, WM_TIMER, timer, 0), 0);
  for (WPARAM command : {WPARAM{IDCANCEL}, WPARAM{40002}, WPARAM{40007}})
    EXPECT_EQ(SendMessageW(window, WM_COMMAND, command, 0), 0);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(GetForegroundWindow(), window) << "no dialog came up";
  EXPECT_EQ(TraceLines().size(), traceMark) << "the card was asked something";
  EXPECT_EQ(Frame(), frame);
}

TEST_F(MainWindowTest, TheRdsButtonAndMenuItemFollowTheDevicesReceptionCount) {
  KillTimer(window, TIMER_RDS_PRESENCE);  // the test sends the ticks
  HMENU popup = MenuPopup();
  ASSERT_EQ(GetMenuItemCount(popup), 3);
  auto presenceTick = [&] { SendMessageW(window, WM_TIMER, TIMER_RDS_PRESENCE, 0); };

  // More than 500 polls with reception: lit, tappable, "RDS" first in
  // the menu, once however often the tick finds it.
  screen->radio.rdsCount = 501;
  presenceTick();
  presenceTick();
  EXPECT_TRUE(screen->rdsButton.IsOn());
  EXPECT_TRUE(Shows(screen->rdsButton, screen->skin.E()));
  ASSERT_EQ(GetMenuItemCount(popup), 4);
  EXPECT_EQ(GetMenuItemID(popup, 0), UINT{IDM_RDS});
  WCHAR text[8] = {};
  GetMenuStringW(popup, 0, text, 8, MF_BYPOSITION);
  EXPECT_EQ(std::u16string(text), u"RDS");
  EXPECT_EQ(GetMenuItemID(popup, 1), UINT{IDM_SETTING});
  Tap(4, 4);
  EXPECT_TRUE(IsWindowVisible(screen->rdsText.textWindow));
  Tap(4, 4);
  EXPECT_FALSE(IsWindowVisible(screen->rdsText.textWindow));
  // The menu item shows and hides the text window.
  SendMessageW(window, WM_COMMAND, IDM_RDS, 0);
  EXPECT_TRUE(IsWindowVisible(screen->rdsText.textWindow));
  SendMessageW(window, WM_COMMAND, IDM_RDS, 0);
  EXPECT_FALSE(IsWindowVisible(screen->rdsText.textWindow));

  // 500 is not enough: dark, deaf to the pen, the item gone.
  screen->radio.rdsCount = 500;
  presenceTick();
  EXPECT_FALSE(screen->rdsButton.IsOn());
  EXPECT_TRUE(Shows(screen->rdsButton, screen->skin.U()));
  EXPECT_EQ(GetMenuItemCount(popup), 3);
  EXPECT_EQ(GetMenuItemID(popup, 0), UINT{IDM_SETTING});
  Tap(4, 4);
  EXPECT_FALSE(IsWindowVisible(screen->rdsText.textWindow));
  EXPECT_EQ(screen->rdsButton.State(), Widget::Normal);
}

}  // namespace
