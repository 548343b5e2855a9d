#include "TunerControl.h"

#include "CardControls.h"
#include "TunerChannel.h"
#include "TunerImage.h"
#include "Tuning.h"

// Sizes of what each code reads from its input and writes to its output.
#define CTL_WORD16 2
#define CTL_WORD32 4
#define CTL_SEEK_OUTPUT 8

static DWORD ReadInput(const void* input, DWORD bytes) {
  const BYTE* p = (const BYTE*)input;
  DWORD value = 0;
  for (DWORD i = 0; i < bytes; i++) value |= (DWORD)p[i] << (8 * i);
  return value;
}

static void WriteOutput(void* output, DWORD offset, DWORD value, DWORD bytes) {
  BYTE* p = (BYTE*)output + offset;
  for (DWORD i = 0; i < bytes; i++) p[i] = (BYTE)(value >> (8 * i));
}

static bool Fits(const void* buffer, DWORD length, DWORD needed) { return buffer != NULL && length >= needed; }

static int HandleCheckPresent(void* output, DWORD outputLength) {
  if (!Fits(output, outputLength, CTL_WORD32)) return 0;
  // Only whether the device answers counts; the status is not decoded.
  if (TunerChannel::Transfer(TUNER_CMD_READ) != TRANSFER_OK) return 0;
  WriteOutput(output, 0, 0, CTL_WORD32);
  return 1;
}

static int HandleSeek(const void* input, DWORD inputLength, void* output, DWORD outputLength) {
  if (!Fits(input, inputLength, CTL_WORD16) || !Fits(output, outputLength, CTL_SEEK_OUTPUT)) return 0;
  tunerState.seekContinue = SEEK_STOP;
  WORD frequency = Seek((int)ReadInput(input, CTL_WORD16));
  WriteOutput(output, 0, frequency, CTL_WORD32);
  WriteOutput(output, 4, (DWORD)tunerState.seekContinue, CTL_WORD32);
  return 1;
}

static int HandleStep(const void* input, DWORD inputLength, void* output, DWORD outputLength) {
  if (!Fits(input, inputLength, CTL_WORD32) || !Fits(output, outputLength, CTL_WORD16)) return 0;
  WORD frequency = Step((int)ReadInput(input, CTL_WORD32));
  WriteOutput(output, 0, frequency, CTL_WORD16);
  return 1;
}

static int HandleRdsPoll(void* output, DWORD outputLength, DWORD* bytesReturned) {
  if (!Fits(output, outputLength, CTL_WORD32)) return 0;
  // No RDS decoder behind this layer: nothing is ever received. The
  // whole output buffer counts as returned.
  WriteOutput(output, 0, 0, CTL_WORD32);
  if (bytesReturned) *bytesReturned = outputLength;
  return 1;
}

// Codes that take one input word and hand it to an operation.
static int HandleInputWord(DWORD code, const void* input, DWORD inputLength) {
  DWORD needed = code == TUNER_CTL_SET_BAND ? 1 : CTL_WORD32;
  if (!Fits(input, inputLength, needed)) return 0;
  DWORD value = ReadInput(input, needed);
  switch (code) {
    case TUNER_CTL_SET_POWER: SetAudioPower(value != 0); break;
    case TUNER_CTL_SET_FREQUENCY: SetFrequency((WORD)value); break;
    case TUNER_CTL_SET_MONO: SetMono((int)value); break;
    case TUNER_CTL_SET_BAND: SetBand((WORD)value); break;
    case TUNER_CTL_SET_MUTE: SetAudioMute((int)value); break;
    case TUNER_CTL_SET_VOLUME: SetVolume((WORD)(value & 0xFF)); break;
    default: break;
  }
  return 1;
}

int TunerControl(DWORD code, const void* input, DWORD inputLength, void* output, DWORD outputLength,
                 DWORD* bytesReturned) {
  if (bytesReturned) *bytesReturned = 0;
  switch (code) {
    case TUNER_CTL_CHECK_PRESENT:
      return HandleCheckPresent(output, outputLength);
    case TUNER_CTL_SEEK:
      return HandleSeek(input, inputLength, output, outputLength);
    case TUNER_CTL_STEP:
      return HandleStep(input, inputLength, output, outputLength);
    case TUNER_CTL_GET_STEREO:
      if (!Fits(output, outputLength, CTL_WORD32)) return 0;
      WriteOutput(output, 0, (DWORD)ReadStereo(), CTL_WORD32);
      return 1;
    case TUNER_CTL_RDS_POLL:
      return HandleRdsPoll(output, outputLength, bytesReturned);
    case TUNER_CTL_SET_POWER:
    case TUNER_CTL_SET_FREQUENCY:
    case TUNER_CTL_SET_MONO:
    case TUNER_CTL_SET_BAND:
    case TUNER_CTL_SET_MUTE:
    case TUNER_CTL_SET_VOLUME:
      return HandleInputWord(code, input, inputLength);
    default:
      // The search stop level is fixed by every frequency programmed, the
      // image has no bit for stereo noise cancelling, and there is no RDS
      // source behind this layer: those codes are answered and do nothing.
      // Unknown codes are not errors either.
      return 1;
  }
}
