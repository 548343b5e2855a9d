#include "host/CloseRequest.h"

#include "platform/user/Desktop.h"
#include "windows.h"

namespace host {

CloseRequest::CloseRequest() { hook_ = ce::AddIdleHook([this] { OnIdle(); }); }

CloseRequest::~CloseRequest() { ce::RemoveIdleHook(hook_); }

void CloseRequest::Request() {
  requested_ = true;
  ce::WakeMessageLoops();
}

void CloseRequest::OnIdle() {
  if (!requested_ || posted_) return;
  if (HWND main = ce::ProgramMainWindow()) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    posted_ = true;
  }
}

}  // namespace host
