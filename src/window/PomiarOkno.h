#pragma once
// "Porównaj z pomiarem...": a measured flood read from a workbook or CSV file (the rainfall
// import's reader and range picker), drawn as points on the main chart and on the series
// band, with its fit to the drawn hydrograph and to the series, and the calibration of CN, n
// and b on it ("Dopasuj"). The window never writes the main window's computation state; its
// "Zastosuj" sets n and b through their fields, as the user's own typing would.
//
// Other windows use it through two doors: AskMeasuredFlood (read a measurement, nothing
// drawn) and MeasuredFloodWindow::Of(owner) (the one window, made on first use), whose
// Offer shows a reading and whose Measured gives the accepted one.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>

#include "model/Calibration.h"
#include "model/MeasuredHydrograph.h"

class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class TFormatkaOkno;

namespace moravel::window {

// A measurement as read, with where it came from ("pomiar.csv, Arkusz1!A1:B40").
struct MeasuredFlood {
    QString source;
    model::MeasuredReading reading;
};

// Reads a measured flood: the open dialog "OpenDialogPomiar", the workbook read off the
// window's thread (the user may stop it), the window's range picker (its dialog or the test
// double the window holds) and the rows of the marked block. Nothing when the user cancels
// a step; moravel::Error for an unreadable file or a block without a measurement.
std::optional<MeasuredFlood> AskMeasuredFlood(TFormatkaOkno& owner);

// The chart series of the measured points, by object name.
inline constexpr const char* kMainChartMeasuredName = "WykresPomiar";
inline constexpr const char* kBandChartMeasuredName = "SeriaPomiar";
inline constexpr const char* kVariantsChartMeasuredName = "WariantyPomiar";

class MeasuredFloodWindow : public QWidget {
    Q_OBJECT
public:
    // The owner's one window of this kind, made (hidden) on first use.
    static MeasuredFloodWindow& Of(TFormatkaOkno& owner);
    // The owner's window of this kind if it has been made, else null.
    static MeasuredFloodWindow* Find(const TFormatkaOkno& owner);
    ~MeasuredFloodWindow() override;

    // Shows a reading. Without warnings it is taken at once; with warnings they are listed
    // and nothing else changes until "Przyjmij pomiar" (or "Odrzuć", which drops it).
    void Offer(MeasuredFlood flood);
    // The accepted measurement, if any.
    const std::optional<MeasuredFlood>& Measured() const { return measured_; }
    // Draws the accepted measurement on the main chart and on the series band and recomputes
    // the fit; run when either of them has been drawn anew.
    void Refresh();

    QLabel* Source() const { return source_; }
    QLabel* Warnings() const { return warnings_; }
    QPushButton* AcceptButton() const { return accept_; }
    QPushButton* RejectButton() const { return reject_; }
    QPushButton* ReadButton() const { return read_; }
    // Measures by row, "Hydrogram na wykresie" and "Mediana serii" by column.
    QTableWidget* FitTable() const { return fit_; }
    QLabel* Coverage() const { return coverage_; }
    QComboBox* Criterion() const { return criterion_; }
    QCheckBox* FitCurveNumber() const { return fitCn_; }
    // Unticked, b is held at the catchment's value and its range fields are off.
    QCheckBox* FitWidth() const { return fitB_; }
    // Shown while n and b would be fitted together: one flood cannot tell them apart.
    QLabel* PairWarning() const { return pairWarning_; }
    QLineEdit* NLow() const { return nLow_; }
    QLineEdit* NHigh() const { return nHigh_; }
    QLineEdit* BLow() const { return bLow_; }
    QLineEdit* BHigh() const { return bHigh_; }
    QSpinBox* CountBox() const { return count_; }
    QLineEdit* SeedEdit() const { return seed_; }
    QPushButton* CalibrateButton() const { return calibrate_; }
    // Parameters by row (CN, n, b, then the criterion, the median's figures and the CRPS),
    // "Przed" and "Po" by column.
    QTableWidget* CalibrationTable() const { return calibration_; }
    // The criterion along each fitted parameter's range, one chart a parameter (none before a
    // calibration): the line of the profile and the best point.
    QList<QChartView*> ProfileCharts() const;
    QLabel* FittedCurveNumber() const { return fittedCn_; }
    QPushButton* ApplyButton() const { return apply_; }
    const std::optional<model::CalibrationResult>& Calibration() const { return result_; }

    // ---- Handlers
    void WczytajClick();
    void PrzyjmijClick();
    void OdrzucClick();
    void DopasujClick();
    void ZastosujClick();

private:
    explicit MeasuredFloodWindow(TFormatkaOkno& owner);
    void LayOut();
    void ShowFit();
    void ShowCalibration();
    void ShowProfiles();
    void ShowPairWarning();
    // n and b both free under the controls as they stand.
    bool FitsRoughnessAndWidth() const;
    void DrawOn(QChart* chart, const char* name);
    model::CalibrationSettings SettingsOfControls(const model::ComputationInputs& inputs) const;

    TFormatkaOkno& owner_;
    QLabel* source_;
    QLabel* warnings_;
    QPushButton* read_;
    QPushButton* accept_;
    QPushButton* reject_;
    QTableWidget* fit_;
    QLabel* coverage_;
    QComboBox* criterion_;
    QCheckBox* fitCn_;
    QCheckBox* fitB_;
    QLabel* pairWarning_;
    QLineEdit *nLow_, *nHigh_, *bLow_, *bHigh_;
    QSpinBox* count_;
    QLineEdit* seed_;
    QPushButton* calibrate_;
    QTableWidget* calibration_;
    QLabel* fittedCn_;
    QPushButton* apply_;
    QWidget* profiles_;
    QLabel* profileHint_;

    std::optional<MeasuredFlood> pending_;
    std::optional<MeasuredFlood> measured_;
    std::optional<model::CalibrationResult> result_;
    double landUseCurveNumber_ = 0;
    bool pairFitted_ = false;  // the shown result fitted n and b together
    model::CalibrationCriterion resultCriterion_ = model::CalibrationCriterion::Crps;  // of the shown result
};

// The command "Porównaj z pomiarem...": reads a measurement and offers it in the window.
void CompareWithMeasurement(TFormatkaOkno& owner);

}  // namespace moravel::window
