#pragma once
// The window of "Opad projektowy...": a design storm (a duration, a depth or a depth-duration
// table, a hyetograph shape) previewed as a column chart with its hourly values, then written
// into the rainfall table through the same path as a paste. It changes nothing of the main
// window before "Wstaw do tabeli opadu".
#include <QWidget>

#include <vector>

#include "model/DesignStorm.h"

class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class TFormatkaOkno;

namespace moravel::window {

// Pastes tab-separated lines of `text` into `table` from its current cell (the top left when
// none), adding rows as needed.
void PasteIntoTable(QTableWidget& table, const QString& text);
// A table whose Ctrl+V pastes the clipboard with PasteIntoTable.
QTableWidget* NewPasteTable(int rows, const QStringList& headings);
// The rows of a two-column table whose both cells hold text, as strict numbers; a row with
// one empty cell is refused. Empty rows are skipped.
std::vector<std::pair<double, double>> NumberPairs(const QTableWidget& table, QChar decimalSeparator);

// The shape of a design storm and what it needs: the shape list, the alternating block's
// peak position and the user's cumulative curve. Shared by the design-storm and design-flood
// windows.
class StormShapeControls : public QWidget {
    Q_OBJECT
public:
    StormShapeControls();
    QComboBox* ShapeBox() const { return shape_; }
    QComboBox* PeakBox() const { return peak_; }
    QTableWidget* CurveTable() const { return curve_; }
    model::StormShape Shape() const;
    // The shape, the peak share and the user's curve into `design`; a curve that is not one
    // throws moravel::Error.
    void Fill(model::DesignStormInputs& design, QChar decimalSeparator) const;

private:
    void ShowWhatTheShapeNeeds();
    QComboBox* shape_;
    QComboBox* peak_;
    QLabel* peakLabel_;
    QTableWidget* curve_;
};

class DesignStormWindow : public QWidget {
    Q_OBJECT
public:
    // A window of its own, owned by the main window, whose error box and typed doors it uses.
    explicit DesignStormWindow(TFormatkaOkno& owner);
    ~DesignStormWindow() override;

    QSpinBox* DurationBox() const { return duration_; }
    QComboBox* SourceBox() const { return source_; }
    QLineEdit* DepthEdit() const { return depth_; }
    QTableWidget* DepthDurationTable() const { return depthTable_; }
    StormShapeControls* Shape() const { return shape_; }
    QSpinBox* DecimalsBox() const { return decimals_; }
    QSpinBox* StartBox() const { return start_; }
    QPushButton* PreviewButton() const { return preview_; }
    QPushButton* InsertButton() const { return insert_; }
    QChartView* Chart() const { return chart_; }
    QTableWidget* ValuesTable() const { return values_; }
    QLabel* SumLabel() const { return sum_; }
    // The texts of the last preview, hours 1..N.
    const std::vector<QString>& Texts() const { return texts_; }

    // The storm of the present controls (strict numbers; a storm that is none throws).
    model::DesignStormInputs DesignFromControls() const;

    // ---- Handlers
    void PodgladClick();
    void WstawClick();

private:
    void LayOut();
    void ShowPreview(const std::vector<double>& depths);

    TFormatkaOkno& owner_;
    QSpinBox* duration_;
    QComboBox* source_;
    QLineEdit* depth_;
    QTableWidget* depthTable_;
    StormShapeControls* shape_;
    QSpinBox* decimals_;
    QSpinBox* start_;
    QPushButton* preview_;
    QPushButton* insert_;
    QChartView* chart_;
    QTableWidget* values_;
    QLabel* sum_;
    std::vector<QString> texts_;
};

// The refusals of "Wstaw do tabeli opadu".
QString DesignStormTypedModeRefusal();
QString DesignStormTooLongRefusal(int lastHour);

}  // namespace moravel::window
