// The radio as the window, the widgets, the sliders and the Settings
// dialog operate it. Each request becomes one TunerControl call; volume is
// stepped on the card, not in the platform's mixer. The program has one
// instance, a program-wide object.
#pragma once

#include "windows.h"

#define RDS_TEXT_CHARS 128
#define RDS_TIMER_ID 1
#define RDS_POLL_MS 100
#define RDS_PRESENT_COUNT 500  // polls with reception before RDS counts as there

class RadioDevice {
 public:
  RadioDevice();
  // Leaves the channel alone: the window closes it when it goes.
  virtual ~RadioDevice();

  void Open();
  int Close();
  int CheckPresent();
  int SeekUp();
  int SeekDown();
  WORD StepUp();
  WORD StepDown();
  void SetFrequency(WORD frequency);
  void SetMute(int flag);
  int SetVolume(int level);
  void SetPower(int flag);
  int GetStereo();
  int SetSearchLevel(int level);
  int SetAudioOutputType(int type);
  int SetStereoNoiseCancel(int flag);
  int SetRadioSystem(int band);
  void StartRds();
  void StopRds();
  void FetchRdsText();
  int HasRds();
  void ResetRds();

  DWORD rdsCount;
  WCHAR rdsText[RDS_TEXT_CHARS];
  // The second word of the last seek: 0 stop, 1 continue up, 2 continue
  // down. The window repeats the seek while it is set; a tap clears it.
  LONG seekContinue;
  BOOL opened;

 private:
  static void CALLBACK OnRdsTimer(HWND hwnd, UINT message, UINT_PTR id, DWORD time);
  int SeekControl(WORD direction);
  WORD StepControl(DWORD direction);
  int SendWord(DWORD code, DWORD value);

  UINT_PTR rdsTimer;  // what the platform handed back for the poll timer
};
