// The operations on the tuner chip's register image and status, and the
// PLL arithmetic between frequency and oscillator. Every image write and
// status read is one transfer on the tuner channel; every image write is
// followed by the 50 ms the chip needs to take it.
//
// None of these report a failed request: the operations carry on as if it
// had succeeded (image writes still pause, a status read decodes whatever
// the read area holds). Only TunerChannel::Transfer tells the caller.
#pragma once

#include "TunerState.h"

#define TUNER_WRITE_PAUSE_MS 50

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
