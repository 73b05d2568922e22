// Writing the report workbook for the longest hydrograph the state holds (1000 hours).
#include "excel/Excel.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cmath>

namespace {

moravel::excel::ReportData LongReport()
{
    moravel::excel::ReportData data;
    data.HydrographLength = moravel::excel::kReportCapacity;
    for (int i = 1; i <= data.HydrographLength; ++i) {
        data.Rainfall[i] = static_cast<float>(3.7 + 2.9 * std::sin(i * 0.37));
        data.EffectiveRain[i] = data.Rainfall[i] * 0.43f;
        data.HydrographOrdinates[i] = static_cast<float>(120.0 * std::exp(-std::pow((i - 300) / 150.0, 2)));
    }
    data.PeakDischargeRounded = 120;
    data.RainfallMaxRounded = 7;
    data.RiverName = QStringLiteral("Wisła");
    data.CrossSection = QStringLiteral("Kraków");
    for (auto& row : data.LandUse)
        for (QString& cell : row)
            cell = QStringLiteral("1,25");
    data.CatchmentArea = QStringLiteral("105");
    data.RB = data.RL = data.RA = QStringLiteral("4,1");
    data.So = QStringLiteral("0,002");
    data.Lo = QStringLiteral("12");
    data.b = QStringLiteral("20");
    data.n = QStringLiteral("0,035");
    return data;
}

void BM_WriteExcelReport1000Hours(benchmark::State& state)
{
    const moravel::excel::ReportData data = LongReport();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Raport Moravel.xlsx"));
    for (auto _ : state)
        moravel::excel::WriteExcelReport(data, path);
}
BENCHMARK(BM_WriteExcelReport1000Hours)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
