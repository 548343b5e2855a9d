// The handheld's speaker made audible on the desktop through SDL audio.
// Where the desktop has no sound (no server, no sound card) the radio
// plays silently: opening says why in one line and the caller goes on.
#pragma once

#include <memory>
#include <string>

#include "sound/Speaker.h"

namespace hw {

class AudioOut {
 public:
  // Opens the first output that works: the one SDL_AUDIODRIVER names, or
  // else a sound server, or else a sound card that exists. nullptr, with
  // the reason in whyNot, when there is none. `driver` forces one (tests
  // use "dummy").
  static std::unique_ptr<AudioOut> Open(std::string& whyNot, const char* driver = nullptr);
  ~AudioOut();
  AudioOut(const AudioOut&) = delete;
  AudioOut& operator=(const AudioOut&) = delete;

  // Starts a sound, cutting off the one still playing; nullptr stops.
  void Play(const std::shared_ptr<const Sound>& sound);
  // Bytes queued and not yet played.
  std::size_t Queued() const;
  const std::string& driver() const { return driver_; }

 private:
  AudioOut(unsigned device, std::string driver) : device_(device), driver_(std::move(driver)) {}
  unsigned device_;
  std::string driver_;
};

}  // namespace hw
