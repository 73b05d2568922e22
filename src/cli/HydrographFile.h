#pragma once
// Every realisation's hourly discharge of a range of a series in one NetCDF-4 file following
// the CF conventions: dimensions realisation x time, the discharge in m3 s-1, per realisation
// its hydrograph's length, peak, hour of the peak, outflow volume and whether it was computed,
// and as global attributes the series seed, the range, a fingerprint of the inputs and the
// inputs themselves. A shard of a series is one such file; the merge reads them back and
// writes one of the whole series.
//
// Layout:
//   realisation(realisation)         int    the realisation's number in the series (1-based)
//   time(time)                       int    h from the storm's start (the end of hour t)
//   discharge(realisation, time)     float  m3 s-1; after the hydrograph's end the fill value
//   hydrograph_length(realisation)   int    h
//   peak_discharge(realisation)      float  m3 s-1
//   peak_hour(realisation)           int    h
//   outflow_volume(realisation)      double m3
//   computed(realisation)            byte   1 computed, 0 failed (a floating-point fault)
// The time dimension is unlimited (its length is the longest hydrograph); the discharge is
// stored in chunks of 1024 realisations x 16 hours, so that a block of hours of every
// realisation (what the percentile band needs) is read without reading whole hydrographs.
#include <QString>

#include <cstdint>
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

// Writes the file realisation by realisation, in order, buffering a block of them. Any
// failure throws moravel::Error("Nie można zapisać pliku <path>: <reason>").
class HydrographReader;

class HydrographWriter {
public:
    HydrographWriter(const QString& path, const RangeIdentity& identity, const model::ComputationInputs& inputs,
                     const QString& project);
    // A file of a range whose project and inputs are those of `source` (a merge of parts).
    HydrographWriter(const QString& path, const RangeIdentity& identity, const HydrographReader& source);
    ~HydrographWriter();
    HydrographWriter(const HydrographWriter&) = delete;
    HydrographWriter& operator=(const HydrographWriter&) = delete;

    // The next realisation: a computed one with its ordinates 1..length, or a failed one.
    void Add(const model::RealisationSummary& summary, const float* ordinates, int length);
    // The same with the discharge of hours 1..length at [0..length-1].
    void AddHours(const model::RealisationSummary& summary, const float* discharge, int length);
    // The lowest-numbered failure's message, kept as an attribute (set before Close).
    void SetFirstFailure(std::int64_t index, const QString& message);
    // Writes what is buffered and closes the file.
    void Close();

private:
    void Define(const RangeIdentity& identity);
    void PutText(int var, const char* name, const QString& value);
    void Flush();
    [[noreturn]] void Fail(int status) const;
    void Check(int status) const;

    QString path_;
    int ncid_ = -1;
    int discharge_ = 0, length_ = 0, peak_ = 0, peakHour_ = 0, volume_ = 0, computed_ = 0, number_ = 0, time_ = 0;
    std::int64_t first_ = 0;
    std::int64_t written_ = 0;  // realisations in the file
    int timeLength_ = 0;        // hours of the time coordinate written
    // The buffered block.
    std::vector<std::vector<float>> rows_;
    std::vector<int> lengths_, peakHours_, numbers_;
    std::vector<float> peaks_;
    std::vector<double> volumes_;
    std::vector<signed char> computed_flags_;
    std::vector<float> block_;  // the block's rectangle, reused
};

// A file of the layout above, opened for reading. Failures throw moravel::Error naming the
// file ("Nie można odczytać pliku <path>: <reason>").
class HydrographReader {
public:
    explicit HydrographReader(const QString& path);
    ~HydrographReader();
    HydrographReader(const HydrographReader&) = delete;
    HydrographReader& operator=(const HydrographReader&) = delete;

    const QString& Path() const { return path_; }
    const RangeIdentity& Identity() const { return identity_; }
    // The failure kept by the writer: its index, -1 for none, and its message.
    std::int64_t FirstFailureIndex() const { return firstFailureIndex_; }
    const QString& FirstFailure() const { return firstFailure_; }
    int TimeLength() const { return timeLength_; }

    // Appends the per-realisation figures of realisations [0, count) of the file, in order
    // (read a block at a time, so that nothing but `out` grows with the count).
    void AppendSummaries(std::vector<model::RealisationSummary>& out) const;
    std::vector<int> Lengths() const;
    // The discharge of realisations [r0, r0 + n) at hours [h0, h0 + hours) (h0 from 1), row by
    // row into `out` (n x hours values), as the band counts it: 0 after a hydrograph's end.
    void ReadBlock(std::int64_t r0, std::int64_t n, int h0, int hours, const std::vector<int>& lengths,
                   float* out) const;

    // Closes the file until its next read: a merge of many parts keeps one open at a time.
    void Release() const;

private:
    [[noreturn]] void Fail(const QString& reason) const;
    void Check(int status) const;
    QString TextAttribute(const char* name) const;
    int Id() const;  // the open file, opened again after Release
    friend class HydrographWriter;

    QString path_;
    mutable int ncid_ = -1;
    mutable int discharge_ = 0;
    RangeIdentity identity_;
    std::int64_t firstFailureIndex_ = -1;
    QString firstFailure_;
    int timeLength_ = 0;
};

}  // namespace moravel::cli
