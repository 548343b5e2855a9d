// What the tuner card's front end receives: the radio environment seen
// through the card's channel filter, its mixer and its detectors, as pure
// functions of the scene, a seed and the clock time.
//
// Levels are the chip's own unit, the one its status reports (0..15):
// one level is 4 dB of signal at the antenna, level 0 the noise floor. A
// station's scene LEVEL is what the card reports tuned exactly to it on a
// clean channel, at the top of its fading.
//
// Channel filter (selectivity): a station off the tuned frequency is
// received this many levels down, linear in between:
//   offset kHz   0    25   50   75  100   150   200  300  400  >=500
//   levels      0   0.6  2.3  4.8  7.6  10.6    13   16   18     20
//   dB          0   2.4  9.2   19   30    42    52   64   72     80
// so a level-15 station reads 7 one channel (100 kHz) away, enough to
// stop the chip's search there, a level-14 one 6, and both under 3 two
// channels away.
//
// Image: the mixer also hears the image frequency, 2 x 225 kHz from the
// tuned one on the side of the oscillator's opposite: below with low-side
// injection, above with high-side. A station there is received at its
// level minus the image rejection, 6 levels (24 dB), through the same
// filter, and heard with its own programme.
//
// Fading: a station fades slowly (a new value every 300 ms, joined
// smoothly). A weak station (LEVEL 8 or less) swings within +-2 levels of
// its LEVEL, so two readings a few hundred ms apart may differ by 3 or 4;
// a strong one only dips, by at most 0.85 of a level, so it reads LEVEL or
// one less and never more.
//
// IF counter: reads the dominant carrier's offset from the IF centre,
// 56.5 + offset / 8 kHz, rounded down, with a jitter of +-0.4: 54..59
// within 16 kHz below to 20 kHz above the carrier (53 at times from 17 kHz
// below), far outside (44 or 69) 100 kHz away. Where no
// carrier dominates (nothing 1.5 levels above everything else received
// and the noise), it reads a new erratic value 0..127 every millisecond.
//
// Stereo: the pilot is decoded when the dominant carrier is a stereo
// station within 40 kHz of the tuned frequency, the reported level is 7
// or more and mono is not forced. Separation then grows with the level
// (blend): 6 dB at level 7, 5 dB more a level, 45 dB at most (21 dB at
// level 10, 31 dB at 12).
//
// Quieting (what is heard): a programme's signal-to-noise ratio in dB
// against the received level, linear in between, 62 dB at most:
//   level   0    1   2   3   4   5   6   7   8   9  10  11  12  13  14  15
//   S/N dB -10  -3   4  11  17  23  29  34  39  44  48  52  55  58  60  62
// With nothing received the noise is the full hiss of an untuned radio.
#pragma once

#include <array>
#include <cstdint>

#include "hardware/cards/Scene.h"

namespace hw {

// One station as the front end hears it.
struct Heard {
  int station = -1;        // index into the scene's stations
  double level = 0;        // received level, in levels
  double ifOffsetHz = 0;   // its carrier's offset from the IF centre
  bool image = false;      // received at the image frequency
};

struct Reception {
  static constexpr int kMaxHeard = 4;
  std::array<Heard, kMaxHeard> heard{};  // strongest first
  int count = 0;
  double level = 0;        // all that is received, with the noise floor
  int reportedLevel = 0;   // what the status reports, 0..15
  bool dominated = false;  // heard[0] stands out from the rest and the noise
  bool stereo = false;     // the pilot is decoded
  double separationDb = 0; // when stereo
};

class Receiver {
 public:
  using Micros = std::uint64_t;
  static constexpr double kImageRejectionLevels = 6.0;
  static constexpr std::int64_t kImageOffsetHz = 450'000;
  static constexpr int kStereoLevel = 7;
  static constexpr std::uint64_t kDefaultSeed = 1;

  Receiver(Scene scene, std::uint64_t seed);

  // What the front end receives tuned to tunedHz at time t.
  Reception Receive(std::int64_t tunedHz, bool highSide, bool mono, Micros t) const;
  // The IF counter's reading of that reception at time t.
  int IfCounter(const Reception& reception, Micros t) const;

  // A station's fading at time t, in levels (added to its LEVEL).
  double Fade(int station, Micros t) const;

  static double SelectivityLevels(std::int64_t offsetHz);
  static double QuietingDb(double level);
  static double SeparationDb(double level);

  const Scene& scene() const { return scene_; }
  std::uint64_t seed() const { return seed_; }

 private:
  // Adds the stations within the filter's reach of centreHz.
  void Collect(std::int64_t centreHz, bool image, int offsetSign, double extraLoss, Micros t, Reception& r,
               double& power) const;

  Scene scene_;
  std::uint64_t seed_;
};

}  // namespace hw
