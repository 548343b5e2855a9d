#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/support/HostRun.h"
#include "tests/support/ScratchFolder.h"

namespace {

class CardHostTest : public ::testing::Test {
 protected:
  std::filesystem::path Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return dir_ / name;
  }
  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--headless", "--root", (dir_ / "root").string()});
    return hosttest::RunHost(args, out_, err_);
  }
  std::vector<nlohmann::json> Dumps() const {
    std::vector<nlohmann::json> dumps;
    std::istringstream lines(out_.str());
    for (std::string line; std::getline(lines, line);) dumps.push_back(nlohmann::json::parse(line));
    return dumps;
  }

  testsupport::ScratchFolder scratch_{"ondrel-cardhost"};
  const std::filesystem::path& dir_ = scratch_.path();
  std::ostringstream out_, err_;
};

TEST_F(CardHostTest, BootPutsTheLoadTimeImageOnTheCardAndTheDumpShowsItInStandby) {
  auto script = Write("s.txt", "wait 200\ndump\n");
  auto trace = dir_ / "bus.trace";
  ASSERT_EQ(Run({"--trace", trace.string(), "--script", script.string()}), 0) << err_.str();
  std::ifstream in(trace);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "t=0 CMD53 W fn=1 reg=0x66 00 00 00 40 00 00 00 00 status=0 arg=0x9400CC08");
  auto dumps = Dumps();
  ASSERT_EQ(dumps.size(), 1u);
  const auto& card = dumps[0]["card"];
  EXPECT_EQ(card["present"], true);
  EXPECT_EQ(card["standby"], true);
  EXPECT_EQ(card["volume_step"], 8);
  EXPECT_EQ(card["switches"], 0);
  for (const char* field : {"khz", "pll", "high_side", "mute", "mono", "searching"}) EXPECT_TRUE(card.contains(field));
}

TEST_F(CardHostTest, CardComesAndGoesWithTheScriptAndTheOption) {
  auto script = Write("s.txt", "dump\ncard remove\ndump\ncard insert\ndump\n");
  auto trace = dir_ / "bus.trace";
  ASSERT_EQ(Run({"--trace", trace.string(), "--script", script.string()}), 0) << err_.str();
  auto dumps = Dumps();
  ASSERT_EQ(dumps.size(), 3u);
  EXPECT_EQ(dumps[0]["card"]["present"], true);
  EXPECT_EQ(dumps[1]["card"], nlohmann::json({{"present", false}}));
  EXPECT_EQ(dumps[2]["card"]["present"], true);
  std::ifstream in(trace);
  int images = 0;
  for (std::string line; std::getline(in, line);) images += line.find("00 00 00 40 00 00 00 00") != std::string::npos;
  EXPECT_EQ(images, 2);  // the driver was loaded again and set the chip up again

  auto noCard = Write("n.txt", "dump\ncard remove\n");
  EXPECT_NE(Run({"--no-card", "--script", noCard.string()}), 0);
  EXPECT_EQ(Dumps()[0]["card"], nlohmann::json({{"present", false}}));
  EXPECT_NE(err_.str().find("line 2: the slot is already empty"), std::string::npos) << err_.str();
  auto twice = Write("i.txt", "card insert\n");
  EXPECT_NE(Run({"--script", twice.string()}), 0);
  EXPECT_NE(err_.str().find("line 1: the tuner card is already in the slot"), std::string::npos) << err_.str();
}

TEST_F(CardHostTest, SceneFileIsUsedAndAMalformedOneIsRefusedNamingTheLine) {
  auto script = Write("s.txt", "dump\n");
  auto good = Write("good.scene", "# one station\n95.0 15 stereo City FM\n");
  EXPECT_EQ(Run({"--scene", good.string(), "--script", script.string()}), 0) << err_.str();
  auto bad = Write("bad.scene", "95.0 15 stereo City FM\n96.0 loud stereo\n");
  EXPECT_NE(Run({"--scene", bad.string(), "--script", script.string()}), 0);
  EXPECT_NE(err_.str().find(bad.string() + ":2: the level \"loud\""), std::string::npos) << err_.str();
  EXPECT_EQ(out_.str(), "");
}

}  // namespace
