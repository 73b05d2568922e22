#pragma once
// The window of "Porównanie wariantów...": two to eight variants of a catchment (the main
// window's present data and projects read from .kpr files) run as series with one count and
// one seed, realisation i of every variant on the same draws, and compared: their bands and
// medians on one chart, the spread of each, and the paired differences against the first.
// Reading a project here never changes the main window.
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

#include "model/ComputationInputs.h"
#include "model/MeasuredHydrograph.h"
#include "model/Series.h"
#include "report/VariantsExport.h"

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

class VariantsWindow : public QWidget {
    Q_OBJECT
public:
    explicit VariantsWindow(TFormatkaOkno& owner);
    ~VariantsWindow() override;

    QTableWidget* VariantList() const { return list_; }
    QSpinBox* CountBox() const { return count_; }
    QLineEdit* SeedEdit() const { return seed_; }
    QPushButton* AddButton() const { return add_; }
    QPushButton* RemoveButton() const { return remove_; }
    QPushButton* ComputeButton() const { return compute_; }
    QPushButton* CancelButton() const { return cancel_; }
    QProgressBar* Progress() const { return progress_; }
    QLabel* Status() const { return status_; }
    QLabel* RainfallNote() const { return rainfallNote_; }
    QChartView* BandChart() const { return chart_; }
    QTableWidget* SpreadTable() const { return spreads_; }
    QTableWidget* DifferenceTable() const { return differences_; }
    QPushButton* CsvButton() const { return csv_; }
    QPushButton* WorkbookButton() const { return workbook_; }
    const std::optional<report::VariantsComparison>& Result() const { return result_; }
    bool Running() const { return job_ != nullptr; }

    // Adds the project as a variant named after its file; a project that can't be read gives
    // the message "Plik → Otwórz Projekt" gives and leaves the list as it was.
    void AddProject(const QString& path);

    QLabel* MeasuredFitNote() const { return measuredFit_; }
    QPushButton* MeasuredButton() const { return measured_; }
    // The fit of every variant's median and band to a measured flood (none: the line is
    // hidden). The measured flood's window calls it whenever its measurement or the
    // comparison changes.
    void ShowMeasuredFit(const model::MeasuredReading* measured);

    // ---- Handlers
    void DodajClick();
    void UsunClick();
    void LiczClick();
    void PrzerwijClick();
    void CsvClick();
    void ExcelClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Variant {
        QString source;                                  // the project's path; empty: the main window's present data
        std::optional<model::ComputationInputs> inputs;  // a project's, read when added
    };
    void AddRow(const QString& name, const QString& source);
    void LayOut();
    void SetRunning(bool running);
    void Poll();
    void StartNext();
    void ShowResult();
    void ShowChart();
    void ShowTables();
    std::vector<QString> Names() const;

    TFormatkaOkno& owner_;
    QTableWidget* list_;
    QPushButton* add_;
    QPushButton* remove_;
    QSpinBox* count_;
    QLineEdit* seed_;
    QPushButton* compute_;
    QPushButton* cancel_;
    QProgressBar* progress_;
    QLabel* status_;
    QLabel* rainfallNote_;
    QChartView* chart_;
    QTableWidget* spreads_;
    QTableWidget* differences_;
    QLabel* gainNote_;
    QLabel* measuredFit_;
    QPushButton* measured_;
    QPushButton* csv_;
    QPushButton* workbook_;
    QTimer* poll_;

    std::vector<Variant> variants_;
    // The run in progress: the inputs of every variant, the results so far, the job of the
    // variant now running.
    std::vector<model::ComputationInputs> runInputs_;
    std::optional<report::VariantsComparison> running_;
    std::unique_ptr<model::SeriesJob> job_;
    std::optional<report::VariantsComparison> result_;
};

}  // namespace moravel::window
