// The tuner card's audio output: 48 kHz stereo of what the card receives,
// rendered on request for any span of clock time from the states the
// card was in over that span. The card notes each change of state with
// its clock time (a register write changes it at the write's time);
// nothing is rendered until someone listens.
//
// What is heard (the curves are in Receiver.h): every station received
// plays its programme, each weighted by its quieting against the hiss of
// an untuned radio, so the output keeps its loudness while the hiss gives
// way to the programme as the level rises; a station received in stereo
// keeps its sides apart by the blend's separation, everything else is the
// same on both sides. The hiss is bright noise, -18 dBFS RMS at full
// volume, independent on the two sides only in stereo.
//
// Silence: standby, a switch word without audio power (bit 1 clear or
// bit 0 set), the chip's mute (W0 bit 7, W2 bits 2..1, W3 bit 3), a
// running search and a card without power give digital zero, reached and
// left through a 2 ms ramp.
//
// Volume, the card's 16 positions (0..15) in dB:
//   position  0    1    2    3    4    5    6    7   8..15
//   dB       off  -28  -24  -20  -16  -12   -8   -4    0
// 4 dB a step up to the amplifier's top at position 8, which the radio
// program reaches with its volume at 79; its default of 45 is position 5,
// -12 dB, where a programme plays around -27 dBFS RMS. At the top the
// built-in programmes peak near -3 dBFS and the hiss stays well under
// full scale.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "hardware/cards/Programme.h"
#include "hardware/cards/Receiver.h"
#include "hardware/sound/AudioSource.h"

namespace hw {

// What the card's audio path does from a moment on.
struct AudioState {
  bool audible = false;  // powered, switched on, awake, unmuted, not searching
  std::int64_t tunedHz = 0;
  bool highSide = false;
  bool mono = false;
  int volume = 0;  // position 0..15
  bool operator==(const AudioState&) const = default;
};

class CardAudio : public AudioSource {
 public:
  static constexpr int kRampFrames = 96;  // 2 ms
  static constexpr double kHissRms = 0.122;

  CardAudio(std::shared_ptr<const Receiver> receiver, std::vector<std::unique_ptr<Programme>> programmes);

  // The state from clock time atUs on. It replaces whatever was noted
  // for later times (a search's end that a new write cancels).
  void Change(std::uint64_t atUs, const AudioState& next);

  void Render(std::int64_t first, std::span<float> out) const override;
  void HoldFrom(std::optional<std::int64_t> frame) override;

  // The gain of a volume position, in dB; position 0 is silent.
  static double VolumeDb(int position);

 private:
  struct Entry {
    std::int64_t frame = 0;  // first frame in this state
    AudioState state;
    double gainAtStart = 0;  // where the ramp into this state starts
    double target = 0;       // the state's output gain
    double GainAt(std::int64_t f) const;
  };

  void RenderRadio(std::int64_t first, int count, const AudioState& state, float* out) const;
  void Prune(std::int64_t latestFrame);

  std::shared_ptr<const Receiver> receiver_;
  std::vector<std::unique_ptr<Programme>> programmes_;
  mutable std::mutex mutex_;
  std::vector<Entry> history_;  // by frame; the first holds from boot
  std::optional<std::int64_t> hold_;
};

}  // namespace hw
