// A loaded stream driver and the one device it serves. Calls into the
// driver are counted in and out; once the device is retired (its card
// has gone) every new call fails with ERROR_DEVICE_NOT_CONNECTED, and the
// driver is deinitialised and unloaded only after the calls in flight
// have come back, so no call ever runs in an unloaded library.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

#include "devload.h"
#include "platform/kernel/ProgramLoader.h"

namespace ce {

struct DriverEntries {
  PFN_DEVICE_INIT init = nullptr;
  PFN_DEVICE_DEINIT deinit = nullptr;
  PFN_DEVICE_OPEN open = nullptr;
  PFN_DEVICE_CLOSE close = nullptr;
  PFN_DEVICE_READ read = nullptr;
  PFN_DEVICE_WRITE write = nullptr;
  PFN_DEVICE_SEEK seek = nullptr;
  PFN_DEVICE_IOCONTROL ioControl = nullptr;
  PFN_DEVICE_POWER powerUp = nullptr;
  PFN_DEVICE_POWER powerDown = nullptr;
};

class StreamDevice {
 public:
  StreamDevice(std::u16string name, Module module, DriverEntries entries, DWORD_PTR context)
      : name_(std::move(name)), module_(std::move(module)), entries_(entries), context_(context) {}

  const std::u16string& name() const { return name_; }
  const Module& module() const { return module_; }
  const DriverEntries& entries() const { return entries_; }
  DWORD_PTR context() const { return context_; }

  // Runs call() while the device is held; false with the last error set
  // when the device has gone.
  template <class Call>
  bool Use(Call&& call) {
    if (!Enter()) return false;
    call();
    Leave();
    return true;
  }

  // Refuses new calls, waits for those in flight, deinitialises and
  // unloads the driver. Returns a loader warning, if any.
  std::string Retire();

 private:
  bool Enter();
  void Leave();

  const std::u16string name_;
  Module module_;
  const DriverEntries entries_;
  const DWORD_PTR context_;
  mutable std::mutex mutex_;
  std::condition_variable idle_;
  int inFlight_ = 0;
  bool gone_ = false;
};

}  // namespace ce
