// The top-level windows of every program running on this device root, so
// that a program started a second time finds the first one's window
// (FindWindowW) and brings it to the front (SetForegroundWindow with the
// handle's lowest bit set). Each process publishes its top-level windows
// as small files in the device root's ".windows" folder; a request to
// bring a window forward is a file the owning process picks up the next
// time its message loop is idle (its arrival wakes the message loops of a
// process that has windows). Entries of processes that are gone are
// ignored and cleared away.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "user/FileArrivalWatch.h"
#include "windows.h"

namespace ce {

struct RemoteWindow {
  long pid;
  std::uintptr_t handle;  // the window's handle in its own process
};

class DeviceWindows {
 public:
  static DeviceWindows& Get();

  // Publishes (or updates) one of this process's top-level windows; does
  // nothing when no device root is set.
  void Publish(HWND window, std::u16string_view className, std::u16string_view title);
  void Withdraw(HWND window);

  // A window of another live process whose class (without regard to case)
  // and title match; an absent class or title matches any.
  std::optional<RemoteWindow> Find(const std::u16string* foldedClass, const std::u16string* title);

  // Asks the window's process to bring it to the front.
  bool RequestRaise(const RemoteWindow& window);
  // A request addressed to this process, taken (so it is answered once).
  std::optional<std::uintptr_t> TakeRaiseRequest();

  // Local stand-ins for windows of other processes, so that FindWindowW
  // can return a handle.
  HWND ProxyFor(const RemoteWindow& window);
  std::optional<RemoteWindow> RemoteOf(HWND proxy) const;

 private:
  std::filesystem::path Folder() const;

  mutable std::mutex mutex_;
  std::map<HWND, std::filesystem::path> published_;
  std::unique_ptr<FileArrivalWatch> raiseWatch_;  // while anything is published
  std::filesystem::path raiseFile_;                // where requests to this process are left
  std::map<std::uintptr_t, RemoteWindow> proxies_;
  std::uintptr_t nextProxy_ = 0x40000004;
};

}  // namespace ce
