#pragma once
// A series of realisations of the whole chain (effective rainfall, then the hydrograph) on
// one set of inputs, run on worker threads. Each realisation draws from a generator of its
// own, seeded from the series seed and the realisation's index, so a series is the same
// whatever the number of threads. The result is the spread of the realisations: per-hour
// percentiles of the discharge and the spread of the peak, its time and the outflow volume.
#include <QString>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "model/ComputationInputs.h"
#include "model/Geom.h"
#include "model/Random.h"
#include "model/SeriesStatistics.h"
#include "model/State.h"

namespace moravel::model {

// The generator of one realisation, keyed by the series seed and the realisation's index.
// The computation's draws are keyed (Draw): each is SplitMix64's output at a counter made of
// the draw's purpose, hour and step, in a stream of its own for (seed, index) (a
// counter-based generator: Steele, Lea & Flood 2014). So realisation i of two variants of a
// catchment gets the same value for the same draw even where the variants draw different
// things (common random numbers). Next() reads a plain stream of the realisation
// (xoshiro256** started from SplitMix64) for anything else. Reseed() does nothing: the cores
// reseed their source at the start of a run, and here the draws are fixed by (seed, index).
class SubstreamSource : public UniformSource {
public:
    SubstreamSource(std::uint64_t seed, std::uint64_t index);
    void Reseed() override {}
    double Next() override;
    double Draw(DrawPurpose purpose, int hour, int step) override;
    void SetKeyOrigin(int hour) override { hourShift_ = hour - 1; }
    std::unique_ptr<UniformSource> Clone() const override { return std::make_unique<SubstreamSource>(*this); }

private:
    std::uint64_t s_[4];
    std::uint64_t keyBase_;
    int hourShift_ = 0;
};

// Keys `random`'s draws from the first hour with rain of `inputs` (the typed effective
// rainfall in direct mode), as every realisation of a series draws.
void KeyFromFirstRain(UniformSource& random, const ComputationInputs& inputs);

// A fresh series seed from the clock.
std::uint64_t ClockSeed();

// Working storage of one thread, reused by its realisations.
struct RealisationWorkspace {
    RealisationWorkspace();
    std::unique_ptr<ComputationState> state;
    HydrographWorkspace hydrograph;
};

// One realisation's figures. The ordinates stay in the workspace until its next run.
struct RealisationResult {
    const float* ordinates = nullptr;  // indexed 1..length
    int length = 0;
    float peak = 0;     // m3/s; 0 for an empty hydrograph
    int peakHour = 0;   // h from the storm's start, the first hour at the peak; 0 for an empty hydrograph
    double volume = 0;  // m3, the ordinates times 3600 s
};

// The whole chain once. Throws moravel::Error on a floating-point fault or a capacity refusal.
RealisationResult RunRealisation(const ComputationInputs& inputs, UniformSource& random, RealisationWorkspace& work);

// One realisation with every draw at 0.5: a fault of the formulas on these inputs is thrown
// now, before any run of a series starts.
void CheckRealisationRuns(const ComputationInputs& inputs);

// Per-realisation figures kept for the summary and its export.
struct RealisationSummary {
    bool ok = false;
    float peak = 0;
    int peakHour = 0;
    double volume = 0;
};

struct SeriesResult {
    std::uint64_t seed = 0;
    int requested = 0;
    int succeeded = 0;
    int failed = 0;
    // The message of the failing realisation with the lowest index, and that index (0-based).
    QString firstFailure;
    int firstFailureIndex = -1;
    std::vector<RealisationSummary> realisations;  // by index

    int longestHydrograph = 0;  // h, over the successful realisations
    // Percentiles of the discharge at hours 1..bandHours (at [hour - 1]), over the successful
    // realisations, a realisation counting 0 after the end of its hydrograph. bandHours is
    // below longestHydrograph only when the memory bound cut the band (bandTruncated).
    int bandHours = 0;
    bool bandTruncated = false;
    std::vector<std::array<double, kSeriesLevels.size()>> band;

    Spread peak, peakHour, volume;

    // The per-hour percentiles are taken hour by hour, so the median curve is no hydrograph
    // (its peak is below the median of the peaks). The representative realisation is one:
    // the successful realisation whose peak is nearest the median peak, the lowest index
    // among equals; -1 when none succeeded. Its discharge at hours 1..size (at [hour - 1])
    // is that realisation run again, from its own sub-stream, on the series' inputs.
    int representative = -1;
    std::vector<float> representativeDischarge;
};

// One level of the band (kSeriesLevels) as a curve: hours 1..bandHours at [hour - 1].
std::vector<double> BandLevelCurve(const SeriesResult& result, std::size_t level);

// The index of the successful realisation whose peak is nearest `medianPeak`, the lowest
// among equals; -1 when none succeeded.
int NearestPeakRealisation(const std::vector<RealisationSummary>& realisations, double medianPeak);

// Memory for the per-hour values of the band: hours are kept exactly, as floats, up to
// budget / (4 bytes x realisations) hours.
constexpr std::size_t kBandBudgetBytes = std::size_t(128) << 20;
// Hours of the band at most, whatever the memory allows (about 30 years).
constexpr int kMaxBandHours = 1 << 18;
// The realisations a series may have, and the count the windows offer first.
constexpr int kMaxSeriesCount = 100000;
constexpr int kDefaultSeriesCount = 1000;

// Worker threads for a series: one per hardware thread (at least one).
int SeriesWorkerCount();

// A series running on worker threads from construction, or with no threads (threads <= 0) in
// steps that the caller runs. Progress, Finished and Cancel may be called from any thread;
// Take once, after Finished (or to give up: it cancels and joins).
class SeriesJob {
public:
    SeriesJob(ComputationInputs inputs, int count, std::uint64_t seed, int threads,
              std::size_t bandBudget = kBandBudgetBytes);
    ~SeriesJob();
    SeriesJob(const SeriesJob&) = delete;
    SeriesJob& operator=(const SeriesJob&) = delete;

    int Count() const { return count_; }
    int Done() const { return done_.load(std::memory_order_relaxed); }
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    // Stops the workers after the realisation each is running; the series then has no result.
    void Cancel() { cancel_.store(true, std::memory_order_relaxed); }
    // Without worker threads: runs realisations (then the band) for about `budget` on the
    // calling thread; true once the series is finished. With workers it only reports that.
    bool Step(std::chrono::milliseconds budget);
    // Waits for the workers; the whole result, or nothing when the series was cancelled.
    std::optional<SeriesResult> Take();

private:
    using Clock = std::chrono::steady_clock;
    void Work();
    void RunRealisations(RealisationWorkspace& work, std::vector<std::pair<int, QString>>& failures,
                         Clock::time_point until);
    void EndRealising(const std::vector<std::pair<int, QString>>& failures);
    void ComputeBand(Clock::time_point until);
    void EndBand();
    void Assemble();
    void RedrawRepresentative();
    float* Row(int hour);

    const ComputationInputs inputs_;
    const int count_;
    const std::uint64_t seed_;
    const int threads_;
    const int rowCap_;  // hours of the band kept

    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    std::atomic<int> next_{0};
    std::atomic<int> done_{0};
    std::atomic<int> nextHour_{1};
    std::atomic<int> hoursDone_{0};
    std::atomic<int> longest_{0};

    // Per-hour values, [hour - 1][realisation], rows made on first use.
    std::vector<std::atomic<float*>> rows_;
    std::vector<std::unique_ptr<float[]>> ownedRows_;

    std::mutex mutex_;
    std::condition_variable realised_;
    int workersRealising_;
    int workersRunning_;
    bool complete_ = false;  // every realisation run and the band computed
    std::vector<int> succeededIndices_;
    // Running in steps on the caller's thread.
    const bool stepped_;
    bool bandPhase_ = false;
    std::unique_ptr<RealisationWorkspace> stepWork_;
    std::vector<std::pair<int, QString>> stepFailures_;
    std::vector<std::pair<int, QString>> failures_;
    SeriesResult result_;

    std::vector<std::thread> workers_;
};

// A series run to its end on `threads` workers (for tests and benchmarks).
SeriesResult RunSeries(const ComputationInputs& inputs, int count, std::uint64_t seed, int threads,
                       std::size_t bandBudget = kBandBudgetBytes);

}  // namespace moravel::model
