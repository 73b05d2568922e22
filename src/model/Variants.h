#pragma once
// Variants of one catchment (other land use, curve number, area, parameters or rainfall)
// compared on common random numbers: every variant's series runs with the same seed and
// count, and realisation i of each draws its keyed values from the same sub-stream (see
// SubstreamSource), so the difference between two variants in realisation i is the
// difference their inputs make, with little of the draws' noise left in it.
#include <QString>

#include <cstdint>
#include <vector>

#include "model/ComputationInputs.h"
#include "model/Series.h"
#include "model/SeriesStatistics.h"

namespace moravel::model {

// A comparison holds from two variants (the reference and one other) to eight (as many as its
// charts tell apart by colour).
inline constexpr int kMinVariants = 2;
inline constexpr int kMaxVariants = 8;

// Whether any variant's rainfall (or its effective rainfall, given directly) differs from the
// first variant's: the differences then include the effect of the other rainfall.
bool RainfallDiffers(const std::vector<ComputationInputs>& variants);

// Paired differences of one variant against the first (the reference), over the
// realisations that succeeded in both.
struct PairedDifference {
    int pairs = 0;
    Spread peakChange;           // m3/s: peak of the variant minus peak of the reference
    Spread peakChangePercent;    // % of the reference's peak (pairs with a zero reference peak left out)
    double shareOfRises = 0;     // share of pairs whose peak is higher in the variant (0..1)
    Spread volumeChange;         // m3
    Spread volumeChangePercent;  // % of the reference's volume (pairs with a zero reference volume left out)
    // The 5-95 % width of the paired peak change, and the width the same figure has when
    // the variant's realisations are independent of the reference's: realisation i of the
    // reference against realisation i + 1 (the last against the first) of the variant, whose
    // draws come from unrelated sub-streams.
    double pairedWidth = 0;
    double independentWidth = 0;
};

// The differences of `variant` against `reference`, both series of the same count and seed.
PairedDifference PairedDifferenceOf(const SeriesResult& reference, const SeriesResult& variant);

// The 5-95 % width of a spread.
double SpreadWidth(const Spread& spread);

}  // namespace moravel::model
