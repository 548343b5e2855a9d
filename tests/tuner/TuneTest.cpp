// Tuning to a frequency and channel steps: clamping to the band, and the
// injection probe that picks the oscillator side.
#include "TunerFixture.h"

namespace {

class TuneTest : public TunerFixture {
 protected:
  void SetUp() override {
    TunerFixture::SetUp();
    card_ = OpenWithStatusCard();
    start_ = clock_.NowMs();
  }
  void Probes(int a, int b) {
    card_->QueueReply(Status(950, a, 56, false));
    card_->QueueReply(Status(952, b, 56, false));
  }
  std::vector<int> TunedPlls() {
    std::vector<int> plls;
    for (const Bytes& w : ImageWrites()) plls.push_back((w[0] & 0x3F) << 8 | w[1]);
    return plls;
  }

  std::shared_ptr<StatusCard> card_;
  std::uint64_t start_ = 0;
};

TEST_F(TuneTest, SetFrequencyProbesTwoChannelsAboveAndKeepsTheLowSide) {
  tunerState.image[0] |= W0_MUTE;  // as a seek leaves it
  Probes(3, 7);
  SetFrequency(950);
  // Mute, tune 95.0, read, probe 95.2, read, tune 95.0, unmute: 450 ms.
  EXPECT_EQ(ChipTimeline(start_), (std::vector<std::string>{"W@0", "W@50", "R@200", "W@200", "R@350", "W@350", "W@400"}));
  EXPECT_EQ(clock_.NowMs() - start_, 450u);
  auto writes = ImageWrites();
  EXPECT_EQ(TunedPlls(), (std::vector<int>{7022, 7582, 7598, 7582, 7582}));
  EXPECT_EQ(writes[0][0] & W0_MUTE, W0_MUTE);
  EXPECT_EQ(writes[3][0] & W0_MUTE, W0_MUTE);
  EXPECT_EQ(writes[4][0] & W0_MUTE, 0);  // the tune ends audible
  EXPECT_EQ(writes[3][2] & W2_HIGH_SIDE, 0);
  EXPECT_FALSE(tunerState.highSideInjection);
  EXPECT_EQ(tunerState.currentFrequency, 950);
  EXPECT_EQ(tunerState.lastTunedFrequency, 950u);
}

TEST_F(TuneTest, AClearlyStrongerProbeSelectsTheHighSide) {
  Probes(3, 8);
  SetFrequency(950);
  EXPECT_TRUE(tunerState.highSideInjection);
  auto writes = ImageWrites();
  EXPECT_EQ(writes[3][2] & W2_HIGH_SIDE, W2_HIGH_SIDE);
  EXPECT_EQ(TunedPlls()[3], 7618);  // 95.0 MHz, oscillator above
  // Tuning the same frequency again probes two channels below instead.
  host_.trace().Clear();
  card_->QueueReply(Status(950, 6, 56, false));
  card_->QueueReply(Status(948, 6, 56, false));
  SetFrequency(950);
  EXPECT_EQ(TunedPlls(), (std::vector<int>{7618, 7582, 7566, 7582, 7582}));
  EXPECT_FALSE(tunerState.highSideInjection);
}

TEST_F(TuneTest, TunesAtTheBandEdgesClampAndSkipTheProbe) {
  SetBand(BAND_JAPAN);
  tunerState.highSideInjection = true;  // inherited at an edge
  SetFrequency(2000);
  EXPECT_EQ(tunerState.currentFrequency, 910);
  EXPECT_EQ(ChipTimeline(start_), (std::vector<std::string>{"W@0"}));
  EXPECT_EQ(clock_.NowMs() - start_, 50u);
  EXPECT_EQ(TunedPlls().back(), FrequencyToPll(910, true));
  EXPECT_EQ(ImageWrites().back()[3], W3_JAPAN);
  SetFrequency(0);
  EXPECT_EQ(tunerState.currentFrequency, 760);
  EXPECT_EQ(tunerState.lastTunedFrequency, 760u);
  EXPECT_EQ(Requests().size(), 2u);

  SetBand(BAND_EUROPE);
  SetFrequency(1080);
  EXPECT_EQ(Step(1), 1080);
  SetFrequency(875);
  EXPECT_EQ(Step(0), 875);
  EXPECT_EQ(Requests().size(), 6u);  // one write each, no probe
  for (const Bytes& w : ImageWrites()) EXPECT_EQ(w[0] & W0_SEARCH, 0);

  // A seek that ends at the edge leaves its chip mute behind; the tune
  // there lifts it in the same one write.
  tunerState.image[0] |= W0_MUTE | W0_SEARCH;
  SetFrequency(1080);
  EXPECT_EQ(Requests().size(), 7u);
  EXPECT_EQ(ImageWrites().back()[0] & (W0_MUTE | W0_SEARCH), 0);
}

TEST_F(TuneTest, StepsMoveOneChannelAndProbe) {
  tunerState.currentFrequency = 1000;
  tunerState.lastTunedFrequency = 1000;
  EXPECT_EQ(Step(1), 1001);
  EXPECT_EQ(TunedPlls()[2], FrequencyToPll(1003, false));  // probe above
  EXPECT_EQ(tunerState.lastTunedFrequency, 1001u);
  host_.trace().Clear();
  EXPECT_EQ(Step(0), 1000);
  EXPECT_EQ(TunedPlls()[2], FrequencyToPll(1002, false));
  host_.trace().Clear();
  EXPECT_EQ(Step(5), 1000);  // neither up nor down: tuned again, probe below
  EXPECT_EQ(TunedPlls()[2], FrequencyToPll(998, false));
  // One step into the edge tunes the edge without a probe.
  tunerState.currentFrequency = 1079;
  host_.trace().Clear();
  EXPECT_EQ(Step(1), 1080);
  EXPECT_EQ(ImageWrites().size(), 1u);
}

}  // namespace
