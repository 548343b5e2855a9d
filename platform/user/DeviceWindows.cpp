#include "user/DeviceWindows.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <fstream>
#include <sstream>
#include <system_error>

#include "kernel/Kernel.h"
#include "kernel/Utf.h"
#include "user/WindowManager.h"

namespace ce {
namespace {

namespace fs = std::filesystem;

bool ProcessAlive(long pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }

std::string Hex(std::uintptr_t value) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
  return std::string(buffer, end);
}

// "<pid>-<handle in hex>"
std::optional<RemoteWindow> ParseName(const std::string& name) {
  auto dash = name.find('-');
  if (dash == std::string::npos) return std::nullopt;
  RemoteWindow window{};
  auto [p1, e1] = std::from_chars(name.data(), name.data() + dash, window.pid);
  auto [p2, e2] = std::from_chars(name.data() + dash + 1, name.data() + name.size(), window.handle, 16);
  if (e1 != std::errc() || e2 != std::errc() || p1 != name.data() + dash || p2 != name.data() + name.size())
    return std::nullopt;
  return window;
}

void WriteFileAtomically(const fs::path& path, const std::string& content) {
  fs::path temp = path;
  temp += ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) return;
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
}

// Where a request to raise a window of process pid is left.
std::string RaiseFileName(long pid) { return "raise-" + std::to_string(pid); }

// A request has come: the message loops look for it when they wake.
void OnRaiseFileArrival() { WindowManager::Get().WakeAll(); }

}  // namespace

DeviceWindows& DeviceWindows::Get() {
  static DeviceWindows windows;
  return windows;
}

fs::path DeviceWindows::Folder() const {
  fs::path root = DeviceRoot();
  return root.empty() ? fs::path() : root / ".windows";
}

void DeviceWindows::Publish(HWND window, std::u16string_view className, std::u16string_view title) {
  fs::path folder = Folder();
  if (folder.empty()) return;
  std::error_code ec;
  fs::create_directories(folder, ec);
  fs::path file = folder / (std::to_string(::getpid()) + "-" + Hex(reinterpret_cast<std::uintptr_t>(window)));
  WriteFileAtomically(file, ToUtf8(className) + "\n" + ToUtf8(title));
  std::lock_guard lock(mutex_);
  published_[window] = file;
  if (!raiseWatch_ || raiseWatch_->folder() != folder) {
    raiseWatch_ = FileArrivalWatch::Start(folder, RaiseFileName(::getpid()), OnRaiseFileArrival);
    raiseFile_ = folder / RaiseFileName(::getpid());
  }
}

void DeviceWindows::Withdraw(HWND window) {
  fs::path file;
  {
    std::lock_guard lock(mutex_);
    auto it = published_.find(window);
    if (it == published_.end()) return;
    file = it->second;
    published_.erase(it);
    if (published_.empty()) raiseWatch_.reset();
  }
  std::error_code ec;
  fs::remove(file, ec);
}

std::optional<RemoteWindow> DeviceWindows::Find(const std::u16string* foldedClass, const std::u16string* title) {
  fs::path folder = Folder();
  std::error_code ec;
  if (folder.empty() || !fs::is_directory(folder, ec)) return std::nullopt;
  const long self = ::getpid();
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    auto window = ParseName(entry.path().filename().string());
    if (!window || window->pid == self) continue;
    if (!ProcessAlive(window->pid)) {
      fs::remove(entry.path(), ec);  // left behind by a program that was killed
      continue;
    }
    std::ifstream in(entry.path(), std::ios::binary);
    std::string cls, name;
    std::getline(in, cls);
    std::getline(in, name, '\0');
    if (foldedClass && FoldName(ToUtf16(cls)) != *foldedClass) continue;
    if (title && ToUtf16(name) != *title) continue;
    return window;
  }
  return std::nullopt;
}

bool DeviceWindows::RequestRaise(const RemoteWindow& window) {
  fs::path folder = Folder();
  if (folder.empty() || !ProcessAlive(window.pid)) return false;
  WriteFileAtomically(folder / RaiseFileName(window.pid), Hex(window.handle));
  return true;
}

std::optional<std::uintptr_t> DeviceWindows::TakeRaiseRequest() {
  fs::path file;
  std::error_code ec;
  {
    // Asked whenever a message loop is idle: the watch tells whether a
    // request came, without a look at the folder.
    std::lock_guard lock(mutex_);
    if (published_.empty()) return std::nullopt;  // nobody can address us
    if (raiseWatch_ && !raiseWatch_->TakeArrival()) return std::nullopt;
    if (raiseFile_.empty() || !fs::exists(raiseFile_, ec)) return std::nullopt;
    file = raiseFile_;
  }
  std::ifstream in(file, std::ios::binary);
  std::string text;
  std::getline(in, text);
  in.close();
  fs::remove(file, ec);
  std::uintptr_t handle = 0;
  auto [end, err] = std::from_chars(text.data(), text.data() + text.size(), handle, 16);
  if (err != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return handle;
}

HWND DeviceWindows::ProxyFor(const RemoteWindow& window) {
  std::lock_guard lock(mutex_);
  for (const auto& [value, remote] : proxies_)
    if (remote.pid == window.pid && remote.handle == window.handle) return reinterpret_cast<HWND>(value);
  std::uintptr_t value = nextProxy_;
  nextProxy_ += 4;
  proxies_.emplace(value, window);
  return reinterpret_cast<HWND>(value);
}

std::optional<RemoteWindow> DeviceWindows::RemoteOf(HWND proxy) const {
  std::lock_guard lock(mutex_);
  auto it = proxies_.find(reinterpret_cast<std::uintptr_t>(proxy));
  if (it == proxies_.end()) return std::nullopt;
  return it->second;
}

}  // namespace ce
