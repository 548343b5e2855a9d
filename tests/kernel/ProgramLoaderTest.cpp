#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/kernel/ProgramLoader.h"
#include "platform/kernel/RunLog.h"
#include "windows.h"

namespace {

namespace fs = std::filesystem;

const fs::path kOrderModule = ORDER_MODULE_PATH;
const fs::path kNoEntryModule = NO_ENTRY_MODULE_PATH;

// The run's log lines that start with prefix, without it.
std::vector<std::string> LinesStartingWith(std::string_view prefix) {
  std::vector<std::string> lines;
  for (const auto& line : ce::RunLogLines()) {
    if (line.starts_with(prefix)) lines.push_back(line.substr(prefix.size()));
  }
  return lines;
}

bool Logged(std::string_view line) {
  auto lines = ce::RunLogLines();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class ProgramLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override { ce::ClearRunLog(); }
};

TEST_F(ProgramLoaderTest, EveryRunConstructsFreshObjectsInOrderAndDestroysThemInReverse) {
  const std::vector<std::string> lifecycle{"construct A", "construct B", "construct C", "WinMain run 1",
                                           "destroy C",   "destroy B",   "destroy A"};
  for (int run = 1; run <= 3; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    ce::ClearRunLog();
    ce::ProgramRun result = ce::RunProgram(kOrderModule, u"21");
    EXPECT_TRUE(result.Succeeded()) << result.error;
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(result.exitCode, 42);
    // "WinMain run 1" every time: the run counter starts from zero again.
    EXPECT_EQ(LinesStartingWith("order: "), lifecycle);
    EXPECT_FALSE(ce::IsModuleMapped(kOrderModule));
    EXPECT_TRUE(Logged("program " + kOrderModule.string() + " ended with exit code 42"));
  }
}

TEST_F(ProgramLoaderTest, InstanceNamesTheModuleFromFirstConstructionToLastDestruction) {
  ASSERT_TRUE(ce::RunProgram(kOrderModule, u"1").Succeeded());
  const std::string path = kOrderModule.string();
  EXPECT_TRUE(Logged("module: path at construction = " + path));
  EXPECT_TRUE(Logged("module: path in WinMain = " + path));
  EXPECT_TRUE(Logged("module: path at destruction = " + path));
  EXPECT_TRUE(Logged("module: running = yes"));  // GetModuleHandleW(NULL)
  EXPECT_TRUE(Logged("module: by name = yes"));  // any case, with or without extension
  EXPECT_TRUE(Logged("module: prev = null, show = " + std::to_string(SW_SHOW)));

  auto instanceLines = LinesStartingWith("module: instance = ");
  ASSERT_EQ(instanceLines.size(), 1u);
  auto first = reinterpret_cast<HINSTANCE>(std::stoull(instanceLines[0]));
  // After the run the handle names nothing, and no program is running.
  EXPECT_EQ(ce::ModulePathOf(first), std::nullopt);
  SetLastError(0);
  EXPECT_EQ(GetModuleHandleW(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(GetModuleHandleW(u"order_module"), nullptr);

  // The next run gets a handle of its own.
  ce::ClearRunLog();
  ASSERT_TRUE(ce::RunProgram(kOrderModule, u"1").Succeeded());
  instanceLines = LinesStartingWith("module: instance = ");
  ASSERT_EQ(instanceLines.size(), 1u);
  EXPECT_NE(reinterpret_cast<HINSTANCE>(std::stoull(instanceLines[0])), first);
}

TEST_F(ProgramLoaderTest, ExitCodeComesFromWinMainWhichGetsAWritableCommandLine) {
  // The module doubles its number and marks its copy of the line; the
  // caller's text is read-only and stays as it was.
  const std::u16string_view line = u"-7";
  EXPECT_EQ(ce::RunProgram(kOrderModule, line).exitCode, -14);
  EXPECT_EQ(line, u"-7");
  EXPECT_EQ(ce::RunProgram(kOrderModule, u"").exitCode, -1);
  EXPECT_EQ(ce::RunProgram(kOrderModule).exitCode, -1);
}

TEST_F(ProgramLoaderTest, ExceptionOutOfWinMainIsReportedAndTheModuleStillUnloads) {
  ce::ProgramRun result = ce::RunProgram(kOrderModule, u"throw");
  EXPECT_FALSE(result.Succeeded());
  EXPECT_EQ(result.exitCode, std::nullopt);
  EXPECT_NE(result.error.find(kOrderModule.string()), std::string::npos) << result.error;
  EXPECT_NE(result.error.find("the tuner card is gone"), std::string::npos) << result.error;
  auto order = LinesStartingWith("order: ");
  ASSERT_FALSE(order.empty());
  EXPECT_EQ(order.back(), "destroy A");
  EXPECT_FALSE(ce::IsModuleMapped(kOrderModule));
  EXPECT_TRUE(Logged(result.error));
}

TEST_F(ProgramLoaderTest, ModulesThatCannotRunFailWithTheFileAndTheReason) {
  fs::path folder = fs::path(::testing::TempDir()) / "program_loader_test";
  fs::create_directories(folder);
  fs::path text = folder / "notes.so";
  std::ofstream(text) << std::string(4096, 'x');

  struct Case {
    fs::path file;
    std::string reason;
  };
  const std::vector<Case> cases{
      {folder / "missing.so", "no such file"},
      {folder, "not a file"},
      {text, "invalid ELF header"},
      {kNoEntryModule, "no entry point WinMain"},
  };
  for (const auto& [file, reason] : cases) {
    SCOPED_TRACE(file.string());
    ce::ProgramRun result = ce::RunProgram(file, u"1");
    EXPECT_EQ(result.exitCode, std::nullopt);
    EXPECT_NE(result.error.find(file.string()), std::string::npos) << result.error;
    EXPECT_NE(result.error.find(reason), std::string::npos) << result.error;
    EXPECT_TRUE(Logged(result.error));
    EXPECT_EQ(GetModuleHandleW(nullptr), nullptr);
  }
  // The module without WinMain was loaded and unloaded all the same.
  EXPECT_EQ(LinesStartingWith("no entry: "), (std::vector<std::string>{"construct", "destroy"}));
  EXPECT_FALSE(ce::IsModuleMapped(kNoEntryModule));
  fs::remove_all(folder);
}

TEST_F(ProgramLoaderTest, ModuleThatStaysMappedIsReportedBecauseItsStateIsStale) {
  // Someone else holds the module, as a module with GNU unique symbols
  // would be held: the loader cannot unload it and must say so.
  void* holder = dlopen(kOrderModule.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(holder, nullptr) << dlerror();
  ce::ProgramRun first = ce::RunProgram(kOrderModule, u"1");
  ce::ProgramRun second = ce::RunProgram(kOrderModule, u"1");
  dlclose(holder);

  EXPECT_EQ(second.exitCode, 2);
  ASSERT_EQ(second.warnings.size(), 2u);
  EXPECT_NE(second.warnings[0].find("already loaded"), std::string::npos) << second.warnings[0];
  EXPECT_NE(second.warnings[1].find("stayed loaded"), std::string::npos) << second.warnings[1];
  EXPECT_NE(second.warnings[1].find(kOrderModule.string()), std::string::npos);
  EXPECT_EQ(first.warnings.size(), 2u);
  // The second run indeed saw the first run's state.
  EXPECT_EQ(LinesStartingWith("order: "),
            (std::vector<std::string>{"construct A", "construct B", "construct C", "WinMain run 1",
                                      "WinMain run 2", "destroy C", "destroy B", "destroy A"}));
  EXPECT_TRUE(Logged("warning: " + second.warnings[1]));
  EXPECT_FALSE(ce::IsModuleMapped(kOrderModule));
}

TEST_F(ProgramLoaderTest, LibraryModuleHasAnInstanceButIsNoProgram) {
  std::string error;
  auto module = ce::Module::Load(kNoEntryModule, ce::ModuleKind::Library, error);
  ASSERT_TRUE(module) << error;
  EXPECT_EQ(ce::ModulePathOf(module->Instance()), kNoEntryModule);
  EXPECT_EQ(GetModuleHandleW(u"NO_ENTRY_MODULE.SO"), module->Instance());
  EXPECT_EQ(GetModuleHandleW(nullptr), nullptr);

  auto entry = reinterpret_cast<int (*)()>(module->Symbol("NotAProgram", error));
  ASSERT_NE(entry, nullptr) << error;
  EXPECT_EQ(entry(), 7);
  EXPECT_EQ(module->Symbol("WinMain", error), nullptr);
  EXPECT_NE(error.find("WinMain"), std::string::npos);

  // Moving hands the loaded module over; only the last owner unloads it.
  HINSTANCE instance = module->Instance();
  ce::Module owner = std::move(*module);
  module.reset();
  EXPECT_TRUE(ce::IsModuleMapped(kNoEntryModule));
  EXPECT_EQ(owner.Instance(), instance);
  EXPECT_EQ(owner.Unload(), std::nullopt);
  EXPECT_FALSE(ce::IsModuleMapped(kNoEntryModule));
  EXPECT_EQ(ce::ModulePathOf(instance), std::nullopt);
  EXPECT_EQ(LinesStartingWith("no entry: "), (std::vector<std::string>{"construct", "destroy"}));
}

}  // namespace

namespace {

// A class whose procedure lived in a module must not outlive it: the next
// window of that name would call into unmapped code.
TEST(ProgramLoaderClassesTest, AProgramsWindowClassesGoWhenItsModuleUnloads) {
  std::string error;
  auto module = ce::Module::Load(kOrderModule, ce::ModuleKind::Program, error);
  ASSERT_TRUE(module) << error;
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = module->Instance();
  wc.lpszClassName = u"LoaderTestClass";
  ASSERT_NE(RegisterClassW(&wc), 0);
  WNDCLASSW found{};
  EXPECT_TRUE(GetClassInfoW(module->Instance(), u"LoaderTestClass", &found));
  EXPECT_FALSE(module->Unload());
  EXPECT_EQ(CreateWindowExW(0, u"LoaderTestClass", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  wc.hInstance = nullptr;
  EXPECT_NE(RegisterClassW(&wc), 0);  // the name is free again
  UnregisterClassW(u"LoaderTestClass", nullptr);
}

// A module still loaded when the process exits (a driver the device
// manager holds, say) unloads with the objects that hold it, however late
// in the exit they go. Run in a fresh process, so that the holder is made
// before anything of the loader is.
TEST(ProgramLoaderExitTest, AModuleStillHeldAtExitUnloadsCleanly) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        static std::optional<ce::Module> held;
        std::string error;
        held = ce::Module::Load(kOrderModule, ce::ModuleKind::Library, error);
        std::exit(held ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
