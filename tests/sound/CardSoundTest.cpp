// What the radio card sounds like through the speaker, measured in what
// the speaker plays: stations with test tones for programmes, tuned by
// writing the card's registers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "hardware/cards/RadioCard.h"
#include "hardware/sound/Speaker.h"
#include "host/SceneFile.h"
#include "tests/support/ChipImage.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/Tones.h"

namespace {

namespace fs = std::filesystem;
using cardtest::Image;
using cardtest::MHz;
using tones::Db;
using tones::MeanSquare;
using tones::Side;
using tones::Silent;
using tones::TonePower;

// 95.0 strong stereo: 500 Hz left, 1300 Hz right. 101.0 mid mono 900 Hz,
// 98.0 weak mono 700 Hz from a 44.1 kHz file; 103.0 mono, its programme
// its own.
constexpr char kScene[] = R"(95.0 15 stereo audio=strong.wav Strong
98.0 5 mono audio=sub/weak.wav Weak
101.0 10 mono audio=mid.wav Mid
103.0 12 mono Own
)";

class CardSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "sub");
    tones::WriteTones(dir_ / "strong.wav", 48000, {500, 1300});
    tones::WriteTones(dir_ / "sub/weak.wav", 44100, {700});
    tones::WriteTones(dir_ / "mid.wav", 48000, {900});
    std::ofstream(dir_ / "band.scene") << kScene;
    std::string error;
    auto scene = host::LoadScene(dir_ / "band.scene", error);
    ASSERT_TRUE(scene) << error;
    card_ = std::make_shared<hw::RadioCard>(clock_, *scene);
    card_->PowerOn({});
    speaker_.SetStream(card_->audio());
    Switches(0x02);  // audio powered, out of reset; the volume starts at 8, the top
  }

  void Write(const Image& image) {
    auto bytes = image.Bytes();
    ASSERT_EQ(card_->WriteBlock(1, hw::RadioCard::kRegTuner, bytes), hw::SdStatus::Ok);
  }
  void Switches(std::uint8_t word) {
    std::array<std::uint8_t, 8> w{word};
    card_->WriteBlock(1, hw::RadioCard::kRegSwitches, w);
  }
  void Volume(int steps) {
    for (int i = 0; i < std::abs(steps); ++i) {
      std::array<std::uint8_t, 8> v{std::uint8_t(steps > 0 ? 1 : 0)};
      card_->WriteBlock(1, hw::RadioCard::kRegVolume, v);
    }
  }
  // What the speaker plays over the next `ms` of clock time.
  std::vector<std::int16_t> Listen(int ms = 1000) {
    const std::int64_t first = hw::FrameAt(clock_.NowUs());
    clock_.SleepMs(std::uint64_t(ms));
    std::vector<std::int16_t> out(std::size_t(hw::FrameAt(clock_.NowUs()) - first) * 2);
    speaker_.Mix(first, out);
    return out;
  }
  // Tone to everything else in one side, in dB.
  static double ToneToNoise(const std::vector<double>& side, std::initializer_list<double> hz) {
    double tone = 0;
    for (double f : hz) tone += TonePower(side, f);
    return Db(tone / std::max(MeanSquare(side) - tone, 1e-15));
  }

  testsupport::ScratchFolder scratch_{"ondrel-card-sound"};
  const fs::path& dir_ = scratch_.path();
  hw::Clock clock_{hw::Clock::Mode::Virtual};
  std::shared_ptr<hw::RadioCard> card_;
  hw::Speaker speaker_;
};

TEST_F(CardSoundTest, TheTunedStationIsHeardCleanAndNoOtherAndBetweenStationsTheHiss) {
  Write({.hz = MHz(95.0)});
  auto heard = Listen(1500);
  heard.erase(heard.begin(), heard.begin() + 2 * 24000);  // the first half second: the ramp and the file's start
  const auto left = Side(heard, 0);
  const double all = MeanSquare(left);
  EXPECT_GT(TonePower(left, 500) / all, 0.99);
  for (double other : {700.0, 900.0}) EXPECT_LT(Db(TonePower(left, other) / all), -80) << other;
  EXPECT_GT(ToneToNoise(left, {500, 1300}), 50) << "a strong station is clean";

  Write({.hz = MHz(96.5)});
  Listen(100);
  auto hiss = Listen(1000);
  const auto hissLeft = Side(hiss, 0);
  EXPECT_NEAR(Db(MeanSquare(hissLeft)), -18.3, 1.0) << "the full hiss of an untuned radio";
  for (double f : {500.0, 700.0, 900.0, 1300.0}) EXPECT_LT(Db(TonePower(hissLeft, f) / MeanSquare(hissLeft)), -25);
  EXPECT_EQ(hissLeft, Side(hiss, 1)) << "no pilot: the same on both sides";

  // 450 kHz above the strong station, low-side injection hears it as a
  // ghost, with its programme; high-side injection does not.
  Write({.hz = MHz(95.45)});
  Listen(100);
  const auto ghost = Side(Listen(1000), 0);
  EXPECT_GT(Db(TonePower(ghost, 500) / MeanSquare(ghost)), -1);
  Write({.hz = MHz(95.45), .highSide = true});
  Listen(100);
  const auto escaped = Side(Listen(1000), 0);
  EXPECT_LT(Db(TonePower(escaped, 500) / MeanSquare(escaped)), -25);
}

TEST_F(CardSoundTest, ToneToNoiseRisesWithTheLevel) {
  struct Case {
    double mhz, hz;
  } cases[] = {{98.0, 700}, {101.0, 900}, {95.0, 500}};
  std::vector<double> ratios;
  for (const Case& c : cases) {
    Write({.hz = MHz(c.mhz), .mono = true});
    Listen(100);
    ratios.push_back(ToneToNoise(Side(Listen(2000), 0), {c.hz, 1300}));
  }
  EXPECT_GT(ratios[0], 5) << "a weak station is heard through the noise";
  EXPECT_LT(ratios[0], 35);
  EXPECT_GT(ratios[1], ratios[0] + 10);
  EXPECT_GT(ratios[2], ratios[1] + 5);
}

TEST_F(CardSoundTest, AStrongStereoStationKeepsItsSidesApartAndMonoSumsThem) {
  Write({.hz = MHz(95.0)});
  Listen(100);
  auto stereo = Listen(1000);
  const auto left = Side(stereo, 0), right = Side(stereo, 1);
  EXPECT_GT(Db(TonePower(left, 500) / TonePower(left, 1300)), 20);
  EXPECT_GT(Db(TonePower(right, 1300) / TonePower(right, 500)), 20);

  Write({.hz = MHz(95.0), .mono = true});  // forced mono
  Listen(100);
  auto forced = Listen(1000);
  EXPECT_EQ(Side(forced, 0), Side(forced, 1));
  EXPECT_NEAR(Db(TonePower(Side(forced, 0), 500) / TonePower(Side(forced, 0), 1300)), 0, 0.5);

  Write({.hz = MHz(101.0)});  // a mono station
  Listen(100);
  auto mono = Listen(1000);
  EXPECT_EQ(Side(mono, 0), Side(mono, 1));
}

TEST_F(CardSoundTest, MutesStandbyTheSwitchesAndASearchAreDigitalSilence) {
  auto afterRamp = [this] {
    Listen(5);
    return Listen(300);
  };
  const Image tuned{.hz = MHz(95.0)};
  struct Case {
    const char* what;
    Image image;
    std::uint8_t switches;
  } cases[] = {
      {"W0 bit 7", {.hz = tuned.hz, .mute = true}, 0x02},
      {"W2 bits 2..1", {.hz = tuned.hz, .audioMuteW2 = 3}, 0x02},
      {"W2 bit 1", {.hz = tuned.hz, .audioMuteW2 = 1}, 0x02},
      {"W3 bit 3", {.hz = tuned.hz, .audioMuteW3 = true}, 0x02},
      {"standby", {.hz = tuned.hz, .standby = true}, 0x02},
      {"no audio power", tuned, 0x00},
      {"audio held in reset", tuned, 0x03},
  };
  for (const Case& c : cases) {
    Switches(c.switches);
    Write(c.image);
    EXPECT_TRUE(Silent(afterRamp())) << c.what;
    Switches(0x02);
    Write(tuned);
    EXPECT_FALSE(Silent(afterRamp())) << "heard again after " << c.what;
  }
  // A search: silent until it stops, then the station it stopped on.
  Write({.hz = MHz(94.5), .search = true});  // stops at 94.9, beside the strong one, 15 ms later
  Listen(2);
  EXPECT_TRUE(Silent(Listen(12)));
  Listen(4);
  EXPECT_FALSE(Silent(Listen(100)));
  card_->PowerOff();
  EXPECT_TRUE(Silent(afterRamp())) << "a card without power";
}

TEST_F(CardSoundTest, EachVolumePositionIsAFixedStepInDecibels) {
  Write({.hz = MHz(95.0)});
  Volume(-16);
  std::vector<double> levels;
  for (int position = 0; position <= 10; ++position) {
    Listen(10);
    auto heard = Listen(1000);
    const auto left = Side(heard, 0);
    if (position == 0) {
      EXPECT_TRUE(Silent(heard)) << "position 0";
    } else {
      levels.push_back(Db(TonePower(left, 500)));
    }
    if (position == 8) {
      const auto peak = *std::max_element(heard.begin(), heard.end(), [](auto a, auto b) { return std::abs(a) < std::abs(b); });
      EXPECT_LT(std::abs(peak), 32000) << "the top does not clip";
      EXPECT_GT(std::abs(peak), 6000) << "but plays loud";
    }
    Volume(1);
  }
  for (std::size_t i = 1; i < 8; ++i) EXPECT_NEAR(levels[i] - levels[i - 1], 4.0, 0.05) << "position " << i + 1;
  EXPECT_NEAR(levels[8], levels[7], 0.05) << "above 8 the amplifier is at its top";
  EXPECT_NEAR(levels[9], levels[7], 0.05);
}

TEST_F(CardSoundTest, TheSpeakerPlaysTheSameSamplesHoweverItIsAsked) {
  // A weak station, fading in its noise, with a retune and a volume step
  // on the way.
  Write({.hz = MHz(98.0)});
  clock_.SleepMs(700);
  Write({.hz = MHz(103.0)});
  clock_.SleepMs(300);
  Volume(-2);
  clock_.SleepMs(1000);
  const std::int64_t frames = hw::FrameAt(clock_.NowUs());
  std::vector<std::int16_t> whole(std::size_t(frames) * 2), pieces(whole.size());
  speaker_.Mix(0, whole);
  for (std::int64_t at = 0; at < frames;) {
    const std::int64_t n = std::min<std::int64_t>(frames - at, 1 + (at * 7919) % 3001);
    speaker_.Mix(at, std::span(pieces).subspan(std::size_t(at) * 2, std::size_t(n) * 2));
    at += n;
  }
  EXPECT_EQ(whole, pieces);
}

TEST(BuiltInProgrammeTest, EachStationPlaysItsOwnTuneStereoOnlyWhereItBroadcastsStereo) {
  std::string error;
  auto scene = host::ParseScene("90.2 15 stereo Metro One\n97.7 14 stereo Classic Hall\n99.5 11 mono Sports Line\n",
                                "three", error);
  ASSERT_TRUE(scene) << error;
  auto programmes = hw::MakeProgrammes(*scene);
  struct Sides {
    std::vector<float> left, right;
  };
  auto play = [&](std::size_t i, std::int64_t first) {
    Sides s{std::vector<float>(96000), std::vector<float>(96000)};
    programmes[i]->Render(first, s.left, s.right);
    return s;
  };
  const Sides metro = play(0, 480000), classic = play(1, 480000), sports = play(2, 480000);
  for (const Sides* s : {&metro, &classic, &sports}) {
    EXPECT_GT(Db(MeanSquare(s->left)), -22);
    EXPECT_LT(Db(MeanSquare(s->left)), -10);
    for (float v : s->left) ASSERT_LT(std::abs(v), 0.75f) << "peaks below -2.5 dBFS";
  }
  EXPECT_NE(metro.left, metro.right);
  EXPECT_EQ(sports.left, sports.right);
  // Another station, another tune: hardly related sample by sample.
  double dot = 0, a = 0, b = 0;
  for (std::size_t i = 0; i < metro.left.size(); ++i) {
    dot += double(metro.left[i]) * classic.left[i];
    a += double(metro.left[i]) * metro.left[i];
    b += double(classic.left[i]) * classic.left[i];
  }
  EXPECT_LT(std::abs(dot) / std::sqrt(a * b), 0.2);
  // The same span asked for in two halves gives the same samples.
  Sides halves{std::vector<float>(96000), std::vector<float>(96000)};
  programmes[0]->Render(480000, std::span(halves.left).first(30001), std::span(halves.right).first(30001));
  programmes[0]->Render(510001, std::span(halves.left).subspan(30001), std::span(halves.right).subspan(30001));
  EXPECT_EQ(halves.left, metro.left);
}

}  // namespace
