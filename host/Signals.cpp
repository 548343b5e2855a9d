#include "host/Signals.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace host {
namespace {

// The signal's own default action: the process ends as killed by it.
[[noreturn]] void EndByDefault(int signal) {
  ::signal(signal, SIG_DFL);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signal);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  ::raise(signal);
  std::_Exit(128 + signal);
}

}  // namespace

SignalCatcher::SignalCatcher(std::function<void()> onFirst) : onFirst_(std::move(onFirst)) {
  sigemptyset(&caught_);
  sigaddset(&caught_, SIGTERM);
  sigaddset(&caught_, SIGINT);
  // Without both descriptors nobody could read the signals: leave them to
  // their usual actions rather than block them for the whole run.
  signals_ = signalfd(-1, &caught_, SFD_CLOEXEC);
  stop_ = eventfd(0, EFD_CLOEXEC);
  if (signals_ < 0 || stop_ < 0) return;
  pthread_sigmask(SIG_BLOCK, &caught_, &previousMask_);
  // Caught even when the process was started ignoring them (a shell
  // script's background job ignores SIGINT): it is still asked to close.
  for (int signal : {SIGINT, SIGTERM}) previousAction_[signal == SIGINT ? 0 : 1] = ::signal(signal, SIG_DFL);
  thread_ = std::thread([this] { Run(); });
}

SignalCatcher::~SignalCatcher() {
  const bool engaged = thread_.joinable();
  if (engaged) {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(stop_, &one, sizeof one);
    thread_.join();
  }
  if (signals_ >= 0) ::close(signals_);
  if (stop_ >= 0) ::close(stop_);
  if (!engaged) return;
  pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
  ::signal(SIGINT, previousAction_[0]);
  ::signal(SIGTERM, previousAction_[1]);
}

void SignalCatcher::Run() {
  int received = 0;
  for (;;) {
    pollfd fds[2] = {{signals_, POLLIN, 0}, {stop_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) return;
    signalfd_siginfo info{};
    if (::read(signals_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) continue;
    if (++received > 1) EndByDefault(static_cast<int>(info.ssi_signo));
    if (onFirst_) onFirst_();
  }
}

}  // namespace host
