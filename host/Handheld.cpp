#include "host/Handheld.h"

#include <system_error>

#include "host/CardSlot.h"
#include "host/Provisioning.h"
#include "platform/devmgr/AttachDevices.h"
#include "platform/kernel/Kernel.h"
#include "platform/kernel/Registry.h"
#include "platform/shell/NavBar.h"

namespace host {

std::filesystem::path RegistryFileOf(const std::filesystem::path& root) { return root / "registry.db"; }

std::unique_ptr<Handheld> Handheld::Boot(const HandheldConfig& config, std::string& error) {
  std::unique_ptr<Handheld> handheld(new Handheld());
  if (config.window) handheld->OpenWindow(*config.window);
  handheld->clock_ =
      std::make_unique<hw::Clock>(handheld->window_ ? hw::Clock::Mode::Real : hw::Clock::Mode::Virtual);
  // A bad scene or trace file stops the boot before the root is touched.
  handheld->cardSlot_ = CardSlot::Create(*handheld->clock_, config.scene, config.busTrace, config.seed, error);
  if (!handheld->cardSlot_) return nullptr;
  std::error_code ec;
  std::filesystem::create_directories(config.root, ec);
  if (ec || !std::filesystem::is_directory(config.root)) {
    error = "cannot use " + config.root.string() + " as the device root: " +
            (ec ? ec.message() : std::string("it is not a folder"));
    return nullptr;
  }
  handheld->root_ = std::filesystem::absolute(config.root);
  handheld->AttachDevices();
  error = handheld->StartSystem();
  if (!error.empty()) return nullptr;
  // Booting ends with the card set up, when it is in the slot.
  if (config.cardInserted) handheld->cardSlot_->Insert();
  ce::ShowNavigationBar();
  handheld->navigationBar_ = true;
  return handheld;
}

void Handheld::OpenWindow(const HandheldWindow& window) {
  window_ = hw::WindowFrontEnd::Open(panel_, input_, window.scale, window.hooks, windowRefusal_);
}

void Handheld::AttachDevices() {
  input_.SetClock(clock_.get());               // the keypad repeats held keys on it
  speaker_.SetStream(cardSlot_->audio());      // the card's sound, silent while it is out
  ce::AttachDevices(ce::Devices{.clock = clock_.get(),
                                .panel = &panel_,
                                .input = &input_,
                                .speaker = &speaker_,
                                .sdHost = &cardSlot_->sdHost()});
  attached_ = true;
}

// The device root's file system and registry, made ready on first use.
// Returns an error message, empty on success.
std::string Handheld::StartSystem() {
  ce::SetDeviceRoot(root_);
  if (auto mountError = ce::MountRegistry(RegistryFileOf(root_))) return *mountError;
  registryMounted_ = true;
  ProvisioningResult provisioning = Provisioner().Run();
  if (!provisioning.error.empty())
    return "cannot prepare the device root " + root_.string() + ": " + provisioning.error;
  provisioned_ = std::move(provisioning.performed);
  return {};
}

Handheld::~Handheld() {
  window_.reset();  // nobody at the desktop touches the device any more
  if (navigationBar_) ce::HideNavigationBar();
  if (cardSlot_) cardSlot_->Remove();  // unloads the driver while the registry is still there
  if (registryMounted_) ce::UnmountRegistry();
  ce::SetDeviceRoot({});
  if (attached_) ce::DetachDevices();
  // A key's repeat or a search's end already taken by the real clock's
  // thread must not run once the keypad and the card are gone.
  if (clock_) clock_->StopFiring();
  speaker_.SetStream(nullptr);
  input_.SetClock(nullptr);
}

}  // namespace host
