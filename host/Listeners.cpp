#include "host/Listeners.h"

#include "host/Handheld.h"
#include "platform/user/Desktop.h"

namespace host {
namespace {

// The recording catches up once this much has been played.
constexpr std::int64_t kCatchUpFrames = hw::Speaker::kRate / 20;

}  // namespace

std::unique_ptr<Listeners> Listeners::Start(Handheld& handheld, const std::optional<std::filesystem::path>& record,
                                            bool desktopSound, std::ostream& out, std::string& error) {
  std::unique_ptr<Listeners> listeners(new Listeners(handheld));
  if (record) {
    listeners->recorder_ = hw::Recorder::Open(*record, handheld.speaker(), error);
    if (!listeners->recorder_) return nullptr;
    listeners->idleHook_ = ce::AddIdleHook([recorder = listeners->recorder_.get(), &clock = handheld.clock()] {
      const std::uint64_t now = clock.NowUs();
      if (hw::FrameAt(now) - recorder->frames() >= kCatchUpFrames) recorder->CatchUp(now);
    });
  }
  if (desktopSound) {
    std::string whyNot;
    listeners->audio_ = hw::AudioOut::Open(whyNot);
    if (listeners->audio_)
      listeners->audio_->Start(handheld.speaker(), handheld.clock());
    else
      out << "ondrel: no sound (" << whyNot
          << "); the radio plays silently; for sound, set SDL_AUDIODRIVER to the sound system that runs here: "
             "pipewire, pulseaudio or alsa\n";
  }
  return listeners;
}

Listeners::~Listeners() {
  if (idleHook_) ce::RemoveIdleHook(idleHook_);
  audio_.reset();
  if (recorder_) recorder_->Finish(handheld_.clock().NowUs());
}

}  // namespace host
