// Wave files: RIFF "WAVE" with uncompressed PCM, 8 or 16 bits, one or two
// channels. Anything else, and any chunk that runs past the file, is
// refused with the reason.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "hardware/sound/Speaker.h"

namespace ce::sound {

std::optional<hw::Sound> ParseWave(std::span<const std::uint8_t> bytes, std::string& error);

}  // namespace ce::sound
