// Ondrel end to end: the whole program module on the emulated handheld,
// headless, driven by scripts; checked through the dumps (the card's own
// view of the tuner, the windows), the registry, the bus trace and the
// screen's pixels.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/HostRun.h"
#include "tests/support/ScratchFolder.h"

namespace e2e {

namespace fs = std::filesystem;

// Screen coordinates of the radio's controls (client + 26 rows).
struct At {
  int x, y;
};
inline constexpr At kSearchMode{102, 207};
inline constexpr At kTuneUp{146, 210};
inline constexpr At kTuneDown{60, 210};
inline constexpr At kMute{102, 265};
inline constexpr At kMono{103, 85};
inline constexpr At kDisplayOff{146, 263};
inline constexpr At kExit{60, 263};
inline constexpr At kPreset1{18, 79};
inline constexpr At kGroup2{103, 48};

// The key of the radio's settings, as a registry text names it.
inline constexpr char kSettingsKey[] = "[HKEY_CURRENT_USER\\Software\\Tessaro\\Veltrane]";

// All of a file's bytes ("" when it cannot be read).
inline std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string Tap(At at) { return "tap " + std::to_string(at.x) + " " + std::to_string(at.y) + "\n"; }

class OndrelTest : public ::testing::Test {
 protected:
  // Runs Ondrel with the script; extra options before it.
  int Run(const std::string& script, std::vector<std::string> extra = {}) {
    std::ofstream(dir_ / "script.txt") << script;
    std::vector<std::string> args = {"--headless", "--root", Root().string(), "--program", ONDREL_MODULE_PATH,
                                     "--script", (dir_ / "script.txt").string()};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunArgs(args);
  }
  int RunArgs(const std::vector<std::string>& args) { return hosttest::RunHost(args, out_, err_); }

  // The JSON lines the script's dumps printed.
  std::vector<nlohmann::json> Dumps() const {
    std::vector<nlohmann::json> dumps;
    std::istringstream in(out_.str());
    for (std::string line; std::getline(in, line);)
      if (line.starts_with("{")) dumps.push_back(nlohmann::json::parse(line));
    return dumps;
  }

  // The registry as a .reg text.
  std::string Registry() {
    fs::path reg = dir_ / "export.reg";
    std::ostringstream out, err;
    EXPECT_EQ(hosttest::RunHost({"--root", Root().string(), "--export-registry", reg.string()}, out, err), 0)
        << err.str();
    std::ifstream in(reg, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void Import(const std::string& regText) {
    fs::path reg = dir_ / "import.reg";
    std::ofstream(reg, std::ios::binary) << regText;
    std::ostringstream out, err;
    ASSERT_EQ(hosttest::RunHost({"--root", Root().string(), "--import-registry", reg.string()}, out, err), 0)
        << err.str();
  }

  fs::path Root() const { return dir_ / "root"; }
  fs::path Shot(const std::string& name) const { return dir_ / name; }

  testsupport::ScratchFolder scratch_{"ondrel-e2e"};
  const fs::path& dir_ = scratch_.path();
  std::ostringstream out_, err_;
};

}  // namespace e2e
