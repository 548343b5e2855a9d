// The RDS text window: a hidden multi-line edit control on the main window
// that shows the programme text the radio device collects. While nothing
// has gathered it shows an animated "Receiving" line; once the text is
// long enough it shows it and scrolls it up one line per tick of
// TIMER_RDS_TEXT, faster while the text keeps growing.
//
// The program holds one RdsText as a program-wide object. The main window
// creates the edit control and hands both handles over with Attach; the
// tuning buttons, the RDS button and the IDM_RDS command call
// ShowRdsText and HideRdsText, the main window's TIMER_RDS_TEXT calls
// UpdateRdsText. Everything runs on the window thread.
#pragma once

#include "RadioDevice.h"
#include "WindowTimers.h"
#include "windows.h"

#define RDS_BUFFER_CHARS 2048     // the text waiting to be shown, terminator included
#define RDS_RECEIVING_CHARS 1024  // the "Receiving" line is composed in this many characters
#define RDS_SHOW_LENGTH 300       // more than this many characters: show and scroll the text
#define RDS_FAST_LENGTH 401       // more than this: the text grows, tick faster
#define RDS_SLOW_LENGTH 400       // less than this: back to the shown period
#define RDS_PERIOD_START 1000     // ms, the period before the speed rule first chooses
#define RDS_PERIOD_SHOWN 800      // ms, the period while the window is shown
#define RDS_PERIOD_STEP 10        // ms taken off the period per tick while the text grows
#define RDS_DOT_CYCLE 6           // "Receiving" followed by 0 to 5 dots

class RdsText {
 public:
  explicit RdsText(RadioDevice& radio);
  virtual ~RdsText();

  // The main window (owner of TIMER_RDS_TEXT) and its RDS text window,
  // which may be null when it could not be created.
  void Attach(HWND mainWindow, HWND textWindow);

  void ShowRdsText();
  void HideRdsText();
  // The TIMER_RDS_TEXT handler; window is the main window.
  void UpdateRdsText(HWND window);

  HWND textWindow;
  WCHAR buffer[RDS_BUFFER_CHARS];
  BOOL textShown;      // the buffer went into the window since it was last hidden
  int period;          // ms, the period the speed rule last chose
  int dotCount;        // dots after "Receiving", 0 to 5
  int previousLength;  // characters in the buffer after the last trim

 protected:
  // Has the radio device fetch its latest RDS text into its rdsText.
  virtual void FetchText();

  RadioDevice& radio;

 private:
  void ClearBuffer();
  void ShowBuffer(HWND window, int length);
  void ApplySpeedRule(HWND window, int length);
  void AppendDeviceText();
  void ShowReceiving();

  HWND mainWindow;
};
