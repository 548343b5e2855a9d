// The tuner chip's register image W0..W4 as a test writes it to the radio
// card, field by field.
#pragma once

#include <array>
#include <cstdint>

#include "hardware/cards/TunerChip.h"

namespace cardtest {

constexpr std::int64_t MHz(double mhz) { return static_cast<std::int64_t>(mhz * 1000.0 + 0.5) * 1000; }

struct Image {
  std::int64_t hz = MHz(87.5);
  bool highSide = false;
  bool search = false;
  bool up = true;
  int stopBits = 2;  // 10: level 7
  bool mono = false;
  bool japan = false;
  bool standby = false;
  bool mute = false;       // W0 bit 7
  int audioMuteW2 = 0;     // W2 bits 2..1
  bool audioMuteW3 = false;  // W3 bit 3

  std::array<std::uint8_t, 8> Bytes() const {
    std::uint16_t pll = hw::TunerChip::PllOf(hz, highSide);
    std::array<std::uint8_t, 8> b{};
    b[0] = static_cast<std::uint8_t>((mute ? 0x80 : 0) | (search ? 0x40 : 0) | (pll >> 8));
    b[1] = static_cast<std::uint8_t>(pll);
    b[2] = static_cast<std::uint8_t>((up ? 0x80 : 0) | (stopBits << 5) | (highSide ? 0x10 : 0) | (mono ? 0x08 : 0) |
                                     (audioMuteW2 << 1));
    b[3] = static_cast<std::uint8_t>((standby ? 0x40 : 0) | (japan ? 0x20 : 0) | (audioMuteW3 ? 0x08 : 0));
    return b;
  }
};

}  // namespace cardtest
