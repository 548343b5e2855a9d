// The channel and the register image: what reaches the chip for each
// operation, and how its status is decoded.
#include "TunerFixture.h"

namespace {

using ImageTest = TunerFixture;

TEST(PllWord, FrequenciesOfEveryBandEncodeAndReadBack) {
  EXPECT_EQ(FrequencyToPll(875, false), 6982);
  EXPECT_EQ(FrequencyToPll(875, true), 7018);
  EXPECT_EQ(FrequencyToPll(1080, false), 8622);
  EXPECT_EQ(FrequencyToPll(1080, true), 8658);
  EXPECT_EQ(FrequencyToPll(760, false), 6062);
  EXPECT_EQ(FrequencyToPll(760, true), 6098);
  for (int f = 760; f <= 1080; f++) {
    EXPECT_EQ(FrequencyToPll(f, false), 8 * f - 18);
    EXPECT_EQ(PllToFrequency(FrequencyToPll(f, false), false), f);
    EXPECT_EQ(PllToFrequency(FrequencyToPll(f, true), true), f);
  }
  // A search stop off the grid rounds down: 87375 + 225 kHz low side,
  // 87375 - 225 kHz high side.
  EXPECT_EQ(PllToFrequency(6990, false), 876);
  EXPECT_EQ(PllToFrequency(6990, true), 871);
}

TEST_F(ImageTest, ProgramFrequencyWritesTheImageAndPausesFiftyMilliseconds) {
  OpenWithStatusCard();
  std::uint64_t start = clock_.NowMs();
  ProgramFrequency(875);
  EXPECT_EQ(clock_.NowMs() - start, 50u);
  auto writes = RequestsTo(hw::RadioCard::kRegTuner);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_TRUE(writes[0].write);
  EXPECT_EQ(writes[0].ms, start);
  // The initial W0 bits 7..6 (00) are kept; stop level 10 in W2; rest clear.
  EXPECT_EQ(writes[0].data, (Bytes{0x1B, 0x46, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00}));

  // High side: the W2 bit and the upper PLL; the mute and search bits of
  // W0 survive, stale stop-level and W3 bit 4 are put right.
  tunerState.highSideInjection = true;
  tunerState.image[0] |= W0_MUTE | W0_SEARCH;
  tunerState.image[2] = 0x20 | W2_MONO;
  tunerState.image[3] = W3_CLEARED | W3_AUDIO_MUTE;
  ProgramFrequency(1080);
  EXPECT_EQ(ImageWrites().back(), (Bytes{0xC0 | 0x21, 0xD2, 0x40 | W2_HIGH_SIDE | W2_MONO, W3_AUDIO_MUTE, 0x00}));
}

TEST_F(ImageTest, TheJapanBitFollowsTheBandAtTheNextTune) {
  OpenWithStatusCard();
  SetBand(BAND_JAPAN);
  EXPECT_EQ(tunerState.bandLower, 760);
  EXPECT_EQ(tunerState.bandUpper, 910);
  EXPECT_TRUE(Requests().empty());  // nothing goes to the chip yet
  ProgramFrequency(800);
  EXPECT_EQ(ImageWrites().back()[3], W3_JAPAN);
  SetBand(BAND_USA);
  EXPECT_EQ(tunerState.bandLower, 880);
  EXPECT_EQ(tunerState.bandUpper, 1080);
  ProgramFrequency(900);
  EXPECT_EQ(ImageWrites().back()[3], 0);
  for (WORD other : {0, 1, 4, 7, 255}) {
    SetBand(other);
    EXPECT_EQ(tunerState.band, other);
    EXPECT_EQ(tunerState.bandLower, 875);
    EXPECT_EQ(tunerState.bandUpper, 1080);
  }
  SetBand(BAND_JAPAN);
  SetBand(7);
  ProgramFrequency(900);
  EXPECT_EQ(ImageWrites().back()[3], 0);
}

TEST_F(ImageTest, MuteMonoAndProbeMuteEachWriteTheirBits) {
  OpenWithStatusCard();
  // The program's first write carries the initial image.
  SetAudioMute(0);
  SetAudioMute(1);
  SetMono(1);
  SetProbeMute(1);
  SetMono(0);
  SetProbeMute(0);
  SetAudioMute(0);
  EXPECT_EQ(ImageWrites(), (std::vector<Bytes>{
                               {0x1B, 0x6E, 0x40, 0x00, 0x00},
                               {0x1B, 0x6E, 0x46, 0x08, 0x00},
                               {0x1B, 0x6E, 0x4E, 0x08, 0x00},
                               {0x9B, 0x6E, 0x4E, 0x08, 0x00},
                               {0x9B, 0x6E, 0x46, 0x08, 0x00},
                               {0x1B, 0x6E, 0x46, 0x08, 0x00},
                               {0x1B, 0x6E, 0x40, 0x00, 0x00},
                           }));
  EXPECT_EQ(ChipTimeline(ImageWrites().empty() ? 0 : Requests()[0].ms),
            (std::vector<std::string>{"W@0", "W@50", "W@100", "W@150", "W@200", "W@250", "W@300"}));
}

TEST_F(ImageTest, StatusReadsDecodeTheReadArea) {
  auto card = OpenWithStatusCard();
  card->QueueReply({0xC0 | (6990 >> 8), 6990 & 0xFF, 0x80 | 55, 0xA7, 0xFF});
  std::uint64_t start = clock_.NowMs();
  EXPECT_EQ(ReadTunerStatus(), 876);
  EXPECT_EQ(clock_.NowMs(), start);  // a read takes no pause
  EXPECT_EQ(tunerState.status.pll, 6990);
  EXPECT_EQ(tunerState.status.ifCounter, 55);
  EXPECT_EQ(tunerState.status.stereo, 1);
  EXPECT_EQ(tunerState.status.level, 10);
  tunerState.highSideInjection = true;
  EXPECT_EQ(ReadTunerStatus(), 871);

  // ReadStereo touches the stereo flag only.
  card->QueueReply(Status(950, 3, 20, false));
  EXPECT_EQ(ReadStereo(), 0);
  EXPECT_EQ(tunerState.status.pll, 6990);
  EXPECT_EQ(tunerState.status.level, 10);
  auto requests = Requests();
  ASSERT_EQ(requests.size(), 3u);
  for (const BusRequest& r : requests) {
    EXPECT_FALSE(r.write);
    EXPECT_EQ(r.reg, hw::RadioCard::kRegTuner);
  }
}

TEST_F(ImageTest, FailedRequestsCarryOnAsIfTheyHadSucceeded) {
  auto card = OpenWithStatusCard();
  card->QueueReply(Status(950, 9, 56, true));
  EXPECT_EQ(ReadTunerStatus(), 950);
  // The card fails the next write and the next read.
  card->QueueStatus(hw::SdStatus::CardError);
  card->QueueStatus(hw::SdStatus::CardError);
  card->QueueReply(Status(1000, 2, 20, false));
  std::uint64_t start = clock_.NowMs();
  ProgramFrequency(990);
  EXPECT_EQ(clock_.NowMs() - start, 50u);  // the pause is made all the same
  EXPECT_EQ(TunerChannel::Transfer(TUNER_CMD_READ), TRANSFER_FAILED);
  auto requests = Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_NE(requests[1].status, 0);
  EXPECT_NE(requests[2].status, 0);
  EXPECT_EQ(TunerChannel::Transfer(TUNER_CMD_READ), TRANSFER_OK);
  EXPECT_EQ(ReadTunerStatus(), 1000);
}

TEST_F(ImageTest, AClosedChannelSendsNothing) {
  auto card = std::make_shared<StatusCard>();
  Insert(card);
  host_.trace().Clear();
  EXPECT_EQ(TunerChannel::Transfer(TUNER_CMD_READ), TRANSFER_NOT_OPEN);
  std::uint64_t start = clock_.NowMs();
  SetAudioMute(1);
  EXPECT_EQ(clock_.NowMs() - start, 50u);
  EXPECT_EQ(tunerState.image[3], W3_AUDIO_MUTE);  // the image is kept for later
  ASSERT_TRUE(TunerChannel::Open());
  EXPECT_TRUE(TunerChannel::Close());
  EXPECT_EQ(TunerChannel::Transfer(TUNER_CMD_WRITE), TRANSFER_NOT_OPEN);
  EXPECT_TRUE(TunerChannel::Close());  // closing twice is harmless
  EXPECT_TRUE(Requests().empty());

  // Opening twice keeps one handle; both opens reach the card.
  ASSERT_TRUE(TunerChannel::Open());
  ASSERT_TRUE(TunerChannel::Open());
  EXPECT_EQ(TunerChannel::Transfer(TUNER_CMD_READ), TRANSFER_OK);
  EXPECT_EQ(Requests().size(), 1u);

  // Without a card there is no device to open.
  TunerChannel::Close();
  Remove();
  EXPECT_FALSE(TunerChannel::Open());
  EXPECT_FALSE(TunerChannel::IsOpen());
}

}  // namespace
