// The radio program's side of the tuner card: everything the tuner layer
// knows lives in one record, shared by the channel and image operations,
// the tuning procedures and the control-code dispatcher.
//
// Frequencies are counted in 100 kHz (875 is 87.5 MHz) as unsigned 16-bit
// words throughout the program.
#pragma once

#include "windows.h"
#include "TunerRequest.h"

// WriteImage bits (bit 7 is the most significant bit of a byte).
#define W0_MUTE 0x80             // chip output muted: searches and injection probes
#define W0_SEARCH 0x40           // the next write starts the chip's own search
#define W0_PLL_HIGH 0x3F         // PLL word bits 13..8
#define W2_SEARCH_UP 0x80        // search direction: 1 up, 0 down
#define W2_STOP_LEVEL 0x60       // search stop level, two bits
#define W2_STOP_LEVEL_MID 0x40   // the stop level this program always uses
#define W2_HIGH_SIDE 0x10        // oscillator above the received frequency
#define W2_MONO 0x08             // forced mono
#define W2_AUDIO_MUTE 0x06       // audio mute, together with W3_AUDIO_MUTE
#define W3_JAPAN 0x20            // Japanese band limits (76..91 MHz)
#define W3_CLEARED 0x10          // kept clear by every frequency programming
#define W3_AUDIO_MUTE 0x08       // audio mute, together with W2_AUDIO_MUTE

#define TUNER_IMAGE_SIZE 5

// Band plan values (the RadioSystem setting).
#define BAND_EUROPE 1
#define BAND_JAPAN 2
#define BAND_USA 3

// The chip's status as last read.
struct TunerStatus {
  WORD pll;        // 14 bits
  BYTE ifCounter;  // 7 bits
  BYTE stereo;     // 0 or 1
  BYTE level;      // 0..15
};

struct TunerState {
  HANDLE handle = INVALID_HANDLE_VALUE;  // "MVX1:", or not open
  // The one block every request travels in; the driver writes read data
  // back into it, so it must stay this same object for the decoding.
  TunerRequest request = {};
  BYTE replyBlock[TUNER_REQUEST_SIZE] = {};  // required by the driver, never read
  DWORD bytesReturned = 0;
  // W0..W4: 88.0 MHz on the low side, search stop level set.
  BYTE image[TUNER_IMAGE_SIZE] = {0x1B, 0x6E, 0x40, 0x00, 0x00};
  WORD band = BAND_EUROPE;
  WORD bandUpper = 1080;
  WORD bandLower = 875;
  WORD currentFrequency = 875;
  DWORD lastTunedFrequency = 880;  // currentFrequency after the previous tuning
  bool highSideInjection = false;
  WORD targetFrequency = 0;    // start of the latest search
  WORD measuredFrequency = 0;  // where the latest search was read back
  LONG seekContinue = 0;       // SEEK_STOP, SEEK_CONTINUE_UP or SEEK_CONTINUE_DOWN
  TunerStatus status = {};
  bool volumeKnown = false;  // the card's volume position is known
  WORD volumeLevel = 0;      // 0..79
};

// The program's one tuner.
extern TunerState tunerState;

// Where the tuner is tuned and what the chip last measured, for a caller
// that watches the radio rather than drives it (a band scan).
struct TunerReading {
  WORD frequency;  // 100 kHz
  WORD bandLower;
  WORD bandUpper;
  TunerStatus status;
};

inline TunerReading LastReading() {
  return {tunerState.currentFrequency, tunerState.bandLower, tunerState.bandUpper, tunerState.status};
}
