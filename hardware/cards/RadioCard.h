// The FM tuner card: an SDIO card with one I/O function whose register
// windows are
//   0x66  the tuner chip: an 8-byte write carries W0..W4 (and three zero
//         bytes), an 8-byte read returns S0..S4 (and three zero bytes)
//   0x77  the switch word: bit 1 powers the audio amplifier, bit 0 holds
//         the audio in reset; audio plays with bit 1 set and bit 0 clear
//   0x88  the volume step: a write of the value 1 moves the volume one
//         step up, 0 one step down; the position runs 0..15 and starts in
//         the middle
// and a card interrupt, raised when a search ends; a CMD52 read of
// address 0 of function 1 returns and clears the pending interrupt.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "hardware/cards/CardAudio.h"
#include "hardware/cards/TunerChip.h"
#include "hardware/clock/Clock.h"
#include "hardware/sd/SdCard.h"

namespace hw {

class RadioCard : public SdCard {
 public:
  static constexpr std::uint16_t kManufacturer = 0x5A17;
  static constexpr std::uint16_t kCardId = 0x0F01;
  static constexpr std::uint32_t kRegTuner = 0x66;
  static constexpr std::uint32_t kRegSwitches = 0x77;
  static constexpr std::uint32_t kRegVolume = 0x88;
  static constexpr std::uint32_t kBlockBytes = 8;
  static constexpr int kVolumeSteps = 16;

  struct View {
    bool powered = false;
    TunerChip::State chip;
    int volume = 0;
    std::uint8_t switches = 0;
    bool audio = false;  // sound reaches the speaker
  };

  RadioCard(Clock& clock, Scene scene, std::uint64_t seed = Receiver::kDefaultSeed);
  ~RadioCard() override;

  SdCardInfo Info() const override;
  void PowerOn(InterruptLine line) override;
  void PowerOff() override;
  SdStatus ReadByte(unsigned function, std::uint32_t address, std::uint8_t& value) override;
  SdStatus WriteByte(unsigned function, std::uint32_t address, std::uint8_t value) override;
  SdStatus ReadBlock(unsigned function, std::uint32_t address, std::span<std::uint8_t> data) override;
  SdStatus WriteBlock(unsigned function, std::uint32_t address, std::span<const std::uint8_t> data) override;

  View Observe() const;
  const Receiver& receiver() const { return *receiver_; }
  // The card's audio output, for the speaker.
  std::shared_ptr<CardAudio> audio() const { return audio_; }

 private:
  void ScheduleSearchEnd(Clock::Micros endUs);
  void OnSearchEnd();
  void CancelSearchEnd();
  // Notes the audio path's state from nowUs on (and from a running
  // search's end on); the caller holds the lock.
  void NoteAudio(Clock::Micros nowUs);
  AudioState AudioAt(Clock::Micros atUs) const;
  // The card's audio path is on: powered, its audio switched on and not
  // off (switches bits 1 and 0), the chip awake and not muting.
  bool AudioOn(const TunerChip::State& chip) const;

  Clock& clock_;
  std::shared_ptr<const Receiver> receiver_;
  std::shared_ptr<CardAudio> audio_;
  mutable std::mutex mutex_;
  TunerChip chip_;
  bool powered_ = false;
  int volume_ = kVolumeSteps / 2;
  std::uint8_t switches_ = 0;
  bool interruptPending_ = false;
  InterruptLine line_;
  Clock::EventId searchEvent_ = 0;
};

}  // namespace hw
