// Listening by numbers: the power of a tone in one side of a 48 kHz
// recording, the power of everything else, digital silence, and the files
// that carry test tones.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <numbers>
#include <span>
#include <string>
#include <vector>

#include "hardware/sound/Recorder.h"

namespace tones {

// One side (0 left, 1 right) of interleaved stereo, full scale 1.
inline std::vector<double> Side(std::span<const std::int16_t> stereo, int side) {
  std::vector<double> out(stereo.size() / 2);
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = stereo[2 * i + std::size_t(side)] / 32768.0;
  return out;
}

inline double MeanSquare(const std::vector<double>& x) {
  double sum = 0;
  for (double v : x) sum += v * v;
  return x.empty() ? 0 : sum / double(x.size());
}
// The same for samples as a programme renders them, full scale 1.
inline double MeanSquare(std::span<const float> x) {
  double sum = 0;
  for (float v : x) sum += double(v) * v;
  return x.empty() ? 0 : sum / double(x.size());
}

// Every sample zero: digital silence, not merely quiet.
inline bool Silent(std::span<const std::int16_t> samples) {
  return std::all_of(samples.begin(), samples.end(), [](std::int16_t v) { return v == 0; });
}

// The mean-square power of the part of x within 10 Hz of hz (x is a whole
// number of seconds long, so every whole hertz is a bin of its own).
inline double TonePower(const std::vector<double>& x, double hz, int rate = 48000) {
  double power = 0;
  for (double f = hz - 10; f <= hz + 10; f += 1) {
    // Goertzel's recurrence for the one bin.
    const double c = 2 * std::cos(2 * std::numbers::pi * f / rate);
    double s1 = 0, s2 = 0;
    for (double v : x) {
      const double s0 = v + c * s1 - s2;
      s2 = s1;
      s1 = s0;
    }
    const double magnitude = s1 * s1 + s2 * s2 - c * s1 * s2;
    power += 2 * magnitude / (double(x.size()) * double(x.size()));
  }
  return power;
}

inline double Db(double powerRatio) { return 10 * std::log10(powerRatio); }

// A wave file of sine tones: one frequency a side (one for a mono file),
// at amplitude 0.25, whole seconds long.
inline void WriteTones(const std::filesystem::path& file, int rate, std::vector<double> hz, int seconds = 2) {
  std::string error;
  auto writer = hw::WaveWriter::Create(file, rate, int(hz.size()), error);
  if (!writer) throw std::runtime_error(error);
  std::vector<std::int16_t> samples(std::size_t(rate) * std::size_t(seconds) * hz.size());
  for (std::size_t n = 0; n < samples.size() / hz.size(); ++n)
    for (std::size_t c = 0; c < hz.size(); ++c)
      samples[n * hz.size() + c] =
          std::int16_t(std::lround(0.25 * 32767 * std::sin(2 * std::numbers::pi * hz[c] * double(n) / rate)));
  writer->Write(samples);
}

}  // namespace tones
