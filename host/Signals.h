// Ctrl+C (SIGINT) and SIGTERM, from the terminal or another program, as a
// person at the handheld would take them: the first asks the radio to
// close (onFirst, on a thread of the catcher's own), so that it saves its
// settings and the run ends normally; a second ends the process at once,
// as the signal does by default.
//
// Make the catcher before any other thread starts: threads take the
// signal mask of the thread that starts them, and all of them must leave
// the two signals to the catcher.
#pragma once

#include <signal.h>

#include <functional>
#include <thread>

namespace host {

class SignalCatcher {
 public:
  explicit SignalCatcher(std::function<void()> onFirst);
  ~SignalCatcher();
  SignalCatcher(const SignalCatcher&) = delete;
  SignalCatcher& operator=(const SignalCatcher&) = delete;

 private:
  void Run();

  std::function<void()> onFirst_;
  sigset_t caught_;
  sigset_t previousMask_;
  sighandler_t previousAction_[2] = {SIG_DFL, SIG_DFL};  // SIGINT, SIGTERM
  int signals_ = -1;  // signalfd
  int stop_ = -1;     // eventfd that ends the thread
  std::thread thread_;
};

}  // namespace host
