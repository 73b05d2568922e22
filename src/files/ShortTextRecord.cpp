#include "files/ShortTextRecord.h"

#include "files/Cp1250.h"
#include "text/Error.h"

#include <algorithm>
#include <limits>

namespace moravel::files {

QByteArray EncodeShortText(const QString& text, int width)
{
    const QByteArray bytes = ToCp1250(text).left(width);
    QByteArray field(width + 1, '\0');
    field[0] = static_cast<char>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), field.begin() + 1);
    return field;
}

QString DecodeShortText(const QByteArray& record, qsizetype offset, int width)
{
    if (offset < 0 || offset >= record.size())
        return QString();
    const qsizetype present = std::min<qsizetype>(record.size() - offset, width + 1);
    qsizetype length = static_cast<unsigned char>(record[offset]);
    length = std::min<qsizetype>({length, width, present - 1});
    return FromCp1250(record.constData() + offset + 1, length);
}

namespace {

constexpr qsizetype kRainfallField = RainfallRecord::kFieldWidth + 1;
constexpr qsizetype kScsField = ScsRecord::kFieldWidth + 1;
constexpr qsizetype kParametersField = ParametersRecord::kFieldWidth + 1;

qsizetype ScsAreaOffset(int row, int group)
{
    return kScsField * (ScsRecord::kGroups * row + group);
}
qsizetype ScsOwnClassOffset(int group)
{
    return ScsAreaOffset(ScsRecord::kRows, group);
}

}  // namespace

void CheckRainfallHourCount(int hours)
{
    if (hours > RainfallRecord::kMaxHours)
        throw Error(QStringLiteral("Plik opadu mieści najwyżej %1 godzin, a seria ma ich %2. "
                                   "Nie zapisano pliku.")
                        .arg(RainfallRecord::kMaxHours)
                        .arg(hours));
}

QByteArray RainfallRecord::Encode() const
{
    CheckRainfallHourCount(static_cast<int>(std::min<qsizetype>(hours.size(), std::numeric_limits<int>::max())));
    QByteArray out;
    out.reserve(kSize);
    out += EncodeShortText(hourCount, kFieldWidth);
    out += EncodeShortText(effective ? QStringLiteral("1") : QStringLiteral("0"), kFieldWidth);
    for (const QString& h : hours)
        out += EncodeShortText(h, kFieldWidth);
    out.append(kSize - out.size(), '\0');
    return out;
}

RainfallRecord RainfallRecord::Decode(const QByteArray& bytes)
{
    RainfallRecord r;
    r.hourCount = DecodeShortText(bytes, 0, kFieldWidth);
    r.kindText = DecodeShortText(bytes, kRainfallField, kFieldWidth);
    r.effective = r.kindText == QLatin1String("1");
    r.hours.reserve(kMaxHours);
    for (int i = 0; i < kMaxHours; ++i)
        r.hours.append(DecodeShortText(bytes, kRainfallField * (2 + i), kFieldWidth));
    return r;
}

QByteArray ScsRecord::Encode() const
{
    QByteArray out;
    out.reserve(kSize);
    for (const auto& row : areas)
        for (const QString& area : row)
            out += EncodeShortText(area, kFieldWidth);
    for (const QString& cn : ownClassCn)
        out += EncodeShortText(cn, kFieldWidth);
    return out;
}

ScsRecord ScsRecord::Decode(const QByteArray& bytes)
{
    ScsRecord r;
    for (int g = 0; g < kGroups; ++g)
        r.ownClassCn[g] = DecodeShortText(bytes, ScsOwnClassOffset(g), kFieldWidth);
    for (int i = 0; i < kRows; ++i)
        for (int g = 0; g < kGroups; ++g)
            r.areas[i][g] = DecodeShortText(bytes, ScsAreaOffset(i, g), kFieldWidth);
    return r;
}

QByteArray ParametersRecord::Encode() const
{
    QByteArray out;
    out.reserve(kSize);
    for (const QString& v : values)
        out += EncodeShortText(v, kFieldWidth);
    return out;
}

ParametersRecord ParametersRecord::Decode(const QByteArray& bytes)
{
    ParametersRecord r;
    for (int k = 0; k < kCount; ++k)
        r.values[k] = DecodeShortText(bytes, kParametersField * k, kFieldWidth);
    return r;
}

}  // namespace moravel::files
