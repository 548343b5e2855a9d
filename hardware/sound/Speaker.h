// The handheld's speaker: a mixer of the card's continuous stream and the
// platform's sounds. The stream (the tuner card's audio output) comes at
// the card's own volume; a sound (PlaySoundW) plays from its start time
// on the clock for its duration at the speaker's volume, whatever the
// card's. The speaker renders what it plays for any span of clock time,
// 48 kHz 16-bit stereo, frame n at clock time n / 48000 s, the same
// samples whoever asks and however often; where both together pass full
// scale the output saturates.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "hardware/sound/AudioSource.h"

namespace hw {

// PCM samples, interleaved by channel, 16-bit signed.
struct Sound {
  int rate = 0;  // frames per second
  int channels = 0;
  std::vector<std::int16_t> samples;

  std::size_t frames() const { return channels > 0 ? samples.size() / std::size_t(channels) : 0; }
  // Microseconds the sound lasts, rounded up.
  std::uint64_t durationUs() const {
    return rate > 0 ? (std::uint64_t(frames()) * 1000000 + std::uint64_t(rate) - 1) / std::uint64_t(rate) : 0;
  }
};

class Speaker {
 public:
  static constexpr int kRate = AudioSource::kRate;
  static constexpr double kSoundGain = 1.0;  // the speaker's own volume: sounds play as recorded
  static constexpr double kSilenceDbfs = -120.0;
  static constexpr std::uint64_t kLevelWindowUs = 100'000;

  struct Played {
    std::uint64_t startUs = 0;
    std::uint64_t durationUs = 0;
    std::size_t frames = 0;
  };

  // The continuous stream; nullptr for none.
  void SetStream(std::shared_ptr<AudioSource> stream);

  // Starts a sound at startUs (clock time); a sound still playing is cut
  // off, as the platform's single sound channel does.
  void Play(std::shared_ptr<const Sound> sound, std::uint64_t startUs);
  // Stops whatever sound plays at atUs.
  void Stop(std::uint64_t atUs);

  // What the speaker plays for frames [first, first + out.size() / 2),
  // interleaved left and right.
  void Mix(std::int64_t first, std::span<std::int16_t> out) const;
  // The RMS level of the last 100 ms before nowUs, in dB relative to full
  // scale (a full-scale sine reads -3); kSilenceDbfs for digital silence.
  double LevelDbfs(std::uint64_t nowUs) const;

  // Frames before `frame` will still be mixed (a recording behind the
  // clock); nullopt when only the last moments will.
  void HoldFrom(std::optional<std::int64_t> frame);

  std::vector<Played> History() const;

 private:
  struct Playing {
    std::int64_t start = 0;
    std::int64_t end = 0;  // cut off here, or the sound's own end
    std::shared_ptr<const std::vector<float>> frames;  // 48 kHz stereo interleaved
  };

  mutable std::mutex mutex_;
  std::shared_ptr<AudioSource> stream_;
  std::vector<Playing> playing_;  // by start
  std::vector<Played> history_;
};

}  // namespace hw
