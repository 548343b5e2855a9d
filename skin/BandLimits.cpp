#include "BandLimits.h"

BandLimits& Band() {
  static BandLimits band;
  return band;
}
