#pragma once
// A part of a series: the hydrographs and per-realisation figures of a range of realisations,
// written realisation by realisation and read back by the merge. Two files hold a part:
// - a shard's own file (PartFile.h), plain records that need no library, so that a shard
//   starts as fast as the program can;
// - the NetCDF-4 file of the CF conventions (HydrographFile.h), what a series, a merge and a
//   manifest line give the user. Its library and the fifty it depends on are loaded only by a
//   command that reads or writes one (FormatsModule.h).
// The merge reads both, so a merged folder is a part of a larger merge in turn.
#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#include "model/ComputationInputs.h"
#include "model/Series.h"

namespace moravel::cli {

// What a series range is: the seed, the range of realisation indices (0-based sub-stream
// numbers), the size of the series it is a range of (realisations 0..series-1) and the
// fingerprint of the inputs it was computed on.
struct RangeIdentity {
    std::uint64_t seed = 0;
    std::int64_t first = 0;
    std::int64_t count = 0;
    std::int64_t series = 0;
    QString fingerprint;
};

// This program as a part keeps its writer ("moravel-run <version>"): a part's fingerprint is
// recomputed with the program that wrote it.
QByteArray PartSource();

// A hash (FNV-1a, 64 bits, in hex) of every number of the inputs and of the program's
// version (`source`): two ranges merge only when they were computed on the same inputs by the
// same computation.
QString InputsFingerprint(const model::ComputationInputs& inputs, const QByteArray& source = PartSource());

// Where a part comes from: its project file, the inputs as the computation read them
// (parameters, rain hours, typed or not, curve number, rainfall or typed effective rainfall;
// no land-use captions) and the program that computed it. A merge writes them into the whole
// series' file. A writer keeps the inputs as PartInputs gives them, and the fingerprint of
// those inputs (whatever fingerprint its identity holds): a reader recomputes it from them.
struct PartOrigin {
    QString project;
    model::ComputationInputs inputs;
    QByteArray source = PartSource();  // the program that computed the part
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

// The inputs as a part keeps them: the typed effective rainfall, or the rainfall and the
// curve number, and nothing of the other kind (what a reader gets back from either file).
model::ComputationInputs PartInputs(model::ComputationInputs inputs);

// `value` (4 or 8 bytes) appended as the part files store numbers: little-endian.
template <class T>
void PutLittleEndian(std::vector<char>& out, T value)
{
    static_assert(sizeof(T) == 4 || sizeof(T) == 8);
    using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
    Bits bits;
    std::memcpy(&bits, &value, sizeof bits);
    bits = qToLittleEndian(bits);
    const char* bytes = reinterpret_cast<const char*>(&bits);
    out.insert(out.end(), bytes, bytes + sizeof bits);
}

// A realisation's record as the part file lays it out (little-endian): int32 hours of discharge
// kept h (0 for a failed one), int32 hour of the peak, float32 peak, int32 1/0 computed,
// float64 volume, float32 x h discharge. A failed realisation keeps zeros.
inline constexpr std::size_t kPartRecordHeaderBytes = 24;
void AppendPartRecord(std::vector<char>& out, const model::RealisationSummary& summary, const float* discharge,
                      int length);

// What is wrong with a realisation's record, empty for nothing: its numbers finite, discharge,
// peak and volume not negative, the peak's hour within the hydrograph, a failed realisation
// all zeros.
QString PartRecordFault(const model::RealisationSummary& summary, const float* discharge, int length);

// The description of a part (UTF-8 lines "key=value", values percent-encoded): the layout's
// version, the program, the seed, the range, the series' size, the inputs' fingerprint, the
// project, the first failure and the inputs. The part file stores it; both kinds of file
// check their contents by it.
QByteArray PartDescription(int layout, const RangeIdentity& identity, const PartOrigin& origin,
                           std::int64_t failureIndex, const QString& failure);

// The checksum (zlib's crc32) of a part's contents: its records as the part file lays them
// out, in order, then its description. The two kinds of file keep it and check it on reading.
class PartChecksum {
public:
    void AddRecord(const model::RealisationSummary& summary, const float* discharge, int length);
    void AddBytes(const char* data, std::size_t size);
    std::uint32_t Value() const { return crc_; }

private:
    std::uint32_t crc_ = 0;
    std::vector<char> record_;
};

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
