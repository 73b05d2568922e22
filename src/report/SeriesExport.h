#pragma once
// Export of a series of realisations: the band table (hour and percentiles of the discharge)
// and the per-realisation summary (peak, time to peak, outflow volume) as CSV in the user's
// conventions, and both in one .xlsx workbook with a line chart of the band.
#include <QChar>
#include <QString>

#include "model/Series.h"

namespace moravel::report {

// CSV in the user's conventions: ';' between fields when the decimal separator is a comma,
// ',' otherwise; one header row; lines end in CRLF.
QString SeriesBandCsv(const model::SeriesResult& result, QChar decimalSeparator);
QString SeriesRealisationsCsv(const model::SeriesResult& result, QChar decimalSeparator);

// Writes `text` as UTF-8 to `path`, replacing the file. Throws moravel::Error naming the
// file when it can't be written.
void WriteCsvFile(const QString& path, const QString& text);

// Sheets "Pasmo" (the band table and its line chart), "Realizacje" (one row per realisation)
// and "Podsumowanie" (the spread table). Throws moravel::Error naming the file on failure.
void WriteSeriesWorkbook(const model::SeriesResult& result, const QString& path);

}  // namespace moravel::report
