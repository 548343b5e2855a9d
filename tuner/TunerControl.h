// The tuner layer's one entry for the rest of the program, shaped like a
// device control request: a control code, input and output buffers with
// their lengths, and the count of bytes returned. Words in the buffers
// are little-endian.
#pragma once

#include "windows.h"
#include "winioctl.h"

#define TUNER_CTL_CODE(function) CTL_CODE(0x22, (function), METHOD_BUFFERED, FILE_ANY_ACCESS)

#define TUNER_CTL_CHECK_PRESENT TUNER_CTL_CODE(11)     // out: 32-bit 0
#define TUNER_CTL_SET_POWER TUNER_CTL_CODE(12)         // in: 32-bit flag
#define TUNER_CTL_SEEK TUNER_CTL_CODE(21)              // in: 16-bit direction; out: frequency, seekContinue
#define TUNER_CTL_STEP TUNER_CTL_CODE(22)              // in: 32-bit direction; out: 16-bit frequency
#define TUNER_CTL_SET_FREQUENCY TUNER_CTL_CODE(23)     // in: 32-bit, low 16 bits the frequency
#define TUNER_CTL_SET_SEARCH_LEVEL TUNER_CTL_CODE(24)  // in: 16-bit level 0..3
#define TUNER_CTL_SET_MONO TUNER_CTL_CODE(25)          // in: 32-bit flag
#define TUNER_CTL_SET_NOISE_CANCEL TUNER_CTL_CODE(26)  // in: 32-bit flag
#define TUNER_CTL_GET_STEREO TUNER_CTL_CODE(27)        // out: 32-bit 0 or 1
#define TUNER_CTL_SET_BAND TUNER_CTL_CODE(28)          // in: band value in the first byte
#define TUNER_CTL_SET_MUTE TUNER_CTL_CODE(32)          // in: 32-bit flag
#define TUNER_CTL_SET_VOLUME TUNER_CTL_CODE(33)        // in: 32-bit, low 8 bits the level
#define TUNER_CTL_RDS_START TUNER_CTL_CODE(51)
#define TUNER_CTL_RDS_STOP TUNER_CTL_CODE(52)
#define TUNER_CTL_RDS_GET_TEXT TUNER_CTL_CODE(53)      // out: up to 127 bytes of text
#define TUNER_CTL_RDS_POLL TUNER_CTL_CODE(54)          // out: 32-bit reception count

static_assert(TUNER_CTL_CHECK_PRESENT == 0x22002C);
static_assert(TUNER_CTL_SEEK == 0x220054);
static_assert(TUNER_CTL_RDS_POLL == 0x2200D8);

// Returns 1, except for TUNER_CTL_CHECK_PRESENT when the device does not
// answer, and for a code whose buffer is missing or too short for what it
// reads or writes (nothing is done then). Unknown codes do nothing and
// succeed. bytesReturned, when given, is set to 0, and by
// TUNER_CTL_RDS_POLL to the output length.
int TunerControl(DWORD code, const void* input, DWORD inputLength, void* output, DWORD outputLength,
                 DWORD* bytesReturned);
