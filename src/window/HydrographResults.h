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
    // The catchment area the hydrograph was computed with, km²; none when its caption is not
    // a number.
    std::optional<double> area;
};

// The hydrograph and the first `rainHours` hours of the storm in `state`, computed over
// `area` km²; the rainfall is left out when `typedEffective` (direct mode keeps no rainfall
// series).
HydrographSnapshot TakeSnapshot(const model::ComputationState& state, int rainHours, bool typedEffective,
                                std::optional<double> area);

struct HydrographSummary {
    double peak = 0;       // m³/s
    int peakHour = 0;      // the first hour with the peak discharge; 0 for an empty hydrograph
    double volume = 0;     // m³: hourly ordinates times 3600 s
    double effective = 0;  // effective-rainfall depth ΣHef, mm
    // ΣHef over the storm's total rainfall ΣP. The model enlarges every increment of the
    // cumulative runoff by a random factor in [1, 2), so this may exceed 1. None when the
    // rainfall is unknown (typed effective rainfall) or zero.
    std::optional<double> effectiveRatio;
    // The hydrograph's own runoff coefficient: its volume over the storm's water on the
    // catchment, A · ΣP (km² → m²: × 10⁶, mm → m: / 1000). None when the rainfall is unknown
    // or zero, or the area is unknown or not positive.
    std::optional<double> runoffCoefficient;
};

HydrographSummary Summarize(const HydrographSnapshot& snapshot);

// A volume in m³ in a readable unit: m³, tys. m³ or mln m³.
QString FormatVolume(double cubicMetres, QChar separator);
// The status bar's line, in Polish.
QString SummaryText(const HydrographSummary& summary, QChar separator);
// What the status bar's tooltip says about the line's numbers: why Hef/P may exceed 1, what the
// runoff coefficient is and how the volume stands to A · ΣHef.
QString SummaryExplanation();

// Hour and discharge of the chart's points, one line each, tab-separated, ending in a newline.
QString DischargeTable(const QList<QPointF>& points, QChar separator);
// The hydrograph with its storm as a CSV table (report/Csv.h): a header row, then hour,
// rainfall, effective rainfall and discharge for every hour of the longer of storm and
// hydrograph (cells past the storm empty).
report::CsvTable HydrographCsv(const HydrographSnapshot& snapshot, QChar separator);

}  // namespace moravel::window
