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
  // Each sample becomes the least of itself and its neighbours: a system
  // worker that lives for a moment (a sound's thread, the stack of a thread
  // that has just ended) raises one or two samples, while growth, even a
  // step, stays.
  const std::vector<Sample> raw = measured;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (i > 0) measured[i].value = std::min(measured[i].value, raw[i - 1].value);
    if (i + 1 < raw.size()) measured[i].value = std::min(measured[i].value, raw[i + 1].value);
  }
  verdict.measured = true;
  verdict.afterWarmUp = measured.front().value;
  verdict.final = measured.back().value;
  verdict.growth = verdict.final - verdict.afterWarmUp;
  const std::vector<Sample> secondHalf(measured.begin() + static_cast<std::ptrdiff_t>(measured.size() / 2),
                                       measured.end());
  verdict.slope = FitSlope(secondHalf);
  verdict.projected = verdict.slope * static_cast<double>(measured.back().cycle - measured.front().cycle);
  for (size_t i = 1; i < secondHalf.size(); ++i) {
    if (secondHalf[i].value > secondHalf[i - 1].value) ++verdict.rises;
  }
  // A fitted line through one or two steps (a worker that the system starts
  // once, late) projects them over the whole run; a leak keeps rising.
  verdict.grew = verdict.growth > bound || (verdict.rises >= kRisesOfALeak && verdict.projected > bound);
  return verdict;
}

}  // namespace soak
