#include "host/CardSlot.h"

#include "host/SceneFile.h"
#include "platform/kernel/Devices.h"
#include "platform/sdbus/SdBus.h"

namespace host {
namespace {

// Returns once the platform's bus driver has dealt with every slot change
// so far.
void WaitForBusDriver() {
  if (ce::SdBus* bus = ce::Attached::Bus()) bus->WaitIdle();
}

}  // namespace

CardSlot::CardSlot(hw::Clock& clock, hw::Scene scene, std::uint64_t seed)
    : sdHost_(std::make_unique<hw::SdHost>(clock)),
      card_(std::make_shared<hw::RadioCard>(clock, std::move(scene), seed)) {}

std::unique_ptr<CardSlot> CardSlot::Create(hw::Clock& clock, const std::optional<std::filesystem::path>& scene,
                                           const std::optional<std::filesystem::path>& trace, std::uint64_t seed,
                                           std::string& error) {
  std::optional<hw::Scene> loaded = scene ? LoadScene(*scene, error) : hw::Scene::Default();
  if (!loaded) return nullptr;
  std::unique_ptr<CardSlot> slot(new CardSlot(clock, std::move(*loaded), seed));
  if (trace) {
    if (auto traceError = slot->sdHost_->trace().SetFile(*trace)) {
      error = *traceError;
      return nullptr;
    }
  }
  return slot;
}

CardSlot::~CardSlot() {
  Remove();
  sdHost_->trace().SetFile({});
}

std::string CardSlot::Insert() {
  if (!sdHost_->Insert(card_)) return "the tuner card is already in the slot";
  WaitForBusDriver();
  return {};
}

std::string CardSlot::Remove() {
  if (!sdHost_->Remove()) return "the slot is already empty";
  WaitForBusDriver();
  return {};
}

bool CardSlot::Present() const { return sdHost_->Card() != nullptr; }

}  // namespace host
