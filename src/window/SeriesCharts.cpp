#include "window/SeriesCharts.h"

#include <QAbstractSeries>
#include <QChart>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QValueAxis>

#include <algorithm>

#include "model/HydrographFigures.h"
#include "model/Series.h"
#include "text/Error.h"

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

int BandDrawnHours(const model::SeriesResult& result)
{
    const int hours = model::DrawnHours(result.bandHours, [&result](int hour) {
        return result.band[static_cast<std::size_t>(hour - 1)][model::kHighestSeriesLevel];
    });
    return hours > 0 ? hours : result.bandHours;
}

void SetUpCountAndSeed(QSpinBox* count, QLineEdit* seed, int lowest, bool clockSeed)
{
    count->setRange(lowest, model::kMaxSeriesCount);
    count->setValue(model::kDefaultSeriesCount);
    count->setGroupSeparatorShown(false);
    seed->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,20}")), seed));
    if (clockSeed)
        seed->setText(QString::number(model::ClockSeed()));
}

std::uint64_t SeedOf(const QLineEdit* seed)
{
    bool ok = false;
    const std::uint64_t value = seed->text().toULongLong(&ok);
    if (!ok)
        throw Error(QStringLiteral("Wprowadź ziarno: liczbę całkowitą od 0 do 18446744073709551615"));
    return value;
}

}  // namespace moravel::window
