#include "frontend/AudioOut.h"

#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace hw {
namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;

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

// Converts a sound to the device's format (44.1 kHz stereo, 16-bit).
std::vector<std::uint8_t> Convert(const Sound& sound) {
  std::vector<std::uint8_t> out;
  SDL_AudioStream* stream =
      SDL_NewAudioStream(AUDIO_S16SYS, Uint8(sound.channels), sound.rate, AUDIO_S16SYS, kChannels, kRate);
  if (!stream) return out;
  if (SDL_AudioStreamPut(stream, sound.samples.data(), int(sound.samples.size() * sizeof(std::int16_t))) == 0 &&
      SDL_AudioStreamFlush(stream) == 0) {
    out.resize(std::size_t(SDL_AudioStreamAvailable(stream)));
    int got = SDL_AudioStreamGet(stream, out.data(), int(out.size()));
    out.resize(got > 0 ? std::size_t(got) : 0);
  }
  SDL_FreeAudioStream(stream);
  return out;
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
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_S16SYS;
    want.channels = kChannels;
    want.samples = 2048;
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (device == 0) {
      reasons += (reasons.empty() ? "" : "; ") + name + ": " + SDL_GetError();
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      continue;
    }
    SDL_PauseAudioDevice(device, 0);
    return std::unique_ptr<AudioOut>(new AudioOut(device, name));
  }
  whyNot = reasons.empty() ? "no sound output was found" : reasons;
  return nullptr;
}

AudioOut::~AudioOut() {
  SDL_CloseAudioDevice(device_);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void AudioOut::Play(const std::shared_ptr<const Sound>& sound) {
  SDL_ClearQueuedAudio(device_);
  if (!sound || sound->frames() == 0) return;
  std::vector<std::uint8_t> bytes = Convert(*sound);
  if (!bytes.empty()) SDL_QueueAudio(device_, bytes.data(), Uint32(bytes.size()));
}

std::size_t AudioOut::Queued() const { return SDL_GetQueuedAudioSize(device_); }

}  // namespace hw
