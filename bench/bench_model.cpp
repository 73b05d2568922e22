// The hydrograph and effective-rainfall cores against their floor: the same number of draws
// from the real random source alone.
#include "model/Geom.h"
#include "model/OpadEfektywnyObliczenia.h"
#include "model/Random.h"
#include "model/State.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

using namespace moravel::model;

namespace {

// A mid-sized lowland catchment.
HydrographParameters Catchment(int hours)
{
    HydrographParameters p;
    p.So = 0.004;
    p.n = 0.035;
    p.b = 15;
    p.RB = 4.2;
    p.RA = 4.8;
    p.RL = 2.3;
    p.Lo = 12;
    p.Area = 250;
    p.HourCount = hours;
    return p;
}

// Hourly effective rain of a long storm: showers of a few millimetres with dry spells.
std::vector<float> EffectiveStorm(int hours)
{
    std::vector<float> rain(static_cast<std::size_t>(hours));
    for (int i = 0; i < hours; ++i) {
        const double wave = std::sin(i * 0.37) + 0.5 * std::sin(i * 0.11 + 1);
        rain[static_cast<std::size_t>(i)] = wave > 0.2 ? float(3.0 * wave) : 0.0f;
    }
    return rain;
}

std::vector<float> Rainfall(int hours)
{
    std::vector<float> rain(static_cast<std::size_t>(hours));
    for (int i = 0; i < hours; ++i)
        rain[static_cast<std::size_t>(i)] = float(4.0 + 4.0 * std::sin(i * 0.29));
    return rain;
}

// Counts the draws and reseeds that a run takes from the real source.
class CountingSource : public UniformSource {
public:
    void Reseed() override
    {
        RandomSource().Reseed();
        ++reseeds;
    }
    double Next() override
    {
        ++draws;
        return RandomSource().Next();
    }
    long draws = 0;
    long reseeds = 0;
};

std::unique_ptr<ComputationState> StormState(int hours)
{
    auto state = std::make_unique<ComputationState>();
    const std::vector<float> rain = EffectiveStorm(hours);
    for (int i = 1; i <= hours; ++i)
        state->EffectiveRain[i] = rain[static_cast<std::size_t>(i - 1)];
    return state;
}

long HydrographDraws(int hours)
{
    auto state = StormState(hours);
    PlainHydrographInputs inputs(Catchment(hours));
    CountingSource counter;
    ComputeHydrographCore(inputs, *state, counter);
    return counter.draws;
}

void BM_HydrographCore(benchmark::State& st)
{
    const int hours = static_cast<int>(st.range(0));
    auto state = StormState(hours);
    PlainHydrographInputs inputs(Catchment(hours));
    for (auto _ : st) {
        ComputeHydrographCore(inputs, *state, RandomSource());
        benchmark::DoNotOptimize(state->PeakDischarge);
    }
    st.counters["length"] = state->HydrographLength;
    st.counters["draws"] = static_cast<double>(HydrographDraws(hours));
}
BENCHMARK(BM_HydrographCore)->Arg(24)->Arg(120)->Arg(399)->Unit(benchmark::kMicrosecond);

void BM_HydrographDrawFloor(benchmark::State& st)
{
    const long draws = HydrographDraws(static_cast<int>(st.range(0)));
    UniformSource& random = RandomSource();
    for (auto _ : st) {
        random.Reseed();
        double sum = 0;
        for (long k = 0; k < draws; ++k)
            sum += random.Next();
        benchmark::DoNotOptimize(sum);
    }
    st.counters["draws"] = static_cast<double>(draws);
}
BENCHMARK(BM_HydrographDrawFloor)->Arg(24)->Arg(120)->Arg(399)->Unit(benchmark::kMicrosecond);

void BM_ScsEffectiveRain(benchmark::State& st)
{
    const int hours = static_cast<int>(st.range(0));
    const std::vector<float> rain = Rainfall(hours);
    std::vector<float> effective(static_cast<std::size_t>(hours));
    for (auto _ : st) {
        const float S = ScsEffectiveRain(rain.data(), hours, 72.5f, RandomSource(), effective.data());
        benchmark::DoNotOptimize(S);
        benchmark::DoNotOptimize(effective.data());
    }
    CountingSource counter;
    ScsEffectiveRain(rain.data(), hours, 72.5f, counter, effective.data());
    st.counters["draws"] = static_cast<double>(counter.draws);
}
BENCHMARK(BM_ScsEffectiveRain)->Arg(399)->Unit(benchmark::kMicrosecond);

void BM_ScsDrawFloor(benchmark::State& st)
{
    const int hours = static_cast<int>(st.range(0));
    const std::vector<float> rain = Rainfall(hours);
    std::vector<float> effective(static_cast<std::size_t>(hours));
    CountingSource counter;
    ScsEffectiveRain(rain.data(), hours, 72.5f, counter, effective.data());
    UniformSource& random = RandomSource();
    for (auto _ : st) {
        double sum = 0;
        for (long k = 0; k < counter.draws; ++k)
            sum += random.Next();
        benchmark::DoNotOptimize(sum);
    }
    st.counters["draws"] = static_cast<double>(counter.draws);
}
BENCHMARK(BM_ScsDrawFloor)->Arg(399)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
