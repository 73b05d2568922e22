#pragma once
// Export of a series of realisations: the band table (hour, percentiles of the discharge and
// the representative realisation's discharge) and the per-realisation summary (peak, hour of
// the peak, outflow volume) as CSV in the user's conventions, and both in one .xlsx workbook
// with a line chart of the band and the representative realisation.
#include <QChar>
#include <QString>

#include "model/Series.h"
#include "report/Csv.h"

namespace moravel::report {

// The columns both the CSV tables and the workbook have: the heading of a percentile level of
// the band, of the representative realisation (its number, as in the window's legend) and of
// the peak's hour; the representative's discharge at an hour of the band (0 after the end of
// its hydrograph, as the band counts it).
const QString& SeriesLevelHeader(std::size_t level);
QString SeriesRepresentativeHeader(const model::SeriesResult& result);
float SeriesRepresentativeAt(const model::SeriesResult& result, int hour);
QString SeriesPeakHourHeader();

// The CSV tables (Csv.h; written with WriteCsvFile): one header row, then a row per hour of the
// band or per realisation.
// The realisations table row by row, for writers that stream it: the header, and the row of
// realisation `number` (1-based).
QStringList SeriesRealisationsHeader();
QStringList SeriesRealisationRow(int number, const model::RealisationSummary& r, QChar decimalSeparator);
// The same row as a CSV line for programs ('.' decimals, ',' between fields, CR LF) appended
// to `out` in UTF-8 without building its texts, for a table of millions of rows streamed: the
// bytes of CsvLine(SeriesRealisationRow(number, r, '.'), ',').
void AppendSeriesRealisationLine(QByteArray& out, int number, const model::RealisationSummary& r);

CsvTable SeriesBandCsv(const model::SeriesResult& result, QChar decimalSeparator);
CsvTable SeriesRealisationsCsv(const model::SeriesResult& result, QChar decimalSeparator);

// Sheets "Pasmo" (the band table and its line chart), "Realizacje" (one row per realisation)
// and "Podsumowanie" (the spread table and the representative's number). Throws
// moravel::Error naming the file on failure. (SeriesWorkbook.cpp: apart from the tables, so
// that a program writing the tables alone does not load the workbook library.)
void WriteSeriesWorkbook(const model::SeriesResult& result, const QString& path);

}  // namespace moravel::report
