#pragma once
// What the window gives out of a drawn hydrograph: the summary line in the status bar and the
// chart's context menu (copy the picture or the data, save the picture, save the hydrograph
// as CSV, print, compare with a measured flood).
#include <QObject>
#include <QString>

#include "window/HydrographResults.h"

class QAction;
class QWidget;
class QLabel;
class QMenu;
class QPainter;
class TFormatkaOkno;

namespace moravel::window {

class Printing;
class THydrographChart;

// The picture formats of "Zapisz wykres jako...", in the order of its filter.
enum class ChartFormat { Png, Svg, Pdf };

class ChartExport : public QObject {
    Q_OBJECT
public:
    // Puts the summary label into the window's status bar and makes the chart's menu.
    ChartExport(TFormatkaOkno& window, Printing& printing);
    ~ChartExport() override;
    // Offers the menu on the chart, once the window's panels (the chart among them) exist, and
    // from then on keeps the chart above the status bar (KeepChartAboveBar).
    void BindChart();

    // The chart has just been drawn from `state`: keeps its numbers, with the catchment area
    // its caption shows (the area the hydrograph was computed with), and shows their summary.
    void ChartShown(const model::ComputationState& state, int rainHours, bool typedEffective);

    const HydrographSnapshot& Snapshot() const { return snapshot_; }
    QLabel* SummaryLabel() const { return summary_; }
    QMenu* Menu() const { return menu_; }

    // ---- The menu's commands
    void CopyChart();
    void CopyData();
    void SaveChart();
    void SaveCsv();
    void Print();
    // "Porównaj z pomiarem..." (window/PomiarOkno.h).
    void CompareWithMeasurement();

    // The chart drawn into `target` (in the painter's coordinates), scaled to fit and centred.
    void PaintChart(QPainter& painter, const QRectF& target) const;
    // The chart on a printed page: laid out anew in the page's proportions.
    void PaintPage(QPainter& painter, const QRectF& page) const;
    // Writes the chart as a picture; refuses with an error when the file can't be written.
    void WriteChart(const QString& path, ChartFormat format) const;

protected:
    // Follows the size of the window's central area and passes the menu's status tips on.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowMenu(const QPoint& position);
    // The status bar takes its height off the bottom of the window's central area, where the
    // chart stands. The chart keeps its designed height where it fits above the bar; where it
    // does not (a screen 768 pixels high), it is shortened to end at the bar, so that its time
    // axis, with its numbers and title, stays in sight. Run whenever the central area changes
    // its size.
    void KeepChartAboveBar();
    THydrographChart* Chart() const;

    TFormatkaOkno& window_;
    Printing& printing_;
    QLabel* summary_;
    QMenu* menu_;
    HydrographSnapshot snapshot_;
    int designedChartHeight_ = 0;  // the chart's height as designed, taken when it is bound
    QWidget* central_ = nullptr;   // the window's central widget, whose resizes move the chart's bottom
};

}  // namespace moravel::window
