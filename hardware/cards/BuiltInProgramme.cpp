// The built-in programme: a small band playing a four-bar tune over and
// over in a pentatonic key of the station's own: a melody in eighth
// notes, a bass on the beats, a chord pad a bar long and a tick on the
// off-beats. Everything is drawn once from a hash of the station's
// frequency and name, and every note is a closed function of the frame
// number, so any span of frames renders alike whenever it is asked for.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "hardware/cards/Noise.h"
#include "hardware/cards/Programme.h"

namespace hw {
namespace {

constexpr int kChunk = 1024;
constexpr int kPhraseBars = 4;
constexpr int kEighthsPerBar = 8;
constexpr int kRest = -1;

constexpr int kMajor[5] = {0, 2, 4, 7, 9};
constexpr int kMinor[5] = {0, 3, 5, 7, 10};

// A note's loudness over its life: a linear attack, an exponential
// decay and a linear release into the end of its slot, so notes never
// click.
struct Envelope {
  double attack = 0;   // frames
  double decay = 0;    // frames for a fall to 1/e; 0 holds
  double release = 0;  // frames
};

// Adds amp * envelope * sum of partials for frames [j0, j0 + count) of a
// note lasting `length` frames at `hz`.
void AddNote(float* out, int count, std::int64_t j0, std::int64_t length, double hz, std::span<const double> partials,
             const Envelope& env, double amp) {
  const double fall = env.decay > 0 ? std::exp(-1.0 / env.decay) : 1.0;
  double level = env.decay > 0 ? std::exp(-double(j0) / env.decay) : 1.0;
  std::array<double, kChunk> shape;
  for (int i = 0; i < count; ++i) {
    const double j = double(j0 + i);
    const double edge = std::min({1.0, env.attack > 0 ? j / env.attack : 1.0,
                                  env.release > 0 ? (double(length) - j) / env.release : 1.0});
    shape[std::size_t(i)] = amp * level * std::max(edge, 0.0);
    level *= fall;
  }
  for (std::size_t k = 0; k < partials.size(); ++k) {
    const double w = 2.0 * std::numbers::pi * hz * double(k + 1) / Programme::kRate;
    if (w >= std::numbers::pi || partials[k] == 0) continue;  // above the band
    double c = std::cos(w * double(j0)), s = std::sin(w * double(j0));
    const double cw = std::cos(w), sw = std::sin(w);
    for (int i = 0; i < count; ++i) {
      out[i] += float(shape[std::size_t(i)] * partials[k] * s);
      const double nc = c * cw - s * sw;
      s = s * cw + c * sw;
      c = nc;
    }
  }
}

double Midi(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

class BuiltInProgramme : public Programme {
 public:
  explicit BuiltInProgramme(const Station& station) : stereo_(station.stereo) {
    std::uint64_t h = noise::Mix(std::uint64_t(station.hz));
    for (char ch : station.name) h = noise::Mix(h ^ std::uint8_t(ch));
    seed_ = h;
    auto draw = [this, n = std::uint64_t{0}](int range) mutable {
      return int(noise::Hash(seed_, 0, n++) % std::uint64_t(range));
    };
    root_ = 45 + draw(12);
    scale_ = draw(2) ? kMinor : kMajor;
    const int bpm = 76 + draw(15) * 5;  // 76..146
    eighth_ = Programme::kRate * 60 / bpm / 2;
    constexpr int kProgressions[4][kPhraseBars] = {{0, 3, 1, 4}, {0, 4, 3, 0}, {0, 2, 3, 4}, {0, 1, 4, 3}};
    const int* progression = kProgressions[draw(4)];
    std::copy_n(progression, kPhraseBars, chords_.begin());
    for (int i = 0; i < kPhraseBars * kEighthsPerBar; ++i) {
      const int chord = chords_[std::size_t(i / kEighthsPerBar)];
      static constexpr int kChordTones[4] = {0, 2, 3, 5};
      phrase_[std::size_t(i)] = draw(10) < 3 && i % 4 != 0 ? kRest : chord + kChordTones[draw(4)];
    }
    const double bright = 0.2 + 0.6 * draw(100) / 100.0;
    melodyPartials_ = {1.0, bright, bright * bright * 0.6};
    const double sum = melodyPartials_[0] + melodyPartials_[1] + melodyPartials_[2];
    for (double& p : melodyPartials_) p /= sum;
    melodyDecay_ = Programme::kRate * (0.08 + 0.3 * draw(100) / 100.0);
  }

  void Render(std::int64_t first, std::span<float> left, std::span<float> right) const override {
    for (std::size_t done = 0; done < left.size(); done += kChunk) {
      const int count = int(std::min<std::size_t>(kChunk, left.size() - done));
      RenderChunk(first + std::int64_t(done), count, left.data() + done, right.data() + done);
    }
  }

 private:
  // A scale degree (any integer) as a semitone above the root.
  int Semitones(int degree) const {
    const int octave = degree >= 0 ? degree / 5 : (degree - 4) / 5;
    return scale_[degree - octave * 5] + 12 * octave;
  }

  int Bar(std::int64_t eighth) const { return int((eighth / kEighthsPerBar) % kPhraseBars); }

  // Each slot of `slot` frames from frame `a` for `count` frames: calls
  // note(slotIndex, j0, n, out) with the slot's local start j0 and run n.
  template <class Note>
  static void Slots(std::int64_t a, int count, std::int64_t slot, float* out, Note note) {
    for (std::int64_t k = a / slot; k * slot < a + count; ++k) {
      const std::int64_t start = std::max(a, k * slot);
      const std::int64_t end = std::min(a + count, (k + 1) * slot);
      note(k, start - k * slot, int(end - start), out + (start - a));
    }
  }

  void RenderChunk(std::int64_t a, int count, float* left, float* right) const {
    std::array<float, kChunk> melody{}, bass{}, pad{}, tick{};
    const std::int64_t e = eighth_;
    const Envelope pluck{0.004 * kRate, melodyDecay_, 0.01 * kRate};
    Slots(a, count, e, melody.data(), [&](std::int64_t k, std::int64_t j0, int n, float* out) {
      const int degree = phrase_[std::size_t(k % (kPhraseBars * kEighthsPerBar))];
      if (degree == kRest) return;
      AddNote(out, n, j0, e, Midi(root_ + 24 + Semitones(degree)), melodyPartials_, pluck, 0.30);
    });
    static constexpr double kBassPartials[] = {0.8, 0.2};
    const Envelope thump{0.006 * kRate, 0.25 * kRate, 0.02 * kRate};
    Slots(a, count, 2 * e, bass.data(), [&](std::int64_t k, std::int64_t j0, int n, float* out) {
      const int chord = chords_[std::size_t(Bar(2 * k))];
      const int degree = k % 2 == 0 ? chord : chord + 3;  // root, then fifth
      AddNote(out, n, j0, 2 * e, Midi(root_ + Semitones(degree)), kBassPartials, thump, 0.26);
    });
    static constexpr double kPadPartials[] = {1.0};
    const Envelope swell{0.15 * kRate, 0, 0.15 * kRate};
    Slots(a, count, kEighthsPerBar * e, pad.data(), [&](std::int64_t k, std::int64_t j0, int n, float* out) {
      const int chord = chords_[std::size_t(k % kPhraseBars)];
      for (int tone : {0, 1, 3})
        AddNote(out, n, j0, kEighthsPerBar * e, Midi(root_ + 12 + Semitones(chord + tone)), kPadPartials, swell, 0.05);
    });
    Slots(a, count, e, tick.data(), [&](std::int64_t k, std::int64_t j0, int n, float* out) {
      if (k % 2 == 0) return;
      for (int i = 0; i < n; ++i) {
        const double j = double(j0 + i);
        if (j > 0.04 * kRate) break;
        const double white = noise::Unit(noise::Hash(seed_, 1, std::uint64_t(a + (out - tick.data()) + i))) - 0.5;
        out[i] += float(0.09 * white * std::exp(-j / (0.012 * kRate)));
      }
    });
    // A stereo station has its melody to the left and its bass to the
    // right; a mono one has everything in the middle.
    // Loud enough to peak near -3 dBFS at the card's top volume.
    constexpr double kLoud = 2.0;
    const double melodyL = kLoud * (stereo_ ? 0.9 : 0.6), melodyR = kLoud * (stereo_ ? 0.25 : 0.6);
    const double bassL = kLoud * (stereo_ ? 0.25 : 0.6), bassR = kLoud * (stereo_ ? 0.9 : 0.6);
    for (int i = 0; i < count; ++i) {
      const double common = kLoud * 0.6 * (pad[std::size_t(i)] + tick[std::size_t(i)]);
      left[i] = float(melodyL * melody[std::size_t(i)] + bassL * bass[std::size_t(i)] + common);
      right[i] = float(melodyR * melody[std::size_t(i)] + bassR * bass[std::size_t(i)] + common);
    }
  }

  bool stereo_;
  std::uint64_t seed_ = 0;
  int root_ = 48;
  const int* scale_ = kMajor;
  std::int64_t eighth_ = 12000;
  std::array<int, kPhraseBars> chords_{};
  std::array<int, kPhraseBars * kEighthsPerBar> phrase_{};
  std::array<double, 3> melodyPartials_{};
  double melodyDecay_ = 0;
};

}  // namespace

std::unique_ptr<Programme> MakeBuiltInProgramme(const Station& station) {
  return std::make_unique<BuiltInProgramme>(station);
}

}  // namespace hw
