// The limits of the band in force, in units of 100 kHz: program-wide, 0
// until the main window sets Europe's at its creation. The settings store
// and the Setting dialog set them; the screen, the preset bank and the
// band change read them.
#pragma once

#include "windef.h"

struct BandLimits {
  WORD lower = 0;
  WORD upper = 0;

  // The program's one band (zero-initialised, so usable from any
  // program-wide object's constructor).
  static BandLimits& Instance();
};
