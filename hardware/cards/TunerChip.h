// The FM tuner chip on the radio card, in its radio environment.
//
// The chip takes a five-byte register image W0..W4 and reports a five-byte
// status S0..S4:
//   W0 7 mute, 6 search mode, 5..0 PLL bits 13..8   W1 PLL bits 7..0
//   W2 7 search up, 6..5 search stop level, 4 high-side injection,
//      3 forced mono, 2..1 audio mute (with W3 3)
//   W3 6 standby, 5 Japan band, 3 audio mute
//   S0 5..0 / S1 PLL word   S2 7 stereo, 6..0 IF counter   S3 7..4 level
// The PLL counts 12.5 kHz steps of the local oscillator, which runs 225 kHz
// above (high-side) or below (low-side) the received frequency.
//
// Reception comes from the card's receiver model (Receiver.h): levels
// through the channel filter, the image on the side opposite the
// injection, fading, the IF counter and the stereo pilot, all functions
// of the scene, the seed and the clock time. A search steps one 100 kHz
// channel per 5 ms from the start and ends on the first channel whose
// level, as the chip measures it when it gets there, reaches the stop
// level, or at the band edge. In standby the chip is silent and frozen.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "hardware/cards/Receiver.h"
#include "hardware/clock/Clock.h"

namespace hw {

class TunerChip {
 public:
  using Micros = Clock::Micros;
  static constexpr Micros kChannelUs = 5000;
  static constexpr std::int64_t kChannelHz = 100'000;
  static constexpr std::int64_t kPllStepHz = 12'500;
  static constexpr std::int64_t kIfHz = 225'000;

  // What the chip is doing, as the dump shows it.
  struct State {
    std::uint16_t pll = 0;
    std::int64_t tunedHz = 0;
    bool highSide = false;
    bool mute = false;
    bool mono = false;
    bool searching = false;
    bool standby = true;
    bool japan = false;
    int level = 0;
    bool stereo = false;
    const Station* heard = nullptr;  // the station that dominates, if one does
    bool heardAsImage = false;
  };

  explicit TunerChip(std::shared_ptr<const Receiver> receiver) : receiver_(std::move(receiver)) {}

  // Power-on state: everything clear but standby.
  void Reset();

  // Takes a register image (at least W0..W4) at the given time. When it
  // starts a search, returns the time the search will end.
  std::optional<Micros> Write(std::span<const std::uint8_t> image, Micros nowUs);

  // S0..S4 followed by three zero bytes.
  std::array<std::uint8_t, 8> Status(Micros nowUs) const;

  // Ends a search whose time has come; true when one ended.
  bool SettleSearch(Micros nowUs);

  State Observe(Micros nowUs) const;
  // The same without what the chip receives (level, stereo, station).
  State Tuning(Micros nowUs) const;

  // While a search runs: when it ends.
  std::optional<Micros> SearchEndUs() const;

  static std::int64_t TunedHzOf(std::uint16_t pll, bool highSide);
  static std::uint16_t PllOf(std::int64_t hz, bool highSide);

 private:
  struct Search {
    bool active = false;
    Micros startUs = 0;
    std::int64_t startHz = 0;
    int direction = 1;
    int steps = 0;  // channels from the start to where it stops
    Micros EndUs() const { return startUs + static_cast<Micros>(steps > 0 ? steps - 1 : 0) * kChannelUs; }
  };

  std::int64_t CurrentHz(Micros nowUs) const;
  int StopLevel() const;
  bool InBand(std::int64_t hz) const;
  void StartSearch(Micros nowUs);

  std::shared_ptr<const Receiver> receiver_;
  std::array<std::uint8_t, 5> image_{};
  std::int64_t tunedHz_ = 0;
  Search search_;
};

}  // namespace hw
