#include "hardware/frontend/AudioOut.h"

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace hw {
namespace {

constexpr int kChannels = 2;
constexpr int kBytesPerFrame = kChannels * int(sizeof(std::int16_t));
constexpr int kDeviceFrames = 256;

constexpr std::int64_t FramesOfMs(int ms) { return std::int64_t(ms) * Speaker::kRate / 1000; }

// A sound card is only worth asking for when the kernel shows one: the
// card driver's library complains loudly on stderr when there is none.
bool SoundCardPresent() {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/snd", ec)) {
    if (entry.path().filename().string().rfind("pcmC", 0) == 0) return true;
  }
  return false;
}

std::vector<std::string> Candidates(const char* forced) {
  if (forced) return {forced};
  if (const char* env = std::getenv("SDL_AUDIODRIVER"); env && *env) return {env};
  std::vector<std::string> drivers{"pipewire", "pulseaudio"};
  if (SoundCardPresent()) drivers.push_back("alsa");
  return drivers;
}

}  // namespace

std::unique_ptr<AudioOut> AudioOut::Open(std::string& whyNot, const char* driver) {
  std::string reasons;
  for (const std::string& name : Candidates(driver)) {
    SDL_SetHint(SDL_HINT_AUDIODRIVER, name.c_str());
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      reasons += (reasons.empty() ? "" : "; ") + name + ": " + SDL_GetError();
      continue;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = Speaker::kRate;
    want.format = AUDIO_S16SYS;
    want.channels = kChannels;
    want.samples = kDeviceFrames;
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (device == 0) {
      reasons += (reasons.empty() ? "" : "; ") + name + ": " + SDL_GetError();
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      continue;
    }
    SDL_PauseAudioDevice(device, 0);
    return std::unique_ptr<AudioOut>(new AudioOut(device, name, have.samples));
  }
  whyNot = reasons.empty() ? "no sound output was found" : reasons;
  return nullptr;
}

AudioOut::~AudioOut() {
  Stop();
  SDL_CloseAudioDevice(device_);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void AudioOut::Start(Speaker& speaker, Clock& clock) {
  Stop();
  stop_ = false;
  thread_ = std::thread([this, &speaker, &clock] {
    while (!stop_) {
      Feed(speaker, clock.NowUs());
      std::this_thread::sleep_for(std::chrono::milliseconds(kFeedMs));
    }
  });
}

void AudioOut::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void AudioOut::Feed(const Speaker& speaker, std::uint64_t nowUs) {
  const std::int64_t now = FrameAt(nowUs);
  const bool behind = fed_ < 0 || now - fed_ > FramesOfMs(kMaxQueuedMs) ||
                      Queued() > std::size_t(FramesOfMs(kMaxQueuedMs) * kBytesPerFrame);
  if (behind) {
    SDL_ClearQueuedAudio(device_);
    fed_ = std::max<std::int64_t>(0, now - FramesOfMs(kCushionMs));
  } else if (Queued() < std::size_t(FramesOfMs(1) * kBytesPerFrame)) {
    // The device ran dry: build the cushion again.
    fed_ = std::max<std::int64_t>(0, std::min(fed_, now - FramesOfMs(kCushionMs)));
  }
  if (now <= fed_) return;
  std::vector<std::int16_t> samples(std::size_t(now - fed_) * kChannels);
  speaker.Mix(fed_, samples);
  SDL_QueueAudio(device_, samples.data(), Uint32(samples.size() * sizeof(std::int16_t)));
  fed_ = now;
}

std::size_t AudioOut::Queued() const { return SDL_GetQueuedAudioSize(device_); }

int AudioOut::LatencyBoundMs() const { return kMaxQueuedMs + deviceFrames_ * 1000 / Speaker::kRate + kFeedMs; }

}  // namespace hw
