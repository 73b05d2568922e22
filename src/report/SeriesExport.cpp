#include "report/SeriesExport.h"

#include "text/NumText.h"

#include <charconv>

namespace moravel::report {
namespace {

const QString kLevelHeaders[model::kSeriesLevels.size()] = {QStringLiteral("P5 [m³/s]"), QStringLiteral("P25 [m³/s]"),
                                                            QStringLiteral("Mediana [m³/s]"),
                                                            QStringLiteral("P75 [m³/s]"), QStringLiteral("P95 [m³/s]")};

}  // namespace

const QString& SeriesLevelHeader(std::size_t level)
{
    return kLevelHeaders[level];
}

QString SeriesRepresentativeHeader(const model::SeriesResult& result)
{
    return QStringLiteral("Realizacja reprezentatywna (nr %1) [m³/s]").arg(result.representative + 1);
}

float SeriesRepresentativeAt(const model::SeriesResult& result, int hour)
{
    const std::vector<float>& q = result.representativeDischarge;
    return hour <= static_cast<int>(q.size()) ? q[static_cast<std::size_t>(hour - 1)] : 0.0f;
}

QString SeriesPeakHourHeader()
{
    return QStringLiteral("Godzina szczytu [h]");
}

CsvTable SeriesBandCsv(const model::SeriesResult& result, QChar decimalSeparator)
{
    CsvTable table(decimalSeparator);
    QStringList header{QStringLiteral("Godzina")};
    for (const QString& level : kLevelHeaders)
        header << level;
    const bool representative = result.representative >= 0;
    if (representative)
        header << SeriesRepresentativeHeader(result);
    table.AddRow(header);
    for (int h = 1; h <= result.bandHours; ++h) {
        QStringList row{QString::number(h)};
        // The band's values come from single-precision ordinates.
        for (double v : result.band[static_cast<std::size_t>(h - 1)])
            row << text::FormatShortestFloat(static_cast<float>(v), decimalSeparator);
        if (representative)
            row << text::FormatShortestFloat(SeriesRepresentativeAt(result, h), decimalSeparator);
        table.AddRow(row);
    }
    return table;
}

QStringList SeriesRealisationsHeader()
{
    return {QStringLiteral("Realizacja"), QStringLiteral("Przepływ maksymalny [m³/s]"), SeriesPeakHourHeader(),
            QStringLiteral("Objętość odpływu [m³]"), QStringLiteral("Wynik")};
}

QStringList SeriesRealisationRow(int number, const model::RealisationSummary& r, QChar decimalSeparator)
{
    if (!r.ok)
        return {QString::number(number), QString(), QString(), QString(), QStringLiteral("nieudana")};
    return {QString::number(number), text::FormatShortestFloat(r.peak, decimalSeparator), QString::number(r.peakHour),
            text::FormatShortestDouble(r.volume, decimalSeparator), QStringLiteral("policzona")};
}

void AppendSeriesRealisationLine(QByteArray& out, int number, const model::RealisationSummary& r)
{
    // Numbers as FormatShortest* writes them (to_chars, '.' kept), none of which needs quoting.
    char buffer[96];
    char* at = buffer;
    char* const end = buffer + sizeof buffer;
    const auto field = [&](auto value) { at = std::to_chars(at, end, value).ptr; };
    field(number);
    *at++ = ',';
    if (r.ok) {
        field(r.peak);
        *at++ = ',';
        field(r.peakHour);
        *at++ = ',';
        field(r.volume);
        out.append(buffer, at - buffer).append(",policzona\r\n");
    } else {
        out.append(buffer, at - buffer).append(",,,nieudana\r\n");
    }
}

CsvTable SeriesRealisationsCsv(const model::SeriesResult& result, QChar decimalSeparator)
{
    CsvTable table(decimalSeparator);
    table.AddRow(SeriesRealisationsHeader());
    for (std::size_t i = 0; i < result.realisations.size(); ++i)
        table.AddRow(SeriesRealisationRow(static_cast<int>(i + 1), result.realisations[i], decimalSeparator));
    return table;
}

}  // namespace moravel::report
