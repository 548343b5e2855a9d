// Runs a parsed script against the handheld. Commands that need a part of
// the handheld that is not there stop the run with an error naming the
// line, as a malformed command does.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "Script.h"

namespace host {

class Handheld;

// Runs the program module, when given, with the script played on the clock
// alongside it; after the last command the program's main window gets
// WM_CLOSE and the run waits for the program to end. Without a program
// the script runs on the bare desktop. Returns an error message ("line N:
// ...", or why the program could not run), empty on success. dump lines go
// to out.
std::string RunScript(const Script& script, Handheld& handheld, std::ostream& out,
                      const std::optional<std::filesystem::path>& program = std::nullopt);

}  // namespace host
