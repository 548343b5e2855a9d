#include "ScriptRunner.h"

#include "Dump.h"
#include "Handheld.h"

namespace host {
namespace {

class Runner {
 public:
  Runner(Handheld& handheld, std::ostream& out) : handheld_(handheld), out_(out) {}

  std::string operator()(const WaitCmd& wait) {
    handheld_.clock().SleepMs(wait.ms);
    return {};
  }
  std::string operator()(const DumpCmd&) {
    out_ << DumpState(handheld_) << '\n' << std::flush;
    return {};
  }
  std::string operator()(const PenCmd&) { return Missing("the pen", "a touch screen"); }
  std::string operator()(const HoldCmd&) { return Missing("the pen", "a touch screen"); }
  std::string operator()(const KeyCmd&) { return Missing("keys", "a keypad"); }
  std::string operator()(const CardCmd&) { return Missing("the card slot", "an SD slot"); }
  std::string operator()(const ShotCmd&) { return Missing("screenshots", "a screen"); }

 private:
  static std::string Missing(std::string_view what, std::string_view part) {
    return std::string(what) + " cannot be used yet: this build of the handheld has no " + std::string(part);
  }

  Handheld& handheld_;
  std::ostream& out_;
};

}  // namespace

std::string RunScript(const Script& script, Handheld& handheld, std::ostream& out) {
  Runner runner(handheld, out);
  for (const ScriptLine& line : script.lines) {
    if (std::string error = std::visit(runner, line.command); !error.empty())
      return "line " + std::to_string(line.line) + ": " + error;
  }
  return {};
}

}  // namespace host
