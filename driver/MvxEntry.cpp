// The stream-interface entry points of Marvex.
#include "Marvex.h"

// Sent as the last step of a successful init: a WriteImage with only the
// standby bit (W3 bit 6) set, so the chip stays silent until a program
// tunes it.
static const BYTE kLoadTimeImage[TUNER_BLOCK_SIZE] = {0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00};

static void SendLoadTimeImage(DriverContext* context) {
  BYTE request[TUNER_REQUEST_SIZE] = {};
  DWORD command = TUNER_CMD_WRITE;
  memcpy(request, &command, sizeof command);
  memcpy(request + 8, kLoadTimeImage, sizeof kLoadTimeImage);
  TransferBlock(request, context);  // the chip powers up in standby anyway; the result is not needed
}

DWORD_PTR MVX_Init(LPCWSTR activeKey) {
  DriverContext* context = (DriverContext*)LocalAlloc(LPTR, sizeof(DriverContext));
  if (!context) return 0;
  InitializeCriticalSection(&context->requestLock);

  context->busDevice = OpenDeviceKey(activeKey, &context->registryPath);
  if (!context->busDevice) goto fail;
  if (!SD_API_SUCCESS(BindToBus(context))) goto fail;
  if (!SD_API_SUCCESS(SetUpCard(context))) goto fail;
  SendLoadTimeImage(context);
  return (DWORD_PTR)context;

fail:
  FreeContext(context);
  return 0;
}

void FreeContext(DriverContext* context) {
  EnterCriticalSection(&context->requestLock);
  if (context->interruptConnected) {
    SDIODisconnectInterrupt(context->busDevice);
    context->interruptConnected = FALSE;
  }
  if (context->registryPath) {
    LocalFree(context->registryPath);
    context->registryPath = NULL;
  }
  LeaveCriticalSection(&context->requestLock);
  DeleteCriticalSection(&context->requestLock);
  LocalFree(context);
}

BOOL MVX_Deinit(DWORD_PTR deviceContext) {
  FreeContext((DriverContext*)deviceContext);
  return TRUE;
}

// Every open shares the one device context.
DWORD_PTR MVX_Open(DWORD_PTR deviceContext, DWORD, DWORD) { return deviceContext; }
BOOL MVX_Close(DWORD_PTR) { return TRUE; }
DWORD MVX_Read(DWORD_PTR, LPVOID, DWORD) { return 0; }
DWORD MVX_Write(DWORD_PTR, LPCVOID, DWORD) { return 0; }
DWORD MVX_Seek(DWORD_PTR, LONG, DWORD) { return 0; }
void MVX_PowerUp(DWORD_PTR) {}
void MVX_PowerDown(DWORD_PTR) {}

BOOL MVX_IOControl(DWORD_PTR openContext, DWORD code, PBYTE bufIn, DWORD lenIn, PBYTE bufOut, DWORD lenOut,
                   PDWORD actualOut) {
  DriverContext* context = (DriverContext*)openContext;
  if (!bufOut || lenOut == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  EnterCriticalSection(&context->requestLock);
  // The whole request block must be there before any of it is read, and
  // only the five commands have a transfer on the card.
  DWORD command = 0;
  if (code != IOCTL_TUNER_TRANSFER || !bufIn || lenIn < sizeof(TunerRequest) ||
      (memcpy(&command, bufIn, sizeof command), !IsTunerCommand(command))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    LeaveCriticalSection(&context->requestLock);
    return FALSE;
  }
  SD_API_STATUS status = TransferBlock(bufIn, context);
  if (actualOut) *actualOut = lenOut;
  LeaveCriticalSection(&context->requestLock);
  // A failed transfer leaves the last error as it was.
  return SD_API_SUCCESS(status) ? TRUE : FALSE;
}
