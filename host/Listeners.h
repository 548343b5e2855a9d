// What listens to the handheld's speaker during a run: a recording of
// everything it plays from boot, and in a window the desktop's sound.
// Headless, the recording is made in virtual time as the run goes (each
// time the program waits) and finished when the run ends. The file itself
// is made only once the run is under way, so that a second start, which
// ends at once, leaves the running radio's recording alone.
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
  // says why it cannot and how to get it.
  Listeners(Handheld& handheld, const std::optional<std::filesystem::path>& record, bool desktopSound,
            std::ostream& out);
  ~Listeners();
  Listeners(const Listeners&) = delete;
  Listeners& operator=(const Listeners&) = delete;

  // Creates the recording's file and writes what was played so far.
  void StartRecording();
  // Ends the recording at the clock's time now (when it was started); the
  // first failure to write it, if any.
  std::optional<std::string> Finish();

 private:
  Handheld& handheld_;
  std::unique_ptr<hw::Recorder> recorder_;
  std::unique_ptr<hw::AudioOut> audio_;
  int idleHook_ = 0;
};

}  // namespace host
