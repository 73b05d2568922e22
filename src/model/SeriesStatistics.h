#pragma once
// Order statistics of a series of realisations: percentiles by linear interpolation between
// order statistics, the spread of one quantity (min, percentiles, max, mean) and a histogram.
#include <array>
#include <cstddef>
#include <optional>
#include <vector>

namespace moravel::model {

// The percentile levels of the band and of the spread table.
constexpr std::array<double, 5> kSeriesLevels = {0.05, 0.25, 0.50, 0.75, 0.95};
// Where the median and the highest level (95 %) stand in kSeriesLevels.
constexpr std::size_t kMedianSeriesLevel = 2;
constexpr std::size_t kHighestSeriesLevel = kSeriesLevels.size() - 1;

// Percentiles of values[0..count-1] at the ascending levels probs[0..k-1] (each in [0, 1]):
// with the values sorted x(0) <= ... <= x(n-1), level p gives x(j) + (h - j) (x(j+1) - x(j))
// with h = (n - 1) p and j = floor(h) (linear interpolation between order statistics, the
// 7th definition of Hyndman and Fan, the default of R and of spreadsheet programs). The
// values are reordered in place (partial selection, no full sort). No values: NaN.
void PercentilesInPlace(float* values, std::size_t count, const double* probs, std::size_t k, double* out);
void PercentilesInPlace(double* values, std::size_t count, const double* probs, std::size_t k, double* out);

// The spread of one quantity over the realisations.
struct Spread {
    int count = 0;  // realisations behind the figures
    double min = 0, max = 0, mean = 0;
    std::array<double, kSeriesLevels.size()> percentiles{};  // at kSeriesLevels
};

// All zeros with count 0 for no values.
Spread SpreadOf(std::vector<double> values);

// Equal-width bins from the smallest to the largest value (one bin of width 1 when they are
// all equal); the largest value falls into the last bin.
struct Histogram {
    double low = 0, width = 1;
    std::vector<int> counts;
};
Histogram HistogramOf(const std::vector<double>& values, int bins);

// The distribution-free confidence interval of the median from order statistics: with the n
// values sorted x(1) <= ... <= x(n), [x(k), x(n + 1 - k)] for the largest k with
// P(B <= k - 1) <= (1 - confidence) / 2, B ~ Binomial(n, 1/2); it covers the median with
// probability 1 - 2 P(B <= k - 1) >= confidence, whatever the distribution. None when n is
// too small for any k (below 6 values at 95 %).
struct MedianInterval {
    double low = 0, high = 0;
    double coverage = 0;  // the interval's exact coverage
};
constexpr double kMedianConfidence = 0.95;
std::optional<MedianInterval> MedianConfidenceInterval(std::vector<double> values,
                                                       double confidence = kMedianConfidence);

}  // namespace moravel::model
