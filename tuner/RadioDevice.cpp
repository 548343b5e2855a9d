#include "RadioDevice.h"

#include "TunerChannel.h"
#include "TunerControl.h"

// The instance whose RDS poll timer is running; a window-less timer's
// callback gets no object of its own.
static RadioDevice* rdsTimerOwner = NULL;

RadioDevice::RadioDevice() : rdsCount(0), rdsText(), seekContinue(0), opened(FALSE), rdsTimer(0) {}

// A poll timer left running would call into an object that is gone.
RadioDevice::~RadioDevice() {
  if (rdsTimer != 0) KillTimer(NULL, rdsTimer);
  if (rdsTimerOwner == this) rdsTimerOwner = NULL;
}

void RadioDevice::Open() { opened = TunerChannel::Open() ? TRUE : FALSE; }

int RadioDevice::Close() {
  TunerChannel::Close();
  opened = FALSE;
  return 1;
}

// Called periodically: finds a card inserted later, and closes the
// channel to a card that no longer answers.
int RadioDevice::CheckPresent() {
  if (!opened) Open();
  DWORD present = 0;
  DWORD returned = 0;
  int r = TunerControl(TUNER_CTL_CHECK_PRESENT, NULL, 0, &present, sizeof present, &returned);
  if (r == 0) Close();
  return r;
}

int RadioDevice::SeekControl(WORD direction) {
  if (!opened) return 0;
  DWORD input = direction;
  DWORD output[2] = {0, 0};
  DWORD returned = 0;
  TunerControl(TUNER_CTL_SEEK, &input, sizeof input, output, sizeof output, &returned);
  seekContinue = (LONG)output[1];
  return (int)output[0];
}

int RadioDevice::SeekUp() { return SeekControl(1); }
int RadioDevice::SeekDown() { return SeekControl(0); }

WORD RadioDevice::StepControl(DWORD direction) {
  if (!opened) return 0;
  WORD frequency = 0;
  DWORD returned = 0;
  TunerControl(TUNER_CTL_STEP, &direction, sizeof direction, &frequency, sizeof frequency, &returned);
  return frequency;
}

WORD RadioDevice::StepUp() { return StepControl(1); }
WORD RadioDevice::StepDown() { return StepControl(0); }

int RadioDevice::SendWord(DWORD code, DWORD value) {
  DWORD returned = 0;
  return TunerControl(code, &value, sizeof value, NULL, 0, &returned);
}

void RadioDevice::SetFrequency(WORD frequency) {
  if (opened) SendWord(TUNER_CTL_SET_FREQUENCY, frequency);
}

void RadioDevice::SetMute(int flag) {
  if (opened) SendWord(TUNER_CTL_SET_MUTE, (DWORD)flag);
}

int RadioDevice::SetVolume(int level) {
  if (!opened) return 0;
  return SendWord(TUNER_CTL_SET_VOLUME, (DWORD)level);
}

void RadioDevice::SetPower(int flag) {
  if (opened) SendWord(TUNER_CTL_SET_POWER, (DWORD)flag);
}

int RadioDevice::GetStereo() {
  if (!opened) return 0;
  DWORD stereo = 0;
  DWORD returned = 0;
  TunerControl(TUNER_CTL_GET_STEREO, NULL, 0, &stereo, sizeof stereo, &returned);
  return (int)stereo;
}

// The settings below go to the tuner layer even while the channel is
// closed; it keeps them for when the card answers again.
int RadioDevice::SetSearchLevel(int level) {
  if (level < 0) level = 0;
  if (level > 3) level = 3;
  WORD input = (WORD)level;
  DWORD returned = 0;
  TunerControl(TUNER_CTL_SET_SEARCH_LEVEL, &input, sizeof input, NULL, 0, &returned);
  return 1;
}

int RadioDevice::SetAudioOutputType(int type) {
  SendWord(TUNER_CTL_SET_MONO, type == 1 ? 1 : 0);
  return 1;
}

int RadioDevice::SetStereoNoiseCancel(int flag) {
  SendWord(TUNER_CTL_SET_NOISE_CANCEL, flag == 1 ? 1 : 0);
  return 1;
}

int RadioDevice::SetRadioSystem(int band) {
  WORD input = (WORD)(band == 2 || band == 3 ? band : 1);
  DWORD returned = 0;
  return TunerControl(TUNER_CTL_SET_BAND, &input, sizeof input, NULL, 0, &returned);
}

// RDS hooks: a poll timer that counts reception, and the text store. No
// RDS source sits behind the tuner layer, so the count stays 0 and the
// text empty; the window relies on the hooks all the same.

#define RDS_TEXT_BYTES 128

void RadioDevice::StartRds() {
  DWORD returned = 0;
  TunerControl(TUNER_CTL_RDS_START, NULL, 0, NULL, 0, &returned);
  ResetRds();
  // Started again without a stop (the card came back): one timer only.
  if (rdsTimer != 0) KillTimer(NULL, rdsTimer);
  rdsTimerOwner = this;
  rdsTimer = SetTimer(NULL, RDS_TIMER_ID, RDS_POLL_MS, OnRdsTimer);
}

void RadioDevice::StopRds() {
  DWORD returned = 0;
  TunerControl(TUNER_CTL_RDS_STOP, NULL, 0, NULL, 0, &returned);
  // A window-less timer is known by the identifier the platform chose.
  if (rdsTimer != 0) KillTimer(NULL, rdsTimer);
  rdsTimer = 0;
  if (rdsTimerOwner == this) rdsTimerOwner = NULL;
}

void CALLBACK RadioDevice::OnRdsTimer(HWND, UINT, UINT_PTR, DWORD) {
  RadioDevice* device = rdsTimerOwner;
  if (device == NULL) return;
  DWORD returned = 0;
  TunerControl(TUNER_CTL_RDS_POLL, NULL, 0, &device->rdsCount, sizeof device->rdsCount, &returned);
}

void RadioDevice::FetchRdsText() {
  char text[RDS_TEXT_BYTES] = {};
  DWORD returned = 0;
  // One byte short of the buffer, so the text always ends in a zero.
  TunerControl(TUNER_CTL_RDS_GET_TEXT, NULL, 0, text, RDS_TEXT_BYTES - 1, &returned);
  MultiByteToWideChar(0, 0, text, -1, rdsText, RDS_TEXT_CHARS);
}

int RadioDevice::HasRds() { return rdsCount > RDS_PRESENT_COUNT ? 1 : 0; }

void RadioDevice::ResetRds() {
  rdsCount = 0;
  for (int i = 0; i < RDS_TEXT_CHARS; i++) rdsText[i] = 0;
}
