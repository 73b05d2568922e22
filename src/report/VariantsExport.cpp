#include "report/VariantsExport.h"

#include "text/NumText.h"

#include <algorithm>
#include <array>

namespace moravel::report {
namespace {

constexpr std::size_t kLow = 0;
constexpr std::size_t kMedian = model::kMedianSeriesLevel;
constexpr std::size_t kHigh = model::kHighestSeriesLevel;

// Median, 5 % and 95 % of a spread, scaled; nothing for a spread of no values.
void AddLevels(std::vector<std::optional<double>>& row, const model::Spread& s, double scale = 1.0)
{
    for (const std::size_t level : {kMedian, kLow, kHigh})
        row.push_back(s.count > 0 ? std::optional<double>(s.percentiles[level] * scale) : std::nullopt);
}

QString FormatCell(const std::optional<double>& value, int decimals, QChar separator)
{
    return value ? text::FormatDecimals(*value, decimals, separator) : QString();
}

// The colours of the variants, in order, on the chart and in the workbook.
constexpr std::array<unsigned, 8> kColours = {0x1F77B4, 0xD62728, 0x2CA02C, 0xFF7F0E,
                                              0x9467BD, 0x8C564B, 0xE377C2, 0x17BECF};

}  // namespace

void VariantsComparison::ComputeDifferences()
{
    differences.assign(results.size(), model::PairedDifference{});
    for (std::size_t k = 1; k < results.size(); ++k)
        differences[k] = model::PairedDifferenceOf(results[0], results[k]);
}

QStringList VariantSpreadHeader()
{
    return {QStringLiteral("Wariant"),
            QStringLiteral("Qmax mediana [m³/s]"),
            QStringLiteral("Qmax 5 % [m³/s]"),
            QStringLiteral("Qmax 95 % [m³/s]"),
            QStringLiteral("Godzina szczytu mediana [h]"),
            QStringLiteral("Godzina szczytu 5 % [h]"),
            QStringLiteral("Godzina szczytu 95 % [h]"),
            QStringLiteral("Objętość mediana [tys. m³]"),
            QStringLiteral("Objętość 5 % [tys. m³]"),
            QStringLiteral("Objętość 95 % [tys. m³]")};
}

QStringList VariantDifferenceHeader()
{
    // The medians are medians of the pairs' differences, not differences of the variants'
    // medians: the captions say so.
    return {QStringLiteral("Wariant"),
            QStringLiteral("Mediana różnic Qmax w parach [m³/s]"),
            QStringLiteral("Zmiana Qmax 5 % [m³/s]"),
            QStringLiteral("Zmiana Qmax 95 % [m³/s]"),
            QStringLiteral("Mediana różnic Qmax w parach [%]"),
            QStringLiteral("Zmiana Qmax 5 % [%]"),
            QStringLiteral("Zmiana Qmax 95 % [%]"),
            QStringLiteral("Realizacje ze wzrostem Qmax [%]"),
            QStringLiteral("Mediana różnic objętości w parach [tys. m³]"),
            QStringLiteral("Mediana różnic objętości w parach [%]"),
            QStringLiteral("Szerokość 5–95 % zmiany Qmax w parach [m³/s]"),
            QStringLiteral("Szerokość 5–95 % przy niezależnych losowaniach [m³/s]")};
}

std::vector<std::optional<double>> VariantSpreadRow(const VariantsComparison& c, std::size_t variant)
{
    const model::SeriesResult& r = c.results[variant];
    std::vector<std::optional<double>> row;
    AddLevels(row, r.peak);
    AddLevels(row, r.peakHour);
    AddLevels(row, r.volume, 0.001);
    return row;
}

std::vector<std::optional<double>> VariantDifferenceRow(const VariantsComparison& c, std::size_t variant)
{
    std::vector<std::optional<double>> row;
    if (variant == 0 || variant >= c.differences.size() || c.differences[variant].pairs == 0) {
        row.assign(static_cast<std::size_t>(VariantDifferenceHeader().size() - 1), std::nullopt);
        return row;
    }
    const model::PairedDifference& d = c.differences[variant];
    AddLevels(row, d.peakChange);
    AddLevels(row, d.peakChangePercent);
    row.push_back(100.0 * d.shareOfRises);
    row.push_back(d.volumeChange.count > 0 ? std::optional<double>(d.volumeChange.percentiles[kMedian] * 0.001)
                                           : std::nullopt);
    row.push_back(d.volumeChangePercent.count > 0 ? std::optional<double>(d.volumeChangePercent.percentiles[kMedian])
                                                  : std::nullopt);
    row.push_back(d.pairedWidth);
    row.push_back(d.independentWidth);
    return row;
}

int VariantSpreadDecimals(int column)
{
    // Discharges to 0,01 m3/s, hours and thousands of m3 to one decimal.
    return column < 3 ? 2 : 1;
}

int VariantDifferenceDecimals(int column)
{
    return column < 3 || column >= 9 ? 2 : 1;
}

QString VariantsNote(const VariantsComparison& c)
{
    QString note = QStringLiteral(
                       "Wszystkie warianty liczone z ziarnem %1, po %2 realizacji; realizacja nr i każdego wariantu "
                       "ma te same losowania (wspólne liczby losowe), więc zmiany są liczone w parach realizacji "
                       "względem pierwszego wariantu.")
                       .arg(QString::number(c.seed))
                       .arg(c.count);
    if (c.rainfallDiffers)
        note += QStringLiteral(" Warianty różnią się opadem: zmiany obejmują także skutek innego opadu.");
    return note;
}

CsvTable VariantsCsv(const VariantsComparison& c, QChar decimalSeparator)
{
    CsvTable table(decimalSeparator);
    QStringList header = VariantSpreadHeader();
    header << VariantDifferenceHeader().mid(1);
    table.AddRow(header);
    for (std::size_t k = 0; k < c.names.size(); ++k) {
        QStringList row{c.names[k]};
        const auto spread = VariantSpreadRow(c, k);
        for (std::size_t i = 0; i < spread.size(); ++i)
            row << FormatCell(spread[i], VariantSpreadDecimals(int(i)), decimalSeparator);
        const auto diff = VariantDifferenceRow(c, k);
        for (std::size_t i = 0; i < diff.size(); ++i)
            row << FormatCell(diff[i], VariantDifferenceDecimals(int(i)), decimalSeparator);
        table.AddRow(row);
    }
    table.AddRow({});
    table.AddRow({VariantsNote(c)});
    return table;
}

unsigned VariantColour(std::size_t variant)
{
    return kColours[variant % kColours.size()];
}

}  // namespace moravel::report
