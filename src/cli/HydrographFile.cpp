#include "cli/HydrographFile.h"

#include <netcdf.h>

#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <limits>

#include "cli/Output.h"
#include "text/Error.h"

namespace moravel::cli {
namespace {

constexpr std::size_t kBlockRealisations = 1024;
constexpr std::size_t kChunkHours = 16;
// The chunk cache of the discharge: in writing, a block's row of chunks for hydrographs of up
// to 1000 hours (63 chunks of 64 KB) with room to spare; in reading, the chunk or two one read
// of 1024 realisations x a block of hours meets (a merge holds a hundred files open at once).
constexpr std::size_t kWriteCacheBytes = std::size_t(8) << 20;
constexpr std::size_t kReadCacheBytes = std::size_t(256) << 10;
constexpr int kLayoutVersion = 2;
// Memory for the rows of discharge read at once when a file is checked on opening.
constexpr std::size_t kCheckBlockBytes = std::size_t(16) << 20;
// The least a realisation takes in a file: its length, peak, hour and flag and its volume.
constexpr std::uint64_t kLeastRealisationBytes = 4 + 4 + 4 + 1 + 8;

QString FromNc(int status)
{
    return QString::fromUtf8(nc_strerror(status));
}

}  // namespace

class HydrographReader;

// Writes the file realisation by realisation, in order, buffering a block of them.
class HydrographWriter : public SeriesPartWriter {
public:
    HydrographWriter(const QString& path, const RangeIdentity& identity, const PartOrigin& origin);
    ~HydrographWriter() override;
    HydrographWriter(const HydrographWriter&) = delete;
    HydrographWriter& operator=(const HydrographWriter&) = delete;

    void AddHours(const model::RealisationSummary& summary, const float* discharge, int length) override;
    void SetFirstFailure(std::int64_t index, const QString& message) override;
    void Close() override;

private:
    void Define(const RangeIdentity& identity, const QByteArray& source);
    void PutText(int var, const char* name, const QString& value);
    void Flush();
    [[noreturn]] void Fail(int status) const;
    void Check(int status) const;

    QString path_;
    RangeIdentity identity_;
    PartOrigin origin_;
    PartChecksum checksum_;  // of the records added
    std::int64_t failureIndex_ = -1;
    QString failure_;
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

// A file of the layout above, opened for reading.
class HydrographReader : public SeriesPartReader {
public:
    explicit HydrographReader(const QString& path);
    ~HydrographReader() override;
    HydrographReader(const HydrographReader&) = delete;
    HydrographReader& operator=(const HydrographReader&) = delete;

    const QString& Path() const override { return path_; }
    const RangeIdentity& Identity() const override { return identity_; }
    std::int64_t FirstFailureIndex() const override { return firstFailureIndex_; }
    const QString& FirstFailure() const override { return firstFailure_; }
    int TimeLength() const override { return timeLength_; }
    PartOrigin Origin() const override;
    void AppendSummaries(std::vector<model::RealisationSummary>& out) const override;
    std::vector<int> Lengths() const override { return lengths_; }
    void ReadBlock(std::int64_t r0, std::int64_t n, int h0, int hours, const std::vector<int>& lengths,
                   float* out) const override;
    void Release() const override;

private:
    [[noreturn]] void Fail(const QString& reason) const;
    void Check(int status) const;
    QString TextAttribute(const char* name) const;
    std::vector<float> FloatsAttribute(const char* name) const;
    void ReadOrigin();
    // Realisations [start, start + n): their figures appended to `out`, their flags to `flags`.
    void ReadSummaries(std::size_t start, std::size_t n, std::vector<model::RealisationSummary>& out,
                       std::vector<signed char>& flags) const;
    void CheckContents(std::uint64_t fileSize, std::uint32_t checksum);
    int Id() const;  // the open file, opened again after Release

    QString path_;
    mutable int ncid_ = -1;
    mutable int discharge_ = 0;
    RangeIdentity identity_;
    PartOrigin origin_;
    std::int64_t firstFailureIndex_ = -1;
    QString firstFailure_;
    int timeLength_ = 0;
    std::vector<int> lengths_;
    std::uint64_t fileSize_ = 0;
};

// ---- Writing

HydrographWriter::HydrographWriter(const QString& path, const RangeIdentity& identity, const PartOrigin& origin)
    : path_(path), identity_(identity), origin_{origin.project, PartInputs(origin.inputs), origin.source},
      first_(identity.first)
{
    identity_.fingerprint = InputsFingerprint(origin_.inputs, origin_.source);
    Define(identity_, origin_.source);
    PutText(NC_GLOBAL, "project", origin_.project);
    const model::ComputationInputs& inputs = origin_.inputs;
    // The inputs as the computation read them.
    const model::HydrographParameters& p = inputs.parameters;
    for (const auto& q : kPartParameters)
        Check(nc_put_att_double(ncid_, NC_GLOBAL, q.name, NC_DOUBLE, 1, &(p.*q.value)));
    Check(nc_put_att_int(ncid_, NC_GLOBAL, "rain_hours", NC_INT, 1, &p.HourCount));
    const int typed = inputs.directEffectiveRain ? 1 : 0;
    Check(nc_put_att_int(ncid_, NC_GLOBAL, "effective_rainfall_typed", NC_INT, 1, &typed));
    if (inputs.directEffectiveRain) {
        Check(nc_put_att_float(ncid_, NC_GLOBAL, "effective_rainfall_mm", NC_FLOAT, inputs.effectiveRain.size(),
                               inputs.effectiveRain.data()));
    } else {
        Check(nc_put_att_float(ncid_, NC_GLOBAL, "curve_number", NC_FLOAT, 1, &inputs.curveNumber));
        Check(nc_put_att_float(ncid_, NC_GLOBAL, "rainfall_mm", NC_FLOAT, inputs.rainfall.size(),
                               inputs.rainfall.data()));
    }
    Check(nc_enddef(ncid_));
}

void HydrographWriter::PutText(int var, const char* name, const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    Check(nc_put_att_text(ncid_, var, name, static_cast<std::size_t>(utf8.size()), utf8.constData()));
}

void HydrographWriter::Define(const RangeIdentity& identity, const QByteArray& source)
{
    Check(nc_create(QFile::encodeName(path_).constData(), NC_NETCDF4 | NC_CLOBBER, &ncid_));
    int realisationDim = 0, timeDim = 0;
    Check(nc_def_dim(ncid_, "realisation", static_cast<std::size_t>(std::max<std::int64_t>(identity.count, 0)),
                     &realisationDim));
    Check(nc_def_dim(ncid_, "time", NC_UNLIMITED, &timeDim));

    const auto text = [this](int var, const char* name, const QString& value) { PutText(var, name, value); };
    const auto variable = [&](const char* name, nc_type type, int dims, const int* dimIds, const char* longName,
                              const char* units) {
        int id = 0;
        Check(nc_def_var(ncid_, name, type, dims, dimIds, &id));
        text(id, "long_name", QString::fromUtf8(longName));
        if (units)
            text(id, "units", QString::fromUtf8(units));
        return id;
    };

    number_ = variable("realisation", NC_INT, 1, &realisationDim, "number of the realisation in the series", nullptr);
    time_ = variable("time", NC_INT, 1, &timeDim, "time from the start of the storm (end of the hour)", "hours");
    text(time_, "axis", QStringLiteral("T"));
    const int both[2] = {realisationDim, timeDim};
    discharge_ = variable("discharge", NC_FLOAT, 2, both, "discharge at the catchment outlet", "m3 s-1");
    text(discharge_, "standard_name", QStringLiteral("water_volume_transport_in_river_channel"));
    const float fill = NC_FILL_FLOAT;
    Check(nc_put_att_float(ncid_, discharge_, "_FillValue", NC_FLOAT, 1, &fill));
    text(discharge_, "comment",
         QStringLiteral("After the end of a realisation's hydrograph (hydrograph_length) the discharge is the fill "
                        "value; the percentile band counts it as 0."));
    const std::size_t chunks[2] = {std::min<std::size_t>(kBlockRealisations, std::max<std::size_t>(1, identity.count)),
                                   kChunkHours};
    Check(nc_def_var_chunking(ncid_, discharge_, NC_CHUNKED, chunks));
    Check(nc_set_var_chunk_cache(ncid_, discharge_, kWriteCacheBytes, 1009, 0.75f));
    length_ = variable("hydrograph_length", NC_INT, 1, &realisationDim, "length of the hydrograph", "hours");
    peak_ = variable("peak_discharge", NC_FLOAT, 1, &realisationDim, "peak discharge", "m3 s-1");
    peakHour_ =
        variable("peak_hour", NC_INT, 1, &realisationDim, "hour of the peak from the start of the storm", "hours");
    volume_ = variable("outflow_volume", NC_DOUBLE, 1, &realisationDim, "outflow volume", "m3");
    computed_ = variable("computed", NC_BYTE, 1, &realisationDim, "whether the realisation was computed", nullptr);
    const signed char flags[2] = {0, 1};
    Check(nc_put_att_schar(ncid_, computed_, "flag_values", NC_BYTE, 2, flags));
    text(computed_, "flag_meanings", QStringLiteral("failed computed"));

    text(NC_GLOBAL, "Conventions", QStringLiteral("CF-1.8"));
    text(NC_GLOBAL, "title", QStringLiteral("Hydrographs of a series of realisations"));
    text(NC_GLOBAL, "source", QString::fromUtf8(source));
    const unsigned long long seed = identity.seed;
    Check(nc_put_att_ulonglong(ncid_, NC_GLOBAL, "seed", NC_UINT64, 1, &seed));
    const long long range[3] = {identity.first, identity.count, identity.series};
    Check(nc_put_att_longlong(ncid_, NC_GLOBAL, "first_realisation_index", NC_INT64, 1, &range[0]));
    Check(nc_put_att_longlong(ncid_, NC_GLOBAL, "realisation_count", NC_INT64, 1, &range[1]));
    Check(nc_put_att_longlong(ncid_, NC_GLOBAL, "series_size", NC_INT64, 1, &range[2]));
    text(NC_GLOBAL, "inputs_fingerprint", identity.fingerprint);
    Check(nc_put_att_int(ncid_, NC_GLOBAL, "layout_version", NC_INT, 1, &kLayoutVersion));
}

HydrographWriter::~HydrographWriter()
{
    if (ncid_ >= 0)
        nc_close(ncid_);
}

void HydrographWriter::Fail(int status) const
{
    throw OutputError(QStringLiteral("Nie można zapisać pliku %1: %2").arg(path_, FromNc(status)));
}

void HydrographWriter::Check(int status) const
{
    if (status != NC_NOERR)
        Fail(status);
}

void HydrographWriter::AddHours(const model::RealisationSummary& summary, const float* discharge, int length)
{
    const int kept = summary.ok && discharge ? std::max(length, 0) : 0;
    checksum_.AddRecord(summary, discharge, length);
    rows_.emplace_back(discharge, discharge + kept);
    lengths_.push_back(kept);
    numbers_.push_back(static_cast<int>(first_ + written_ + static_cast<std::int64_t>(rows_.size())));
    peaks_.push_back(summary.ok ? summary.peak : 0.0f);
    peakHours_.push_back(summary.ok ? summary.peakHour : 0);
    volumes_.push_back(summary.ok ? summary.volume : 0.0);
    computed_flags_.push_back(summary.ok ? 1 : 0);
    if (rows_.size() == kBlockRealisations)
        Flush();
}

void HydrographWriter::Flush()
{
    const std::size_t n = rows_.size();
    if (n == 0)
        return;
    const std::size_t start[2] = {static_cast<std::size_t>(written_), 0};
    const std::size_t count[1] = {n};
    Check(nc_put_vara_int(ncid_, number_, start, count, numbers_.data()));
    Check(nc_put_vara_int(ncid_, length_, start, count, lengths_.data()));
    Check(nc_put_vara_float(ncid_, peak_, start, count, peaks_.data()));
    Check(nc_put_vara_int(ncid_, peakHour_, start, count, peakHours_.data()));
    Check(nc_put_vara_double(ncid_, volume_, start, count, volumes_.data()));
    Check(nc_put_vara_schar(ncid_, computed_, start, count, computed_flags_.data()));

    const int hours = *std::max_element(lengths_.begin(), lengths_.end());
    if (hours > 0) {
        // One rectangle of the block's rows, padded with the fill value.
        block_.assign(n * static_cast<std::size_t>(hours), NC_FILL_FLOAT);
        for (std::size_t r = 0; r < n; ++r)
            std::copy(rows_[r].begin(), rows_[r].end(), block_.begin() + static_cast<std::ptrdiff_t>(r * hours));
        const std::size_t blockCount[2] = {n, static_cast<std::size_t>(hours)};
        Check(nc_put_vara_float(ncid_, discharge_, start, blockCount, block_.data()));
    }
    if (hours > timeLength_) {
        std::vector<int> times;
        for (int t = timeLength_ + 1; t <= hours; ++t)
            times.push_back(t);
        const std::size_t timeStart[1] = {static_cast<std::size_t>(timeLength_)};
        const std::size_t timeCount[1] = {times.size()};
        Check(nc_put_vara_int(ncid_, time_, timeStart, timeCount, times.data()));
        timeLength_ = hours;
    }
    written_ += static_cast<std::int64_t>(n);
    rows_.clear();
    lengths_.clear();
    numbers_.clear();
    peaks_.clear();
    peakHours_.clear();
    volumes_.clear();
    computed_flags_.clear();
}

void HydrographWriter::SetFirstFailure(std::int64_t index, const QString& message)
{
    failureIndex_ = index;
    failure_ = message;
    Check(nc_redef(ncid_));
    const long long at = index;
    Check(nc_put_att_longlong(ncid_, NC_GLOBAL, "first_failure_index", NC_INT64, 1, &at));
    const QByteArray utf8 = message.toUtf8();
    Check(nc_put_att_text(ncid_, NC_GLOBAL, "first_failure", static_cast<std::size_t>(utf8.size()), utf8.constData()));
    Check(nc_enddef(ncid_));
}

void HydrographWriter::Close()
{
    Flush();
    if (written_ != identity_.count)
        throw OutputError(QStringLiteral("Nie można zapisać pliku %1: zapisano %2 z %3 realizacji")
                              .arg(path_)
                              .arg(written_)
                              .arg(identity_.count));
    // The checksum last: a file without it was not finished.
    const QByteArray description = PartDescription(kLayoutVersion, identity_, origin_, failureIndex_, failure_);
    PartChecksum whole = checksum_;
    whole.AddBytes(description.constData(), static_cast<std::size_t>(description.size()));
    const unsigned int sum = whole.Value();
    Check(nc_redef(ncid_));
    Check(nc_put_att_uint(ncid_, NC_GLOBAL, "checksum_crc32", NC_UINT, 1, &sum));
    Check(nc_enddef(ncid_));
    const int id = ncid_;
    ncid_ = -1;
    Check(nc_close(id));
}

// ---- Reading

HydrographReader::HydrographReader(const QString& path) : path_(path)
{
    fileSize_ = static_cast<std::uint64_t>(std::max<qint64>(QFileInfo(path).size(), 0));
    const std::uint64_t fileSize = fileSize_;
    Check(nc_open(QFile::encodeName(path).constData(), NC_NOWRITE, &ncid_));
    int dim = 0, version = 0;
    std::size_t realisations = 0, times = 0;
    Check(nc_inq_dimid(ncid_, "realisation", &dim));
    Check(nc_inq_dimlen(ncid_, dim, &realisations));
    Check(nc_inq_dimid(ncid_, "time", &dim));
    Check(nc_inq_dimlen(ncid_, dim, &times));
    Check(nc_get_att_int(ncid_, NC_GLOBAL, "layout_version", &version));
    if (version != kLayoutVersion)
        Fail(QStringLiteral("nieznana wersja układu pliku (%1)").arg(version));
    unsigned int checksum = 0;
    if (nc_get_att_uint(ncid_, NC_GLOBAL, "checksum_crc32", &checksum) != NC_NOERR)
        Fail(QStringLiteral("plik niedokończony: brak sumy kontrolnej (zapis przerwany przed końcem)"));
    unsigned long long seed = 0;
    long long first = 0, count = 0, series = 0;
    Check(nc_get_att_ulonglong(ncid_, NC_GLOBAL, "seed", &seed));
    Check(nc_get_att_longlong(ncid_, NC_GLOBAL, "first_realisation_index", &first));
    Check(nc_get_att_longlong(ncid_, NC_GLOBAL, "realisation_count", &count));
    Check(nc_get_att_longlong(ncid_, NC_GLOBAL, "series_size", &series));
    if (count != static_cast<long long>(realisations) || first < 0 || series < 1 || count > series - first)
        Fail(QStringLiteral("zakres realizacji niezgodny z wymiarem pliku"));
    // Every realisation and every hour takes room in the file: counts it can't hold are refused
    // before anything is allocated for them.
    if (static_cast<std::uint64_t>(count) > fileSize / kLeastRealisationBytes || times > fileSize / sizeof(float) ||
        times > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        Fail(QStringLiteral("zakres realizacji niezgodny z rozmiarem pliku"));
    timeLength_ = static_cast<int>(times);
    identity_ = {seed, first, count, series, TextAttribute("inputs_fingerprint")};
    long long failure = -1;
    if (nc_get_att_longlong(ncid_, NC_GLOBAL, "first_failure_index", &failure) == NC_NOERR) {
        if (failure < first || failure - first >= count)
            Fail(QStringLiteral("niepoprawny atrybut first_failure_index"));
        firstFailureIndex_ = failure;
        firstFailure_ = TextAttribute("first_failure");
    }
    Check(nc_inq_varid(ncid_, "discharge", &discharge_));
    ReadOrigin();
    CheckContents(fileSize, checksum);
    // The fingerprint the merge compares is the one of the inputs the file keeps.
    const QString stored = identity_.fingerprint;
    identity_.fingerprint = InputsFingerprint(origin_.inputs, origin_.source);
    if (identity_.fingerprint != stored)
        Fail(QStringLiteral("odcisk danych wejściowych nie zgadza się z danymi zapisanymi w pliku"));
    // Opened again when read: many parts are checked before any is read.
    Release();
}

// Every record read once, its values checked and its bytes summed as the part file lays them
// out; with the description, the sum is the one the writer kept.
void HydrographReader::CheckContents(std::uint64_t fileSize, std::uint32_t checksum)
{
    int lengthVar = 0;
    Check(nc_inq_varid(ncid_, "hydrograph_length", &lengthVar));
    const std::size_t total = static_cast<std::size_t>(identity_.count);
    lengths_.resize(total);
    if (total > 0)
        Check(nc_get_var_int(ncid_, lengthVar, lengths_.data()));
    std::uint64_t stored = 0;
    int longest = 0;
    for (std::size_t i = 0; i < total; ++i) {
        if (lengths_[i] < 0 || lengths_[i] > timeLength_)
            Fail(QStringLiteral("uszkodzony zapis realizacji %1 (długość hydrogramu poza wymiarem czasu)").arg(i + 1));
        stored += static_cast<std::uint64_t>(lengths_[i]);
        longest = std::max(longest, lengths_[i]);
    }
    if (longest != timeLength_ || stored > fileSize / sizeof(float))
        Fail(QStringLiteral("wymiar czasu niezgodny z długościami hydrogramów"));

    PartChecksum sum;
    const std::size_t hours = static_cast<std::size_t>(timeLength_);
    const std::size_t rows = std::clamp<std::size_t>(
        kCheckBlockBytes / (sizeof(float) * std::max<std::size_t>(hours, 1)), 1, kBlockRealisations * 64);
    std::vector<float> discharge;
    std::vector<model::RealisationSummary> summaries;
    std::vector<signed char> computed;
    for (std::size_t start = 0; start < total; start += rows) {
        const std::size_t n = std::min(rows, total - start);
        summaries.clear();
        ReadSummaries(start, n, summaries, computed);
        discharge.resize(n * hours);
        const std::size_t at[2] = {start, 0}, count[2] = {n, hours};
        if (hours > 0)
            Check(nc_get_vara_float(ncid_, discharge_, at, count, discharge.data()));
        for (std::size_t r = 0; r < n; ++r) {
            const std::size_t i = start + r;
            const float* row = discharge.data() + r * hours;
            const QString fault = computed[r] != 0 && computed[r] != 1
                                      ? QStringLiteral("znacznik policzonej realizacji różny od 0 i 1")
                                      : PartRecordFault(summaries[r], row, lengths_[i]);
            if (!fault.isEmpty())
                Fail(QStringLiteral("uszkodzony zapis realizacji %1 (%2)").arg(i + 1).arg(fault));
            sum.AddRecord(summaries[r], row, lengths_[i]);
        }
    }
    const QByteArray description =
        PartDescription(kLayoutVersion, identity_, origin_, firstFailureIndex_, firstFailure_);
    sum.AddBytes(description.constData(), static_cast<std::size_t>(description.size()));
    if (sum.Value() != checksum)
        Fail(QStringLiteral("suma kontrolna nie zgadza się z zawartością (plik uszkodzony)"));
}

HydrographReader::~HydrographReader()
{
    Release();
}

void HydrographReader::Release() const
{
    if (ncid_ >= 0)
        nc_close(ncid_);
    ncid_ = -1;
}

int HydrographReader::Id() const
{
    if (ncid_ < 0) {
        Check(nc_open(QFile::encodeName(path_).constData(), NC_NOWRITE, &ncid_));
        Check(nc_inq_varid(ncid_, "discharge", &discharge_));
        Check(nc_set_var_chunk_cache(ncid_, discharge_, kReadCacheBytes, 61, 0.75f));
    }
    return ncid_;
}

void HydrographReader::Fail(const QString& reason) const
{
    // A refused file is closed: a reader that throws from its constructor is never destroyed.
    Release();
    throw Error(QStringLiteral("Nie można odczytać pliku %1: %2").arg(path_, reason));
}

void HydrographReader::Check(int status) const
{
    if (status != NC_NOERR)
        Fail(FromNc(status));
}

QString HydrographReader::TextAttribute(const char* name) const
{
    std::size_t length = 0;
    Check(nc_inq_attlen(ncid_, NC_GLOBAL, name, &length));
    if (length > fileSize_)
        Fail(QStringLiteral("atrybut %1 dłuższy niż plik").arg(QLatin1String(name)));
    QByteArray bytes(static_cast<qsizetype>(length), '\0');
    Check(nc_get_att_text(ncid_, NC_GLOBAL, name, bytes.data()));
    return QString::fromUtf8(bytes);
}

PartOrigin HydrographReader::Origin() const
{
    return origin_;
}

void HydrographReader::ReadOrigin()
{
    origin_.project = TextAttribute("project");
    origin_.source = TextAttribute("source").toUtf8();
    model::ComputationInputs& inputs = origin_.inputs;
    for (const auto& q : kPartParameters)
        Check(nc_get_att_double(ncid_, NC_GLOBAL, q.name, &(inputs.parameters.*q.value)));
    Check(nc_get_att_int(ncid_, NC_GLOBAL, "rain_hours", &inputs.parameters.HourCount));
    int typed = 0;
    Check(nc_get_att_int(ncid_, NC_GLOBAL, "effective_rainfall_typed", &typed));
    inputs.directEffectiveRain = typed != 0;
    if (inputs.directEffectiveRain) {
        inputs.effectiveRain = FloatsAttribute("effective_rainfall_mm");
    } else {
        Check(nc_get_att_float(ncid_, NC_GLOBAL, "curve_number", &inputs.curveNumber));
        inputs.rainfall = FloatsAttribute("rainfall_mm");
    }
}

std::vector<float> HydrographReader::FloatsAttribute(const char* name) const
{
    std::size_t length = 0;
    Check(nc_inq_attlen(ncid_, NC_GLOBAL, name, &length));
    if (length > fileSize_ / sizeof(float))
        Fail(QStringLiteral("atrybut %1 dłuższy niż plik").arg(QLatin1String(name)));
    std::vector<float> values(length);
    if (length > 0)
        Check(nc_get_att_float(ncid_, NC_GLOBAL, name, values.data()));
    return values;
}

void HydrographReader::ReadSummaries(std::size_t start, std::size_t n, std::vector<model::RealisationSummary>& out,
                                     std::vector<signed char>& flags) const
{
    int peakVar = 0, hourVar = 0, volumeVar = 0, computedVar = 0;
    Check(nc_inq_varid(Id(), "peak_discharge", &peakVar));
    Check(nc_inq_varid(Id(), "peak_hour", &hourVar));
    Check(nc_inq_varid(Id(), "outflow_volume", &volumeVar));
    Check(nc_inq_varid(Id(), "computed", &computedVar));
    std::vector<float> peaks(n);
    std::vector<int> hours(n);
    std::vector<double> volumes(n);
    flags.resize(n);
    const std::size_t at[1] = {start}, count[1] = {n};
    if (n > 0) {
        Check(nc_get_vara_float(Id(), peakVar, at, count, peaks.data()));
        Check(nc_get_vara_int(Id(), hourVar, at, count, hours.data()));
        Check(nc_get_vara_double(Id(), volumeVar, at, count, volumes.data()));
        Check(nc_get_vara_schar(Id(), computedVar, at, count, flags.data()));
    }
    for (std::size_t i = 0; i < n; ++i)
        out.push_back({flags[i] != 0, peaks[i], hours[i], volumes[i]});
}

void HydrographReader::AppendSummaries(std::vector<model::RealisationSummary>& out) const
{
    const std::size_t total = static_cast<std::size_t>(identity_.count);
    out.reserve(out.size() + total);
    constexpr std::size_t kBlock = 65536;
    std::vector<signed char> flags;
    for (std::size_t start = 0; start < total; start += kBlock)
        ReadSummaries(start, std::min(kBlock, total - start), out, flags);
}

void HydrographReader::ReadBlock(std::int64_t r0, std::int64_t n, int h0, int hours, const std::vector<int>& lengths,
                                 float* out) const
{
    const std::size_t total = static_cast<std::size_t>(n) * static_cast<std::size_t>(hours);
    std::fill(out, out + total, 0.0f);
    // Only the hours the file has; beyond them every hydrograph has ended.
    const int stored = std::min(hours, timeLength_ - h0 + 1);
    if (stored > 0 && n > 0) {
        std::vector<float> buffer(static_cast<std::size_t>(n) * static_cast<std::size_t>(stored));
        const std::size_t start[2] = {static_cast<std::size_t>(r0), static_cast<std::size_t>(h0 - 1)};
        const std::size_t count[2] = {static_cast<std::size_t>(n), static_cast<std::size_t>(stored)};
        const int id = Id();
        Check(nc_get_vara_float(id, discharge_, start, count, buffer.data()));
        for (std::int64_t r = 0; r < n; ++r) {
            const int length = lengths[static_cast<std::size_t>(r0 + r)];
            const int within = std::clamp(length - h0 + 1, 0, stored);
            std::memcpy(out + r * hours, buffer.data() + r * stored, static_cast<std::size_t>(within) * sizeof(float));
        }
    }
}

std::unique_ptr<SeriesPartWriter> CreateNetcdfFile(const QString& path, const RangeIdentity& identity,
                                                   const PartOrigin& origin)
{
    return std::make_unique<HydrographWriter>(path, identity, origin);
}

std::unique_ptr<SeriesPartReader> OpenNetcdfFile(const QString& path)
{
    return std::make_unique<HydrographReader>(path);
}

}  // namespace moravel::cli
