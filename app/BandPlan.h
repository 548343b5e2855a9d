// The band plans the radio knows: the settings' "RadioSystem" number, the
// band's limits in units of 100 kHz, and the text the dialogs show.
#pragma once

#include "BandLimits.h"
#include "windows.h"

enum RadioSystem : int {
  RADIO_SYSTEM_EUROPE = 1,
  RADIO_SYSTEM_JAPAN = 2,
  RADIO_SYSTEM_USA = 3,
};

struct BandPlan {
  int radioSystem;
  WORD lower;
  WORD upper;
  const WCHAR* text;
};

// The plan of a RadioSystem number; nullptr for a number outside 1..3.
const BandPlan* FindBandPlan(int radioSystem);
// The plan of a number, Europe's for one outside 1..3.
const BandPlan& BandPlanOrEurope(int radioSystem);
// Makes a plan's limits the band in force.
void SetBandLimits(const BandPlan& plan);
