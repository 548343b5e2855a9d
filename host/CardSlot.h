// The handheld's SD slot: the host controller with its bus trace and the
// FM tuner card that goes in and out of the slot. The platform's SD bus
// driver runs on the host controller once the handheld has attached it.
// Insertion and removal return only when the platform has fully handled
// them (driver loaded and its load-time image on the chip, or driver
// unloaded), so scripted runs are deterministic.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "hardware/cards/RadioCard.h"
#include "hardware/sd/SdHost.h"

namespace host {

class CardSlot {
 public:
  // The card receives the scene in the file, or the built-in one. On a
  // bad scene or trace file returns nullptr and the reason in error.
  static std::unique_ptr<CardSlot> Create(hw::Clock& clock, const std::optional<std::filesystem::path>& scene,
                                          const std::optional<std::filesystem::path>& trace, std::uint64_t seed,
                                          std::string& error);
  ~CardSlot();
  CardSlot(const CardSlot&) = delete;
  CardSlot& operator=(const CardSlot&) = delete;

  // Return an error message, empty on success.
  std::string Insert();
  std::string Remove();
  bool Present() const;

  hw::RadioCard::View Observe() const { return card_->Observe(); }
  // The card's sound, silent while it is out of the slot.
  std::shared_ptr<hw::AudioSource> audio() const { return card_->audio(); }
  hw::SdHost& sdHost() { return *sdHost_; }

 private:
  CardSlot(hw::Clock& clock, hw::Scene scene, std::uint64_t seed);

  std::unique_ptr<hw::SdHost> sdHost_;
  std::shared_ptr<hw::RadioCard> card_;
};

}  // namespace host
