// The top-level windows of every program running on this device root, so
// that a program started a second time finds the first one's window
// (FindWindowW) and brings it to the front (SetForegroundWindow with the
// handle's lowest bit set). Each process publishes its top-level windows
// as small records in the device root's ".windows" folder and holds a lock
// on each record for the life of its window, so a record whose lock is
// free belongs to a window that is gone (its program was killed), however
// its process id has been reused since; such records are cleared away. A
// request to bring a window forward is a file the owning process picks up
// the next time its message loop is idle (its arrival wakes the message
// loops of a process that has windows).
//
// Finding and creating are one step for the programs on a root: a search
// of the other processes' windows that finds nothing leaves the searching
// thread holding the root's claim until it publishes a top-level window,
// next asks for a message, or ends its program. Another program's search
// waits for the claim, so of programs started at once that each look for
// the other before making their window, exactly one makes it.
#pragma once

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/user/FileArrivalWatch.h"
#include "windows.h"

namespace ce {

struct RemoteWindow {
  long pid;
  std::uintptr_t handle;  // the window's handle in its own process
  std::string program;    // the name of the program that made it ("Ondrel")
  std::string title;
};

class DeviceWindows {
 public:
  static DeviceWindows& Instance();

  // Publishes (or updates) one of this process's top-level windows; does
  // nothing when no device root is set. Gives up the thread's claim.
  void Publish(HWND window, std::u16string_view className, std::u16string_view title);
  void Withdraw(HWND window);

  // A window of another live process whose class (without regard to case)
  // and title match; an absent class or title matches any. Nothing found:
  // the calling thread holds the root's claim (see above).
  std::optional<RemoteWindow> Find(const std::u16string* foldedClass, const std::u16string* title);
  // Gives up the calling thread's claim, if it holds it.
  void ReleaseClaim();

  // Every live top-level window of the other processes on this root.
  std::vector<RemoteWindow> OthersWindows();

  // Asks the window's process to bring it to the front.
  bool RequestRaise(const RemoteWindow& window);
  // A request addressed to this process, taken (so it is answered once).
  std::optional<std::uintptr_t> TakeRaiseRequest();
  // Whether a request addressed to this process wakes its message loops
  // by itself: true unless a window is published and the system refused
  // the watch on the window folder (then the loops must look now and then).
  bool RaiseRequestsWake() const { return !unwatched_.load(std::memory_order_relaxed); }
  // How often this process asked a window of another one forward.
  std::size_t RaisedCount() const;
  // How many top-level windows this process has published so far.
  std::size_t PublishedCount() const;

  // Local stand-ins for windows of other processes, so that FindWindowW
  // can return a handle.
  HWND ProxyFor(const RemoteWindow& window);
  std::optional<RemoteWindow> RemoteOf(HWND proxy) const;

 private:
  // Whether a raise request may be waiting in the folder.
  bool RaiseRequestCame();

  struct Record {
    std::filesystem::path file;
    int fd = -1;  // holds the record's lock
  };

  std::filesystem::path Folder() const;

  mutable std::mutex mutex_;
  std::map<HWND, Record> published_;
  std::size_t publishedCount_ = 0;
  std::size_t raisedCount_ = 0;
  std::unique_ptr<FileArrivalWatch> raiseWatch_;  // while anything is published
  std::atomic<bool> unwatched_ = false;            // published, and raiseWatch_ refused
  std::filesystem::path raiseFile_;                // where requests to this process are left
  std::map<std::uintptr_t, RemoteWindow> proxies_;
  std::uintptr_t nextProxy_ = 0x40000004;
};

}  // namespace ce
