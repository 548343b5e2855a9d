// What each station broadcasts: a programme that plays on, frame by
// frame at 48 kHz, from the handheld's boot whether anyone listens or
// not; frame n is clock time n / 48000 s. A programme is asked for any
// span of frames, in any order, and always gives the same samples there.
//
// A station's programme is a sound file named in the scene (any format
// the sound file library reads, resampled to 48 kHz, looped; a mono file
// plays on both sides, a stereo one keeps its sides), or else one of its
// own: music-like tones in a key, a tempo and a timbre of the station's
// own, drawn from its frequency and name. A stereo station's built-in
// programme has its melody to the left and its bass to the right; a mono
// station's is the same on both sides.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "hardware/cards/Scene.h"
#include "hardware/sound/AudioSource.h"

namespace hw {

class Programme {
 public:
  static constexpr int kRate = AudioSource::kRate;
  virtual ~Programme() = default;
  // Writes frames [first, first + left.size()) into left and right (the
  // same length).
  virtual void Render(std::int64_t first, std::span<float> left, std::span<float> right) const = 0;
};

// Why the file cannot be a station's programme; empty when it can.
std::string CheckProgrammeFile(const std::filesystem::path& file);

// The file is decoded on first use; a file that fails then plays silence.
std::unique_ptr<Programme> MakeFileProgramme(const std::filesystem::path& file);
std::unique_ptr<Programme> MakeBuiltInProgramme(const Station& station);

// One programme a station, in the scene's order.
std::vector<std::unique_ptr<Programme>> MakeProgrammes(const Scene& scene);

}  // namespace hw
