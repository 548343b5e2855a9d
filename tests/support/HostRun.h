// Running the host in-process as the host and end-to-end tests do: a
// folder of the test's own for its files, and a command line of strings
// in with what the host printed kept.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "host/Host.h"

namespace hosttest {

// <temp>/<prefix><the running test's name>, made anew and empty.
inline std::filesystem::path FreshTestFolder(std::string_view prefix) {
  const std::filesystem::path dir =
      std::filesystem::path(::testing::TempDir()) /
      (std::string(prefix) + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// host::RunHost on the arguments, with out and err emptied first.
inline int RunHost(const std::vector<std::string>& args, std::ostringstream& out, std::ostringstream& err) {
  std::vector<std::string_view> views(args.begin(), args.end());
  out.str("");
  err.str("");
  return host::RunHost(views, out, err);
}

}  // namespace hosttest
