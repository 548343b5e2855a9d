// Lending the handheld's devices to the platform and taking them back.
// The platform's modules then reach them through the attach record,
// ce::Attached (platform/kernel/Devices.h).
#pragma once

#include "platform/kernel/Devices.h"

namespace ce {

// The platform starts its SD bus driver on the SD host (a card already in
// the slot arrives on it) and its message loops wake for the pen and keys.
// One set at a time: attaching over attached devices aborts. Every device
// must outlive the attachment.
void AttachDevices(const Devices& devices);
// Stops the SD bus driver first (a card's driver is unloaded while the
// other devices are still there), then leaves the platform with none. Does
// nothing when nothing is attached.
void DetachDevices();

}  // namespace ce
