// The SD bus client functions, as a client driver reaches them through
// the table GetClientFunctions fills. Each checks its arguments, finds the
// bus device behind the handle and carries the request out on the host
// controller.
#include <algorithm>
#include <cstring>

#include "platform/kernel/Devices.h"
#include "platform/sdbus/BusDevice.h"
#include "platform/sdbus/SdBus.h"

namespace ce {
namespace {

constexpr DWORD kMaxBlockSize = 2048;

struct Target {
  SdBus* bus = nullptr;
  std::shared_ptr<BusDevice> device;
  SD_API_STATUS status = SD_API_STATUS_SUCCESS;
};

// The bus and the live device behind a handle, or the status to fail with.
Target Resolve(SD_DEVICE_HANDLE handle) {
  Target target;
  target.bus = Attached::Bus();
  if (target.bus) target.device = target.bus->Find(handle);
  if (!target.device) target.status = SD_API_STATUS_INVALID_HANDLE;
  else if (target.device->removed) target.status = SD_API_STATUS_DEVICE_REMOVED;
  return target;
}

SD_API_STATUS StatusOf(hw::SdStatus status) {
  switch (status) {
    case hw::SdStatus::Ok: return SD_API_STATUS_SUCCESS;
    case hw::SdStatus::NoCard: return SD_API_STATUS_DEVICE_REMOVED;
    default: return SD_API_STATUS_DEVICE_RESPONSE_ERROR;
  }
}

SD_API_STATUS RegisterClient(SD_DEVICE_HANDLE handle, PVOID context, PSDCARD_CLIENT_REGISTRATION_INFO info) {
  Target t = Resolve(handle);
  if (t.status < 0) return t.status;
  if (!info) return SD_API_STATUS_INVALID_PARAMETER;
  std::lock_guard lock(t.device->mutex);
  const WCHAR* name = info->ClientName;
  t.device->clientName.assign(name, std::find(name, name + 32, u'\0'));
  t.device->clientContext = context;
  t.device->slotEvent = info->pSlotEventCallBack;
  t.device->registered = true;
  return SD_API_STATUS_SUCCESS;
}

template <class T>
SD_API_STATUS Answer(const T& record, PVOID buffer, ULONG size) {
  if (size < sizeof(T)) return SD_API_STATUS_INVALID_PARAMETER;
  std::memcpy(buffer, &record, sizeof(T));
  return SD_API_STATUS_SUCCESS;
}

SD_API_STATUS CardInfoQuery(SD_DEVICE_HANDLE handle, SD_INFO_TYPE type, PVOID buffer, ULONG size) {
  Target t = Resolve(handle);
  if (t.status < 0) return t.status;
  if (!buffer) return SD_API_STATUS_INVALID_PARAMETER;
  const hw::SdCardInfo& card = t.device->info;
  switch (type) {
    case SD_INFO_REGISTER_RCA: return Answer(WORD{card.relativeAddress}, buffer, size);
    case SD_INFO_CARD_INTERFACE: {
      hw::SdInterface bus = t.bus->host().Interface();
      return Answer(SD_CARD_INTERFACE{bus.mode, bus.clockHz, card.writeProtected}, buffer, size);
    }
    case SD_INFO_SDIO: {
      SDIO_CARD_INFO sdio{};
      sdio.FunctionNumber = card.functionNumber;
      sdio.DeviceCode = card.deviceCode;
      sdio.CISPointer = card.cisPointer;
      sdio.CSAPointer = card.csaPointer;
      sdio.CardCapability = card.capability;
      return Answer(sdio, buffer, size);
    }
    default: return SD_API_STATUS_NOT_IMPLEMENTED;
  }
}

SD_API_STATUS SetCardFeature(SD_DEVICE_HANDLE handle, SD_SET_FEATURE_TYPE feature, PVOID buffer, ULONG size) {
  Target t = Resolve(handle);
  if (t.status < 0) return t.status;
  BusDevice& device = *t.device;
  switch (feature) {
    case SD_IO_FUNCTION_ENABLE:
      if (!buffer || size < sizeof(SD_IO_FUNCTION_ENABLE_INFO)) return SD_API_STATUS_INVALID_PARAMETER;
      {
        std::lock_guard lock(device.mutex);
        device.functionEnabled = true;
      }
      return SD_API_STATUS_SUCCESS;
    case SD_IO_FUNCTION_DISABLE: {
      std::lock_guard lock(device.mutex);
      device.functionEnabled = false;
      return SD_API_STATUS_SUCCESS;
    }
    case SD_IO_FUNCTION_SET_BLOCK_SIZE: {
      DWORD blockSize = 0;
      if (!buffer || size < sizeof blockSize) return SD_API_STATUS_INVALID_PARAMETER;
      std::memcpy(&blockSize, buffer, sizeof blockSize);
      if (blockSize == 0 || blockSize > kMaxBlockSize) return SD_API_STATUS_INVALID_PARAMETER;
      std::lock_guard lock(device.mutex);
      device.blockSize = blockSize;
      return SD_API_STATUS_SUCCESS;
    }
    case SD_SET_CARD_INTERFACE: {
      SD_CARD_INTERFACE wanted;
      if (!buffer || size < sizeof wanted) return SD_API_STATUS_INVALID_PARAMETER;
      std::memcpy(&wanted, buffer, sizeof wanted);
      if (wanted.InterfaceMode > SD_INTERFACE_SD_4BIT || wanted.ClockRate == 0) return SD_API_STATUS_INVALID_PARAMETER;
      // The host never clocks the card faster than the card allows.
      t.bus->host().SetInterface({wanted.InterfaceMode, std::min<ULONG>(wanted.ClockRate, device.info.clockHz)});
      return SD_API_STATUS_SUCCESS;
    }
    default: return SD_API_STATUS_NOT_IMPLEMENTED;
  }
}

void FillResponse(PSD_COMMAND_RESPONSE response, SD_RESPONSE_TYPE type, const hw::SdResponse& r) {
  if (!response) return;
  std::memset(response, 0, sizeof *response);
  response->ResponseType = type;
  response->ResponseBuffer[0] = r.data;
  response->ResponseBuffer[1] = r.flags;
}

SD_API_STATUS SynchronousBusRequest(SD_DEVICE_HANDLE handle, UCHAR command, DWORD argument,
                                    SD_TRANSFER_CLASS transferClass, SD_RESPONSE_TYPE responseType,
                                    PSD_COMMAND_RESPONSE response, ULONG blocks, ULONG blockSize, PUCHAR buffer,
                                    DWORD) {
  Target t = Resolve(handle);
  if (t.status < 0) return t.status;
  std::span<std::uint8_t> data;
  if (command == SD_IO_RW_EXTENDED) {
    hw::SdioArgument arg = hw::DecodeExtended(argument);
    const std::uint64_t bytes = std::uint64_t{blocks} * blockSize;
    const std::uint32_t count = arg.count == 0 ? 512 : arg.count;
    if (!buffer || bytes < count || transferClass != (arg.write ? SD_WRITE : SD_READ))
      return SD_API_STATUS_INVALID_PARAMETER;
    {
      std::lock_guard lock(t.device->mutex);
      if (!t.device->functionEnabled) return SD_API_STATUS_FUNCTION_NOT_ENABLED;
    }
    data = std::span<std::uint8_t>(buffer, count);
  }
  hw::SdResponse result = t.bus->host().Execute(command, argument, data);
  FillResponse(response, responseType, result);
  return StatusOf(result.status);
}

SD_API_STATUS ReadWriteRegistersDirect(SD_DEVICE_HANDLE handle, SD_IO_TRANSFER_TYPE direction, UCHAR function,
                                       DWORD address, BOOL readAfterWrite, PUCHAR buffer, ULONG length) {
  Target t = Resolve(handle);
  if (t.status < 0) return t.status;
  if (!buffer || length == 0 || function > 7 || address + length > 0x20000) return SD_API_STATUS_INVALID_PARAMETER;
  const bool write = direction == SD_IO_WRITE;
  for (ULONG i = 0; i < length; ++i) {
    DWORD argument = (write ? 0x80000000u : 0) | (DWORD{function} << 28) | ((write && readAfterWrite) ? 1u << 27 : 0) |
                     ((address + i) << 9) | (write ? buffer[i] : 0);
    hw::SdResponse result = t.bus->host().Execute(SD_IO_RW_DIRECT, argument, {});
    if (result.status != hw::SdStatus::Ok) return StatusOf(result.status);
    if (!write || readAfterWrite) buffer[i] = result.data;
  }
  return SD_API_STATUS_SUCCESS;
}

SD_API_STATUS ConnectInterrupt(SD_DEVICE_HANDLE handle, PSD_INTERRUPT_CALLBACK callback) {
  Target t = Resolve(handle);
  if (t.status < 0) return t.status;
  if (!callback) return SD_API_STATUS_INVALID_PARAMETER;
  std::lock_guard lock(t.device->mutex);
  t.device->interrupt = callback;
  return SD_API_STATUS_SUCCESS;
}

void DisconnectInterrupt(SD_DEVICE_HANDLE handle) {
  SdBus* bus = Attached::Bus();
  auto device = bus ? bus->Find(handle) : nullptr;
  if (!device) return;
  std::lock_guard lock(device->mutex);
  device->interrupt = nullptr;
}

}  // namespace

SD_API_STATUS GetClientFunctions(PSDCARD_API_FUNCTIONS functions) {
  if (!functions) return SD_API_STATUS_INVALID_PARAMETER;
  functions->dwSize = sizeof *functions;
  functions->pSDRegisterClient = RegisterClient;
  functions->pSDCardInfoQuery = CardInfoQuery;
  functions->pSDSetCardFeature = SetCardFeature;
  functions->pSDSynchronousBusRequest = SynchronousBusRequest;
  functions->pSDReadWriteRegistersDirect = ReadWriteRegistersDirect;
  functions->pSDIOConnectInterrupt = ConnectInterrupt;
  functions->pSDIODisconnectInterrupt = DisconnectInterrupt;
  return SD_API_STATUS_SUCCESS;
}

}  // namespace ce
