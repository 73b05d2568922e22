// Design storms and the design-flood table: generating a storm of up to 1000 hours of each
// shape, and the table of 8 probabilities x 1000 realisations of the example catchment under
// a 24-hour Euler type II storm, as the design-flood window runs it (worker threads, the same
// sub-streams as a series).
#include "ZlewniaSeries.h"
#include "model/DesignFlood.h"
#include "model/DesignStorm.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace moravel;
using namespace moravel::model;

namespace {

// A synthetic depth-duration table (a power law through `depth24` mm in 24 h) with rows at
// the durations of `hours`; for measuring only, not a design rainfall.
DepthDurationCurve SyntheticTable(double depth24, std::initializer_list<double> hours)
{
    std::vector<DepthDuration> rows;
    for (double h : hours)
        rows.push_back({h, depth24 * std::pow(h / 24.0, 0.33)});
    return DepthDurationCurve(rows);
}

void BM_DesignStorm(benchmark::State& state)
{
    DesignStormInputs design;
    design.shape = static_cast<StormShape>(state.range(0));
    design.hours = static_cast<int>(state.range(1));
    design.depthDuration = SyntheticTable(100, {1, 2, 3, 6, 12, 24, 48, 72, 120, 240, 500, 1000});
    design.peakShare = 1.0 / 3;
    design.userCurve = CumulativeCurve({{0, 0}, {30, 20}, {50, 70}, {100, 100}});
    for (auto _ : state) {
        const std::vector<double> storm = DesignStormHyetograph(design);
        const std::vector<QString> texts = HyetographTexts(storm, 1, QLatin1Char(','));
        benchmark::DoNotOptimize(texts.data());
    }
}
BENCHMARK(BM_DesignStorm)
    ->ArgsProduct({{int(StormShape::Block), int(StormShape::EulerII), int(StormShape::Dvwk),
                    int(StormShape::AlternatingBlock), int(StormShape::UserCurve)},
                   {24, 1000}})
    ->ArgNames({"shape", "hours"})
    ->Unit(benchmark::kMicrosecond);

void BM_DesignFloodTable(benchmark::State& state)
{
    const model::ComputationTexts texts = examples::ZlewniaComputationTexts();
    const model::LandUseState landUse = examples::ZlewniaLandUseState();
    std::vector<DesignFloodCase> cases;
    double depth24 = 45;
    for (double p : kDefaultDesignProbabilities) {
        DesignStormInputs design;
        design.shape = StormShape::EulerII;
        design.hours = 24;
        design.depthDuration = SyntheticTable(depth24, {1, 2, 3, 6, 12, 24});
        DesignFloodCase c;
        c.probability = p;
        c.hours = 24;
        c.depth = DesignStormTotal(design);
        c.inputs =
            DesignStormComputationInputs(texts, HyetographTexts(DesignStormHyetograph(design), 1, QLatin1Char(',')),
                                         landUse, QLatin1Char(','), [] {});
        cases.push_back(std::move(c));
        depth24 += 12;
    }
    std::uint64_t seed = 1;
    for (auto _ : state) {
        const DesignFloodResult r = RunDesignFloodTable(cases, 1000, seed++, SeriesWorkerCount());
        benchmark::DoNotOptimize(r.rows.data());
    }
    state.counters["threads"] = SeriesWorkerCount();
}
BENCHMARK(BM_DesignFloodTable)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
