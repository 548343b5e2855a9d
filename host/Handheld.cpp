#include "host/Handheld.h"

#include <system_error>

#include "host/CardSlot.h"
#include "host/Provisioning.h"
#include "platform/kernel/Kernel.h"
#include "platform/kernel/Registry.h"
#include "platform/shell/NavBar.h"
#include "platform/sound/Sound.h"
#include "platform/user/Desktop.h"

namespace host {

std::filesystem::path RegistryFileOf(const std::filesystem::path& root) { return root / "registry.db"; }

Handheld::Handheld(const HandheldConfig& config)
    : clock_(config.virtualTime ? hw::Clock::Mode::Virtual : hw::Clock::Mode::Real), root_(config.root) {}

std::unique_ptr<Handheld> Handheld::Boot(const HandheldConfig& config, std::string& error) {
  std::unique_ptr<Handheld> handheld(new Handheld(config));
  // A bad scene or trace file stops the boot before the root is touched.
  handheld->cardSlot_ = CardSlot::Create(handheld->clock_, config.scene, config.busTrace, config.seed, error);
  if (!handheld->cardSlot_) return nullptr;
  std::error_code ec;
  std::filesystem::create_directories(config.root, ec);
  if (ec || !std::filesystem::is_directory(config.root)) {
    error = "cannot use " + config.root.string() + " as the device root: " +
            (ec ? ec.message() : std::string("it is not a folder"));
    return nullptr;
  }
  handheld->root_ = std::filesystem::absolute(config.root);
  ce::SetSystemClock(&handheld->clock_);
  ce::SystemInput().SetClock(&handheld->clock_);  // the keypad repeats held keys on it
  ce::SetDeviceRoot(handheld->root_);
  if (auto mountError = ce::MountRegistry(RegistryFileOf(handheld->root_))) {
    error = *mountError;
    return nullptr;
  }
  handheld->registryMounted_ = true;
  ProvisioningResult provisioning = Provisioner().Run();
  if (!provisioning.error.empty()) {
    error = "cannot prepare the device root " + handheld->root_.string() + ": " + provisioning.error;
    return nullptr;
  }
  handheld->provisioned_ = std::move(provisioning.performed);
  handheld->speaker_.SetStream(handheld->cardSlot_->audio());
  ce::SetSystemSpeaker(&handheld->speaker_);
  // Booting ends with the card set up, when it is in the slot.
  if (config.cardInserted) handheld->cardSlot_->Insert();
  ce::ShowNavigationBar();
  handheld->navigationBar_ = true;
  return handheld;
}

Handheld::~Handheld() {
  if (navigationBar_) ce::HideNavigationBar();
  if (ce::SystemSpeakerIs(&speaker_)) ce::SetSystemSpeaker(nullptr);
  speaker_.SetStream(nullptr);
  cardSlot_.reset();  // unloads the driver while the registry is still there
  if (registryMounted_) ce::UnmountRegistry();
  ce::SetDeviceRoot({});
  ce::SystemInput().SetClock(nullptr);
  ce::SetSystemClock(nullptr);
}

}  // namespace host
