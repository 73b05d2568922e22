#pragma once
// The window of "Seria realizacji...": many realisations of the whole chain on the present
// inputs, run on worker threads, and the spread of the results (per-hour percentile band of
// the discharge with the representative realisation, spread of the peak, hour of the peak and
// outflow volume, histogram of the peak), with export to CSV and to a workbook. It never
// writes the computation state of the main window and leaves its chart as it is. It is sized
// to fit the main window's screen from 1024 x 768 up.
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

#include "model/Series.h"
#include "window/Seams.h"

class QChartView;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;
class TFormatkaOkno;

namespace moravel::window {

class SeriesWindow : public QWidget {
    Q_OBJECT
public:
    // A window of its own, owned by the main window, whose inputs, error box and file
    // dialogs it uses.
    explicit SeriesWindow(TFormatkaOkno& owner);
    ~SeriesWindow() override;

    QSpinBox* CountBox() const { return count_; }
    QLineEdit* SeedEdit() const { return seed_; }
    QPushButton* ComputeButton() const { return compute_; }
    QPushButton* CancelButton() const { return cancel_; }
    QProgressBar* Progress() const { return progress_; }
    QLabel* Status() const { return status_; }
    QTableWidget* SpreadTable() const { return table_; }
    QChartView* BandChart() const { return bandChart_; }
    // The line under the band chart saying what the median curve is and is not.
    QLabel* BandNote() const { return bandNote_; }
    QChartView* PeakChart() const { return peakChart_; }
    QPushButton* BandCsvButton() const { return bandCsv_; }
    QPushButton* RealisationsCsvButton() const { return realisationsCsv_; }
    QPushButton* WorkbookButton() const { return workbook_; }
    // "Porównaj z pomiarem..." (window/PomiarOkno.h).
    QPushButton* MeasuredButton() const { return measured_; }
    // The last complete series, if any.
    const std::optional<model::SeriesResult>& Result() const { return result_; }
    bool Running() const { return job_ != nullptr; }

    // ---- Handlers
    void LiczClick();
    void PrzerwijClick();
    void NoweZiarnoClick();
    void PasmoCsvClick();
    void RealizacjeCsvClick();
    void ExcelClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The constructor's steps.
    void SetUpFields();
    void SetUpCharts();
    void SetUpSpreadTable();
    void LayOut();
    void BindHandlers();

    void Poll();
    void SetRunning(bool running);
    void ShowResult();
    void ShowBand();
    void ShowSpreadTable();
    void ShowPeakHistogram();
    void ShowStatus();
    // Asks for a file in the given save dialog (a name without the filter's extension gets
    // it) and writes the last series into it.
    void Export(const FileDialogSpec& dialog,
                const std::function<void(const model::SeriesResult&, const QString&)>& write);

    TFormatkaOkno& owner_;
    QSpinBox* count_;
    QLineEdit* seed_;
    QPushButton* newSeed_;
    QPushButton* compute_;
    QPushButton* cancel_;
    QProgressBar* progress_;
    QLabel* status_;
    QChartView* bandChart_;
    QLabel* bandNote_;
    QTableWidget* table_;
    QChartView* peakChart_;
    QPushButton* bandCsv_;
    QPushButton* realisationsCsv_;
    QPushButton* workbook_;
    QPushButton* measured_;
    QTimer* poll_;

    std::unique_ptr<model::SeriesJob> job_;
    std::optional<model::SeriesResult> result_;
    bool cancelled_ = false;
};

}  // namespace moravel::window
