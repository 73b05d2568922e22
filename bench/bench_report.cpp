// Writing the report workbook for a hydrograph of 1000 hours (the rainfall table's capacity),
// of 20 000 hours (a long tail after a barely positive effective rainfall) and of 1 000 000
// hours (the longest hydrograph there can be). peak_rss_MB is the process's peak memory so
// far: run one length per process (--benchmark_filter=.../1000000) to read it for that length.
#include "report/Excel.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>

namespace {

moravel::report::ReportData LongReport(int hours)
{
    moravel::report::ReportData data;
    data.HydrographLength = hours;
    data.HydrographOrdinates.resize(static_cast<std::size_t>(hours) + 1);
    for (int i = 1; i <= std::min(hours, moravel::report::kReportCapacity); ++i) {
        data.Rainfall[i] = static_cast<float>(3.7 + 2.9 * std::sin(i * 0.37));
        data.EffectiveRain[i] = data.Rainfall[i] * 0.43f;
    }
    for (int i = 1; i <= hours; ++i)
        data.HydrographOrdinates[i] = static_cast<float>(120.0 * std::exp(-std::pow((i - 300) / 150.0, 2)) + 1e-3);
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

void BM_WriteExcelReport(benchmark::State& state)
{
    const moravel::report::ReportData data = LongReport(static_cast<int>(state.range(0)));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Raport Moravel.xlsx"));
    for (auto _ : state)
        moravel::report::WriteExcelReport(data, path);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_WriteExcelReport)
    ->Arg(1000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_WriteExcelReport)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
