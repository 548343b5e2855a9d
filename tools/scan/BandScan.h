// A band scan with the radio layer, as a listener would do it by hand:
// tune the band's lower limit, then seek upward, repeating a seek that
// asks to go on, until the seek stops at the band's end.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "RadioDevice.h"

namespace scan {

struct FoundStation {
  WORD frequency = 0;  // 100 kHz
  int level = 0;       // 0..15, as the chip measured the stop
  bool stereo = false;
  std::string name;  // what the card hears there, when the caller can tell
};

// band: 1 Europe, 2 Japan, 3 USA. The radio must be open. onFound, when
// given, sees each station as it is found, tuned to it.
std::vector<FoundStation> ScanBand(RadioDevice& radio, int band,
                                   const std::function<void(FoundStation&)>& onFound = {});

}  // namespace scan
