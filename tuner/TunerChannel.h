// The channel to the tuner driver: the one handle to "MVX1:" and the one
// request block every transfer travels in (tunerState.request). Each
// transfer is one IOCTL_TUNER_TRANSFER request.
#pragma once

#include "windows.h"

#define TRANSFER_OK 1
#define TRANSFER_FAILED 21
#define TRANSFER_NOT_OPEN 22

class TunerChannel {
 public:
  static bool Open();
  static bool Close();
  static bool IsOpen();
  // TRANSFER_OK, TRANSFER_FAILED or TRANSFER_NOT_OPEN.
  static int Transfer(WORD command);
};
