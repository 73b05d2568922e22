#pragma once
// What the windows that run series share: clearing a chart, a value axis with the windows'
// label form, drawing hydrographs on a time and a discharge axis, and the fields of the
// realisations' count and the seed.
#include <QString>

#include <cstdint>
#include <vector>

class QAbstractSeries;
class QChart;
class QLineEdit;
class QSpinBox;

namespace moravel::model {
struct SeriesResult;
}
class QValueAxis;

namespace moravel::window {

// Removes the series (deleted by the chart) and the axes (handed back, so deleted here).
void ClearChart(QChart* chart);
// A value axis with a title and labels of up to six significant digits.
QValueAxis* NewAxis(const QString& title);
// Adds `drawn` to `chart` on the axes "Czas [h]" (0 to `hours`, at least 2) and
// "Przepływ [m³/s]" (0 to `highest`, 1 when nothing flows), both ranged to nice numbers.
void ShowOnDischargeAxes(QChart* chart, const std::vector<QAbstractSeries*>& drawn, int hours, double highest);

// The hours of a series' band worth drawing: the hydrograph's tail rule on the band's highest
// level (where even the 95th percentile is near zero nothing is left to see). A band that is
// near zero everywhere is drawn whole, as the flat line it is.
int BandDrawnHours(const model::SeriesResult& result);

// The count of realisations from `lowest` to the series' limit, 1000 to begin with; the seed a
// whole number of up to 20 digits, a new one from the clock when `clockSeed`.
void SetUpCountAndSeed(QSpinBox* count, QLineEdit* seed, int lowest = 1, bool clockSeed = true);
// The seed as typed; a field that holds none (empty, or past 2^64 - 1) throws "Wprowadź ziarno:
// liczbę całkowitą od 0 do 18446744073709551615".
std::uint64_t SeedOf(const QLineEdit* seed);

}  // namespace moravel::window
