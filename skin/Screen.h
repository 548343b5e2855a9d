// The radio's screen: every program-wide object that makes it up, in the
// one place that fixes their order. They are constructed in declaration
// order before the program's entry point runs and destroyed in exactly the
// reverse order after it returns (the preset bank first, the background
// bitmap last), also when the window was never created. The main window
// lays the screen out, paints it and feeds it the pen through the Screen*
// operations; the radio coordinator drives the objects afterwards.
#pragma once

#include "DigitDisplay.h"
#include "PresetBank.h"
#include "RadioDevice.h"
#include "RadioSettings.h"
#include "RdsText.h"
#include "Skin.h"
#include "SkinSlider.h"
#include "Widgets.h"

class Screen {
 public:
  Screen() = default;
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  void LayoutScreen(HWND window);
  void PaintScreen();
  void ScreenPenDown(int x, int y);
  void ScreenPenUp(int x, int y);
  void ScreenPenMove(int x, int y);
  void ScreenHold(int x, int y);
  void ScreenRepeat(int x, int y);

  // The program-wide objects, in construction order.
  SkinBitmaps bitmaps;  // background, U, P and E pictures
  RadioSettings settings;
  DigitDisplay frequencyDigits;
  TuneButton tuneUp{*this, TuneButton::Up};
  TuneButton tuneDown{*this, TuneButton::Down};
  MuteToggle muteToggle{*this};
  StereoIndicator stereoIndicator;
  AudioOutputToggle audioOutputToggle{*this};
  SearchModeToggle searchModeToggle{*this};
  PresetButton presetButtons[6] = {{*this, 1}, {*this, 2}, {*this, 3}, {*this, 4}, {*this, 5}, {*this, 6}};
  GroupToggle groupToggles[3] = {{*this, 1}, {*this, 2}, {*this, 3}};
  DisplayOffButton displayOffButton{*this};
  FrequencySlider frequencySlider{radio, frequencyDigits};
  VolumeSlider volumeSlider{radio};
  ExitButton exitButton;
  RdsButton rdsButton{*this};
  RadioDevice radio;
  PresetBank presetBank;

  // The skin surfaces over the pictures, and the RDS text window's state.
  Skin skin{bitmaps};
  RdsText rdsText{radio};

  // Set by the mute toggle and the display-off button; read and cleared
  // by the radio coordinator.
  DWORD muteFlag = 0;
  BOOL displayOffFlag = FALSE;

 private:
  // The widgets that take the pen, in the order they get it.
  template <typename Visit>
  void ForEachPenWidget(Visit visit);
};
