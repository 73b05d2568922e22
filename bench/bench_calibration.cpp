// The calibration on a measured flood: the example case, with measured floods that are single
// realisations of the model itself run with a known roughness n = 0,055 (the example's own is
// 0,04), each from another seed than the calibration's series. The calibration searches n
// alone, then the curve number (+-30 %) and n together, with 1000 realisations per candidate
// from one seed and the default criterion (the mean CRPS). Each benchmark fits kFloods such
// floods; the counters give how many fits fall within 10 % of the known n, the median error,
// the time per fit and the candidates per fit. A measured flood is the realisation's hours
// from the first to the last whose discharge is at least 1 % of its peak, as a gauge would
// record the flood.
#include "ZlewniaSeries.h"
#include "model/Calibration.h"
#include "model/Series.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace moravel;
using namespace moravel::model;

namespace {

constexpr double kKnownN = 0.055;
constexpr int kRealisations = 1000;
constexpr int kFloods = 20;
constexpr std::uint64_t kCalibrationSeed = 20261211;
constexpr std::uint64_t kFloodSeed = 7;

// Realisation `index` of seed kFloodSeed on `truth`, as a gauge records it.
std::vector<MeasuredPoint> SingleFlood(const ComputationInputs& truth, int index)
{
    SubstreamSource random(kFloodSeed, static_cast<std::uint64_t>(index));
    RealisationWorkspace work;
    const RealisationResult r = RunRealisation(truth, random, work);
    int first = 1, last = r.length;
    while (first < last && r.ordinates[first] < 0.01 * r.peak)
        ++first;
    while (last > first && r.ordinates[last] < 0.01 * r.peak)
        --last;
    std::vector<MeasuredPoint> flood;
    for (int h = first; h <= last; ++h)
        flood.push_back({static_cast<double>(h), r.ordinates[h]});
    return flood;
}

void Calibration(benchmark::State& state, bool withCurveNumber)
{
    const ComputationInputs example = examples::ZlewniaSeriesInputs();
    ComputationInputs truth = example;
    truth.parameters.n = kKnownN;
    std::vector<std::vector<MeasuredPoint>> floods;
    for (int i = 0; i < kFloods; ++i)
        floods.push_back(SingleFlood(truth, i));

    CalibrationSettings s;
    s.cn = withCurveNumber ? CurveNumberRange(example.curveNumber)
                           : ParameterRange{example.curveNumber, example.curveNumber};
    s.n = {0.01, 0.15};  // the window's range
    s.b = {example.parameters.b, example.parameters.b};
    s.count = kRealisations;
    s.seed = kCalibrationSeed;
    s.threads = SeriesWorkerCount();
    std::vector<double> errors;
    int evaluations = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        errors.clear();
        evaluations = 0;
        for (const auto& flood : floods) {
            const CalibrationResult r = Calibrate(example, flood, s);
            errors.push_back(100 * std::abs(r.best.n - kKnownN) / kKnownN);
            evaluations += r.evaluations;
            if (std::getenv("MORAVEL_BENCH_VERBOSE"))
                std::fprintf(stderr, "flood of %zu h: n %.4f CN %.2f crps %.4f\n", flood.size(), r.best.n, r.best.cn,
                             r.best.crps);
        }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double within =
        static_cast<double>(std::count_if(errors.begin(), errors.end(), [](double e) { return e <= 10; }));
    std::nth_element(errors.begin(), errors.begin() + kFloods / 2, errors.end());
    state.counters["within_10pct"] = within;
    state.counters["floods"] = kFloods;
    state.counters["median_n_error_pct"] = errors[kFloods / 2];
    state.counters["evaluations_per_fit"] = static_cast<double>(evaluations) / kFloods;
    state.counters["s_per_fit"] = seconds / kFloods;
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
