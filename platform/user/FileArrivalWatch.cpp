#include "platform/user/FileArrivalWatch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

namespace ce {

struct FileArrivalWatch::State {
  State(int notifyFd, int stopFd, std::string fileName) : notify(notifyFd), stop(stopFd), name(std::move(fileName)) {}
  ~State() {
    ::close(notify);
    ::close(stop);
  }

  // Under the mutex: reads what the folder has seen since the last read
  // and notes whether the file arrived. The watch's thread and
  // TakeArrival both read, so a reader that finds nothing can trust that
  // nobody took the news meanwhile.
  bool ReadEvents() {
    alignas(inotify_event) char buffer[4096];
    bool arrived = false;
    for (;;) {
      const ssize_t length = ::read(notify, buffer, sizeof buffer);
      if (length <= 0) break;
      for (ssize_t at = 0; at < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        // An overflowed queue may have lost the file's event: assume it came.
        arrived = arrived || (event->mask & IN_Q_OVERFLOW) || (event->len > 0 && name == event->name);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    if (arrived) pending.store(true);
    return arrived;
  }

  const int notify;  // inotify, non-blocking
  const int stop;    // eventfd that ends the thread
  const std::string name;
  std::mutex mutex;
  std::atomic<bool> pending{true};  // the file may be there already
};

namespace {

void Watch(std::shared_ptr<FileArrivalWatch::State> state, FileArrivalWatch::OnArrival onArrival) {
  for (;;) {
    pollfd fds[2] = {{state->notify, POLLIN, 0}, {state->stop, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;  // interrupted
    if (fds[1].revents) return;
    bool arrived;
    {
      std::lock_guard lock(state->mutex);
      arrived = state->ReadEvents();
    }
    if (arrived) onArrival();
  }
}

}  // namespace

std::unique_ptr<FileArrivalWatch> FileArrivalWatch::Start(const std::filesystem::path& folder, std::string name,
                                                          OnArrival onArrival) {
  const int notify = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (notify < 0) return nullptr;
  const int stop = eventfd(0, EFD_CLOEXEC);
  if (stop < 0 || inotify_add_watch(notify, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
    ::close(notify);
    if (stop >= 0) ::close(stop);
    return nullptr;
  }
  auto state = std::make_shared<State>(notify, stop, std::move(name));
  std::thread(Watch, state, onArrival).detach();
  return std::unique_ptr<FileArrivalWatch>(new FileArrivalWatch(folder, std::move(state)));
}

FileArrivalWatch::~FileArrivalWatch() {
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t written = ::write(state_->stop, &one, sizeof one);
}

bool FileArrivalWatch::TakeArrival() {
  std::lock_guard lock(state_->mutex);
  state_->ReadEvents();
  return state_->pending.exchange(false);
}

bool FileArrivalWatch::TakeNoticed() { return state_->pending.exchange(false); }

}  // namespace ce
