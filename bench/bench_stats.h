// Summary of repeated timings: median, extremes and quartiles.
#pragma once

#include <algorithm>
#include <vector>

struct TimingSummary {
  double median;
  double minimum;
  double maximum;
  double lowerQuartile;
  double upperQuartile;
};

// Quantile q (0 to 1) of sorted samples, interpolating between neighbours.
inline double SortedQuantile(const std::vector<double>& sorted, double q) {
  if (sorted.empty()) return 0.0;
  const double position = q * static_cast<double>(sorted.size() - 1);
  const size_t below = static_cast<size_t>(position);
  if (below + 1 >= sorted.size()) return sorted.back();
  const double fraction = position - static_cast<double>(below);
  return sorted[below] + (sorted[below + 1] - sorted[below]) * fraction;
}

// All zeros for no samples.
inline TimingSummary Summarize(std::vector<double> samples) {
  if (samples.empty()) return TimingSummary{0, 0, 0, 0, 0};
  std::sort(samples.begin(), samples.end());
  return TimingSummary{SortedQuantile(samples, 0.5), samples.front(), samples.back(),
                       SortedQuantile(samples, 0.25), SortedQuantile(samples, 0.75)};
}
