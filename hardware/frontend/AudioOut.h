// The handheld's speaker made audible on the desktop through SDL audio,
// in real time: a thread of its own renders what the speaker played up to
// the clock's now every 5 ms and queues it behind a short cushion, so a
// change on the handheld is heard within LatencyBoundMs. Where the
// desktop has no sound (no server, no sound card) the radio plays
// silently: opening says why and the caller goes on.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "hardware/clock/Clock.h"
#include "hardware/sound/Speaker.h"

namespace hw {

class AudioOut {
 public:
  static constexpr int kFeedMs = 5;      // how often the thread renders
  static constexpr int kCushionMs = 10;  // queued ahead of the device
  static constexpr int kMaxQueuedMs = 30;

  // Opens the first output that works: the one SDL_AUDIODRIVER names, or
  // else a sound server, or else a sound card that exists. nullptr, with
  // the reason in whyNot, when there is none. `driver` forces one (tests
  // use "dummy").
  static std::unique_ptr<AudioOut> Open(std::string& whyNot, const char* driver = nullptr);
  ~AudioOut();
  AudioOut(const AudioOut&) = delete;
  AudioOut& operator=(const AudioOut&) = delete;

  // Plays the speaker from now on, following the clock.
  void Start(Speaker& speaker, Clock& clock);
  // One round of the thread's work: queues what the speaker played up to
  // nowUs. A queue that has grown past kMaxQueuedMs (the device plays
  // slower than the clock runs), a thread that fell behind, or a device
  // that ran dry starts again from the cushion.
  void Feed(const Speaker& speaker, std::uint64_t nowUs);

  // Bytes queued and not yet played.
  std::size_t Queued() const;
  // The longest time from a change on the handheld to its sound leaving
  // the device: the queue, the device's own buffer and a feed period.
  int LatencyBoundMs() const;
  const std::string& driver() const { return driver_; }

 private:
  AudioOut(unsigned device, std::string driver, int deviceFrames)
      : device_(device), driver_(std::move(driver)), deviceFrames_(deviceFrames) {}
  void Stop();

  unsigned device_;
  std::string driver_;
  int deviceFrames_;
  std::int64_t fed_ = -1;  // the next frame to queue; -1 before the first feed
  std::atomic<bool> stop_ = false;
  std::thread thread_;
};

}  // namespace hw
