#include "model/SeriesStatistics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace moravel::model {
namespace {

// After nth_element at the previous level's index, the elements from that index on are the
// order statistics from there up, so each level only selects within the rest.
template <typename T>
void Percentiles(T* values, std::size_t count, const double* probs, std::size_t k, double* out)
{
    if (count == 0) {
        std::fill(out, out + k, std::numeric_limits<double>::quiet_NaN());
        return;
    }
    std::size_t from = 0;
    for (std::size_t l = 0; l < k; ++l) {
        const double h = static_cast<double>(count - 1) * probs[l];
        std::size_t j = static_cast<std::size_t>(std::floor(h));
        j = std::min(std::max(j, from), count - 1);
        const double fraction = h - static_cast<double>(j);
        std::nth_element(values + from, values + j, values + count);
        const double low = static_cast<double>(values[j]);
        double high = low;
        if (fraction > 0 && j + 1 < count)
            high = static_cast<double>(*std::min_element(values + j + 1, values + count));
        out[l] = low + fraction * (high - low);
        from = j;
    }
}

}  // namespace

void PercentilesInPlace(float* values, std::size_t count, const double* probs, std::size_t k, double* out)
{
    Percentiles(values, count, probs, k, out);
}

void PercentilesInPlace(double* values, std::size_t count, const double* probs, std::size_t k, double* out)
{
    Percentiles(values, count, probs, k, out);
}

Spread SpreadOf(std::vector<double> values)
{
    Spread s;
    if (values.empty())
        return s;
    s.count = static_cast<int>(values.size());
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    s.min = *lo;
    s.max = *hi;
    s.mean = std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
    PercentilesInPlace(values.data(), values.size(), kSeriesLevels.data(), kSeriesLevels.size(), s.percentiles.data());
    return s;
}

Histogram HistogramOf(const std::vector<double>& values, int bins)
{
    Histogram h;
    if (values.empty() || bins < 1)
        return h;
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    h.low = *lo;
    if (*hi > *lo) {
        h.width = (*hi - *lo) / bins;
        h.counts.assign(static_cast<std::size_t>(bins), 0);
    } else {
        h.width = 1;
        h.counts.assign(1, 0);
    }
    const int last = static_cast<int>(h.counts.size()) - 1;
    for (double v : values) {
        int bin = static_cast<int>(std::floor((v - h.low) / h.width));
        bin = std::min(std::max(bin, 0), last);
        ++h.counts[static_cast<std::size_t>(bin)];
    }
    return h;
}

}  // namespace moravel::model

namespace moravel::model {

std::optional<MedianInterval> MedianConfidenceInterval(std::vector<double> values, double confidence)
{
    const std::size_t n = values.size();
    const double tail = (1 - confidence) / 2;
    // P(B <= j) summed up from j = 0 while it stays within the tail; the binomial terms in
    // logarithms, so that n of a hundred thousand neither underflows nor overflows.
    const double logHalf = std::log(0.5) * static_cast<double>(n);
    const double logN = std::lgamma(static_cast<double>(n) + 1);
    double below = 0;  // P(B <= k - 1)
    std::size_t k = 0;
    while (k < n / 2) {
        const double j = static_cast<double>(k);
        const double term =
            std::exp(logN - std::lgamma(j + 1) - std::lgamma(static_cast<double>(n) - j + 1) + logHalf);
        if (below + term > tail)
            break;
        below += term;
        ++k;
    }
    if (k == 0)
        return std::nullopt;
    std::sort(values.begin(), values.end());
    return MedianInterval{values[k - 1], values[n - k], 1 - 2 * below};
}

}  // namespace moravel::model
