// The part of the registry that lives in the device's RAM: the device
// manager's active keys, HKEY_LOCAL_MACHINE\Drivers\Active and everything
// below it. They describe the running system (which driver has which
// card, and the bus handle it was given), so they are never written to
// the registry file that every process on the device root shares: each
// booted handheld keeps its own in memory, empty at boot, gone at exit,
// and never exported.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/kernel/RegistryData.h"
#include "platform/kernel/RegistryStore.h"

namespace ce::reg {

// The RAM keys' root, as names below HKEY_LOCAL_MACHINE.
std::vector<std::string> RamKeysRoot();

// The key at path (names below root) lives in RAM.
bool InRam(Root root, std::span<const std::string> path);
// The key at path is an ancestor of the RAM keys' root, so deleting it
// deletes them too.
bool HoldsRam(Root root, std::span<const std::string> path);

// The RAM of the handheld booted on the mounted registry; nullptr when
// none is mounted.
std::shared_ptr<RegistryStore> MountedRam();

// Older builds stored the active keys in the file; a writable mount drops
// what they left there.
void ForgetStoredRamKeys(RegistryStore& file);

}  // namespace ce::reg
