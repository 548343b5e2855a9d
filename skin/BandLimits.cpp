#include "BandLimits.h"

BandLimits& BandLimits::Instance() {
  static BandLimits band;
  return band;
}
