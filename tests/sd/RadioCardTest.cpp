#include <gtest/gtest.h>

#include <array>

#include "cards/RadioCard.h"

namespace {

using hw::RadioCard;
using hw::Scene;
using hw::SdStatus;
using hw::TunerChip;

constexpr std::int64_t MHz(double mhz) { return static_cast<std::int64_t>(mhz * 1000.0 + 0.5) * 1000; }

struct Image {
  std::int64_t hz = MHz(87.5);
  bool highSide = false;
  bool search = false;
  bool up = true;
  int stopBits = 2;  // 10: level 7
  bool mono = false;
  bool japan = false;
  bool standby = false;
  bool mute = false;

  std::array<std::uint8_t, 8> Bytes() const {
    std::uint16_t pll = TunerChip::PllOf(hz, highSide);
    std::array<std::uint8_t, 8> b{};
    b[0] = static_cast<std::uint8_t>((mute ? 0x80 : 0) | (search ? 0x40 : 0) | (pll >> 8));
    b[1] = static_cast<std::uint8_t>(pll);
    b[2] = static_cast<std::uint8_t>((up ? 0x80 : 0) | (stopBits << 5) | (highSide ? 0x10 : 0) | (mono ? 0x08 : 0));
    b[3] = static_cast<std::uint8_t>((standby ? 0x40 : 0) | (japan ? 0x20 : 0));
    return b;
  }
};

struct Status {
  std::uint16_t pll;
  bool stereo;
  int ifCounter;
  int level;
};

class RadioCardTest : public ::testing::Test {
 protected:
  void Use(Scene scene) {
    card_ = std::make_unique<RadioCard>(clock_, std::move(scene));
    card_->PowerOn([this] { ++interrupts_; });
  }
  void SetUp() override { Use(Scene::Default()); }

  void Write(const Image& image) {
    auto bytes = image.Bytes();
    ASSERT_EQ(card_->WriteBlock(1, RadioCard::kRegTuner, bytes), SdStatus::Ok);
  }
  Status Read() {
    std::array<std::uint8_t, 8> s{};
    EXPECT_EQ(card_->ReadBlock(1, RadioCard::kRegTuner, s), SdStatus::Ok);
    return {static_cast<std::uint16_t>(((s[0] & 0x3F) << 8) | s[1]), (s[2] & 0x80) != 0, s[2] & 0x7F, s[3] >> 4};
  }
  Status Tune(std::int64_t hz, bool highSide = false, bool mono = false) {
    Write({.hz = hz, .highSide = highSide, .mono = mono});
    return Read();
  }
  void Step(std::uint32_t value) {
    std::array<std::uint8_t, 8> v{static_cast<std::uint8_t>(value)};
    ASSERT_EQ(card_->WriteBlock(1, RadioCard::kRegVolume, v), SdStatus::Ok);
  }

  hw::Clock clock_{hw::Clock::Mode::Virtual};
  std::unique_ptr<RadioCard> card_;
  int interrupts_ = 0;
};

TEST_F(RadioCardTest, SearchUpStopsAtFirstStationReachingTheStopLevel) {
  // The first station above 87.5 MHz at level 7 or more in the built-in scene.
  std::int64_t expected = 0;
  const Scene scene = Scene::Default();
  for (const auto& s : scene.stations())
    if (s.hz > MHz(87.5) && s.level >= 7) {
      expected = s.hz;
      break;
    }
  ASSERT_NE(expected, 0);
  Write({.hz = MHz(87.5), .search = true});
  // It steps away from the start at once and moves one channel per 5 ms.
  EXPECT_EQ(Read().pll, TunerChip::PllOf(MHz(87.6), false));
  EXPECT_TRUE(card_->Observe().chip.searching);
  clock_.SleepMs(10);
  EXPECT_EQ(Read().pll, TunerChip::PllOf(MHz(87.8), false));
  EXPECT_EQ(interrupts_, 0);
  clock_.SleepMs(140);
  Status s = Read();
  EXPECT_EQ(s.pll, TunerChip::PllOf(expected, false));
  EXPECT_GE(s.level, 7);
  EXPECT_FALSE(card_->Observe().chip.searching);
  EXPECT_EQ(interrupts_, 1);
  // The interrupt is pending until function 1 address 0 is read.
  std::uint8_t pending = 0;
  card_->ReadByte(1, 0, pending);
  EXPECT_EQ(pending, 1);
  card_->ReadByte(1, 0, pending);
  EXPECT_EQ(pending, 0);
}

TEST_F(RadioCardTest, StopLevelAndDirectionChooseWhereTheSearchEnds) {
  Use(Scene({{MHz(90.0), 6, false, "six"}, {MHz(91.0), 9, false, "nine"}, {MHz(92.0), 11, false, "eleven"}}));
  const std::pair<int, double> cases[] = {{0, 90.0}, {1, 90.0}, {2, 91.0}, {3, 92.0}};
  for (auto [bits, mhz] : cases) {
    Write({.hz = MHz(89.0), .search = true, .stopBits = bits});
    clock_.SleepMs(500);
    EXPECT_EQ(card_->Observe().chip.tunedHz, MHz(mhz)) << "stop bits " << bits;
  }
  Write({.hz = MHz(93.0), .search = true, .up = false, .stopBits = 3});
  clock_.SleepMs(500);
  EXPECT_EQ(card_->Observe().chip.tunedHz, MHz(92.0));
  // The start itself never counts.
  Write({.hz = MHz(92.0), .search = true, .up = false, .stopBits = 3});
  clock_.SleepMs(500);
  EXPECT_EQ(card_->Observe().chip.tunedHz, MHz(87.5));  // nothing below: the band edge
}

TEST_F(RadioCardTest, SearchEndsAtTheBandEdgeOfTheSelectedBand) {
  Use(Scene(std::vector<hw::Station>{}));
  Write({.hz = MHz(107.0), .search = true});
  clock_.SleepMs(100);
  EXPECT_EQ(card_->Observe().chip.tunedHz, MHz(108.0));
  EXPECT_EQ(interrupts_, 1);
  Write({.hz = MHz(89.0), .search = true, .japan = true});
  clock_.SleepMs(100);
  EXPECT_EQ(card_->Observe().chip.tunedHz, MHz(91.0));
  Write({.hz = MHz(77.0), .search = true, .up = false, .japan = true});
  clock_.SleepMs(100);
  EXPECT_EQ(card_->Observe().chip.tunedHz, MHz(76.0));
  EXPECT_EQ(interrupts_, 3);
}

TEST_F(RadioCardTest, LevelIfCounterAndStereoFollowTheStation) {
  Use(Scene({{MHz(95.0), 12, true, "strong stereo"}, {MHz(98.0), 5, true, "weak stereo"},
             {MHz(100.0), 9, false, "mono"}}));
  Status exact = Tune(MHz(95.0));
  EXPECT_EQ(exact.level, 12);
  EXPECT_TRUE(exact.stereo);
  EXPECT_GE(exact.ifCounter, 54);
  EXPECT_LE(exact.ifCounter, 59);
  Status near = Tune(MHz(95.025));
  EXPECT_LT(near.level, 12);
  EXPECT_GE(near.ifCounter, 54);
  EXPECT_LE(near.ifCounter, 59);
  Status off = Tune(MHz(95.1));
  EXPECT_LT(off.level, exact.level);
  EXPECT_TRUE(off.ifCounter < 40 || off.ifCounter > 70);
  EXPECT_FALSE(off.stereo);
  EXPECT_EQ(Tune(MHz(96.5)).level, 0);
  EXPECT_FALSE(Tune(MHz(95.0), false, /*mono=*/true).stereo);
  EXPECT_FALSE(Tune(MHz(98.0)).stereo);  // too weak for stereo
  Status mono = Tune(MHz(100.0));
  EXPECT_EQ(mono.level, 9);
  EXPECT_FALSE(mono.stereo);
}

TEST_F(RadioCardTest, StrongStationAtTheImageFrequencyMakesTheInjectionSideMatter) {
  // 95.0 with a strong station 450 kHz below: low-side injection suffers.
  Use(Scene({{MHz(94.55), 15, true, "image"}, {MHz(95.0), 10, true, "wanted"}}));
  Status low = Tune(MHz(95.0), /*highSide=*/false);
  Status high = Tune(MHz(95.0), /*highSide=*/true);
  EXPECT_EQ(high.level, 10);
  EXPECT_LT(low.level, high.level);
  EXPECT_NE(TunerChip::PllOf(MHz(95.0), true), TunerChip::PllOf(MHz(95.0), false));
  EXPECT_EQ(TunerChip::PllOf(MHz(87.5), true), 7018);  // (87.5 MHz + 225 kHz) / 12.5 kHz
  EXPECT_EQ(TunerChip::TunedHzOf(6982, false), MHz(87.5));
}

TEST_F(RadioCardTest, StandbyIsSilentAndFrozen) {
  Write({.hz = MHz(90.2), .search = true, .standby = true});
  Status s = Read();
  EXPECT_EQ(s.level, 0);
  EXPECT_FALSE(s.stereo);
  clock_.SleepMs(200);
  EXPECT_EQ(interrupts_, 0);
  auto view = card_->Observe();
  EXPECT_TRUE(view.chip.standby);
  EXPECT_FALSE(view.chip.searching);
  EXPECT_FALSE(view.audio);
}

TEST_F(RadioCardTest, VolumeStopsAtItsEndsAndSwitchesGateTheAudio) {
  EXPECT_EQ(card_->Observe().volume, 8);
  for (int i = 0; i < 20; ++i) Step(1);
  EXPECT_EQ(card_->Observe().volume, 15);
  Step(7);  // neither up nor down
  EXPECT_EQ(card_->Observe().volume, 15);
  for (int i = 0; i < 20; ++i) Step(0);
  EXPECT_EQ(card_->Observe().volume, 0);

  Tune(MHz(90.2));
  for (std::uint8_t word : {0, 1, 3, 2}) {
    std::array<std::uint8_t, 8> w{word};
    card_->WriteBlock(1, RadioCard::kRegSwitches, w);
    EXPECT_EQ(card_->Observe().audio, word == 2) << "switch word " << int{word};
  }
  Write({.hz = MHz(90.2), .mute = true});
  EXPECT_FALSE(card_->Observe().audio);
  // Unknown windows and functions are refused.
  std::array<std::uint8_t, 8> b{};
  EXPECT_EQ(card_->WriteBlock(1, 0x55, b), SdStatus::OutOfRange);
  EXPECT_EQ(card_->WriteBlock(2, RadioCard::kRegTuner, b), SdStatus::BadFunction);
}

TEST_F(RadioCardTest, PowerOffCancelsARunningSearch) {
  Write({.hz = MHz(87.5), .search = true});
  card_->PowerOff();
  clock_.SleepMs(500);
  EXPECT_EQ(interrupts_, 0);
  EXPECT_EQ(clock_.PendingEvents(), 0u);
}

}  // namespace
