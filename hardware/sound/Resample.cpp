#include "hardware/sound/Resample.h"

#include <samplerate.h>

#include "hardware/sound/AudioSource.h"

namespace hw {

std::vector<float> ResampleTo48k(std::span<const float> interleaved, int channels, int fromRate) {
  const std::size_t frames = interleaved.size() / std::size_t(channels);
  const double ratio = double(AudioSource::kRate) / fromRate;
  // Room for the rounding of the converter's output count.
  std::vector<float> out((std::size_t(double(frames) * ratio) + 16) * std::size_t(channels));
  SRC_DATA data{};
  data.data_in = interleaved.data();
  data.input_frames = long(frames);
  data.data_out = out.data();
  data.output_frames = long(out.size() / std::size_t(channels));
  data.src_ratio = ratio;
  if (src_simple(&data, SRC_SINC_MEDIUM_QUALITY, channels) != 0) return {};
  out.resize(std::size_t(data.output_frames_gen) * std::size_t(channels));
  return out;
}

}  // namespace hw
