#include "host/Listeners.h"

#include <utility>

#include "host/Handheld.h"
#include "platform/user/Desktop.h"

namespace host {
namespace {

// The recording catches up once this much has been played.
constexpr std::int64_t kCatchUpFrames = hw::Speaker::kRate / 20;

}  // namespace

Listeners::Listeners(Handheld& handheld, const std::optional<std::filesystem::path>& record, bool desktopSound,
                     std::ostream& out)
    : handheld_(handheld) {
  if (record) recorder_ = std::make_unique<hw::Recorder>(*record, handheld.speaker());
  if (desktopSound) {
    std::string whyNot;
    audio_ = hw::AudioOut::Open(whyNot);
    if (audio_)
      audio_->Start(handheld.speaker(), handheld.clock());
    else
      out << "ondrel: no sound (" << whyNot
          << "); the radio plays silently; for sound, set SDL_AUDIODRIVER to the sound system that runs here: "
             "pipewire, pulseaudio or alsa\n";
  }
}

void Listeners::StartRecording() {
  if (!recorder_ || idleHook_ || !recorder_->Start(handheld_.clock().NowUs())) return;
  idleHook_ = ce::AddIdleHook([recorder = recorder_.get(), &clock = handheld_.clock()] {
    const std::uint64_t now = clock.NowUs();
    if (hw::FrameAt(now) - recorder->frames() >= kCatchUpFrames) recorder->CatchUp(now);
  });
}

std::optional<std::string> Listeners::Finish() {
  if (idleHook_) ce::RemoveIdleHook(std::exchange(idleHook_, 0));
  audio_.reset();
  if (!recorder_) return std::nullopt;
  recorder_->Finish(handheld_.clock().NowUs());
  return recorder_->FileError();
}

Listeners::~Listeners() { Finish(); }

}  // namespace host
