#include "platform/kernel/RegistryRam.h"

#include "platform/kernel/RegistryNames.h"
#include "winerror.h"

namespace ce::reg {
namespace {

bool StartsWithRamRoot(std::span<const std::string> path, std::size_t count) {
  static const std::vector<std::string> kRoot = {FoldName("Drivers"), FoldName("Active")};
  for (std::size_t i = 0; i < count; ++i)
    if (FoldName(path[i]) != kRoot[i]) return false;
  return true;
}

}  // namespace

std::vector<std::string> RamKeysRoot() { return {"Drivers", "Active"}; }

bool InRam(Root root, std::span<const std::string> path) {
  return root == Root::LocalMachine && path.size() >= 2 && StartsWithRamRoot(path, 2);
}

bool HoldsRam(Root root, std::span<const std::string> path) {
  return root == Root::LocalMachine && path.size() < 2 && StartsWithRamRoot(path, path.size());
}

void ForgetStoredRamKeys(RegistryStore& file) {
  const KeyId machine = static_cast<KeyId>(Root::LocalMachine);
  std::vector<std::string> path = RamKeysRoot();
  KeyId stale = 0;
  if (file.OpenKey(machine, path, stale) == ERROR_SUCCESS) file.DeleteKey(machine, path);
}

}  // namespace ce::reg
