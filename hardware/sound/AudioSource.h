// A continuous sound that the speaker mixes in: 48 kHz stereo, frame n
// at clock time n / 48000 s from boot. A source renders any span of
// frames on request, the same samples whenever it is asked.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace hw {

class AudioSource {
 public:
  static constexpr int kRate = 48000;
  virtual ~AudioSource() = default;
  // Writes frames [first, first + out.size() / 2), interleaved left and
  // right, full scale +-1.
  virtual void Render(std::int64_t first, std::span<float> out) const = 0;
  // Frames before `frame` may still be asked for (a recording behind the
  // clock); nullopt: only the last moments are.
  virtual void HoldFrom(std::optional<std::int64_t> frame) { (void)frame; }
};

// The first frame at or after a clock time.
constexpr std::int64_t FrameAt(std::uint64_t us) {
  return static_cast<std::int64_t>((us * AudioSource::kRate + 999'999) / 1'000'000);
}

}  // namespace hw
