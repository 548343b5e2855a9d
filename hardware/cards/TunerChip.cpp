#include "hardware/cards/TunerChip.h"

#include <algorithm>
#include <cstdlib>

namespace hw {
namespace {

bool Bit(std::uint8_t byte, int bit) { return (byte >> bit) & 1; }

}  // namespace

std::int64_t TunerChip::TunedHzOf(std::uint16_t pll, bool highSide) {
  std::int64_t oscillator = std::int64_t{pll} * kPllStepHz;
  return highSide ? oscillator - kIfHz : oscillator + kIfHz;
}

std::uint16_t TunerChip::PllOf(std::int64_t hz, bool highSide) {
  std::int64_t oscillator = highSide ? hz + kIfHz : hz - kIfHz;
  return static_cast<std::uint16_t>(std::clamp<std::int64_t>(oscillator / kPllStepHz, 0, 0x3FFF));
}

void TunerChip::Reset() {
  image_ = {0, 0, 0, 0x40, 0};
  tunedHz_ = TunedHzOf(0, false);
  search_ = {};
}

int TunerChip::StopLevel() const {
  switch ((image_[2] >> 5) & 3) {
    case 2: return 7;
    case 3: return 10;
    default: return 5;  // 01, and 00 which the chip takes as 01
  }
}

bool TunerChip::InBand(std::int64_t hz) const {
  const bool japan = Bit(image_[3], 5);
  const std::int64_t low = japan ? 76'000'000 : 87'500'000;
  const std::int64_t high = japan ? 91'000'000 : 108'000'000;
  return hz >= low && hz <= high;
}

std::optional<TunerChip::Micros> TunerChip::Write(std::span<const std::uint8_t> image, Micros nowUs) {
  if (image.size() < image_.size()) return std::nullopt;
  SettleSearch(nowUs);
  std::copy_n(image.begin(), image_.size(), image_.begin());
  const std::uint16_t pll = static_cast<std::uint16_t>(((image_[0] & 0x3F) << 8) | image_[1]);
  tunedHz_ = TunedHzOf(pll, Bit(image_[2], 4));
  search_ = {};
  if (Bit(image_[3], 6) || !Bit(image_[0], 6)) return std::nullopt;  // standby, or a plain tune
  StartSearch(nowUs);
  return search_.EndUs();
}

void TunerChip::StartSearch(Micros nowUs) {
  search_.active = true;
  search_.startUs = nowUs;
  search_.startHz = tunedHz_;
  search_.direction = Bit(image_[2], 7) ? 1 : -1;
  const bool highSide = Bit(image_[2], 4);
  const bool mono = Bit(image_[2], 3);
  const int stop = StopLevel();
  search_.steps = 0;
  for (int k = 1;; ++k) {
    std::int64_t channel = search_.startHz + search_.direction * k * kChannelHz;
    if (!InBand(channel)) break;  // the band edge: it stays on the last channel inside
    search_.steps = k;
    // The chip measures each channel as it gets there.
    const Micros at = nowUs + static_cast<Micros>(k - 1) * kChannelUs;
    if (receiver_->Receive(channel, highSide, mono, at).reportedLevel >= stop) break;
  }
}

std::int64_t TunerChip::CurrentHz(Micros nowUs) const {
  if (!search_.active) return tunedHz_;
  Micros elapsed = nowUs > search_.startUs ? nowUs - search_.startUs : 0;
  std::int64_t k = std::min<std::int64_t>(search_.steps, 1 + static_cast<std::int64_t>(elapsed / kChannelUs));
  return search_.startHz + search_.direction * k * kChannelHz;
}

bool TunerChip::SettleSearch(Micros nowUs) {
  if (!search_.active || nowUs < search_.EndUs()) return false;
  tunedHz_ = search_.startHz + search_.direction * search_.steps * kChannelHz;
  search_.active = false;
  // The PLL now holds the channel the search stopped on.
  const std::uint16_t pll = PllOf(tunedHz_, Bit(image_[2], 4));
  image_[0] = static_cast<std::uint8_t>((image_[0] & 0xC0) | (pll >> 8));
  image_[1] = static_cast<std::uint8_t>(pll);
  return true;
}

TunerChip::State TunerChip::Tuning(Micros nowUs) const {
  State state;
  state.highSide = Bit(image_[2], 4);
  state.tunedHz = CurrentHz(nowUs);
  state.pll = search_.active ? PllOf(state.tunedHz, state.highSide)
                             : static_cast<std::uint16_t>(((image_[0] & 0x3F) << 8) | image_[1]);
  // The probe's mute (W0 bit 7) and the audio mutes (W2 bits 2..1, W3 bit 3).
  state.mute = Bit(image_[0], 7) || (image_[2] & 0x06) != 0 || Bit(image_[3], 3);
  state.mono = Bit(image_[2], 3);
  state.searching = search_.active && nowUs < search_.EndUs();
  state.standby = Bit(image_[3], 6);
  state.japan = Bit(image_[3], 5);
  return state;
}

TunerChip::State TunerChip::Observe(Micros nowUs) const {
  State state = Tuning(nowUs);
  if (state.standby) return state;
  Reception r = receiver_->Receive(state.tunedHz, state.highSide, state.mono, nowUs);
  state.level = r.reportedLevel;
  state.stereo = r.stereo;
  if (r.dominated) {
    state.heard = &receiver_->scene().stations()[std::size_t(r.heard[0].station)];
    state.heardAsImage = r.heard[0].image;
  }
  return state;
}

std::optional<TunerChip::Micros> TunerChip::SearchEndUs() const {
  if (!search_.active) return std::nullopt;
  return search_.EndUs();
}

std::array<std::uint8_t, 8> TunerChip::Status(Micros nowUs) const {
  State state = Tuning(nowUs);
  std::array<std::uint8_t, 8> status{};
  status[0] = static_cast<std::uint8_t>((state.pll >> 8) & 0x3F);
  status[1] = static_cast<std::uint8_t>(state.pll);
  if (state.standby) return status;  // frozen: no reception to report
  Reception r = receiver_->Receive(state.tunedHz, state.highSide, state.mono, nowUs);
  status[2] = static_cast<std::uint8_t>((r.stereo ? 0x80 : 0) | (receiver_->IfCounter(r, nowUs) & 0x7F));
  status[3] = static_cast<std::uint8_t>(r.reportedLevel << 4);
  return status;
}

}  // namespace hw
