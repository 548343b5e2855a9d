// Scripts drive the handheld as a person would: pen, keys, the card slot,
// and the passing of time. A script is checked whole before anything runs,
// so a typo on line 40 does not leave a half-done run behind.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace host {

struct WaitCmd { std::uint32_t ms; };
struct PenCmd {
  enum class Kind { Down, Move, Up, Tap } kind;
  int x, y;
};
struct HoldCmd { int x, y; std::uint32_t ms; };
struct KeyCmd {
  std::string name;
  std::optional<std::uint32_t> holdMs;  // held this long (the keypad repeats it); else pressed and released
};
struct CardCmd { bool insert; };
struct ShotCmd { std::filesystem::path file; };
struct DumpCmd {};
struct SayCmd { std::string text; };

using ScriptCommand = std::variant<WaitCmd, PenCmd, HoldCmd, KeyCmd, CardCmd, ShotCmd, DumpCmd, SayCmd>;

struct ScriptLine {
  int line;  // 1-based line in the script file
  ScriptCommand command;
};

struct Script {
  std::vector<ScriptLine> lines;
};

struct ParsedScript {
  Script script;
  std::string error;  // "line N: ..." when the script is malformed
};

ParsedScript ParseScript(std::string_view text);
// Reads and parses a script file; errors name the file.
ParsedScript LoadScript(const std::filesystem::path& file);

// The keys a script can press.
const std::vector<std::string_view>& ScriptKeyNames();

}  // namespace host
