#include "BandScan.h"

#include "TunerChannel.h"
#include "Tuning.h"

namespace scan {
namespace {

// How long the program waits before repeating a seek that asked to go on.
constexpr DWORD kSeekRepeatMs = 100;

// The seek never stops on the channel it starts from, so the lower limit
// itself is judged by one reading, with the seek's acceptance rules.
bool LowerLimitIsStation() {
  ReadTunerStatus();
  const TunerStatus& status = tunerState.status;
  if (status.level >= STRONG_LEVEL) return true;
  return status.ifCounter >= IF_COUNTER_LOW && status.ifCounter <= IF_COUNTER_HIGH && status.stereo != 0;
}

FoundStation Here(RadioDevice& radio) {
  FoundStation station;
  station.frequency = tunerState.currentFrequency;
  station.level = tunerState.status.level;
  station.stereo = radio.GetStereo() != 0;
  return station;
}

}  // namespace

std::vector<FoundStation> ScanBand(RadioDevice& radio, int band, const std::function<void(FoundStation&)>& onFound) {
  std::vector<FoundStation> found;
  radio.SetRadioSystem(band);
  radio.SetPower(1);
  radio.SetMute(1);
  radio.SetFrequency(tunerState.bandLower);
  auto add = [&] {
    found.push_back(Here(radio));
    if (onFound) onFound(found.back());
  };
  if (LowerLimitIsStation()) add();
  // Every seek ends further up or at the band's end; one that gets no
  // further has met the end.
  for (;;) {
    WORD from = tunerState.currentFrequency;
    int reached = radio.SeekUp();
    if (reached <= from) break;
    if (radio.seekContinue == SEEK_STOP)
      add();
    else
      Sleep(kSeekRepeatMs);
  }
  radio.SetMute(0);
  return found;
}

}  // namespace scan
