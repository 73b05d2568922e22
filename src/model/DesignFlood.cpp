#include "model/DesignFlood.h"

#include "model/HydrographFigures.h"
#include "model/OpadEfektywnyObliczenia.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace moravel::model {

namespace {

// The table reads the realisations' figures and the representative's hydrograph, never the
// per-hour band: the series keeps the least band it can (one hour).
constexpr std::size_t kNoBand = 0;

}  // namespace

ComputationInputs DesignStormComputationInputs(ComputationTexts texts, const std::vector<QString>& rainfall,
                                               const LandUseState& landUse, QChar separator,
                                               const std::function<void()>& onInvalidLandUseCell)
{
    texts.hourCount = QString::number(rainfall.size());
    texts.rainfall = rainfall;
    ComputationInputs in = BuildComputationInputs(texts, landUse, separator, onInvalidLandUseCell);
    CheckRealisationRuns(in);
    return in;
}

std::vector<int> CriticalRows(const DesignFloodResult& result)
{
    std::vector<int> critical;
    std::vector<double> probabilities;
    for (std::size_t i = 0; i < result.rows.size(); ++i) {
        const DesignFloodRow& row = result.rows[i];
        const auto seen = std::find(probabilities.begin(), probabilities.end(), row.probability);
        const double median = row.peak.percentiles[kMedianSeriesLevel];
        if (seen == probabilities.end()) {
            probabilities.push_back(row.probability);
            critical.push_back(static_cast<int>(i));
            continue;
        }
        int& best = critical[static_cast<std::size_t>(seen - probabilities.begin())];
        if (median > result.rows[static_cast<std::size_t>(best)].peak.percentiles[kMedianSeriesLevel])
            best = static_cast<int>(i);
    }
    return critical;
}

TableEdge CriticalTableEdge(const DesignFloodResult& result, int row)
{
    const DesignFloodRow& r = result.rows[static_cast<std::size_t>(row)];
    bool longer = false, shorter = false;
    for (const DesignFloodRow& other : result.rows) {
        if (other.probability != r.probability)
            continue;
        longer = longer || other.hours > r.hours;
        shorter = shorter || other.hours < r.hours;
    }
    if (longer && shorter)
        return TableEdge::Inside;
    if (longer)
        return TableEdge::Shortest;
    return shorter ? TableEdge::Longest : TableEdge::Only;
}

std::vector<int> RowsNotDistinctFrom(const DesignFloodResult& result, int row)
{
    std::vector<int> rows;
    const DesignFloodRow& r = result.rows[static_cast<std::size_t>(row)];
    if (!r.peakInterval)
        return rows;
    for (std::size_t i = 0; i < result.rows.size(); ++i) {
        const DesignFloodRow& other = result.rows[i];
        if (static_cast<int>(i) == row || other.probability != r.probability || !other.peakInterval)
            continue;
        if (other.peakInterval->low <= r.peakInterval->high && r.peakInterval->low <= other.peakInterval->high)
            rows.push_back(static_cast<int>(i));
    }
    return rows;
}

double GumbelReducedVariate(double exceedance)
{
    return -std::log(-std::log(1.0 - exceedance));
}

DesignFloodRow DesignFloodRowOf(const DesignFloodCase& c, const SeriesResult& series)
{
    DesignFloodRow row;
    row.probability = c.probability;
    row.hours = c.hours;
    row.depth = c.depth;
    row.succeeded = series.succeeded;
    row.failed = series.failed;
    row.firstFailure = series.firstFailure;
    row.peak = series.peak;
    row.peakHour = series.peakHour;
    row.volume = series.volume;
    row.representative = series.representative;
    row.representativeDischarge = series.representativeDischarge;

    const ComputationInputs& in = c.inputs;
    const int hours = std::max(in.parameters.HourCount, 0);
    std::vector<float> effective(static_cast<std::size_t>(hours));
    row.rainfall.assign(in.rainfall.begin(), in.rainfall.begin() + std::min<std::size_t>(in.rainfall.size(), hours));
    std::vector<double> totals, peaks;
    totals.reserve(static_cast<std::size_t>(series.succeeded));
    peaks.reserve(static_cast<std::size_t>(series.succeeded));
    for (std::size_t i = 0; i < series.realisations.size(); ++i) {
        if (!series.realisations[i].ok)
            continue;
        peaks.push_back(series.realisations[i].peak);
        if (in.directEffectiveRain) {
            effective.assign(in.effectiveRain.begin(), in.effectiveRain.begin() + hours);
        } else {
            SubstreamSource random(series.seed, i);
            KeyFromFirstRain(random, in);
            ScsEffectiveRain(in.rainfall.data(), hours, in.curveNumber, random, effective.data());
        }
        double total = 0;
        for (float e : effective)
            total += e;
        totals.push_back(total);
    }
    row.effectiveRain = SpreadOf(std::move(totals));
    row.peakInterval = MedianConfidenceInterval(std::move(peaks));
    if (row.succeeded > 0)
        row.runoffCoefficient = RunoffCoefficient(
            row.volume.percentiles[kMedianSeriesLevel], in.parameters.Area,
            std::accumulate(row.rainfall.begin(), row.rainfall.end(), 0.0));
    return row;
}

DesignFloodJob::DesignFloodJob(std::vector<DesignFloodCase> cases, int count, std::uint64_t seed, int threads)
    : cases_(std::move(cases)), count_(std::max(count, 0)), seed_(seed), threads_(threads),
      total_(static_cast<int>(cases_.size()) * std::max(count, 0))
{
    result_.seed = seed_;
    result_.realisations = count_;
    if (threads_ > 0)
        runner_ = std::thread([this] { Run(); });
}

DesignFloodJob::~DesignFloodJob()
{
    Cancel();
    if (runner_.joinable())
        runner_.join();
}

int DesignFloodJob::Done() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const int current = current_ ? current_->Done() : 0;
    return casesDone_.load() * count_ + current;
}

void DesignFloodJob::Cancel()
{
    cancel_.store(true);
    const std::lock_guard<std::mutex> lock(mutex_);
    if (current_)
        current_->Cancel();
}

void DesignFloodJob::StartCase(std::size_t index)
{
    auto job = std::make_unique<SeriesJob>(cases_[index].inputs, count_, seed_, threads_, kNoBand);
    const std::lock_guard<std::mutex> lock(mutex_);
    current_ = std::move(job);
    if (cancel_.load())
        current_->Cancel();
}

void DesignFloodJob::EndCase(SeriesResult series)
{
    result_.rows.push_back(DesignFloodRowOf(cases_[next_], series));
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        current_.reset();
    }
    ++next_;
    casesDone_.fetch_add(1);
}

void DesignFloodJob::Run()
{
    while (next_ < cases_.size() && !cancel_.load()) {
        StartCase(next_);
        std::optional<SeriesResult> series = current_->Take();
        if (!series)
            break;
        EndCase(std::move(*series));
    }
    complete_ = next_ == cases_.size() && !cancel_.load();
    finished_.store(true, std::memory_order_release);
}

bool DesignFloodJob::Step(std::chrono::milliseconds budget)
{
    if (threads_ > 0 || Finished())
        return Finished();
    const auto until = std::chrono::steady_clock::now() + budget;
    while (next_ < cases_.size() && !cancel_.load() && std::chrono::steady_clock::now() < until) {
        if (!current_)
            StartCase(next_);
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (!current_->Step(std::max(left, std::chrono::milliseconds(1))))
            return false;
        std::optional<SeriesResult> series = current_->Take();
        if (!series)
            break;
        EndCase(std::move(*series));
    }
    if (next_ < cases_.size() && !cancel_.load())
        return false;
    complete_ = next_ == cases_.size() && !cancel_.load();
    finished_.store(true, std::memory_order_release);
    return true;
}

std::optional<DesignFloodResult> DesignFloodJob::Take()
{
    if (runner_.joinable())
        runner_.join();
    if (!complete_)
        return std::nullopt;
    return std::move(result_);
}

DesignFloodResult RunDesignFloodTable(std::vector<DesignFloodCase> cases, int count, std::uint64_t seed, int threads)
{
    DesignFloodJob job(std::move(cases), count, seed, threads);
    if (threads <= 0)
        while (!job.Step(std::chrono::seconds(1))) {}
    std::optional<DesignFloodResult> result = job.Take();
    return result ? std::move(*result) : DesignFloodResult{};
}

}  // namespace moravel::model
