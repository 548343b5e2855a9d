// The platform works on the devices it is lent and on nothing else: what
// is not attached fails as missing hardware would, and a boot that forgot
// the clock is told so at once.
#include <gtest/gtest.h>

#include "platform/devmgr/AttachDevices.h"
#include "platform/sdbus/SdBus.h"
#include "tests/support/Devices.h"
#include "windows.h"

namespace {

// Fills the screen black and asks whether the display can switch its
// backlight; the results of both calls.
struct ScreenAnswers {
  int filled;
  int escape;
};
ScreenAnswers UseTheScreen() {
  HDC screen = GetDC(nullptr);
  RECT all{0, 0, 240, 320};
  const int filled = FillRect(screen, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  const DWORD asked = SETPOWERMANAGEMENT;
  const int escape = ExtEscape(screen, QUERYESCSUPPORT, sizeof asked, reinterpret_cast<LPCSTR>(&asked), 0, nullptr);
  ReleaseDC(nullptr, screen);
  return {filled, escape};
}

TEST(DevicesTest, WhatIsNotAttachedFailsAsWithoutThatHardwareAndWorksOnceItIs) {
  {
    hw::Clock clock(hw::Clock::Mode::Virtual);
    ce::AttachDevices({.clock = &clock});
    const ScreenAnswers answers = UseTheScreen();
    EXPECT_EQ(answers.filled, 0) << "no panel to draw on";
    EXPECT_EQ(answers.escape, -1);
    SetLastError(0);
    EXPECT_FALSE(PlaySoundW(nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "without pen and keys, no input";
    EXPECT_EQ(ce::Attached::Bus(), nullptr);
    ce::DetachDevices();
  }
  TestDevices devices({.sdSlot = true});
  const ScreenAnswers answers = UseTheScreen();
  EXPECT_NE(answers.filled, 0);
  EXPECT_EQ(answers.escape, 1);
  EXPECT_EQ(devices.panel.pixels()[0], 0u);
  EXPECT_TRUE(PlaySoundW(nullptr, nullptr, 0));
  ASSERT_NE(ce::Attached::Bus(), nullptr);
  EXPECT_EQ(&ce::Attached::Bus()->host(), &*devices.sdHost);
}

// A window that outlives the handheld's devices keeps no timer on the
// clock that went with them.
TEST(DevicesTest, TimersGoWithTheClockTheyRanOn) {
  HWND window = nullptr;
  {
    TestDevices first;
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"Outliving";
    ASSERT_NE(RegisterClassW(&wc), 0);
    window = CreateWindowExW(0, u"Outliving", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(SetTimer(window, 7, 100, nullptr), 7u);
  }
  TestDevices second;
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(KillTimer(window, 7)) << "the timer went with its clock";
  EXPECT_EQ(SetTimer(window, 7, 100, nullptr), 7u) << "and can be set again on the new one";
  second.clock.AdvanceTo(100'000);
  ASSERT_TRUE(PeekMessageW(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  DestroyWindow(window);
  UnregisterClassW(u"Outliving", nullptr);
}

TEST(DevicesDeathTest, ABootWithoutAClockIsToldSo) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(Sleep(1), "the clock was needed before the handheld's devices were attached");
  hw::Panel panel;
  EXPECT_DEATH(ce::AttachDevices({.panel = &panel}), "attached without a clock");
  TestDevices devices;
  EXPECT_DEATH(ce::AttachDevices({.clock = &devices.clock}), "attached twice");
}

}  // namespace
