// What listens to the handheld's speaker during a run: a recording of
// everything it plays from boot, and in a window the desktop's sound.
// Headless, the recording is made in virtual time as the run goes (each
// time the program waits) and finished when the listeners go.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "hardware/frontend/AudioOut.h"
#include "hardware/sound/Recorder.h"

namespace host {

class Handheld;

class Listeners {
 public:
  // With desktopSound the speaker plays on the desktop, or a line on out
  // says why it cannot and how to get it. nullptr, with the reason in
  // error, when the recording cannot be written.
  static std::unique_ptr<Listeners> Start(Handheld& handheld, const std::optional<std::filesystem::path>& record,
                                          bool desktopSound, std::ostream& out, std::string& error);
  ~Listeners();  // the recording ends at the clock's time now
  Listeners(const Listeners&) = delete;
  Listeners& operator=(const Listeners&) = delete;

 private:
  explicit Listeners(Handheld& handheld) : handheld_(handheld) {}

  Handheld& handheld_;
  std::unique_ptr<hw::Recorder> recorder_;
  std::unique_ptr<hw::AudioOut> audio_;
  int idleHook_ = 0;
};

}  // namespace host
