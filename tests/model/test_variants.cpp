// Variants on common random numbers: keyed draws, paired differences worked by hand, zero
// differences between identical variants, and the gain of pairing on the example catchment
// with a few per cent more of it sealed.
#include "ZlewniaSeries.h"
#include "model/Series.h"
#include "model/Variants.h"
#include "text/NumText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace moravel;
using namespace moravel::model;

namespace {

// A keyed draw is the value of its key: the same whatever was drawn before it, in every
// copy of the source; other keys and other realisations give other values.
TEST(KeyedDraws, AValueBelongsToItsKeyAlone)
{
    SubstreamSource a(42, 7);
    const double rising = a.Draw(DrawPurpose::RisingFactor, 3, 2);
    SubstreamSource b(42, 7);
    for (int k = 0; k < 100; ++k) {
        (void)b.Next();
        (void)b.Draw(DrawPurpose::Weight, k, 3);
    }
    EXPECT_EQ(b.Draw(DrawPurpose::RisingFactor, 3, 2), rising);
    EXPECT_EQ(a.Clone()->Draw(DrawPurpose::RisingFactor, 3, 2), rising);

    std::set<double> values;
    for (const DrawPurpose p :
         {DrawPurpose::Retention, DrawPurpose::Increment, DrawPurpose::RisingFactor, DrawPurpose::Weight})
        for (int hour = 0; hour < 30; ++hour)
            for (int step = 0; step < 30; ++step)
                values.insert(a.Draw(p, hour, step));
    EXPECT_EQ(values.size(), 4u * 30 * 30);
    EXPECT_NE(SubstreamSource(42, 8).Draw(DrawPurpose::RisingFactor, 3, 2), rising);
    EXPECT_NE(SubstreamSource(43, 7).Draw(DrawPurpose::RisingFactor, 3, 2), rising);

    // Uniform on [0, 1): mean, and the share below a quarter, over many neighbouring keys.
    double sum = 0;
    int low = 0;
    const int n = 200000;
    for (int k = 0; k < n; ++k) {
        const double u = a.Draw(DrawPurpose::Weight, k / 1000, k % 1000);
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
        sum += u;
        low += u < 0.25;
    }
    EXPECT_NEAR(sum / n, 0.5, 0.005);
    EXPECT_NEAR(double(low) / n, 0.25, 0.005);
}

SeriesResult HandMade(const std::vector<std::pair<float, double>>& peakAndVolume)
{
    SeriesResult r;
    for (const auto& [peak, volume] : peakAndVolume) {
        RealisationSummary s;
        s.ok = peak >= 0;
        s.peak = std::max(peak, 0.0f);
        s.volume = volume;
        r.realisations.push_back(s);
    }
    return r;
}

TEST(PairedDifference, WorkedByHand)
{
    // Realisation 2 failed in the variant: it counts in no pair of its own, and the
    // independent pairing (i against i + 1) skips it too.
    const SeriesResult reference = HandMade({{10, 100}, {20, 200}, {40, 400}, {5, 0}});
    const SeriesResult variant = HandMade({{12, 110}, {18, 220}, {-1, 0}, {5, 50}});
    const PairedDifference d = PairedDifferenceOf(reference, variant);
    EXPECT_EQ(d.pairs, 3);
    // Peak changes 2, -2, 0; in per cent 20, -10, 0.
    EXPECT_DOUBLE_EQ(d.peakChange.percentiles[kMedianSeriesLevel], 0);
    EXPECT_DOUBLE_EQ(d.peakChange.percentiles[0], -2 + 0.1 * 2);
    EXPECT_DOUBLE_EQ(d.peakChange.percentiles[kHighestSeriesLevel], 0 + 0.9 * 2);
    EXPECT_DOUBLE_EQ(d.pairedWidth, 1.8 - (-1.8));
    EXPECT_DOUBLE_EQ(d.peakChangePercent.percentiles[kMedianSeriesLevel], 0);
    EXPECT_DOUBLE_EQ(d.peakChangePercent.min, -10);
    EXPECT_DOUBLE_EQ(d.peakChangePercent.max, 20);
    EXPECT_DOUBLE_EQ(d.shareOfRises, 1.0 / 3);
    // Volume changes 10, 20, 50; the last pair's reference volume is 0: no per cent.
    EXPECT_DOUBLE_EQ(d.volumeChange.percentiles[kMedianSeriesLevel], 20);
    EXPECT_EQ(d.volumeChangePercent.count, 2);
    EXPECT_DOUBLE_EQ(d.volumeChangePercent.min, 10);
    // Independent pairs: 0 -> 1 (18 - 10), 1 -> 2 failed, 2 -> 3 (5 - 40), 3 -> 0 (12 - 5).
    EXPECT_EQ(SpreadOf({8, -35, 7}).count, 3);
    EXPECT_DOUBLE_EQ(d.independentWidth, SpreadWidth(SpreadOf({8, -35, 7})));
}

TEST(Variants, IdenticalVariantsDifferByNothing)
{
    const ComputationInputs inputs = examples::ZlewniaSeriesInputs();
    const SeriesResult a = RunSeries(inputs, 200, 99, 2);
    const SeriesResult b = RunSeries(inputs, 200, 99, 1);
    const PairedDifference d = PairedDifferenceOf(a, b);
    EXPECT_EQ(d.pairs, a.succeeded);
    EXPECT_GT(d.pairs, 0);
    EXPECT_EQ(d.peakChange.min, 0);
    EXPECT_EQ(d.peakChange.max, 0);
    EXPECT_EQ(d.volumeChange.min, 0);
    EXPECT_EQ(d.volumeChange.max, 0);
    EXPECT_EQ(d.shareOfRises, 0);
    EXPECT_EQ(d.pairedWidth, 0);
    EXPECT_GT(d.independentWidth, 0);
}

// 5 % of the catchment's area sealed: moved from its largest land-use cell to roofs and paved
// parking (CN 98) of the same soil group. The paired peak change spreads over at most a third
// of the width it has with independent draws.
TEST(Variants, CommonRandomNumbersNarrowTheDifferenceOfASealedCatchment)
{
    const ComputationInputs before = examples::ZlewniaSeriesInputs();
    const files::ScsRecord scs = examples::ZlewniaSealedLandUse(0.05);
    // Moved into the paved class, which the example leaves empty.
    ASSERT_TRUE(scs.areas[16] != examples::ZlewniaLandUse().areas[16]);
    const ComputationInputs sealed = examples::ZlewniaSealedInputs(0.05);
    ASSERT_GT(sealed.curveNumber, before.curveNumber);

    const SeriesResult a = RunSeries(before, 1000, 2026, 2);
    const SeriesResult b = RunSeries(sealed, 1000, 2026, 2);
    const PairedDifference d = PairedDifferenceOf(a, b);
    ASSERT_EQ(d.pairs, 1000);
    EXPECT_GT(d.peakChange.percentiles[kMedianSeriesLevel], 0);
    EXPECT_GT(d.shareOfRises, 0.8);
    EXPECT_LE(d.pairedWidth, d.independentWidth / 3) << d.pairedWidth << " vs " << d.independentWidth;

    // A change of a hundredth of the curve number: the paired differences all but vanish.
    ComputationInputs nudged = before;
    nudged.curveNumber = before.curveNumber + 0.01f;
    const PairedDifference small = PairedDifferenceOf(a, RunSeries(nudged, 1000, 2026, 2));
    EXPECT_LT(small.pairedWidth, small.independentWidth / 100);
}

// The same storm entered three rows later (three dry hours before it) pairs with the
// reference as well as in its place: draws are keyed from the first hour with rain, so each
// realisation's hydrograph is the one in place, three hours later. Both kinds of storm:
// rainfall with a curve number, and effective rainfall typed directly.
TEST(Variants, AStormEnteredLaterPairsAsWellAsInPlace)
{
    const ComputationInputs scs = examples::ZlewniaSeriesInputs();
    ComputationInputs direct = scs;
    direct.directEffectiveRain = true;
    direct.effectiveRain = scs.rainfall;
    for (float& e : direct.effectiveRain)
        e *= 0.4f;
    const struct {
        const char* name;
        ComputationInputs reference;
    } cases[] = {{"curve number", scs}, {"typed effective rainfall", direct}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GT((c.reference.directEffectiveRain ? c.reference.effectiveRain : c.reference.rainfall).front(), 0);
        // The variant: a tenth more of the catchment's area, then the same three hours later.
        ComputationInputs inPlace = c.reference;
        inPlace.parameters.Area *= 1.1;
        ComputationInputs later = inPlace;
        std::vector<float>& storm = later.directEffectiveRain ? later.effectiveRain : later.rainfall;
        storm.insert(storm.begin(), 3, 0.0f);
        later.parameters.HourCount += 3;

        const SeriesResult a = RunSeries(c.reference, 300, 77, 2);
        const SeriesResult b = RunSeries(inPlace, 300, 77, 2);
        const SeriesResult shifted = RunSeries(later, 300, 77, 2);
        ASSERT_EQ(b.succeeded, 300);
        ASSERT_EQ(shifted.succeeded, 300);
        for (std::size_t i = 0; i < b.realisations.size(); ++i) {
            EXPECT_EQ(shifted.realisations[i].peak, b.realisations[i].peak) << i;
            EXPECT_EQ(shifted.realisations[i].peakHour, b.realisations[i].peakHour + 3) << i;
        }
        const PairedDifference d = PairedDifferenceOf(a, b);
        const PairedDifference dLater = PairedDifferenceOf(a, shifted);
        EXPECT_EQ(dLater.pairedWidth, d.pairedWidth);
        EXPECT_LT(dLater.pairedWidth, dLater.independentWidth / 3)
            << dLater.pairedWidth << " vs " << dLater.independentWidth;
    }
}

}  // namespace
