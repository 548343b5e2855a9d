// Volume steps and the switch word, as the card receives them.
#include "TunerFixture.h"

namespace {

class CardControlsTest : public TunerFixture {
 protected:
  // The volume commands since the last call: +1 per step up, -1 per step down.
  std::vector<int> VolumeSteps() {
    std::vector<int> steps;
    for (const BusRequest& r : RequestsTo(hw::RadioCard::kRegVolume)) {
      EXPECT_TRUE(r.write);
      EXPECT_EQ(r.data, (Bytes{r.data[0], 0, 0, 0, 0, 0, 0, 0}));
      steps.push_back(r.data[0] == 1 ? 1 : -1);
    }
    host_.trace().Clear();
    return steps;
  }
  static std::vector<int> Repeat(int step, int count) { return std::vector<int>(count, step); }

  std::vector<unsigned> SwitchWords() {
    std::vector<unsigned> words;
    for (const BusRequest& r : RequestsTo(hw::RadioCard::kRegSwitches)) words.push_back(r.data[0]);
    host_.trace().Clear();
    return words;
  }
};

TEST_F(CardControlsTest, VolumeStartsFromTheBottomAndSmallChangesAddUp) {
  OpenWithStatusCard();
  std::uint64_t start = clock_.NowMs();
  SetVolume(45);
  auto expected = Repeat(-1, 32);
  expected.insert(expected.end(), 5, 1);
  EXPECT_EQ(VolumeSteps(), expected);
  EXPECT_EQ(clock_.NowMs(), start);  // no pause between steps
  EXPECT_EQ(tunerState.volumeLevel, 45);

  SetVolume(50);  // less than one card step: nothing sent, nothing recorded
  EXPECT_TRUE(VolumeSteps().empty());
  EXPECT_EQ(tunerState.volumeLevel, 45);
  SetVolume(54);
  EXPECT_EQ(VolumeSteps(), Repeat(1, 1));
  SetVolume(0);
  EXPECT_EQ(VolumeSteps(), Repeat(-1, 6));  // 9 * -54 / 80 truncates toward zero
  SetVolume(200);                           // past the top: as 79
  EXPECT_EQ(VolumeSteps(), Repeat(1, 8));
  EXPECT_EQ(tunerState.volumeLevel, 79);
  SetVolume(79);
  EXPECT_TRUE(VolumeSteps().empty());
}

TEST_F(CardControlsTest, AudioPowerSwitchesAndForgetsTheVolume) {
  OpenWithStatusCard();
  SetVolume(30);
  VolumeSteps();
  SetAudioPower(true);
  EXPECT_EQ(SwitchWords(), (std::vector<unsigned>{2, 2}));
  SetAudioPower(false);
  EXPECT_EQ(SwitchWords(), (std::vector<unsigned>{0, 1}));
  SetAudioPower(true);
  EXPECT_EQ(SwitchWords(), (std::vector<unsigned>{3, 2}));
  // Only the low byte of the word is kept.
  tunerState.request.switchWord = 0xAB00;
  SetAudioPower(false);
  EXPECT_EQ(tunerState.request.switchWord, 1u);
  SwitchWords();

  // After a power switch the next volume change starts from the bottom again.
  SetVolume(30);
  auto expected = Repeat(-1, 32);
  expected.insert(expected.end(), 3, 1);
  EXPECT_EQ(VolumeSteps(), expected);

  // A reopened channel does not trust the old position either.
  ASSERT_TRUE(TunerChannel::Open());
  host_.trace().Clear();
  SetVolume(30);
  EXPECT_EQ(VolumeSteps().size(), 35u);
}

TEST_F(CardControlsTest, WithTheChannelClosedTheVolumeIsCountedAsSent) {
  auto card = std::make_shared<StatusCard>();
  Insert(card);
  host_.trace().Clear();
  SetVolume(40);
  EXPECT_TRUE(tunerState.volumeKnown);
  EXPECT_EQ(tunerState.volumeLevel, 40);
  SetAudioPower(true);
  EXPECT_EQ(tunerState.request.switchWord, 2u);
  EXPECT_TRUE(Requests().empty());
}

}  // namespace
