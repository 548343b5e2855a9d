// What the radio sounds like, from the recordings of whole headless runs:
// silence exactly while the chip or the program mutes, the preset chime at
// the speaker's own level, and the same bytes for the same run.
#include <fstream>
#include <iterator>

#include "OndrelFixture.h"
#include "platform/sound/Wave.h"
#include "tests/support/Tones.h"

namespace e2e {
namespace {

// The recording's samples, interleaved stereo.
std::vector<std::int16_t> Recording(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string error;
  auto sound = ce::sound::ParseWave(bytes, error);
  EXPECT_TRUE(sound) << error;
  if (!sound) return {};
  EXPECT_EQ(sound->rate, 48000);
  EXPECT_EQ(sound->channels, 2);
  return sound->samples;
}

std::vector<std::int16_t> Span(const std::vector<std::int16_t>& samples, double fromS, double toS) {
  const auto from = std::min(samples.size(), std::size_t(fromS * 48000) * 2);
  const auto to = std::min(samples.size(), std::size_t(toS * 48000) * 2);
  if (to <= from) return {};
  return {samples.begin() + std::ptrdiff_t(from), samples.begin() + std::ptrdiff_t(to)};
}

// The tuner-image writes of a bus trace: when, and whether they mute.
struct ImageWrite {
  std::uint64_t ms;
  bool mute, search;
};
std::vector<ImageWrite> ImageWrites(const fs::path& trace) {
  std::vector<ImageWrite> writes;
  std::ifstream in(trace);
  for (std::string line; std::getline(in, line);) {
    const auto at = line.find(" CMD53 W fn=1 reg=0x66 ");
    if (at == std::string::npos) continue;
    unsigned w[4] = {};
    std::sscanf(line.c_str() + at + 23, "%x %x %x %x", &w[0], &w[1], &w[2], &w[3]);
    writes.push_back({std::stoull(line.substr(2)), (w[0] & 0x80) || (w[2] & 0x06) || (w[3] & 0x08),
                      (w[0] & 0x40) != 0});
  }
  return writes;
}

TEST_F(OndrelTest, TheSpeakerIsSilentExactlyWhileTheChipIsMutedSearchingOrMutedByTheUser) {
  const fs::path trace = dir_ / "trace.txt", wav = dir_ / "run.wav";
  ASSERT_EQ(Run("wait 500\n" + Tap(kSearchMode) + Tap(kTuneUp) + "wait 3000\n" + Tap(kMute) + "wait 700\n" +
                    Tap(kMute) + "wait 700\n",
                {"--trace", trace.string(), "--record", wav.string()}),
            0)
      << err_.str();
  const auto samples = Recording(wav);
  const auto writes = ImageWrites(trace);
  int searches = 0, mutedSpans = 0, heardSpans = 0;
  for (std::size_t i = 0; i + 1 < writes.size(); ++i) {
    // From 4 ms after the write (the ramp, the trace's whole milliseconds)
    // to the next.
    auto span = Span(samples, (writes[i].ms + 4) / 1000.0, writes[i + 1].ms / 1000.0);
    if (span.empty()) continue;
    const bool silent = tones::Silent(span);
    if (writes[i].mute) {
      EXPECT_TRUE(silent) << "muted from " << writes[i].ms << " ms";
      ++mutedSpans;
      searches += writes[i].search;
    } else if (span.size() > 2 * 4800 && writes[i].ms > 1000) {  // once the radio has started
      EXPECT_FALSE(silent) << "heard from " << writes[i].ms << " ms";
      ++heardSpans;
    }
  }
  EXPECT_GT(searches, 0);
  EXPECT_GT(mutedSpans, searches) << "the user's mute too";
  EXPECT_GE(heardSpans, 2);
}

TEST_F(OndrelTest, ThePresetChimePlaysAtTheSpeakersLevelWhateverTheCardsVolume) {
  // An empty band: nothing but the hiss, at the card's volume.
  std::ofstream(dir_ / "empty.scene") << "# nothing on the air\n";
  struct Heard {
    double chime, hiss;
  };
  auto run = [&](const std::string& volumeHex) {
    fs::remove_all(Root());
    Import(std::string("Windows Registry Editor Version 5.00\r\n\r\n") + kSettingsKey + "\r\n\"CurrentVolume\"=dword:" +
           volumeHex + "\r\n");
    const fs::path wav = dir_ / ("volume" + volumeHex + ".wav");
    EXPECT_EQ(Run("wait 1000\nhold " + std::to_string(kPreset1.x) + " " + std::to_string(kPreset1.y) +
                      " 1500\nwait 1500\n",
                  {"--scene", (dir_ / "empty.scene").string(), "--record", wav.string()}),
              0)
        << err_.str();
    const auto samples = Recording(wav);
    const auto chime = tones::Side(Span(samples, 1.5, 3.5), 0);
    const auto hiss = tones::Side(Span(samples, 0.7, 0.95), 0);
    return Heard{tones::Db(tones::TonePower(chime, 1568)), tones::Db(tones::MeanSquare(hiss))};
  };
  const Heard quiet = run("00000014"), loud = run("0000004f");  // 20 and 79
  EXPECT_GT(loud.hiss - quiet.hiss, 10) << "the card's volume moves the radio";
  EXPECT_NEAR(loud.chime, quiet.chime, 0.3) << "but not the chime";
  EXPECT_GT(quiet.chime, -40) << "and it was heard";
}

TEST_F(OndrelTest, TheSameScriptSceneAndSeedRecordTheSameBytes) {
  const std::string script = "wait 500\n" + Tap(kSearchMode) + Tap(kTuneUp) + "wait 2500\nkey RIGHT\nwait 500\n";
  auto record = [&](const std::string& name, std::vector<std::string> extra) {
    fs::remove_all(Root());
    extra.insert(extra.end(), {"--record", (dir_ / name).string()});
    EXPECT_EQ(Run(script, extra), 0) << err_.str();
    return Bytes(dir_ / name);
  };
  const std::string first = record("a.wav", {}), again = record("b.wav", {}), seeded = record("c.wav", {"--seed", "7"});
  EXPECT_GT(first.size(), 44u + 4 * 48000 * 3);
  EXPECT_EQ(first, again);
  EXPECT_NE(first, seeded) << "another seed fades and hisses otherwise";
}

}  // namespace
}  // namespace e2e
