// The design-flood table: each row against the series of the same storm on the same seed,
// the effective rainfall against the realisations run one by one, the critical duration, the
// probability axis and cancelling.
#include "ZlewniaSeries.h"
#include "model/DesignFlood.h"
#include "model/DesignFloodCases.h"
#include "model/HydrographFigures.h"
#include "model/DesignStorm.h"
#include "text/Error.h"
#include "text/NumText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

using namespace moravel;
using namespace moravel::model;

namespace {

// The example catchment under a design storm of `hours` and `depth` mm of the given shape,
// the rainfall texts as the design-storm window writes them.
DesignFloodCase ExampleCase(double probability, int hours, double depth, StormShape shape)
{
    DesignStormInputs design;
    design.hours = hours;
    design.shape = shape;
    design.totalDepth = depth;
    const std::vector<QString> texts = HyetographTexts(DesignStormHyetograph(design), 1, QLatin1Char(','));
    DesignFloodCase c;
    c.probability = probability;
    c.hours = hours;
    c.depth = depth;
    c.inputs = DesignStormComputationInputs(examples::ZlewniaComputationTexts(), texts, examples::ZlewniaLandUseState(),
                                            QLatin1Char(','), [] {});
    return c;
}

}  // namespace

TEST(DesignFlood, EachRowIsTheSeriesOfItsStormOnTheSameSeed)
{
    std::vector<DesignFloodCase> cases = {ExampleCase(10, 24, 60, StormShape::Dvwk),
                                          ExampleCase(1, 24, 95, StormShape::Dvwk),
                                          ExampleCase(1, 12, 80, StormShape::Block)};
    // The storm went through the one builder: its rainfall is the texts' values.
    ASSERT_EQ(cases[0].inputs.parameters.HourCount, 24);
    // 80 mm in 12 h at one decimal: 6,7 in the first eight hours, 6,6 in the last four.
    EXPECT_FLOAT_EQ(cases[2].inputs.rainfall[0], 6.7f);
    EXPECT_FLOAT_EQ(cases[2].inputs.rainfall[11], 6.6f);

    const DesignFloodResult threaded = RunDesignFloodTable(cases, 150, 4242, 2);
    const DesignFloodResult stepped = RunDesignFloodTable(cases, 150, 4242, 0);
    ASSERT_EQ(threaded.rows.size(), 3u);
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const SeriesResult series = RunSeries(cases[k].inputs, 150, 4242, 1);
        const DesignFloodRow& row = threaded.rows[k];
        EXPECT_EQ(row.succeeded, series.succeeded);
        EXPECT_EQ(row.peak.percentiles, series.peak.percentiles) << k;
        EXPECT_EQ(row.peakHour.percentiles, series.peakHour.percentiles) << k;
        EXPECT_EQ(row.volume.percentiles, series.volume.percentiles) << k;
        EXPECT_EQ(row.representative, series.representative);
        EXPECT_EQ(row.representativeDischarge, series.representativeDischarge);
        EXPECT_EQ(stepped.rows[k].peak.percentiles, row.peak.percentiles);
        EXPECT_EQ(row.probability, cases[k].probability);

        // The effective rainfall: every realisation run whole, its stored effective rainfall
        // added up.
        std::vector<double> totals;
        RealisationWorkspace work;
        for (int i = 0; i < 150; ++i) {
            SubstreamSource random(4242, static_cast<std::uint64_t>(i));
            RunRealisation(cases[k].inputs, random, work);
            double total = 0;
            for (int h = 1; h <= cases[k].hours; ++h)
                total += work.state->EffectiveRain[h];
            totals.push_back(total);
        }
        const Spread expected = SpreadOf(totals);
        EXPECT_EQ(row.effectiveRain.percentiles, expected.percentiles) << k;
        EXPECT_DOUBLE_EQ(row.effectiveRain.mean, expected.mean);
    }
    // The storm as used, the median peak's interval from the sorted peaks (150 values:
    // x(k), x(151 - k) with the k of the binomial tails), the median volume over A * P.
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const DesignFloodRow& row = threaded.rows[k];
        EXPECT_EQ(row.rainfall, cases[k].inputs.rainfall);
        std::vector<double> peaks;
        for (const RealisationSummary& s : RunSeries(cases[k].inputs, 150, 4242, 1).realisations)
            peaks.push_back(s.peak);
        std::sort(peaks.begin(), peaks.end());
        // P(B <= 62) = 0.0204 <= 0.025 < P(B <= 63) = 0.0300 for B ~ Bin(150, 1/2): k = 63.
        ASSERT_TRUE(row.peakInterval);
        EXPECT_EQ(row.peakInterval->low, peaks[62]) << k;
        EXPECT_EQ(row.peakInterval->high, peaks[150 - 63]) << k;
        ASSERT_TRUE(row.runoffCoefficient);
        const double rain = std::accumulate(row.rainfall.begin(), row.rainfall.end(), 0.0);
        EXPECT_NEAR(rain, cases[k].depth, 1e-4);
        EXPECT_DOUBLE_EQ(*row.runoffCoefficient, row.volume.percentiles[kMedianSeriesLevel] /
                                                     (cases[k].inputs.parameters.Area * 1e3 * rain));
    }
    // A larger depth of the same shape gives a larger flood.
    EXPECT_GT(threaded.rows[1].peak.percentiles[kMedianSeriesLevel],
              threaded.rows[0].peak.percentiles[kMedianSeriesLevel]);
}

TEST(DesignFlood, CriticalDurationIsTheHighestMedianPeakOfEachProbability)
{
    DesignFloodResult r;
    const auto row = [](double p, int hours, double median) {
        DesignFloodRow x;
        x.probability = p;
        x.hours = hours;
        x.peak.percentiles[kMedianSeriesLevel] = median;
        return x;
    };
    r.rows = {row(10, 1, 5), row(10, 6, 9), row(10, 24, 7), row(1, 1, 8), row(1, 6, 15), row(1, 24, 15)};
    EXPECT_EQ(CriticalRows(r), (std::vector<int>{1, 4}));
}

TEST(DesignFlood, CriticalDurationAtTheTableEndsAndMediansThatCantBeToldApart)
{
    DesignFloodResult r;
    const auto row = [](double p, int hours, double median, double low, double high) {
        DesignFloodRow x;
        x.probability = p;
        x.hours = hours;
        x.peak.percentiles[kMedianSeriesLevel] = median;
        x.peakInterval = MedianInterval{low, high, 0.95};
        return x;
    };
    r.rows = {row(10, 1, 5, 4.5, 5.5),    row(10, 6, 9, 8.5, 9.5),    row(10, 24, 8.8, 8.4, 9.1),
              row(1, 1, 8, 7.5, 8.5),     row(1, 6, 15, 14, 16),      row(1, 24, 15.5, 15.2, 16.2),
              row(0.5, 12, 20, 19, 21)};
    EXPECT_EQ(CriticalRows(r), (std::vector<int>{1, 5, 6}));
    EXPECT_EQ(CriticalTableEdge(r, 1), TableEdge::Inside);
    EXPECT_EQ(CriticalTableEdge(r, 5), TableEdge::Longest);
    EXPECT_EQ(CriticalTableEdge(r, 3), TableEdge::Shortest);
    EXPECT_EQ(CriticalTableEdge(r, 6), TableEdge::Only);
    // 6 h against 24 h of p = 10 %: [8,5; 9,5] and [8,4; 9,1] overlap; 1 h does not.
    EXPECT_EQ(RowsNotDistinctFrom(r, 1), (std::vector<int>{2}));
    EXPECT_EQ(RowsNotDistinctFrom(r, 5), (std::vector<int>{4}));
    EXPECT_TRUE(RowsNotDistinctFrom(r, 6).empty());
    // Intervals that only touch overlap; a row without one is not counted.
    r.rows[4].peakInterval->high = 15.2;
    EXPECT_EQ(RowsNotDistinctFrom(r, 5), (std::vector<int>{4}));
    r.rows[4].peakInterval.reset();
    EXPECT_TRUE(RowsNotDistinctFrom(r, 5).empty());
}

TEST(DesignFlood, MedianConfidenceIntervalByHand)
{
    // The order statistics x(k), x(n + 1 - k) of the median's distribution-free interval and
    // its coverage 1 - 2 P(B <= k - 1), B ~ Bin(n, 1/2): n = 6: k = 1, 1 - 2/64; n = 10: k = 2,
    // 1 - 2 * 11/1024 (the textbook (x(2), x(9))); n = 200: k = 86; n = 1000: k = 469. Below 6
    // values no k reaches 95 %.
    const struct {
        std::size_t n;
        std::size_t k;
        double coverage;
    } cases[] = {{6, 1, 62.0 / 64}, {10, 2, 1 - 22.0 / 1024}, {200, 86, 0.95996281}, {1000, 469, 0.95370880}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        // The values n, n - 1, ..., 1 (given unsorted): x(j) = j.
        std::vector<double> values(c.n);
        std::iota(values.rbegin(), values.rend(), 1.0);
        const std::optional<MedianInterval> interval = MedianConfidenceInterval(values);
        ASSERT_TRUE(interval);
        EXPECT_EQ(interval->low, double(c.k));
        EXPECT_EQ(interval->high, double(c.n + 1 - c.k));
        EXPECT_NEAR(interval->coverage, c.coverage, 1e-8);
    }
    EXPECT_FALSE(MedianConfidenceInterval({1, 2, 3, 4, 5}));
    EXPECT_FALSE(MedianConfidenceInterval({}));
    // A lower confidence narrows the interval: 10 values at 80 %: P(B <= 2) = 0.0547 <= 0.1.
    const std::optional<MedianInterval> narrow = MedianConfidenceInterval({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 0.8);
    ASSERT_TRUE(narrow);
    EXPECT_EQ(narrow->low, 3);
    EXPECT_EQ(narrow->high, 8);
}

TEST(DesignFlood, DepthsCheckedAcrossProbabilities)
{
    const std::vector<double> hours = {6, 24};
    const struct {
        const char* name;
        std::vector<DesignDepths> rows;
        QString message;  // empty: accepted
    } cases[] = {
        {"rising with rarity", {{10, {40, 60}}, {1, {57, 83}}, {0.5, {57, 90}}}, {}},
        {"given rarest first", {{0.5, {60, 90}}, {10, {40, 60}}}, {}},
        {"a probability twice", {{1, {57, 83}}, {10, {40, 60}}, {1, {57, 83}}},
         "Prawdopodobieństwo 1 % podane dwa razy: w wierszu 2 i w wierszu 6"},
        {"a rarer storm below", {{1, {57, 83}}, {0.5, {60, 80}}},
         "Wysokość opadu dla p = 0,5 % i czasu trwania 24 h (wiersz 4) jest mniejsza niż dla p = 1 % (wiersz 2): "
         "opad o mniejszym prawdopodobieństwie nie może być niższy"},
        {"a more frequent storm above, found later", {{0.5, {60, 90}}, {1, {61, 83}}},
         "Wysokość opadu dla p = 0,5 % i czasu trwania 6 h (wiersz 2) jest mniejsza niż dla p = 1 % (wiersz 4): "
         "opad o mniejszym prawdopodobieństwie nie może być niższy"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Row numbers 2, 4, 6, ... as a file's lines would be; each row checked as it is added.
        std::vector<DesignDepths> rows;
        std::vector<int> numbers;
        QString message;
        try {
            for (const DesignDepths& row : c.rows) {
                rows.push_back(row);
                numbers.push_back(2 * int(rows.size()));
                CheckDesignDepthsAcross(rows, numbers, hours, QLatin1Char(','));
            }
        } catch (const Error& e) {
            message = e.text();
        }
        EXPECT_EQ(message, c.message);
    }
}

TEST(DesignFlood, GumbelReducedVariateByHand)
{
    // y = -ln(-ln(1 - p)): p = 50 %: -ln(ln 2) = 0.366513; p = 1 %: -ln(-ln 0.99) = 4.600149;
    // p = 0.2 %: 6.213607.
    EXPECT_NEAR(GumbelReducedVariate(0.5), 0.366513, 1e-6);
    EXPECT_NEAR(GumbelReducedVariate(0.01), 4.600149, 1e-6);
    EXPECT_NEAR(GumbelReducedVariate(0.002), 6.213607, 1e-6);
    EXPECT_LT(GumbelReducedVariate(0.2), GumbelReducedVariate(0.1));
}

TEST(DesignFlood, CancelledTableHasNoResult)
{
    std::vector<DesignFloodCase> cases(4, ExampleCase(1, 24, 95, StormShape::Block));
    DesignFloodJob job(cases, 20000, 1, 2);
    EXPECT_EQ(job.Total(), 80000);
    job.Cancel();
    EXPECT_FALSE(job.Take().has_value());
    EXPECT_TRUE(job.Finished());
}
