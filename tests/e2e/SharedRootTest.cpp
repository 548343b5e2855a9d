// Many programs on one device root: programs started at once, exports
// beside a radio that pulls its card, window records left by a killed
// program, the radio killed or out of disk while it saves its settings,
// a write-protected registry, and an import while a program runs.
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <thread>

#include "support/ChildProcess.h"
#include "FullDisk.h"
#include "OndrelFixture.h"
#include "platform/kernel/RunLog.h"

namespace e2e {
namespace {

using testsupport::ChildOptions;
using testsupport::ChildProcess;

// How many times each scenario runs: once in CI; ONDREL_SOAK=N repeats
// them N times for a long run by hand.
int Rounds() {
  const char* soak = std::getenv("ONDREL_SOAK");
  int rounds = soak ? std::atoi(soak) : 1;
  return rounds > 0 ? rounds : 1;
}

// The radio's stored settings in an export: value line by value name.
std::map<std::string, std::string> SettingsIn(const std::string& reg) {
  std::map<std::string, std::string> values;
  auto at = reg.find(kSettingsKey);
  if (at == std::string::npos) return values;
  std::istringstream in(reg.substr(at));
  std::string line, pending;
  std::getline(in, line);  // the key's own line
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.front() == '[') break;
    pending += line;
    if (pending.back() == '\\') continue;  // a value continued on the next line
    values[pending.substr(0, pending.find('='))] = pending;
    pending.clear();
  }
  return values;
}

// Settings as a user left them, for the import before each run.
constexpr char kStoredSettings[] =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Tessaro\\Veltrane]\r\n"
    "\"AudioOutputType\"=dword:00000002\r\n\"SearchLevel\"=hex(4):01\r\n"
    "\"CurrentFrequency\"=dword:00000384\r\n\"CurrentVolume\"=dword:00000014\r\n"
    "\"AutoSearch\"=dword:00000000\r\n\"Group\"=hex(4):01\r\n"
    "\"PresetChannel\"=hex:00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,\\\r\n"
    "  00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,\\\r\n"
    "  00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00\r\n"
    "\"StereoNoiseCancel\"=dword:00000000\r\n\"RadioSystem\"=dword:00000001\r\n";

// A session that changes most of them: volume, frequency, search mode,
// group and a stored preset; they are saved as the radio closes.
std::string ChangingSession() {
  return "wait 300\nkey UP\nkey UP\nkey UP\n" + Tap(kTuneUp) + "wait 600\n" + Tap(kGroup2) +
         "hold " + std::to_string(kPreset1.x) + " " + std::to_string(kPreset1.y) + " 1500\n" + Tap(kSearchMode) +
         "wait 300\n";
}

class SharedRootTest : public OndrelTest {
 protected:
  std::vector<std::string> Ondrel(std::vector<std::string> args) const {
    args.insert(args.begin(), {ONDREL_EXE, "--root", Root().string()});
    return args;
  }
  fs::path Text(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return dir_ / name;
  }
  // An export by another process.
  std::string ExportElsewhere(const std::string& name) {
    fs::path file = dir_ / name;
    auto [status, lines] = ChildProcess(Ondrel({"--export-registry", file.string()})).Finish();
    EXPECT_EQ(status, 0) << name;
    return Bytes(file);
  }
  void Provision() {
    ASSERT_EQ(RunArgs({"--headless", "--no-card", "--root", Root().string(), "--script",
                       Text("boot.txt", "wait 1\n").string()}),
              0)
        << err_.str();
  }
};

TEST_F(SharedRootTest, ProgramsStartedTogetherMakeOneWindowAndTheOthersBringItForward) {
  Provision();
  // Each looks for the window, pauses, then makes it: without one claim
  // on the root for looking and making, every one of them would.
  constexpr int kStarts = 10;
  fs::path script = Text("w.txt", "wait 1\n");
  const std::string secondStart =
      "single_instance_module is already running on " + Root().string() + "; brought it to the front";
  for (int round = 0; round < Rounds(); ++round) {
    std::vector<std::unique_ptr<ChildProcess>> starts;
    for (int i = 0; i < kStarts; ++i) {
      starts.push_back(std::make_unique<ChildProcess>(
          Ondrel({"--headless", "--no-card", "--program", SINGLE_INSTANCE_MODULE, "--script", script.string()})));
    }
    int running = 0;
    for (auto& start : starts) {
      auto line = start->ReadLine();
      ASSERT_TRUE(line);
      if (*line == "running") {
        ++running;
        continue;
      }
      EXPECT_EQ(*line, secondStart);
      EXPECT_EQ(start->Finish(), std::make_pair(0, std::vector<std::string>{}));
    }
    EXPECT_EQ(running, 1);
    for (auto& start : starts) {
      if (start->pid() > 0) {
        EXPECT_EQ(start->Finish().first, 0);
      }
    }
  }
}

TEST_F(SharedRootTest, AWindowRecordLeftByAKilledProgramStopsNoStart) {
  Provision();
  // Left behind with the id of a process that lives (the first one of
  // every system), in this build's form and an older one's.
  fs::create_directories(Root() / ".windows");
  std::ofstream(Root() / ".windows" / "1-10004") << "Ondrel\nOndrel\nOndrel";
  std::ofstream(Root() / ".windows" / "1-10008") << "Ondrel\nOndrel";
  ASSERT_EQ(Run("wait 300\ndump\n"), 0) << err_.str();
  EXPECT_EQ(out_.str().find("already running"), std::string::npos) << out_.str();
  auto dumps = Dumps();
  ASSERT_EQ(dumps.size(), 1u);
  bool radio = false;
  for (const auto& window : dumps[0]["windows"]) radio |= window["class"] == "Ondrel" && window["visible"] == true;
  EXPECT_TRUE(radio) << dumps[0].dump();
  EXPECT_FALSE(fs::exists(Root() / ".windows" / "1-10004"));
  EXPECT_FALSE(fs::exists(Root() / ".windows" / "1-10008"));
}

TEST_F(SharedRootTest, ExportsBesideARadioPullingItsCardAreAllAlikeAndHarmIt) {
  ASSERT_EQ(Run("wait 300\n"), 0) << err_.str();  // the first start stores the defaults
  std::string pulls;
  for (int i = 0; i < 600 * Rounds(); ++i) pulls += "card remove\nwait 50\ncard insert\nwait 150\n";
  ChildProcess radio(Ondrel({"--headless", "--script", Text("pulls.txt", pulls).string()}));
  std::vector<std::string> exports;
  while (exports.size() < 40u * Rounds()) {
    exports.push_back(ExportElsewhere("beside.reg"));
    if (radio.Exited() && exports.size() >= 3) break;
  }
  EXPECT_EQ(radio.Finish().first, 0) << "the radio ended by a signal";
  for (const std::string& text : exports) {
    EXPECT_EQ(text, exports.front());
    EXPECT_EQ(text.find("Drivers\\Active"), std::string::npos) << text;
    EXPECT_EQ(text.find("ClientInfo"), std::string::npos) << text;
  }
  EXPECT_EQ(SettingsIn(exports.front()).size(), 9u);
}

TEST_F(SharedRootTest, AKillWhileTheRadioSavesLeavesOneWholeSave) {
  Provision();
  Import(kStoredSettings);
  const auto before = SettingsIn(Registry());
  ASSERT_EQ(Run(ChangingSession()), 0) << err_.str();
  const auto after = SettingsIn(Registry());
  ASSERT_EQ(after.size(), 9u);
  for (const char* changed : {"\"CurrentFrequency\"", "\"CurrentVolume\"", "\"AutoSearch\"", "\"Group\"",
                              "\"PresetChannel\""})
    ASSERT_NE(before.at(changed), after.at(changed)) << changed;

  fs::path session = Text("session.txt", ChangingSession());
  std::mt19937 random(14);
  int whole[2] = {0, 0};
  for (int kill = 0; kill < 12 * Rounds(); ++kill) {
    SCOPED_TRACE("kill " + std::to_string(kill));
    Import(kStoredSettings);
    // Even kills land while the save writes to the database's log, after
    // its first few writes; odd ones anywhere in the run.
    int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ::inotify_add_watch(watch, Root().c_str(), IN_MODIFY);
    ChildProcess radio(Ondrel({"--headless", "--script", session.string()}));
    if (kill % 2 == 0) {
      alignas(inotify_event) char events[4096];
      pollfd ready{watch, POLLIN, 0};
      for (int writes = 1 + kill / 2 % 6; writes > 0 && !radio.Exited();) {
        if (::poll(&ready, 1, 5) != 1) continue;
        ssize_t n = ::read(watch, events, sizeof events);
        ASSERT_GT(n, 0);
        for (char* at = events; at < events + n; at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(at)->len)
          writes -= std::string_view(reinterpret_cast<inotify_event*>(at)->name) == "registry.db-wal";
      }
    } else {
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 120000));
    }
    radio.Kill();
    ::close(watch);
    auto stored = SettingsIn(Registry());
    EXPECT_TRUE(stored == before || stored == after) << "a save torn apart";
    if (stored == before) ++whole[0];
    if (stored == after) ++whole[1];
  }
  if (Rounds() > 1) std::printf("kills: %d kept the settings before the save, %d those after it\n", whole[0], whole[1]);
}

TEST_F(SharedRootTest, AFullDiskKeepsTheStoredSettingsWholeAndSaysSoOnce) {
  Provision();
  Import(kStoredSettings);
  const auto stored = SettingsIn(Registry());
  ASSERT_EQ(stored.size(), 9u);
  const std::string session = ChangingSession();
  {
    // Room for the save as one write, not as one write per value.
    FullDisk disk(32 + 3 * (4096 + 24));
    ASSERT_EQ(Run(session), 0) << err_.str();
  }
  const auto saved = SettingsIn(Registry());
  EXPECT_NE(saved.at("\"CurrentFrequency\""), stored.at("\"CurrentFrequency\""));
  EXPECT_NE(saved.at("\"PresetChannel\""), stored.at("\"PresetChannel\""));

  Import(kStoredSettings);
  ce::ClearRunLog();
  fs::path errors = dir_ / "stderr.txt";
  {
    FullDisk disk(0);
    std::fflush(stderr);
    int saved = ::dup(STDERR_FILENO);
    int file = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(file, STDERR_FILENO);
    EXPECT_EQ(Run(session), 0) << "the program's own end is as ever";
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(file);
  }
  // Nothing of the save landed; one line says so.
  EXPECT_EQ(SettingsIn(Registry()), stored);
  const std::string report = "cannot write HKEY_CURRENT_USER\\Software\\Tessaro\\Veltrane value \"AudioOutputType\" "
                             "and 8 more to " + (Root() / "registry.db").string() +
                             ": the disk is full; settings were not saved";
  EXPECT_EQ(Bytes(errors), "ondrel: " + report + "\n");
  auto log = ce::RunLogLines();
  EXPECT_EQ(std::count(log.begin(), log.end(), report), 1);
}

TEST_F(SharedRootTest, ABootOnAFullDiskSaysSoAndNeverAdvisesDiscardingTheRegistry) {
  Provision();
  const std::string before = Bytes(Root() / "registry.db");
  // Too little room even for the index that shared access needs.
  ChildOptions tight;
  tight.fileSizeLimit = 16384;
  ChildProcess boot(Ondrel({"--headless", "--script", Text("w.txt", "wait 1\n").string()}), tight);
  std::string errors = boot.ReadErrors();
  EXPECT_EQ(boot.Finish().first, 1);
  EXPECT_NE(errors.find("cannot be used: there is no room to write it"), std::string::npos) << errors;
  EXPECT_NE(errors.find("make room on the disk and start again"), std::string::npos) << errors;
  EXPECT_EQ(errors.find("move the file aside"), std::string::npos) << errors;
  EXPECT_EQ(Bytes(Root() / "registry.db"), before);
}

TEST_F(SharedRootTest, AWriteProtectedRegistryIsExportedAsItIs) {
  ASSERT_EQ(Run("wait 300\n"), 0) << err_.str();
  const std::string expected = Registry();
  fs::path out = dir_ / "out";
  fs::create_directories(out);
  fs::permissions(Root() / "registry.db", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(Root(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  ChildOptions options;
  options.keepToPermissions = true;
  ChildProcess exporter(Ondrel({"--export-registry", (out / "read-only.reg").string()}), options);
  std::string errors = exporter.ReadErrors();
  EXPECT_EQ(exporter.Finish().first, 0) << errors;
  fs::permissions(Root(), fs::perms::owner_all, fs::perm_options::add);
  EXPECT_EQ(Bytes(out / "read-only.reg"), expected);
}

TEST_F(SharedRootTest, AnImportWhileAProgramRunsSaysItMayBeOverwritten) {
  Provision();
  ChildProcess program(Ondrel({"--headless", "--no-card", "--program", SINGLE_INSTANCE_MODULE, "--script",
                               Text("w.txt", "wait 1\n").string()}));
  ASSERT_EQ(program.ReadLine(), "running");
  fs::path reg = Text("in.reg", kStoredSettings);
  ASSERT_EQ(RunArgs({"--root", Root().string(), "--import-registry", reg.string()}), 0) << err_.str();
  EXPECT_EQ(err_.str(), "ondrel: note: single_instance_module is running on " + Root().string() +
                            "; settings it saves when it closes will replace imported values of the same names\n");
  EXPECT_EQ(program.Finish().first, 0);
  ASSERT_EQ(RunArgs({"--root", Root().string(), "--import-registry", reg.string()}), 0) << err_.str();
  EXPECT_EQ(err_.str(), "");
}

}  // namespace
}  // namespace e2e
