#include "platform/kernel/Kernel.h"

#include <mutex>

namespace ce {
namespace {

std::mutex g_rootMutex;
std::filesystem::path g_root;

}  // namespace

std::filesystem::path DeviceRoot() {
  std::lock_guard lock(g_rootMutex);
  return g_root;
}

void SetDeviceRoot(const std::filesystem::path& root) {
  std::lock_guard lock(g_rootMutex);
  g_root = root;
}

}  // namespace ce
