// libFuzzer target: every input is a script for `ondrel --script`. A
// script is refused whole, naming the line at fault, or every command it
// holds is one the runner can carry out: points on the panel, waits within
// a day, keys the handheld has, pictures written as PNG.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "host/Script.h"

namespace {

constexpr std::uint32_t kDayMs = 24u * 60 * 60 * 1000;

bool OnPanel(int x, int y) { return x >= 0 && x < 240 && y >= 0 && y < 320; }

struct CommandCheck {
  void operator()(const host::WaitCmd& wait) const { fuzz::Require(wait.ms <= kDayMs, "a wait lasts a day at most"); }
  void operator()(const host::PenCmd& pen) const { fuzz::Require(OnPanel(pen.x, pen.y), "the pen is on the panel"); }
  void operator()(const host::HoldCmd& hold) const {
    fuzz::Require(OnPanel(hold.x, hold.y) && hold.ms <= kDayMs, "a hold is on the panel and lasts a day at most");
  }
  void operator()(const host::KeyCmd& key) const {
    const auto& names = host::ScriptKeyNames();
    fuzz::Require(std::find(names.begin(), names.end(), key.name) != names.end(), "a key is one the handheld has");
  }
  void operator()(const host::ShotCmd& shot) const {
    fuzz::Require(shot.file.string().ends_with(".png"), "a picture is written as PNG");
  }
  void operator()(const host::SayCmd& say) const { fuzz::Require(!say.text.empty(), "say has something to say"); }
  // Commands with nothing to check beyond being parsed.
  template <class Command>
  void operator()(const Command&) const {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const host::ParsedScript parsed = host::ParseScript(text);
  const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
  if (!parsed.error.empty()) {
    fuzz::Require(parsed.error.starts_with("line "), "a refusal names the line");
    const int line = std::atoi(parsed.error.c_str() + 5);
    fuzz::Require(line >= 1 && line <= lines, "the line named is in the script");
    fuzz::Require(parsed.script.lines.empty(), "a refused script runs nothing");
    return 0;
  }
  int previous = 0;
  for (const host::ScriptLine& line : parsed.script.lines) {
    fuzz::Require(line.line > previous && line.line <= lines, "commands keep the order and numbers of their lines");
    previous = line.line;
    std::visit(CommandCheck{}, line.command);
  }
  return 0;
}
