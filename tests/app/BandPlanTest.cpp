// The band plans and the band in force.
#include <gtest/gtest.h>

#include "BandPlan.h"

namespace {

TEST(BandPlanTest, EachRadioSystemHasItsLimitsAndOthersFallBackToEurope) {
  ASSERT_NE(FindBandPlan(RADIO_SYSTEM_JAPAN), nullptr);
  EXPECT_EQ(FindBandPlan(RADIO_SYSTEM_JAPAN)->lower, 760);
  EXPECT_EQ(FindBandPlan(RADIO_SYSTEM_JAPAN)->upper, 910);
  EXPECT_EQ(FindBandPlan(RADIO_SYSTEM_USA)->lower, 880);
  EXPECT_EQ(FindBandPlan(0), nullptr);
  EXPECT_EQ(FindBandPlan(4), nullptr);
  EXPECT_EQ(BandPlanOrEurope(4).lower, 875);
  EXPECT_EQ(std::u16string(BandPlanOrEurope(-1).text), u"Europe (87.5-108 MHz)");

  SetBandLimits(*FindBandPlan(RADIO_SYSTEM_USA));
  EXPECT_EQ(BandLimits::Instance().lower, 880);
  EXPECT_EQ(BandLimits::Instance().upper, 1080);
}

}  // namespace
