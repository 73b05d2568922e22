#pragma once
// The window of "Przepływy projektowe...": for a list of exceedance probabilities, each with
// its design depth (or its depths for several durations), the design storm of one shape run
// as a series of realisations on the present catchment, exactly as "Seria realizacji" runs
// one; the table of design floods, their hydrographs, the peak against the probability on a
// Gumbel probability axis, and export to CSV and a workbook. It never writes the main
// window's computation state, chart or status bar.
#include <QWidget>

#include <map>
#include <memory>
#include <optional>

#include "model/DesignFlood.h"
#include "report/DesignFloodExport.h"
#include "window/Seams.h"

class QChartView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;
class TFormatkaOkno;

namespace moravel::window {

class StormShapeControls;

class DesignFloodWindow : public QWidget {
    Q_OBJECT
public:
    explicit DesignFloodWindow(TFormatkaOkno& owner);
    ~DesignFloodWindow() override;

    // Rows: probabilities; column 0 the probability [%], then one depth column per duration
    // of DurationsEdit.
    QTableWidget* DepthTable() const { return depths_; }
    QLineEdit* DurationsEdit() const { return durations_; }
    QSpinBox* DurationBox() const { return duration_; }
    QCheckBox* CriticalBox() const { return critical_; }
    StormShapeControls* Shape() const { return shape_; }
    QSpinBox* CountBox() const { return count_; }
    QLineEdit* SeedEdit() const { return seed_; }
    QPushButton* ComputeButton() const { return compute_; }
    QPushButton* CancelButton() const { return cancel_; }
    QProgressBar* Progress() const { return progress_; }
    QLabel* Status() const { return status_; }
    QLabel* Note() const { return note_; }
    // What the last table's figures say beyond themselves (a critical duration at the end of
    // the table, durations that can't be told apart); empty and hidden when nothing.
    QLabel* Remarks() const { return remarks_; }
    QTableWidget* ResultTable() const { return table_; }
    QChartView* HydrographChart() const { return hydrographChart_; }
    QChartView* ProbabilityChart() const { return probabilityChart_; }
    QPushButton* CsvButton() const { return csv_; }
    QPushButton* WorkbookButton() const { return workbook_; }
    const std::optional<model::DesignFloodResult>& Result() const { return result_; }
    bool Running() const { return job_ != nullptr; }

    // The cases of the present controls, read and checked on the window's thread; with
    // `inputs`, the depth table and the user's curve they were built from are put there.
    std::vector<model::DesignFloodCase> CasesFromControls(report::DesignFloodDescription* inputs = nullptr);

    // ---- Handlers
    void LiczClick();
    void PrzerwijClick();
    void CzasyTrwaniaChange();
    void CsvClick();
    void ExcelClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void LayOut();
    void SetRunning(bool running);
    void Poll();
    void ShowResult();
    void ShowTable();
    void ShowHydrographs();
    void ShowProbabilityPlot();
    std::vector<double> Durations() const;
    report::DesignFloodDescription Description() const;

    TFormatkaOkno& owner_;
    QTableWidget* depths_;
    QLineEdit* durations_;
    QSpinBox* duration_;
    QCheckBox* critical_;
    StormShapeControls* shape_;
    QSpinBox* count_;
    QLineEdit* seed_;
    QPushButton* compute_;
    QPushButton* cancel_;
    QProgressBar* progress_;
    QLabel* status_;
    QLabel* note_;
    QLabel* remarks_;
    QTableWidget* table_;
    QChartView* hydrographChart_;
    QChartView* probabilityChart_;
    QPushButton* csv_;
    QPushButton* workbook_;
    QTimer* poll_;
    // The durations of the depth table's columns as they stand, and the depths of durations
    // taken off the list, kept for when the duration comes back: a depth stays with its
    // duration whatever the list does.
    std::vector<double> columnHours_;
    std::map<double, std::vector<QString>> setAside_;

    std::unique_ptr<model::DesignFloodJob> job_;
    std::optional<model::DesignFloodResult> result_;
    // What the last complete table was computed from.
    report::DesignFloodDescription description_;
    report::DesignFloodDescription pending_;
};

// The probability axis: per cent exceedance at the Gumbel reduced variate.
struct ProbabilityTick {
    double percent;
    double position;
};
std::vector<ProbabilityTick> GumbelAxisTicks();

}  // namespace moravel::window
