#include "Chime.h"

#include <cmath>
#include <cstdint>
#include <numbers>

#include "Image.h"

namespace artwork {

namespace {

// A bell-like note starting at `start` seconds: a quick attack, an
// exponential decay and a faint octave partial.
double Note(double t, double start, double frequency) {
  double local = t - start;
  if (local < 0) return 0;
  double attack = std::min(1.0, local / 0.004);
  double envelope = attack * std::exp(-local * 14.0);
  double phase = 2 * std::numbers::pi * frequency * local;
  return envelope * (std::sin(phase) + 0.25 * std::sin(2 * phase));
}

}  // namespace

std::string Chime() {
  const int frames = int(kChimeRate * kChimeSeconds);
  std::string samples;
  for (int i = 0; i < frames; ++i) {
    double t = double(i) / kChimeRate;
    double fadeOut = std::min(1.0, (frames - i) / (0.02 * kChimeRate));  // no click at the end
    double v = (0.6 * Note(t, 0.0, 1046.5) + 0.6 * Note(t, 0.09, 1568.0)) * fadeOut;
    auto sample = std::int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 14000));
    PutLittleEndian(samples, std::uint16_t(sample), 2);
  }
  std::string wav = "RIFF";
  PutLittleEndian(wav, std::uint32_t(36 + samples.size()), 4);
  wav += "WAVEfmt ";
  PutLittleEndian(wav, 16, 4);
  PutLittleEndian(wav, 1, 2);  // PCM
  PutLittleEndian(wav, 1, 2);  // mono
  PutLittleEndian(wav, kChimeRate, 4);
  PutLittleEndian(wav, kChimeRate * 2, 4);
  PutLittleEndian(wav, 2, 2);
  PutLittleEndian(wav, 16, 2);
  wav += "data";
  PutLittleEndian(wav, std::uint32_t(samples.size()), 4);
  return wav + samples;
}

}  // namespace artwork
