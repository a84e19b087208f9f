// The soak's verdict: a flat series with noise passes, a slow leak is seen
// both by the final value and by the fit, a step during the warm-up is not
// counted, a late step is when beyond the bound and is not projected by the
// fit when within it, a leak that starts late is seen by the fit, a rise of
// one or two samples that falls back is not growth, and too few samples are
// not judged.
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
  EXPECT_EQ(19.0, v.growth);  // 60 at the end, lowered to the 59 before it
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

TEST(SoakVerdict, ALateStepWithinTheBoundIsNotProjected) {
  // A worker that the system starts in the second half: one more thread
  // with its five handles, and then nothing more.
  const auto v = soak::JudgeSeries(Make(76, [](long c) { return c < 52 ? 84.0 : 89.0; }), 15, 8);
  EXPECT_FALSE(v.grew);
  EXPECT_EQ(1, v.rises);
  EXPECT_GT(v.projected, 8.0);
}

TEST(SoakVerdict, ALeakThatStartsLateIsSeenByTheFit) {
  // Flat until cycle 64 of 80, then one more every other cycle: the growth
  // stays within the bound, the fit over the second half goes beyond it.
  const auto v = soak::JudgeSeries(
      Make(80, [](long c) { return c < 64 ? 100.0 : 100.0 + static_cast<double>((c - 64) / 2); }), 16, 8);
  EXPECT_LE(v.growth, 8.0);
  EXPECT_GT(v.projected, 8.0);
  EXPECT_GE(v.rises, soak::kRisesOfALeak);
  EXPECT_TRUE(v.grew);
}

TEST(SoakVerdict, ARiseOfOneOrTwoSamplesIsNotGrowth) {
  // A worker of the system alive at one count: at the very end, or twice in
  // the second half, where the fit would project it over the whole run.
  const auto atTheEnd = soak::JudgeSeries(Make(24, [](long c) { return c == 24 ? 4200.0 : 100.0; }), 4, 4096);
  EXPECT_FALSE(atTheEnd.grew);
  EXPECT_EQ(100.0, atTheEnd.final);
  const auto twice = soak::JudgeSeries(Make(24, [](long c) { return c == 19 || c == 20 ? 9000.0 : 100.0; }), 4, 4096);
  EXPECT_FALSE(twice.grew);
  EXPECT_EQ(0.0, twice.slope);
  // Three samples are a step that stays.
  const auto step = soak::JudgeSeries(Make(24, [](long c) { return c >= 22 ? 4300.0 : 100.0; }), 4, 4096);
  EXPECT_TRUE(step.grew);
  EXPECT_EQ(4200.0, step.growth);
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
