#include "platform/user/DeviceWindows.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <fstream>
#include <functional>
#include <system_error>
#include <thread>

#include "hardware/clock/Clock.h"
#include "platform/kernel/Devices.h"
#include "platform/kernel/Kernel.h"
#include "platform/kernel/ProgramLoader.h"
#include "platform/kernel/RunLog.h"
#include "platform/kernel/Utf.h"
#include "platform/user/WindowManager.h"

namespace ce {
namespace {

namespace fs = std::filesystem;

// How long a search waits for another program that is making its window.
constexpr auto kClaimPatience = std::chrono::seconds(10);
constexpr char kClaimFile[] = "claim";

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

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string ReadAll(int fd) {
  std::string bytes;
  char buffer[512];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<std::size_t>(n));
  return bytes;
}

// A record's lines: program, class, title (the title runs to the end).
void ParseContent(const std::string& content, RemoteWindow& window, std::string& cls) {
  auto first = content.find('\n');
  auto second = first == std::string::npos ? std::string::npos : content.find('\n', first + 1);
  if (second == std::string::npos) return;
  window.program = content.substr(0, first);
  cls = content.substr(first + 1, second - first - 1);
  window.title = content.substr(second + 1);
}

enum class Liveness { Live, Gone, Vanished };

// Whether the window of the record at path still exists: its owner holds
// the record's lock for as long as it does. A record found gone is
// removed, unless its owner has just replaced it with a new one.
Liveness Probe(const fs::path& path, std::string& content) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Liveness::Vanished;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
      // Held (or not to be told): the window is taken to be there.
      content = ReadAll(fd);
      ::close(fd);
      return Liveness::Live;
    }
    struct stat opened {}, named {};
    bool same = ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_ino == named.st_ino &&
                opened.st_dev == named.st_dev;
    if (same) ::unlink(path.c_str());  // left behind by a program that was killed
    ::close(fd);
    if (same) return Liveness::Gone;
  }
  return Liveness::Vanished;
}

// The root's claim as one thread holds it.
struct Claim {
  int fd = -1;
  ~Claim() { Release(); }
  void Release() {
    if (fd >= 0) ::close(fd);  // closing gives up the lock
    fd = -1;
  }
  // Waits for the claim; false when it cannot be had (no folder, or
  // another program kept it past all patience).
  bool Take(const fs::path& folder) {
    if (fd >= 0) return true;
    int file = ::open((folder / kClaimFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (file < 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + kClaimPatience;
    while (::flock(file, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() > deadline) {
        LogLine("device windows: another program kept the claim on " + folder.string() +
                " too long; going on without it");
        ::close(file);
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    fd = file;
    return true;
  }
};

thread_local Claim t_claim;

// Offers every live record of another process, with its window's class,
// until stop says so.
void Scan(const fs::path& folder, const std::function<bool(const RemoteWindow&, const std::string&)>& stop) {
  std::error_code ec;
  const long self = ::getpid();
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    auto window = ParseName(entry.path().filename().string());
    if (!window || window->pid == self) continue;
    std::string content, cls;
    if (Probe(entry.path(), content) != Liveness::Live) continue;
    ParseContent(content, *window, cls);
    if (stop(*window, cls)) return;
  }
}

std::string RunningProgramName() {
  auto path = ModulePathOf(RunningProgram());
  return path ? path->stem().string() : std::string();
}

// Where a request to raise a window of process pid is left.
std::string RaiseFileName(long pid) { return "raise-" + std::to_string(pid); }

// A request has come: the message loops look for it when they wake.
void OnRaiseFileArrival() { WindowManager::Instance().WakeAll(); }

}  // namespace

DeviceWindows& DeviceWindows::Instance() {
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
  const std::string self = std::to_string(::getpid());
  {
    std::lock_guard lock(mutex_);
    // A request left for an earlier process with our id is not for us;
    // nobody can address us before our first record is there.
    if (publishedCount_ == 0) fs::remove(folder / RaiseFileName(::getpid()), ec);
  }
  fs::path file = folder / (self + "-" + Hex(reinterpret_cast<std::uintptr_t>(window)));
  fs::path temp = file;
  temp += ".tmp";
  // Locked before it can be seen under its name, so nobody takes it for
  // the record of a window that is gone.
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX) != 0 ||
      !WriteAll(fd, RunningProgramName() + "\n" + ToUtf8(className) + "\n" + ToUtf8(title)) ||
      ::rename(temp.c_str(), file.c_str()) != 0) {
    ::close(fd);
    ::unlink(temp.c_str());
    return;
  }
  int previous = -1;
  {
    std::lock_guard lock(mutex_);
    auto [it, added] = published_.try_emplace(window, Record{file, fd});
    if (!added) {
      previous = it->second.fd;
      it->second = Record{file, fd};
    } else {
      ++publishedCount_;
    }
    if (!raiseWatch_ || raiseWatch_->folder() != folder) {
      raiseWatch_ = FileArrivalWatch::Start(folder, RaiseFileName(::getpid()), OnRaiseFileArrival);
      raiseFile_ = folder / RaiseFileName(::getpid());
      if (!raiseWatch_ && !unwatched_)
        LogLine("the window folder " + folder.string() +
                " cannot be watched; another start brings this program forward within 100 ms instead of at once");
      unwatched_ = !raiseWatch_;
    }
  }
  if (previous >= 0) ::close(previous);  // after the new record took its place
  t_claim.Release();
}

void DeviceWindows::Withdraw(HWND window) {
  Record record;
  {
    std::lock_guard lock(mutex_);
    auto it = published_.find(window);
    if (it == published_.end()) return;
    record = it->second;
    published_.erase(it);
    if (published_.empty()) {
      raiseWatch_.reset();
      unwatched_ = false;
    }
  }
  ::unlink(record.file.c_str());
  ::close(record.fd);
}

std::optional<RemoteWindow> DeviceWindows::Find(const std::u16string* foldedClass, const std::u16string* title) {
  fs::path folder = Folder();
  if (folder.empty()) return std::nullopt;
  std::error_code ec;
  fs::create_directories(folder, ec);
  t_claim.Take(folder);
  std::optional<RemoteWindow> match;
  Scan(folder, [&](const RemoteWindow& window, const std::string& cls) {
    if (foldedClass && FoldName(ToUtf16(cls)) != *foldedClass) return false;
    if (title && ToUtf16(window.title) != *title) return false;
    match = window;
    return true;
  });
  if (match) t_claim.Release();
  return match;
}

void DeviceWindows::ReleaseClaim() { t_claim.Release(); }

std::vector<RemoteWindow> DeviceWindows::OthersWindows() {
  std::vector<RemoteWindow> windows;
  fs::path folder = Folder();
  std::error_code ec;
  if (folder.empty() || !fs::is_directory(folder, ec)) return windows;
  Scan(folder, [&](const RemoteWindow& window, const std::string&) {
    windows.push_back(window);
    return false;
  });
  return windows;
}

bool DeviceWindows::RequestRaise(const RemoteWindow& window) {
  fs::path folder = Folder();
  if (folder.empty()) return false;
  WriteFileAtomically(folder / RaiseFileName(window.pid), Hex(window.handle));
  std::lock_guard lock(mutex_);
  ++raisedCount_;
  return true;
}

bool DeviceWindows::RaiseRequestCame() {
  // Asked whenever a message loop is idle: the watch tells whether a
  // request came, without a look at the folder. In real time the watch's
  // thread wakes the loops when one comes, so what it noticed is enough;
  // in virtual time the watch is read now, so that a request is seen at the
  // same moment of the device's time however late that thread runs.
  std::lock_guard lock(mutex_);
  if (published_.empty()) return false;  // nobody can address us
  if (!raiseWatch_) return true;
  return Attached::Clock().IsVirtual() ? raiseWatch_->TakeArrival() : raiseWatch_->TakeNoticed();
}

std::optional<std::uintptr_t> DeviceWindows::TakeRaiseRequest() {
  if (!RaiseRequestCame()) return std::nullopt;
  fs::path file;
  std::error_code ec;
  {
    std::lock_guard lock(mutex_);
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

std::size_t DeviceWindows::RaisedCount() const {
  std::lock_guard lock(mutex_);
  return raisedCount_;
}

std::size_t DeviceWindows::PublishedCount() const {
  std::lock_guard lock(mutex_);
  return publishedCount_;
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
