// Two processes on one device root share one registry: each sees the
// other's writes at once, and a process killed in the middle of writing
// never leaves the database unreadable or a value half-written.
#include <algorithm>
#include <cstring>

#include "RegistryTestSupport.h"
#include "platform/kernel/RegistryStore.h"
#include "support/ChildProcess.h"

namespace {

using regtest::Bytes;
using regtest::Get;
using regtest::Set;
namespace fs = std::filesystem;

// The writer tool as a child process whose standard output we read.
testsupport::ChildProcess Writer(std::vector<std::string> args) {
  args.insert(args.begin(), REGISTRY_WRITER_PATH);
  return testsupport::ChildProcess(std::move(args));
}

// Runs a writer command to its end; its output after "start" (and
// "ready"), and its exit status.
std::pair<int, std::vector<std::string>> RunWriter(const std::vector<std::string>& args) {
  auto [status, lines] = Writer(args).Finish();
  std::erase_if(lines, [](const std::string& line) { return line == "start" || line == "ready"; });
  return {status, lines};
}

class RegistryProcessTest : public regtest::MountedRegistry {};

TEST_F(RegistryProcessTest, EachProcessSeesTheOthersWritesAtOnce) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Veltrane");
  ASSERT_EQ(Set(key, u"Frequency", REG_DWORD, Bytes({0x2a, 0, 0, 0})), ERROR_SUCCESS);

  // Our write, read by another process while we keep the registry mounted.
  auto [status, lines] = RunWriter({db_.string(), "get", "SOFTWARE\\Veltrane", "frequency"});
  ASSERT_EQ(status, 0);
  EXPECT_EQ(lines, std::vector<std::string>{"4 2a000000"});

  // Its writes, read through the handle we already hold.
  ASSERT_EQ(RunWriter({db_.string(), "set", "SOFTWARE\\Veltrane", "Frequency", "dword", "991"}).first, 0);
  EXPECT_EQ(Get(key, u"Frequency").data, Bytes({0xdf, 0x03, 0, 0}));
  ASSERT_EQ(RunWriter({db_.string(), "set", "SOFTWARE\\Veltrane", "Station", "sz", "City"}).first, 0);
  EXPECT_EQ(Get(key, u"Station").data, regtest::SzBytes(u"City"));

  // It deletes the key we hold open: our handle now reports the deletion.
  ASSERT_EQ(RunWriter({db_.string(), "delete-key", "SOFTWARE"}).first, 0);
  EXPECT_EQ(Get(key, u"Frequency").rc, ERROR_KEY_DELETED);
  HKEY probe = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE", 0, 0, &probe), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

// The device manager's active keys hold a pointer into the process that
// booted the handheld; another process calling through it crashes. They
// live in each handheld's RAM: never in the shared file, never exported.
TEST_F(RegistryProcessTest, ActiveKeysStayInTheProcessThatWroteThem) {
  const void* self = this;
  HKEY active = Create(HKEY_LOCAL_MACHINE, u"Drivers\\Active\\01");
  ASSERT_EQ(Set(active, u"ClientInfo", REG_BINARY, std::vector<BYTE>(sizeof self, 0x5A)), ERROR_SUCCESS);
  HKEY stored = Create(HKEY_LOCAL_MACHINE, u"Drivers\\SDCARD");
  ASSERT_EQ(Set(stored, u"Kept", REG_DWORD, Bytes({1, 0, 0, 0})), ERROR_SUCCESS);

  // Found from the root and from a stored key above it.
  HKEY drivers = nullptr, again = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Drivers", 0, 0, &drivers), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyExW(drivers, u"ACTIVE\\01", 0, 0, &again), ERROR_SUCCESS);
  EXPECT_EQ(Get(again, u"ClientInfo").data.size(), sizeof self);

  // Another process has RAM of its own: it sees neither our key nor
  // makes one we see, but shares the stored ones.
  EXPECT_EQ(RunWriter({db_.string(), "get", "Drivers\\Active\\01", "ClientInfo"}).first, 3);
  ASSERT_EQ(RunWriter({db_.string(), "set", "Drivers\\Active\\01", "Name", "sz", "MVX1:"}).first, 0);
  EXPECT_EQ(Get(active, u"Name").rc, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RunWriter({db_.string(), "get", "Drivers\\SDCARD", "Kept"}).second,
            std::vector<std::string>{"4 01000000"});

  // Exports show the stored keys only, the same every time.
  auto exported = [&] {
    fs::path file = dir_.path() / "out.reg";
    EXPECT_FALSE(ce::ExportRegistryFile(file));
    return regtest::ReadBytes(file);
  };
  std::string first = exported();
  EXPECT_EQ(first.find("Active"), std::string::npos) << first;
  EXPECT_NE(first.find("[HKEY_LOCAL_MACHINE\\Drivers\\SDCARD]"), std::string::npos) << first;

  // Deleting a stored key above them takes them along.
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"Drivers"), ERROR_SUCCESS);
  EXPECT_EQ(Get(active, u"ClientInfo").rc, ERROR_KEY_DELETED);
  for (HKEY key : {active, stored, drivers, again}) RegCloseKey(key);

  // Active keys an older build stored in the file are dropped when the
  // registry is next mounted for writing; a new boot starts with none.
  HKEY left = Create(HKEY_LOCAL_MACHINE, u"Drivers\\Active\\02");
  RegCloseKey(left);
  ce::reg::KeyId id = 0;
  bool created = false;
  ASSERT_EQ(ce::reg::MountedRegistry()->CreateKey(static_cast<ce::reg::KeyId>(ce::reg::Root::LocalMachine),
                                                  std::vector<std::string>{"Drivers", "Active", "03"}, id, created),
            ERROR_SUCCESS);
  EXPECT_NE(exported().find("Active\\03"), std::string::npos);
  ASSERT_FALSE(ce::MountRegistry(db_));
  EXPECT_EQ(exported().find("Active"), std::string::npos);
  HKEY probe = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Drivers\\Active\\02", 0, 0, &probe), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryProcessTest, AKilledWriterNeverLeavesAHalfWrittenValue) {
  ce::UnmountRegistry();
  constexpr int kRuns = 30;
  DWORD lastSeen = 0;  // the last counter the writer reported as written
  fs::path db = db_;
  for (int run = 0; run < kRuns; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    // Every tenth run starts on a fresh root and kills the writer as soon
    // as it starts, so some kills land while the database is created.
    bool fresh = run % 10 == 0;
    if (fresh) {
      db = dir_.path() / ("root" + std::to_string(run)) / "registry.db";
      fs::create_directories(db.parent_path());
      lastSeen = 0;
    }
    {
      testsupport::ChildProcess writer = Writer({db.string(), "loop", "SOFTWARE\\Veltrane\\Ondrel"});
      ASSERT_EQ(writer.ReadLine(), "start");
      if (!fresh) {
        ASSERT_EQ(writer.ReadLine(), "ready");
        // Let it complete a few pairs of writes, then kill it wherever it
        // is in the next ones.
        for (int pairs = run % 7; pairs > 0; --pairs) {
          auto line = writer.ReadLine();
          ASSERT_TRUE(line);
          lastSeen = static_cast<DWORD>(std::stoul(*line));
        }
      }
      writer.Kill();
    }

    auto error = ce::MountRegistry(db);
    ASSERT_FALSE(error) << *error;
    EXPECT_FALSE(ce::CheckRegistryIntegrity());
    HKEY key = nullptr;
    LONG opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Veltrane\\Ondrel", 0, 0, &key);
    if (opened == ERROR_FILE_NOT_FOUND) {
      EXPECT_EQ(lastSeen, 0u);  // killed before its first write
    } else {
      ASSERT_EQ(opened, ERROR_SUCCESS);
      auto counter = Get(key, u"Counter");
      auto blob = Get(key, u"Blob");
      DWORD n = 0;
      if (counter.rc == ERROR_SUCCESS) {
        ASSERT_EQ(counter.type, static_cast<DWORD>(REG_DWORD));
        ASSERT_EQ(counter.data.size(), 4u);
        std::memcpy(&n, counter.data.data(), 4);
      } else {
        EXPECT_EQ(counter.rc, ERROR_FILE_NOT_FOUND);
      }
      // A reported write is never lost.
      EXPECT_GE(n, lastSeen);
      if (blob.rc == ERROR_SUCCESS) {
        // Whole, all one byte, from this counter or the one before it.
        ASSERT_EQ(blob.data.size(), 4096u);
        BYTE b = blob.data[0];
        EXPECT_TRUE(std::all_of(blob.data.begin(), blob.data.end(), [b](BYTE x) { return x == b; }));
        EXPECT_TRUE(b == static_cast<BYTE>(n) || b == static_cast<BYTE>(n - 1)) << int(b) << " vs " << n;
      } else {
        EXPECT_EQ(blob.rc, ERROR_FILE_NOT_FOUND);
        EXPECT_LE(n, 1u);
      }
      lastSeen = n;
      RegCloseKey(key);
    }
    ce::UnmountRegistry();
  }
}

}  // namespace
