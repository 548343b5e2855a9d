// Marvex, the stream driver of the FM tuner card in the SD slot.
//
// The device manager calls MVX_Init with the card's active key when the
// SD bus reports the card; the driver binds to the card through the SD bus
// client interface, sets card and function up, and puts its load-time
// image on the tuner chip. Programs then open "MVX1:" and send
// IOCTL_TUNER_TRANSFER requests (include/TunerRequest.h), each carried out as one
// register-block transfer to the card.
#pragma once

#include <string.h>

#include "include/TunerRequest.h"
#include "devload.h"
#include "sdcard.h"
#include "windows.h"

// The card's register windows behind SDIO function 1.
#define REG_TUNER_DATA 0x66
#define REG_SWITCHES 0x77
#define REG_VOLUME_STEP 0x88
#define TUNER_BLOCK_SIZE 8
#define REGISTRY_PATH_BYTES 512

// One per loaded device; the device manager hands it back to every entry
// point as the device and open context.
typedef struct _DriverContext {
  SD_DEVICE_HANDLE busDevice;
  UCHAR functionNumber;             // SDIO function of every transfer: 1
  LPWSTR registryPath;              // the card's device key, REGISTRY_PATH_BYTES, owned
  BOOL interruptConnected;
  WORD cardAddress;                 // the card's relative address on the bus
  CRITICAL_SECTION requestLock;     // one request on the card at a time; teardown waits
  DWORD interruptCount;             // bus thread only
  BOOL cardRemoved;                 // bus thread only
} DriverContext;

// The bus driver's client functions, filled at every MVX_Init.
extern SDCARD_API_FUNCTIONS SDCardFunctions;
#define SDRegisterClient(...) SDCardFunctions.pSDRegisterClient(__VA_ARGS__)
#define SDCardInfoQuery(...) SDCardFunctions.pSDCardInfoQuery(__VA_ARGS__)
#define SDSetCardFeature(...) SDCardFunctions.pSDSetCardFeature(__VA_ARGS__)
#define SDSynchronousBusRequest(...) SDCardFunctions.pSDSynchronousBusRequest(__VA_ARGS__)
#define SDReadWriteRegistersDirect(...) SDCardFunctions.pSDReadWriteRegistersDirect(__VA_ARGS__)
#define SDIOConnectInterrupt(...) SDCardFunctions.pSDIOConnectInterrupt(__VA_ARGS__)
#define SDIODisconnectInterrupt(...) SDCardFunctions.pSDIODisconnectInterrupt(__VA_ARGS__)

// SD bus binding (SdBinding.cpp).
SD_DEVICE_HANDLE OpenDeviceKey(LPCWSTR activePath, LPWSTR* registryPath);
SD_API_STATUS BindToBus(DriverContext* context);
SD_API_STATUS SetUpCard(DriverContext* context);
void OnSlotEvent(SD_DEVICE_HANDLE device, PVOID context, SD_SLOT_EVENT_TYPE eventType, PVOID eventData,
                 DWORD dataSize);
SD_API_STATUS OnCardInterrupt(SD_DEVICE_HANDLE device, PVOID context);

// Register-block transfers (Transfer.cpp).
BOOL IsTunerCommand(DWORD command);
SD_API_STATUS TransferBlock(PBYTE request, DriverContext* context);

void FreeContext(DriverContext* context);

CE_BEGIN_DECLS
MODULEAPI DWORD_PTR MVX_Init(LPCWSTR activeKey);
MODULEAPI BOOL MVX_Deinit(DWORD_PTR deviceContext);
MODULEAPI DWORD_PTR MVX_Open(DWORD_PTR deviceContext, DWORD access, DWORD shareMode);
MODULEAPI BOOL MVX_Close(DWORD_PTR openContext);
MODULEAPI DWORD MVX_Read(DWORD_PTR openContext, LPVOID buffer, DWORD count);
MODULEAPI DWORD MVX_Write(DWORD_PTR openContext, LPCVOID buffer, DWORD count);
MODULEAPI DWORD MVX_Seek(DWORD_PTR openContext, LONG amount, DWORD type);
MODULEAPI BOOL MVX_IOControl(DWORD_PTR openContext, DWORD code, PBYTE bufIn, DWORD lenIn, PBYTE bufOut,
                             DWORD lenOut, PDWORD actualOut);
MODULEAPI void MVX_PowerUp(DWORD_PTR deviceContext);
MODULEAPI void MVX_PowerDown(DWORD_PTR deviceContext);
CE_END_DECLS
