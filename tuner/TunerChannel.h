// The channel to the tuner driver and the operations on the chip's
// register image and the card's volume and switch controls. Every image
// write and status read is one IOCTL_TUNER_TRANSFER request on "MVX1:";
// every image write is followed by the 50 ms the chip needs to take it.
//
// None of these report a failed request: the operations carry on as if it
// had succeeded (image writes still pause, a status read decodes whatever
// the read area holds). Only TunerChannel::Transfer tells the caller.
#pragma once

#include "TunerState.h"

#define TRANSFER_OK 1
#define TRANSFER_FAILED 21
#define TRANSFER_NOT_OPEN 22

#define TUNER_WRITE_PAUSE_MS 50
#define VOLUME_LEVELS 80        // levels 0..79 as the program counts them
#define VOLUME_CARD_STEPS 9     // card steps over the whole level range
#define VOLUME_BOTTOM_STEPS 32  // enough down steps to reach the card's bottom from anywhere

class TunerChannel {
 public:
  static bool Open();
  static bool Close();
  static bool IsOpen();
  // TRANSFER_OK, TRANSFER_FAILED or TRANSFER_NOT_OPEN.
  static int Transfer(WORD command);
};

// Frequency <-> PLL word: 50 kHz reference counted in quarter steps,
// 225 kHz intermediate frequency.
int FrequencyToPll(WORD frequency, bool highSide);
int PllToFrequency(int pll, bool highSide);

void WriteTunerImage();
void ProgramFrequency(WORD frequency);
// The received frequency decoded from the chip's PLL; updates status.
int ReadTunerStatus();
int ReadStereo();
void SetProbeMute(int on);
void SetMono(int on);
void SetAudioMute(int on);
void SetBand(WORD value);

void SetVolume(WORD level);
void SetAudioPower(bool on);
