// A series of realisations: the order statistics against hand-worked values and a plain
// full-sort reference, one realisation on fixed draws against the worked example, the series
// against the same realisations run one by one, reproducibility, failures counted, the
// representative realisation, the memory-bounded band and cancelling.
#include "Sources.h"
#include "ZlewniaSeries.h"
#include "model/Series.h"
#include "model/SeriesStatistics.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>

using namespace moravel;
using namespace moravel::model;

namespace {

// Linear interpolation between order statistics on a fully sorted copy.
double ReferencePercentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const double h = (static_cast<double>(v.size()) - 1) * p;
    const std::size_t j = static_cast<std::size_t>(std::floor(h));
    if (j + 1 >= v.size())
        return v.back();
    return v[j] + (h - static_cast<double>(j)) * (v[j + 1] - v[j]);
}

TEST(SeriesStatistics, PercentilesByHand)
{
    struct Case {
        std::vector<float> values;
        std::array<double, 5> expected;  // at 5, 25, 50, 75, 95 %
    };
    const Case cases[] = {
        // h = 4 p: 0.2, 1, 2, 3, 3.8.
        {{5, 1, 4, 2, 3}, {1.2, 2, 3, 4, 4.8}},
        // h = 3 p: 0.15, 0.75, 1.5, 2.25, 2.85 on 1, 2, 3, 10.
        {{3, 10, 1, 2}, {1.15, 1.75, 2.5, 4.75, 8.95}},
        {{7}, {7, 7, 7, 7, 7}},
        // h = p: a straight line between the two values.
        {{2, 0}, {0.1, 0.5, 1, 1.5, 1.9}},
        {{4, 4, 1, 4, 4}, {1.6, 4, 4, 4, 4}},
    };
    for (const Case& c : cases) {
        std::vector<float> v = c.values;
        double out[5];
        PercentilesInPlace(v.data(), v.size(), kSeriesLevels.data(), 5, out);
        for (int l = 0; l < 5; ++l)
            EXPECT_NEAR(out[l], c.expected[l], 1e-6) << "case of " << c.values.size() << " values, level " << l;
    }
    double none[5];
    PercentilesInPlace(static_cast<float*>(nullptr), 0, kSeriesLevels.data(), 5, none);
    EXPECT_TRUE(std::isnan(none[0]));
}

TEST(SeriesStatistics, PercentilesAgreeWithAFullSort)
{
    std::mt19937 gen(7);
    for (std::size_t n : {2u, 3u, 10u, 101u, 1000u, 4097u}) {
        std::vector<double> values(n);
        for (double& x : values)
            x = std::floor(std::exponential_distribution<double>(0.2)(gen) * 8) / 8;  // ties included
        const Spread s = SpreadOf(values);
        EXPECT_EQ(s.count, static_cast<int>(n));
        EXPECT_EQ(s.min, *std::min_element(values.begin(), values.end()));
        EXPECT_EQ(s.max, *std::max_element(values.begin(), values.end()));
        for (std::size_t l = 0; l < kSeriesLevels.size(); ++l)
            EXPECT_DOUBLE_EQ(s.percentiles[l], ReferencePercentile(values, kSeriesLevels[l])) << n << " values";
    }
    EXPECT_EQ(SpreadOf({}).count, 0);
    const Spread s = SpreadOf({3, 1, 2, 10});
    EXPECT_DOUBLE_EQ(s.mean, 4);
}

TEST(SeriesStatistics, HistogramBins)
{
    const Histogram h = HistogramOf({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 5);
    EXPECT_DOUBLE_EQ(h.low, 0);
    EXPECT_DOUBLE_EQ(h.width, 2);
    EXPECT_EQ(h.counts, (std::vector<int>{2, 2, 2, 2, 3}));  // the largest value in the last bin
    const Histogram same = HistogramOf({4, 4, 4}, 5);
    EXPECT_EQ(same.counts, std::vector<int>{3});
}

// The worked example of the hydrograph (every draw 0.5, one hour of 10 mm effective rain)
// through the series' realisation in direct mode.
TEST(SeriesRealisation, WorkedExampleOnFixedDraws)
{
    ComputationInputs in;
    in.directEffectiveRain = true;
    in.effectiveRain = {10};
    in.parameters = {0.01, 0.04, 10, 4, 5, 2, 10, 100, 1};  // So, n, b, RB, RA, RL, Lo, A, N
    model::testing::FixedSource half(0.5);
    RealisationWorkspace work;
    const RealisationResult r = RunRealisation(in, half, work);
    ASSERT_EQ(r.length, 4);
    EXPECT_NEAR(r.ordinates[2], 199.15, 0.01);
    EXPECT_NEAR(r.ordinates[3], 47.148, 0.001);
    EXPECT_NEAR(r.ordinates[4], 22.528, 0.001);
    EXPECT_NEAR(r.peak, 199.15, 0.01);
    EXPECT_EQ(r.peakHour, 2);
    EXPECT_NEAR(r.volume, (0 + 199.15 + 47.148 + 22.528) * 3600, 40);
    EXPECT_EQ(half.draws, 2 + 4);  // the rising limb (hours 1 and 2), then one weight per hour
}

// Every realisation's discharge at every hour, run one by one with its own sub-stream.
std::vector<std::vector<double>> HourlyByHand(const ComputationInputs& in, int count, std::uint64_t seed,
                                              std::vector<RealisationSummary>& summaries)
{
    std::vector<std::vector<double>> hourly;
    RealisationWorkspace work;
    for (int i = 0; i < count; ++i) {
        SubstreamSource random(seed, static_cast<std::uint64_t>(i));
        RealisationSummary s;
        try {
            const RealisationResult r = RunRealisation(in, random, work);
            s = {true, r.peak, r.peakHour, r.volume};
            if (static_cast<int>(hourly.size()) < r.length)
                hourly.resize(static_cast<std::size_t>(r.length), std::vector<double>(static_cast<std::size_t>(i), 0));
            for (int t = 1; t <= static_cast<int>(hourly.size()); ++t)
                hourly[static_cast<std::size_t>(t - 1)].push_back(t <= r.length ? r.ordinates[t] : 0.0);
        } catch (const Error&) {
        }
        summaries.push_back(s);
    }
    return hourly;
}

TEST(Series, AgreesWithItsRealisationsRunOneByOne)
{
    const ComputationInputs in = examples::ZlewniaSeriesInputs();
    const int count = 300;
    const std::uint64_t seed = 20261210;
    std::vector<RealisationSummary> byHand;
    const std::vector<std::vector<double>> hourly = HourlyByHand(in, count, seed, byHand);

    const SeriesResult r = RunSeries(in, count, seed, SeriesWorkerCount());
    EXPECT_EQ(r.seed, seed);
    EXPECT_EQ(r.requested, count);
    EXPECT_EQ(r.succeeded, count);
    EXPECT_EQ(r.failed, 0);
    ASSERT_EQ(r.bandHours, static_cast<int>(hourly.size()));
    EXPECT_EQ(r.longestHydrograph, r.bandHours);
    EXPECT_FALSE(r.bandTruncated);
    for (int h = 1; h <= r.bandHours; ++h)
        for (std::size_t l = 0; l < kSeriesLevels.size(); ++l)
            ASSERT_DOUBLE_EQ(r.band[h - 1][l], ReferencePercentile(hourly[h - 1], kSeriesLevels[l]))
                << "hour " << h << " level " << l;

    std::vector<double> peaks, times, volumes;
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(r.realisations[i].peak, byHand[i].peak);
        EXPECT_EQ(r.realisations[i].peakHour, byHand[i].peakHour);
        EXPECT_EQ(r.realisations[i].volume, byHand[i].volume);
        peaks.push_back(byHand[i].peak);
        times.push_back(byHand[i].peakHour);
        volumes.push_back(byHand[i].volume);
    }
    EXPECT_EQ(r.peak.count, count);
    for (std::size_t l = 0; l < kSeriesLevels.size(); ++l) {
        EXPECT_DOUBLE_EQ(r.peak.percentiles[l], ReferencePercentile(peaks, kSeriesLevels[l]));
        EXPECT_DOUBLE_EQ(r.peakHour.percentiles[l], ReferencePercentile(times, kSeriesLevels[l]));
        EXPECT_DOUBLE_EQ(r.volume.percentiles[l], ReferencePercentile(volumes, kSeriesLevels[l]));
    }
    // The realisations scatter: the band is a band, not a line.
    EXPECT_LT(r.peak.percentiles[0], r.peak.percentiles[4]);
    EXPECT_GT(r.peak.min, 0);
}

TEST(Series, SeedDecidesTheSeries)
{
    const ComputationInputs in = examples::ZlewniaSeriesInputs();
    const SeriesResult a = RunSeries(in, 200, 42, 1);
    const SeriesResult b = RunSeries(in, 200, 42, 1);
    const SeriesResult c = RunSeries(in, 200, 43, 1);
    // Run in steps on this thread instead of on a worker: the same series.
    const SeriesResult stepped = RunSeries(in, 200, 42, 0);
    EXPECT_EQ(stepped.band, a.band);
    EXPECT_EQ(stepped.peak.percentiles, a.peak.percentiles);
    int differing = 0;
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(a.realisations[i].peak, b.realisations[i].peak);
        differing += a.realisations[i].peak != c.realisations[i].peak;
    }
    EXPECT_EQ(a.band, b.band);
    EXPECT_GT(differing, 190);
}

// Realisations are shared out among the workers as they come, so which thread runs which
// differs from run to run; the series does not.
TEST(Series, SameSeedSameSeriesWithOneAndTwoThreads)
{
    ComputationInputs failing = examples::ZlewniaFailingInputs();
    for (const ComputationInputs& in : {examples::ZlewniaSeriesInputs(), failing}) {
        const SeriesResult one = RunSeries(in, 400, 1234, 1);
        for (int threads : {2, 3}) {
            const SeriesResult many = RunSeries(in, 400, 1234, threads);
            EXPECT_EQ(many.succeeded, one.succeeded);
            EXPECT_EQ(many.firstFailureIndex, one.firstFailureIndex);
            EXPECT_EQ(many.band, one.band);
            EXPECT_EQ(many.peak.percentiles, one.peak.percentiles);
            EXPECT_EQ(many.volume.mean, one.volume.mean);
            for (int i = 0; i < 400; ++i) {
                EXPECT_EQ(many.realisations[i].ok, one.realisations[i].ok);
                EXPECT_EQ(many.realisations[i].peak, one.realisations[i].peak);
                EXPECT_EQ(many.realisations[i].volume, one.realisations[i].volume);
            }
        }
    }
}

// A curve number above 100 makes the retention negative; with 21 mm in the first hour the
// runoff formula has no meaning when the random enlargement of |S| passes about 13.7 %, so
// some realisations fail and the others go on.
TEST(Series, FailingRealisationsAreCountedAndReported)
{
    ComputationInputs in = examples::ZlewniaFailingInputs();
    const int count = 200;
    const SeriesResult r = RunSeries(in, count, 5, SeriesWorkerCount());
    std::vector<RealisationSummary> byHand;
    HourlyByHand(in, count, 5, byHand);

    EXPECT_GT(r.failed, 20);
    EXPECT_GT(r.succeeded, 20);
    EXPECT_EQ(r.failed + r.succeeded, count);
    EXPECT_EQ(r.peak.count, r.succeeded);
    EXPECT_EQ(r.firstFailure,
              QStringLiteral("Średni współczynnik CN spoza zakresu - nie można obliczyć opadu efektywnego"));
    int first = -1;
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(r.realisations[i].ok, byHand[i].ok) << i;
        if (!byHand[i].ok && first < 0)
            first = i;
    }
    EXPECT_EQ(r.firstFailureIndex, first);
}

TEST(Series, BandKeptWithinItsMemoryBudget)
{
    const ComputationInputs in = examples::ZlewniaSeriesInputs();
    const int count = 100;
    const SeriesResult whole = RunSeries(in, count, 9, 1);
    // Room for 20 hours of 100 realisations.
    const SeriesResult cut = RunSeries(in, count, 9, 1, 20 * count * sizeof(float));
    ASSERT_GT(whole.bandHours, 20);
    EXPECT_EQ(cut.bandHours, 20);
    EXPECT_TRUE(cut.bandTruncated);
    EXPECT_EQ(cut.longestHydrograph, whole.longestHydrograph);
    for (int h = 0; h < 20; ++h)
        EXPECT_EQ(cut.band[h], whole.band[h]);
    // The summary figures come from whole hydrographs either way.
    EXPECT_EQ(cut.peak.percentiles, whole.peak.percentiles);
    EXPECT_EQ(cut.volume.max, whole.volume.max);
}

TEST(SeriesStatistics, NearestPeakRealisationSkipsFailuresAndTakesTheLowestIndexOfEquals)
{
    const RealisationSummary failed{false, 4.0f, 0, 0};
    const auto ok = [](float peak) { return RealisationSummary{true, peak, 1, 0}; };
    const struct {
        std::vector<RealisationSummary> realisations;
        double median;
        int expected;
    } cases[] = {
        {{ok(3), ok(5), ok(4)}, 4, 2},
        {{ok(3), ok(5)}, 4, 0},
        {{ok(5), ok(3)}, 4, 0},
        {{ok(5), ok(2), ok(3), ok(5)}, 4.5, 0},
        {{failed, ok(6), ok(2.5f)}, 4, 2},  // the failed one's peak is not looked at
        {{failed, failed}, 4, -1},
        {{}, 0, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NearestPeakRealisation(c.realisations, c.median), c.expected)
            << c.realisations.size() << " realisations, median " << c.median;
}

// The representative of a series is a realisation of it (its peak nearest the median peak),
// drawn whole: the realisation run again from its sub-stream, ordinate for ordinate.
TEST(Series, RepresentativeIsTheRealisationWithThePeakNearestTheMedian)
{
    ComputationInputs failing = examples::ZlewniaFailingInputs();
    const struct {
        const char* name;
        ComputationInputs inputs;
        int count;
        int threads;
        bool failures;
    } cases[] = {
        {"example, 61 realisations", examples::ZlewniaSeriesInputs(), 61, 2, false},
        {"example, 60 realisations in steps", examples::ZlewniaSeriesInputs(), 60, 0, false},
        {"some realisations failing", failing, 120, 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::uint64_t seed = 4321;
        const SeriesResult r = RunSeries(c.inputs, c.count, seed, c.threads);
        ASSERT_GT(r.succeeded, 1);
        EXPECT_EQ(r.failed > 0, c.failures);
        const int k = r.representative;
        ASSERT_GE(k, 0);
        ASSERT_TRUE(r.realisations[k].ok);
        const double median = r.peak.percentiles[kMedianSeriesLevel];
        const double distance = std::abs(r.realisations[k].peak - median);
        for (int i = 0; i < c.count; ++i) {
            if (!r.realisations[i].ok || i == k)
                continue;
            const double d = std::abs(r.realisations[i].peak - median);
            if (i < k)
                EXPECT_GT(d, distance) << "realisation " << i << " before the representative " << k;
            else
                EXPECT_GE(d, distance) << "realisation " << i << " after the representative " << k;
        }
        if (c.count % 2 == 1 && !c.failures)
            EXPECT_EQ(r.realisations[k].peak, median);  // an odd count's median is a peak

        RealisationWorkspace work;
        SubstreamSource own(seed, static_cast<std::uint64_t>(k));
        const RealisationResult again = RunRealisation(c.inputs, own, work);
        EXPECT_EQ(r.representativeDischarge,
                  std::vector<float>(again.ordinates + 1, again.ordinates + 1 + again.length));
        ASSERT_FALSE(r.representativeDischarge.empty());
        EXPECT_EQ(*std::max_element(r.representativeDischarge.begin(), r.representativeDischarge.end()),
                  r.realisations[k].peak);
    }

    // Two realisations: the median lies halfway, both are as near, the first is taken.
    const SeriesResult two = RunSeries(examples::ZlewniaSeriesInputs(), 2, 99, 1);
    ASSERT_NE(two.realisations[0].peak, two.realisations[1].peak);
    EXPECT_EQ(two.representative, 0);

    // No realisation succeeded: none represents the series.
    ComputationInputs hopeless = examples::ZlewniaSeriesInputs();
    hopeless.curveNumber = 200;
    const SeriesResult none = RunSeries(hopeless, 5, 1, 1);
    ASSERT_EQ(none.succeeded, 0);
    EXPECT_EQ(none.representative, -1);
    EXPECT_TRUE(none.representativeDischarge.empty());
}

TEST(Series, CancelLeavesNoResult)
{
    const ComputationInputs in = examples::ZlewniaSeriesInputs();
    SeriesJob job(in, kMaxSeriesCount, 1, 1);
    // Let it get going, then stop it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (job.Done() < 10 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    job.Cancel();
    const std::optional<SeriesResult> result = job.Take();
    EXPECT_TRUE(job.Finished());
    EXPECT_FALSE(result.has_value());
    EXPECT_GE(job.Done(), 10);
    EXPECT_LT(job.Done(), kMaxSeriesCount);
}

TEST(SubstreamSource, DrawsAreUniformAndStreamsDiffer)
{
    SubstreamSource a(1, 0), b(1, 1), c(2, 0), a2(1, 0);
    double sum = 0;
    int equal = 0;
    for (int k = 0; k < 10000; ++k) {
        const double x = a.Next();
        ASSERT_GE(x, 0.0);
        ASSERT_LT(x, 1.0);
        sum += x;
        EXPECT_EQ(x, a2.Next());
        equal += (b.Next() == x) + (c.Next() == x);
    }
    EXPECT_NEAR(sum / 10000, 0.5, 0.01);
    EXPECT_EQ(equal, 0);
}

}  // namespace
