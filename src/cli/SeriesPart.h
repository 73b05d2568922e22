#pragma once
// A part of a series: the hydrographs and per-realisation figures of a range of realisations,
// written realisation by realisation and read back by the merge. Two files hold a part:
// - a shard's own file (PartFile.h), plain records that need no library, so that a shard
//   starts as fast as the program can;
// - the NetCDF-4 file of the CF conventions (HydrographFile.h), what a series, a merge and a
//   manifest line give the user. Its library and the fifty it depends on are loaded only by a
//   command that reads or writes one (NetcdfModule.h).
// The merge reads both, so a merged folder is a part of a larger merge in turn.
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

#include "model/ComputationInputs.h"
#include "model/Series.h"

namespace moravel::cli {

// What a series range is: the seed, the range of realisation indices (0-based sub-stream
// numbers) and the fingerprint of the inputs it was computed on.
struct RangeIdentity {
    std::uint64_t seed = 0;
    std::int64_t first = 0;
    std::int64_t count = 0;
    QString fingerprint;
};

// A hash (FNV-1a, 64 bits, in hex) of every number of the inputs and of the program's
// version: two ranges merge only when they were computed on the same inputs by the same
// computation.
QString InputsFingerprint(const model::ComputationInputs& inputs);

// Where a part comes from: its project file and the inputs as the computation read them
// (parameters, rain hours, typed or not, curve number, rainfall or typed effective rainfall;
// no land-use captions). A merge writes them into the whole series' file.
struct PartOrigin {
    QString project;
    model::ComputationInputs inputs;
};

// The catchment parameters as a part keeps them among its inputs: name (a NetCDF attribute, a
// part file's key) and where the inputs hold them.
struct PartParameter {
    const char* name;
    double model::HydrographParameters::*value;
};
inline constexpr PartParameter kPartParameters[] = {
    {"RB", &model::HydrographParameters::RB},    {"RL", &model::HydrographParameters::RL},
    {"RA", &model::HydrographParameters::RA},    {"So", &model::HydrographParameters::So},
    {"Lo_km", &model::HydrographParameters::Lo}, {"b_m", &model::HydrographParameters::b},
    {"n", &model::HydrographParameters::n},      {"area_km2", &model::HydrographParameters::Area}};

// Writes a part realisation by realisation, in order. Failures throw OutputError naming the
// file ("Nie można zapisać pliku <path>: <reason>").
class SeriesPartWriter {
public:
    virtual ~SeriesPartWriter() = default;
    // The next realisation: a computed one with its ordinates 1..length, or a failed one.
    void Add(const model::RealisationSummary& summary, const float* ordinates, int length)
    {
        AddHours(summary, ordinates ? ordinates + 1 : nullptr, length);
    }
    // The same with the discharge of hours 1..length at [0..length-1].
    virtual void AddHours(const model::RealisationSummary& summary, const float* discharge, int length) = 0;
    // The lowest-numbered failure's message, kept with the part (set before Close).
    virtual void SetFirstFailure(std::int64_t index, const QString& message) = 0;
    // Writes what is buffered and closes the file.
    virtual void Close() = 0;
};

// A part opened for reading. Failures throw moravel::Error naming the file ("Nie można
// odczytać pliku <path>: <reason>").
class SeriesPartReader {
public:
    virtual ~SeriesPartReader() = default;
    virtual const QString& Path() const = 0;
    virtual const RangeIdentity& Identity() const = 0;
    // The failure kept by the writer: its index, -1 for none, and its message.
    virtual std::int64_t FirstFailureIndex() const = 0;
    virtual const QString& FirstFailure() const = 0;
    // The hours of the longest hydrograph stored.
    virtual int TimeLength() const = 0;
    virtual PartOrigin Origin() const = 0;

    // Appends the per-realisation figures of the part's realisations, in order (nothing but
    // `out` grows with the count).
    virtual void AppendSummaries(std::vector<model::RealisationSummary>& out) const = 0;
    virtual std::vector<int> Lengths() const = 0;
    // The discharge of realisations [r0, r0 + n) at hours [h0, h0 + hours) (h0 from 1), row by
    // row into `out` (n x hours values), as the band counts it: 0 after a hydrograph's end.
    virtual void ReadBlock(std::int64_t r0, std::int64_t n, int h0, int hours, const std::vector<int>& lengths,
                           float* out) const = 0;
    // Lets go of the file until its next read: a merge of many parts holds one at a time.
    virtual void Release() const = 0;
};

}  // namespace moravel::cli
