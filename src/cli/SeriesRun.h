#pragma once
// A series run without a window, in bounded memory: a range of realisations computed one by
// one into streams (the realisations table row by row, the hydrographs into a NetCDF file),
// and the series' figures (percentile band, spread, representative realisation) computed
// afterwards from one or more such files, hour block by hour block. A series of N in one
// process and the merge of shards covering 0..N-1 go through the same code and give the same
// values, and the same values as the series window: realisation i draws from sub-stream
// (seed, i), the band is the per-hour percentiles over the computed realisations (0 after a
// hydrograph's end) and the spread and representative follow model::SeriesJob.
#include <QIODevice>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "cli/SeriesPart.h"
#include "model/ComputationInputs.h"
#include "model/Series.h"
#include "text/Error.h"

namespace moravel::cli {

// The realisations table written row by row ('.' decimals; see Output.h for why), a block of
// rows at a time; Close writes the last block.
class SummaryStream {
public:
    explicit SummaryStream(QIODevice& device);
    void Header();
    void Row(std::int64_t index, const model::RealisationSummary& summary);
    void Close();

private:
    void Write();
    QIODevice& device_;
    QByteArray block_;
};

// Called after each realisation with the number done so far.
using ProgressCallback = std::function<void(std::int64_t done)>;

struct RangeOutcome {
    std::int64_t failed = 0;
    std::int64_t firstFailureIndex = -1;
    QString firstFailure;
};

// Realisations [first, first + count) of the series `seed`, in order, on the calling thread;
// each into the table and the hydrograph file when given. The writer's first failure is set.
RangeOutcome RunRange(const model::ComputationInputs& inputs, std::uint64_t seed, std::int64_t first,
                      std::int64_t count, SummaryStream* summary, SeriesPartWriter* hydrographs,
                      const ProgressCallback& progress = {});

// Parts that are not one series: exit code 4.
class MergeRefusal : public Error {
public:
    using Error::Error;
};

// Memory for the hour block of the band: hours are read `budget / (4 bytes x realisations)` at a
// time (at least one).
constexpr std::size_t kMergeBandBudgetBytes = std::size_t(16) << 20;

// Opens a part: a shard's part file or a NetCDF hydrograph file (by its first bytes: anything
// that is not NetCDF is read as a part file, so an unfinished one is named as such), or the one
// a results folder holds (a shard's part file, else its NetCDF file). The reader checks the
// file whole before it is returned.
std::unique_ptr<SeriesPartReader> OpenSeriesPart(const QString& path);

// Which ranges a merge takes: the whole series (realisations 0..N-1 of the series' size N), or
// any contiguous range of it (a merge of part of the shards, itself merged further later).
enum class MergeCoverage { WholeSeries, AnyRange };

// The files of a series' ranges, checked to be one series: the same seed, series size and
// inputs, ranges that follow one another without gap or overlap and, for the whole series, run
// from index 0 to N-1. Sorted by first index. Throws MergeRefusal with a Polish text naming the
// faulty file (moravel::Error for one that can't be read).
std::vector<std::unique_ptr<SeriesPartReader>> OpenSeriesParts(const QStringList& paths,
                                                               MergeCoverage coverage = MergeCoverage::WholeSeries);

// The realisations' figures of parts that follow one another, in order from the first part's
// first realisation (`realisations[i]` is realisation first + i), with the count, the failures
// and the first failure.
model::SeriesResult SummariesOfParts(const std::vector<std::unique_ptr<SeriesPartReader>>& parts);

// The series' figures from its parts (from realisation 0): the realisations' summaries, the
// band over every hour of the longest hydrograph, the spread and the representative
// realisation (its discharge read back from its part).
model::SeriesResult SeriesOfParts(const std::vector<std::unique_ptr<SeriesPartReader>>& parts,
                                  std::size_t bandBudget = kMergeBandBudgetBytes);

// Every realisation of the parts, in order, into `writer` (a file of their whole range), with
// the first failure; `series` holds their summaries as SummariesOfParts gives them.
void CopyParts(const std::vector<std::unique_ptr<SeriesPartReader>>& parts, const model::SeriesResult& series,
               SeriesPartWriter& writer);

}  // namespace moravel::cli
