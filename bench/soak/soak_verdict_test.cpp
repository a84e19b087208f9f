// The soak's verdict: a flat series with noise passes, a slow leak is seen
// both by the final value and by the fit, a step during the warm-up is not
// counted, a late step is, and too few samples are not judged.
#include "bench/soak/soak_verdict.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<soak::Sample> Make(long cycles, double (*value)(long)) {
  std::vector<soak::Sample> samples;
  for (long c = 0; c <= cycles; ++c) samples.push_back({c, value(c)});
  return samples;
}

}  // namespace

TEST(SoakVerdict, FitFindsTheSlopeOfALine) {
  EXPECT_DOUBLE_EQ(2.0, soak::FitSlope(Make(10, [](long c) { return 5.0 + 2.0 * static_cast<double>(c); })));
  EXPECT_DOUBLE_EQ(0.0, soak::FitSlope({{3, 7}}));
  EXPECT_DOUBLE_EQ(0.0, soak::FitSlope({{3, 7}, {3, 9}}));
}

TEST(SoakVerdict, FlatSeriesWithNoisePasses) {
  const auto v = soak::JudgeSeries(Make(100, [](long c) { return 300.0 + static_cast<double>(c % 3); }), 3, 4);
  ASSERT_TRUE(v.measured);
  EXPECT_FALSE(v.grew);
  EXPECT_LT(v.projected, 1.0);
}

TEST(SoakVerdict, OneObjectPerTenCyclesIsALeak) {
  const auto v = soak::JudgeSeries(Make(200, [](long c) { return 40.0 + static_cast<double>(c / 10); }), 3, 8);
  ASSERT_TRUE(v.measured);
  EXPECT_TRUE(v.grew);
  EXPECT_NEAR(0.1, v.slope, 0.01);
  EXPECT_EQ(20.0, v.growth);
}

TEST(SoakVerdict, GrowthDuringTheWarmUpIsNotCounted) {
  // The first cycles load libraries and caches.
  const auto v =
      soak::JudgeSeries(Make(50, [](long c) { return c < 3 ? 10.0 * static_cast<double>(c) : 100.0; }), 3, 2);
  ASSERT_TRUE(v.measured);
  EXPECT_EQ(100.0, v.afterWarmUp);
  EXPECT_FALSE(v.grew);
}

TEST(SoakVerdict, ALateStepBeyondTheBoundFails) {
  const auto v = soak::JudgeSeries(Make(50, [](long c) { return c < 45 ? 100.0 : 110.0; }), 3, 8);
  EXPECT_TRUE(v.grew);
  EXPECT_EQ(10.0, v.growth);
}

TEST(SoakVerdict, ShrinkingIsFlat) {
  const auto v = soak::JudgeSeries(Make(50, [](long c) { return 500.0 - static_cast<double>(c); }), 3, 1);
  EXPECT_FALSE(v.grew);
}

TEST(SoakVerdict, TooFewSamplesAreNotJudged) {
  const auto v = soak::JudgeSeries(Make(5, [](long c) { return 1000.0 * static_cast<double>(c); }), 3, 1);
  EXPECT_FALSE(v.measured);
  EXPECT_FALSE(v.grew);
}
