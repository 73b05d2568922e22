#pragma once
// Export of a design-flood table: CSV in the user's conventions, and an .xlsx workbook with
// the table, the design hydrographs with a native line chart, and the inputs. Both say that
// the probability is the rainfall's and that an equal probability of the flood is an
// assumption of the method.
#include <QChar>
#include <QString>

#include <QStringList>

#include <array>
#include <vector>

#include "model/DesignFlood.h"
#include "model/DesignStorm.h"
#include "report/Csv.h"

namespace moravel::report {

// The statement every export and the window carry.
QString DesignFloodProbabilityNote();

// What the table was computed from, as texts (numbers already in the user's separator).
struct DesignFloodDescription {
    QString area;                       // km2, as the land-use caption shows it
    QString curveNumber;                // the averaged CN, as captioned
    std::array<QString, 7> parameters;  // RB, RL, RA, So, Lo, b, n as typed
    QString shape;                      // the hyetograph shape
    QString source;                     // where the depths come from
    bool criticalDuration = false;
};

// The description's shape and source as the window writes them: the shape's name (the
// alternating block's with its peak as listed, model::AlternatingPeakShareText(peakIndex)),
// and the table's durations as typed.
QString DesignFloodShapeText(model::StormShape shape, int peakIndex);
QString DesignFloodSourceText(const QString& durationsText);

// Names of the seven parameters, in the order of DesignFloodDescription::parameters.
extern const std::array<QString, 7> kDesignFloodParameterNames;

// The columns of the table and one row's texts, as the window and the CSV show them;
// `critical` marks the row of its probability's critical duration.
QStringList DesignFloodTableHeaders(bool criticalDuration);
QStringList DesignFloodTableRow(const model::DesignFloodRow& row, bool critical, bool criticalDuration,
                                QChar decimalSeparator);

// The inputs as the CSV table and the workbook list them, a name and a value each.
std::vector<QStringList> DesignFloodDescriptionPairs(const model::DesignFloodResult& result,
                                                     const DesignFloodDescription& description);

// The table's header and one row per case; the critical rows marked when the table searched
// the critical duration. The description and the note above it.
CsvTable DesignFloodCsv(const model::DesignFloodResult& result, const DesignFloodDescription& description,
                        QChar decimalSeparator);

// Sheets "Tabela", "Hydrogramy" (hour, then each probability's representative realisation,
// with a line chart) and "Dane" (the inputs). Throws moravel::Error naming the file.
// (DesignFloodWorkbook.cpp: apart from the table, so that a program writing the table alone
// does not load the workbook library.)
void WriteDesignFloodWorkbook(const model::DesignFloodResult& result, const DesignFloodDescription& description,
                              const QString& path);

// The rows whose hydrographs are drawn and written: with the critical duration, each
// probability's critical row; otherwise every row.
std::vector<int> DrawnDesignFloodRows(const model::DesignFloodResult& result, bool criticalDuration);

}  // namespace moravel::report
