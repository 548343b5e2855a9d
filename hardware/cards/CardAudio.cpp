#include "hardware/cards/CardAudio.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "hardware/cards/Noise.h"

namespace hw {
namespace {

constexpr int kBlockFrames = 48;    // reception is worked out once a millisecond
constexpr int kChunkFrames = 4800;  // rendered 100 ms at a time
constexpr int kMaxStations = 8;     // different stations heard in one chunk
constexpr std::int64_t kKeptFrames = 10 * AudioSource::kRate;
constexpr double kInaudible = 1e-5;

// Bright noise, the same at a frame whenever it is asked: hashed white
// noise (a sum of three uniforms) through a short low-pass.
class Hiss {
 public:
  Hiss(std::uint64_t seed, std::uint64_t stream) : seed_(seed), stream_(stream) {}
  void Render(std::int64_t first, int count, float* out) const {
    double w2 = White(first - 2), w1 = White(first - 1);
    for (int i = 0; i < count; ++i) {
      const double w0 = White(first + i);
      out[i] = float(kScale * (0.25 * w2 + 0.5 * w1 + 0.25 * w0));
      w2 = w1;
      w1 = w0;
    }
  }

 private:
  // Variance of the sum 0.25, through the filter 0.375 of that.
  static constexpr double kScale = CardAudio::kHissRms / 0.30619;
  double White(std::int64_t frame) const {
    const std::uint64_t h = noise::Hash(seed_, stream_, std::uint64_t(frame));
    constexpr double kUnit = 1.0 / double(1 << 21);
    return double(h & 0x1FFFFF) * kUnit + double((h >> 21) & 0x1FFFFF) * kUnit +
           double((h >> 42) & 0x1FFFFF) * kUnit - 1.5;
  }
  std::uint64_t seed_, stream_;
};

// One station's share of a millisecond: its weight, and how much of each
// side goes to the left (same for the right, the other way round).
struct Share {
  int slot = -1;  // which of the chunk's stations
  double amp = 0;
  double same = 0.5, cross = 0.5;
};

struct BlockMix {
  std::array<Share, Reception::kMaxHeard> shares{};
  int count = 0;
  double hiss = 1.0;
  double hissSpread = 0;  // stereo hiss: how far the sides differ
};

}  // namespace

double CardAudio::VolumeDb(int position) {
  if (position <= 0) return -std::numeric_limits<double>::infinity();
  return -28.0 + 4.0 * (std::min(position, 8) - 1);
}

double CardAudio::Entry::GainAt(std::int64_t f) const {
  if (f <= frame) return gainAtStart;
  const double progress = double(f - frame) / kRampFrames;
  return progress >= 1.0 ? target : gainAtStart + (target - gainAtStart) * progress;
}

CardAudio::CardAudio(std::shared_ptr<const Receiver> receiver, std::vector<std::unique_ptr<Programme>> programmes)
    : receiver_(std::move(receiver)), programmes_(std::move(programmes)) {}

void CardAudio::Change(std::uint64_t atUs, const AudioState& next) {
  const std::int64_t frame = FrameAt(atUs);
  std::lock_guard lock(mutex_);
  AudioState state = next;
  while (!history_.empty() && history_.back().frame > frame) history_.pop_back();
  double gain = history_.empty() ? 0.0 : history_.back().GainAt(frame);
  if (!history_.empty() && history_.back().frame == frame) {
    gain = history_.back().gainAtStart;
    history_.pop_back();
  }
  if (!history_.empty() && !state.audible) {
    // Falling silent, the ramp down still plays what was heard.
    const AudioState& before = history_.back().state;
    state.tunedHz = before.tunedHz;
    state.highSide = before.highSide;
    state.mono = before.mono;
  }
  if (!history_.empty() && history_.back().state == state) return;
  const double target = state.audible ? std::pow(10.0, VolumeDb(state.volume) / 20.0) : 0.0;
  history_.push_back({frame, state, gain, target});
  Prune(frame);
}

void CardAudio::HoldFrom(std::optional<std::int64_t> frame) {
  std::lock_guard lock(mutex_);
  hold_ = frame;
}

void CardAudio::Prune(std::int64_t latestFrame) {
  std::int64_t keep = latestFrame - kKeptFrames;
  if (hold_) keep = std::min(keep, *hold_);
  auto firstKept = history_.begin();
  while (firstKept + 1 < history_.end() && (firstKept + 1)->frame <= keep) ++firstKept;
  history_.erase(history_.begin(), firstKept);
}

void CardAudio::Render(std::int64_t first, std::span<float> out) const {
  std::fill(out.begin(), out.end(), 0.0f);
  const std::int64_t end = first + std::int64_t(out.size() / 2);
  std::vector<Entry> entries;
  {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < history_.size(); ++i) {
      const bool last = i + 1 == history_.size();
      if (!last && history_[i + 1].frame <= first) continue;
      if (history_[i].frame >= end) break;
      entries.push_back(history_[i]);
    }
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    const std::int64_t from = std::max(first, e.frame);
    const std::int64_t to = i + 1 < entries.size() ? std::min(end, entries[i + 1].frame) : end;
    // Silent once its ramp is done: nothing to render.
    const std::int64_t audibleTo = e.target == 0 ? std::min(to, e.frame + kRampFrames) : to;
    if (e.target == 0 && e.gainAtStart == 0) continue;
    for (std::int64_t at = from; at < audibleTo; at += kChunkFrames) {
      const int count = int(std::min<std::int64_t>(kChunkFrames, audibleTo - at));
      float* chunk = out.data() + 2 * (at - first);
      RenderRadio(at, count, e.state, chunk);
      for (int f = 0; f < count; ++f) {
        const float g = float(e.GainAt(at + f));
        chunk[2 * f] *= g;
        chunk[2 * f + 1] *= g;
      }
    }
  }
}

void CardAudio::RenderRadio(std::int64_t first, int count, const AudioState& state, float* out) const {
  // Who is heard how, a millisecond at a time.
  std::array<int, kMaxStations> stations{};
  int stationCount = 0;
  auto slotOf = [&](int station) {
    for (int i = 0; i < stationCount; ++i)
      if (stations[std::size_t(i)] == station) return i;
    if (stationCount == kMaxStations) return -1;
    stations[std::size_t(stationCount)] = station;
    return stationCount++;
  };
  const std::int64_t firstBlock = first / kBlockFrames;
  const std::int64_t lastBlock = (first + count - 1) / kBlockFrames;
  std::vector<BlockMix> blocks(std::size_t(lastBlock - firstBlock + 1));
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    const std::uint64_t t = std::uint64_t(firstBlock + std::int64_t(b)) * 1000;  // 48 frames a millisecond
    const Reception r = receiver_->Receive(state.tunedHz, state.highSide, state.mono, t);
    BlockMix& mix = blocks[b];
    std::array<double, Reception::kMaxHeard> power{};
    double total = 1.0;  // the hiss
    for (int i = 0; i < r.count; ++i) {
      power[std::size_t(i)] = std::pow(10.0, Receiver::QuietingDb(r.heard[std::size_t(i)].level) / 10.0);
      total += power[std::size_t(i)];
    }
    mix.hiss = std::sqrt(1.0 / total);
    double spread = 0;
    if (r.stereo) {
      const double g = std::pow(10.0, r.separationDb / 20.0);
      spread = (g - 1.0) / (g + 1.0);
      mix.hissSpread = spread;
    }
    for (int i = 0; i < r.count; ++i) {
      const double amp = std::sqrt(power[std::size_t(i)] / total);
      if (amp < kInaudible) continue;
      const int slot = slotOf(r.heard[std::size_t(i)].station);
      if (slot < 0) continue;
      const double side = i == 0 ? spread : 0.0;  // only the pilot's station is decoded in stereo
      mix.shares[std::size_t(mix.count++)] = {slot, amp, (1.0 + side) / 2.0, (1.0 - side) / 2.0};
    }
  }
  // The programmes and the hiss for the whole span.
  std::vector<float> left(std::size_t(count) * std::size_t(std::max(stationCount, 1)));
  std::vector<float> right(left.size());
  for (int s = 0; s < stationCount; ++s) {
    const std::size_t at = std::size_t(s) * std::size_t(count);
    programmes_[std::size_t(stations[std::size_t(s)])]->Render(
        first, std::span(left).subspan(at, std::size_t(count)), std::span(right).subspan(at, std::size_t(count)));
  }
  std::vector<float> hiss(static_cast<std::size_t>(count)), hissSide(static_cast<std::size_t>(count));
  Hiss(receiver_->seed(), noise::kHissMono).Render(first, count, hiss.data());
  const bool stereoHiss = std::any_of(blocks.begin(), blocks.end(), [](const BlockMix& m) { return m.hissSpread > 0; });
  if (stereoHiss) Hiss(receiver_->seed(), noise::kHissStereo).Render(first, count, hissSide.data());
  for (int f = 0; f < count; ++f) {
    const BlockMix& mix = blocks[std::size_t((first + f) / kBlockFrames - firstBlock)];
    double l = mix.hiss * (hiss[std::size_t(f)] + mix.hissSpread * hissSide[std::size_t(f)]);
    double r = mix.hiss * (hiss[std::size_t(f)] - mix.hissSpread * hissSide[std::size_t(f)]);
    for (int i = 0; i < mix.count; ++i) {
      const Share& share = mix.shares[std::size_t(i)];
      const std::size_t at = std::size_t(share.slot) * std::size_t(count) + std::size_t(f);
      const double pl = left[at], pr = right[at];
      l += share.amp * (share.same * pl + share.cross * pr);
      r += share.amp * (share.cross * pl + share.same * pr);
    }
    out[2 * f] = float(l);
    out[2 * f + 1] = float(r);
  }
}

}  // namespace hw
