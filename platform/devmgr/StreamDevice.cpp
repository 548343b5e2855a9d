#include "platform/devmgr/StreamDevice.h"

#include "platform/kernel/LastError.h"

namespace ce {

bool StreamDevice::Enter() {
  std::lock_guard lock(mutex_);
  if (gone_) {
    SetThreadError(ERROR_DEVICE_NOT_CONNECTED);
    return false;
  }
  ++inFlight_;
  return true;
}

void StreamDevice::Leave() {
  std::lock_guard lock(mutex_);
  if (--inFlight_ == 0) idle_.notify_all();
}

std::string StreamDevice::Retire() {
  {
    std::unique_lock lock(mutex_);
    if (gone_) return {};
    gone_ = true;
    idle_.wait(lock, [this] { return inFlight_ == 0; });
  }
  entries_.deinit(context_);
  return module_.Unload().value_or(std::string());
}

}  // namespace ce
