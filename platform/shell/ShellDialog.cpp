// SHInitDialog: a dialog of the handheld fills the screen below the
// navigation bar, and may have "ok" shown at the bar's right end while it
// is in front (the bar sends it IDOK when tapped). There is no input
// panel, so SHIDIF_SIPDOWN has nothing to put away.
#include "platform/shell/ShellDialog.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "aygshell.h"
#include "platform/kernel/LastError.h"
#include "platform/shell/NavBar.h"
#include "platform/user/Desktop.h"
#include "platform/user/WindowManager.h"
#include "windows.h"

namespace ce {
namespace {

constexpr DWORD kFullScreenFlags = SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR;
constexpr int kScreenWidth = 240;
constexpr int kScreenHeight = 320;

class DoneButtons {
 public:
  static DoneButtons& Instance();
  void Add(HWND dialog) {
    std::lock_guard lock(mutex_);
    Prune();
    if (std::find(dialogs_.begin(), dialogs_.end(), dialog) == dialogs_.end()) dialogs_.push_back(dialog);
    WindowManager::Instance().FrontMayHaveChanged();
  }
  bool Has(HWND window) {
    if (!window) return false;
    std::lock_guard lock(mutex_);
    Prune();
    return std::find(dialogs_.begin(), dialogs_.end(), window) != dialogs_.end();
  }

 private:
  // Handles are never reused, so a gone dialog is simply forgotten.
  void Prune() {
    std::erase_if(dialogs_, [](HWND dialog) { return !IsWindow(dialog); });
  }

  std::mutex mutex_;
  std::vector<HWND> dialogs_;
};

DoneButtons& DoneButtons::Instance() {
  static DoneButtons done;
  return done;
}

}  // namespace

bool HasDoneButton(HWND window) { return DoneButtons::Instance().Has(window); }

}  // namespace ce

extern "C" BOOL WINAPI SHInitDialog(PSHINITDLGINFO pshidi) {
  if (!pshidi) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!IsWindow(pshidi->hDlg)) {
    ce::SetThreadError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!(pshidi->dwMask & SHIDIM_FLAGS)) return TRUE;
  if (pshidi->dwFlags & ce::kFullScreenFlags)
    MoveWindow(pshidi->hDlg, 0, ce::kNavigationBarHeight, ce::kScreenWidth, ce::kScreenHeight - ce::kNavigationBarHeight,
               TRUE);
  if (pshidi->dwFlags & SHIDIF_DONEBUTTON) {
    ce::DoneButtons::Instance().Add(pshidi->hDlg);
    ce::WakeMessageLoops();  // the bar shows "ok" when it next looks
  }
  return TRUE;
}
