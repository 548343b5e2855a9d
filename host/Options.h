// The handheld's command line. Ondrel itself reads no command line; these
// options choose which device the handheld is and how it is run.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace host {

struct Options {
  std::optional<std::filesystem::path> root;
  bool headless = false;
  std::optional<std::filesystem::path> script;
  std::optional<std::filesystem::path> scene;
  bool noCard = false;
  std::optional<std::filesystem::path> trace;
  std::optional<std::filesystem::path> record;  // what the speaker plays, as a wave file
  std::optional<std::uint64_t> seed;            // the radio environment's fading and noise
  int scale = 2;
  std::optional<std::filesystem::path> log;
  std::optional<std::filesystem::path> program;  // a program module to run instead of Ondrel
  std::optional<std::filesystem::path> exportRegistry;
  std::optional<std::filesystem::path> importRegistry;
  bool help = false;
  bool version = false;
};

struct ParsedOptions {
  Options options;
  std::string error;  // empty when the command line was good
};

// args excludes the program name.
ParsedOptions ParseOptions(std::span<const std::string_view> args);

std::string UsageText();
std::string VersionText();  // "ondrel 0.1", a line

// The per-user data folder that is the device root when --root is not given.
std::filesystem::path DefaultDeviceRoot();

}  // namespace host
