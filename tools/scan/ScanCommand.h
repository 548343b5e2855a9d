// The ondrel-scan command: options in, a booted handheld, the scan, an
// exit status out. Kept apart from main() so tests can run it in-process.
#pragma once

#include <ostream>
#include <span>
#include <string_view>

namespace scan {
int RunScan(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);
}
