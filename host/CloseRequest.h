// The person at the desktop asking the radio to close from outside the
// handheld: the window's close button, Ctrl+C or SIGTERM. The program's
// main window gets WM_CLOSE, as when its own exit is used, so the program
// ends as it always does and saves its settings. The message is posted on
// the program's thread, when its message loop is next idle and it has a
// main window; a request made while it starts waits for that.
#pragma once

#include <atomic>

namespace host {

class CloseRequest {
 public:
  CloseRequest();
  ~CloseRequest();
  CloseRequest(const CloseRequest&) = delete;
  CloseRequest& operator=(const CloseRequest&) = delete;

  void Request();  // from any thread
  const std::atomic<bool>& requested() const { return requested_; }

 private:
  void OnIdle();

  std::atomic<bool> requested_ = false;
  bool posted_ = false;  // on the program's thread only
  int hook_ = 0;
};

}  // namespace host
