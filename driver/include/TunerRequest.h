// The one control request between the radio program and the tuner driver
// on the device "MVX1:": IOCTL_TUNER_TRANSFER with a 24-byte TunerRequest
// as the input buffer. The driver carries the command out on the card as
// one 8-byte register-block transfer and writes read data back into the
// request itself, never into the output buffer. The output buffer must be
// there (24 bytes in practice); the driver leaves it alone and reports its
// whole length as returned.
#pragma once

#include "windows.h"
#include "winioctl.h"

// Device type 0x8000, function 100, buffers used as they are, any access.
#define IOCTL_TUNER_TRANSFER CTL_CODE(0x8000, 100, METHOD_NEITHER, FILE_ANY_ACCESS)
static_assert(IOCTL_TUNER_TRANSFER == 0x80000193u);

#define TUNER_CMD_WRITE 11         // bytes 8..12 (W0..W4) to the tuner chip
#define TUNER_CMD_READ 12          // the chip's status into bytes 16..20 (S0..S4)
#define TUNER_CMD_VOLUME_UP 13     // one volume step up
#define TUNER_CMD_VOLUME_DOWN 14   // one volume step down
#define TUNER_CMD_SET_SWITCHES 15  // switchWord to the card's switches

#define TUNER_REQUEST_SIZE 24

// Little-endian, packed as it travels.
typedef struct _TunerRequest {
  DWORD command;     // one of TUNER_CMD_*
  DWORD switchWord;  // TUNER_CMD_SET_SWITCHES: the word written, low 8 bits used
  BYTE writeData[8]; // TUNER_CMD_WRITE: W0..W4, then zeros
  BYTE readData[8];  // TUNER_CMD_READ: S0..S4, then what the card returns
} TunerRequest;

static_assert(sizeof(TunerRequest) == TUNER_REQUEST_SIZE);
static_assert(offsetof(TunerRequest, switchWord) == 4);
static_assert(offsetof(TunerRequest, writeData) == 8);
static_assert(offsetof(TunerRequest, readData) == 16);
