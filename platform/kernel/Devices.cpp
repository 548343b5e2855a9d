#include "platform/kernel/Devices.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace ce {
namespace {

// Read on every thread of the platform; changed only by attach and detach.
std::atomic<hw::Clock*> g_clock{nullptr};
std::atomic<hw::Panel*> g_panel{nullptr};
std::atomic<hw::InputDevice*> g_input{nullptr};
std::atomic<hw::Speaker*> g_speaker{nullptr};
std::atomic<SdBus*> g_bus{nullptr};

}  // namespace

[[noreturn]] void BootFault(const char* what) {
  std::fprintf(stderr, "platform: %s\n", what);
  std::fflush(stderr);
  std::abort();
}

void Attached::Record(const Devices& devices, SdBus* bus) {
  g_clock = devices.clock;
  g_panel = devices.panel;
  g_speaker = devices.speaker;
  g_input = devices.input;
  g_bus = bus;
}

void Attached::Clear() {
  g_bus = nullptr;
  g_input = nullptr;
  g_speaker = nullptr;
  g_panel = nullptr;
  g_clock = nullptr;
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
