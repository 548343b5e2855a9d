#include <gtest/gtest.h>

#include "hardware/cards/Scene.h"

namespace {

using hw::Scene;

TEST(Scene, DefaultSceneCoversBothBandsAndTheEdgeCases) {
  const Scene scene = Scene::Default();
  const auto& stations = scene.stations();
  int europe = 0, japanOnly = 0, weakMono = 0, strongStereo = 0, weakStereo = 0;
  bool low = false, high = false, pair = false;
  for (std::size_t i = 0; i < stations.size(); ++i) {
    const auto& s = stations[i];
    if (s.hz >= 87'500'000 && s.hz <= 108'000'000) ++europe;
    if (s.hz >= 76'000'000 && s.hz < 87'500'000) ++japanOnly;
    if (!s.stereo && s.level < 7) ++weakMono;
    if (s.stereo && s.level >= 12) ++strongStereo;
    if (s.stereo && s.level < 7) ++weakStereo;
    low |= s.hz == 87'500'000;
    high |= s.hz == 108'000'000;
    if (i > 0) pair |= s.hz - stations[i - 1].hz == 200'000;
  }
  EXPECT_GE(europe, 14);
  EXPECT_GE(japanOnly, 4);
  EXPECT_GE(weakMono, 1);
  EXPECT_GE(strongStereo, 1);
  EXPECT_GE(weakStereo, 1);
  EXPECT_TRUE(low && high && pair);
  // A station beside a strong one, and a strong one whose low-side image
  // (450 kHz up) falls on another station's channel.
  bool beside = false, ghost = false;
  for (const auto& a : stations)
    for (const auto& b : stations) {
      beside |= a.level >= 14 && b.hz - a.hz == 100'000;
      ghost |= a.level >= 14 && b.hz - a.hz == 450'000;
    }
  EXPECT_TRUE(beside && ghost);
}

}  // namespace
