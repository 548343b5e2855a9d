#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

TEST(Scene, ParsesStationsCommentsAndNames) {
  std::string error;
  auto scene = Scene::Parse("# my town\n\n  95.0 15 stereo City FM  # loud\n88.05 3 mono\n", "town.scene", error);
  ASSERT_TRUE(scene) << error;
  ASSERT_EQ(scene->stations().size(), 2u);
  EXPECT_EQ(scene->stations()[0].hz, 88'050'000);  // kept in frequency order
  EXPECT_EQ(scene->stations()[1].name, "City FM");
  EXPECT_TRUE(scene->stations()[1].stereo);
  EXPECT_EQ(scene->stations()[1].level, 15);
}

TEST(Scene, MalformedLineIsAnErrorNamingFileAndLine) {
  const std::pair<const char*, const char*> bad[] = {
      {"95.0 15\n", "expected FREQ_MHZ"},  {"9x.0 15 stereo\n", "not a number"},
      {"95.0 16 stereo\n", "0..15"},       {"95.0 -1 mono\n", "0..15"},
      {"95.0 5 quad\n", "stereo or mono"}, {"300 5 mono\n", "out of range"},
  };
  for (auto [text, what] : bad) {
    std::string error;
    std::string withGoodFirst = std::string("90.0 5 mono\n") + text;
    EXPECT_FALSE(Scene::Parse(withGoodFirst, "x.scene", error));
    EXPECT_NE(error.find("x.scene:2: "), std::string::npos) << error;
    EXPECT_NE(error.find(what), std::string::npos) << error;
  }
  // A programme file that is not there, or not sound, names the line and
  // the file, with the path taken from the scene's folder.
  const auto dir = std::filesystem::temp_directory_path() / "ondrel-scene-audio";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "notes.txt") << "not a sound\n";
  const std::pair<const char*, const char*> badAudio[] = {
      {"95.0 5 mono audio=missing.wav Gone\n", "missing.wav does not exist"},
      {"95.0 5 mono audio=notes.txt Text\n", "notes.txt cannot be read"},
      {"95.0 5 mono audio= Empty\n", "audio= needs the path"},
  };
  for (auto [text, what] : badAudio) {
    std::string error;
    EXPECT_FALSE(Scene::Parse(std::string("90.0 5 mono\n") + text, "x.scene", error, dir));
    EXPECT_NE(error.find("x.scene:2: "), std::string::npos) << error;
    EXPECT_NE(error.find(what), std::string::npos) << error;
    if (std::string(what).find('.') != std::string::npos) {
      EXPECT_NE(error.find(dir.string()), std::string::npos) << error;
    }
  }
  std::filesystem::remove_all(dir);
  std::string error;
  EXPECT_FALSE(Scene::Load("/nonexistent/dir/x.scene", error));
  EXPECT_NE(error.find("/nonexistent/dir/x.scene"), std::string::npos);
}

}  // namespace
