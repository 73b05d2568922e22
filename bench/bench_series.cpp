// A series of realisations: the example case (1000 and 10 000 realisations), a 399-hour storm
// as a series of 1000 and as one realisation (so the parallel efficiency is read off one run:
// series time / (1000 x single-run time)), and the peak memory of 10 000 realisations of a
// hydrograph of about 1000 hours (run it alone: the figure is the process's peak).
#include "ZlewniaSeries.h"
#include "model/Series.h"
#include "model/Variants.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>

using namespace moravel;
using namespace moravel::model;

namespace {

// The example's catchment under a 399-hour storm: the example's 24 hours over and over.
ComputationInputs Storm399h()
{
    ComputationInputs in = examples::ZlewniaSeriesInputs();
    const std::vector<float> day = in.rainfall;
    in.rainfall.clear();
    for (int i = 0; i < 399; ++i)
        in.rainfall.push_back(day[static_cast<std::size_t>(i) % day.size()]);
    in.parameters.HourCount = 399;
    return in;
}

// One hour of a trace of effective rain: the response of so little water is slow, and the
// hydrograph lasts a little over 1000 hours.
ComputationInputs TraceOfRain()
{
    ComputationInputs in = examples::ZlewniaSeriesInputs();
    in.directEffectiveRain = true;
    in.parameters.HourCount = 1;
    in.effectiveRain = {3e-5f};
    return in;
}

void Ensemble(benchmark::State& state, const ComputationInputs& in)
{
    const int count = static_cast<int>(state.range(0));
    std::uint64_t seed = 1;
    int failed = 0;
    for (auto _ : state) {
        const SeriesResult r = RunSeries(in, count, seed++, SeriesWorkerCount());
        failed += r.failed;
        benchmark::DoNotOptimize(r.band.data());
    }
    state.counters["threads"] = SeriesWorkerCount();
    state.counters["failed"] = failed;
    state.counters["per_realisation_us"] = benchmark::Counter(
        static_cast<double>(count) * state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_EnsembleExample(benchmark::State& state)
{
    Ensemble(state, examples::ZlewniaSeriesInputs());
}
BENCHMARK(BM_EnsembleExample)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A comparison of variants, each a series of the same count and seed, and the paired
// differences against the first. Arg 2 picks what the four variants change: 0 the averaged
// curve number (raised by 0, 1, 2, 3: a higher CN makes an earlier hour barely rainy, whose
// slow response gives a few realisations hydrographs of thousands of hours, and the band
// must cover them), 1 Manning's n (0,04, 0,045, 0,05, 0,055: the same rainy hours).
void BM_Variants(benchmark::State& state)
{
    const int variants = static_cast<int>(state.range(0));
    const int count = static_cast<int>(state.range(1));
    std::vector<ComputationInputs> inputs;
    for (int k = 0; k < variants; ++k) {
        inputs.push_back(examples::ZlewniaSeriesInputs());
        if (state.range(2) == 0)
            inputs.back().curveNumber += static_cast<float>(k);
        else
            inputs.back().parameters.n = 0.04 + 0.005 * k;
    }
    std::uint64_t seed = 1;
    int longest = 0;
    for (auto _ : state) {
        std::vector<SeriesResult> results;
        for (const ComputationInputs& in : inputs) {
            results.push_back(RunSeries(in, count, seed, SeriesWorkerCount()));
            longest = std::max(longest, results.back().longestHydrograph);
        }
        for (std::size_t k = 1; k < results.size(); ++k)
            benchmark::DoNotOptimize(PairedDifferenceOf(results[0], results[k]).pairedWidth);
        ++seed;
    }
    state.counters["threads"] = SeriesWorkerCount();
    state.counters["longest_h"] = longest;
}
BENCHMARK(BM_Variants)->Args({4, 1000, 0})->Args({4, 1000, 1})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Ensemble399h(benchmark::State& state)
{
    Ensemble(state, Storm399h());
}
BENCHMARK(BM_Ensemble399h)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// One realisation of the same storm, on one thread, with its own workspace reused.
void BM_SingleRun399h(benchmark::State& state)
{
    const ComputationInputs in = Storm399h();
    RealisationWorkspace work;
    std::uint64_t index = 0;
    for (auto _ : state) {
        SubstreamSource random(1, index++);
        const RealisationResult r = RunRealisation(in, random, work);
        benchmark::DoNotOptimize(r.peak);
    }
}
BENCHMARK(BM_SingleRun399h)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_SeriesMemory1000h(benchmark::State& state)
{
    const ComputationInputs in = TraceOfRain();
    const int count = static_cast<int>(state.range(0));
    int longest = 0;
    for (auto _ : state) {
        const SeriesResult r = RunSeries(in, count, 3, SeriesWorkerCount());
        longest = r.longestHydrograph;
        benchmark::DoNotOptimize(r.band.data());
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["hydrograph_h"] = longest;
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_SeriesMemory1000h)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
