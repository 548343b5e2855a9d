// The state the platform's kernel shares between its modules: the folder
// that is the device's file system. The host sets it when it boots the
// handheld; tests set their own.
//
// Elsewhere the platform's process-wide objects with a class of their own
// (tables, managers) are reached through the static Instance() of that
// class, made on first use (WindowManager::Instance(),
// KernelHandles::Instance()); plain settings a module keeps to itself stay
// file-local variables. The devices the platform is lent are reached only
// through the attach record, Attached (Devices.h).
#pragma once

#include <filesystem>

namespace ce {

// The host folder that holds the device's file system (its "\").
std::filesystem::path DeviceRoot();
void SetDeviceRoot(const std::filesystem::path& root);

}  // namespace ce
