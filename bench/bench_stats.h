// Summary of repeated timings: median, extremes and quartiles.
#pragma once

#include <algorithm>
#include <cmath>
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

// The samples that bound the median with 95% confidence, whatever the
// distribution: the order statistics at ranks n/2 -+ 0.98 sqrt(n) (the
// binomial's normal approximation), held within the samples.
struct MedianInterval {
  double low;
  double high;
};
inline MedianInterval MedianConfidence95(std::vector<double> samples) {
  if (samples.empty()) return MedianInterval{0, 0};
  std::sort(samples.begin(), samples.end());
  const double n = static_cast<double>(samples.size());
  const double half = 0.98 * std::sqrt(n);
  // Ranks counted from 1.
  const long low = std::max(1L, static_cast<long>(std::floor(n / 2 - half)));
  const long high = std::min(static_cast<long>(n), static_cast<long>(std::ceil(1 + n / 2 + half)));
  return MedianInterval{samples[static_cast<size_t>(low - 1)], samples[static_cast<size_t>(high - 1)]};
}
