// A second process on a device root, for the registry's cross-process
// tests. It mounts the registry database given first and runs one
// command on HKEY_LOCAL_MACHINE\<key>:
//
//   registry_writer DB set KEY NAME dword N | sz TEXT
//   registry_writer DB get KEY NAME          prints "<type> <hex bytes>"
//   registry_writer DB delete-key KEY
//   registry_writer DB loop KEY              writes Counter (n) then Blob
//                                            (4096 bytes of n & 0xff) for
//                                            n = stored Counter + 1, ...
//                                            printing n after each pair
//
// It prints "start" before mounting and "ready" after, unbuffered, so the
// test can pick the moment it kills the process.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kernel/Registry.h"
#include "windows.h"

namespace {

void Say(std::string_view line) {
  std::string text(line);
  text += '\n';
  // write(2) directly: a killed process leaves nothing in a stdio buffer.
  if (::write(STDOUT_FILENO, text.data(), text.size()) < 0) std::_Exit(5);
}

std::u16string Wide(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

[[noreturn]] void Fail(const char* what, LONG rc) {
  std::fprintf(stderr, "registry_writer: %s failed with %ld\n", what, static_cast<long>(rc));
  std::exit(3);
}

LONG Set(HKEY key, const std::u16string& name, DWORD type, const void* data, DWORD size) {
  return RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

int Loop(HKEY key) {
  DWORD counter = 0, size = sizeof counter;
  if (RegQueryValueExW(key, u"Counter", nullptr, nullptr, reinterpret_cast<BYTE*>(&counter), &size) != ERROR_SUCCESS) {
    counter = 0;
  }
  Say("ready");
  std::vector<BYTE> blob(4096);
  for (DWORD n = counter + 1;; ++n) {
    if (LONG rc = Set(key, u"Counter", REG_DWORD, &n, sizeof n)) Fail("setting Counter", rc);
    blob.assign(blob.size(), static_cast<BYTE>(n & 0xFF));
    if (LONG rc = Set(key, u"Blob", REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()))) Fail("setting Blob", rc);
    Say(std::to_string(n));
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: registry_writer DB set|get|delete-key|loop KEY ...\n");
    return 1;
  }
  Say("start");
  if (auto error = ce::MountRegistry(std::string(args[0]))) {
    std::fprintf(stderr, "%s\n", error->c_str());
    return 2;
  }
  std::string_view command = args[1];
  std::u16string path = Wide(args[2]);

  if (command == "delete-key") {
    if (LONG rc = RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str())) Fail("RegDeleteKeyW", rc);
    return 0;
  }
  HKEY key = nullptr;
  if (LONG rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr)) {
    Fail("RegCreateKeyExW", rc);
  }
  if (command == "loop") return Loop(key);
  if (args.size() < 4) return 1;
  std::u16string name = Wide(args[3]);

  if (command == "get") {
    DWORD type = 0, size = 0;
    if (LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size)) Fail("RegQueryValueExW", rc);
    std::vector<BYTE> data(size);
    if (LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size)) {
      Fail("RegQueryValueExW", rc);
    }
    std::string line = std::to_string(type) + " ";
    char hex[3];
    for (BYTE b : data) {
      std::snprintf(hex, sizeof hex, "%02x", b);
      line += hex;
    }
    Say(line);
  } else if (command == "set" && args.size() == 6 && args[4] == "dword") {
    DWORD number = static_cast<DWORD>(std::stoul(std::string(args[5])));
    if (LONG rc = Set(key, name, REG_DWORD, &number, sizeof number)) Fail("RegSetValueExW", rc);
  } else if (command == "set" && args.size() == 6 && args[4] == "sz") {
    std::u16string text = Wide(args[5]);
    auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(char16_t));
    if (LONG rc = Set(key, name, REG_SZ, text.c_str(), bytes)) Fail("RegSetValueExW", rc);
  } else {
    std::fprintf(stderr, "registry_writer: unknown command\n");
    return 1;
  }
  RegCloseKey(key);
  ce::UnmountRegistry();
  return 0;
}
