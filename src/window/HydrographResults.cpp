#include "window/HydrographResults.h"

#include "model/HydrographFigures.h"
#include "report/HydrographNotes.h"
#include "text/NumText.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <iterator>

namespace moravel::window {

HydrographSnapshot TakeSnapshot(const model::ComputationState& state, int rainHours, bool typedEffective,
                                std::optional<double> area)
{
    HydrographSnapshot snapshot;
    snapshot.area = area;
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
    if (snapshot.rainfall.empty() || !(rainfall > 0))
        return summary;
    summary.effectiveRatio = summary.effective / rainfall;
    if (snapshot.area)
        summary.runoffCoefficient = model::RunoffCoefficient(summary.volume, *snapshot.area, rainfall);
    return summary;
}

QString FormatVolume(double cubicMetres, QChar separator)
{
    // Each unit with the decimals it is shown with. The unit is chosen after rounding, so
    // that a value rounding up to a thousand of its unit is shown in the next one
    // (999 960 m³ is "1,00 mln m³", not "1000,0 tys. m³").
    const struct {
        double size;  // m³ in one of the unit
        int decimals;
        const char* name;
    } units[] = {{1, 0, " m³"}, {1e3, 1, " tys. m³"}, {1e6, 2, " mln m³"}};
    const size_t last = std::size(units) - 1;
    for (size_t i = 0;; ++i) {
        // Rounded in steps of the last shown decimal, half away from zero; + 0.0 turns a
        // rounded -0 into 0.
        const double scale = std::pow(10.0, units[i].decimals);
        const double shown = std::round(cubicMetres / (units[i].size / scale)) / scale + 0.0;
        if (std::abs(shown) < 1000 || i == last)
            return text::FormatDecimals(shown, units[i].decimals, separator) + QString::fromUtf8(units[i].name);
    }
}

QString SummaryText(const HydrographSummary& summary, QChar separator)
{
    QStringList parts;
    parts << QStringLiteral("Przepływ maksymalny: %1 m³/s w godzinie %2")
                 .arg(text::FormatDecimals(summary.peak, 2, separator))
                 .arg(summary.peakHour);
    parts << QStringLiteral("Objętość odpływu: ") + FormatVolume(summary.volume, separator);
    parts << QStringLiteral("Opad efektywny: %1 mm").arg(text::FormatDecimals(summary.effective, 1, separator));
    const auto ratio = [&](const std::optional<double>& value) {
        return value ? text::FormatDecimals(*value, 2, separator) : QStringLiteral("–");
    };
    parts << QStringLiteral("Hef/P: ") + ratio(summary.effectiveRatio);
    parts << QStringLiteral("Współczynnik odpływu: ") + ratio(summary.runoffCoefficient);
    return parts.join(QStringLiteral("   |   "));
}

namespace {

// A note as a paragraph of rich text with its term in bold.
QString Paragraph(const report::TermNote& note)
{
    return QStringLiteral("<p><b>") + note.term.toHtmlEscaped() + QStringLiteral("</b>") + note.rest.toHtmlEscaped() +
           QStringLiteral("</p>");
}

}  // namespace

QString SummaryExplanation()
{
    // Rich text, so that the tooltip wraps its paragraphs instead of running off the screen;
    // the products are held together by non-breaking spaces.
    return QStringLiteral(
        "<p><b>Hef/P</b> – opad efektywny podzielony przez opad całkowity. Model powiększa każdy przyrost "
        "odpływu skumulowanego losowym czynnikiem od 1 do 2, dlatego Hef/P może przekroczyć 1 (zwłaszcza "
        "przy dużym udziale powierzchni nieprzepuszczalnych).</p>") +
           Paragraph(report::RunoffCoefficientNote()) + Paragraph(report::OutflowVolumeNote());
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
