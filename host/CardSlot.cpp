#include "host/CardSlot.h"

#include "host/SceneFile.h"
#include "platform/sdbus/SdBus.h"

namespace host {

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
  slot->bus_ = std::make_unique<ce::SdBus>(*slot->sdHost_);
  return slot;
}

CardSlot::~CardSlot() {
  // The driver goes before the bus, as when the card is pulled.
  Remove();
  bus_.reset();
  sdHost_->trace().SetFile({});
}

std::string CardSlot::Insert() {
  if (!sdHost_->Insert(card_)) return "the tuner card is already in the slot";
  bus_->WaitIdle();
  return {};
}

std::string CardSlot::Remove() {
  if (!sdHost_->Remove()) return "the slot is already empty";
  bus_->WaitIdle();
  return {};
}

bool CardSlot::Present() const { return sdHost_->Card() != nullptr; }

}  // namespace host
