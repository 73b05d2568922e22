#pragma once
// A design-flood table: for each exceedance probability (and, for the critical duration,
// each storm duration) the design storm run as a series of realisations, exactly as
// "Seria realizacji" runs one (the same sub-streams: realisation i draws from (seed, i)), so a
// probability's result repeats with the same seed. The probability is the rainfall's; taking
// the flood's probability equal to it is an assumption of the method.
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "model/ComputationInputs.h"
#include "model/LandUse.h"
#include "model/Series.h"
#include "model/SeriesStatistics.h"

namespace moravel::model {

// The probabilities offered by default, per cent a year.
constexpr double kDefaultDesignProbabilities[] = {50, 20, 10, 5, 2, 1, 0.5, 0.2};

// One storm of the table: its probability, duration and depth, and the computation's inputs
// with its hyetograph as the rainfall.
struct DesignFloodCase {
    double probability = 0;  // per cent
    int hours = 0;
    double depth = 0;  // mm
    ComputationInputs inputs;
};

struct DesignFloodRow {
    double probability = 0;
    int hours = 0;
    double depth = 0;
    int succeeded = 0;
    int failed = 0;
    QString firstFailure;
    // Over the successful realisations: the effective rainfall's total (mm), the peak
    // (m3/s), the hour of the peak and the outflow volume (m3).
    Spread effectiveRain, peak, peakHour, volume;
    // The realisation whose peak is nearest the median peak (as the series picks it), -1
    // when none succeeded, and its discharge at hours 1..size.
    int representative = -1;
    std::vector<float> representativeDischarge;
    // The storm as the computation used it: the rainfall of hours 1..N at [0..N-1], mm.
    std::vector<float> rainfall;
    // The confidence interval of the median peak from the order statistics of the successful
    // realisations' peaks; none below 6 of them.
    std::optional<MedianInterval> peakInterval;
    // The median volume over A * sum of the rainfall; none when either is not positive.
    std::optional<double> runoffCoefficient;
};

struct DesignFloodResult {
    std::uint64_t seed = 0;
    int realisations = 0;
    std::vector<DesignFloodRow> rows;  // in the order of the cases
};

// The inputs of one design storm: everything a computation reads as `texts` holds it, with
// the rainfall replaced by the storm's hourly texts, through the one builder of a
// computation's inputs and checked once as a series checks them.
ComputationInputs DesignStormComputationInputs(ComputationTexts texts, const std::vector<QString>& rainfall,
                                               const LandUseState& landUse, QChar separator,
                                               const std::function<void()>& onInvalidLandUseCell);

// The critical duration: for each probability (in the order first met), the row with the
// highest median peak among its durations (the first among equals).
std::vector<int> CriticalRows(const DesignFloodResult& result);

// Where a critical row's duration stands among its probability's durations: the shortest or
// the longest of them (the peak may then lie beyond the table), both when it is the only one.
enum class TableEdge { Inside, Shortest, Longest, Only };
TableEdge CriticalTableEdge(const DesignFloodResult& result, int row);

// The other rows of `row`'s probability whose median peak cannot be told from its median peak:
// their confidence intervals overlap. Rows without an interval are not counted.
std::vector<int> RowsNotDistinctFrom(const DesignFloodResult& result, int row);

// The Gumbel reduced variate of an annual exceedance probability p (0 < p < 1):
// y = -ln(-ln(1 - p)). On a Gumbel probability paper the probabilities are placed at y.
double GumbelReducedVariate(double exceedance);

// The table's series one after another, each on `threads` workers, or with no threads
// (threads <= 0) in steps that the caller runs. Progress counts realisations over all cases.
class DesignFloodJob {
public:
    DesignFloodJob(std::vector<DesignFloodCase> cases, int count, std::uint64_t seed, int threads);
    ~DesignFloodJob();
    DesignFloodJob(const DesignFloodJob&) = delete;
    DesignFloodJob& operator=(const DesignFloodJob&) = delete;

    int Total() const { return total_; }
    int Done() const;
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    void Cancel();
    // Without threads: runs for about `budget`; true once finished. With threads it only
    // reports that.
    bool Step(std::chrono::milliseconds budget);
    // Waits for the end; the whole table, or nothing when it was cancelled.
    std::optional<DesignFloodResult> Take();

private:
    void Run();
    void StartCase(std::size_t index);
    void EndCase(SeriesResult series);

    const std::vector<DesignFloodCase> cases_;
    const int count_;
    const std::uint64_t seed_;
    const int threads_;
    const int total_;

    mutable std::mutex mutex_;  // guards current_
    std::unique_ptr<SeriesJob> current_;
    std::size_t next_ = 0;
    std::atomic<int> casesDone_{0};
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    bool complete_ = false;
    DesignFloodResult result_;
    std::thread runner_;
};

// A whole table on `threads` workers (for tests and benchmarks).
DesignFloodResult RunDesignFloodTable(std::vector<DesignFloodCase> cases, int count, std::uint64_t seed, int threads);

// One row's figures from a finished series of its case: the spreads, the representative
// realisation and the effective rainfall of every successful realisation (recomputed from
// its own sub-stream, whose first draws are the effective rainfall's).
DesignFloodRow DesignFloodRowOf(const DesignFloodCase& c, const SeriesResult& series);

}  // namespace moravel::model
