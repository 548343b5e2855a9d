// Wave files as the handheld plays them: RIFF "WAVE" holding uncompressed
// PCM, 8 or 16 bits, one or two channels. The file is decoded with
// libsndfile from memory; anything else is refused with the reason.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "hardware/sound/Speaker.h"

namespace ce::sound {

std::optional<hw::Sound> ParseWave(std::span<const std::uint8_t> bytes, std::string& error);

}  // namespace ce::sound
