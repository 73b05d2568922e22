#include "model/Series.h"

#include "model/HydrographFigures.h"
#include "model/OpadEfektywnyObliczenia.h"
#include "text/Error.h"

#include <algorithm>
#include <cmath>
#include <chrono>
#include <exception>
#include <limits>

namespace moravel::model {
namespace {

std::uint64_t SplitMix64(std::uint64_t& state)
{
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t RotateLeft(std::uint64_t x, int k)
{
    return (x << k) | (x >> (64 - k));
}

}  // namespace

SubstreamSource::SubstreamSource(std::uint64_t seed, std::uint64_t index)
{
    // Seed and index are mixed separately and then together, so neighbouring seeds or indices
    // start far apart; SplitMix64 then fills the state (never all zero).
    std::uint64_t a = seed;
    std::uint64_t b = index ^ 0x6A09E667F3BCC909ull;
    std::uint64_t start = SplitMix64(a) ^ RotateLeft(SplitMix64(b), 17);
    for (std::uint64_t& word : s_)
        word = SplitMix64(start);
    keyBase_ = SplitMix64(start);
}

double SubstreamSource::Draw(DrawPurpose purpose, int hour, int step)
{
    // Hours from the key origin; a dry hour before it gets a key of its own at or below 0.
    if (purpose != DrawPurpose::Retention)
        hour -= hourShift_;
    if (purpose == DrawPurpose::Weight)
        step -= hourShift_;
    // Purpose, hour and step (each within +-2^29 for any computation the state holds) side by
    // side in one counter; SplitMix64 at that position of this realisation's stream.
    std::uint64_t position =
        keyBase_ + ((static_cast<std::uint64_t>(purpose) << 60) |
                    (static_cast<std::uint64_t>(static_cast<std::uint32_t>(hour) & 0x3FFFFFFFu) << 30) |
                    (static_cast<std::uint64_t>(static_cast<std::uint32_t>(step) & 0x3FFFFFFFu))) *
                       0x9E3779B97F4A7C15ull;
    const std::uint64_t result = SplitMix64(position);
    return static_cast<double>(result >> 11) * 0x1.0p-53;
}

double SubstreamSource::Next()
{
    const std::uint64_t result = RotateLeft(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = RotateLeft(s_[3], 45);
    // 53 random bits give a double uniform in [0, 1) that never rounds up to 1.
    return static_cast<double>(result >> 11) * 0x1.0p-53;
}

std::uint64_t ClockSeed()
{
    std::uint64_t t = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    return SplitMix64(t);
}

std::vector<double> BandLevelCurve(const SeriesResult& result, std::size_t level)
{
    std::vector<double> curve(static_cast<std::size_t>(result.bandHours));
    for (std::size_t h = 0; h < curve.size(); ++h)
        curve[h] = result.band[h][level];
    return curve;
}

RealisationWorkspace::RealisationWorkspace() : state(std::make_unique<ComputationState>()) {}

void KeyFromFirstRain(UniformSource& random, const ComputationInputs& inputs)
{
    const std::vector<float>& rain = inputs.directEffectiveRain ? inputs.effectiveRain : inputs.rainfall;
    const int hours = std::min(std::max(inputs.parameters.HourCount, 0), static_cast<int>(rain.size()));
    random.SetKeyOrigin(FirstRainHour(rain.data(), hours));
}

RealisationResult RunRealisation(const ComputationInputs& inputs, UniformSource& random, RealisationWorkspace& work)
{
    ComputationState& state = *work.state;
    const int hours = std::max(inputs.parameters.HourCount, 0);
    KeyFromFirstRain(random, inputs);
    if (inputs.directEffectiveRain)
        std::copy(inputs.effectiveRain.begin(), inputs.effectiveRain.begin() + hours, &state.EffectiveRain[1]);
    else
        ScsEffectiveRain(inputs.rainfall.data(), hours, inputs.curveNumber, random, &state.EffectiveRain[1]);

    PlainHydrographInputs hydrographInputs(inputs.parameters);
    ComputeHydrographCore(hydrographInputs, state, random, work.hydrograph);

    RealisationResult r;
    r.ordinates = state.HydrographOrdinates.data();
    r.length = state.HydrographLength;
    // The core's peak of an empty hydrograph is what an earlier run left; here it is 0.
    const HydrographFigures figures = FiguresOf(r.ordinates, r.length);
    r.peak = figures.peak;
    r.peakHour = figures.peakHour;
    r.volume = figures.volume;
    return r;
}

namespace {

// A source whose every draw is one value.
class ConstantSource : public UniformSource {
public:
    void Reseed() override {}
    double Next() override { return 0.5; }
    std::unique_ptr<UniformSource> Clone() const override { return std::make_unique<ConstantSource>(); }
};

}  // namespace

void CheckRealisationRuns(const ComputationInputs& inputs)
{
    ConstantSource middle;
    RealisationWorkspace work;
    RunRealisation(inputs, middle, work);
}

int SeriesWorkerCount()
{
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

SeriesJob::SeriesJob(ComputationInputs inputs, int count, std::uint64_t seed, int threads, std::size_t bandBudget)
    : inputs_(std::move(inputs)), count_(std::max(count, 0)), seed_(seed),
      threads_(std::max(1, std::min(threads, std::max(count, 1)))),
      rowCap_(static_cast<int>(
          std::clamp<std::size_t>(bandBudget / (sizeof(float) * static_cast<std::size_t>(std::max(count, 1))), 1,
                                  static_cast<std::size_t>(std::numeric_limits<int>::max() / 2)))),
      rows_(static_cast<std::size_t>(std::min(rowCap_, kMaxBandHours))), workersRealising_(threads_),
      workersRunning_(threads_), stepped_(threads <= 0)
{
    for (std::atomic<float*>& row : rows_)
        row.store(nullptr, std::memory_order_relaxed);
    result_.seed = seed_;
    result_.requested = count_;
    result_.realisations.resize(static_cast<std::size_t>(count_));
    if (stepped_)
        return;
    workers_.reserve(static_cast<std::size_t>(threads_));
    for (int i = 0; i < threads_; ++i)
        workers_.emplace_back([this] { Work(); });
}

SeriesJob::~SeriesJob()
{
    Cancel();
    for (std::thread& t : workers_)
        if (t.joinable())
            t.join();
}

std::optional<SeriesResult> SeriesJob::Take()
{
    for (std::thread& t : workers_)
        if (t.joinable())
            t.join();
    if (!complete_)
        return std::nullopt;
    return std::move(result_);
}

float* SeriesJob::Row(int hour)
{
    std::atomic<float*>& slot = rows_[static_cast<std::size_t>(hour - 1)];
    float* row = slot.load(std::memory_order_acquire);
    if (row)
        return row;
    const std::lock_guard<std::mutex> lock(mutex_);
    row = slot.load(std::memory_order_relaxed);
    if (!row) {
        ownedRows_.emplace_back(new float[static_cast<std::size_t>(count_)]());
        row = ownedRows_.back().get();
        slot.store(row, std::memory_order_release);
    }
    return row;
}

void SeriesJob::RunRealisations(RealisationWorkspace& work, std::vector<std::pair<int, QString>>& failures,
                                Clock::time_point until)
{
    const int rowHours = static_cast<int>(rows_.size());
    while (!cancel_.load(std::memory_order_relaxed) && Clock::now() < until) {
        const int index = next_.fetch_add(1, std::memory_order_relaxed);
        if (index >= count_)
            break;
        SubstreamSource random(seed_, static_cast<std::uint64_t>(index));
        RealisationSummary& summary = result_.realisations[static_cast<std::size_t>(index)];
        try {
            const RealisationResult r = RunRealisation(inputs_, random, work);
            summary.ok = true;
            summary.peak = r.peak;
            summary.peakHour = r.peakHour;
            summary.volume = r.volume;
            const int kept = std::min(r.length, rowHours);
            for (int t = 1; t <= kept; ++t)
                Row(t)[index] = r.ordinates[t];
            int longest = longest_.load(std::memory_order_relaxed);
            while (r.length > longest && !longest_.compare_exchange_weak(longest, r.length)) {}
        } catch (const Error& e) {
            failures.emplace_back(index, e.text());
        } catch (const std::exception& e) {
            failures.emplace_back(index, QString::fromUtf8(e.what()));
        }
        done_.fetch_add(1, std::memory_order_relaxed);
    }
}

void SeriesJob::Work()
{
    RealisationWorkspace work;
    std::vector<std::pair<int, QString>> failures;
    RunRealisations(work, failures, Clock::time_point::max());
    EndRealising(failures);
    ComputeBand(Clock::time_point::max());
    EndBand();
}

bool SeriesJob::Step(std::chrono::milliseconds budget)
{
    if (!stepped_ || Finished())
        return Finished();
    const Clock::time_point until = Clock::now() + budget;
    if (!bandPhase_) {
        if (!stepWork_)
            stepWork_ = std::make_unique<RealisationWorkspace>();
        RunRealisations(*stepWork_, stepFailures_, until);
        if (!cancel_.load() && next_.load() < count_)
            return false;
        EndRealising(stepFailures_);
        bandPhase_ = true;
    }
    ComputeBand(until);
    if (!cancel_.load() && nextHour_.load() <= result_.bandHours)
        return false;
    EndBand();
    return true;
}

void SeriesJob::EndRealising(const std::vector<std::pair<int, QString>>& failures)
{
    std::unique_lock<std::mutex> lock(mutex_);
    failures_.insert(failures_.end(), failures.begin(), failures.end());
    if (--workersRealising_ == 0) {
        // The last worker out sets up the band for everyone.
        for (int i = 0; i < count_; ++i)
            if (result_.realisations[static_cast<std::size_t>(i)].ok)
                ++result_.succeeded;
        result_.failed = static_cast<int>(failures_.size());
        result_.longestHydrograph = longest_.load();
        result_.bandHours = std::min(result_.longestHydrograph, static_cast<int>(rows_.size()));
        result_.bandTruncated = result_.bandHours < result_.longestHydrograph;
        result_.band.resize(static_cast<std::size_t>(result_.bandHours));
        for (int i = 0; i < count_; ++i)
            if (result_.realisations[static_cast<std::size_t>(i)].ok)
                succeededIndices_.push_back(i);
        realised_.notify_all();
    } else {
        realised_.wait(lock, [this] { return workersRealising_ == 0; });
    }
}

void SeriesJob::EndBand()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (--workersRunning_ == 0) {
        if (!cancel_.load() && done_.load() == count_ && hoursDone_.load() == result_.bandHours)
            Assemble();
        finished_.store(true, std::memory_order_release);
    }
}

void SeriesJob::ComputeBand(Clock::time_point until)
{
    const std::vector<int>& ok = succeededIndices_;
    std::vector<float> values(ok.size());
    while (!cancel_.load(std::memory_order_relaxed) && Clock::now() < until) {
        const int hour = nextHour_.fetch_add(1, std::memory_order_relaxed);
        if (hour > result_.bandHours)
            break;
        const float* row = Row(hour);
        for (std::size_t k = 0; k < ok.size(); ++k)
            values[k] = row[ok[k]];
        PercentilesInPlace(values.data(), values.size(), kSeriesLevels.data(), kSeriesLevels.size(),
                           result_.band[static_cast<std::size_t>(hour - 1)].data());
        hoursDone_.fetch_add(1, std::memory_order_relaxed);
    }
}

void SeriesJob::Assemble()
{
    std::sort(failures_.begin(), failures_.end(),
              [](const std::pair<int, QString>& a, const std::pair<int, QString>& b) { return a.first < b.first; });
    if (!failures_.empty()) {
        result_.firstFailureIndex = failures_.front().first;
        result_.firstFailure = failures_.front().second;
    }
    std::vector<double> peak, time, volume;
    peak.reserve(static_cast<std::size_t>(result_.succeeded));
    time.reserve(peak.capacity());
    volume.reserve(peak.capacity());
    for (const RealisationSummary& r : result_.realisations) {
        if (!r.ok)
            continue;
        peak.push_back(r.peak);
        time.push_back(r.peakHour);
        volume.push_back(r.volume);
    }
    result_.peak = SpreadOf(std::move(peak));
    result_.peakHour = SpreadOf(std::move(time));
    result_.volume = SpreadOf(std::move(volume));
    RedrawRepresentative();
    complete_ = true;
    // The per-hour values are not needed any more.
    ownedRows_.clear();
    ownedRows_.shrink_to_fit();
}

int NearestPeakRealisation(const std::vector<RealisationSummary>& realisations, double medianPeak)
{
    int nearest = -1;
    double distance = 0;
    for (std::size_t i = 0; i < realisations.size(); ++i) {
        const RealisationSummary& r = realisations[i];
        if (!r.ok)
            continue;
        const double d = std::abs(static_cast<double>(r.peak) - medianPeak);
        if (nearest < 0 || d < distance) {
            nearest = static_cast<int>(i);
            distance = d;
        }
    }
    return nearest;
}

void SeriesJob::RedrawRepresentative()
{
    const int index = NearestPeakRealisation(result_.realisations, result_.peak.percentiles[kMedianSeriesLevel]);
    if (index < 0)
        return;
    // The realisation's draws depend only on (seed, index), so it comes out as it did in the
    // series; it ran then, so it runs now.
    SubstreamSource random(seed_, static_cast<std::uint64_t>(index));
    RealisationWorkspace work;
    try {
        const RealisationResult r = RunRealisation(inputs_, random, work);
        result_.representativeDischarge.assign(r.ordinates + 1, r.ordinates + 1 + r.length);
        result_.representative = index;
    } catch (const std::exception&) {
        // Left without a representative rather than with a wrong one.
    }
}

SeriesResult RunSeries(const ComputationInputs& inputs, int count, std::uint64_t seed, int threads,
                       std::size_t bandBudget)
{
    SeriesJob job(inputs, count, seed, threads, bandBudget);
    if (threads <= 0)
        while (!job.Step(std::chrono::seconds(1))) {}
    std::optional<SeriesResult> result = job.Take();
    return result ? std::move(*result) : SeriesResult{};
}

}  // namespace moravel::model
