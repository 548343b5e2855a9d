// The confirmation sound a stored preset plays: two soft bell notes
// rising a fifth, 0.3 s, 22.05 kHz mono 16-bit PCM.
#pragma once

#include <string>

namespace artwork {

inline constexpr int kChimeRate = 22050;
inline constexpr double kChimeSeconds = 0.3;

// The bytes of the .wav file.
std::string Chime();

}  // namespace artwork
