#pragma once
// The report workbook: the hour-by-hour table, the catchment description and the hydrograph
// chart, written as a new .xlsx file from plain values. The window fills a ReportData from
// the computation state and its controls, asks NewReportFilePath() for a fresh file and
// hands the written file to the desktop's spreadsheet program.
#include <QString>
#include <array>
#include <vector>

#include "model/LandUse.h"
#include "model/State.h"

namespace moravel::report {

// Capacity of the hourly rainfall arrays: the computation state's, indexed from 1 like it.
constexpr int kReportCapacity = model::kStateCapacity;
// The chart keeps the values of series up to this many hours as its cache; longer series are
// linked to their rows only (four cached series of a million hours would take 260 MB).
constexpr int kLongestCachedChartSeries = 5000;

struct ReportData {
    // Number of hours of the hydrograph (0..kMaxHydrographLength, and no more than the
    // ordinates hold): rows of the table.
    int HydrographLength = 0;
    // Indexed from 1; index 0 unused. Hours past the rainfall arrays' capacity had no rain:
    // their rows show 0.
    std::array<float, kReportCapacity + 1> Rainfall{};
    std::array<float, kReportCapacity + 1> EffectiveRain{};
    // Indexed 1..HydrographLength at least; index 0 unused.
    std::vector<float> HydrographOrdinates = std::vector<float>(kReportCapacity + 1, 0.0f);
    int PeakDischargeRounded = 0;
    int RainfallMaxRounded = 0;

    // Texts exactly as the window shows them.
    QString RiverName;     // "Rzeka:"
    QString CrossSection;  // "Przekrój:"
    // Land-use areas by class (row 0..20) and soil group A..D (column 0..3).
    model::LandUseTexts LandUse;
    QString CatchmentArea;  // the area caption of the land-use panel
    QString RB, RL, RA, So, Lo, b, n;
};

// Copies the length, the three hourly series and the two rounded maxima out of the
// computation state; the texts stay empty.
ReportData ReportDataFromState(const model::ComputationState& state);

// "Hydrogram odplywu ze zlewni rzeki " + river + " w przekroju " + section.
QString ReportTitle(const QString& riverName, const QString& crossSection);

// Writes the report workbook to `path`, replacing a file of that name. Sheets, in order:
// the chart sheet "Wykres Moravel" (on show), "Raport Moravel" and "Parametry zlewni".
// Throws moravel::Error naming the file when it can't be written.
void WriteExcelReport(const ReportData& data, const QString& path);

// A new folder "moravel-raport-XXXXXX" in the user's temporary folder, kept after the run,
// and in it the path of "Raport Moravel.xlsx" (not yet created), so that reports never
// overwrite one another. Throws moravel::Error when the folder can't be made.
QString NewReportFilePath();

// Axis limits of the chart: discharge maximum PeakDischargeRounded x 4/3 + 1 (extended
// precision, then double); rainfall from -3 x RainfallMaxRounded to RainfallMaxRounded + 1.
double DischargeAxisMaximum(int peakDischargeRounded);
double RainfallAxisMinimum(int rainfallMaxRounded);
double RainfallAxisMaximum(int rainfallMaxRounded);

}  // namespace moravel::report
