#include "platform/devmgr/AttachDevices.h"

#include <memory>
#include <mutex>

#include "hardware/clock/Clock.h"
#include "hardware/input/Input.h"
#include "platform/sdbus/SdBus.h"
#include "platform/user/WindowManager.h"

namespace ce {
namespace {

std::mutex g_attachMutex;  // serialises attach and detach
std::unique_ptr<SdBus> g_ownedBus;
bool g_attached = false;

}  // namespace

void AttachDevices(const Devices& devices) {
  std::lock_guard lock(g_attachMutex);
  if (!devices.clock) BootFault("the handheld's devices were attached without a clock");
  if (g_attached) BootFault("the handheld's devices were attached twice");
  g_attached = true;
  if (devices.input) devices.input->SetListener([] { WindowManager::Instance().WakeAll(); });
  // The bus is in the record before it looks at the slot, so a client
  // driver loaded for a card already there finds it.
  if (devices.sdHost) g_ownedBus = std::make_unique<SdBus>(*devices.sdHost);
  Attached::Record(devices, g_ownedBus.get());
  if (g_ownedBus) g_ownedBus->Start();
}

void DetachDevices() {
  std::lock_guard lock(g_attachMutex);
  if (!g_attached) return;
  g_attached = false;
  // The bus stays in the record while it retires its card: the client
  // driver still talks to it on the way out.
  g_ownedBus.reset();
  if (hw::InputDevice* input = Attached::Input()) input->SetListener({});
  hw::Clock* clock = &Attached::Clock();
  Attached::Clear();
  // Timers of windows that outlive the handheld would run on a clock
  // that is gone.
  WindowManager& wm = WindowManager::Instance();
  auto wmLock = wm.Lock();
  wm.timers().KillAllOnClock(clock);
}

}  // namespace ce
