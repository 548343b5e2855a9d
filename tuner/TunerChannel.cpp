// The one handle to the tuner driver and the one request block.
#include "TunerChannel.h"

#include "TunerState.h"

TunerState tunerState;

bool TunerChannel::Open() {
  // A second open must not lose the first handle.
  if (IsOpen()) Close();
  HANDLE handle = CreateFileW(TEXT("MVX1:"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
  if (handle == INVALID_HANDLE_VALUE) return false;
  tunerState.handle = handle;
  // Whoever had the card before may have moved its volume.
  tunerState.volumeKnown = false;
  return true;
}

bool TunerChannel::Close() {
  if (IsOpen()) CloseHandle(tunerState.handle);
  tunerState.handle = INVALID_HANDLE_VALUE;
  return true;
}

bool TunerChannel::IsOpen() { return tunerState.handle != INVALID_HANDLE_VALUE; }

int TunerChannel::Transfer(WORD command) {
  if (!IsOpen()) return TRANSFER_NOT_OPEN;
  tunerState.request.command = command;
  BOOL ok = DeviceIoControl(tunerState.handle, IOCTL_TUNER_TRANSFER, &tunerState.request, sizeof tunerState.request,
                            tunerState.replyBlock, sizeof tunerState.replyBlock, &tunerState.bytesReturned, NULL);
  return ok ? TRANSFER_OK : TRANSFER_FAILED;
}
