// Sound at another rate brought to the speaker's 48 kHz, with the sample
// rate converter library at its medium sinc quality.
#pragma once

#include <span>
#include <vector>

namespace hw {

// Interleaved frames of `channels` channels at fromRate, at 48 kHz; empty
// when the converter refuses them.
std::vector<float> ResampleTo48k(std::span<const float> interleaved, int channels, int fromRate);

}  // namespace hw
