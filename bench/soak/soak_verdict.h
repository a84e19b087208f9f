// The soak's verdict on one measured series: after the warm-up, a series
// passes while neither its final value against the value after warm-up nor
// the straight-line fit over the second half (projected over the measured
// cycles) grows beyond the series' bound. Portable: no Windows header.
#pragma once

#include <string>
#include <vector>

namespace soak {

struct Sample {
  long cycle;    // cycles completed when the sample was taken
  double value;  // the counter then
};

struct SeriesVerdict {
  bool measured = false;   // enough samples after the warm-up to judge
  double afterWarmUp = 0;  // the first sample at or after the warm-up
  double final = 0;        // the last sample
  double growth = 0;       // final - afterWarmUp
  double slope = 0;        // fitted growth per cycle over the second half
  double projected = 0;    // slope times the cycles measured after warm-up
  bool grew = false;       // growth or projected above the bound
};

// Least-squares slope of value over cycle; 0 with fewer than two distinct
// cycles.
double FitSlope(const std::vector<Sample>& samples);

// Judges samples (in cycle order) taken after warmUpCycles against bound.
// Fewer than four samples after the warm-up: not measured, never grew.
SeriesVerdict JudgeSeries(const std::vector<Sample>& samples, long warmUpCycles, double bound);

}  // namespace soak
