// Scene files as the host reads them for the card: stations, comments and
// names, and a refusal that names the file and the line at fault.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/SceneFile.h"
#include "tests/support/ScratchFolder.h"

namespace {

TEST(SceneFile, ParsesStationsCommentsAndNames) {
  std::string error;
  auto scene = host::ParseScene("# my town\n\n  95.0 15 stereo City FM  # loud\n88.05 3 mono\n", "town.scene", error);
  ASSERT_TRUE(scene) << error;
  ASSERT_EQ(scene->stations().size(), 2u);
  EXPECT_EQ(scene->stations()[0].hz, 88'050'000);  // kept in frequency order
  EXPECT_EQ(scene->stations()[1].name, "City FM");
  EXPECT_TRUE(scene->stations()[1].stereo);
  EXPECT_EQ(scene->stations()[1].level, 15);
}

TEST(SceneFile, MalformedLineIsAnErrorNamingFileAndLine) {
  const std::pair<const char*, const char*> bad[] = {
      {"95.0 15\n", "expected FREQ_MHZ"},  {"9x.0 15 stereo\n", "not a number"},
      {"95.0 16 stereo\n", "0..15"},       {"95.0 -1 mono\n", "0..15"},
      {"95.0 5 quad\n", "stereo or mono"}, {"300 5 mono\n", "out of range"},
  };
  for (auto [text, what] : bad) {
    std::string error;
    std::string withGoodFirst = std::string("90.0 5 mono\n") + text;
    EXPECT_FALSE(host::ParseScene(withGoodFirst, "x.scene", error));
    EXPECT_NE(error.find("x.scene:2: "), std::string::npos) << error;
    EXPECT_NE(error.find(what), std::string::npos) << error;
  }
  // A programme file that is not there, or not sound, names the line and
  // the file, with the path taken from the scene's folder.
  const testsupport::ScratchFolder scratch("ondrel-scene-audio");
  const std::filesystem::path& dir = scratch.path();
  std::ofstream(dir / "notes.txt") << "not a sound\n";
  const std::pair<const char*, const char*> badAudio[] = {
      {"95.0 5 mono audio=missing.wav Gone\n", "missing.wav does not exist"},
      {"95.0 5 mono audio=notes.txt Text\n", "notes.txt cannot be read"},
      {"95.0 5 mono audio= Empty\n", "audio= needs the path"},
  };
  for (auto [text, what] : badAudio) {
    std::string error;
    EXPECT_FALSE(host::ParseScene(std::string("90.0 5 mono\n") + text, "x.scene", error, dir));
    EXPECT_NE(error.find("x.scene:2: "), std::string::npos) << error;
    EXPECT_NE(error.find(what), std::string::npos) << error;
    if (std::string(what).find('.') != std::string::npos) {
      EXPECT_NE(error.find(dir.string()), std::string::npos) << error;
    }
  }
  std::string error;
  EXPECT_FALSE(host::LoadScene("/nonexistent/dir/x.scene", error));
  EXPECT_NE(error.find("/nonexistent/dir/x.scene"), std::string::npos);
}

}  // namespace
