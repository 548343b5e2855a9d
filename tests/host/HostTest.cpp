#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/Host.h"
#include "host/Provisioning.h"
#include "tests/support/HostRun.h"
#include "tests/support/ScratchFolder.h"
#include "platform/kernel/Devices.h"
#include "platform/kernel/Kernel.h"
#include "platform/kernel/Registry.h"
#include "windows.h"

namespace {

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(files_); }

  int Run(const std::vector<std::string>& args) { return hosttest::RunHost(args, out_, err_); }

  std::filesystem::path Write(const std::string& name, const std::string& text) {
    auto path = files_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  static std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  testsupport::ScratchFolder scratch_{"ondrel-host"};
  const std::filesystem::path root_ = scratch_.path() / "root";  // made by the host
  const std::filesystem::path files_ = scratch_.path() / "files";
  std::ostringstream out_, err_;
};

TEST_F(HostTest, ScriptWaitThenDumpPrintsTheTimeAsJson) {
  auto script = Write("s.txt", "wait 1000\ndump\nwait 250\ndump\n");
  ASSERT_EQ(Run({"--headless", "--no-card", "--root", root_.string(), "--script", script.string()}), 0) << err_.str();
  EXPECT_EQ(out_.str(),
            "{\"t\": 1000, \"card\": {\"present\": false}, \"backlight\": true, "
            "\"speaker\": {\"level_dbfs\": -120.0}, \"windows\": [], "
            "\"idle_resets\": 0, \"last_idle_reset\": null}\n"
            "{\"t\": 1250, \"card\": {\"present\": false}, \"backlight\": true, "
            "\"speaker\": {\"level_dbfs\": -120.0}, \"windows\": [], "
            "\"idle_resets\": 0, \"last_idle_reset\": null}\n");
}

// Headless or in a window, a run that stops before it starts leaves the
// platform as it found it: the handheld's devices taken back, and message
// boxes on standard error again rather than on a screen that is gone.
TEST_F(HostTest, ARecordingThatCannotBeWrittenStopsTheRunBeforeItStarts) {
  auto script = Write("s.txt", "wait 100\n");
  const char* previousDriver = std::getenv("SDL_VIDEODRIVER");
  const std::string restore = previousDriver ? previousDriver : "";
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  for (const char* mode : {"--headless", "--scale=1"}) {
    SCOPED_TRACE(mode);
    EXPECT_NE(Run({mode, "--no-card", "--root", root_.string(), "--script", script.string(), "--record",
                   "/nonexistent/dir/x.wav"}),
              0);
    EXPECT_NE(err_.str().find("cannot write the recording /nonexistent/dir/x.wav"), std::string::npos) << err_.str();
    EXPECT_EQ(ce::Attached::Panel(), nullptr);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxW(nullptr, u"Still here?", u"Q", MB_YESNO), IDYES);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Q: Still here?\n");
  }
  if (previousDriver) setenv("SDL_VIDEODRIVER", restore.c_str(), 1);
  else unsetenv("SDL_VIDEODRIVER");
}

TEST_F(HostTest, FirstBootProvisionsTheRootOnceAndExportShowsInstallDir) {
  ASSERT_EQ(Run({"--root", root_.string()}), 0) << err_.str();
  EXPECT_NE(out_.str().find("first use of this device root"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(root_ / "Windows"));
  EXPECT_TRUE(std::filesystem::is_directory(root_ / "Program Files" / "Veltrane" / "Windows"));
  // The skins and the sound, as the build drew them.
  const std::filesystem::path artwork = host::DefaultArtworkDir();
  for (const char* skin : {"BK_U.bmp", "BK_P.bmp", "BK_E.bmp"}) {
    auto installed = root_ / "Program Files" / "Veltrane" / "Windows" / skin;
    ASSERT_TRUE(std::filesystem::exists(installed)) << skin;
    EXPECT_EQ(Read(installed), Read(artwork / skin)) << skin;
  }
  EXPECT_EQ(Read(root_ / "Windows" / "Default.wav"), Read(artwork / "Default.wav"));

  // A skin the user replaced stays as it is on later boots.
  std::ofstream(root_ / "Program Files" / "Veltrane" / "Windows" / "BK_E.bmp", std::ios::binary) << "mine";
  ASSERT_EQ(Run({"--root", root_.string()}), 0) << err_.str();
  EXPECT_NE(out_.str().find("already provisioned"), std::string::npos);
  EXPECT_EQ(Read(root_ / "Program Files" / "Veltrane" / "Windows" / "BK_E.bmp"), "mine");

  auto reg = files_ / "out.reg";
  ASSERT_EQ(Run({"--root", root_.string(), "--export-registry", reg.string()}), 0) << err_.str();
  std::string text = Read(reg);
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00", 0), 0u);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Apps\\Veltrane]"), std::string::npos);
  EXPECT_NE(text.find("\"InstallDir\"=\"\\\\Program Files\\\\Veltrane\""), std::string::npos);
}

TEST_F(HostTest, ImportedValuesAreThereOnTheNextBoot) {
  auto reg = Write("in.reg",
                   "Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Test]\r\n\"Answer\"=dword:0000002a\r\n");
  ASSERT_EQ(Run({"--root", root_.string(), "--import-registry", reg.string()}), 0) << err_.str();
  auto out = files_ / "out.reg";
  ASSERT_EQ(Run({"--root", root_.string(), "--export-registry", out.string()}), 0) << err_.str();
  EXPECT_NE(Read(out).find("\"Answer\"=dword:0000002a"), std::string::npos);
}

TEST_F(HostTest, BadScriptsAndOptionsFailWithAMessageAndTouchNothing) {
  auto script = Write("bad.txt", "wait 10\nwait soon\n");
  EXPECT_EQ(Run({"--headless", "--root", root_.string(), "--script", script.string()}), 1);
  EXPECT_EQ(err_.str(), "ondrel: " + script.string() + ": line 2: wait: 'soon' is not a whole number (milliseconds)\n");
  EXPECT_FALSE(std::filesystem::exists(root_)) << "a bad script must stop before the handheld boots";

  EXPECT_EQ(Run({"--bogus"}), 1);
  EXPECT_EQ(err_.str(), "ondrel: unknown option '--bogus' (ondrel --help lists the options)\n");

  EXPECT_EQ(Run({"--script", (files_ / "missing.txt").string()}), 1);
  EXPECT_NE(err_.str().find("cannot read the script"), std::string::npos);

  EXPECT_EQ(Run({"--root", root_.string(), "--log", (files_ / "no" / "such" / "run.log").string()}), 1);
  EXPECT_NE(err_.str().find("run.log"), std::string::npos) << err_.str();

  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out_.str().find("--export-registry FILE"), std::string::npos);
}

TEST_F(HostTest, InputsThatCannotBeUsedAreRefusedBeforeAnythingRuns) {
  auto script = Write("s.txt", "wait 10\n");
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const std::string folder = files_.string();
  const Case cases[] = {
      {{"--headless", "--script", folder}, "cannot read the script " + folder + ": it is a folder"},
      {{"--headless", "--script", script.string(), "--scene", folder},
       "cannot read the scene " + folder + ": it is a folder"},
      {{"--root", folder, "--root", root_.string()}, "--root is given more than once"},
      {{"--script", script.string(), "--export-registry", (files_ / "out.reg").string()},
       "--script cannot be used with --export-registry, which only reads or writes the registry and runs nothing"},
      {{"--import-registry", script.string(), "--no-card"},
       "--no-card cannot be used with --import-registry, which only reads or writes the registry and runs nothing"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    if (std::find(args.begin(), args.end(), "--root") == args.end()) {
      args.push_back("--root");
      args.push_back(root_.string());
    }
    EXPECT_EQ(Run(args), 1) << c.error;
    EXPECT_EQ(err_.str(), "ondrel: " + c.error + "\n");
    EXPECT_FALSE(std::filesystem::exists(root_)) << c.error;
  }

  // An export needs a device root that is there: a mistyped one is not
  // provisioned into a new device.
  auto reg = files_ / "out.reg";
  EXPECT_EQ(Run({"--root", root_.string(), "--export-registry", reg.string()}), 1);
  EXPECT_EQ(err_.str(), "ondrel: there is no device root " + root_.string() + " (check --root)\n");
  std::filesystem::create_directories(root_);
  EXPECT_EQ(Run({"--root", root_.string(), "--export-registry", reg.string()}), 1);
  EXPECT_NE(err_.str().find("holds no registry.db"), std::string::npos) << err_.str();
  EXPECT_TRUE(std::filesystem::is_empty(root_));
  EXPECT_FALSE(std::filesystem::exists(reg));

  // A malformed import into a new root leaves no root behind.
  std::filesystem::remove_all(root_);
  EXPECT_EQ(Run({"--root", root_.string(), "--import-registry", script.string()}), 1);
  EXPECT_FALSE(std::filesystem::exists(root_));

  // A program that cannot run is reported under its own name, not the
  // script's.
  auto missing = files_ / "Missing.so";
  EXPECT_EQ(Run({"--headless", "--root", root_.string(), "--program", missing.string(), "--script", script.string()}),
            1);
  EXPECT_EQ(err_.str(), "ondrel: cannot load program module " + missing.string() + ": no such file\n");
}

TEST_F(HostTest, OutputThatIsLostOnAFullDeviceFailsTheRun) {
  auto script = Write("s.txt", "wait 10\n");
  ASSERT_EQ(Run({"--headless", "--root", root_.string(), "--script", script.string(), "--trace", "/dev/full"}), 1);
  EXPECT_EQ(err_.str().rfind("ondrel: cannot write the bus trace /dev/full: No space left on device; the lines from "
                             "\"t=0 CMD",
                             0),
            0u)
      << err_.str();
  ASSERT_EQ(Run({"--headless", "--root", root_.string(), "--script", script.string(), "--program",
                 WINDOW_MODULE_PATH, "--log", "/dev/full"}),
            1);
  EXPECT_EQ(err_.str().rfind("ondrel: cannot write the run's log to /dev/full: No space left on device", 0), 0u)
      << err_.str();
  ASSERT_EQ(Run({"--headless", "--no-card", "--root", root_.string(), "--script", script.string(), "--record",
                 "/dev/full"}),
            1);
  EXPECT_EQ(err_.str().rfind("ondrel: cannot write the recording /dev/full", 0), 0u) << err_.str();
}

TEST_F(HostTest, DamagedRegistryStopsTheBootWithAMessageAndKeepsTheFile) {
  std::filesystem::create_directories(root_);
  std::string garbage(8192, '\x5a');
  std::ofstream(root_ / "registry.db", std::ios::binary) << garbage;
  EXPECT_EQ(Run({"--root", root_.string()}), 1);
  EXPECT_NE(err_.str().find((root_ / "registry.db").string()), std::string::npos) << err_.str();
  EXPECT_EQ(Read(root_ / "registry.db"), garbage);
}

}  // namespace

namespace {

TEST(ProvisioningTest, MissingArtworkStopsTheStepWithAMessageNamingTheFile) {
  const testsupport::ScratchFolder scratch("ondrel-provisioning");
  const std::filesystem::path& root = scratch.path();
  ce::SetDeviceRoot(root);
  ASSERT_FALSE(ce::MountRegistry(root / "registry.db"));
  host::ProvisioningResult result = host::Provisioner(root / "nowhere").Run();
  EXPECT_NE(result.error.find("provisioning step 'skin-and-sound'"), std::string::npos) << result.error;
  EXPECT_NE(result.error.find("BK_U.bmp"), std::string::npos) << result.error;
  EXPECT_NE(result.error.find("ondrel_artwork_files"), std::string::npos) << result.error;
  // The steps before it are done and recorded; the next run retries only
  // the one that failed.
  EXPECT_TRUE(std::filesystem::is_directory(root / "Windows"));
  ce::UnmountRegistry();
  ce::SetDeviceRoot({});
}

}  // namespace
