#include "hardware/cards/Programme.h"

#include <sndfile.h>

#include <algorithm>
#include <mutex>

#include "hardware/sound/Resample.h"

namespace hw {
namespace {

// A sound file, decoded to 48 kHz float on first use and looped.
class FileProgramme : public Programme {
 public:
  explicit FileProgramme(std::filesystem::path file) : file_(std::move(file)) {}

  void Render(std::int64_t first, std::span<float> left, std::span<float> right) const override {
    std::call_once(loaded_, [this] { Load(); });
    const std::size_t length = left_.size();
    if (length == 0) {
      std::fill(left.begin(), left.end(), 0.0f);
      std::fill(right.begin(), right.end(), 0.0f);
      return;
    }
    const std::vector<float>& rightSource = right_.empty() ? left_ : right_;
    std::size_t at = static_cast<std::size_t>(first % static_cast<std::int64_t>(length));
    for (std::size_t i = 0; i < left.size();) {
      const std::size_t run = std::min(left.size() - i, length - at);
      std::copy_n(left_.begin() + at, run, left.begin() + i);
      std::copy_n(rightSource.begin() + at, run, right.begin() + i);
      i += run;
      at = 0;
    }
  }

 private:
  void Load() const {
    SF_INFO info{};
    SNDFILE* sound = sf_open(file_.c_str(), SFM_READ, &info);
    if (!sound) return;
    const int channels = info.channels;
    std::vector<float> interleaved(static_cast<std::size_t>(info.frames) * channels);
    const sf_count_t frames = sf_readf_float(sound, interleaved.data(), info.frames);
    sf_close(sound);
    interleaved.resize(static_cast<std::size_t>(std::max<sf_count_t>(frames, 0)) * channels);
    if (info.samplerate != kRate) interleaved = ResampleTo48k(interleaved, channels, info.samplerate);
    const std::size_t count = interleaved.size() / channels;
    left_.resize(count);
    if (channels > 1) right_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
      left_[i] = interleaved[i * channels];
      if (channels > 1) right_[i] = interleaved[i * channels + 1];
    }
  }

  std::filesystem::path file_;
  mutable std::once_flag loaded_;
  mutable std::vector<float> left_, right_;  // right_ empty for a mono file
};

}  // namespace

std::string CheckProgrammeFile(const std::filesystem::path& file) {
  SF_INFO info{};
  SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &info);
  if (!sound) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return "the programme " + file.string() + " does not exist";
    return "the programme " + file.string() + " cannot be read: " + sf_strerror(nullptr);
  }
  sf_close(sound);
  if (info.frames <= 0) return "the programme " + file.string() + " holds no sound";
  if (info.samplerate < 1000 || info.samplerate > 384000)
    return "the programme " + file.string() + " has an unplayable rate of " + std::to_string(info.samplerate) + " Hz";
  // Decoded whole at 48 kHz: keep that within reason.
  if (double(info.frames) / info.samplerate * info.channels > 20.0 * 60 * 2)
    return "the programme " + file.string() + " is too long (at most 20 minutes of stereo)";
  return {};
}

std::unique_ptr<Programme> MakeFileProgramme(const std::filesystem::path& file) {
  return std::make_unique<FileProgramme>(file);
}

std::vector<std::unique_ptr<Programme>> MakeProgrammes(const Scene& scene) {
  std::vector<std::unique_ptr<Programme>> programmes;
  for (const Station& station : scene.stations())
    programmes.push_back(station.audio.empty() ? MakeBuiltInProgramme(station) : MakeFileProgramme(station.audio));
  return programmes;
}

}  // namespace hw
