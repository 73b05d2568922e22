#pragma once
// The chart part of the report's chart sheet, as DrawingML (c:chartSpace): the hydrograph as
// a smoothed XY line on the primary axes and the rainfall as two stacked column series on
// the secondary axes, the rainfall axis raised so that its columns stand in the upper quarter.
#include <QByteArray>
#include <QString>
#include <vector>

namespace moravel::report {

// A series source: the worksheet formula it is linked to and the values it held when
// written, kept as the chart's cache for readers that don't recalculate.
struct ChartRange {
    QString formula;  // e.g. 'Raport Moravel'!$B$7:$B$30
    std::vector<double> cache;
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
