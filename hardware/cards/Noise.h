// Deterministic randomness for the radio environment: every random value
// is a hash of the seed, what it is for (a stream), and where it sits (a
// station, a time slot, a sample index). A value never depends on what
// was asked before it, so the card reads and sounds the same whatever
// order and however often it is asked.
#pragma once

#include <cstdint>

namespace hw::noise {

// What a value is for; each use draws from its own stream.
enum Stream : std::uint64_t {
  kFading = 1,
  kIfJitter = 2,
  kIfErratic = 3,
  kHissMono = 4,
  kHissStereo = 5,
};

// A 64-bit mixing function with full avalanche.
constexpr std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

constexpr std::uint64_t Hash(std::uint64_t seed, std::uint64_t stream, std::uint64_t a, std::uint64_t b = 0) {
  return Mix(seed ^ Mix(stream ^ Mix(a ^ Mix(b))));
}

// Uniform in [0, 1).
constexpr double Unit(std::uint64_t h) { return double(h >> 11) * 0x1.0p-53; }

// Slow noise in [0, 1]: an independent uniform value at every slot
// boundary, joined by smoothstep curves, so it wanders without steps.
inline double Smooth(std::uint64_t seed, std::uint64_t stream, std::uint64_t which, std::uint64_t t,
                     std::uint64_t slot) {
  const std::uint64_t k = t / slot;
  const double f = double(t % slot) / double(slot);
  const double a = Unit(Hash(seed, stream, which, k));
  const double b = Unit(Hash(seed, stream, which, k + 1));
  const double s = f * f * (3.0 - 2.0 * f);
  return a + (b - a) * s;
}

}  // namespace hw::noise
