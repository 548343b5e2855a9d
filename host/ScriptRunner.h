// Runs a parsed script against the handheld. Commands that need a part of
// the handheld that is not there stop the run with an error naming the
// line, as a malformed command does.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "host/Script.h"

namespace host {

class Handheld;

// Runs the program module, when given, with the script played on the clock
// alongside it; after the last command the program's main window gets
// WM_CLOSE and the run waits for the program to end. Without a program
// the script runs on the bare desktop. dump lines go to out.
//
// In a window the person at the desktop may end the run instead: when
// userClosed becomes true the program is closed (the window front end's
// close button does that) and the run ends; with closeAfterScript false
// the program goes on after the script until then.
struct RunSettings {
  std::optional<std::filesystem::path> program;
  bool closeAfterScript = true;
  const std::atomic<bool>* userClosed = nullptr;
  // Called once, when the run is under way (the program has made its
  // windows and waits for input): a second start that ends at once never
  // gets there.
  std::function<void()> onStarted;
};
struct RunResult {
  std::string scriptError;   // "line N: ...", empty when every command ran
  std::string programError;  // why the program could not run or did not end normally
  // The program found itself already running on the device root, brought
  // that one to the front and ended without a window; the script did not run.
  bool broughtForward = false;
};
RunResult RunScript(const Script& script, Handheld& handheld, std::ostream& out, const RunSettings& settings = {});

}  // namespace host
