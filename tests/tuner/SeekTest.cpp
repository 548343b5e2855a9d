// Seeks: the chip's search started at the current frequency, the stop
// read back, re-tuned and judged, one retry, and the final tune.
#include "TunerFixture.h"

namespace {

class SeekTest : public TunerFixture {
 protected:
  void SetUp() override {
    TunerFixture::SetUp();
    card_ = OpenWithStatusCard();
    start_ = clock_.NowMs();
  }

  // The two reads of one TuneAndVerify that moved: the stop as the search
  // left it, then after the plain re-tune.
  void StopAt(int frequency, int level1, int level2, int ifCounter, bool stereo) {
    card_->QueueReply(Status(frequency, level1, 20, false));
    card_->QueueReply(Status(frequency, level2, ifCounter, stereo));
  }

  std::shared_ptr<StatusCard> card_;
  std::uint64_t start_ = 0;
};

TEST_F(SeekTest, AnAcceptedSeekTunesTheStopWithTheProtocolsPauses) {
  tunerState.currentFrequency = 1000;
  StopAt(1013, 5, 6, 55, true);
  EXPECT_EQ(Seek(1), 1013);
  EXPECT_EQ(tunerState.seekContinue, SEEK_STOP);
  EXPECT_EQ(tunerState.currentFrequency, 1013);
  EXPECT_EQ(tunerState.lastTunedFrequency, 1013u);
  // Search write; read 150 ms later; plain re-tune 100 ms after that;
  // second read; final tune; 50 ms after every write.
  EXPECT_EQ(ChipTimeline(start_), (std::vector<std::string>{"W@0", "R@150", "W@250", "R@400", "W@400"}));
  EXPECT_EQ(clock_.NowMs() - start_, 500u);
  // PLL 7982 (100.0 MHz) with mute, search and up; then PLL 8086 (101.3
  // MHz) with the search bit cleared; the mute bit stays for the next tune.
  EXPECT_EQ(ImageWrites(), (std::vector<Bytes>{{0xDF, 0x2E, 0xC0, 0x00, 0x00},
                                               {0x9F, 0x96, 0xC0, 0x00, 0x00},
                                               {0x9F, 0x96, 0xC0, 0x00, 0x00}}));
  EXPECT_FALSE(tunerState.highSideInjection);
  EXPECT_EQ(tunerState.targetFrequency, 1000);
  EXPECT_EQ(tunerState.measuredFrequency, 1013);
}

TEST_F(SeekTest, AStrongStopNeedsNoFurtherTest) {
  StopAt(1013, 9, 3, 20, false);
  EXPECT_EQ(SeekUp(1000), 1013);
  EXPECT_EQ(tunerState.seekContinue, SEEK_STOP);
  StopAt(987, 2, 8, 90, false);
  EXPECT_EQ(SeekDown(1000), 987);
  EXPECT_EQ(tunerState.seekContinue, SEEK_STOP);
  // Searching down clears the direction bit.
  EXPECT_EQ(ImageWrites()[3][2], 0x40);
}

TEST_F(SeekTest, WeakStopsAreAcceptedOnlyWithinTheLimits) {
  struct Case {
    int level1, level2, ifCounter;
    bool stereo;
    bool accepted;
  } cases[] = {
      {5, 6, 54, true, true},  {5, 6, 59, true, true},   {5, 7, 55, true, true},  {5, 6, 53, true, false},
      {5, 6, 60, true, false}, {2, 5, 55, true, false},  {5, 6, 55, false, false}, {7, 4, 56, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.level1 << " " << c.level2 << " if " << c.ifCounter << " " << c.stereo);
    host_.trace().Clear();
    StopAt(1013, c.level1, c.level2, c.ifCounter, c.stereo);
    // A rejected stop is searched once more from one channel on, and the
    // retry stops at the same place.
    if (!c.accepted) StopAt(1013, c.level1, c.level2, c.ifCounter, c.stereo);
    EXPECT_EQ(SeekUp(1000), 1013);
    EXPECT_EQ(tunerState.seekContinue, c.accepted ? SEEK_STOP : SEEK_CONTINUE_UP);
    auto writes = ImageWrites();
    ASSERT_EQ(writes.size(), c.accepted ? 3u : 5u);
    if (!c.accepted) {
      EXPECT_EQ(writes[2], (Bytes{0xDF, 0x36, 0xC0, 0x00, 0x00}));  // the retry searches from 100.1 MHz
      EXPECT_EQ(tunerState.targetFrequency, 1001);
    }
  }
}

TEST_F(SeekTest, AStopThatDidNotGoForwardIsRejected) {
  StopAt(990, 5, 6, 55, true);
  StopAt(992, 5, 6, 55, true);
  EXPECT_EQ(SeekUp(1000), 992);
  EXPECT_EQ(tunerState.seekContinue, SEEK_CONTINUE_UP);
  StopAt(1010, 5, 6, 55, true);
  StopAt(1010, 5, 6, 55, true);
  EXPECT_EQ(SeekDown(1000), 1010);
  EXPECT_EQ(tunerState.seekContinue, SEEK_CONTINUE_DOWN);
}

TEST_F(SeekTest, AChipThatDoesNotMoveContinuesOneChannelOnOrStopsAtTheEdge) {
  card_->QueueReply(Status(1000, 0, 20, false));
  EXPECT_EQ(SeekUp(1000), 1001);
  EXPECT_EQ(tunerState.seekContinue, SEEK_CONTINUE_UP);
  // No re-tune: search write, read, final tune; 250 ms in all.
  EXPECT_EQ(ChipTimeline(start_), (std::vector<std::string>{"W@0", "R@150", "W@150"}));
  EXPECT_EQ(clock_.NowMs() - start_, 250u);

  card_->QueueReply(Status(1000, 0, 20, false));
  EXPECT_EQ(SeekDown(1000), 999);
  EXPECT_EQ(tunerState.seekContinue, SEEK_CONTINUE_DOWN);
  card_->QueueReply(Status(1080, 0, 20, false));
  EXPECT_EQ(SeekUp(1080), 1080);
  EXPECT_EQ(tunerState.seekContinue, SEEK_STOP);
  card_->QueueReply(Status(875, 0, 20, false));
  EXPECT_EQ(SeekDown(875), 875);
  EXPECT_EQ(tunerState.seekContinue, SEEK_STOP);
}

TEST_F(SeekTest, RejectedStopsAtTheBandEndsStopTheSeek) {
  // From the last channel the chip is read back beyond the band: no
  // continuation past the end.
  StopAt(1085, 3, 3, 20, false);
  StopAt(1085, 3, 3, 20, false);
  EXPECT_EQ(SeekDown(1080), 1085);  // a continuing seek reports the stop, even outside the band
  EXPECT_EQ(tunerState.seekContinue, SEEK_CONTINUE_DOWN);
  StopAt(1085, 9, 9, 56, true);
  EXPECT_EQ(SeekUp(1080), 1080);  // out of band is never accepted
  EXPECT_EQ(tunerState.seekContinue, SEEK_STOP);
  StopAt(870, 2, 2, 20, false);
  StopAt(870, 2, 2, 20, false);
  EXPECT_EQ(SeekDown(875), 875);
  EXPECT_EQ(tunerState.seekContinue, SEEK_STOP);
}

TEST_F(SeekTest, ASeekFromOutsideTheBandEndsAtTheEdgeWithoutSearching) {
  EXPECT_EQ(SeekUp(1090), 1080);
  EXPECT_EQ(tunerState.seekContinue, SEEK_STOP);
  EXPECT_EQ(SeekDown(700), 875);
  EXPECT_EQ(tunerState.seekContinue, SEEK_STOP);
  EXPECT_EQ(ChipTimeline(start_), (std::vector<std::string>{"W@0", "W@100"}));
  for (const Bytes& w : ImageWrites()) EXPECT_EQ(w[0] & W0_SEARCH, 0);

  // Through the dispatcher, after a band change left the frequency outside.
  tunerState.currentFrequency = 1000;
  SetBand(BAND_JAPAN);
  DWORD out[2] = {0xFFFF, 0xFFFF};
  DWORD returned = 99;
  WORD up = 1;
  EXPECT_EQ(TunerControl(TUNER_CTL_SEEK, &up, sizeof up, out, sizeof out, &returned), 1);
  EXPECT_EQ(out[0], 910u);
  EXPECT_EQ(out[1], 0u);
  EXPECT_EQ(returned, 0u);
  tunerState.currentFrequency = 1000;
  WORD down = 0;
  EXPECT_EQ(TunerControl(TUNER_CTL_SEEK, &down, sizeof down, out, sizeof out, &returned), 1);
  EXPECT_EQ(out[0], 760u);
  EXPECT_EQ(ImageWrites().back()[3], W3_JAPAN);
}

}  // namespace
