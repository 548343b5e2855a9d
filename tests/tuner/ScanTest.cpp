// Whole-band scans on the radio card with the built-in scene: the seek and
// its acceptance test find the stations a listener can receive, and
// nothing that is not on the air.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "BandScan.h"
#include "ScanCommand.h"
#include "TunerFixture.h"

namespace {

class ScanTest : public TunerFixture {
 protected:
  void SetUp() override {
    TunerFixture::SetUp();
    Insert(std::make_shared<hw::RadioCard>(clock_, hw::Scene::Default()));
    radio_.CheckPresent();
    ASSERT_TRUE(radio_.opened);
  }
  void TearDown() override {
    radio_.Close();
    TunerFixture::TearDown();
  }

  // Stations no fading takes below the level a stop is accepted at (9
  // and up) between the band's limits.
  static std::vector<const hw::Station*> AlwaysFound(int lower, int upper) {
    std::vector<const hw::Station*> out;
    static const hw::Scene scene = hw::Scene::Default();
    for (const hw::Station& s : scene.stations())
      if (s.level > STRONG_LEVEL && s.hz >= lower * 100'000LL && s.hz <= upper * 100'000LL) out.push_back(&s);
    return out;
  }

  RadioDevice radio_;
};

TEST_F(ScanTest, EachBandFindsItsStrongStationsInOrderAndStopsOnNothingUnheard) {
  struct Band {
    int value, lower, upper;
  } bands[] = {{BAND_EUROPE, 875, 1080}, {BAND_USA, 880, 1080}, {BAND_JAPAN, 760, 910}};
  for (const Band& band : bands) {
    SCOPED_TRACE(band.value);
    std::vector<scan::FoundStation> found = scan::ScanBand(radio_, band.value, [this](scan::FoundStation& f) {
      const hw::Station* heard = slot_.host.Card() ? std::static_pointer_cast<hw::RadioCard>(slot_.host.Card())
                                                         ->Observe().chip.heard
                                                   : nullptr;
      f.name = heard ? heard->name : "";
    });
    for (std::size_t i = 1; i < found.size(); ++i) EXPECT_LT(found[i - 1].frequency, found[i].frequency);
    for (const scan::FoundStation& f : found) EXPECT_FALSE(f.name.empty()) << f.frequency << ": a stop on noise";
    for (const hw::Station* s : AlwaysFound(band.lower, band.upper)) {
      SCOPED_TRACE(s->name);
      const int channel = int((s->hz + 50'000) / 100'000);
      auto it = std::find_if(found.begin(), found.end(), [&](const auto& f) { return f.frequency == channel; });
      ASSERT_NE(it, found.end());
      if (s->hz % 100'000 != 0) continue;  // off the raster: heard, but weaker
      EXPECT_TRUE(it->level == s->level || it->level == s->level - 1) << it->level;
      EXPECT_EQ(it->stereo, s->stereo);
      EXPECT_EQ(it->name, s->name);
    }
    EXPECT_EQ(tunerState.currentFrequency, band.upper);  // it ran to the end
  }
}

TEST_F(ScanTest, OneSeekOnTheCardFollowsTheProtocol) {
  radio_.SetFrequency(875);
  host_.trace().Clear();
  std::uint64_t start = clock_.NowMs();
  EXPECT_EQ(radio_.SeekUp(), 886);
  EXPECT_EQ(radio_.seekContinue, 0);
  EXPECT_EQ(ChipTimeline(start), (std::vector<std::string>{"W@0", "R@150", "W@250", "R@400", "W@400"}));
  EXPECT_EQ(clock_.NowMs() - start, 500u);
  auto writes = ImageWrites();
  EXPECT_EQ(writes[0][0] & (W0_MUTE | W0_SEARCH), W0_MUTE | W0_SEARCH);
  EXPECT_EQ(writes[0][2] & W2_SEARCH_UP, W2_SEARCH_UP);
  EXPECT_EQ(writes[1][0] & W0_SEARCH, 0);
  EXPECT_EQ((writes[2][0] & 0x3F) << 8 | writes[2][1], FrequencyToPll(886, false));
}

std::string RunScanCommand(std::vector<std::string_view> args, int& status, std::string& errors) {
  std::ostringstream out, err;
  status = scan::RunScan(args, out, err);
  errors = err.str();
  return out.str();
}

TEST(ScanCommandTest, PrintsTheStationsAndTheDeviceTime) {
  std::string root = ::testing::TempDir() + "scan-command";
  std::filesystem::remove_all(root);
  int status = -1;
  std::string errors;
  std::string out = RunScanCommand({"--root", root, "--band", "japan"}, status, errors);
  EXPECT_EQ(status, 0) << errors;
  EXPECT_EQ(out,
            "76.5 MHz  level 10  stereo  Harbour Wave\n"
            "79.2 MHz  level 9  mono  Hillside Relay\n"
            "82.5 MHz  level 13  stereo  Tokai Lights\n"
            "87.5 MHz  level 8  mono  Band Edge Low\n"
            "88.6 MHz  level 12  stereo  Coastline FM\n"
            "89.4 MHz  level 7  stereo  Far Stereo\n"
            "90.2 MHz  level 14  stereo  Metro One\n"
            "7 stations, 7.9 s of device time\n");
  // The whole band, with a station off the raster heard on two channels
  // and as a ghost on its image.
  out = RunScanCommand({"--root", root}, status, errors);
  EXPECT_NE(out.find("104.9 MHz  level 12  mono  Capital Rock (104.95 MHz)\n"), std::string::npos) << out;
  EXPECT_NE(out.find("105.4 MHz  level 8  stereo  Capital Rock (image of 104.95 MHz)\n"), std::string::npos) << out;

  const std::string oneStation = root + "/one.scene";  // inside the root, so it goes with it
  std::ofstream(oneStation) << "95.0 15 stereo City FM\n";
  out = RunScanCommand({"--root", root, "--scene", oneStation}, status, errors);
  EXPECT_EQ(out.substr(out.find('\n') + 1, 11), "1 station, ") << out;

  out = RunScanCommand({"--root", root, "--no-card"}, status, errors);
  EXPECT_NE(status, 0);
  EXPECT_EQ(errors, "ondrel-scan: no tuner card in the SD slot\n");
  RunScanCommand({"--root", root, "--band", "mars"}, status, errors);
  EXPECT_NE(status, 0);
  EXPECT_NE(errors.find("unknown band mars"), std::string::npos);
  std::filesystem::remove_all(root);
}

}  // namespace
