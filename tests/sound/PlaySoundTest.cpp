#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/kernel/Kernel.h"
#include "platform/shell/Power.h"
#include "tests/support/Devices.h"
#include "tests/support/ScratchFolder.h"
#include "windows.h"

namespace fs = std::filesystem;

namespace {

// A PCM wave file: frames of silence in the given format.
std::string Wave(int rate, int channels, int bits, int frames, int tag = 1) {
  auto le16 = [](int v) { return std::string{char(v & 0xFF), char((v >> 8) & 0xFF)}; };
  auto le32 = [&](std::uint32_t v) { return le16(int(v & 0xFFFF)) + le16(int(v >> 16)); };
  int block = channels * bits / 8;
  std::string data(std::size_t(frames * block), bits == 8 ? char(0x80) : char(0));
  std::string fmt = le16(tag) + le16(channels) + le32(std::uint32_t(rate)) + le32(std::uint32_t(rate * block)) +
                    le16(block) + le16(bits);
  std::string body = "WAVE" + std::string("fmt ") + le32(16) + fmt + "data" + le32(std::uint32_t(data.size())) + data;
  return "RIFF" + le32(std::uint32_t(body.size())) + body;
}

class PlaySoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root_ / "Windows");
    ce::SetDeviceRoot(root_);
  }
  void TearDown() override { ce::SetDeviceRoot({}); }
  void Put(const std::string& name, const std::string& bytes) { std::ofstream(root_ / name, std::ios::binary) << bytes; }

  testsupport::ScratchFolder scratch_{"ondrel-sound"};
  const fs::path& root_ = scratch_.path();
  TestDevices devices_;
  hw::Clock& clock_ = devices_.clock;
  hw::Speaker& speaker_ = devices_.speaker;
};

TEST_F(PlaySoundTest, PlaysForTheSoundsDurationOnTheClock) {
  Put("Windows/Default.wav", Wave(22050, 1, 16, 11025));  // half a second
  clock_.AdvanceTo(1000);
  EXPECT_TRUE(PlaySoundW(u"Default.wav", nullptr, SND_FILENAME));
  EXPECT_EQ(clock_.NowUs(), 1000u + 500000u) << "returns once the sound has played";
  auto played = speaker_.History();
  ASSERT_EQ(played.size(), 1u);
  EXPECT_EQ(played[0].startUs, 1000u);
  EXPECT_EQ(played[0].durationUs, 500000u);
  EXPECT_EQ(played[0].frames, 11025u);

  Put("chime.wav", Wave(8000, 2, 8, 800));  // 100 ms, stereo, 8-bit
  EXPECT_TRUE(PlaySoundW(u"\\chime.wav", nullptr, SND_FILENAME | SND_ASYNC));
  EXPECT_EQ(clock_.NowUs(), 501000u) << "asynchronous: at once";
  EXPECT_EQ(speaker_.History().size(), 2u);
}

TEST_F(PlaySoundTest, MissingOrMalformedFilesPlayNothing) {
  std::string good = Wave(11025, 1, 16, 1000);
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"not riff", "RIFX" + good.substr(4)},
      {"cut in the header", good.substr(0, 30)},
      {"float samples", Wave(11025, 1, 32, 100, 3)},
      {"no channels", Wave(11025, 0, 16, 100)},
      {"24-bit", Wave(11025, 1, 24, 100)},
      {"no frames", Wave(11025, 1, 16, 0)},
  };
  for (const Case& c : cases) {
    Put("Windows/bad.wav", c.bytes);
    SetLastError(0);
    EXPECT_FALSE(PlaySoundW(u"bad.wav", nullptr, SND_FILENAME)) << c.name;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_FORMAT)) << c.name;
  }
  EXPECT_FALSE(PlaySoundW(u"\\Windows\\none.wav", nullptr, SND_FILENAME));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(clock_.NowUs(), 0u);
  EXPECT_TRUE(speaker_.History().empty());
  EXPECT_TRUE(PlaySoundW(nullptr, nullptr, 0)) << "stopping is always fine";

  // A data chunk cut short plays the frames the file holds, and no more.
  Put("Windows/cut.wav", good.substr(0, good.size() - 10));
  EXPECT_TRUE(PlaySoundW(u"cut.wav", nullptr, SND_FILENAME | SND_ASYNC));
  ASSERT_EQ(speaker_.History().size(), 1u);
  EXPECT_EQ(speaker_.History()[0].frames, 995u);
}

TEST_F(PlaySoundTest, IdleTimerResetsAreCountedWithTheirTime) {
  auto before = ce::IdleTimer();
  clock_.AdvanceTo(2'500'000);
  SystemIdleTimerReset();
  clock_.AdvanceTo(12'500'000);
  SystemIdleTimerReset();
  auto after = ce::IdleTimer();
  EXPECT_EQ(after.resets, before.resets + 2);
  EXPECT_EQ(after.lastResetMs, 12'500u);
}

}  // namespace
