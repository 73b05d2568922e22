#include "window/HydrographResults.h"

#include "model/HydrographFigures.h"
#include "text/NumText.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace moravel::window {

HydrographSnapshot TakeSnapshot(const model::ComputationState& state, int rainHours, bool typedEffective)
{
    HydrographSnapshot snapshot;
    for (int i = 1; i <= rainHours; ++i) {
        if (!typedEffective)
            snapshot.rainfall.push_back(state.Rainfall[i]);
        snapshot.effective.push_back(state.EffectiveRain[i]);
    }
    for (int t = 1; t <= state.HydrographLength; ++t)
        snapshot.discharge.push_back(state.HydrographOrdinates[t]);
    return snapshot;
}

HydrographSummary Summarize(const HydrographSnapshot& snapshot)
{
    HydrographSummary summary;
    // The ordinates from hour 1, as the computation state holds them.
    std::vector<float> ordinates(1, 0.0f);
    ordinates.insert(ordinates.end(), snapshot.discharge.begin(), snapshot.discharge.end());
    const model::HydrographFigures figures =
        model::FiguresOf(ordinates.data(), static_cast<int>(snapshot.discharge.size()));
    summary.peak = figures.peak;
    summary.peakHour = figures.peakHour;
    summary.volume = figures.volume;
    double rainfall = 0;
    for (float p : snapshot.rainfall)
        rainfall += p;
    for (float h : snapshot.effective)
        summary.effective += h;
    if (!snapshot.rainfall.empty() && rainfall > 0)
        summary.runoffCoefficient = summary.effective / rainfall;
    return summary;
}

QString FormatVolume(double cubicMetres, QChar separator)
{
    if (std::abs(cubicMetres) >= 1e6)
        return text::FormatDecimals(cubicMetres / 1e6, 2, separator) + QStringLiteral(" mln m³");
    if (std::abs(cubicMetres) >= 1e3)
        return text::FormatDecimals(cubicMetres / 1e3, 1, separator) + QStringLiteral(" tys. m³");
    return text::FormatDecimals(cubicMetres, 0, separator) + QStringLiteral(" m³");
}

QString SummaryText(const HydrographSummary& summary, QChar separator)
{
    QStringList parts;
    parts << QStringLiteral("Przepływ maksymalny: %1 m³/s w godzinie %2")
                 .arg(text::FormatDecimals(summary.peak, 2, separator))
                 .arg(summary.peakHour);
    parts << QStringLiteral("Objętość odpływu: ") + FormatVolume(summary.volume, separator);
    parts << QStringLiteral("Opad efektywny: %1 mm").arg(text::FormatDecimals(summary.effective, 1, separator));
    parts << QStringLiteral("Współczynnik odpływu: ") +
                 (summary.runoffCoefficient ? text::FormatDecimals(*summary.runoffCoefficient, 2, separator)
                                            : QStringLiteral("–"));
    return parts.join(QStringLiteral("   |   "));
}

QString DischargeTable(const QList<QPointF>& points, QChar separator)
{
    QString text;
    for (const QPointF& p : points)
        text += text::FormatUpToDecimals(p.x(), 0, separator) + QLatin1Char('\t') +
                text::FormatUpToDecimals(p.y(), 4, separator) + QLatin1Char('\n');
    return text;
}

report::CsvTable HydrographCsv(const HydrographSnapshot& snapshot, QChar separator)
{
    const auto cell = [&](const std::vector<float>& values, size_t i) {
        return i < values.size() ? text::FormatUpToDecimals(values[i], 4, separator) : QString();
    };
    report::CsvTable table(separator);
    table.AddRow({QStringLiteral("Godzina"), QStringLiteral("Opad [mm]"), QStringLiteral("Opad efektywny [mm]"),
                  QStringLiteral("Przepływ [m³/s]")});
    const size_t rows = std::max({snapshot.rainfall.size(), snapshot.effective.size(), snapshot.discharge.size()});
    for (size_t i = 0; i < rows; ++i)
        table.AddRow({QString::number(i + 1), cell(snapshot.rainfall, i), cell(snapshot.effective, i),
                      cell(snapshot.discharge, i)});
    return table;
}

}  // namespace moravel::window
