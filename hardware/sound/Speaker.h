// The handheld's speaker. A sound is played from its start time on the
// clock for its duration; the speaker remembers what it played, and a
// front end that can make noise (the window front end) listens and plays
// the samples aloud.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

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
  struct Played {
    std::uint64_t startUs = 0;
    std::uint64_t durationUs = 0;
    std::size_t frames = 0;
  };
  using Listener = std::function<void(const std::shared_ptr<const Sound>&)>;

  // Starts a sound at startUs (clock time); a sound still playing is cut
  // off, as the platform's single sound channel does.
  void Play(std::shared_ptr<const Sound> sound, std::uint64_t startUs);
  // Stops whatever plays (the listener gets nullptr).
  void Stop();

  void SetListener(Listener listener);
  std::vector<Played> History() const;

 private:
  mutable std::mutex mutex_;
  Listener listener_;
  std::vector<Played> history_;
};

}  // namespace hw
