// Pictures of what a test drew, to look at by hand: with ONDREL_TEST_SHOTS
// naming a folder, the panel is saved there as a PNG; without it, nothing
// is written.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "hardware/display/Panel.h"
#include "host/Screenshot.h"

namespace testsupport {

// Writes the panel to $ONDREL_TEST_SHOTS/<file> (e.g. "menu.png").
inline void SaveShot(const hw::Panel& panel, std::string_view file) {
  const char* folder = std::getenv("ONDREL_TEST_SHOTS");
  if (!folder || !*folder) return;
  std::filesystem::create_directories(folder);
  EXPECT_EQ(host::WriteScreenshot(panel, std::filesystem::path(folder) / file), "");
}

}  // namespace testsupport
