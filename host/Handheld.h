// The handheld as the host boots it: a clock, a device root with its
// registry, provisioned on first use, the SD slot with its card and the
// speaker the card and the platform play on. Later the panel, the pen and
// keys join here.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hardware/cards/Receiver.h"
#include "hardware/clock/Clock.h"
#include "hardware/sound/Speaker.h"

namespace host {

struct HandheldConfig {
  std::filesystem::path root;
  bool virtualTime = true;
  bool cardInserted = true;                        // the tuner card is in the slot at boot
  std::optional<std::filesystem::path> scene;      // the card's radio environment; built-in when absent
  std::optional<std::filesystem::path> busTrace;   // where the SD bus trace goes
  std::uint64_t seed = hw::Receiver::kDefaultSeed;  // the radio environment's fading and noise
};

class CardSlot;

class Handheld {
 public:
  // Boots the handheld; on failure returns nullptr and a message for the
  // user in error.
  static std::unique_ptr<Handheld> Boot(const HandheldConfig& config, std::string& error);
  ~Handheld();
  Handheld(const Handheld&) = delete;
  Handheld& operator=(const Handheld&) = delete;

  hw::Clock& clock() { return clock_; }
  const std::filesystem::path& root() const { return root_; }
  bool virtualTime() const { return clock_.IsVirtual(); }
  // What provisioning did during this boot (empty when the root was ready).
  const std::vector<std::string>& provisioned() const { return provisioned_; }
  CardSlot& cardSlot() { return *cardSlot_; }
  // The speaker: the card's sound and the platform's sounds.
  hw::Speaker& speaker() { return speaker_; }

 private:
  explicit Handheld(const HandheldConfig& config);

  hw::Clock clock_;
  hw::Speaker speaker_;
  std::filesystem::path root_;
  bool registryMounted_ = false;
  bool navigationBar_ = false;
  std::vector<std::string> provisioned_;
  std::unique_ptr<CardSlot> cardSlot_;
};

std::filesystem::path RegistryFileOf(const std::filesystem::path& root);

}  // namespace host
