// The desktop sound output: SDL's dummy driver stands in for a sound
// card, so the conversion and the queue are checked without one.
#include <gtest/gtest.h>

#include "frontend/AudioOut.h"

namespace {

std::shared_ptr<const hw::Sound> Tone(int rate, int channels, int frames) {
  auto sound = std::make_shared<hw::Sound>();
  sound->rate = rate;
  sound->channels = channels;
  sound->samples.resize(std::size_t(frames * channels));
  for (std::size_t i = 0; i < sound->samples.size(); ++i) sound->samples[i] = std::int16_t((i % 50) * 400 - 10000);
  return sound;
}

TEST(AudioOutTest, QueuesASoundConvertedToTheDeviceFormatAndCutsItOff) {
  std::string whyNot;
  auto out = hw::AudioOut::Open(whyNot, "dummy");
  ASSERT_NE(out, nullptr) << whyNot;
  EXPECT_EQ(out->driver(), "dummy");

  // Half a second of 22.05 kHz mono becomes about half a second of
  // 44.1 kHz stereo 16-bit (88200 bytes); the device may have taken a
  // little already.
  out->Play(Tone(22050, 1, 11025));
  std::size_t queued = out->Queued();
  EXPECT_GT(queued, 60000u);
  EXPECT_LE(queued, 88200u + 64);

  // A new sound replaces the old; nullptr silences.
  out->Play(Tone(44100, 2, 441));
  EXPECT_LE(out->Queued(), 441u * 4 + 64);
  out->Play(nullptr);
  EXPECT_EQ(out->Queued(), 0u);
}

TEST(AudioOutTest, ADriverThatCannotOpenIsNamedInTheReason) {
  std::string whyNot;
  EXPECT_EQ(hw::AudioOut::Open(whyNot, "no-such-driver"), nullptr);
  EXPECT_NE(whyNot.find("no-such-driver"), std::string::npos) << whyNot;
}

}  // namespace
