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

constexpr char kMagic[8] = {'M', 'R', 'V', 'P', 'A', 'R', 'T', '2'};
// The closing bytes of the first layout, which kept no checksum and no series size.
constexpr char kFirstMagic[8] = {'M', 'R', 'V', 'P', 'A', 'R', 'T', '1'};
constexpr std::size_t kFooterBytes = 28;
// The checksum covers everything before itself.
constexpr std::size_t kChecksumAt = kFooterBytes - 12;
constexpr int kLayoutVersion = 2;
// Written when this much is buffered.
constexpr std::size_t kWriteBufferBytes = std::size_t(1) << 20;

template <class T>
T Get(const unsigned char* at)
{
    using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
    const Bits bits = qFromLittleEndian<Bits>(at);
    T value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

class PartFileWriter : public SeriesPartWriter {
public:
    PartFileWriter(const QString& path, const RangeIdentity& identity, const PartOrigin& origin)
        : file_(path), identity_(identity), origin_{origin.project, PartInputs(origin.inputs), origin.source}
    {
        identity_.fingerprint = InputsFingerprint(origin_.inputs, origin_.source);
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
            Fail();
        buffer_.reserve(kWriteBufferBytes + 4096);
    }

    void AddHours(const model::RealisationSummary& summary, const float* discharge, int length) override
    {
        AppendPartRecord(buffer_, summary, discharge, length);
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
        const QByteArray description = PartDescription(kLayoutVersion, identity_, origin_, failureIndex_, failure_);
        buffer_.insert(buffer_.end(), description.begin(), description.end());
        PutLittleEndian(buffer_, static_cast<std::uint64_t>(offset));
        PutLittleEndian(buffer_, static_cast<std::uint64_t>(description.size()));
        checksum_.AddBytes(buffer_.data(), buffer_.size());
        PutLittleEndian(buffer_, checksum_.Value());
        buffer_.insert(buffer_.end(), std::begin(kMagic), std::end(kMagic));
        Flush(false);
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

    void Flush(bool summed = true)
    {
        if (buffer_.empty())
            return;
        if (summed)
            checksum_.AddBytes(buffer_.data(), buffer_.size());
        if (file_.write(buffer_.data(), static_cast<qint64>(buffer_.size())) != static_cast<qint64>(buffer_.size()))
            Fail();
        buffer_.clear();
    }

    QFile file_;
    RangeIdentity identity_;
    PartOrigin origin_;
    std::vector<char> buffer_;
    PartChecksum checksum_;  // of the bytes written
    std::int64_t written_ = 0;
    std::int64_t failureIndex_ = -1;
    QString failure_;
};

class PartFileReader : public SeriesPartReader {
public:
    explicit PartFileReader(const QString& path) : path_(path)
    {
        const unsigned char* data = Map();
        if (size_ >= kFooterBytes && std::memcmp(data + size_ - 8, kFirstMagic, 8) == 0)
            Fail(QStringLiteral("fragment zapisany przez wcześniejszą wersję programu (układ 1): policz go ponownie"));
        if (size_ < kFooterBytes || std::memcmp(data + size_ - 8, kMagic, 8) != 0)
            Fail(QStringLiteral("to nie jest kompletny plik fragmentu serii"));
        const std::uint64_t offset = Get<std::uint64_t>(data + size_ - kFooterBytes);
        const std::uint64_t length = Get<std::uint64_t>(data + size_ - kFooterBytes + 8);
        if (offset > size_ - kFooterBytes || length != size_ - kFooterBytes - offset)
            Fail(QStringLiteral("uszkodzony opis fragmentu"));
        PartChecksum checksum;
        checksum.AddBytes(reinterpret_cast<const char*>(data), size_ - kFooterBytes + kChecksumAt);
        if (checksum.Value() != Get<std::uint32_t>(data + size_ - kFooterBytes + kChecksumAt))
            Fail(QStringLiteral("suma kontrolna nie zgadza się z zawartością (plik uszkodzony)"));
        ReadDescription(QByteArray(reinterpret_cast<const char*>(data + offset), static_cast<qsizetype>(length)));
        // The index of the records, each at least its header long: a count the records can't
        // hold is refused before anything is allocated for it.
        if (static_cast<std::uint64_t>(identity_.count) > offset / kPartRecordHeaderBytes)
            Fail(QStringLiteral("zakres realizacji niezgodny z zapisami pliku"));
        std::uint64_t at = 0;
        offsets_.reserve(static_cast<std::size_t>(identity_.count));
        lengths_.reserve(static_cast<std::size_t>(identity_.count));
        std::vector<float> hours;
        while (at < offset) {
            const auto damaged = [&](const QString& why) {
                QString text = QStringLiteral("uszkodzony zapis realizacji %1").arg(offsets_.size() + 1);
                if (!why.isEmpty())
                    text += QStringLiteral(" (%1)").arg(why);
                Fail(text);
            };
            if (offset - at < kPartRecordHeaderBytes || offsets_.size() == static_cast<std::size_t>(identity_.count))
                damaged({});
            const std::int32_t kept = Get<std::int32_t>(data + at);
            if (kept < 0 || static_cast<std::uint64_t>(kept) * 4 > offset - at - kPartRecordHeaderBytes)
                damaged({});
            const std::int32_t computed = Get<std::int32_t>(data + at + 12);
            if (computed != 0 && computed != 1)
                damaged(QStringLiteral("znacznik policzonej realizacji różny od 0 i 1"));
            const unsigned char* values = data + at + kPartRecordHeaderBytes;
            hours.resize(static_cast<std::size_t>(kept));
            for (std::int32_t h = 0; h < kept; ++h)
                hours[static_cast<std::size_t>(h)] = Get<float>(values + std::size_t(h) * 4);
            const QString fault = PartRecordFault(SummaryAt(data, at), hours.data(), kept);
            if (!fault.isEmpty())
                damaged(fault);
            offsets_.push_back(at);
            lengths_.push_back(kept);
            timeLength_ = std::max(timeLength_, static_cast<int>(kept));
            at += kPartRecordHeaderBytes + static_cast<std::uint64_t>(kept) * 4;
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
            out.push_back(SummaryAt(data, at));
    }

    void ReadBlock(std::int64_t r0, std::int64_t n, int h0, int hours, const std::vector<int>&,
                   float* out) const override
    {
        const unsigned char* data = Map();
        for (std::int64_t r = 0; r < n; ++r) {
            const std::size_t i = static_cast<std::size_t>(r0 + r);
            float* row = out + r * hours;
            const int within = std::clamp(lengths_[i] - h0 + 1, 0, hours);
            const unsigned char* from = data + offsets_[i] + kPartRecordHeaderBytes + std::size_t(h0 - 1) * 4;
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
    static model::RealisationSummary SummaryAt(const unsigned char* data, std::uint64_t at)
    {
        return {Get<std::int32_t>(data + at + 12) != 0, Get<float>(data + at + 8), Get<std::int32_t>(data + at + 4),
                Get<double>(data + at + 16)};
    }

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
        origin_.source = value("source");
        identity_.seed = number("seed", toULong);
        identity_.first = number("first", toLong);
        identity_.count = number("count", toLong);
        identity_.series = number("series", toLong);
        if (identity_.first < 0 || identity_.count < 0 || identity_.series < 1 ||
            identity_.count > identity_.series - identity_.first)
            Fail(QStringLiteral("zakres realizacji niezgodny z zapisami pliku"));
        const QString fingerprint = QString::fromUtf8(value("fingerprint"));
        firstFailureIndex_ = number("first_failure_index", toLong);
        firstFailure_ = QString::fromUtf8(value("first_failure"));
        if (firstFailureIndex_ != -1 &&
            (firstFailureIndex_ < identity_.first || firstFailureIndex_ - identity_.first >= identity_.count))
            Fail(QStringLiteral("niepoprawne pole first_failure_index w opisie fragmentu"));
        origin_.project = QString::fromUtf8(value("project"));
        model::ComputationInputs& inputs = origin_.inputs;
        inputs.parameters.HourCount = number("rain_hours", toInt);
        inputs.directEffectiveRain = number("effective_rainfall_typed", toInt) != 0;
        inputs.curveNumber = number("curve_number", toFloat);
        for (const auto& q : kPartParameters)
            inputs.parameters.*q.value = number(q.name, toDouble);
        inputs.rainfall = floats("rainfall_mm");
        inputs.effectiveRain = floats("effective_rainfall_mm");
        // The fingerprint the merge compares is the one of the inputs the file keeps.
        identity_.fingerprint = InputsFingerprint(inputs, origin_.source);
        if (identity_.fingerprint != fingerprint)
            Fail(QStringLiteral("odcisk danych wejściowych nie zgadza się z danymi zapisanymi w pliku"));
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

}  // namespace moravel::cli
