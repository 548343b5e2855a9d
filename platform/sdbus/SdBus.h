// The SD bus driver: the platform's side of the SD slot. It watches the
// host controller, and on its own thread
//   - on insertion, makes a bus device for the card and has the device
//     manager load the card's client driver;
//   - on removal, tells the client (its slot-event callback), has the
//     device manager unload the driver, and retires the bus device;
//   - on a card interrupt, calls the client's interrupt callback.
// Client drivers reach the bus through the function table of <sdcard.h>.
// The platform makes the bus when the handheld's devices are attached, on
// their SD host (Attached::Bus()), and retires it when they are detached.
//
// On the virtual clock everything a slot change or an interrupt sets off
// is finished before the caller moves on (WaitIdle; the interrupt waits
// by itself), so headless runs are deterministic.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "hardware/sd/SdHost.h"
#include "sdcard.h"

namespace ce {

struct BusDevice;

class SdBus final : public hw::SdHostListener {
 public:
  explicit SdBus(hw::SdHost& host);
  ~SdBus() override;  // retires any device (unloading its driver) first
  // Starts watching the host; a card already in the slot arrives now.
  void Start();
  SdBus(const SdBus&) = delete;
  SdBus& operator=(const SdBus&) = delete;

  // Returns when every slot change and interrupt reported so far has been
  // handled. At once when called on the bus thread.
  void WaitIdle();
  bool OnBusThread() const { return std::this_thread::get_id() == thread_.get_id(); }

  hw::SdHost& host() { return host_; }

  void OnCardInserted() override;
  void OnCardRemoved() override;
  void OnCardInterrupt() override;

  // The device a client handle names (a retired one says so by its
  // removed flag); nullptr for a handle no bus ever gave out.
  std::shared_ptr<BusDevice> Find(SD_DEVICE_HANDLE handle) const;

 private:
  enum class Event { Inserted, Removed, Interrupt, Stop };
  void Post(Event event);
  void Run();
  void Arrive();
  void Retire();
  void Interrupt();

  hw::SdHost& host_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Event> queue_;
  bool busy_ = false;
  std::shared_ptr<BusDevice> device_;  // the card in the slot, as the bus knows it
  std::shared_ptr<BusDevice> gone_;    // what every retired handle names
  std::thread thread_;
};

}  // namespace ce
