// A handheld's devices for a test: a clock (virtual unless asked), a
// white panel with its backlight on, the pen and keys repeating on that
// clock, a silent speaker and, when asked, an SD host controller with an
// empty slot. They are attached to the platform for the object's life,
// one set at a time, as the host's handheld attaches its own.
#pragma once

#include <optional>

#include "hardware/clock/Clock.h"
#include "hardware/display/Panel.h"
#include "hardware/input/Input.h"
#include "hardware/sd/SdHost.h"
#include "hardware/sound/Speaker.h"
#include "platform/devmgr/AttachDevices.h"

struct DeviceOptions {
  hw::Clock::Mode clock = hw::Clock::Mode::Virtual;
  bool sdSlot = false;
};

class TestDevices {
 public:
  explicit TestDevices(DeviceOptions options = {}) : clock(options.clock) {
    if (options.sdSlot) sdHost.emplace(clock);
    input.SetClock(&clock);
    ce::AttachDevices(ce::Devices{.clock = &clock,
                                  .panel = &panel,
                                  .input = &input,
                                  .speaker = &speaker,
                                  .sdHost = sdHost ? &*sdHost : nullptr});
  }
  ~TestDevices() {
    ce::DetachDevices();
    input.SetClock(nullptr);
  }
  TestDevices(const TestDevices&) = delete;
  TestDevices& operator=(const TestDevices&) = delete;

  hw::Clock clock;
  hw::Panel panel;
  hw::InputDevice input;
  hw::Speaker speaker;
  std::optional<hw::SdHost> sdHost;
};
