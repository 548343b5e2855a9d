#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "host/Screenshot.h"
#include "host/ReadPng.h"
#include "tests/support/Devices.h"
#include "tests/support/ScratchFolder.h"
#include "windows.h"

namespace {

using testpng::Picture;
using testpng::ReadPng;

class ScreenshotTest : public ::testing::Test {
 protected:
  TestDevices devices;
  hw::Panel& panel = devices.panel;
  testsupport::ScratchFolder scratch{"ondrel-screenshot"};
  const std::filesystem::path& dir = scratch.path();
};

TEST_F(ScreenshotTest, WritesThePanelAsSeenAndDarkWithTheBacklightOff) {
  HDC screen = GetDC(nullptr);
  RECT bar{0, 0, 240, 26};
  FillRect(screen, &bar, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT box{20, 60, 100, 120};
  FillRect(screen, &box, red);
  SetTextColor(screen, RGB(255, 255, 255));
  SetBkMode(screen, TRANSPARENT);
  RECT title{4, 0, 236, 26};
  DrawTextW(screen, u"Europe (87.5-108 MHz)", -1, &title, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  SetTextColor(screen, RGB(0, 0, 128));
  RECT body{10, 140, 230, 300};
  DrawTextW(screen, u"The quick brown fox jumps over the lazy dog. 0123456789", -1, &body, DT_WORDBREAK);
  ReleaseDC(nullptr, screen);
  DeleteObject(red);

  auto file = dir / "screen.png";
  ASSERT_EQ(host::WriteScreenshot(panel, file), "");
  auto picture = ReadPng(file);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 240);
  EXPECT_EQ(picture->height, 320);
  EXPECT_EQ(picture->pixels, panel.Visible());
  EXPECT_EQ(picture->pixels[70 * 240 + 30], 0xFF0000u);
  EXPECT_FALSE(std::filesystem::exists(dir / "screen.png.part"));

  panel.SetBacklight(false);
  ASSERT_EQ(host::WriteScreenshot(panel, dir / "dark.png"), "");
  auto dark = ReadPng(dir / "dark.png");
  ASSERT_TRUE(dark);
  EXPECT_EQ(dark->pixels, std::vector<std::uint32_t>(240 * 320, 0));
}

TEST_F(ScreenshotTest, UnwritablePlaceGivesAnErrorNamingTheFile) {
  auto file = dir / "no-such-folder" / "x.png";
  std::string error = host::WriteScreenshot(panel, file);
  EXPECT_NE(error.find(file.string()), std::string::npos) << error;
  EXPECT_NE(host::WritePng(dir / "y.png", std::vector<std::uint32_t>(3), 2, 2), "");
  EXPECT_FALSE(std::filesystem::exists(dir / "y.png"));
}

}  // namespace
