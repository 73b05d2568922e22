// The calibration on a measured flood: the example case with a synthetic measurement, the
// median curve of a series of 1000 realisations run with a known roughness n = 0,055 (the
// example's own is 0,04). The calibration searches n alone, then the curve number (+-30 %)
// and n together, with 1000 realisations per candidate from the same seed; the counters give
// the n it found, its error in per cent and the candidates evaluated. (n and b together are
// not identifiable from one flood: both act through the kinematic-wave velocity, and a
// smaller n with a narrower b fits as well.)
#include "ZlewniaSeries.h"
#include "model/Calibration.h"
#include "model/Series.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace moravel;
using namespace moravel::model;

namespace {

constexpr double kKnownN = 0.055;
constexpr int kRealisations = 1000;
constexpr std::uint64_t kSeed = 20261211;

std::vector<MeasuredPoint> SyntheticFlood(const ComputationInputs& truth)
{
    const SeriesResult r = RunSeries(truth, kRealisations, kSeed, SeriesWorkerCount());
    std::vector<MeasuredPoint> flood;
    for (int h = 1; h <= r.bandHours; ++h)
        flood.push_back({static_cast<double>(h), r.band[static_cast<std::size_t>(h - 1)][kMedianSeriesLevel]});
    return flood;
}

void Calibration(benchmark::State& state, bool withCurveNumber)
{
    const ComputationInputs example = examples::ZlewniaSeriesInputs();
    ComputationInputs truth = example;
    truth.parameters.n = kKnownN;
    const std::vector<MeasuredPoint> flood = SyntheticFlood(truth);

    CalibrationSettings s;
    s.criterion = CalibrationCriterion::MedianKge;
    s.cn = withCurveNumber ? CurveNumberRange(example.curveNumber)
                           : ParameterRange{example.curveNumber, example.curveNumber};
    s.n = {0.02, 0.1};
    s.b = {example.parameters.b, example.parameters.b};
    s.count = kRealisations;
    s.seed = kSeed;
    s.threads = SeriesWorkerCount();
    CalibrationResult r;
    for (auto _ : state) {
        r = Calibrate(example, flood, s);
        benchmark::DoNotOptimize(r.best.objective);
    }
    state.counters["n_found"] = r.best.n;
    state.counters["n_error_pct"] = 100 * std::abs(r.best.n - kKnownN) / kKnownN;
    state.counters["kge"] = r.best.median.kge;
    state.counters["evaluations"] = r.evaluations;
    state.counters["threads"] = s.threads;
}

// n alone, CN and b held at the example's values.
void BM_Calibrate(benchmark::State& state)
{
    Calibration(state, false);
}
BENCHMARK(BM_Calibrate)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

// CN and n together, b held.
void BM_CalibrateCurveNumberAndN(benchmark::State& state)
{
    Calibration(state, true);
}
BENCHMARK(BM_CalibrateCurveNumberAndN)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
