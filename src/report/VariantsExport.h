#pragma once
// The comparison of variants as tables: per variant the spread of the peak, the hour of the
// peak and the outflow volume (median, 5 %, 95 %), and the paired differences against the
// first variant. The window shows these tables, the CSV file holds them side by side, and
// the workbook gives them a sheet each plus the bands with a line chart.
#include <QChar>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

#include "model/Series.h"
#include "model/Variants.h"
#include "report/Csv.h"

namespace moravel::report {

struct VariantsComparison {
    std::uint64_t seed = 0;
    int count = 0;
    bool rainfallDiffers = false;
    std::vector<QString> names;
    std::vector<model::SeriesResult> results;          // by variant
    std::vector<model::PairedDifference> differences;  // by variant; [0] (the reference) unused

    // The differences of every variant against the first.
    void ComputeDifferences();
};

// The columns of the two tables: the spread of each variant, and its paired differences.
QStringList VariantSpreadHeader();
QStringList VariantDifferenceHeader();
// A row's numbers (volumes in thousands of m3, shares in per cent); nothing where a figure
// does not exist (no successful realisation, no pair).
std::vector<std::optional<double>> VariantSpreadRow(const VariantsComparison& c, std::size_t variant);
std::vector<std::optional<double>> VariantDifferenceRow(const VariantsComparison& c, std::size_t variant);
// Decimals each column is shown with.
int VariantSpreadDecimals(int column);
int VariantDifferenceDecimals(int column);

// The colour of a variant (0xRRGGBB) on every chart: eight colours apart from each other.
unsigned VariantColour(std::size_t variant);

// The note every export carries: what the differences are and that the draws are shared.
QString VariantsNote(const VariantsComparison& c);

// One row per variant: its name, its spread, then its differences (empty for the first).
CsvTable VariantsCsv(const VariantsComparison& c, QChar decimalSeparator);

// Sheets "Warianty" (the spreads and the note), "Różnice" (the paired differences) and
// "Pasma" (per hour the 5 %, median and 95 % of every variant, with a line chart). Throws
// moravel::Error naming the file on failure.
void WriteVariantsWorkbook(const VariantsComparison& c, const QString& path);

}  // namespace moravel::report
