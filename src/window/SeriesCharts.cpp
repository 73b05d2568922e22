#include "window/SeriesCharts.h"

#include <QAbstractSeries>
#include <QChart>
#include <QValueAxis>

#include <algorithm>

namespace moravel::window {

void ClearChart(QChart* chart)
{
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

QValueAxis* NewAxis(const QString& title)
{
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setLabelFormat(QStringLiteral("%.6g"));
    return axis;
}

void ShowOnDischargeAxes(QChart* chart, const std::vector<QAbstractSeries*>& drawn, int hours, double highest)
{
    QValueAxis* x = NewAxis(QStringLiteral("Czas [h]"));
    QValueAxis* y = NewAxis(QStringLiteral("Przepływ [m³/s]"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : drawn) {
        chart->addSeries(s);
        s->attachAxis(x);
        s->attachAxis(y);
    }
    x->setRange(0, std::max(2, hours));
    x->applyNiceNumbers();
    y->setRange(0, highest > 0 ? highest : 1);
    y->applyNiceNumbers();
}

}  // namespace moravel::window
