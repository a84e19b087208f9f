#include "bench/soak/soak_verdict.h"

#include <algorithm>

namespace soak {

double FitSlope(const std::vector<Sample>& samples) {
  const double n = static_cast<double>(samples.size());
  if (samples.size() < 2) return 0;
  double sx = 0, sy = 0;
  for (const Sample& s : samples) {
    sx += static_cast<double>(s.cycle);
    sy += s.value;
  }
  const double mx = sx / n, my = sy / n;
  double sxx = 0, sxy = 0;
  for (const Sample& s : samples) {
    const double dx = static_cast<double>(s.cycle) - mx;
    sxx += dx * dx;
    sxy += dx * (s.value - my);
  }
  return sxx > 0 ? sxy / sxx : 0;
}

SeriesVerdict JudgeSeries(const std::vector<Sample>& samples, long warmUpCycles, double bound) {
  SeriesVerdict verdict;
  std::vector<Sample> measured;
  for (const Sample& s : samples) {
    if (s.cycle >= warmUpCycles) measured.push_back(s);
  }
  if (measured.size() < 4) return verdict;
  verdict.measured = true;
  verdict.afterWarmUp = measured.front().value;
  verdict.final = measured.back().value;
  verdict.growth = verdict.final - verdict.afterWarmUp;
  const std::vector<Sample> secondHalf(measured.begin() + static_cast<std::ptrdiff_t>(measured.size() / 2),
                                       measured.end());
  verdict.slope = FitSlope(secondHalf);
  verdict.projected = verdict.slope * static_cast<double>(measured.back().cycle - measured.front().cycle);
  verdict.grew = verdict.growth > bound || verdict.projected > bound;
  return verdict;
}

}  // namespace soak
