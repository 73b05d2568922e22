// The design-flood table: each row against the series of the same storm on the same seed,
// the effective rainfall against the realisations run one by one, the critical duration, the
// probability axis and cancelling.
#include "ZlewniaSeries.h"
#include "model/DesignFlood.h"
#include "model/DesignStorm.h"
#include "text/NumText.h"

#include <gtest/gtest.h>

#include <cmath>

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
