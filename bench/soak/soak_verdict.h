// The soak's verdict on one measured series: after the warm-up, a series
// passes while neither its final value against the value after warm-up nor
// the straight-line fit over the second half (projected over the measured
// cycles, once the second half has risen at least kRisesOfALeak times)
// grows beyond the series' bound. Each sample is first lowered to
// the least of itself and its two neighbours, so that a rise of one or two
// samples that falls back (a worker of the system living for a moment) is
// not growth. Portable: no Windows header.
#pragma once

#include <string>
#include <vector>

namespace soak {

struct Sample {
  long cycle;    // cycles completed when the sample was taken
  double value;  // the counter then
};

// Rises in the second half before its fitted line counts: fewer are one or
// two steps of a worker that the system starts on first need, not a leak.
constexpr int kRisesOfALeak = 3;

struct SeriesVerdict {
  bool measured = false;   // enough samples after the warm-up to judge
  double afterWarmUp = 0;  // the first sample at or after the warm-up
  double final = 0;        // the last sample (both lowered to their neighbours)
  double growth = 0;       // final - afterWarmUp
  double slope = 0;        // fitted growth per cycle over the second half
  double projected = 0;    // slope times the cycles measured after warm-up
  int rises = 0;           // samples above the one before, in the second half
  bool grew = false;       // growth, or projected with enough rises, above the bound
};

// Least-squares slope of value over cycle; 0 with fewer than two distinct
// cycles.
double FitSlope(const std::vector<Sample>& samples);

// Judges samples (in cycle order) taken after warmUpCycles against bound.
// Fewer than four samples after the warm-up: not measured, never grew.
SeriesVerdict JudgeSeries(const std::vector<Sample>& samples, long warmUpCycles, double bound);

}  // namespace soak
