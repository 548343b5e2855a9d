// The tuner chip's register image: what is written (W0..W4), what is read
// back (S0..S4), and the PLL arithmetic between frequency and oscillator.
#include "TunerImage.h"

#include "TunerChannel.h"

static void SetBits(BYTE& byte, BYTE bits, bool on) { byte = on ? (BYTE)(byte | bits) : (BYTE)(byte & ~bits); }

// High side: the oscillator runs 225 kHz above the station, low side below;
// the PLL counts quarters of the 50 kHz reference.
int FrequencyToPll(WORD frequency, bool highSide) {
  int f = frequency;
  if (highSide) return (f * 400000 + 900000) / 50000;
  return (f * 400000 - 900000) / 50000;
}

// The oscillator in kHz (12.5 kHz per count, rounded down), moved back by
// the intermediate frequency; a search stop off the 100 kHz grid is
// rounded down to it.
int PllToFrequency(int pll, bool highSide) {
  int khz = (pll * 50000) / 4000;
  khz = highSide ? khz - 225 : khz + 225;
  return khz / 100;
}

void WriteTunerImage() {
  BYTE* data = tunerState.request.writeData;
  for (int i = 0; i < TUNER_IMAGE_SIZE; i++) data[i] = tunerState.image[i];
  for (int i = TUNER_IMAGE_SIZE; i < (int)sizeof tunerState.request.writeData; i++) data[i] = 0;
  TunerChannel::Transfer(TUNER_CMD_WRITE);
  // The chip needs this long to take the image, whether or not the
  // request went through.
  Sleep(TUNER_WRITE_PAUSE_MS);
}

void ProgramFrequency(WORD frequency) {
  BYTE* image = tunerState.image;
  image[2] = (BYTE)((image[2] & ~W2_STOP_LEVEL) | W2_STOP_LEVEL_MID);
  SetBits(image[2], W2_HIGH_SIDE, false);
  SetBits(image[3], W3_CLEARED, false);
  SetBits(image[3], W3_JAPAN, tunerState.band == BAND_JAPAN);
  int pll;
  if (tunerState.highSideInjection) {
    SetBits(image[2], W2_HIGH_SIDE, true);
    pll = FrequencyToPll(frequency, true);
  } else {
    pll = FrequencyToPll(frequency, false);
  }
  image[0] = (BYTE)((image[0] & (W0_MUTE | W0_SEARCH)) | ((pll >> 8) & W0_PLL_HIGH));
  image[1] = (BYTE)(pll & 0xFF);
  WriteTunerImage();
}

int ReadTunerStatus() {
  TunerChannel::Transfer(TUNER_CMD_READ);
  const BYTE* s = tunerState.request.readData;
  TunerStatus& status = tunerState.status;
  status.pll = (WORD)((s[0] & W0_PLL_HIGH) * 256 + s[1]);
  status.ifCounter = (BYTE)(s[2] & 0x7F);
  status.level = (BYTE)(s[3] >> 4);
  status.stereo = (BYTE)(s[2] >> 7);
  return PllToFrequency(status.pll, tunerState.highSideInjection);
}

int ReadStereo() {
  TunerChannel::Transfer(TUNER_CMD_READ);
  tunerState.status.stereo = (BYTE)(tunerState.request.readData[2] >> 7);
  return tunerState.status.stereo;
}

void SetProbeMute(int on) {
  SetBits(tunerState.image[0], W0_MUTE, on != 0);
  WriteTunerImage();
}

void SetMono(int on) {
  SetBits(tunerState.image[2], W2_MONO, on != 0);
  WriteTunerImage();
}

void SetAudioMute(int on) {
  SetBits(tunerState.image[2], W2_AUDIO_MUTE, on != 0);
  SetBits(tunerState.image[3], W3_AUDIO_MUTE, on != 0);
  WriteTunerImage();
}

// Only the limits change here; the chip learns the band (the Japan bit)
// with the next frequency programmed.
void SetBand(WORD value) {
  tunerState.band = value;
  switch (value) {
    case BAND_JAPAN:
      tunerState.bandLower = 760;
      tunerState.bandUpper = 910;
      break;
    case BAND_USA:
      tunerState.bandLower = 880;
      tunerState.bandUpper = 1080;
      break;
    default:
      tunerState.bandLower = 875;
      tunerState.bandUpper = 1080;
      break;
  }
}
