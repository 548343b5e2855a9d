#include "platform/sdbus/SdBus.h"

#include <array>
#include <atomic>
#include <functional>

#include "platform/devmgr/DeviceManager.h"
#include "platform/kernel/HandleTable.h"
#include "hardware/clock/Clock.h"
#include "platform/kernel/Devices.h"
#include "platform/sdbus/BusDevice.h"

namespace ce {
namespace {

// Client handles point into a ring of records that stay for the life of
// the process, each holding the entry that fills a client's function
// table. A handle is never freed memory, and a card's handle names no
// other card until this many more cards have come; until then a retired
// handle answers "removed". Nothing is kept per card that has gone, so a
// card pulled and put back all day costs nothing.
constexpr std::size_t kHandleRecords = 4096;
std::array<BusDeviceHandle, kHandleRecords> handleRecords;
std::atomic<std::size_t> nextHandleRecord{0};

BusDeviceHandle* NewHandleRecord() {
  BusDeviceHandle* record = &handleRecords[nextHandleRecord++ % kHandleRecords];
  record->getClientFunctions = GetClientFunctions;
  return record;
}

bool IsHandleRecord(SD_DEVICE_HANDLE handle) {
  auto* record = reinterpret_cast<const BusDeviceHandle*>(handle);
  return std::less_equal<>()(handleRecords.data(), record) &&
         std::less<>()(record, handleRecords.data() + handleRecords.size());
}

class BusDevices : public LiveObjects {
 public:
  static BusDevices& Instance() {
    static BusDevices devices;
    return devices;
  }

 private:
  BusDevices() : LiveObjects("SD bus devices") {}
};

}  // namespace

BusDevice::BusDevice(BusDeviceHandle* slot) : handle(slot) { BusDevices::Instance().Made(); }
BusDevice::~BusDevice() { BusDevices::Instance().Gone(); }

SdBus::SdBus(hw::SdHost& host) : host_(host), gone_(std::make_shared<BusDevice>(nullptr)) {
  gone_->removed = true;
  StartDeviceManager();
  thread_ = std::thread([this] { Run(); });
}

void SdBus::Start() {
  host_.SetListener(this);
  if (host_.Card()) Post(Event::Inserted);  // a card that was in the slot at boot
}

SdBus::~SdBus() {
  host_.SetListener(nullptr);
  Post(Event::Stop);
  thread_.join();
}

void SdBus::Post(Event event) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(event);
  }
  changed_.notify_all();
}

void SdBus::WaitIdle() {
  if (OnBusThread()) return;
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

void SdBus::OnCardInserted() { Post(Event::Inserted); }
void SdBus::OnCardRemoved() { Post(Event::Removed); }

void SdBus::OnCardInterrupt() {
  Post(Event::Interrupt);
  // On the virtual clock time stands still until the client has handled
  // the interrupt, as a real bus would be quicker than any clock tick.
  if (Attached::Clock().IsVirtual()) WaitIdle();
}

std::shared_ptr<BusDevice> SdBus::Find(SD_DEVICE_HANDLE handle) const {
  std::lock_guard lock(mutex_);
  if (device_ && device_->Handle() == handle) return device_;
  return IsHandleRecord(handle) ? gone_ : nullptr;
}

void SdBus::Run() {
  for (;;) {
    Event event;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return !queue_.empty(); });
      event = queue_.front();
      queue_.pop_front();
      busy_ = true;
    }
    switch (event) {
      case Event::Inserted: Arrive(); break;
      case Event::Removed: Retire(); break;
      case Event::Interrupt: Interrupt(); break;
      case Event::Stop: Retire(); break;
    }
    {
      std::lock_guard lock(mutex_);
      busy_ = false;
    }
    changed_.notify_all();
    if (event == Event::Stop) return;
  }
}

void SdBus::Arrive() {
  auto info = host_.CardInfo();
  if (!info) return;  // already gone again
  Retire();           // a card we missed leaving
  auto device = std::make_shared<BusDevice>(NewHandleRecord());
  device->info = *info;
  {
    std::lock_guard lock(mutex_);
    device_ = device;
  }
  if (LoadSdClientDriver(device->Handle(), info->manufacturer, info->cardId, info->functionNumber)) return;
  // A driver that failed to load may have registered before it failed:
  // its callbacks are gone with it.
  std::lock_guard lock(device->mutex);
  device->registered = false;
  device->slotEvent = nullptr;
  device->interrupt = nullptr;
}

void SdBus::Retire() {
  std::shared_ptr<BusDevice> device;
  {
    std::lock_guard lock(mutex_);
    device = device_;
  }
  if (!device) return;
  device->removed = true;
  PSD_SLOT_EVENT_CALLBACK slotEvent;
  PVOID context;
  {
    std::lock_guard lock(device->mutex);
    slotEvent = device->registered ? device->slotEvent : nullptr;
    context = device->clientContext;
  }
  // The client hears of the removal before its driver is unloaded.
  if (slotEvent) slotEvent(device->Handle(), context, SDCardEjected, nullptr, 0);
  UnloadSdClientDriver(device->Handle());
  std::lock_guard lock(mutex_);
  device_.reset();
}

void SdBus::Interrupt() {
  std::shared_ptr<BusDevice> device;
  {
    std::lock_guard lock(mutex_);
    device = device_;
  }
  if (!device || device->removed) return;
  PSD_INTERRUPT_CALLBACK callback;
  PVOID context;
  {
    std::lock_guard lock(device->mutex);
    callback = device->interrupt;
    context = device->clientContext;
  }
  if (callback) callback(device->Handle(), context);
}

}  // namespace ce
