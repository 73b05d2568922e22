// "Seria realizacji...": the window of a series of realisations, and the main window's side
// of it (the menu item, the inputs read and checked once from the controls).
#include "window/SeriaOkno.h"

#include <QAction>
#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <vector>

#include "report/SeriesExport.h"
#include "model/CheckedMath.h"
#include "model/LandUse.h"
#include "text/Error.h"
#include "text/NumText.h"
#include "window/FormatkaUi.h"
#include "window/Formatka.h"
#include "window/SeriesCharts.h"
#include "window/ToolWindow.h"
#include "window/PomiarOkno.h"
#include "window/StringGrid.h"

using moravel::window::StringGrid;

using namespace moravel;

// ---- The main window's side

void TFormatkaOkno::BindSeriesCommand()
{
    AppendMenuCommand(form_->MenuObliczenia, QStringLiteral("Seria realizacji..."),
                      QStringLiteral("MenuObliczeniaSeria"), &TFormatkaOkno::MenuObliczeniaSeriaClick);
}

window::SeriesWindow* TFormatkaOkno::seriesWindow() const
{
    return seriesWindow_;
}

void TFormatkaOkno::MenuObliczeniaSeriaClick()
{
    ShowOwnWindow(seriesWindow_);
}

model::ComputationInputs TFormatkaOkno::ComputationInputsFromControls()
{
    // The land use is worked out on a copy: the window's own land-use state and captions stay.
    model::ComputationInputs in = model::BuildComputationInputs(
        ComputationTextsOfControls(), LandUse(), decimalSeparator_, [this] { WarnInvalidLandUseCell(); });
    model::CheckRealisationRuns(in);
    return in;
}

// ---- The series window

namespace moravel::window {

namespace {

constexpr int kPollMilliseconds = 40;
// Work done per poll when the series runs on the window's thread: the window stays
// responsive and a cancel is seen within this time.
constexpr int kStepMilliseconds = 30;
constexpr int kHistogramBins = 10;
// The window's size where the screen has room for it (on a smaller one the charts give way
// first).
constexpr QSize kPreferredSize(1100, 800);

}  // namespace

SeriesWindow::SeriesWindow(TFormatkaOkno& owner)
    : QWidget(&owner, Qt::Window), owner_(owner), count_(new QSpinBox), seed_(new QLineEdit),
      newSeed_(new QPushButton(QStringLiteral("Nowe ziarno"))), compute_(new QPushButton(QStringLiteral("Licz"))),
      cancel_(new QPushButton(QStringLiteral("Przerwij"))), progress_(new QProgressBar), status_(new QLabel),
      bandChart_(new QChartView), bandNote_(new QLabel), table_(new QTableWidget(3, 9)), peakChart_(new QChartView),
      bandCsv_(new QPushButton(QStringLiteral("Pasmo do CSV..."))),
      realisationsCsv_(new QPushButton(QStringLiteral("Realizacje do CSV..."))),
      workbook_(new QPushButton(QStringLiteral("Zapisz do Excela..."))),
      measured_(new QPushButton(QStringLiteral("Porównaj z pomiarem..."))), poll_(new QTimer(this))
{
    setObjectName(QStringLiteral("SeriaRealizacji"));
    setWindowTitle(QStringLiteral("Seria realizacji"));
    SetUpFields();
    SetUpCharts();
    SetUpSpreadTable();
    LayOut();
    BindHandlers();
    SetRunning(false);
    CloseOnEscape(*this);
    FitToolWindow(*this, kPreferredSize, owner_.ScreenSize());
}

// The count, the seed, the progress bar and the status line.
void SeriesWindow::SetUpFields()
{
    count_->setObjectName(QStringLiteral("SeriaLiczba"));
    seed_->setObjectName(QStringLiteral("SeriaZiarno"));
    SetUpCountAndSeed(count_, seed_);
    seed_->setToolTip(QStringLiteral("To samo ziarno i te same dane dają tę samą serię"));
    compute_->setObjectName(QStringLiteral("SeriaLicz"));
    cancel_->setObjectName(QStringLiteral("SeriaPrzerwij"));
    progress_->setObjectName(QStringLiteral("SeriaPostep"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    status_->setObjectName(QStringLiteral("SeriaStan"));
    status_->setWordWrap(true);
    status_->setText(
        QStringLiteral("Każda realizacja to pełny ciąg obliczeń na bieżących danych: opad efektywny "
                       "i hydrogram z nowymi losowaniami."));
}

// The band (the 5-95 % band, the 25-75 % band and the median line) and the peak's histogram.
void SeriesWindow::SetUpCharts()
{
    QChart* band = bandChart_->chart();
    band->setTitle(QStringLiteral("Hydrogram - rozrzut realizacji"));
    band->setLocalizeNumbers(true);
    band->setMargins(QMargins(4, 4, 4, 4));
    band->legend()->setAlignment(Qt::AlignBottom);
    bandChart_->setRenderHint(QPainter::Antialiasing);
    bandChart_->setMinimumHeight(240);
    bandNote_->setObjectName(QStringLiteral("SeriaUwagaMediana"));
    bandNote_->setWordWrap(true);
    bandNote_->setText(
        QStringLiteral("Krzywa mediany nie jest hydrogramem; realizacja reprezentatywna ma szczyt najbliższy "
                       "medianie szczytów."));
    bandNote_->setToolTip(
        QStringLiteral("Mediana i percentyle pasma są liczone osobno w każdej godzinie, więc szczyt krzywej "
                       "mediany jest niższy niż mediana szczytów realizacji. Realizacja reprezentatywna to ta "
                       "z policzonych, której przepływ maksymalny jest najbliższy medianie (przy równych: "
                       "o najniższym numerze)."));

    QChart* peak = peakChart_->chart();
    peak->setTitle(QStringLiteral("Przepływ maksymalny - rozrzut realizacji"));
    peak->setLocalizeNumbers(true);
    peak->setMargins(QMargins(4, 4, 4, 4));
    peak->legend()->hide();
    peakChart_->setMinimumWidth(320);
}

// Peak, hour of the peak and volume by percentile.
void SeriesWindow::SetUpSpreadTable()
{
    table_->setObjectName(QStringLiteral("SeriaTabela"));
    table_->setHorizontalHeaderLabels({QStringLiteral("min"), QStringLiteral("5 %"), QStringLiteral("25 %"),
                                       QStringLiteral("mediana"), QStringLiteral("75 %"), QStringLiteral("95 %"),
                                       QStringLiteral("max"), QStringLiteral("średnia"),
                                       QStringLiteral("liczba realizacji")});
    table_->setVerticalHeaderLabels({QStringLiteral("Przepływ maksymalny [m³/s]"),
                                     QStringLiteral("Godzina szczytu [h]"),
                                     QStringLiteral("Objętość odpływu [tys. m³]")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // The count's heading is the longest: it keeps its width on a narrow screen.
    table_->horizontalHeader()->setSectionResizeMode(8, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setMinimumSectionSize(80);
    table_->setFixedHeight(table_->horizontalHeader()->sizeHint().height() + 3 * 30 + 4);
    table_->verticalHeader()->setDefaultSectionSize(30);
}

// From the top: the fields, the progress bar, the charts, the table, the status and the
// export buttons.
void SeriesWindow::LayOut()
{
    auto* form = new QHBoxLayout;
    form->addWidget(new QLabel(QStringLiteral("Liczba realizacji:")));
    form->addWidget(count_);
    form->addSpacing(12);
    form->addWidget(new QLabel(QStringLiteral("Ziarno:")));
    form->addWidget(seed_, 1);
    form->addWidget(newSeed_);
    form->addSpacing(12);
    form->addWidget(compute_);
    form->addWidget(cancel_);

    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(progress_, 1);

    auto* band = new QVBoxLayout;
    band->addWidget(bandChart_, 1);
    band->addWidget(bandNote_);
    auto* charts = new QHBoxLayout;
    charts->addLayout(band, 3);
    charts->addWidget(peakChart_, 1);

    auto* exportRow = new QHBoxLayout;
    exportRow->addWidget(bandCsv_);
    exportRow->addWidget(realisationsCsv_);
    exportRow->addWidget(workbook_);
    exportRow->addStretch(1);
    exportRow->addWidget(measured_);
    exportRow->addWidget(NewCloseButton(*this));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(progressRow);
    layout->addLayout(charts, 1);
    layout->addWidget(new QLabel(
        QStringLiteral("Rozrzut realizacji modelu (nie prawdopodobieństwo przekroczenia): percentyle po wszystkich "
                       "policzonych realizacjach.")));
    layout->addWidget(table_);
    layout->addWidget(status_);
    layout->addLayout(exportRow);
}

// The buttons' handlers, each entering through the main window's Guarded, and the poll of a
// running series.
void SeriesWindow::BindHandlers()
{
    const auto guarded = [this](void (SeriesWindow::*handler)()) {
        return [this, handler] { owner_.Guarded([this, handler] { (this->*handler)(); }); };
    };
    connect(compute_, &QPushButton::clicked, this, guarded(&SeriesWindow::LiczClick));
    connect(cancel_, &QPushButton::clicked, this, guarded(&SeriesWindow::PrzerwijClick));
    connect(newSeed_, &QPushButton::clicked, this, guarded(&SeriesWindow::NoweZiarnoClick));
    connect(bandCsv_, &QPushButton::clicked, this, guarded(&SeriesWindow::PasmoCsvClick));
    connect(realisationsCsv_, &QPushButton::clicked, this, guarded(&SeriesWindow::RealizacjeCsvClick));
    connect(workbook_, &QPushButton::clicked, this, guarded(&SeriesWindow::ExcelClick));
    measured_->setObjectName(QStringLiteral("SeriaPorownajZPomiarem"));
    connect(measured_, &QPushButton::clicked, this,
            [this] { owner_.Guarded([this] { CompareWithMeasurement(owner_); }); });
    poll_->setInterval(kPollMilliseconds);
    connect(poll_, &QTimer::timeout, this, [this] { Poll(); });
}

SeriesWindow::~SeriesWindow() = default;  // a running job is cancelled and joined

void SeriesWindow::closeEvent(QCloseEvent* event)
{
    if (job_)
        job_->Cancel();
    QWidget::closeEvent(event);
}

void SeriesWindow::SetRunning(bool running)
{
    compute_->setEnabled(!running);
    count_->setEnabled(!running);
    seed_->setEnabled(!running);
    newSeed_->setEnabled(!running);
    cancel_->setEnabled(running);
    const bool exportable = !running && result_.has_value();
    bandCsv_->setEnabled(exportable);
    realisationsCsv_->setEnabled(exportable);
    workbook_->setEnabled(exportable);
}

void SeriesWindow::LiczClick()
{
    if (job_)
        return;
    const std::uint64_t seed = SeedOf(seed_);
    const int count = count_->value();
    // Read and checked once, here on the window's thread; the workers get a copy.
    model::ComputationInputs inputs = owner_.ComputationInputsFromControls();

    cancelled_ = false;
    progress_->setRange(0, count);
    progress_->setValue(0);
    status_->setText(QStringLiteral("Liczenie %1 realizacji...").arg(count));
    job_ = std::make_unique<model::SeriesJob>(std::move(inputs), count, seed, model::SeriesWorkerCount());
    SetRunning(true);
    poll_->start();
}

void SeriesWindow::PrzerwijClick()
{
    if (!job_)
        return;
    cancelled_ = true;
    job_->Cancel();
    status_->setText(QStringLiteral("Przerywanie..."));
}

void SeriesWindow::NoweZiarnoClick()
{
    seed_->setText(QString::number(model::ClockSeed()));
}

void SeriesWindow::Poll()
{
    if (!job_)
        return;
    const bool finished = job_->Step(std::chrono::milliseconds(kStepMilliseconds));
    progress_->setValue(job_->Done());
    if (!finished)
        return;
    poll_->stop();
    std::optional<model::SeriesResult> result = job_->Take();
    job_.reset();
    if (result) {
        result_ = std::move(result);
        ShowResult();
    } else {
        status_->setText(result_ ? QStringLiteral("Seria przerwana; pokazana jest poprzednia, pełna seria.")
                                 : QStringLiteral("Seria przerwana."));
    }
    SetRunning(false);
}

void SeriesWindow::ShowResult()
{
    ShowBand();
    ShowSpreadTable();
    ShowPeakHistogram();
    ShowStatus();
    // A measured flood: its points on the new band, its fit to the new median.
    if (MeasuredFloodWindow* measured = MeasuredFloodWindow::Find(owner_))
        measured->Refresh();
}

void SeriesWindow::ShowBand()
{
    const model::SeriesResult& r = *result_;
    QChart* chart = bandChart_->chart();
    ClearChart(chart);

    const int hours = BandDrawnHours(r);
    QLineSeries* level[5];
    for (QLineSeries*& s : level)
        s = new QLineSeries;
    double high = 0;
    for (int h = 1; h <= hours; ++h) {
        const auto& v = r.band[static_cast<std::size_t>(h - 1)];
        for (int l = 0; l < 5; ++l)
            level[l]->append(h, v[static_cast<std::size_t>(l)]);
        high = std::max(high, v[model::kHighestSeriesLevel]);
    }
    auto* outer = new QAreaSeries(level[4], level[0]);
    outer->setName(QStringLiteral("5–95 %"));
    outer->setColor(QColor(189, 215, 238));
    outer->setBorderColor(QColor(157, 195, 230));
    auto* inner = new QAreaSeries(level[3], level[1]);
    inner->setName(QStringLiteral("25–75 %"));
    inner->setColor(QColor(91, 155, 213));
    inner->setBorderColor(QColor(46, 117, 182));
    // An area series does not own its boundary lines: they go with it.
    for (int l : {0, 1, 3, 4})
        level[l]->setParent(l == 0 || l == 4 ? static_cast<QObject*>(outer) : inner);
    QLineSeries* median = level[model::kMedianSeriesLevel];
    median->setName(QStringLiteral("mediana"));
    QPen pen(QColor(31, 56, 100));
    pen.setWidth(2);
    median->setPen(pen);
    std::vector<QAbstractSeries*> drawn{outer, inner, median};

    // The representative realisation, a hydrograph, in a colour apart from the band's blues;
    // after the end of its hydrograph it counts 0, as in the band.
    if (r.representative >= 0) {
        auto* representative = new QLineSeries;
        representative->setName(QStringLiteral("Realizacja reprezentatywna (nr %1)").arg(r.representative + 1));
        const std::vector<float>& q = r.representativeDischarge;
        for (int h = 1; h <= hours; ++h) {
            const double v = h <= static_cast<int>(q.size()) ? q[static_cast<std::size_t>(h - 1)] : 0.0;
            representative->append(h, v);
            high = std::max(high, v);
        }
        QPen own(QColor(197, 90, 17));
        own.setWidth(2);
        representative->setPen(own);
        drawn.push_back(representative);
    }

    ShowOnDischargeAxes(chart, drawn, hours, high);
}

void SeriesWindow::ShowSpreadTable()
{
    const model::SeriesResult& r = *result_;
    const QChar sep = owner_.DecimalSeparator();
    const struct {
        const model::Spread& spread;
        double scale;
        int decimals;
    } rows[3] = {{r.peak, 1.0, 2}, {r.peakHour, 1.0, 1}, {r.volume, 0.001, 1}};
    for (int row = 0; row < 3; ++row) {
        const model::Spread& s = rows[row].spread;
        const auto cell = [&](int col, const QString& text) {
            auto* item = new QTableWidgetItem(text);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(row, col, item);
        };
        const auto number = [&](int col, double v) {
            cell(col, text::FormatDecimals(v * rows[row].scale, rows[row].decimals, sep));
        };
        if (s.count == 0) {
            for (int c = 0; c < 8; ++c)
                cell(c, QString());
            cell(8, QStringLiteral("0"));
            continue;
        }
        number(0, s.min);
        for (int l = 0; l < 5; ++l)
            number(1 + l, s.percentiles[static_cast<std::size_t>(l)]);
        number(6, s.max);
        number(7, s.mean);
        cell(8, QString::number(s.count));
    }
}

void SeriesWindow::ShowPeakHistogram()
{
    const model::SeriesResult& r = *result_;
    QChart* chart = peakChart_->chart();
    ClearChart(chart);

    std::vector<double> peaks;
    for (const model::RealisationSummary& s : r.realisations)
        if (s.ok)
            peaks.push_back(s.peak);
    const model::Histogram histogram = model::HistogramOf(peaks, kHistogramBins);
    const QChar sep = owner_.DecimalSeparator();

    auto* set = new QBarSet(QStringLiteral("Liczba realizacji"));
    set->setColor(QColor(46, 117, 182));
    QStringList labels;
    int highest = 0;
    for (std::size_t b = 0; b < histogram.counts.size(); ++b) {
        *set << histogram.counts[b];
        highest = std::max(highest, histogram.counts[b]);
        labels << text::FormatDecimals(histogram.low + (static_cast<double>(b) + 0.5) * histogram.width, 0, sep);
    }
    auto* series = new QBarSeries;
    series->append(set);
    series->setBarWidth(0.95);
    chart->addSeries(series);
    auto* x = new QBarCategoryAxis;
    x->append(labels);
    x->setTitleText(QStringLiteral("Przepływ maksymalny [m³/s]"));
    QFont small = x->labelsFont();
    small.setPixelSize(10);
    x->setLabelsFont(small);
    QValueAxis* y = NewAxis(QStringLiteral("Liczba"));
    y->setLabelFormat(QStringLiteral("%.0f"));
    y->setRange(0, std::max(1, highest));
    y->applyNiceNumbers();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
}

void SeriesWindow::ShowStatus()
{
    const model::SeriesResult& r = *result_;
    QString text = QStringLiteral("Policzono %1 z %2 realizacji (ziarno %3).")
                       .arg(r.succeeded)
                       .arg(r.requested)
                       .arg(QString::number(r.seed));
    if (r.failed > 0)
        text += QStringLiteral(" Nieudane realizacje: %1 (pierwsza, nr %2: %3).")
                    .arg(r.failed)
                    .arg(r.firstFailureIndex + 1)
                    .arg(r.firstFailure);
    else
        text += QStringLiteral(" Nieudane realizacje: 0.");
    if (r.bandTruncated)
        text += QStringLiteral(" Pasmo obejmuje godziny 1-%1 z %2 (limit pamięci).")
                    .arg(r.bandHours)
                    .arg(r.longestHydrograph);
    status_->setText(text);
}

void SeriesWindow::Export(const FileDialogSpec& dialog,
                          const std::function<void(const model::SeriesResult&, const QString&)>& write)
{
    if (!result_)
        return;
    if (const std::optional<QString> path = owner_.AskSaveFile(dialog))
        write(*result_, *path);
}

namespace {
const QString kCsvFilter = QStringLiteral("Pliki CSV *.csv|*.csv|Wszystkie pliki *.*|*.*");
}

void SeriesWindow::PasmoCsvClick()
{
    Export(
        {QStringLiteral("SaveDialogSeriaPasmo"), QStringLiteral("Zapisanie pasma serii realizacji"), kCsvFilter, true},
        [this](const model::SeriesResult& r, const QString& path) {
            report::WriteCsvFile(path, report::SeriesBandCsv(r, owner_.DecimalSeparator()));
        });
}

void SeriesWindow::RealizacjeCsvClick()
{
    Export(
        {QStringLiteral("SaveDialogSeriaRealizacje"), QStringLiteral("Zapisanie realizacji serii"), kCsvFilter, true},
        [this](const model::SeriesResult& r, const QString& path) {
            report::WriteCsvFile(path, report::SeriesRealisationsCsv(r, owner_.DecimalSeparator()));
        });
}

void SeriesWindow::ExcelClick()
{
    Export({QStringLiteral("SaveDialogSeriaExcel"), QStringLiteral("Zapisanie serii realizacji do skoroszytu"),
            QStringLiteral("Skoroszyty Excela *.xlsx|*.xlsx|Wszystkie pliki *.*|*.*"), true},
           report::WriteSeriesWorkbook);
}

}  // namespace moravel::window
