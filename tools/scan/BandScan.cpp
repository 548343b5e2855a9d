#include "BandScan.h"

#include "Tuning.h"

namespace scan {
namespace {

// How long the program waits before repeating a seek that asked to go on.
constexpr DWORD kSeekRepeatMs = 100;

FoundStation Here(RadioDevice& radio) {
  TunerReading reading = LastReading();
  FoundStation station;
  station.frequency = reading.frequency;
  station.level = reading.status.level;
  station.stereo = radio.GetStereo() != 0;
  return station;
}

}  // namespace

std::vector<FoundStation> ScanBand(RadioDevice& radio, int band, const std::function<void(FoundStation&)>& onFound) {
  std::vector<FoundStation> found;
  radio.SetRadioSystem(band);
  radio.SetPower(1);
  radio.SetMute(1);
  radio.SetFrequency(LastReading().bandLower);
  auto add = [&] {
    found.push_back(Here(radio));
    if (onFound) onFound(found.back());
  };
  // The seek never stops on the channel it starts from, so the lower
  // limit itself is judged by one reading, with the seek's acceptance test.
  if (StationHere()) add();
  // Every seek ends further up or at the band's end; one that gets no
  // further has met the end.
  for (;;) {
    WORD from = LastReading().frequency;
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
