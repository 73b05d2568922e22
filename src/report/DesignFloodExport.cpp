#include "report/DesignFloodExport.h"

#include "report/HydrographNotes.h"
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
    headers << QStringLiteral("Qmax mediana: przedział ufności 95 % od [m³/s]")
            << QStringLiteral("Qmax mediana: przedział ufności 95 % do [m³/s]")
            << QStringLiteral("Współczynnik odpływu (mediana)");
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
    if (row.peakInterval)
        cells << number(row.peakInterval->low, 2) << number(row.peakInterval->high, 2);
    else
        cells << QString() << QString();
    cells << (row.runoffCoefficient ? number(*row.runoffCoefficient, 2) : QString());
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

std::vector<QStringList> DesignFloodStormPairs(const DesignFloodDescription& d, QChar decimalSeparator)
{
    std::vector<QStringList> pairs = {
        {QStringLiteral("Czas trwania opadu [h]"),
         d.criticalDuration ? QStringLiteral("każdy czas trwania tabeli (czas krytyczny)") : QString::number(d.duration)}};
    if (!d.curve.empty()) {
        QStringList points;
        for (const model::CumulativePoint& p : d.curve)
            points << text::FormatShortestDouble(p.time, decimalSeparator) + QStringLiteral(" | ") +
                          text::FormatShortestDouble(p.depth, decimalSeparator);
        pairs.push_back({QStringLiteral("Krzywa sumowa (udział czasu | udział opadu)"), points.join(QStringLiteral("; "))});
    }
    return pairs;
}

QStringList DesignFloodRemarks(const model::DesignFloodResult& result, bool criticalDuration, QChar decimalSeparator)
{
    QStringList remarks;
    if (!criticalDuration)
        return remarks;
    for (int i : model::CriticalRows(result)) {
        const model::DesignFloodRow& r = result.rows[static_cast<std::size_t>(i)];
        const QString p = text::FormatUpToDecimals(r.probability, 3, decimalSeparator);
        const model::TableEdge edge = model::CriticalTableEdge(result, i);
        if (edge == model::TableEdge::Only)
            remarks << QStringLiteral("p = %1 %: tabela ma jeden czas trwania (%2 h) – maksimum Qmax może leżeć poza "
                                      "tabelą.")
                           .arg(p)
                           .arg(r.hours);
        else if (edge != model::TableEdge::Inside)
            remarks << QStringLiteral("p = %1 %: czas krytyczny %2 h to %3 czas trwania w tabeli – maksimum Qmax "
                                      "może leżeć poza tabelą, przy %4 opadzie.")
                           .arg(p)
                           .arg(r.hours)
                           .arg(edge == model::TableEdge::Shortest ? QStringLiteral("najkrótszy")
                                                                   : QStringLiteral("najdłuższy"))
                           .arg(edge == model::TableEdge::Shortest ? QStringLiteral("krótszym")
                                                                   : QStringLiteral("dłuższym"));
        QStringList close;
        for (int j : model::RowsNotDistinctFrom(result, i))
            close << QStringLiteral("%1 h").arg(result.rows[static_cast<std::size_t>(j)].hours);
        if (!close.isEmpty())
            remarks << QStringLiteral("p = %1 %: mediana Qmax dla czasu krytycznego %2 h nie różni się ponad szum "
                                      "losowania od mediany dla %3 (przedziały ufności 95 % zachodzą na siebie).")
                           .arg(p)
                           .arg(r.hours)
                           .arg(close.join(QStringLiteral(", ")));
    }
    return remarks;
}

QStringList DesignFloodColumnNotes()
{
    return {QStringLiteral("Przedział ufności 95 % mediany Qmax – między statystykami pozycyjnymi szczytów "
                           "realizacji, bez założeń o rozkładzie (rozkład dwumianowy B(n, 1/2)). Przy mniej niż "
                           "6 realizacjach go nie ma."),
            RunoffCoefficientNote().Plain() + QStringLiteral(" W tabeli: mediana objętości przez A · ΣP burzy."),
            OutflowVolumeNote().Plain()};
}

QString DesignFloodStormHeading(const model::DesignFloodRow& row, QChar decimalSeparator)
{
    return QStringLiteral("p = %1 %, %2 h").arg(text::FormatUpToDecimals(row.probability, 3, decimalSeparator)).arg(row.hours);
}

QStringList DesignDepthTableHeaders(const std::vector<double>& tableHours, QChar decimalSeparator)
{
    QStringList headings{QStringLiteral("p [%]")};
    for (double h : tableHours)
        headings << QStringLiteral("%1 h").arg(text::FormatUpToDecimals(h, 3, decimalSeparator));
    return headings;
}

int LongestDesignStorm(const model::DesignFloodResult& result)
{
    std::size_t hours = 0;
    for (const model::DesignFloodRow& r : result.rows)
        hours = std::max(hours, r.rainfall.size());
    return static_cast<int>(hours);
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

    table.AddRow({});
    table.AddRow({QStringLiteral("Uwagi")});
    for (const QString& remark : DesignFloodRemarks(result, description.criticalDuration, decimalSeparator))
        table.AddRow({remark});
    for (const QString& note : DesignFloodColumnNotes())
        table.AddRow({note});

    table.AddRow({});
    for (const QStringList& pair : DesignFloodStormPairs(description, decimalSeparator))
        table.AddRow(pair);

    table.AddRow({});
    table.AddRow({QStringLiteral("Tabela wysokości opadu [mm]")});
    table.AddRow(DesignDepthTableHeaders(description.tableHours, decimalSeparator));
    for (const model::DesignDepths& row : description.depths) {
        QStringList cells{text::FormatShortestDouble(row.probability, decimalSeparator)};
        for (double depth : row.depths)
            cells << text::FormatShortestDouble(depth, decimalSeparator);
        table.AddRow(cells);
    }

    table.AddRow({});
    table.AddRow({QStringLiteral("Hietogramy [mm]")});
    QStringList headings{QStringLiteral("Godzina")};
    for (const model::DesignFloodRow& r : result.rows)
        headings << DesignFloodStormHeading(r, decimalSeparator);
    table.AddRow(headings);
    const int hours = LongestDesignStorm(result);
    for (int h = 0; h < hours; ++h) {
        QStringList cells{QString::number(h + 1)};
        for (const model::DesignFloodRow& r : result.rows)
            cells << (std::size_t(h) < r.rainfall.size()
                          ? text::FormatShortestFloat(r.rainfall[std::size_t(h)], decimalSeparator)
                          : QString());
        table.AddRow(cells);
    }
    return table;
}

}  // namespace moravel::report
