#include "platform/kernel/Devices.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "hardware/input/Input.h"
#include "platform/sdbus/SdBus.h"
#include "platform/user/WindowManager.h"

namespace ce {
namespace {

// Read on every thread of the platform; changed only by attach and detach.
std::atomic<hw::Clock*> g_clock{nullptr};
std::atomic<hw::Panel*> g_panel{nullptr};
std::atomic<hw::InputDevice*> g_input{nullptr};
std::atomic<hw::Speaker*> g_speaker{nullptr};
std::atomic<SdBus*> g_bus{nullptr};

std::mutex g_attachMutex;  // serialises attach and detach
std::unique_ptr<SdBus> g_ownedBus;

[[noreturn]] void BootFault(const char* what) {
  std::fprintf(stderr, "platform: %s\n", what);
  std::fflush(stderr);
  std::abort();
}

}  // namespace

void AttachDevices(const Devices& devices) {
  std::lock_guard lock(g_attachMutex);
  if (!devices.clock) BootFault("the handheld's devices were attached without a clock");
  if (g_clock.load()) BootFault("the handheld's devices were attached twice");
  g_clock = devices.clock;
  g_panel = devices.panel;
  g_speaker = devices.speaker;
  if (devices.input) {
    devices.input->SetListener([] { WindowManager::Instance().WakeAll(); });
    g_input = devices.input;
  }
  if (devices.sdHost) {
    // The bus is in the record before it looks at the slot, so a client
    // driver loaded for a card already there finds it.
    g_ownedBus = std::make_unique<SdBus>(*devices.sdHost);
    g_bus = g_ownedBus.get();
    g_ownedBus->Start();
  }
}

void DetachDevices() {
  std::lock_guard lock(g_attachMutex);
  // The bus stays in the record while it retires its card: the client
  // driver still talks to it on the way out.
  g_ownedBus.reset();
  g_bus = nullptr;
  if (hw::InputDevice* input = g_input.exchange(nullptr)) input->SetListener({});
  g_speaker = nullptr;
  g_panel = nullptr;
  // Timers of windows that outlive the handheld would run on a clock
  // that is gone.
  if (hw::Clock* clock = g_clock.exchange(nullptr)) {
    WindowManager& wm = WindowManager::Instance();
    auto lock = wm.Lock();
    wm.timers().KillAllOnClock(clock);
  }
}

hw::Clock& Attached::Clock() {
  hw::Clock* clock = g_clock.load();
  if (!clock) BootFault("the clock was needed before the handheld's devices were attached");
  return *clock;
}

hw::Panel* Attached::Panel() { return g_panel.load(); }
hw::InputDevice* Attached::Input() { return g_input.load(); }
hw::Speaker* Attached::Speaker() { return g_speaker.load(); }
SdBus* Attached::Bus() { return g_bus.load(); }

}  // namespace ce
