// The handheld's devices as the platform sees them. The platform has none
// of its own: whoever boots the handheld (the host; a test's fixture)
// owns them and lends them for a while, in one AttachDevices call, and
// takes them back with DetachDevices (platform/devmgr/AttachDevices.h). In between, the platform's modules
// reach them only through the attach record, Attached.
//
// Without a device a call that needs it fails as the platform does when
// that hardware is not there:
//   - no panel: drawing on the screen or in a window fails (as on a DC
//     whose window is gone) and the display escapes return -1;
//   - no pen and keys: the message loops see no input;
//   - no speaker: PlaySoundW returns FALSE with ERROR_DEVICE_NOT_CONNECTED;
//   - no SD host: the bus driver is not running and its client functions
//     answer SD_API_STATUS_INVALID_HANDLE.
// The clock is not optional: every wait, timer and tick count runs on it,
// so attaching without one, or asking for it while none is attached, is a
// fault in the boot and aborts with a message saying so.
#pragma once

namespace hw {
class Clock;
class InputDevice;
class Panel;
class SdHost;
class Speaker;
}  // namespace hw

namespace ce {

class SdBus;

struct Devices {
  hw::Clock* clock = nullptr;        // Sleep, waits, timers, GetTickCount
  hw::Panel* panel = nullptr;        // the screen, with its backlight
  hw::InputDevice* input = nullptr;  // the pen and keys
  hw::Speaker* speaker = nullptr;    // what PlaySoundW plays on
  hw::SdHost* sdHost = nullptr;      // the SD slot's host controller
};

// A fault in how the handheld was booted: says what, and aborts.
[[noreturn]] void BootFault(const char* what);

// The attach record, kept by AttachDevices and DetachDevices
// (platform/devmgr/AttachDevices.h). Safe from any thread; the pointers
// are nullptr for a device that is not attached.
class Attached {
 public:
  static hw::Clock& Clock();  // aborts when none is attached
  static hw::Panel* Panel();
  static hw::InputDevice* Input();
  static hw::Speaker* Speaker();
  static SdBus* Bus();  // the bus driver on the attached SD host

  // For AttachDevices and DetachDevices only.
  static void Record(const Devices& devices, SdBus* bus);
  static void Clear();
};

}  // namespace ce
