#include "hardware/cards/Receiver.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "hardware/cards/Noise.h"

namespace hw {
namespace {

struct Point {
  double x, y;
};

// Linear between the points, flat beyond the last; before the first it
// goes on with the first segment's slope.
template <std::size_t N>
double Interpolate(const Point (&curve)[N], double x) {
  if (x >= curve[N - 1].x) return curve[N - 1].y;
  std::size_t i = 1;
  while (i < N - 1 && x > curve[i].x) ++i;
  const Point& a = curve[i - 1];
  const Point& b = curve[i];
  return a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
}

// Channel filter loss in levels against the offset in kHz.
constexpr Point kSelectivity[] = {{0, 0},      {25, 0.6},   {50, 2.3},   {75, 4.8},  {100, 7.6},
                                  {150, 10.6}, {200, 13.0}, {300, 16.0}, {400, 18.0}, {500, 20.0}};

// Signal-to-noise ratio of the programme in dB against the level.
constexpr Point kQuieting[] = {{0, -10}, {1, -3},  {2, 4},   {3, 11},  {4, 17},  {5, 23},  {6, 29},  {7, 34},
                               {8, 39},  {9, 44},  {10, 48}, {11, 52}, {12, 55}, {13, 58}, {14, 60}, {15, 62}};

constexpr std::int64_t kReachHz = 500'000;  // beyond it the filter lets nothing through
constexpr double kNegligibleLevels = -6.0;
constexpr double kDominanceLevels = 1.5;
constexpr std::int64_t kPilotRangeHz = 40'000;
constexpr int kWeakLevel = 8;
constexpr Receiver::Micros kFadeSlotUs = 300'000;
constexpr Receiver::Micros kCounterSlotUs = 1'000;

double PowerOf(double level) { return std::pow(10.0, 0.4 * level); }
double LevelOf(double power) { return std::log10(power) / 0.4; }

void Insert(Reception& r, const Heard& h) {
  int at = r.count;
  while (at > 0 && r.heard[at - 1].level < h.level) --at;
  if (at >= Reception::kMaxHeard) return;
  const int last = std::min(r.count, Reception::kMaxHeard - 1);
  for (int i = last; i > at; --i) r.heard[i] = r.heard[i - 1];
  r.heard[at] = h;
  r.count = std::min(r.count + 1, Reception::kMaxHeard);
}

}  // namespace

Receiver::Receiver(Scene scene, std::uint64_t seed) : scene_(std::move(scene)), seed_(seed) {}

double Receiver::SelectivityLevels(std::int64_t offsetHz) {
  return Interpolate(kSelectivity, double(std::llabs(offsetHz)) / 1000.0);
}

double Receiver::QuietingDb(double level) { return Interpolate(kQuieting, level); }

double Receiver::SeparationDb(double level) { return std::clamp(6.0 + 5.0 * (level - kStereoLevel), 6.0, 45.0); }

double Receiver::Fade(int station, Micros t) const {
  const Station& s = scene_.stations()[std::size_t(station)];
  const double u = noise::Smooth(seed_, noise::kFading, std::uint64_t(s.hz), t, kFadeSlotUs);
  return s.level <= kWeakLevel ? 2.0 * (2.0 * u - 1.0) : -0.85 * u;
}

void Receiver::Collect(std::int64_t centreHz, bool image, int offsetSign, double extraLoss, Micros t, Reception& r,
                       double& power) const {
  const auto& stations = scene_.stations();
  auto first = std::lower_bound(stations.begin(), stations.end(), centreHz - kReachHz,
                                [](const Station& s, std::int64_t hz) { return s.hz < hz; });
  for (auto it = first; it != stations.end() && it->hz <= centreHz + kReachHz; ++it) {
    const std::int64_t offset = it->hz - centreHz;
    const int index = int(std::distance(stations.begin(), it));
    const double level = it->level + Fade(index, t) - SelectivityLevels(offset) - extraLoss;
    if (level < kNegligibleLevels) continue;
    power += PowerOf(level);
    Insert(r, {index, level, double(offsetSign * offset), image});
  }
}

Reception Receiver::Receive(std::int64_t tunedHz, bool highSide, bool mono, Micros t) const {
  Reception r;
  double power = 1.0;  // the noise floor, level 0
  Collect(tunedHz, false, highSide ? -1 : 1, 0.0, t, r, power);
  const std::int64_t imageHz = highSide ? tunedHz + kImageOffsetHz : tunedHz - kImageOffsetHz;
  Collect(imageHz, true, highSide ? 1 : -1, kImageRejectionLevels, t, r, power);
  r.level = LevelOf(power);
  r.reportedLevel = std::clamp(int(std::lround(r.level)), 0, 15);
  if (r.count == 0) return r;
  const Heard& top = r.heard[0];
  const double rest = std::max(power - PowerOf(top.level), 1.0);
  r.dominated = top.level - LevelOf(rest) >= kDominanceLevels;
  const Station& station = scene_.stations()[std::size_t(top.station)];
  r.stereo = r.dominated && station.stereo && !mono && std::abs(top.ifOffsetHz) <= kPilotRangeHz &&
             r.reportedLevel >= kStereoLevel;
  if (r.stereo) r.separationDb = SeparationDb(top.level);
  return r;
}

int Receiver::IfCounter(const Reception& r, Micros t) const {
  const std::uint64_t slot = t / kCounterSlotUs;
  if (!r.dominated) return int(noise::Hash(seed_, noise::kIfErratic, slot) % 128);
  const double jitter = (noise::Unit(noise::Hash(seed_, noise::kIfJitter, slot)) - 0.5) * 0.8;
  const double count = std::floor(56.5 + r.heard[0].ifOffsetHz / 8000.0 + jitter);
  return std::clamp(int(count), 0, 127);
}

}  // namespace hw
