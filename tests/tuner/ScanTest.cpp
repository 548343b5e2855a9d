// Whole-band scans on the radio card with the built-in scene: the seek and
// its acceptance test find the stations a listener can receive, and
// nothing that is not on the air.
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

  // Stations strong enough for a clean stop (level 8 and up) between the
  // band's limits.
  static std::vector<const hw::Station*> Receivable(int lower, int upper) {
    std::vector<const hw::Station*> out;
    static const hw::Scene scene = hw::Scene::Default();
    for (const hw::Station& s : scene.stations())
      if (s.level >= STRONG_LEVEL && s.hz >= lower * 100'000LL && s.hz <= upper * 100'000LL) out.push_back(&s);
    return out;
  }

  RadioDevice radio_;
};

TEST_F(ScanTest, EachBandFindsTheReceivableStationsInOrder) {
  struct Band {
    int value, lower, upper;
  } bands[] = {{BAND_EUROPE, 875, 1080}, {BAND_USA, 880, 1080}, {BAND_JAPAN, 760, 910}};
  for (const Band& band : bands) {
    SCOPED_TRACE(band.value);
    std::vector<scan::FoundStation> found = scan::ScanBand(radio_, band.value);
    auto expected = Receivable(band.lower, band.upper);
    ASSERT_EQ(found.size(), expected.size());
    for (std::size_t i = 0; i < found.size(); i++) {
      SCOPED_TRACE(expected[i]->name);
      EXPECT_EQ(found[i].frequency * 100'000LL, expected[i]->hz);
      EXPECT_EQ(found[i].level, expected[i]->level);
      EXPECT_EQ(found[i].stereo, expected[i]->stereo);
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
            "76.5 MHz  level 11  stereo\n"
            "79.2 MHz  level 9  mono\n"
            "82.5 MHz  level 13  stereo\n"
            "87.5 MHz  level 8  mono\n"
            "88.6 MHz  level 12  stereo\n"
            "90.2 MHz  level 15  stereo\n"
            "6 stations, 6.4 s of device time\n");

  const std::string oneStation = root + "-one.scene";
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
