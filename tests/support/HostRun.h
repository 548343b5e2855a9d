// Running the host in-process as the host and end-to-end tests do: a
// command line of strings in, with what the host printed kept.
#pragma once

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "host/Host.h"

namespace hosttest {

// host::RunHost on the arguments, with out and err emptied first.
inline int RunHost(const std::vector<std::string>& args, std::ostringstream& out, std::ostringstream& err) {
  std::vector<std::string_view> views(args.begin(), args.end());
  out.str("");
  err.str("");
  return host::RunHost(views, out, err);
}

}  // namespace hosttest
