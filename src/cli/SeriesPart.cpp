#include "cli/SeriesPart.h"

#include <QByteArrayList>
#include <QList>
#include <QtEndian>

#include <zlib.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>

namespace moravel::cli {
namespace {

void Mix(std::uint64_t& hash, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
}

template <class T>
void MixValue(std::uint64_t& hash, T value)
{
    Mix(hash, &value, sizeof value);
}

// Mixed into every fingerprint since the first version of the part files, so that parts
// written by any version of this computation keep theirs.
constexpr int kFingerprintLayout = 1;

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

bool NotNegative(double v)
{
    return std::isfinite(v) && v >= 0;
}

}  // namespace

QByteArray PartSource()
{
    return QByteArrayLiteral("moravel-run " MORAVEL_VERSION);
}

QString InputsFingerprint(const model::ComputationInputs& inputs, const QByteArray& source)
{
    std::uint64_t hash = 14695981039346656037ull;
    Mix(hash, source.constData(), static_cast<std::size_t>(source.size()));
    MixValue(hash, kFingerprintLayout);
    const model::HydrographParameters& p = inputs.parameters;
    for (double v : {p.So, p.n, p.b, p.RB, p.RA, p.RL, p.Lo, p.Area})
        MixValue(hash, v);
    MixValue(hash, p.HourCount);
    MixValue(hash, inputs.directEffectiveRain);
    MixValue(hash, inputs.curveNumber);
    for (const std::vector<float>* values : {&inputs.rainfall, &inputs.effectiveRain}) {
        MixValue(hash, values->size());
        Mix(hash, values->data(), values->size() * sizeof(float));
    }
    return QStringLiteral("%1").arg(hash, 16, 16, QLatin1Char('0'));
}

model::ComputationInputs PartInputs(model::ComputationInputs inputs)
{
    if (inputs.directEffectiveRain) {
        inputs.rainfall.clear();
        inputs.curveNumber = 0;
    } else {
        inputs.effectiveRain.clear();
    }
    return inputs;
}

void AppendPartRecord(std::vector<char>& out, const model::RealisationSummary& summary, const float* discharge,
                      int length)
{
    const int kept = summary.ok && discharge ? std::max(length, 0) : 0;
    PutLittleEndian(out, static_cast<std::int32_t>(kept));
    PutLittleEndian(out, static_cast<std::int32_t>(summary.ok ? summary.peakHour : 0));
    PutLittleEndian(out, summary.ok ? summary.peak : 0.0f);
    PutLittleEndian(out, static_cast<std::int32_t>(summary.ok ? 1 : 0));
    PutLittleEndian(out, summary.ok ? summary.volume : 0.0);
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        const char* bytes = reinterpret_cast<const char*>(discharge);
        out.insert(out.end(), bytes, bytes + std::size_t(kept) * sizeof(float));
    } else {
        for (int h = 0; h < kept; ++h)
            PutLittleEndian(out, discharge[h]);
    }
}

QString PartRecordFault(const model::RealisationSummary& summary, const float* discharge, int length)
{
    if (length < 0)
        return QStringLiteral("ujemna długość hydrogramu");
    if (!summary.ok) {
        if (length != 0 || summary.peak != 0.0f || summary.peakHour != 0 || summary.volume != 0.0)
            return QStringLiteral("nieudana realizacja z wynikami");
        return {};
    }
    if (!NotNegative(summary.peak))
        return QStringLiteral("przepływ maksymalny nie jest liczbą nieujemną");
    if (!NotNegative(summary.volume))
        return QStringLiteral("objętość nie jest liczbą nieujemną");
    if (summary.peakHour < 0 || summary.peakHour > length)
        return QStringLiteral("godzina szczytu poza hydrogramem");
    for (int h = 0; h < length; ++h)
        if (!NotNegative(discharge[h]))
            return QStringLiteral("przepływ w godzinie %1 nie jest liczbą nieujemną").arg(h + 1);
    return {};
}

QByteArray PartDescription(int layout, const RangeIdentity& identity, const PartOrigin& origin,
                           std::int64_t failureIndex, const QString& failure)
{
    const model::ComputationInputs& inputs = origin.inputs;
    QList<std::pair<const char*, QByteArray>> entries{
        {"layout", QByteArray::number(layout)},
        {"source", origin.source},
        {"seed", QByteArray::number(static_cast<qulonglong>(identity.seed))},
        {"first", QByteArray::number(static_cast<qlonglong>(identity.first))},
        {"count", QByteArray::number(static_cast<qlonglong>(identity.count))},
        {"series", QByteArray::number(static_cast<qlonglong>(identity.series))},
        {"fingerprint", identity.fingerprint.toUtf8()},
        {"project", origin.project.toUtf8()},
        {"first_failure_index", QByteArray::number(static_cast<qlonglong>(failureIndex))},
        {"first_failure", failure.toUtf8()},
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

void PartChecksum::AddRecord(const model::RealisationSummary& summary, const float* discharge, int length)
{
    record_.clear();
    AppendPartRecord(record_, summary, discharge, length);
    AddBytes(record_.data(), record_.size());
}

void PartChecksum::AddBytes(const char* data, std::size_t size)
{
    // crc32 takes at most a uInt of bytes a call.
    constexpr std::size_t kStep = std::size_t(1) << 30;
    const auto* bytes = reinterpret_cast<const Bytef*>(data);
    for (std::size_t done = 0; done < size; done += kStep) {
        const std::size_t n = std::min(kStep, size - done);
        crc_ = static_cast<std::uint32_t>(crc32(crc_, bytes + done, static_cast<uInt>(n)));
    }
}

}  // namespace moravel::cli
