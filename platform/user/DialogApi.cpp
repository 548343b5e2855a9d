// The calls a dialog procedure makes on its controls.
#include "platform/kernel/LastError.h"
#include "platform/user/Dialog.h"
#include "platform/user/WindowManager.h"

extern "C" {

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) {
  std::shared_ptr<ce::DialogState> state = ce::DialogOf(hDlg);
  if (!state) {
    ce::SetThreadError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!lpRect) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpRect = state->units.ToPixels(*lpRect);
  return TRUE;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
  auto& wm = ce::WindowManager::Instance();
  auto lock = wm.Lock();
  ce::WindowPtr window = wm.Checked(hWnd);
  // Top-level windows have no control id.
  if (!window || !window->IsChild()) return 0;
  return static_cast<int>(window->id);
}

LRESULT WINAPI SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(hDlg, nIDDlgItem);
  return control ? SendMessageW(control, Msg, wParam, lParam) : 0;
}

// Checks one button of the id range and unchecks the others of the range.
BOOL WINAPI CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
  if (!IsWindow(hDlg)) {
    ce::SetThreadError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  for (int id = nIDFirstButton; id <= nIDLastButton; ++id) {
    if (HWND button = GetDlgItem(hDlg, id))
      SendMessageW(button, BM_SETCHECK, id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  ce::SetThreadError(ERROR_SUCCESS);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton) {
  return static_cast<UINT>(SendDlgItemMessageW(hDlg, nIDButton, BM_GETCHECK, 0, 0));
}

}  // extern "C"
