#include "cli/SeriesRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include "cli/FormatsModule.h"
#include "cli/Output.h"
#include "cli/PartFile.h"
#include "model/SeriesStatistics.h"
#include "report/Csv.h"
#include "report/SeriesExport.h"
#include "text/Error.h"

namespace moravel::cli {

// ---- The realisations table

namespace {
constexpr qsizetype kSummaryBlockBytes = 64 * 1024;
}

SummaryStream::SummaryStream(QIODevice& device) : device_(device)
{
    block_.reserve(kSummaryBlockBytes + 256);
}

void SummaryStream::Write()
{
    if (device_.write(block_) != block_.size())
        throw OutputError(QStringLiteral("Nie można zapisać wyników: %1").arg(device_.errorString()));
    block_.clear();
}

void SummaryStream::Header()
{
    block_ += report::CsvLine(report::SeriesRealisationsHeader(), report::CsvFieldSeparator(kMachineDecimal)).toUtf8();
}

void SummaryStream::Row(std::int64_t index, const model::RealisationSummary& summary)
{
    report::AppendSeriesRealisationLine(block_, static_cast<int>(index + 1), summary);
    if (block_.size() >= kSummaryBlockBytes)
        Write();
}

void SummaryStream::Close()
{
    Write();
}

// ---- Running a range

RangeOutcome RunRange(const model::ComputationInputs& inputs, std::uint64_t seed, std::int64_t first,
                      std::int64_t count, SummaryStream* summary, SeriesPartWriter* hydrographs,
                      const ProgressCallback& progress)
{
    RangeOutcome outcome;
    model::RealisationWorkspace work;
    for (std::int64_t k = 0; k < count; ++k) {
        const std::int64_t index = first + k;
        model::SubstreamSource random(seed, static_cast<std::uint64_t>(index));
        model::RealisationSummary s;
        const float* ordinates = nullptr;
        int length = 0;
        try {
            const model::RealisationResult r = model::RunRealisation(inputs, random, work);
            s = {true, r.peak, r.peakHour, r.volume};
            ordinates = r.ordinates;
            length = r.length;
        } catch (const Error& e) {
            if (outcome.failed++ == 0) {
                outcome.firstFailureIndex = index;
                outcome.firstFailure = e.text();
            }
        }
        if (summary)
            summary->Row(index, s);
        if (hydrographs)
            hydrographs->Add(s, ordinates, length);
        if (progress)
            progress(k + 1);
    }
    if (hydrographs && outcome.failed > 0)
        hydrographs->SetFirstFailure(outcome.firstFailureIndex, outcome.firstFailure);
    return outcome;
}

// ---- Parts of a series

namespace {

// The first bytes of the files the NetCDF library reads: HDF5 (NetCDF-4) and the classic
// formats.
bool StartsAsNetcdf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(8);
    return head == QByteArrayLiteral("\x89HDF\r\n\x1a\n") || head.startsWith("CDF");
}

}  // namespace

std::unique_ptr<SeriesPartReader> OpenSeriesPart(const QString& path)
{
    if (QFileInfo(path).isDir()) {
        const QDir folder(path);
        return folder.exists(kPartFileName) ? OpenPartFile(folder.filePath(kPartFileName))
                                            : OpenHydrographFile(folder.filePath(kHydrographsFileName));
    }
    return StartsAsNetcdf(path) ? OpenHydrographFile(path) : OpenPartFile(path);
}

std::vector<std::unique_ptr<SeriesPartReader>> OpenSeriesParts(const QStringList& paths, MergeCoverage coverage)
{
    std::vector<std::unique_ptr<SeriesPartReader>> parts;
    for (const QString& path : paths)
        parts.push_back(OpenSeriesPart(path));
    std::stable_sort(parts.begin(), parts.end(),
                     [](const auto& a, const auto& b) { return a->Identity().first < b->Identity().first; });
    if (parts.empty())
        return parts;
    const RangeIdentity& head = parts.front()->Identity();
    std::int64_t next = coverage == MergeCoverage::WholeSeries ? 0 : head.first;
    for (const auto& part : parts) {
        const RangeIdentity& id = part->Identity();
        if (id.seed != head.seed)
            throw MergeRefusal(QStringLiteral("Fragment %1 pochodzi z serii o innym ziarnie (%2, a nie %3)")
                                   .arg(part->Path())
                                   .arg(id.seed)
                                   .arg(head.seed));
        if (id.series != head.series)
            throw MergeRefusal(
                QStringLiteral("Fragment %1 należy do serii %2 realizacji, a fragment %3 do serii %4 realizacji")
                    .arg(part->Path())
                    .arg(id.series)
                    .arg(parts.front()->Path())
                    .arg(head.series));
        if (id.fingerprint != head.fingerprint)
            throw MergeRefusal(QStringLiteral("Fragment %1 policzono na innych danych niż fragment %2")
                                   .arg(part->Path(), parts.front()->Path()));
        if (id.first > next)
            throw MergeRefusal(QStringLiteral("Brak realizacji o indeksach %1..%2 przed fragmentem %3")
                                   .arg(next)
                                   .arg(id.first - 1)
                                   .arg(part->Path()));
        if (id.first < next)
            throw MergeRefusal(QStringLiteral("Fragment %1 (indeksy %2..%3) zachodzi na realizacje innego fragmentu")
                                   .arg(part->Path())
                                   .arg(id.first)
                                   .arg(id.first + id.count - 1));
        next = id.first + id.count;
    }
    if (coverage == MergeCoverage::WholeSeries && next != head.series)
        throw MergeRefusal(
            QStringLiteral("Brak realizacji o indeksach %1..%2 po fragmencie %3: seria ma %4 realizacji (częściowe "
                           "łączenie: --partial)")
                .arg(next)
                .arg(head.series - 1)
                .arg(parts.back()->Path())
                .arg(head.series));
    return parts;
}

model::SeriesResult SummariesOfParts(const std::vector<std::unique_ptr<SeriesPartReader>>& parts)
{
    model::SeriesResult result;
    if (parts.empty())
        return result;
    result.seed = parts.front()->Identity().seed;
    std::int64_t total = 0;
    for (const auto& part : parts)
        total += part->Identity().count;
    result.realisations.reserve(static_cast<std::size_t>(total));
    for (const auto& part : parts) {
        part->AppendSummaries(result.realisations);
        part->Release();
        if (part->FirstFailureIndex() >= 0 && result.firstFailureIndex < 0) {
            result.firstFailureIndex = static_cast<int>(part->FirstFailureIndex());
            result.firstFailure = part->FirstFailure();
        }
    }
    result.requested = static_cast<int>(result.realisations.size());
    result.failed = static_cast<int>(std::count_if(result.realisations.begin(), result.realisations.end(),
                                                   [](const model::RealisationSummary& r) { return !r.ok; }));
    result.succeeded = result.requested - result.failed;
    return result;
}

namespace {

using PartReaders = std::vector<std::unique_ptr<SeriesPartReader>>;
// Each part's hydrograph lengths, in the parts' order.
using PartLengths = std::vector<std::vector<int>>;

// The longest hydrograph of a computed realisation.
int LongestHydrograph(const model::SeriesResult& result, const PartReaders& parts, const PartLengths& lengths)
{
    int longest = result.longestHydrograph;
    for (std::size_t p = 0; p < parts.size(); ++p)
        for (std::size_t i = 0; i < lengths[p].size(); ++i)
            if (result.realisations[static_cast<std::size_t>(parts[p]->Identity().first) + i].ok)
                longest = std::max(longest, lengths[p][i]);
    return longest;
}

// The spreads one quantity at a time, over the computed realisations in index order (as the
// series window sums them for the mean).
void SetSpreads(model::SeriesResult& result)
{
    const auto spread = [&result](double (*of)(const model::RealisationSummary&)) {
        std::vector<double> values;
        for (const model::RealisationSummary& r : result.realisations)
            if (r.ok)
                values.push_back(of(r));
        return model::SpreadOf(std::move(values));
    };
    result.peak = spread([](const model::RealisationSummary& r) { return static_cast<double>(r.peak); });
    result.peakHour = spread([](const model::RealisationSummary& r) { return static_cast<double>(r.peakHour); });
    result.volume = spread([](const model::RealisationSummary& r) { return r.volume; });
}

// The band, a block of hours at a time: every computed realisation's discharge at those
// hours, in index order, then the percentiles hour by hour.
void SetBand(model::SeriesResult& result, const PartReaders& parts, const PartLengths& lengths,
             std::size_t bandBudget)
{
    result.bandHours = result.longestHydrograph;
    result.band.resize(static_cast<std::size_t>(result.bandHours));
    const std::size_t ok = static_cast<std::size_t>(result.succeeded);
    const int blockHours =
        static_cast<int>(std::clamp<std::size_t>(bandBudget / (sizeof(float) * std::max<std::size_t>(ok, 1)), 1,
                                                 static_cast<std::size_t>(model::kMaxBandHours)));
    constexpr std::int64_t kReadRows = 1024;
    std::vector<float> values;  // [hour within block][k]
    std::vector<float> rows;
    for (int h0 = 1; h0 <= result.bandHours; h0 += blockHours) {
        const int hours = std::min(blockHours, result.bandHours - h0 + 1);
        values.assign(ok * static_cast<std::size_t>(hours), 0.0f);
        std::size_t k = 0;
        for (std::size_t p = 0; p < parts.size(); ++p) {
            const std::int64_t first = parts[p]->Identity().first;
            const std::int64_t count = parts[p]->Identity().count;
            for (std::int64_t r0 = 0; r0 < count; r0 += kReadRows) {
                const std::int64_t n = std::min(kReadRows, count - r0);
                rows.resize(static_cast<std::size_t>(n) * static_cast<std::size_t>(hours));
                parts[p]->ReadBlock(r0, n, h0, hours, lengths[p], rows.data());
                for (std::int64_t r = 0; r < n; ++r) {
                    if (!result.realisations[static_cast<std::size_t>(first + r0 + r)].ok)
                        continue;
                    for (int h = 0; h < hours; ++h)
                        values[static_cast<std::size_t>(h) * ok + k] = rows[static_cast<std::size_t>(r * hours + h)];
                    ++k;
                }
            }
            parts[p]->Release();
        }
        for (int h = 0; h < hours; ++h)
            model::PercentilesInPlace(values.data() + static_cast<std::size_t>(h) * ok, ok, model::kSeriesLevels.data(),
                                      model::kSeriesLevels.size(),
                                      result.band[static_cast<std::size_t>(h0 - 1 + h)].data());
    }
}

// The representative realisation, read back from its part.
void SetRepresentative(model::SeriesResult& result, const PartReaders& parts, const PartLengths& lengths)
{
    const int index =
        model::NearestPeakRealisation(result.realisations, result.peak.percentiles[model::kMedianSeriesLevel]);
    if (index < 0)
        return;
    for (std::size_t p = 0; p < parts.size(); ++p) {
        const std::int64_t first = parts[p]->Identity().first;
        if (index < first || index >= first + parts[p]->Identity().count)
            continue;
        const std::int64_t r = index - first;
        const int length = lengths[p][static_cast<std::size_t>(r)];
        result.representativeDischarge.resize(static_cast<std::size_t>(length));
        if (length > 0)
            parts[p]->ReadBlock(r, 1, 1, length, lengths[p], result.representativeDischarge.data());
        result.representative = index;
    }
}

}  // namespace

model::SeriesResult SeriesOfParts(const std::vector<std::unique_ptr<SeriesPartReader>>& parts, std::size_t bandBudget)
{
    model::SeriesResult result = SummariesOfParts(parts);
    if (parts.empty())
        return result;
    PartLengths lengths;
    for (const auto& part : parts)
        lengths.push_back(part->Lengths());
    result.longestHydrograph = LongestHydrograph(result, parts, lengths);
    SetSpreads(result);
    SetBand(result, parts, lengths, bandBudget);
    SetRepresentative(result, parts, lengths);
    return result;
}

void CopyParts(const std::vector<std::unique_ptr<SeriesPartReader>>& parts, const model::SeriesResult& series,
               SeriesPartWriter& writer)
{
    constexpr std::int64_t kRows = 1024;
    std::vector<float> rows;
    const std::int64_t base = parts.empty() ? 0 : parts.front()->Identity().first;
    for (const auto& part : parts) {
        const std::int64_t first = part->Identity().first - base;
        const std::int64_t count = part->Identity().count;
        const int hours = part->TimeLength();
        const std::vector<int> lengths = part->Lengths();
        for (std::int64_t r0 = 0; r0 < count; r0 += kRows) {
            const std::int64_t n = std::min(kRows, count - r0);
            rows.resize(static_cast<std::size_t>(n) * static_cast<std::size_t>(std::max(hours, 0)));
            if (hours > 0)
                part->ReadBlock(r0, n, 1, hours, lengths, rows.data());
            for (std::int64_t r = 0; r < n; ++r)
                writer.AddHours(series.realisations[static_cast<std::size_t>(first + r0 + r)], rows.data() + r * hours,
                                lengths[static_cast<std::size_t>(r0 + r)]);
        }
        part->Release();
    }
    if (series.firstFailureIndex >= 0)
        writer.SetFirstFailure(series.firstFailureIndex, series.firstFailure);
}

}  // namespace moravel::cli
