#include "hardware/sound/Speaker.h"

#include <algorithm>
#include <cmath>

#include "hardware/sound/Resample.h"

namespace hw {
namespace {

constexpr std::size_t kKeptSounds = 16;

// A sound as the speaker plays it: 48 kHz stereo float.
std::vector<float> ToSpeakerFormat(const Sound& sound) {
  const std::size_t frames = sound.frames();
  std::vector<float> in(frames * 2);
  for (std::size_t i = 0; i < frames; ++i) {
    const float l = sound.samples[i * std::size_t(sound.channels)] / 32768.0f;
    const float r = sound.channels > 1 ? sound.samples[i * std::size_t(sound.channels) + 1] / 32768.0f : l;
    in[2 * i] = l;
    in[2 * i + 1] = r;
  }
  if (sound.rate == Speaker::kRate || frames == 0) return in;
  return ResampleTo48k(in, 2, sound.rate);
}

}  // namespace

void Speaker::SetStream(std::shared_ptr<AudioSource> stream) {
  std::lock_guard lock(mutex_);
  stream_ = std::move(stream);
}

void Speaker::Play(std::shared_ptr<const Sound> sound, std::uint64_t startUs) {
  auto frames = std::make_shared<const std::vector<float>>(ToSpeakerFormat(*sound));
  const std::int64_t start = FrameAt(startUs);
  std::lock_guard lock(mutex_);
  history_.push_back({startUs, sound->durationUs(), sound->frames()});
  for (Playing& p : playing_) p.end = std::min(p.end, start);
  playing_.push_back({start, start + std::int64_t(frames->size() / 2), std::move(frames)});
  if (playing_.size() > kKeptSounds) playing_.erase(playing_.begin());
}

void Speaker::Stop(std::uint64_t atUs) {
  const std::int64_t at = FrameAt(atUs);
  std::lock_guard lock(mutex_);
  for (Playing& p : playing_) p.end = std::min(p.end, at);
}

void Speaker::HoldFrom(std::optional<std::int64_t> frame) {
  std::shared_ptr<AudioSource> stream;
  {
    std::lock_guard lock(mutex_);
    stream = stream_;
  }
  if (stream) stream->HoldFrom(frame);
}

void Speaker::Mix(std::int64_t first, std::span<std::int16_t> out) const {
  const std::size_t count = out.size() / 2;
  std::vector<float> mix(count * 2, 0.0f);
  std::shared_ptr<AudioSource> stream;
  std::vector<Playing> sounds;
  {
    std::lock_guard lock(mutex_);
    stream = stream_;
    sounds = playing_;
  }
  if (stream) stream->Render(first, mix);
  const std::int64_t end = first + std::int64_t(count);
  for (const Playing& p : sounds) {
    const std::int64_t from = std::max(first, p.start), to = std::min(end, p.end);
    for (std::int64_t f = from; f < to; ++f) {
      const std::size_t at = std::size_t(f - p.start) * 2, into = std::size_t(f - first) * 2;
      mix[into] += float(kSoundGain) * (*p.frames)[at];
      mix[into + 1] += float(kSoundGain) * (*p.frames)[at + 1];
    }
  }
  for (std::size_t i = 0; i < mix.size(); ++i)
    out[i] = std::int16_t(std::clamp(std::lround(double(mix[i]) * 32767.0), -32768L, 32767L));
}

double Speaker::LevelDbfs(std::uint64_t nowUs) const {
  const std::int64_t end = FrameAt(nowUs);
  const std::int64_t first = std::max<std::int64_t>(0, end - FrameAt(kLevelWindowUs));
  if (end <= first) return kSilenceDbfs;
  std::vector<std::int16_t> samples(std::size_t(end - first) * 2);
  Mix(first, samples);
  double sum = 0;
  for (std::int16_t s : samples) sum += double(s) * double(s);
  if (sum == 0) return kSilenceDbfs;
  const double rms = std::sqrt(sum / double(samples.size())) / 32768.0;
  return std::max(kSilenceDbfs, 20.0 * std::log10(rms));
}

std::vector<Speaker::Played> Speaker::History() const {
  std::lock_guard lock(mutex_);
  return history_;
}

}  // namespace hw
