#include "hardware/cards/RadioCard.h"

#include <algorithm>
#include <utility>

namespace hw {

RadioCard::RadioCard(Clock& clock, Scene scene, std::uint64_t seed)
    : clock_(clock),
      receiver_(std::make_shared<const Receiver>(std::move(scene), seed)),
      audio_(std::make_shared<CardAudio>(receiver_, MakeProgrammes(receiver_->scene()))),
      chip_(receiver_) {
  chip_.Reset();
}

bool RadioCard::AudioOn(const TunerChip::State& chip) const {
  return powered_ && (switches_ & 0x02) && !(switches_ & 0x01) && !chip.standby && !chip.mute;
}

AudioState RadioCard::AudioAt(Clock::Micros atUs) const {
  const TunerChip::State chip = chip_.Tuning(atUs);
  AudioState state;
  state.audible = AudioOn(chip) && !chip.searching;
  state.tunedHz = chip.tunedHz;
  state.highSide = chip.highSide;
  state.mono = chip.mono;
  state.volume = volume_;
  return state;
}

void RadioCard::NoteAudio(Clock::Micros nowUs) {
  audio_->Change(nowUs, AudioAt(nowUs));
  // The chip mutes itself while it searches and plays on where it stops.
  if (auto end = chip_.SearchEndUs(); end && *end > nowUs) audio_->Change(*end, AudioAt(*end));
}

RadioCard::~RadioCard() { CancelSearchEnd(); }

SdCardInfo RadioCard::Info() const {
  SdCardInfo info;
  info.manufacturer = kManufacturer;
  info.cardId = kCardId;
  return info;
}

void RadioCard::PowerOn(InterruptLine line) {
  std::lock_guard lock(mutex_);
  powered_ = true;
  chip_.Reset();
  volume_ = kVolumeSteps / 2;
  switches_ = 0;
  interruptPending_ = false;
  line_ = std::move(line);
  NoteAudio(clock_.NowUs());
}

void RadioCard::PowerOff() {
  CancelSearchEnd();
  std::lock_guard lock(mutex_);
  powered_ = false;
  line_ = nullptr;
  NoteAudio(clock_.NowUs());
}

void RadioCard::CancelSearchEnd() {
  Clock::EventId id;
  {
    std::lock_guard lock(mutex_);
    id = std::exchange(searchEvent_, 0);
  }
  if (id) clock_.Cancel(id);
}

SdStatus RadioCard::ReadByte(unsigned function, std::uint32_t address, std::uint8_t& value) {
  std::lock_guard lock(mutex_);
  value = 0;
  if (function > 1) return SdStatus::BadFunction;
  if (function == 1 && address == 0) value = std::exchange(interruptPending_, false) ? 1 : 0;
  return SdStatus::Ok;
}

SdStatus RadioCard::WriteByte(unsigned function, std::uint32_t, std::uint8_t) {
  return function > 1 ? SdStatus::BadFunction : SdStatus::Ok;
}

SdStatus RadioCard::ReadBlock(unsigned function, std::uint32_t address, std::span<std::uint8_t> data) {
  if (function != 1) return SdStatus::BadFunction;
  if (data.size() > kBlockBytes) return SdStatus::OutOfRange;
  std::array<std::uint8_t, kBlockBytes> block{};
  {
    std::lock_guard lock(mutex_);
    if (address == kRegTuner) {
      block = chip_.Status(clock_.NowUs());
    } else if (address == kRegSwitches) {
      block[0] = switches_;
    } else if (address == kRegVolume) {
      block[0] = static_cast<std::uint8_t>(volume_);
    } else {
      return SdStatus::OutOfRange;
    }
  }
  std::copy_n(block.begin(), data.size(), data.begin());
  return SdStatus::Ok;
}

SdStatus RadioCard::WriteBlock(unsigned function, std::uint32_t address, std::span<const std::uint8_t> data) {
  if (function != 1) return SdStatus::BadFunction;
  if (data.size() > kBlockBytes || data.empty()) return SdStatus::OutOfRange;
  std::optional<Clock::Micros> searchEnd;
  {
    std::lock_guard lock(mutex_);
    if (address == kRegTuner) {
      if (data.size() < 5) return SdStatus::OutOfRange;
      searchEnd = chip_.Write(data, clock_.NowUs());
    } else if (address == kRegSwitches) {
      switches_ = data[0];
    } else if (address == kRegVolume) {
      std::uint32_t value = 0;
      for (std::size_t i = 0; i < std::min<std::size_t>(4, data.size()); ++i) value |= std::uint32_t{data[i]} << (8 * i);
      if (value == 1) volume_ = std::min(volume_ + 1, kVolumeSteps - 1);
      if (value == 0) volume_ = std::max(volume_ - 1, 0);
    } else {
      return SdStatus::OutOfRange;
    }
    NoteAudio(clock_.NowUs());
  }
  // A new image ends any search that was running; a new search gets its end.
  if (address == kRegTuner) {
    CancelSearchEnd();
    if (searchEnd) ScheduleSearchEnd(*searchEnd);
  }
  return SdStatus::Ok;
}

void RadioCard::ScheduleSearchEnd(Clock::Micros endUs) {
  Clock::EventId id = clock_.ScheduleAt(endUs, [this] { OnSearchEnd(); });
  std::lock_guard lock(mutex_);
  searchEvent_ = id;
}

void RadioCard::OnSearchEnd() {
  InterruptLine line;
  {
    std::lock_guard lock(mutex_);
    searchEvent_ = 0;
    if (!powered_ || !chip_.SettleSearch(clock_.NowUs())) return;
    interruptPending_ = true;
    line = line_;
  }
  if (line) line();  // outside the lock: the bus driver reads the card back
}

RadioCard::View RadioCard::Observe() const {
  std::lock_guard lock(mutex_);
  View view;
  view.powered = powered_;
  view.chip = chip_.Observe(clock_.NowUs());
  view.volume = volume_;
  view.switches = switches_;
  view.audio = AudioOn(view.chip);
  return view;
}

}  // namespace hw
