#include <gtest/gtest.h>

#include <array>
#include <set>
#include <vector>

#include "hardware/cards/RadioCard.h"
#include "tests/support/ChipImage.h"

namespace {

using hw::RadioCard;
using hw::Scene;
using hw::SdStatus;
using hw::TunerChip;

using cardtest::Image;
using cardtest::MHz;

hw::Station Station(double mhz, int level, bool stereo, const char* name) { return {MHz(mhz), level, stereo, name, {}}; }

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
  // Readings of a fixed tuning every 37 ms, by default over ten seconds.
  std::vector<Status> Readings(std::int64_t hz, bool highSide = false, int count = 270) {
    Write({.hz = hz, .highSide = highSide});
    std::vector<Status> reads;
    for (int i = 0; i < count; ++i) {
      clock_.SleepMs(37);
      reads.push_back(Read());
    }
    return reads;
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
  Use(Scene({Station(90.0, 6, false, "six"), Station(91.0, 9, false, "nine"), Station(92.0, 11, false, "eleven")}));
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

TEST_F(RadioCardTest, ChannelFilterIfCounterAndFadingShapeWhatTheChipReports) {
  Use(Scene({Station(95.0, 15, true, "strong"), Station(98.0, 6, true, "weak"), Station(100.0, 9, false, "mono")}));
  auto levels = [](const std::vector<Status>& reads) {
    std::set<int> seen;
    for (const Status& s : reads) seen.insert(s.level);
    return seen;
  };
  // Tuned exactly: a strong station reads its level or one less, on
  // frequency by the IF counter, in stereo.
  auto exact = Readings(MHz(95.0));
  EXPECT_EQ(levels(exact), (std::set<int>{14, 15}));
  for (const Status& s : exact) {
    EXPECT_TRUE(s.ifCounter >= 54 && s.ifCounter <= 59 && s.stereo) << s.ifCounter;
  }
  // One channel away it still reads 7, enough to stop a search, but the
  // IF counter is far outside the window and there is no pilot; two
  // channels away it is under 3.
  for (double mhz : {94.9, 95.1}) {
    for (const Status& s : Readings(MHz(mhz), false, 30)) {
      EXPECT_EQ(s.level, 7) << mhz;
      EXPECT_TRUE(s.ifCounter < 50 || s.ifCounter > 63) << mhz << " " << s.ifCounter;
      EXPECT_FALSE(s.stereo);
    }
  }
  for (const Status& s : Readings(MHz(95.2), false, 30)) EXPECT_LT(s.level, 3);
  // 12.5 kHz off the carrier the counter reads it: 54 or 55.
  EXPECT_EQ(Tune(MHz(95.0125)).ifCounter / 2, 27);  // 54 or 55
  // A weak station fades over a few levels, around its level; the pilot
  // comes and goes with it at level 7.
  auto weak = Readings(MHz(98.0));
  auto weakLevels = levels(weak);
  EXPECT_EQ(*weakLevels.begin(), 4);
  EXPECT_EQ(*weakLevels.rbegin(), 8);
  bool bigSwing = false;
  for (std::size_t i = 7; i < weak.size(); ++i) bigSwing |= std::abs(weak[i].level - weak[i - 7].level) >= 3;
  EXPECT_TRUE(bigSwing) << "readings 259 ms apart sometimes differ by 3 or more";
  for (const Status& s : weak) EXPECT_EQ(s.stereo, s.level >= 7) << s.level;
  // A mono station never lights stereo, nor does forced mono.
  for (const Status& s : Readings(MHz(100.0), false, 30)) EXPECT_FALSE(s.stereo);
  EXPECT_FALSE(Tune(MHz(95.0), false, /*mono=*/true).stereo);
  // Between stations: nothing, and the IF counter wanders.
  std::set<int> counts;
  for (const Status& s : Readings(MHz(96.5), false, 30)) {
    EXPECT_EQ(s.level, 0);
    counts.insert(s.ifCounter);
  }
  EXPECT_GT(counts.size(), 20u);
}

TEST_F(RadioCardTest, AStationAtTheImageFrequencyIsReceivedOnTheSideOppositeTheOscillator) {
  // 95.0 is empty; 94.55 sits on its low-side image and 95.45 on its
  // high-side image.
  Use(Scene({Station(94.55, 15, true, "below"), Station(95.45, 12, false, "above")}));
  for (const Status& s : Readings(MHz(95.0), false, 30)) {
    EXPECT_TRUE(s.level == 8 || s.level == 9) << s.level;  // 15 less the rejection of 6
    EXPECT_TRUE(s.ifCounter >= 54 && s.ifCounter <= 59);
  }
  for (const Status& s : Readings(MHz(95.0), true, 30)) EXPECT_TRUE(s.level == 5 || s.level == 6) << s.level;
  EXPECT_NE(TunerChip::PllOf(MHz(95.0), true), TunerChip::PllOf(MHz(95.0), false));
  EXPECT_EQ(TunerChip::PllOf(MHz(87.5), true), 7018);  // (87.5 MHz + 225 kHz) / 12.5 kHz
  EXPECT_EQ(TunerChip::TunedHzOf(6982, false), MHz(87.5));
}

TEST_F(RadioCardTest, ReadingsDependOnlyOnTheSeedAndTheTime) {
  const Scene weak({Station(98.0, 5, true, "weak")});
  Use(weak);
  Write({.hz = MHz(98.0)});
  clock_.SleepMs(4000);
  const Status late = Read();
  // The same seed, read often before: the same reading at the same time.
  hw::Clock other{hw::Clock::Mode::Virtual};
  RadioCard again(other, weak);
  again.PowerOn({});
  auto image = Image{.hz = MHz(98.0)}.Bytes();
  again.WriteBlock(1, RadioCard::kRegTuner, image);
  std::array<std::uint8_t, 8> s{};
  for (int i = 0; i < 40; ++i) {
    other.SleepMs(100);
    again.ReadBlock(1, RadioCard::kRegTuner, s);
  }
  EXPECT_EQ(s[3] >> 4, late.level);
  EXPECT_EQ(s[2], (late.stereo ? 0x80 : 0) | late.ifCounter);
  // Another seed fades otherwise.
  int differing = 0;
  for (std::uint64_t seed = 2; seed < 12; ++seed) {
    hw::Clock third{hw::Clock::Mode::Virtual};
    RadioCard seeded(third, weak, seed);
    seeded.PowerOn({});
    seeded.WriteBlock(1, RadioCard::kRegTuner, image);
    third.SleepMs(4000);
    seeded.ReadBlock(1, RadioCard::kRegTuner, s);
    differing += (s[3] >> 4) != late.level;
  }
  EXPECT_GT(differing, 2);
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
