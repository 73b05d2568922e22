#pragma once
// The numbers behind the chart: a copy of the hydrograph and its storm taken when the chart
// is drawn (a later report run overwrites the computation state with a new realisation), the
// summary shown in the status bar, and the texts that copy and export them.
#include <QList>
#include <QPointF>
#include <QString>
#include <optional>
#include <vector>

#include "model/State.h"
#include "report/Csv.h"

namespace moravel::window {

struct HydrographSnapshot {
    std::vector<float> rainfall;   // hour i at [i - 1]; empty when the effective rainfall was typed
    std::vector<float> effective;  // effective rainfall of the same hours
    std::vector<float> discharge;  // hydrograph ordinates, hour t at [t - 1]
};

// The hydrograph and the first `rainHours` hours of the storm in `state`; the rainfall is left
// out when `typedEffective` (direct mode keeps no rainfall series).
HydrographSnapshot TakeSnapshot(const model::ComputationState& state, int rainHours, bool typedEffective);

struct HydrographSummary {
    double peak = 0;       // m³/s
    int peakHour = 0;      // the first hour with the peak discharge; 0 for an empty hydrograph
    double volume = 0;     // m³: hourly ordinates times 3600 s
    double effective = 0;  // effective-rainfall depth, mm
    // Effective over total rainfall; none when the rainfall is unknown (typed effective
    // rainfall) or zero.
    std::optional<double> runoffCoefficient;
};

HydrographSummary Summarize(const HydrographSnapshot& snapshot);

// A volume in m³ in a readable unit: m³, tys. m³ or mln m³.
QString FormatVolume(double cubicMetres, QChar separator);
// The status bar's line, in Polish.
QString SummaryText(const HydrographSummary& summary, QChar separator);

// Hour and discharge of the chart's points, one line each, tab-separated, ending in a newline.
QString DischargeTable(const QList<QPointF>& points, QChar separator);
// The hydrograph with its storm as a CSV table (report/Csv.h): a header row, then hour,
// rainfall, effective rainfall and discharge for every hour of the longer of storm and
// hydrograph (cells past the storm empty).
report::CsvTable HydrographCsv(const HydrographSnapshot& snapshot, QChar separator);

}  // namespace moravel::window
