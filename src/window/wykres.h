#pragma once
// The hydrograph chart of the window: one blue line of discharge over time.
#include <QChartView>

#include "model/State.h"

class QLineSeries;
class QValueAxis;

namespace moravel::window {

class THydrographChart : public QChartView {
    Q_OBJECT
public:
    explicit THydrographChart(QWidget* parent = nullptr);

    QLineSeries* Series1() const { return series_; }
    QValueAxis* AxisX() const { return axisX_; }
    QValueAxis* AxisY() const { return axisY_; }

    // Shows the chart and replaces its points by the hydrograph of the computation state.
    void ShowHydrographChart(const moravel::model::ComputationState& state);

private:
    QLineSeries* series_;
    QValueAxis* axisX_;
    QValueAxis* axisY_;
};

}  // namespace moravel::window
