// The program's own tuning procedures on the radio card in a band that
// behaves like one: what the card reported and how the program judged
// it, read from the bus trace.
#include "TunerFixture.h"
#include "host/SceneFile.h"

namespace {

// One TuneAndVerify that moved, as the trace shows it: what its two
// status reads reported and where the search stopped. Whether the program
// took it is Rejected()'s to work out from what followed.
struct Verdict {
  int level1 = 0, level2 = 0, ifCounter = 0;
  bool stereo = false;
  int stop = 0;          // frequency of the stop, low side
};

// Whether the program rejected the j-th of a seek's verdicts: a retry
// followed, or the seek asked to go on.
bool Rejected(const std::vector<Verdict>& verdicts, std::size_t j) {
  return j + 1 < verdicts.size() || tunerState.seekContinue != SEEK_STOP;
}

class ReceptionTest : public TunerFixture {
 protected:
  void Use(const std::string& sceneText) {
    std::string error;
    auto scene = host::ParseScene(sceneText, "test scene", error);
    ASSERT_TRUE(scene) << error;
    card_ = std::make_shared<hw::RadioCard>(clock_, *scene);
    Insert(card_);
    ASSERT_TRUE(TunerChannel::Open());
    SetAudioPower(true);
  }

  // The searches in the trace since it was cleared, each with its reads.
  std::vector<Verdict> Verdicts() {
    std::vector<Verdict> out;
    auto chip = RequestsTo(hw::RadioCard::kRegTuner);
    for (std::size_t i = 0; i + 3 < chip.size(); ++i) {
      const BusRequest& search = chip[i];
      if (!search.write || !(search.data[0] & W0_SEARCH)) continue;
      if (chip[i + 1].write || !chip[i + 2].write || chip[i + 3].write) continue;  // it did not move
      Verdict v;
      v.level1 = chip[i + 1].data[3] >> 4;
      v.level2 = chip[i + 3].data[3] >> 4;
      v.ifCounter = chip[i + 3].data[2] & 0x7F;
      v.stereo = chip[i + 3].data[2] & 0x80;
      v.stop = PllToFrequency(WORD(((chip[i + 3].data[0] & 0x3F) << 8) | chip[i + 3].data[1]), false);
      out.push_back(v);
    }
    return out;
  }

  std::shared_ptr<hw::RadioCard> card_;
};

TEST_F(ReceptionTest, ASearchStopsBesideAStrongStationAndTheIfCounterRejectsTheStop) {
  Use("90.2 15 stereo Metro One\n");
  tunerState.currentFrequency = 895;
  host_.trace().Clear();
  EXPECT_EQ(Seek(1), 901);
  EXPECT_EQ(tunerState.seekContinue, SEEK_CONTINUE_UP);
  const auto verdicts = Verdicts();
  ASSERT_EQ(verdicts.size(), 2u) << "the stop and its retry";
  for (const Verdict& v : verdicts) {
    EXPECT_EQ(v.stop, 901);
    EXPECT_EQ(v.level1, 7);
    EXPECT_EQ(v.level2, 7);
    EXPECT_TRUE(v.ifCounter < IF_COUNTER_LOW || v.ifCounter > IF_COUNTER_HIGH) << v.ifCounter;
  }
  // The program seeks on from the stop and finds the station itself.
  host_.trace().Clear();
  EXPECT_EQ(Seek(1), 902);
  EXPECT_EQ(tunerState.seekContinue, SEEK_STOP);
  EXPECT_GE(Verdicts().at(0).level2, 14);
}

TEST_F(ReceptionTest, AFadingWeakStereoStationIsSometimesAcceptedAndSometimesRejectedByTheLevelRule) {
  Use("95.0 6 stereo Far Stereo\n");
  int spreadRejected = 0, weakAccepted = 0;
  for (int i = 0; i < 60; ++i) {
    host_.trace().Clear();
    tunerState.currentFrequency = 940;
    Seek(1);
    const auto verdicts = Verdicts();
    for (std::size_t j = 0; j < verdicts.size(); ++j) {
      const Verdict& v = verdicts[j];
      if (v.stop != 950) continue;
      const bool weak = v.level1 < STRONG_LEVEL && v.level2 < STRONG_LEVEL;
      if (weak && std::abs(v.level1 - v.level2) >= 3) {
        EXPECT_TRUE(Rejected(verdicts, j)) << "readings " << v.level1 << " and " << v.level2 << " are rejected";
        ++spreadRejected;
      }
      if (weak && v.stereo && !Rejected(verdicts, j)) {
        EXPECT_GE(v.level2, 7) << "stereo only from level 7";
        EXPECT_LT(std::abs(v.level1 - v.level2), 3);
        EXPECT_TRUE(v.ifCounter >= IF_COUNTER_LOW && v.ifCounter <= IF_COUNTER_HIGH);
        EXPECT_EQ(tunerState.currentFrequency, 950);
        EXPECT_EQ(tunerState.seekContinue, SEEK_STOP);
        ++weakAccepted;
      }
    }
    Sleep(DWORD(137 * (i % 7)));
  }
  EXPECT_GT(spreadRejected, 0) << "the fading met the 3-level rule";
  EXPECT_GT(weakAccepted, 0) << "a weak stereo stop was accepted";
}

TEST_F(ReceptionTest, TheInjectionProbeTakesTheHighSideToEscapeAGhost) {
  // 104.95 falls on 105.4's low-side image; 105.6 two channels up is
  // strong.
  Use("104.95 15 stereo Capital Rock\n105.4 5 mono Village Radio\n105.6 15 stereo Riverside FM\n");
  tunerState.lastTunedFrequency = 1000;
  host_.trace().Clear();
  SetFrequency(1054);
  auto chip = RequestsTo(hw::RadioCard::kRegTuner);
  std::vector<int> levels;
  for (const BusRequest& r : chip)
    if (!r.write) levels.push_back(r.data[3] >> 4);
  ASSERT_EQ(levels.size(), 2u);
  EXPECT_TRUE(levels[0] == 8 || levels[0] == 9) << "the ghost, 15 less the image rejection: " << levels[0];
  EXPECT_GE(levels[1], 14);
  EXPECT_TRUE(tunerState.highSideInjection);
  EXPECT_EQ(ImageWrites().back()[2] & W2_HIGH_SIDE, W2_HIGH_SIDE);
  // What the card receives there now: the weak station, and nothing of
  // the strong one's image.
  auto received = [this](bool highSide) {
    return card_->receiver().Receive(hw::TunerChip::TunedHzOf(card_->Observe().chip.pll, highSide), highSide, false,
                                     clock_.NowUs());
  };
  hw::Reception high = received(true);
  EXPECT_EQ(card_->receiver().scene().stations()[std::size_t(high.heard[0].station)].name, "Village Radio");
  for (int i = 0; i < high.count; ++i) EXPECT_FALSE(high.heard[std::size_t(i)].image && high.heard[std::size_t(i)].level > 0);

  // Without the strong station above, the probe keeps the low side and
  // the ghost is what is heard.
  Remove();
  TunerChannel::Close();
  Use("104.95 15 stereo Capital Rock\n105.4 5 mono Village Radio\n");
  tunerState.lastTunedFrequency = 1000;
  SetFrequency(1054);
  EXPECT_FALSE(tunerState.highSideInjection);
  hw::Reception low = received(false);
  EXPECT_EQ(card_->receiver().scene().stations()[std::size_t(low.heard[0].station)].name, "Capital Rock");
  EXPECT_TRUE(low.heard[0].image);
}

}  // namespace
