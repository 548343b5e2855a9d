#include "MainWindow.h"

#include "BandPlan.h"
#include "Dialogs.h"
#include "OndrelIds.h"
#include "WindowTimers.h"

MainWindow* MainWindow::current_ = nullptr;

namespace {

constexpr int kTextChars = 100;

}  // namespace

int MainWindow::Run(HINSTANCE instance, int showCommand) {
  if (!CreateMainWindow(instance, showCommand)) return 0;
  HACCEL keys = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0)) {
    if (!TranslateAcceleratorW(msg.hwnd, keys, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return int(msg.wParam);
}

int MainWindow::CreateMainWindow(HINSTANCE instance, int showCommand) {
  instance_ = instance;
  WCHAR className[kTextChars] = {};
  WCHAR title[kTextChars] = {};
  LoadStringW(instance, IDS_WINDOW_CLASS, className, kTextChars);
  LoadStringW(instance, IDS_APP_TITLE, title, kTextChars);
  // One radio at a time: a second start brings the first to the front
  // (the lowest bit asks for the windows it owns too) and ends.
  if (HWND running = FindWindowW(className, title)) {
    SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(running) | 1));
    return 0;
  }
  RegisterMainWindowClass(instance, className);
  current_ = this;
  HWND window = CreateWindowExW(0, className, title, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (!window) return 0;
  window_ = window;
  if (menuBar_) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top - kMenuBarHeight, FALSE);
  }
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  return 1;
}

void MainWindow::RegisterMainWindowClass(HINSTANCE instance, LPCWSTR className) {
  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_ONDREL));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = className;
  RegisterClassW(&wc);
}

HWND MainWindow::CreateMenuBar(HWND window) {
  SHMENUBARINFO info{};
  info.cbSize = 36;  // the record's size on the handheld
  info.hwndParent = window;
  info.dwFlags = SHCMBF_HMENU;
  info.nToolBarId = IDR_MAIN_MENU;
  info.hInstRes = instance_;
  return SHCreateMenuBar(&info) ? info.hwndMB : nullptr;
}

LRESULT CALLBACK MainWindow::MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return current_ ? current_->Handle(window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_DESTROY: OnDestroy(window); return 0;
    case WM_ACTIVATE:
      if (wParam == 0) WakeDisplay(window);
      return 0;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_SETTINGCHANGE:
      WakeDisplay(window);
      SHHandleWMSettingChange(window, wParam, lParam, &activation_);
      return 0;
    case WM_CANCELMODE:
    case WM_WINDOWPOSCHANGED: WakeDisplay(window); return 0;
    case WM_KEYDOWN: OnKey(window, wParam); return 0;
    case WM_COMMAND: return OnCommand(window, wParam, lParam);
    case WM_TIMER: OnTimer(window, wParam); return 0;
    case WM_MOUSEMOVE:
      TrackPen(lParam);
      screen_.ScreenPenMove(penX_, penY_);
      return 0;
    case WM_LBUTTONDOWN: OnPenDown(window, lParam); return 0;
    case WM_LBUTTONUP: OnPenUp(window, lParam); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

// Start-up: skin, menu bar, radio device, settings around the layout,
// timers, and the hidden RDS text window. The radio itself starts with
// the first tuner poll that finds the card.
void MainWindow::OnCreate(HWND window) {
  ReadInstallDir(kInstallDirChars, installDir_);
  menuBar_ = CreateMenuBar(window);
  coordinator_.SetMenuBar(menuBar_);
  screen_.skin.LoadSkin(window, installDir_);
  screen_.radio.Open();
  screen_.radio.SetMute(0);
  SetBandLimits(BandPlanOrEurope(screen_.settings.RadioSystem));
  coordinator_.ApplySettings();
  screen_.LayoutScreen(window);
  coordinator_.ApplySettings();
  coordinator_.UpdateTunerControls();
  coordinator_.StartPollTimers(window);
  SetTimer(window, TIMER_KEEP_AWAKE, 10000, nullptr);
  SetTimer(window, TIMER_RDS_PRESENCE, 1000, nullptr);
  const RECT& r = kRdsTextRect;
  HWND text = CreateWindowExW(0, u"EDIT", u"", WS_CHILD | ES_MULTILINE, r.left, r.top, r.right - r.left,
                              r.bottom - r.top, window, nullptr, instance_, nullptr);
  screen_.rdsText.Attach(window, text);
}

void MainWindow::OnDestroy(HWND window) {
  RadioDevice& radio = screen_.radio;
  radio.StopRds();
  DestroyWindow(menuBar_);
  screen_.skin.FreeSkin();
  radio.SetMute(1);
  radio.SetPower(0);
  radio.Close();
  coordinator_.SaveSettings();
  KillTimer(window, TIMER_TUNER_POLL);
  KillTimer(window, TIMER_STEREO);
  PostQuitMessage(0);
}

void MainWindow::OnPaint(HWND window) {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(window, &ps);
  BitBlt(dc, 0, 0, kSkinWidth, kSkinHeight, screen_.skin.Background(), 0, 0, SRCCOPY);
  EndPaint(window, &ps);
  screen_.PaintScreen();
}

void MainWindow::WakeDisplay(HWND window) {
  if (screen_.displayOffFlag) coordinator_.DisplayOn(window);
}

// During a seek keys are ignored; with the display off a key only wakes
// it.
void MainWindow::OnKey(HWND window, WPARAM key) {
  if (screen_.radio.seekContinue != 0) return;
  if (screen_.displayOffFlag) {
    coordinator_.DisplayOn(window);
    return;
  }
  switch (key) {
    case VK_LEFT: screen_.tuneDown.OnPress(); break;
    case VK_RIGHT: screen_.tuneUp.OnPress(); break;
    case VK_UP: screen_.volumeSlider.StepUp(); break;
    case VK_DOWN: screen_.volumeSlider.StepDown(); break;
    default: break;
  }
}

LRESULT MainWindow::OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDOK:
      SendMessageW(window, WM_ACTIVATE, 0, reinterpret_cast<LPARAM>(window));  // wakes the display first
      SendMessageW(window, WM_CLOSE, 0, 0);
      return 0;
    case IDM_EXIT: SendMessageW(window, WM_CLOSE, 0, 0); return 0;
    case IDM_ABOUT: OpenDialog(window, IDD_ABOUTBOX, AboutDialogProc); return 0;
    case IDM_SETTING: OpenDialog(window, IDD_SETTING, SettingDialogProc); return 0;
    case IDM_RDS: ToggleRdsText(); return 0;
    default: return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
  }
}

void MainWindow::OpenDialog(HWND window, WORD dialogId, DLGPROC proc) {
  HRSRC found = FindResourceW(instance_, MAKEINTRESOURCEW(dialogId), RT_DIALOG);
  if (!found) return;
  auto dialog = static_cast<LPCDLGTEMPLATEW>(LoadResource(instance_, found));
  if (!dialog) return;
  AttachDialogs(screen_, coordinator_, instance_);
  DialogBoxIndirectParamW(instance_, dialog, window, proc, 0);
}

void MainWindow::ToggleRdsText() {
  if (IsWindowVisible(screen_.rdsText.textWindow))
    screen_.rdsText.HideRdsText();
  else
    screen_.rdsText.ShowRdsText();
}

void MainWindow::OnTimer(HWND window, WPARAM id) {
  switch (id) {
    case TIMER_HOLD:
      screen_.ScreenHold(penX_, penY_);
      KillTimer(window, TIMER_HOLD);
      SetTimer(window, TIMER_REPEAT, 100, nullptr);
      break;
    case TIMER_REPEAT: screen_.ScreenRepeat(penX_, penY_); break;
    case TIMER_TUNER_POLL: coordinator_.PollTuner(); break;
    case TIMER_KEEP_AWAKE: coordinator_.KeepAwake(window); break;
    case TIMER_SEEK: coordinator_.ContinueSeek(); break;
    case TIMER_STEREO: coordinator_.UpdateStereoIndicator(); break;
    case TIMER_RDS_TEXT: screen_.rdsText.UpdateRdsText(window); break;
    case TIMER_RDS_PRESENCE: coordinator_.UpdateRdsPresence(); break;
    default: break;
  }
}

// The pen's position: x in the low 16 bits, y in the high 16, unsigned.
void MainWindow::TrackPen(LPARAM position) {
  penX_ = int(LOWORD(position));
  penY_ = int(HIWORD(position));
}

// A tap during a seek only stops the seek.
void MainWindow::OnPenDown(HWND window, LPARAM position) {
  TrackPen(position);
  if (screen_.radio.seekContinue != 0) {
    coordinator_.StopSeek(window);
    return;
  }
  screen_.ScreenPenDown(penX_, penY_);
  SetTimer(window, TIMER_HOLD, 1000, nullptr);
}

void MainWindow::OnPenUp(HWND window, LPARAM position) {
  TrackPen(position);
  if (screen_.radio.seekContinue != 0) return;
  screen_.ScreenPenUp(penX_, penY_);
  KillTimer(window, TIMER_HOLD);
  KillTimer(window, TIMER_REPEAT);
}
