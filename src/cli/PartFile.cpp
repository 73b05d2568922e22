#include "cli/PartFile.h"

#include <QHash>
#include <QtEndian>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "cli/Output.h"
#include "text/Error.h"

namespace moravel::cli {
namespace {

constexpr char kMagic[8] = {'M', 'R', 'V', 'P', 'A', 'R', 'T', '1'};
constexpr std::size_t kFooterBytes = 24;
constexpr std::size_t kRecordHeaderBytes = 24;
constexpr int kLayoutVersion = 1;
// Written when this much is buffered.
constexpr std::size_t kWriteBufferBytes = std::size_t(1) << 20;

template <class T>
void Put(std::vector<char>& out, T value)
{
    static_assert(sizeof(T) == 4 || sizeof(T) == 8);
    using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
    Bits bits;
    std::memcpy(&bits, &value, sizeof bits);
    bits = qToLittleEndian(bits);
    const char* bytes = reinterpret_cast<const char*>(&bits);
    out.insert(out.end(), bytes, bytes + sizeof bits);
}

template <class T>
T Get(const unsigned char* at)
{
    using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
    const Bits bits = qFromLittleEndian<Bits>(at);
    T value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Exact texts of numbers: the shortest that read back as the same double or float.
QByteArray Exact(double v)
{
    return QByteArray::number(v, 'g', 17);
}

QByteArray Exact(float v)
{
    return QByteArray::number(static_cast<double>(v), 'g', 9);
}

QByteArray List(const std::vector<float>& values)
{
    QByteArrayList texts;
    for (float v : values)
        texts << Exact(v);
    return texts.join(';');
}

class PartFileWriter : public SeriesPartWriter {
public:
    PartFileWriter(const QString& path, const RangeIdentity& identity, const PartOrigin& origin)
        : file_(path), identity_(identity), origin_(origin)
    {
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
            Fail();
        buffer_.reserve(kWriteBufferBytes + 4096);
    }

    void AddHours(const model::RealisationSummary& summary, const float* discharge, int length) override
    {
        const int kept = summary.ok && discharge ? std::max(length, 0) : 0;
        Put(buffer_, static_cast<std::int32_t>(kept));
        Put(buffer_, static_cast<std::int32_t>(summary.ok ? summary.peakHour : 0));
        Put(buffer_, summary.ok ? summary.peak : 0.0f);
        Put(buffer_, static_cast<std::int32_t>(summary.ok ? 1 : 0));
        Put(buffer_, summary.ok ? summary.volume : 0.0);
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            const char* bytes = reinterpret_cast<const char*>(discharge);
            buffer_.insert(buffer_.end(), bytes, bytes + std::size_t(kept) * sizeof(float));
        } else {
            for (int h = 0; h < kept; ++h)
                Put(buffer_, discharge[h]);
        }
        ++written_;
        if (buffer_.size() >= kWriteBufferBytes)
            Flush();
    }

    void SetFirstFailure(std::int64_t index, const QString& message) override
    {
        failureIndex_ = index;
        failure_ = message;
    }

    void Close() override
    {
        if (written_ != identity_.count)
            throw OutputError(QStringLiteral("Nie można zapisać pliku %1: zapisano %2 z %3 realizacji")
                                  .arg(file_.fileName())
                                  .arg(written_)
                                  .arg(identity_.count));
        Flush();
        const qint64 offset = file_.pos();
        const QByteArray description = Description();
        buffer_.insert(buffer_.end(), description.begin(), description.end());
        Put(buffer_, static_cast<std::uint64_t>(offset));
        Put(buffer_, static_cast<std::uint64_t>(description.size()));
        buffer_.insert(buffer_.end(), std::begin(kMagic), std::end(kMagic));
        Flush();
        // On the disk before the folder that holds it takes its name.
        if (!file_.flush() || ::fdatasync(file_.handle()) != 0)
            Fail();
        file_.close();
    }

private:
    [[noreturn]] void Fail() const
    {
        throw OutputError(QStringLiteral("Nie można zapisać pliku %1: %2").arg(file_.fileName(), file_.errorString()));
    }

    void Flush()
    {
        if (buffer_.empty())
            return;
        if (file_.write(buffer_.data(), static_cast<qint64>(buffer_.size())) != static_cast<qint64>(buffer_.size()))
            Fail();
        buffer_.clear();
    }

    QByteArray Description() const
    {
        const model::ComputationInputs& inputs = origin_.inputs;
        QList<std::pair<const char*, QByteArray>> entries{
            {"layout", QByteArray::number(kLayoutVersion)},
            {"seed", QByteArray::number(static_cast<qulonglong>(identity_.seed))},
            {"first", QByteArray::number(static_cast<qlonglong>(identity_.first))},
            {"count", QByteArray::number(static_cast<qlonglong>(identity_.count))},
            {"fingerprint", identity_.fingerprint.toUtf8()},
            {"project", origin_.project.toUtf8()},
            {"first_failure_index", QByteArray::number(static_cast<qlonglong>(failureIndex_))},
            {"first_failure", failure_.toUtf8()},
            {"rain_hours", QByteArray::number(inputs.parameters.HourCount)},
            {"effective_rainfall_typed", inputs.directEffectiveRain ? "1" : "0"},
            {"curve_number", Exact(inputs.curveNumber)},
            {"rainfall_mm", List(inputs.rainfall)},
            {"effective_rainfall_mm", List(inputs.effectiveRain)},
        };
        for (const auto& q : kPartParameters)
            entries.push_back({q.name, Exact(inputs.parameters.*q.value)});
        QByteArray text;
        for (const auto& [key, value] : entries)
            text += QByteArray(key) + '=' + value.toPercentEncoding() + '\n';
        return text;
    }

    QFile file_;
    RangeIdentity identity_;
    PartOrigin origin_;
    std::vector<char> buffer_;
    std::int64_t written_ = 0;
    std::int64_t failureIndex_ = -1;
    QString failure_;
};

class PartFileReader : public SeriesPartReader {
public:
    explicit PartFileReader(const QString& path) : path_(path)
    {
        const unsigned char* data = Map();
        if (size_ < kFooterBytes || std::memcmp(data + size_ - 8, kMagic, 8) != 0)
            Fail(QStringLiteral("to nie jest kompletny plik fragmentu serii"));
        const std::uint64_t offset = Get<std::uint64_t>(data + size_ - kFooterBytes);
        const std::uint64_t length = Get<std::uint64_t>(data + size_ - kFooterBytes + 8);
        if (offset > size_ - kFooterBytes || length != size_ - kFooterBytes - offset)
            Fail(QStringLiteral("uszkodzony opis fragmentu"));
        ReadDescription(QByteArray(reinterpret_cast<const char*>(data + offset), static_cast<qsizetype>(length)));
        // The index of the records.
        std::uint64_t at = 0;
        offsets_.reserve(static_cast<std::size_t>(identity_.count));
        lengths_.reserve(static_cast<std::size_t>(identity_.count));
        while (at < offset) {
            if (offset - at < kRecordHeaderBytes)
                Fail(QStringLiteral("uszkodzony zapis realizacji %1").arg(offsets_.size() + 1));
            const std::int32_t hours = Get<std::int32_t>(data + at);
            if (hours < 0 || static_cast<std::uint64_t>(hours) * 4 > offset - at - kRecordHeaderBytes)
                Fail(QStringLiteral("uszkodzony zapis realizacji %1").arg(offsets_.size() + 1));
            offsets_.push_back(at);
            lengths_.push_back(hours);
            timeLength_ = std::max(timeLength_, static_cast<int>(hours));
            at += kRecordHeaderBytes + static_cast<std::uint64_t>(hours) * 4;
        }
        if (static_cast<std::int64_t>(offsets_.size()) != identity_.count)
            Fail(QStringLiteral("zakres realizacji niezgodny z zapisami pliku"));
        Release();
    }

    ~PartFileReader() override { Release(); }

    const QString& Path() const override { return path_; }
    const RangeIdentity& Identity() const override { return identity_; }
    std::int64_t FirstFailureIndex() const override { return firstFailureIndex_; }
    const QString& FirstFailure() const override { return firstFailure_; }
    int TimeLength() const override { return timeLength_; }
    PartOrigin Origin() const override { return origin_; }
    std::vector<int> Lengths() const override { return lengths_; }

    void AppendSummaries(std::vector<model::RealisationSummary>& out) const override
    {
        const unsigned char* data = Map();
        out.reserve(out.size() + offsets_.size());
        for (std::uint64_t at : offsets_)
            out.push_back({Get<std::int32_t>(data + at + 12) != 0, Get<float>(data + at + 8),
                           Get<std::int32_t>(data + at + 4), Get<double>(data + at + 16)});
    }

    void ReadBlock(std::int64_t r0, std::int64_t n, int h0, int hours, const std::vector<int>&,
                   float* out) const override
    {
        const unsigned char* data = Map();
        for (std::int64_t r = 0; r < n; ++r) {
            const std::size_t i = static_cast<std::size_t>(r0 + r);
            float* row = out + r * hours;
            const int within = std::clamp(lengths_[i] - h0 + 1, 0, hours);
            const unsigned char* from = data + offsets_[i] + kRecordHeaderBytes + std::size_t(h0 - 1) * 4;
            if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
                std::memcpy(row, from, static_cast<std::size_t>(within) * sizeof(float));
            } else {
                for (int h = 0; h < within; ++h)
                    row[h] = Get<float>(from + std::size_t(h) * 4);
            }
            std::fill(row + within, row + hours, 0.0f);
        }
    }

    void Release() const override
    {
        if (map_)
            ::munmap(map_, size_);
        map_ = nullptr;
    }

private:
    [[noreturn]] void Fail(const QString& reason) const
    {
        Release();
        throw Error(QStringLiteral("Nie można odczytać pliku %1: %2").arg(path_, reason));
    }

    // The whole file mapped, until Release.
    const unsigned char* Map() const
    {
        if (map_)
            return static_cast<const unsigned char*>(map_);
        const int fd = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            Fail(QString::fromLocal8Bit(std::strerror(errno)));
        struct stat st {};
        if (::fstat(fd, &st) != 0 || st.st_size <= 0) {
            ::close(fd);
            Fail(QStringLiteral("to nie jest kompletny plik fragmentu serii"));
        }
        void* map = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        ::close(fd);
        if (map == MAP_FAILED)
            Fail(QString::fromLocal8Bit(std::strerror(errno)));
        if (size_ != 0 && size_ != static_cast<std::uint64_t>(st.st_size)) {
            ::munmap(map, static_cast<std::size_t>(st.st_size));
            Fail(QStringLiteral("plik zmienił się w trakcie łączenia"));
        }
        size_ = static_cast<std::uint64_t>(st.st_size);
        map_ = map;
        return static_cast<const unsigned char*>(map_);
    }

    void ReadDescription(const QByteArray& text)
    {
        QHash<QByteArray, QByteArray> values;
        for (const QByteArray& line : text.split('\n')) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0)
                values.insert(line.left(eq), QByteArray::fromPercentEncoding(line.mid(eq + 1)));
        }
        const auto value = [&](const char* key) {
            const auto it = values.constFind(key);
            if (it == values.constEnd())
                Fail(QStringLiteral("brak pola %1 w opisie fragmentu").arg(QLatin1String(key)));
            return *it;
        };
        const auto number = [&](const char* key, auto convert) {
            bool ok = false;
            const auto v = convert(value(key), &ok);
            if (!ok)
                Fail(QStringLiteral("niepoprawne pole %1 w opisie fragmentu").arg(QLatin1String(key)));
            return v;
        };
        const auto toLong = [](const QByteArray& t, bool* ok) { return t.toLongLong(ok); };
        const auto toULong = [](const QByteArray& t, bool* ok) { return t.toULongLong(ok); };
        const auto toInt = [](const QByteArray& t, bool* ok) { return t.toInt(ok); };
        const auto toDouble = [](const QByteArray& t, bool* ok) { return t.toDouble(ok); };
        const auto toFloat = [](const QByteArray& t, bool* ok) { return t.toFloat(ok); };
        const auto floats = [&](const char* key) {
            std::vector<float> list;
            const QByteArray text = value(key);
            if (text.isEmpty())
                return list;
            for (const QByteArray& item : text.split(';')) {
                bool ok = false;
                list.push_back(item.toFloat(&ok));
                if (!ok)
                    Fail(QStringLiteral("niepoprawne pole %1 w opisie fragmentu").arg(QLatin1String(key)));
            }
            return list;
        };

        const int layout = number("layout", toInt);
        if (layout != kLayoutVersion)
            Fail(QStringLiteral("nieznana wersja układu pliku (%1)").arg(layout));
        identity_.seed = number("seed", toULong);
        identity_.first = number("first", toLong);
        identity_.count = number("count", toLong);
        if (identity_.first < 0 || identity_.count < 0)
            Fail(QStringLiteral("zakres realizacji niezgodny z zapisami pliku"));
        identity_.fingerprint = QString::fromUtf8(value("fingerprint"));
        firstFailureIndex_ = number("first_failure_index", toLong);
        firstFailure_ = QString::fromUtf8(value("first_failure"));
        origin_.project = QString::fromUtf8(value("project"));
        model::ComputationInputs& inputs = origin_.inputs;
        inputs.parameters.HourCount = number("rain_hours", toInt);
        inputs.directEffectiveRain = number("effective_rainfall_typed", toInt) != 0;
        inputs.curveNumber = number("curve_number", toFloat);
        for (const auto& q : kPartParameters)
            inputs.parameters.*q.value = number(q.name, toDouble);
        inputs.rainfall = floats("rainfall_mm");
        inputs.effectiveRain = floats("effective_rainfall_mm");
    }

    QString path_;
    mutable void* map_ = nullptr;
    mutable std::uint64_t size_ = 0;
    RangeIdentity identity_;
    PartOrigin origin_;
    std::int64_t firstFailureIndex_ = -1;
    QString firstFailure_;
    std::vector<std::uint64_t> offsets_;
    std::vector<int> lengths_;
    int timeLength_ = 0;
};

}  // namespace

std::unique_ptr<SeriesPartWriter> CreatePartFile(const QString& path, const RangeIdentity& identity,
                                                 const PartOrigin& origin)
{
    return std::make_unique<PartFileWriter>(path, identity, origin);
}

std::unique_ptr<SeriesPartReader> OpenPartFile(const QString& path)
{
    return std::make_unique<PartFileReader>(path);
}

bool IsPartFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < static_cast<qint64>(kFooterBytes))
        return false;
    char tail[8];
    return file.seek(file.size() - 8) && file.read(tail, 8) == 8 && std::memcmp(tail, kMagic, 8) == 0;
}

}  // namespace moravel::cli
