// The skin tests' handheld: a screen, a fresh device root, Ondrel's
// resources as the running program's, and a top-level test window (the
// radio's client area: 240 x 294 at (0, 26)) to draw into.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/ProgramLoader.h"
#include "tests/support/Devices.h"
#include "tests/support/ScratchFolder.h"
#include "windows.h"

namespace skintest {

namespace fs = std::filesystem;

inline constexpr int kClientTop = 26;  // the window's client area on the screen

class SkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ce::SetDeviceRoot(root);
    std::string error;
    module = ce::Module::Load(ONDREL_RESOURCES_MODULE, ce::ModuleKind::Program, error);
    ASSERT_TRUE(module) << error;
    ASSERT_EQ(GetModuleHandleW(nullptr), module->Instance());
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = DefWindowProcW;
      wc.lpszClassName = u"SkinTestWindow";
      RegisterClassW(&wc);
      registered = true;
    }
    window = CreateWindowExW(0, u"SkinTestWindow", u"Skin", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ValidateRect(window, nullptr);
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    module.reset();
    ce::SetDeviceRoot({});
  }

  // A pixel of the window's client area as the screen shows it (0xRRGGBB).
  std::uint32_t Client(int x, int y) const {
    return panel.pixels()[(y + kClientTop) * hw::Panel::kWidth + x] & 0xFFFFFF;
  }
  // A pixel of a memory device context's picture (0xRRGGBB).
  static std::uint32_t Surface(HDC dc, int x, int y) {
    COLORREF c = GetPixel(dc, x, y);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  }
  // Puts an artwork file into the device root (device path, e.g.
  // "Program Files/Veltrane/Windows/BK_U.bmp").
  void Install(const std::string& artworkName, const std::string& devicePath) const {
    fs::path target = root / devicePath;
    fs::create_directories(target.parent_path());
    fs::copy_file(fs::path(ONDREL_ARTWORK_DIR) / artworkName, target, fs::copy_options::overwrite_existing);
  }

  TestDevices devices;
  hw::Panel& panel = devices.panel;
  testsupport::ScratchFolder scratch{"ondrel-skin"};
  const fs::path& root = scratch.path();
  std::optional<ce::Module> module;
  HWND window = nullptr;
};

}  // namespace skintest
