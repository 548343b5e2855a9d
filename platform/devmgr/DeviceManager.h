// The device manager: loads the stream driver registered for a card the
// SD bus reports, gives the device its name ("MVX1:"), routes CreateFileW,
// ReadFile, WriteFile, SetFilePointer, DeviceIoControl and CloseHandle on
// that name to the driver's entry points, and unloads the driver when the
// card goes.
//
// A card's client driver is registered under
//   HKEY_LOCAL_MACHINE\Drivers\SDCARD\ClientDrivers\Custom\MANF-<manufacturer>-CARDID-<card id>-FUNC-<function>
// with "Dll" (the driver library) and "Prefix" (its entry point prefix).
// A loaded device has an active key HKEY_LOCAL_MACHINE\Drivers\Active\<nn>
// holding "Key" (the path of the device key above), "ClientInfo" (the bus
// device handle, pointer-sized) and "Name" (the device name). Active keys
// live in the handheld's RAM (kernel/RegistryRam.h): each booted handheld
// has its own, and no other process on the device root sees them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "sdcard.h"

namespace ce {

// Installs the device manager's handling of device names; idempotent.
void StartDeviceManager();

// Where driver libraries are found: "Marvex.dll" is <folder>/Marvex.so,
// in the build's driver folder.
std::filesystem::path DriverFolder();

// The device key of the client driver for a card function.
std::u16string SdClientDriverKey(std::uint16_t manufacturer, std::uint16_t cardId, unsigned function);

// Registers a stream driver as the client driver of a card function
// (what installing the driver does). Returns an error message, empty on
// success.
std::string RegisterSdClientDriver(std::uint16_t manufacturer, std::uint16_t cardId, unsigned function,
                                   const std::u16string& dll, const std::u16string& prefix);

// Called by the SD bus driver on its thread. Load returns whether the
// driver is loaded and has the device.
bool LoadSdClientDriver(SD_DEVICE_HANDLE device, std::uint16_t manufacturer, std::uint16_t cardId, unsigned function);
void UnloadSdClientDriver(SD_DEVICE_HANDLE device);

struct ActiveDevice {
  std::u16string name;       // "MVX1:"
  std::u16string activeKey;  // "Drivers\Active\01"
  std::filesystem::path library;
};
std::vector<ActiveDevice> ActiveDevices();

}  // namespace ce
