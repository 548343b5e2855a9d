// One card as the SD bus driver keeps it while it is in the slot. The
// client's handle points at `handle`, whose first word is the entry that
// fills a client's function table; the record lies in the bus's ring of
// handle records (SdBus.cpp), not in the device, so it outlives the card.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "hardware/sd/SdCard.h"
#include "sdcard.h"

namespace ce {

struct BusDeviceHandle {
  PSD_GET_CLIENT_FUNCTIONS getClientFunctions;
};

struct BusDevice {
  explicit BusDevice(BusDeviceHandle* slot);
  ~BusDevice();
  BusDevice(const BusDevice&) = delete;
  BusDevice& operator=(const BusDevice&) = delete;
  BusDeviceHandle* const handle;  // where the client's handle points
  hw::SdCardInfo info;
  std::atomic<bool> removed{false};

  std::mutex mutex;  // guards the client's registration below
  bool registered = false;
  std::u16string clientName;
  PVOID clientContext = nullptr;
  PSD_SLOT_EVENT_CALLBACK slotEvent = nullptr;
  PSD_INTERRUPT_CALLBACK interrupt = nullptr;
  bool functionEnabled = false;
  DWORD blockSize = 0;

  SD_DEVICE_HANDLE Handle() const { return reinterpret_cast<SD_DEVICE_HANDLE>(handle); }
};

// Fills a client's function table; the first word of every bus device.
SD_API_STATUS GetClientFunctions(PSDCARD_API_FUNCTIONS functions);

}  // namespace ce
