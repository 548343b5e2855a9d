// What the menu, menu bar and message box tests share: the test module
// that carries the test resource script (menu 102: one pop-up "Menu" with
// "&About...", a separator, the pop-up "Audio" and "E&xit"), and counting
// pixels on the panel.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "hardware/display/Panel.h"
#include "platform/kernel/Devices.h"
#include "platform/kernel/ProgramLoader.h"
#include "windows.h"

namespace menutest {

// Loaded on first use, for the rest of the test program.
inline HINSTANCE ResourceModule() {
  static std::optional<ce::Module> module = [] {
    std::string error;
    auto loaded = ce::Module::Load(RESOURCE_MODULE_PATH, ce::ModuleKind::Library, error);
    EXPECT_TRUE(loaded.has_value()) << error;
    return loaded;
  }();
  return module ? module->Instance() : nullptr;
}

// Pixels of a screen rectangle that match: exactly a colour, or ink
// (text is smoothed: every pixel darker than mid-grey).
template <class Match>
int CountOnPanel(const RECT& r, Match match) {
  hw::Panel& panel = *ce::Attached::Panel();
  std::lock_guard lock(panel.mutex());
  int count = 0;
  for (LONG y = r.top; y < r.bottom; ++y)
    for (LONG x = r.left; x < r.right; ++x) count += match(panel.pixels()[y * hw::Panel::kWidth + x]) ? 1 : 0;
  return count;
}
inline int CountPixels(const RECT& r, std::uint32_t rgb) {
  return CountOnPanel(r, [rgb](std::uint32_t p) { return p == rgb; });
}
inline int CountInk(const RECT& r) {
  return CountOnPanel(r, [](std::uint32_t p) {
    return ((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60;
  });
}

}  // namespace menutest
