// A program that reports the lives of its three program-wide objects and
// of WinMain to the run's log: "order:" lines for the sequence, "module:"
// lines for what it saw of its instance and arguments.
#include <charconv>
#include <stdexcept>
#include <string>

#include "platform/kernel/ProgramLoader.h"
#include "platform/kernel/RunLog.h"
#include "platform/kernel/Utf.h"
#include "windows.h"

namespace {

std::string OwnPath() {
  auto path = ce::ModulePathOf(GetModuleHandleW(nullptr));
  return path ? path->string() : "none";
}

class Witness {
 public:
  Witness(const char* name, bool first) : name_(name), first_(first) {
    ce::LogLine(std::string("order: construct ") + name_);
    if (first_) ce::LogLine("module: path at construction = " + OwnPath());
  }
  ~Witness() {
    ce::LogLine(std::string("order: destroy ") + name_);
    if (first_) ce::LogLine("module: path at destruction = " + OwnPath());
  }
  Witness(const Witness&) = delete;
  Witness& operator=(const Witness&) = delete;

 private:
  const char* name_;
  bool first_;
};

Witness a("A", true);
Witness b("B", false);
Witness c("C", false);

int runs = 0;

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow) {
  ++runs;
  ce::LogLine("order: WinMain run " + std::to_string(runs));
  auto path = ce::ModulePathOf(hInstance);
  ce::LogLine("module: path in WinMain = " + (path ? path->string() : "none"));
  ce::LogLine("module: instance = " + std::to_string(reinterpret_cast<std::uintptr_t>(hInstance)));
  ce::LogLine(std::string("module: running = ") + (GetModuleHandleW(nullptr) == hInstance ? "yes" : "no"));
  ce::LogLine(std::string("module: by name = ") +
              (GetModuleHandleW(u"ORDER_MODULE") == hInstance && GetModuleHandleW(u"Order_Module.so") == hInstance
                   ? "yes"
                   : "no"));
  ce::LogLine("module: prev = " + std::string(hPrevInstance ? "set" : "null") +
              ", show = " + std::to_string(nCmdShow));

  std::string line = ce::ToUtf8(lpCmdLine);
  if (line == "throw") throw std::runtime_error("the tuner card is gone");
  // The command line is the program's own copy: it may write into it.
  if (lpCmdLine[0] != u'\0') lpCmdLine[0] = u'#';
  int value = 0;
  auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), value);
  if (error != std::errc() || end != line.data() + line.size()) return -1;
  return value * 2;
}
