#include "Dialogs.h"

#include "BandPlan.h"
#include "OndrelIds.h"
#include "aygshell.h"
#include "commctrl.h"

namespace {

struct DialogContext {
  Screen* screen = nullptr;
  RadioCoordinator* coordinator = nullptr;
  HINSTANCE instance = nullptr;
};
DialogContext g_context;

// The Setting dialog's empty menu bar, made when it opens.
SHMENUBARINFO g_settingMenuBar;

constexpr DWORD kFullScreenWithOk = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;

void InitFullScreen(HWND dialog) {
  SHINITDLGINFO info{};
  info.dwMask = SHIDIM_FLAGS;
  info.hDlg = dialog;
  info.dwFlags = kFullScreenWithOk;
  SHInitDialog(&info);
}

bool IsOk(UINT message, WPARAM wParam) { return message == WM_COMMAND && LOWORD(wParam) == IDOK; }

void InitSettingDialog(HWND dialog) {
  InitFullScreen(dialog);
  g_settingMenuBar = SHMENUBARINFO{};
  g_settingMenuBar.cbSize = 36;  // the record's size on the handheld
  g_settingMenuBar.hwndParent = dialog;
  g_settingMenuBar.dwFlags = SHCMBF_EMPTYBAR;
  g_settingMenuBar.hInstRes = g_context.instance;
  SHCreateMenuBar(&g_settingMenuBar);
  RadioSettings& settings = g_context.screen->settings;
  SendDlgItemMessageW(dialog, IDC_SEARCH_LEVEL, TBM_SETRANGE, FALSE, MAKELPARAM(0, 3));
  SendDlgItemMessageW(dialog, IDC_SEARCH_LEVEL, TBM_SETPOS, TRUE, settings.SearchLevel);
  int checked = IDC_BAND_JAPAN;
  if (settings.RadioSystem == RADIO_SYSTEM_EUROPE) checked = IDC_BAND_EUROPE;
  if (settings.RadioSystem == RADIO_SYSTEM_USA) checked = IDC_BAND_USA;
  SendDlgItemMessageW(dialog, checked, BM_SETCHECK, BST_CHECKED, 0);
}

// A new band plan: limits, device band, the frequency scale under the
// slider, and everything brought into the new band.
void SwitchBand(const BandPlan& plan) {
  Screen& screen = *g_context.screen;
  screen.settings.RadioSystem = plan.radioSystem;
  SetBandLimits(plan);
  screen.radio.SetRadioSystem(plan.radioSystem);
  HDC scale = plan.radioSystem == RADIO_SYSTEM_JAPAN ? screen.skin.P() : screen.skin.U();
  screen.frequencySlider.SetSharedBackground(scale, 26, 116);
  g_context.coordinator->ApplyBand();
}

void ApplySettingDialog(HWND dialog) {
  Screen& screen = *g_context.screen;
  RadioSettings& settings = screen.settings;
  settings.SearchLevel = LOBYTE(SendDlgItemMessageW(dialog, IDC_SEARCH_LEVEL, TBM_GETPOS, 0, 0));
  screen.radio.SetSearchLevel(settings.SearchLevel);
  const struct {
    int control;
    int radioSystem;
  } choices[] = {{IDC_BAND_EUROPE, RADIO_SYSTEM_EUROPE}, {IDC_BAND_JAPAN, RADIO_SYSTEM_JAPAN}, {IDC_BAND_USA, RADIO_SYSTEM_USA}};
  for (const auto& choice : choices) {
    if (SendDlgItemMessageW(dialog, choice.control, BM_GETCHECK, 0, 0) == BST_CHECKED &&
        settings.RadioSystem != choice.radioSystem)
      SwitchBand(*FindBandPlan(choice.radioSystem));
  }
}

}  // namespace

void AttachDialogs(Screen& screen, RadioCoordinator& coordinator, HINSTANCE instance) {
  g_context = {&screen, &coordinator, instance};
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    InitFullScreen(dialog);
    const BandPlan& band = BandPlanOrEurope(g_context.screen->settings.RadioSystem);
    // The band line is placed in pixels, whatever the dialog units are.
    CreateWindowExW(0, u"STATIC", band.text, WS_CHILD | WS_VISIBLE, 95, 85, 200, 20, dialog,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_ABOUT_BAND)), g_context.instance, nullptr);
    return TRUE;
  }
  if (IsOk(message, wParam)) {
    EndDialog(dialog, 1);
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK SettingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    InitSettingDialog(dialog);
    return TRUE;
  }
  if (IsOk(message, wParam)) {
    ApplySettingDialog(dialog);
    DestroyWindow(g_settingMenuBar.hwndMB);
    EndDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}
