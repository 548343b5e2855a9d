#include "Widgets.h"

#include "DisplayPower.h"
#include "RdsText.h"
#include "Screen.h"
#include "WindowTimers.h"
#include "mmsystem.h"

void TuneButton::OnPress() {
  screen_.rdsButton.SetOn(FALSE);
  screen_.radio.ResetRds();
  screen_.rdsText.HideRdsText();
  if (screen_.searchModeToggle.IsOn()) {
    Seek();
    return;
  }
  RadioDevice& radio = screen_.radio;
  WORD frequency = direction_ == Up ? radio.StepUp() : radio.StepDown();
  screen_.frequencySlider.SetPos(frequency, 0);
}

// One seek step: muted while it runs; the seek timer brings the next
// step as long as the tuner says the seek goes on.
void TuneButton::Seek() {
  RadioDevice& radio = screen_.radio;
  Paint();
  radio.SetMute(1);
  int frequency = direction_ == Up ? radio.SeekUp() : radio.SeekDown();
  screen_.frequencySlider.SetPos(frequency, 0);
  if (radio.seekContinue != 0) {
    SetTimer(Window(), TIMER_SEEK, 100, nullptr);
    return;
  }
  KillTimer(Window(), TIMER_SEEK);
  SetState(Normal, 1);
  if (!screen_.muteToggle.IsOn()) radio.SetMute(0);
}

void SearchModeToggle::OnActivate() {
  const BOOL stepMode = IsOn() ? FALSE : TRUE;
  screen_.tuneUp.repeatEnabled = stepMode;
  screen_.tuneDown.repeatEnabled = stepMode;
}

void MuteToggle::OnActivate() {
  screen_.radio.SetMute(IsOn());
  screen_.muteFlag = IsOn() ? 1 : 0;
}

void AudioOutputToggle::OnActivate() {
  screen_.radio.SetAudioOutputType(IsOn());
  screen_.settings.AudioOutputType = IsOn() ? 1 : 2;
}

void PresetButton::OnHold() {
  if (!screen_.frequencySlider.IsEnabled()) return;
  PlaySoundW(u"Default.wav", nullptr, SND_FILENAME);
  PresetBank& bank = screen_.presetBank;
  bank.SetPreset(bank.CurrentGroup(), DWORD(number_), DWORD(screen_.frequencySlider.GetPos()));
  bank.Draw(DWORD(number_));
}

// Recall: tune 0.2 MHz below the preset first, then onto it, muted in
// between unless the user muted the radio already.
void PresetButton::OnActivate() {
  screen_.rdsButton.SetOn(FALSE);
  RadioDevice& radio = screen_.radio;
  radio.ResetRds();
  if (!screen_.frequencySlider.IsEnabled()) return;
  const bool userMuted = screen_.muteToggle.IsOn();
  if (!userMuted) radio.SetMute(1);
  PresetBank& bank = screen_.presetBank;
  DWORD preset = bank.GetPreset(bank.CurrentGroup(), DWORD(number_));
  radio.SetFrequency(WORD(preset - 2));
  Sleep(300);
  screen_.frequencySlider.SetPos(int(preset), 0);
  if (!userMuted) radio.SetMute(0);
}

void GroupToggle::OnPress() {
  screen_.presetBank.SelectGroup(DWORD(group_));
  screen_.presetBank.Draw(0);
}

// One group toggle is always on: switching this one on switches the
// others off; the pen cannot switch it off.
void GroupToggle::OnActivate() {
  if (!IsOn()) {
    KeepOn();
    return;
  }
  for (GroupToggle& other : screen_.groupToggles) {
    if (&other != this) other.SetOn(FALSE);
  }
}

void DisplayOffButton::OnActivate() {
  SetDisplayPower(Window(), kDisplayPowerOff);
  screen_.displayOffFlag = TRUE;
}

void ExitButton::OnActivate() { SendMessageW(Window(), WM_CLOSE, 0, 0); }

void RdsButton::OnActivate() {
  if (IsWindowVisible(screen_.rdsText.textWindow))
    screen_.rdsText.HideRdsText();
  else
    screen_.rdsText.ShowRdsText();
}
