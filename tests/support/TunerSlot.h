// A handheld cut down to what the tuner card's driver needs: its devices
// with a virtual clock and the SD host with its card slot (the platform's
// SD bus driver runs on it), a device root with its registry, and Marvex
// registered for the radio card. The driver and tuner tests and the
// benchmarks build on it.
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "hardware/cards/RadioCard.h"
#include "platform/devmgr/DeviceManager.h"
#include "platform/kernel/Kernel.h"
#include "platform/kernel/Registry.h"
#include "platform/sdbus/SdBus.h"
#include "tests/support/Devices.h"
#include "tests/support/ScratchFolder.h"

class TunerSlot {
 public:
  // A fresh folder named after prefix in the temporary directory is the
  // device root; it goes with the slot. Throws std::runtime_error when the
  // root or its registry cannot be made.
  explicit TunerSlot(const std::string& prefix) : root_(prefix) {
    ce::SetDeviceRoot(root());
    if (auto error = ce::MountRegistry(root() / "registry.db")) throw std::runtime_error(*error);
    const std::string error = ce::RegisterSdClientDriver(hw::RadioCard::kManufacturer, hw::RadioCard::kCardId, 1,
                                                         u"Marvex.dll", u"MVX");
    if (!error.empty()) throw std::runtime_error(error);
  }
  ~TunerSlot() {
    Remove();
    ce::UnmountRegistry();
    ce::SetDeviceRoot({});
  }
  TunerSlot(const TunerSlot&) = delete;
  TunerSlot& operator=(const TunerSlot&) = delete;

  // The card goes in (or comes out) and the bus driver has dealt with it:
  // Marvex is loaded (or unloaded) when these return.
  bool Insert(std::shared_ptr<hw::SdCard> card) {
    const bool inserted = host.Insert(std::move(card));
    bus().WaitIdle();
    return inserted;
  }
  void Remove() {
    host.Remove();
    bus().WaitIdle();
  }
  static ce::SdBus& bus() { return *ce::Attached::Bus(); }
  // What the tuner card says it is, so that a scripted card stands in
  // for it.
  static hw::SdCardInfo TunerCardInfo() {
    hw::SdCardInfo info;
    info.manufacturer = hw::RadioCard::kManufacturer;
    info.cardId = hw::RadioCard::kCardId;
    return info;
  }
  // The radio card model on the built-in scene.
  bool InsertRadioCard() { return Insert(std::make_shared<hw::RadioCard>(clock, hw::Scene::Default())); }

  const std::filesystem::path& root() const { return root_.path(); }

  TestDevices devices{{.sdSlot = true}};
  hw::Clock& clock = devices.clock;
  hw::SdHost& host = *devices.sdHost;

 private:
  testsupport::ScratchFolder root_;
};
