// A screen of its own for each GDI test, windows that exist only as far as
// the device contexts can tell, and small pictures to draw with.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "platform/gdi/WindowArea.h"
#include "tests/support/Devices.h"
#include "windows.h"

namespace gditest {

class GdiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    IsWindow(nullptr);  // the window manager is up and has put in its provider
    previous_ = ce::SetWindowAreaProvider([this](HWND w) {
      auto it = windows.find(w);
      return it == windows.end() ? ce::WindowArea{} : it->second;
    });
  }
  void TearDown() override {
    ce::SetWindowAreaProvider(std::move(previous_));
  }

  // A window whose client area is at (x, y) on the screen, w x h, visible
  // in the given screen rectangles (all of it when none are given).
  HWND AddWindow(int x, int y, int w, int h, std::vector<RECT> visible = {}) {
    HWND hwnd = reinterpret_cast<HWND>(std::uintptr_t(0x100 + 4 * windows.size()));
    ce::WindowArea area;
    area.alive = true;
    area.clientOrigin = {x, y};
    area.client = {0, 0, w, h};
    area.visible = visible.empty() ? std::vector<RECT>{RECT{x, y, x + w, y + h}} : visible;
    windows[hwnd] = area;
    return hwnd;
  }

  std::uint32_t Screen(int x, int y) const { return panel.pixels()[y * hw::Panel::kWidth + x]; }

  // A top-down 32-bit DIB section selected into a new memory DC.
 public:
  struct Dib {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    std::uint32_t* bits = nullptr;
    int width = 0;
    std::uint32_t& at(int x, int y) { return bits[y * width + x]; }
  };

 protected:
  Dib MakeDib32(int w, int h, std::uint32_t fill) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    Dib d;
    void* bits = nullptr;
    d.bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    EXPECT_NE(d.bitmap, nullptr);
    d.bits = static_cast<std::uint32_t*>(bits);
    d.width = w;
    for (int i = 0; i < w * h; ++i) d.bits[i] = fill;
    d.dc = CreateCompatibleDC(nullptr);
    SelectObject(d.dc, d.bitmap);
    return d;
  }
  void Free(Dib& d) {
    DeleteDC(d.dc);
    DeleteObject(d.bitmap);
  }

  TestDevices devices;
  hw::Panel& panel = devices.panel;
  // A test that changes these while a window's context is out says so
  // with ce::WindowAreasChanged, as the window manager does.
  std::map<HWND, ce::WindowArea> windows;

 private:
  ce::WindowAreaProvider previous_;
};

}  // namespace gditest
