// The ondrel command: options in, a booted handheld, the run, an exit
// status out. Kept apart from main() so tests can run it in-process.
#pragma once

#include <ostream>
#include <span>
#include <string_view>

namespace host {
int RunHost(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);
}
