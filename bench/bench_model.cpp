// The hydrograph and effective-rainfall cores against their floor: the same number of draws
// from the real random source alone.
#include "model/Geom.h"
#include "model/OpadEfektywnyObliczenia.h"
#include "model/Random.h"
#include "model/State.h"
#include "text/Error.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <string>
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

// The real source the benchmarks draw from.
UniformSource& RealSource()
{
    static ClockSeededSource source;
    return source;
}

// Counts the draws and reseeds that a run takes from the real source.
class CountingSource : public UniformSource {
public:
    void Reseed() override
    {
        real_.Reseed();
        ++reseeds;
    }
    double Next() override
    {
        ++draws;
        return real_.Next();
    }
    std::unique_ptr<UniformSource> Clone() const override { return real_.Clone(); }
    long draws = 0;
    long reseeds = 0;

private:
    ClockSeededSource real_;
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
    HydrographWorkspace workspace;
    for (auto _ : st) {
        ComputeHydrographCore(inputs, *state, RealSource(), workspace);
        benchmark::DoNotOptimize(state->PeakDischarge);
    }
    st.counters["length"] = state->HydrographLength;
    st.counters["draws"] = static_cast<double>(HydrographDraws(hours));
}
BENCHMARK(BM_HydrographCore)->Arg(24)->Arg(120)->Arg(399)->Unit(benchmark::kMicrosecond);

void BM_HydrographDrawFloor(benchmark::State& st)
{
    const long draws = HydrographDraws(static_cast<int>(st.range(0)));
    UniformSource& random = RealSource();
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
        const float S = ScsEffectiveRain(rain.data(), hours, 72.5f, RealSource(), effective.data());
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
    UniformSource& random = RealSource();
    for (auto _ : st) {
        double sum = 0;
        for (long k = 0; k < counter.draws; ++k)
            sum += random.Next();
        benchmark::DoNotOptimize(sum);
    }
    st.counters["draws"] = static_cast<double>(counter.draws);
}
BENCHMARK(BM_ScsDrawFloor)->Arg(399)->Unit(benchmark::kMicrosecond);

// The catchment of examples/zlewnia.kwx with 50 km2 of CN 75, under three realistic storms:
// 6 h of 10 mm, 24 h of 2 mm and 24 h of 1 mm. Each run is what "Hydrogram" does: effective
// rainfall and hydrograph from the clock-seeded generator. A run refused with an error is
// counted in `refusals`; `longest` is the longest hydrograph of all runs, in hours.
void BM_RealisticStorms(benchmark::State& st)
{
    static const struct {
        int hours;
        float depth;
    } storms[] = {{6, 10}, {24, 2}, {24, 1}};
    const auto& storm = storms[st.range(0)];
    const std::vector<float> rain(static_cast<std::size_t>(storm.hours), storm.depth);
    HydrographParameters p;
    p.RB = 4.2;
    p.RL = 2.3;
    p.RA = 4.8;
    p.So = 0.004;
    p.Lo = 12;
    p.b = 15;
    p.n = 0.04;
    p.Area = 50;
    p.HourCount = storm.hours;
    PlainHydrographInputs inputs(p);
    auto state = std::make_unique<ComputationState>();
    HydrographWorkspace workspace;
    ClockSeededSource random;
    long refusals = 0;
    std::string firstRefusal;
    int longest = 0;
    for (auto _ : st) {
        random.Reseed();
        ScsEffectiveRain(rain.data(), storm.hours, 75.0f, random, &state->EffectiveRain[1]);
        try {
            ComputeHydrographCore(inputs, *state, random, workspace);
            longest = std::max(longest, static_cast<int>(state->HydrographLength));
        } catch (const moravel::Error& e) {
            if (refusals++ == 0)
                firstRefusal = e.text().toStdString();
        }
    }
    st.SetLabel(std::to_string(storm.hours) + " h x " + std::to_string(static_cast<int>(storm.depth)) + " mm" +
                (refusals ? ", first refusal: " + firstRefusal : std::string()));
    st.counters["refusals"] = static_cast<double>(refusals);
    st.counters["longest"] = longest;
}
BENCHMARK(BM_RealisticStorms)->DenseRange(0, 2)->Iterations(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
