#include "window/wykres.h"

#include "model/HydrographFigures.h"

#include <QFontInfo>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

namespace moravel::window {

namespace {
// Qt's own default. Rounding an axis to nice numbers rewrites its tick count, so every
// drawing starts again from this one; otherwise each run would inherit the last run's
// coarser ticks and the axes would stop following the data.
constexpr int kTickCount = 5;

// `font` as the screen draws it: the family it resolves to, its size in pixels.
QFont AsDrawn(const QFont& font)
{
    const QFontInfo drawn(font);
    QFont fixed = font;
    fixed.setFamily(drawn.family());
    fixed.setPixelSize(drawn.pixelSize());
    return fixed;
}
}  // namespace

THydrographChart::THydrographChart(QWidget* parent)
    : QChartView(parent), series_(new QLineSeries), axisX_(new QValueAxis), axisY_(new QValueAxis)
{
    // The view's own chart: replacing it with setChart would orphan the one it made.
    QChart* chart = this->chart();
    chart->setTitle(QStringLiteral("Hydrogram"));
    chart->legend()->hide();
    chart->setBackgroundBrush(Qt::white);
    chart->setMargins(QMargins(4, 4, 4, 4));
    // Axis numbers in the user's own form (a decimal comma on a Polish system).
    chart->setLocalizeNumbers(true);

    QPen pen(QColor(0, 0, 255));
    pen.setWidth(2);
    series_->setPen(pen);
    series_->setPointsVisible(false);
    series_->setPointLabelsVisible(false);
    chart->addSeries(series_);

    // Only the bottom and left axes exist: no right or top axis is ever drawn.
    axisX_->setTitleText(QStringLiteral("czas t [h]"));
    axisX_->setLabelFormat(QStringLiteral("%.6g"));
    axisY_->setTitleText(QStringLiteral("przepływ Q [m3/s]"));
    axisY_->setLabelFormat(QStringLiteral("%.6g"));
    chart->addAxis(axisX_, Qt::AlignBottom);
    chart->addAxis(axisY_, Qt::AlignLeft);
    series_->attachAxis(axisX_);
    series_->attachAxis(axisY_);

    // Every text in the family and pixel size it is drawn in on this screen: a picture or page
    // drawn at another resolution (a saved SVG or PDF, a print) then gets the screen's texts,
    // in proportion to the drawing, and names a face a viewer can find, not a generic alias.
    chart->setTitleFont(AsDrawn(chart->titleFont()));
    for (QValueAxis* axis : {axisX_, axisY_}) {
        axis->setTitleFont(AsDrawn(axis->titleFont()));
        axis->setLabelsFont(AsDrawn(axis->labelsFont()));
    }

    setRenderHint(QPainter::Antialiasing);
}

void THydrographChart::ShowHydrographChart(const moravel::model::ComputationState& state)
{
    setVisible(true);
    const int count = moravel::model::DrawnHours(state.HydrographOrdinates.data(), state.HydrographLength);

    QList<QPointF> points;
    points.reserve(count);
    for (int t = 1; t <= count; ++t)
        points.append(QPointF(t, state.HydrographOrdinates[t]));
    // One replace redraws once instead of once per point.
    series_->replace(points);

    // The axes follow the data; an empty chart keeps a small default frame.
    axisX_->setTickCount(kTickCount);
    axisY_->setTickCount(kTickCount);
    if (points.isEmpty()) {
        axisX_->setRange(0, 1);
        axisY_->setRange(0, 1);
        return;
    }
    const auto [minIt, maxIt] = std::minmax_element(points.cbegin(), points.cend(),
                                                    [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    double low = std::min(0.0, minIt->y());
    double high = maxIt->y() > low ? maxIt->y() : low + 1;
    // Round tick values on both axes: whole hours along the time axis.
    axisX_->setRange(0, std::max(2, count));
    axisX_->applyNiceNumbers();
    axisY_->setRange(low, high);
    axisY_->applyNiceNumbers();
}

}  // namespace moravel::window
