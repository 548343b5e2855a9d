// The state the platform's kernel shares between its modules: the folder
// that is the device's file system. The host sets it when it boots the
// handheld; tests set their own. (The devices are in Devices.h.)
#pragma once

#include <filesystem>

namespace ce {

// The host folder that holds the device's file system (its "\").
std::filesystem::path DeviceRoot();
void SetDeviceRoot(const std::filesystem::path& root);

}  // namespace ce
