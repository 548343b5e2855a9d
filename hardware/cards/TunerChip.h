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
// Reception is worked out from the scene at the tuned frequency: the level
// falls by one per 10 kHz away from a station, a strong station at the
// image frequency (450 kHz away, below with low-side injection, above with
// high-side) pulls the level down, the IF counter reads 54..58 only within
// 25 kHz of a station, and stereo needs a stereo station, a level of 7 and
// mono off. A search steps one 100 kHz channel per 5 ms from the start and
// ends on the first channel whose level reaches the stop level, or at the
// band edge. Everything is a function of the image and the clock time, so
// runs are deterministic. In standby the chip is silent and frozen.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "cards/Scene.h"
#include "clock/Clock.h"

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
  };

  explicit TunerChip(Scene scene) : scene_(std::move(scene)) {}

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

  // Reception at a frequency, for the given injection side.
  int LevelAt(std::int64_t hz, bool highSide) const;
  int IfCounterAt(std::int64_t hz) const;
  bool StereoAt(std::int64_t hz, bool highSide, bool mono) const;

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
  int RawLevelAt(std::int64_t hz) const;
  const Station* NearestWithin(std::int64_t hz, std::int64_t range) const;
  int StopLevel() const;
  bool InBand(std::int64_t hz) const;
  void StartSearch(Micros nowUs);

  Scene scene_;
  std::array<std::uint8_t, 5> image_{};
  std::int64_t tunedHz_ = 0;
  Search search_;
};

}  // namespace hw
