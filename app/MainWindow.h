// Ondrel's one window: the skinned 240 x 268 screen with the shell's menu
// bar below it. Its message handler routes the pen to the screen, the
// cursor keys to the tuning buttons and the volume slider, menu commands
// to the dialogs and the RDS text window, and the window timers to the
// radio coordinator; creation and destruction start and stop the radio.
#pragma once

#include "RadioCoordinator.h"
#include "Screen.h"
#include "aygshell.h"
#include "windows.h"

class MainWindow {
 public:
  static constexpr int kMenuBarHeight = 26;
  static constexpr int kSkinWidth = 240;
  static constexpr int kSkinHeight = 268;
  static constexpr RECT kRdsTextRect{43, 147, 43 + 191, 147 + 113};

  MainWindow(Screen& screen, RadioCoordinator& coordinator) : screen_(screen), coordinator_(coordinator) {}
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // The program's entry: one instance, the window, the message loop.
  int Run(HINSTANCE instance, int showCommand);

  // 1 when the window was created and shown; 0 when another instance runs
  // (it is brought to the front) or the window could not be made.
  int CreateMainWindow(HINSTANCE instance, int showCommand);
  void RegisterMainWindowClass(HINSTANCE instance, LPCWSTR className);
  HWND CreateMenuBar(HWND window);
  static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND Window() const { return window_; }

 private:
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnCreate(HWND window);
  void OnDestroy(HWND window);
  void OnPaint(HWND window);
  void OnKey(HWND window, WPARAM key);
  LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam);
  void OnTimer(HWND window, WPARAM id);
  void OnPenDown(HWND window, LPARAM position);
  void OnPenUp(HWND window, LPARAM position);
  void TrackPen(LPARAM position);
  void WakeDisplay(HWND window);
  void OpenDialog(HWND window, WORD dialogId, DLGPROC proc);
  void ToggleRdsText();

  static MainWindow* current_;

  Screen& screen_;
  RadioCoordinator& coordinator_;
  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  HWND menuBar_ = nullptr;
  int penX_ = 0, penY_ = 0;
  WCHAR installDir_[kInstallDirChars] = {};
  SHACTIVATEINFO activation_{};
};
