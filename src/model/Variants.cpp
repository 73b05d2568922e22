#include "model/Variants.h"

#include <algorithm>

namespace moravel::model {

namespace {

bool SameRainfall(const ComputationInputs& a, const ComputationInputs& b)
{
    const int hours = a.parameters.HourCount;
    if (hours != b.parameters.HourCount || a.directEffectiveRain != b.directEffectiveRain)
        return false;
    const auto& x = a.directEffectiveRain ? a.effectiveRain : a.rainfall;
    const auto& y = b.directEffectiveRain ? b.effectiveRain : b.rainfall;
    return std::equal(x.begin(), x.begin() + hours, y.begin());
}

}  // namespace

bool RainfallDiffers(const std::vector<ComputationInputs>& variants)
{
    return std::any_of(variants.begin() + (variants.empty() ? 0 : 1), variants.end(),
                       [&](const ComputationInputs& in) { return !SameRainfall(variants.front(), in); });
}

double SpreadWidth(const Spread& spread)
{
    return spread.percentiles[kHighestSeriesLevel] - spread.percentiles[0];
}

PairedDifference PairedDifferenceOf(const SeriesResult& reference, const SeriesResult& variant)
{
    PairedDifference d;
    const std::size_t n = std::min(reference.realisations.size(), variant.realisations.size());
    std::vector<double> peak, peakPercent, volume, volumePercent, independent;
    int rises = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const RealisationSummary& a = reference.realisations[i];
        const RealisationSummary& b = variant.realisations[i];
        if (a.ok && b.ok) {
            ++d.pairs;
            const double change = double(b.peak) - double(a.peak);
            peak.push_back(change);
            if (a.peak != 0)
                peakPercent.push_back(100.0 * change / double(a.peak));
            rises += b.peak > a.peak;
            volume.push_back(b.volume - a.volume);
            if (a.volume != 0)
                volumePercent.push_back(100.0 * (b.volume - a.volume) / a.volume);
        }
        const RealisationSummary& other = variant.realisations[(i + 1) % n];
        if (n > 1 && a.ok && other.ok)
            independent.push_back(double(other.peak) - double(a.peak));
    }
    d.shareOfRises = d.pairs > 0 ? double(rises) / d.pairs : 0.0;
    d.peakChange = SpreadOf(std::move(peak));
    d.peakChangePercent = SpreadOf(std::move(peakPercent));
    d.volumeChange = SpreadOf(std::move(volume));
    d.volumeChangePercent = SpreadOf(std::move(volumePercent));
    d.pairedWidth = SpreadWidth(d.peakChange);
    d.independentWidth = SpreadWidth(SpreadOf(std::move(independent)));
    return d;
}

}  // namespace moravel::model
