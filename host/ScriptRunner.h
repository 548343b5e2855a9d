// Runs a parsed script against the handheld. Commands that need a part of
// the handheld that is not there stop the run with an error naming the
// line, as a malformed command does.
#pragma once

#include <ostream>
#include <string>

#include "Script.h"

namespace host {

class Handheld;

// Returns an error message ("line N: ..."), empty on success. dump lines
// go to out.
std::string RunScript(const Script& script, Handheld& handheld, std::ostream& out);

}  // namespace host
