#include <iostream>
#include <string_view>
#include <vector>

#include "host/Host.h"

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  return host::RunHost(args, std::cout, std::cerr);
}
