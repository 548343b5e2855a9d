#include "RadioCoordinator.h"

#include "BandPlan.h"
#include "DisplayPower.h"
#include "WindowTimers.h"
#include "OndrelIds.h"
#include "aygshell.h"


// A RadioSystem outside 1..3 (the settings key could not be opened) gets
// Europe's limits and the U surface, as at window creation and as the
// device's band 1, so that the three never disagree.
void RadioCoordinator::ApplySettings() {
  RadioSettings& settings = screen_.settings;
  settings.Load();
  SetBandLimits(BandPlanOrEurope(settings.RadioSystem));
  HDC scale = settings.RadioSystem == RADIO_SYSTEM_JAPAN ? screen_.skin.P() : screen_.skin.U();
  screen_.frequencySlider.SetSharedBackground(scale, 26, 116);
  screen_.frequencySlider.SetPos(int(settings.CurrentFrequency), 0);
  screen_.volumeSlider.SetPos(int(settings.CurrentVolume), 0);
  screen_.searchModeToggle.SetOn(settings.AutoSearch != 0);
  const BOOL repeat = settings.AutoSearch == 0 ? TRUE : FALSE;
  screen_.tuneUp.repeatEnabled = repeat;
  screen_.tuneDown.repeatEnabled = repeat;
  const DWORD* p = settings.PresetChannel;
  for (DWORD group = 1; group <= 3; ++group, p += 6)
    screen_.presetBank.SetGroupPresets(group, p[0], p[1], p[2], p[3], p[4], p[5]);
  ApplyGroup(settings.Group);
  RadioDevice& radio = screen_.radio;
  radio.SetSearchLevel(settings.SearchLevel);
  radio.SetAudioOutputType(int(settings.AudioOutputType));
  radio.SetStereoNoiseCancel(int(settings.StereoNoiseCancel));
  radio.SetRadioSystem(int(WORD(settings.RadioSystem)));
}

void RadioCoordinator::ApplyGroup(BYTE group) {
  if (group < 1 || group > 3) return;
  screen_.groupToggles[group - 1].SetOn(TRUE);
  screen_.presetBank.SelectGroup(group);
}

void RadioCoordinator::SaveSettings() {
  RadioSettings& settings = screen_.settings;
  settings.AudioOutputType = 2;
  settings.CurrentFrequency = DWORD(screen_.frequencySlider.GetPos());
  settings.CurrentVolume = DWORD(screen_.volumeSlider.GetPos());
  settings.AutoSearch = screen_.searchModeToggle.IsOn() ? 1 : 0;
  for (BYTE group = 1; group <= 3; ++group) {
    if (screen_.groupToggles[group - 1].IsOn()) {
      settings.Group = group;
      break;
    }
  }
  for (DWORD group = 1; group <= 3; ++group)
    for (DWORD n = 1; n <= 6; ++n)
      settings.PresetChannel[(group - 1) * 6 + (n - 1)] = screen_.presetBank.GetPreset(group, n);
  settings.Save();
}

void RadioCoordinator::ApplyBand() {
  const BandLimits band = BandLimits::Instance();
  int frequency = screen_.frequencySlider.GetPos();
  if (frequency > band.upper) frequency = band.upper;
  if (frequency < band.lower) frequency = band.lower;
  screen_.settings.CurrentFrequency = DWORD(frequency);
  screen_.frequencySlider.SetRange(band.lower, band.upper);
  screen_.frequencySlider.SetPos(frequency, 0);
  screen_.frequencyDigits.SetRange(band.lower, band.upper);
  screen_.frequencyDigits.SetValue(frequency, 1);
  screen_.radio.SetFrequency(WORD(frequency));
  screen_.presetBank.SetRange(band.lower, band.upper);
  screen_.presetBank.Draw(0);
}

void RadioCoordinator::ShowTunerControls(bool present) {
  screen_.frequencySlider.SetEnabled(present ? TRUE : FALSE);
  screen_.frequencyDigits.SetVisible(present ? 1 : 0);
}

void RadioCoordinator::UpdateTunerControls() { ShowTunerControls(screen_.radio.CheckPresent() == 1); }

void RadioCoordinator::StartPollTimers(HWND window) {
  SetTimer(window, TIMER_TUNER_POLL, 100, nullptr);
  SetTimer(window, TIMER_STEREO, 2000, nullptr);
}

void RadioCoordinator::PollTuner() {
  if (screen_.radio.CheckPresent() == 1) {
    if (tunerStarted_) return;
    StartRadio();
    tunerStarted_ = TRUE;
    return;
  }
  if (tunerStarted_) {
    ShowTunerControls(false);
    tunerStarted_ = FALSE;
  }
}

// The card is there (again): power, stereo, unmuted, at the volume and
// frequency the sliders hold. The mono setting is not sent again (a
// freshly powered card receives stereo). The MUTE toggle goes off with
// the sound, but the mute flag is the user's and stays as the last tap on
// MUTE left it: after a mute the STEREO lamp stays dark until MUTE is
// switched on and off again.
void RadioCoordinator::StartRadio() {
  RadioDevice& radio = screen_.radio;
  radio.StartRds();
  radio.SetPower(1);
  screen_.settings.AudioOutputType = 2;
  screen_.audioOutputToggle.SetOn(FALSE);
  screen_.muteToggle.SetOn(FALSE);
  radio.SetMute(0);
  ShowTunerControls(true);
  radio.SetVolume(screen_.volumeSlider.GetPos());
  radio.SetFrequency(WORD(screen_.frequencySlider.GetPos()));
}

void RadioCoordinator::KeepAwake(HWND window) {
  if (GetForegroundWindow() == window) SystemIdleTimerReset();
}

void RadioCoordinator::ContinueSeek() {
  TuneButton* button = nullptr;
  if (screen_.radio.seekContinue == 1) button = &screen_.tuneUp;
  if (screen_.radio.seekContinue == 2) button = &screen_.tuneDown;
  if (!button) return;
  button->SetState(Widget::Pressed, 1);
  button->OnPress();
}

// The chip keeps the mute it searched under until it is tuned plainly, so
// the frequency reached is tuned once more: otherwise the sound would stay
// off after the tap although the mute toggle is off.
void RadioCoordinator::StopSeek(HWND window) {
  screen_.radio.seekContinue = 0;
  screen_.radio.SetFrequency(WORD(screen_.frequencySlider.GetPos()));
  screen_.tuneUp.SetState(Widget::Normal, 1);
  screen_.tuneDown.SetState(Widget::Normal, 1);
  if (!screen_.muteToggle.IsOn()) screen_.radio.SetMute(0);
  KillTimer(window, TIMER_SEEK);
}

// On only while the tuner receives stereo, stereo output is chosen and
// the user has not muted.
void RadioCoordinator::UpdateStereoIndicator() {
  RadioDevice& radio = screen_.radio;
  StereoIndicator& indicator = screen_.stereoIndicator;
  if (radio.CheckPresent() != 1 || radio.GetStereo() != 1) {
    indicator.SetOn(FALSE);
    return;
  }
  switch (screen_.settings.AudioOutputType) {
    case 1: indicator.SetOn(FALSE); break;
    case 2: indicator.SetOn(screen_.muteFlag == 0 ? TRUE : FALSE); break;
    default: break;
  }
}

HMENU RadioCoordinator::RdsPopup() const {
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuBar_, SHCMBM_GETMENU, 0, 0));
  return GetSubMenu(menu, 0);
}

void RadioCoordinator::UpdateRdsPresence() {
  RdsButton& button = screen_.rdsButton;
  if (screen_.radio.HasRds() == 1) {
    button.SetOn(TRUE);
    button.inputEnabled = TRUE;
    if (rdsMenu_) return;
    InsertMenuW(RdsPopup(), 0, MF_BYPOSITION, IDM_RDS, u"RDS");
    rdsMenu_ = TRUE;
    return;
  }
  button.SetOn(FALSE);
  button.inputEnabled = FALSE;
  if (rdsMenu_) {
    RemoveMenu(RdsPopup(), IDM_RDS, MF_BYCOMMAND);
    rdsMenu_ = FALSE;
  }
}

void RadioCoordinator::DisplayOn(HWND window) {
  SetDisplayPower(window, kDisplayPowerOn);
  screen_.displayOffFlag = FALSE;
}
