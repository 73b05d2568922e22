#pragma once
// The chart part of the report's chart sheet, as DrawingML (c:chartSpace): the hydrograph as
// a smoothed XY line on the primary axes and the rainfall as two stacked column series on
// the secondary axes, the rainfall axis raised so that its columns stand in the upper quarter.
#include <QByteArray>
#include <QString>
#include <vector>

namespace moravel::report {

// A series source: the worksheet formula it is linked to and the values it held when
// written, kept as the chart's cache for readers that don't recalculate. A range without a
// cache (a long series, whose cache would make most of the workbook) is written as the
// formula alone, and readers take the values from the cells.
struct ChartRange {
    QString formula;  // e.g. 'Raport Moravel'!$B$7:$B$30
    bool cached = true;
    std::vector<double> cache;  // the values when cached
};

struct HydrographChartSpec {
    QString title;
    ChartRange hours;           // x of every series
    ChartRange effectiveRain;   // "Opad efektywny", lower part of each column
    ChartRange rainfallExcess;  // "Opad calkowity", rainfall minus effective rainfall, on top
    ChartRange discharge;       // "Hydrogram"
    double dischargeMaximum = 1;
    double rainfallMinimum = 0;
    double rainfallMaximum = 1;
};

// The complete xl/charts/chartN.xml part, UTF-8.
QByteArray HydrographChartXml(const HydrographChartSpec& chartSpec);

}  // namespace moravel::report
