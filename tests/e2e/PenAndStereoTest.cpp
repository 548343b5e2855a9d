// The whole program headless, for what only shows over seconds of device
// time: a tuning button held down (one step at once, the next after a
// second's hold and then one on every repeat until the pen lifts), and
// the STEREO lamp following what the card receives on its two-second
// check, lit only for a stereo station with the sound on.
#include <fstream>
#include <optional>

#include "OndrelFixture.h"
#include "host/ReadPng.h"

namespace e2e {
namespace {

double Khz(const nlohmann::json& dump) { return dump["card"]["khz"].get<double>(); }
std::uint64_t Ms(const nlohmann::json& dump) { return dump["t"].get<std::uint64_t>(); }

// Times of the writes to the tuner's data register, from a bus trace.
std::vector<std::uint64_t> TunerWriteTimes(const fs::path& trace) {
  std::vector<std::uint64_t> times;
  std::ifstream in(trace);
  for (std::string line; std::getline(in, line);)
    if (line.find(" CMD53 W fn=1 reg=0x66 ") != std::string::npos) times.push_back(std::stoull(line.substr(2)));
  return times;
}

TEST_F(OndrelTest, AHeldTuningButtonStepsAtOnceThenAfterASecondAndOnEveryRepeatUntilLifted) {
  const fs::path trace = dir_ / "trace.txt";
  const std::string up = std::to_string(kTuneUp.x) + " " + std::to_string(kTuneUp.y);
  ASSERT_EQ(Run("wait 500\ndown " + up + "\ndump\nwait 998\ndump\nwait 3000\ndump\nup " + up +
                    "\nwait 2000\ndump\nwait 2000\ndump\n",
                {"--trace", trace.string()}),
            0)
      << err_.str();
  auto dumps = Dumps();
  ASSERT_EQ(dumps.size(), 5u) << out_.str();
  // The pen-down stepped once; the hold timer was armed when it was done.
  EXPECT_EQ(Khz(dumps[0]), 87600.0);
  const std::uint64_t armed = Ms(dumps[0]);
  EXPECT_EQ(Khz(dumps[1]), 87600.0) << "nothing more within the hold";
  // The first repeat steps 1100 ms after the pen-down was handled: the
  // one-second hold, then the first 100 ms repeat tick.
  std::optional<std::uint64_t> firstRepeat;
  for (std::uint64_t t : TunerWriteTimes(trace))
    if (t > armed) {
      firstRepeat = t;
      break;
    }
  ASSERT_TRUE(firstRepeat);
  EXPECT_EQ(*firstRepeat, armed + 1100);
  // Held on, it keeps stepping: each step takes the tuner's injection
  // probes, under a second, and the repeat starts the next one at once.
  EXPECT_GE(Khz(dumps[2]), 87800.0);
  // Lifted: the step under way ends and no other follows.
  EXPECT_GE(Khz(dumps[3]), Khz(dumps[2]));
  EXPECT_EQ(Khz(dumps[4]), Khz(dumps[3]));
  EXPECT_LE(Khz(dumps[3]), Khz(dumps[2]) + 100.0);
}

// The right arrow held for three seconds: a step at the press, then the
// keypad's repeats (the first half a second later) step on as fast as a
// step is done. The repeats that come during a step wait as one, so after
// the release there is the step under way and at most one more, not one
// for every repeat.
TEST_F(OndrelTest, AHeldArrowKeyStepsOnItsRepeatsAndStopsSoonAfterTheRelease) {
  const fs::path trace = dir_ / "trace.txt";
  ASSERT_EQ(Run("wait 500\ndump\nkey RIGHT 3000\ndump\nwait 5000\ndump\n", {"--trace", trace.string()}), 0)
      << err_.str();
  auto dumps = Dumps();
  ASSERT_EQ(dumps.size(), 3u) << out_.str();
  const std::uint64_t pressed = Ms(dumps[0]);
  const std::uint64_t released = pressed + 3000;
  std::vector<std::uint64_t> writes;
  for (std::uint64_t t : TunerWriteTimes(trace))
    if (t >= pressed && t < Ms(dumps[2])) writes.push_back(t);
  ASSERT_FALSE(writes.empty());
  EXPECT_EQ(writes.front(), pressed) << "a step at the press";
  // A step, with the tuner's probes, takes most of a second.
  EXPECT_GE(Khz(dumps[1]) - 87500.0, 4 * 100.0) << "the repeats stepped on";
  EXPECT_LE(writes.back(), released + 2 * 1000) << "tuning went on after the release";
  EXPECT_EQ(Khz(dumps[2]), Khz(dumps[1]));
}

// The lamp's rows on the screen: client (72, 47), 62 x 12, below the
// 26-row status bar.
std::vector<std::uint32_t> StereoLamp(const fs::path& shot) {
  auto picture = testpng::ReadPng(shot);
  EXPECT_TRUE(picture) << shot;
  std::vector<std::uint32_t> rows;
  if (!picture) return rows;
  for (int y = 47 + 26; y < 47 + 26 + 12; ++y)
    for (int x = 72; x < 72 + 62; ++x) rows.push_back(picture->At(x, y));
  return rows;
}

TEST_F(OndrelTest, TheStereoLampFollowsTheCardOnItsCheckAndIsDarkWhileMuted) {
  std::ofstream(dir_ / "two.scene") << "87.7 14 stereo Stereo FM\n88.1 14 mono Talk Radio\n";
  auto shot = [&](const std::string& name) { return "wait 2100\nshot " + Shot(name).string() + "\ndump\n"; };
  ASSERT_EQ(Run(shot("empty.png") + "key RIGHT\nkey RIGHT\n" + shot("stereo.png") +
                    "key RIGHT\nkey RIGHT\nkey RIGHT\nkey RIGHT\n" + shot("mono.png") +
                    "key LEFT\nkey LEFT\nkey LEFT\nkey LEFT\n" + shot("stereo-again.png") + Tap(kMute) +
                    shot("muted.png") + Tap(kMute) + shot("unmuted.png"),
                {"--scene", (dir_ / "two.scene").string()}),
            0)
      << err_.str();
  auto dumps = Dumps();
  ASSERT_EQ(dumps.size(), 6u) << out_.str();
  EXPECT_EQ(Khz(dumps[1]), 87700.0);
  EXPECT_EQ(Khz(dumps[2]), 88100.0);
  EXPECT_EQ(Khz(dumps[3]), 87700.0);
  EXPECT_TRUE(dumps[4]["card"]["mute"].get<bool>());

  const std::vector<std::uint32_t> dark = StereoLamp(Shot("empty.png"));
  const std::vector<std::uint32_t> lit = StereoLamp(Shot("stereo.png"));
  ASSERT_FALSE(dark.empty());
  EXPECT_NE(lit, dark) << "lit on the stereo station";
  EXPECT_EQ(StereoLamp(Shot("mono.png")), dark) << "dark on the mono station";
  EXPECT_EQ(StereoLamp(Shot("stereo-again.png")), lit);
  EXPECT_EQ(StereoLamp(Shot("muted.png")), dark) << "dark while muted";
  EXPECT_EQ(StereoLamp(Shot("unmuted.png")), lit);
}

}  // namespace
}  // namespace e2e
