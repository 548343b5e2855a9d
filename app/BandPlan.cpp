#include "BandPlan.h"

namespace {

constexpr BandPlan kPlans[] = {
    {RADIO_SYSTEM_EUROPE, 875, 1080, u"Europe (87.5-108 MHz)"},
    {RADIO_SYSTEM_JAPAN, 760, 910, u"Japan (76-91 MHz)"},
    {RADIO_SYSTEM_USA, 880, 1080, u"USA (88-108 MHz)"},
};

}  // namespace

const BandPlan* FindBandPlan(int radioSystem) {
  for (const BandPlan& plan : kPlans) {
    if (plan.radioSystem == radioSystem) return &plan;
  }
  return nullptr;
}

const BandPlan& BandPlanOrEurope(int radioSystem) {
  const BandPlan* plan = FindBandPlan(radioSystem);
  return plan ? *plan : kPlans[0];
}

void SetBandLimits(const BandPlan& plan) {
  BandLimits& band = BandLimits::Instance();
  band.lower = plan.lower;
  band.upper = plan.upper;
}
