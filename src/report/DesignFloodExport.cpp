#include "report/DesignFloodExport.h"

#include "text/NumText.h"

#include <algorithm>

namespace moravel::report {

const std::array<QString, 7> kDesignFloodParameterNames = {
    QStringLiteral("RB"),      QStringLiteral("RL"),    QStringLiteral("RA"), QStringLiteral("So"),
    QStringLiteral("Lo [km]"), QStringLiteral("b [m]"), QStringLiteral("n")};

QString DesignFloodProbabilityNote()
{
    return QStringLiteral(
        "Prawdopodobieństwo przewyższenia dotyczy opadu. Przyjęcie, że przepływ ma to samo "
        "prawdopodobieństwo co opad, jest założeniem metody.");
}

QString DesignFloodShapeText(model::StormShape shape, int peakIndex)
{
    QString text = model::StormShapeName(shape);
    if (shape == model::StormShape::AlternatingBlock)
        text += QStringLiteral(", szczyt w %1").arg(model::AlternatingPeakShareText(peakIndex));
    return text;
}

QString DesignFloodSourceText(const QString& durationsText)
{
    return QStringLiteral("tabela wysokości opadu dla czasów trwania %1 h").arg(durationsText);
}

std::vector<int> DrawnDesignFloodRows(const model::DesignFloodResult& result, bool criticalDuration)
{
    if (criticalDuration)
        return model::CriticalRows(result);
    std::vector<int> rows(result.rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<int>(i);
    return rows;
}

QStringList DesignFloodTableHeaders(bool criticalDuration)
{
    QStringList headers{QStringLiteral("p [%]"),
                        QStringLiteral("Czas trwania [h]"),
                        QStringLiteral("Opad P [mm]"),
                        QStringLiteral("Opad efektywny [mm] (mediana)"),
                        QStringLiteral("Qmax mediana [m³/s]"),
                        QStringLiteral("Qmax 5 % [m³/s]"),
                        QStringLiteral("Qmax 95 % [m³/s]"),
                        QStringLiteral("Czas do szczytu [h] (mediana)"),
                        QStringLiteral("Objętość [tys. m³] (mediana)"),
                        QStringLiteral("Realizacje policzone")};
    if (criticalDuration)
        headers << QStringLiteral("Czas krytyczny");
    return headers;
}

QStringList DesignFloodTableRow(const model::DesignFloodRow& row, bool critical, bool criticalDuration,
                                QChar decimalSeparator)
{
    const auto number = [decimalSeparator](double v, int decimals) {
        return text::FormatDecimals(v, decimals, decimalSeparator);
    };
    const auto median = [](const model::Spread& s) { return s.percentiles[model::kMedianSeriesLevel]; };
    QStringList cells{text::FormatUpToDecimals(row.probability, 3, decimalSeparator), QString::number(row.hours),
                      number(row.depth, 1)};
    if (row.succeeded > 0)
        cells << number(median(row.effectiveRain), 1) << number(median(row.peak), 2)
              << number(row.peak.percentiles[0], 2) << number(row.peak.percentiles[model::kHighestSeriesLevel], 2)
              << number(median(row.peakHour), 1) << number(median(row.volume) / 1000, 1);
    else
        cells << QString() << QString() << QString() << QString() << QString() << QString();
    cells << QString::number(row.succeeded);
    if (criticalDuration)
        cells << (critical ? QStringLiteral("tak") : QString());
    return cells;
}

std::vector<QStringList> DesignFloodDescriptionPairs(const model::DesignFloodResult& result,
                                                     const DesignFloodDescription& d)
{
    std::vector<QStringList> pairs = {{QStringLiteral("Powierzchnia zlewni [km²]"), d.area},
                                      {QStringLiteral("Średni CN"), d.curveNumber}};
    for (std::size_t i = 0; i < d.parameters.size(); ++i)
        pairs.push_back({kDesignFloodParameterNames[i], d.parameters[i]});
    pairs.push_back({QStringLiteral("Kształt hietogramu"), d.shape});
    pairs.push_back({QStringLiteral("Źródło opadu"), d.source});
    pairs.push_back({QStringLiteral("Ziarno"), QString::number(result.seed)});
    pairs.push_back({QStringLiteral("Liczba realizacji"), QString::number(result.realisations)});
    return pairs;
}

namespace {

bool IsCritical(const std::vector<int>& critical, std::size_t row)
{
    return std::find(critical.begin(), critical.end(), static_cast<int>(row)) != critical.end();
}

}  // namespace

CsvTable DesignFloodCsv(const model::DesignFloodResult& result, const DesignFloodDescription& description,
                        QChar decimalSeparator)
{
    CsvTable table(decimalSeparator);
    table.AddRow({QStringLiteral("Przepływy projektowe")});
    table.AddRow({DesignFloodProbabilityNote()});
    for (const QStringList& pair : DesignFloodDescriptionPairs(result, description))
        table.AddRow(pair);
    table.AddRow({});
    table.AddRow(DesignFloodTableHeaders(description.criticalDuration));
    const std::vector<int> critical = model::CriticalRows(result);
    for (std::size_t i = 0; i < result.rows.size(); ++i)
        table.AddRow(DesignFloodTableRow(result.rows[i], IsCritical(critical, i), description.criticalDuration,
                                         decimalSeparator));
    return table;
}

}  // namespace moravel::report
