// The state the platform's kernel shares between its modules: the clock
// everything waits on and the folder that is the device's file system.
// The host sets both when it boots the handheld; tests set their own.
#pragma once

#include <filesystem>

#include "hardware/clock/Clock.h"
#include "hardware/display/Panel.h"

namespace ce {

// The clock that Sleep, waits, timers and GetTickCount use. Until one is
// set, a real-time clock started on first use.
hw::Clock& SystemClock();
void SetSystemClock(hw::Clock* clock);  // nullptr returns to the default

// The panel the screen's device contexts draw on. Until one is set, a
// panel of the platform's own (headless tests that draw need no host).
hw::Panel& SystemPanel();
void SetSystemPanel(hw::Panel* panel);  // nullptr returns to the default

// The host folder that holds the device's file system (its "\").
std::filesystem::path DeviceRoot();
void SetDeviceRoot(const std::filesystem::path& root);

}  // namespace ce
