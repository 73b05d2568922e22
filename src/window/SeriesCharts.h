#pragma once
// What the charts of the series and design-flood windows share: clearing a chart, a value axis
// with the windows' label form, and drawing hydrographs on a time and a discharge axis.
#include <QString>

#include <vector>

class QAbstractSeries;
class QChart;
class QValueAxis;

namespace moravel::window {

// Removes the series (deleted by the chart) and the axes (handed back, so deleted here).
void ClearChart(QChart* chart);
// A value axis with a title and labels of up to six significant digits.
QValueAxis* NewAxis(const QString& title);
// Adds `drawn` to `chart` on the axes "Czas [h]" (0 to `hours`, at least 2) and
// "Przepływ [m³/s]" (0 to `highest`, 1 when nothing flows), both ranged to nice numbers.
void ShowOnDischargeAxes(QChart* chart, const std::vector<QAbstractSeries*>& drawn, int hours, double highest);

}  // namespace moravel::window
