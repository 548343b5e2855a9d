// The whole radio program headless: first start, settings across runs,
// the card pulled and put back, seeks and taps, keys with the display off,
// the band change in the Setting dialog.
#include "OndrelFixture.h"

namespace e2e {
namespace {

double Khz(const nlohmann::json& dump) { return dump["card"]["khz"].get<double>(); }

const nlohmann::json* Window(const nlohmann::json& dump, const std::string& cls) {
  for (const auto& w : dump["windows"])
    if (w["class"] == cls) return &w;
  return nullptr;
}

TEST_F(OndrelTest, FirstStartTunesTheBandStartAndStoresEveryValueWithItsType) {
  ASSERT_EQ(Run("wait 500\ndump\n"), 0) << err_.str();
  auto dumps = Dumps();
  ASSERT_EQ(dumps.size(), 1u) << out_.str();
  // The card was found by the poll and the radio started: powered,
  // unmuted, 87.5 MHz, volume 45 (the card's step for it).
  EXPECT_TRUE(dumps[0]["card"]["audio"].get<bool>());
  EXPECT_FALSE(dumps[0]["card"]["mute"].get<bool>());
  EXPECT_EQ(Khz(dumps[0]), 87500.0);
  // The window leaves the bottom 26 rows to the menu bar.
  const nlohmann::json* main = Window(dumps[0], "Ondrel");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ((*main)["h"], 268);
  ASSERT_NE(Window(dumps[0], "MenuBar"), nullptr);
  EXPECT_EQ((*Window(dumps[0], "MenuBar"))["y"], 294);

  std::string reg = Registry();
  EXPECT_NE(reg.find("\"CurrentFrequency\"=dword:0000036b"), std::string::npos) << reg;
  EXPECT_NE(reg.find("\"CurrentVolume\"=dword:0000002d"), std::string::npos);
  EXPECT_NE(reg.find("\"Group\"=hex(4):01"), std::string::npos);
  EXPECT_NE(reg.find("\"SearchLevel\"=hex(4):01"), std::string::npos);
  EXPECT_NE(reg.find("\"RadioSystem\"=dword:00000001"), std::string::npos);
  EXPECT_NE(reg.find("\"AutoSearch\"=dword:00000000"), std::string::npos);
  EXPECT_NE(reg.find("\"AudioOutputType\"=dword:00000002"), std::string::npos);
  // Written only at exit, as the ninth value.
  EXPECT_NE(reg.find("\"StereoNoiseCancel\"=dword:00000000"), std::string::npos);
}

TEST_F(OndrelTest, AStoredJapanBandAndFrequencyAreTunedWhenTheCardIsFound) {
  Import(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Tessaro\\Veltrane]\r\n"
      "\"RadioSystem\"=dword:00000002\r\n"
      "\"CurrentFrequency\"=dword:00000320\r\n"
      "\"CurrentVolume\"=dword:00000014\r\n");
  ASSERT_EQ(Run("wait 1500\ndump\nshot " + Shot("japan.png").string() + "\n"), 0) << err_.str();
  auto dumps = Dumps();
  ASSERT_EQ(dumps.size(), 1u);
  EXPECT_EQ(Khz(dumps[0]), 80000.0);
  EXPECT_TRUE(dumps[0]["card"]["japan"].get<bool>());
  std::string reg = Registry();
  EXPECT_NE(reg.find("\"CurrentFrequency\"=dword:00000320"), std::string::npos) << reg;
  EXPECT_NE(reg.find("\"CurrentVolume\"=dword:00000014"), std::string::npos);
}

TEST_F(OndrelTest, PulledCardStopsTheRadioAndPuttingItBackRestartsIt) {
  ASSERT_EQ(Run("wait 500\nkey RIGHT\nwait 800\ndump\ncard remove\nwait 300\ndump\ncard insert\nwait 800\ndump\n"), 0)
      << err_.str();
  auto dumps = Dumps();
  ASSERT_EQ(dumps.size(), 3u) << out_.str();
  const double stepped = Khz(dumps[0]);
  EXPECT_EQ(stepped, 87600.0);
  EXPECT_FALSE(dumps[1]["card"]["present"].get<bool>());
  // Back in: powered, unmuted and at the frequency the slider kept.
  EXPECT_TRUE(dumps[2]["card"]["present"].get<bool>());
  EXPECT_TRUE(dumps[2]["card"]["audio"].get<bool>());
  EXPECT_FALSE(dumps[2]["card"]["mute"].get<bool>());
  EXPECT_EQ(Khz(dumps[2]), stepped);
}

TEST_F(OndrelTest, ACardInsertedAfterStartIsStartedWithinAPoll) {
  ASSERT_EQ(Run("wait 500\n" + Tap(kTuneUp) + "dump\ncard insert\nwait 150\ndump\nwait 1000\ndump\n", {"--no-card"}), 0)
      << err_.str();
  auto dumps = Dumps();
  ASSERT_EQ(dumps.size(), 3u) << out_.str();
  EXPECT_FALSE(dumps[0]["card"]["present"].get<bool>());
  // Found by the 100 ms poll: powered, unmuted, at the volume slider's
  // value and the frequency slider's (the tap without a card tuned
  // nothing).
  EXPECT_TRUE(dumps[1]["card"]["audio"].get<bool>());
  EXPECT_FALSE(dumps[1]["card"]["standby"].get<bool>());
  EXPECT_FALSE(dumps[2]["card"]["mute"].get<bool>());
  EXPECT_EQ(Khz(dumps[2]), 87500.0);
}

TEST_F(OndrelTest, ATapDuringASeekStopsItWhereItIsAndKeysAreIgnoredMeanwhile) {
  // One station far up the band, so the seek runs for a while. Search
  // mode, then a seek up; the key pressed while it runs does nothing; a
  // tap on empty background stops it.
  std::ofstream(dir_ / "far.scene") << "105.0 14 stereo Far FM\n";
  ASSERT_EQ(Run("wait 500\n" + Tap(kSearchMode) + Tap(kTuneUp) + "key UP\ndump\ntap 230 120\nwait 500\ndump\nwait 3000\ndump\n",
                {"--scene", (dir_ / "far.scene").string()}),
            0)
      << err_.str();
  auto dumps = Dumps();
  ASSERT_EQ(dumps.size(), 3u) << out_.str();
  EXPECT_TRUE(dumps[0]["card"]["mute"].get<bool>());  // seeking, muted
  EXPECT_LT(Khz(dumps[0]), 105000.0);
  EXPECT_EQ(dumps[0]["card"]["volume_step"], 5);  // the volume key was ignored
  // Stopped: nothing moves any more, and the sound is back.
  EXPECT_FALSE(dumps[1]["card"]["searching"].get<bool>());
  EXPECT_FALSE(dumps[1]["card"]["mute"].get<bool>());
  EXPECT_EQ(Khz(dumps[1]), Khz(dumps[2]));
  EXPECT_LT(Khz(dumps[2]), 105000.0);
}

TEST_F(OndrelTest, AStationAtTheTopOfTheBandFoundBySeekIsHeard) {
  std::ofstream(dir_ / "edge.scene") << "108.0 14 stereo Edge FM\n";
  ASSERT_EQ(Run("wait 500\n" + Tap(kSearchMode) + "key RIGHT\nwait 12000\ndump\n",
                {"--scene", (dir_ / "edge.scene").string()}),
            0)
      << err_.str();
  auto dumps = Dumps();
  ASSERT_EQ(dumps.size(), 1u) << out_.str();
  EXPECT_EQ(Khz(dumps[0]), 108000.0);
  EXPECT_FALSE(dumps[0]["card"]["searching"].get<bool>());
  EXPECT_FALSE(dumps[0]["card"]["mute"].get<bool>());
  EXPECT_TRUE(dumps[0]["card"]["audio"].get<bool>());
}

TEST_F(OndrelTest, AKeyWithTheDisplayOffOnlyWakesItAndCtrlQStillCloses) {
  ASSERT_EQ(Run("wait 500\n" + Tap(kDisplayOff) + "wait 100\ndump\nkey RIGHT\nwait 800\ndump\n" + Tap(kDisplayOff) +
                "wait 100\nkey CTRL+Q\nwait 500\ndump\n"),
            0)
      << err_.str();
  auto dumps = Dumps();
  ASSERT_EQ(dumps.size(), 3u) << out_.str();
  EXPECT_FALSE(dumps[0]["backlight"].get<bool>());
  EXPECT_TRUE(dumps[1]["backlight"].get<bool>());
  EXPECT_EQ(Khz(dumps[1]), 87500.0);  // the key did not tune
  // Ctrl+Q woke the display and closed the radio.
  EXPECT_TRUE(dumps[2]["backlight"].get<bool>());
  EXPECT_EQ(Window(dumps[2], "Ondrel"), nullptr);
}

TEST_F(OndrelTest, ExitWithMonoOnStoresStereo) {
  ASSERT_EQ(Run("wait 500\n" + Tap(kMono) + "wait 100\ndump\n" + Tap(kExit) + "wait 300\n"), 0) << err_.str();
  auto dumps = Dumps();
  ASSERT_EQ(dumps.size(), 1u);
  EXPECT_TRUE(dumps[0]["card"]["mono"].get<bool>());
  EXPECT_NE(Registry().find("\"AudioOutputType\"=dword:00000002"), std::string::npos);
}

TEST_F(OndrelTest, TheSettingDialogSwitchesEuropeAt100MHzToJapanAt91) {
  Import(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Tessaro\\Veltrane]\r\n"
      "\"CurrentFrequency\"=dword:000003e8\r\n");
  // Menu, Setting, Japan, ok.
  ASSERT_EQ(Run("wait 1500\ndump\ntap 20 307\nwait 200\ntap 40 236\nwait 300\ndump\ntap 30 101\ntap 225 13\nwait 800\n"
                "dump\nshot " + Shot("japan-from-dialog.png").string() + "\n"),
            0)
      << err_.str();
  auto dumps = Dumps();
  ASSERT_EQ(dumps.size(), 3u) << out_.str();
  EXPECT_EQ(Khz(dumps[0]), 100000.0);
  ASSERT_NE(Window(dumps[1], "Dialog"), nullptr) << dumps[1].dump();
  EXPECT_EQ(Window(dumps[2], "Dialog"), nullptr);
  EXPECT_EQ(Khz(dumps[2]), 91000.0);
  EXPECT_TRUE(dumps[2]["card"]["japan"].get<bool>());
  std::string reg = Registry();
  EXPECT_NE(reg.find("\"RadioSystem\"=dword:00000002"), std::string::npos) << reg;
  EXPECT_NE(reg.find("\"CurrentFrequency\"=dword:0000038e"), std::string::npos);
}

TEST_F(OndrelTest, HeadlessWithoutAScriptPlaysTheTourToItsEndWithAPictureOfEachStep) {
  ASSERT_EQ(RunArgs({"--headless", "--root", Root().string(), "--program", ONDREL_MODULE_PATH}), 0) << err_.str();
  const fs::path pictures = Root().string() + "-tour";
  for (const char* name : {"01-start.png", "04-preset-stored.png", "10-menu.png", "11-setting.png", "12-japan.png",
                           "13-about.png"})
    EXPECT_TRUE(fs::is_regular_file(pictures / name)) << name;
  EXPECT_NE(out_.str().find("Ctrl+Q: the radio saves its settings and closes."), std::string::npos) << out_.str();
  // The band change the tour made was saved at its end.
  EXPECT_NE(Registry().find("\"RadioSystem\"=dword:00000002"), std::string::npos);
}

}  // namespace
}  // namespace e2e
