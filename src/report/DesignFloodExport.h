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
#include "model/DesignFloodCases.h"
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
    // The depth table as entered: its durations (h) and its rows, a probability (per cent)
    // and its depths (mm) each.
    std::vector<double> tableHours;
    std::vector<model::DesignDepths> depths;
    int duration = 0;                           // the storm's duration (h) without the critical duration
    std::vector<model::CumulativePoint> curve;  // the user's curve, normalised; empty for other shapes
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
// The storm's inputs that follow them: its duration and the user's curve.
std::vector<QStringList> DesignFloodStormPairs(const DesignFloodDescription& description, QChar decimalSeparator);

// What the table's figures say beyond themselves, one sentence each: with the critical
// duration, a critical duration at the end of the table (the peak may lie beyond it) and
// durations whose median peaks can't be told apart; then what the confidence interval and the
// runoff coefficient are and how the volume stands to A * sum of Hef.
QStringList DesignFloodRemarks(const model::DesignFloodResult& result, bool criticalDuration,
                               QChar decimalSeparator);
QStringList DesignFloodColumnNotes();

// The heading of a storm's column (its probability and duration), as the hyetographs and the
// hydrographs name it.
QString DesignFloodStormHeading(const model::DesignFloodRow& row, QChar decimalSeparator);
// The depth table's heading row: "p [%]", then "<duration> h" for each duration.
QStringList DesignDepthTableHeaders(const std::vector<double>& tableHours, QChar decimalSeparator);
// The longest storm of the table, h.
int LongestDesignStorm(const model::DesignFloodResult& result);

// The table's header and one row per case; the critical rows marked when the table searched
// the critical duration. The description and the note above it; below it the remarks, the
// storm's inputs, the depth table as entered and each storm's hyetograph hour by hour.
CsvTable DesignFloodCsv(const model::DesignFloodResult& result, const DesignFloodDescription& description,
                        QChar decimalSeparator);

// Sheets "Tabela" (with the remarks below), "Hydrogramy" (hour, then each probability's
// representative realisation, with a line chart), "Dane" (the inputs, the depth table as
// entered) and "Hietogramy" (hour, then each storm's rainfall). Throws moravel::Error naming the file.
// (DesignFloodWorkbook.cpp: apart from the table, so that a program writing the table alone
// does not load the workbook library.)
void WriteDesignFloodWorkbook(const model::DesignFloodResult& result, const DesignFloodDescription& description,
                              const QString& path);

// The rows whose hydrographs are drawn and written: with the critical duration, each
// probability's critical row; otherwise every row.
std::vector<int> DrawnDesignFloodRows(const model::DesignFloodResult& result, bool criticalDuration);

}  // namespace moravel::report
