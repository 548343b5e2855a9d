// Finding the card on the SD bus, setting card and function up, and the
// bus driver's callbacks.
#include "Marvex.h"

SDCARD_API_FUNCTIONS SDCardFunctions;

#define CLIENT_NAME TEXT("MarvexDevice")
#define FUNCTION_READY_RETRIES 3
#define FUNCTION_READY_INTERVAL_MS 500
#define FUNCTION_BLOCK_SIZE 512

SD_DEVICE_HANDLE OpenDeviceKey(LPCWSTR activePath, LPWSTR* registryPath) {
  HKEY key;
  if (!activePath || RegOpenKeyExW(HKEY_LOCAL_MACHINE, activePath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return 0;
  LPWSTR path = (LPWSTR)LocalAlloc(LPTR, REGISTRY_PATH_BYTES);
  if (!path) {
    RegCloseKey(key);
    return 0;
  }
  // One character short of the buffer, so the path always ends in a zero.
  DWORD size = REGISTRY_PATH_BYTES - sizeof(WCHAR);
  SD_DEVICE_HANDLE device = 0;
  DWORD handleSize = sizeof device;
  if (RegQueryValueExW(key, DEVLOAD_DEVKEY_VALNAME, NULL, NULL, (LPBYTE)path, &size) != ERROR_SUCCESS ||
      RegQueryValueExW(key, DEVLOAD_CLIENTINFO_VALNAME, NULL, NULL, (LPBYTE)&device, &handleSize) != ERROR_SUCCESS ||
      handleSize != sizeof device) {
    LocalFree(path);
    RegCloseKey(key);
    return 0;
  }
  RegCloseKey(key);
  *registryPath = path;
  return device;
}

SD_API_STATUS BindToBus(DriverContext* context) {
  // The handle's first word is the bus driver's entry that fills our table.
  PSD_GET_CLIENT_FUNCTIONS getFunctions = *(PSD_GET_CLIENT_FUNCTIONS*)context->busDevice;
  SD_API_STATUS status = getFunctions(&SDCardFunctions);
  if (!SD_API_SUCCESS(status)) return status;
  SDCARD_CLIENT_REGISTRATION_INFO registration;
  memset(&registration, 0, sizeof registration);
  memcpy(registration.ClientName, CLIENT_NAME, sizeof(CLIENT_NAME));
  registration.pSlotEventCallBack = OnSlotEvent;
  return SDRegisterClient(context->busDevice, context, &registration);
}

static SD_API_STATUS SetUpInterface(DriverContext* context) {
  SD_CARD_INTERFACE cardInterface;
  SD_API_STATUS status = SDCardInfoQuery(context->busDevice, SD_INFO_CARD_INTERFACE, &cardInterface, sizeof cardInterface);
  if (!SD_API_SUCCESS(status)) return status;
  if (cardInterface.ClockRate == 0) return SD_API_STATUS_DEVICE_UNSUPPORTED;
  if (cardInterface.InterfaceMode != SD_INTERFACE_SD_MMC_1BIT && cardInterface.InterfaceMode != SD_INTERFACE_SD_4BIT)
    return SD_API_STATUS_DEVICE_UNSUPPORTED;
  // The card is always run on a one-bit bus; if the bus will not switch,
  // the card still works as it is.
  cardInterface.InterfaceMode = SD_INTERFACE_SD_MMC_1BIT;
  SDSetCardFeature(context->busDevice, SD_SET_CARD_INTERFACE, &cardInterface, sizeof cardInterface);
  SDCardInfoQuery(context->busDevice, SD_INFO_CARD_INTERFACE, &cardInterface, sizeof cardInterface);
  return SD_API_STATUS_SUCCESS;
}

static SD_API_STATUS CheckFunction(DriverContext* context) {
  SDIO_CARD_INFO sdio;
  SD_API_STATUS status = SDCardInfoQuery(context->busDevice, SD_INFO_SDIO, &sdio, sizeof sdio);
  if (!SD_API_SUCCESS(status)) return status;
  if (sdio.FunctionNumber != 1) return SD_API_STATUS_DEVICE_UNSUPPORTED;
  context->functionNumber = sdio.FunctionNumber;
  if (sdio.DeviceCode == 0 || sdio.CISPointer == 0 || sdio.CardCapability == 0) return SD_API_STATUS_DEVICE_UNSUPPORTED;
  return SD_API_STATUS_SUCCESS;
}

static SD_API_STATUS EnableFunction(DriverContext* context) {
  SD_IO_FUNCTION_ENABLE_INFO enable = {FUNCTION_READY_RETRIES, FUNCTION_READY_INTERVAL_MS};
  SD_API_STATUS status = SDSetCardFeature(context->busDevice, SD_IO_FUNCTION_ENABLE, &enable, sizeof enable);
  if (!SD_API_SUCCESS(status)) return status;
  DWORD blockSize = FUNCTION_BLOCK_SIZE;
  return SDSetCardFeature(context->busDevice, SD_IO_FUNCTION_SET_BLOCK_SIZE, &blockSize, sizeof blockSize);
}

SD_API_STATUS SetUpCard(DriverContext* context) {
  context->interruptCount = 0;
  SD_API_STATUS status =
      SDCardInfoQuery(context->busDevice, SD_INFO_REGISTER_RCA, &context->cardAddress, sizeof context->cardAddress);
  if (!SD_API_SUCCESS(status)) return status;
  if (!SD_API_SUCCESS(status = SetUpInterface(context))) return status;
  if (!SD_API_SUCCESS(status = CheckFunction(context))) return status;
  if (!SD_API_SUCCESS(status = EnableFunction(context))) return status;
  status = SDIOConnectInterrupt(context->busDevice, OnCardInterrupt);
  if (!SD_API_SUCCESS(status)) return status;
  context->interruptConnected = TRUE;
  return SD_API_STATUS_SUCCESS;
}

void OnSlotEvent(SD_DEVICE_HANDLE, PVOID context, SD_SLOT_EVENT_TYPE eventType, PVOID, DWORD) {
  if (eventType == SDCardEjected) ((DriverContext*)context)->cardRemoved = TRUE;
}

SD_API_STATUS OnCardInterrupt(SD_DEVICE_HANDLE, PVOID pContext) {
  DriverContext* context = (DriverContext*)pContext;
  // Reading the function's address 0 acknowledges the interrupt; the byte
  // itself tells nothing more.
  UCHAR acknowledge;
  SD_API_STATUS status =
      SDReadWriteRegistersDirect(context->busDevice, SD_IO_READ, context->functionNumber, 0, FALSE, &acknowledge, 1);
  if (SD_API_SUCCESS(status)) context->interruptCount++;
  return status;
}
