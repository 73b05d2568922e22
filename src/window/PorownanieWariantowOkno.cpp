// "Porównanie wariantów...": the window comparing variants on common random numbers, and the
// main window's side of it (the menu item).
#include "window/PorownanieWariantowOkno.h"

#include <QAction>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

#include "files/ProjectInputs.h"
#include "model/FitMeasures.h"
#include "text/Error.h"
#include "text/NumText.h"
#include "window/Formatka.h"
#include "window/FormatkaUi.h"
#include "window/SeriesCharts.h"
#include "window/PomiarOkno.h"
#include "window/ToolWindow.h"

using namespace moravel;

// ---- The main window's side

void TFormatkaOkno::BindVariantsCommand()
{
    AppendMenuCommand(form_->MenuObliczenia, QStringLiteral("Porównanie wariantów..."),
                      QStringLiteral("MenuObliczeniaWarianty"), &TFormatkaOkno::MenuObliczeniaWariantyClick);
}

window::VariantsWindow* TFormatkaOkno::variantsWindow() const
{
    return variantsWindow_;
}

void TFormatkaOkno::MenuObliczeniaWariantyClick()
{
    ShowOwnWindow(variantsWindow_);
}

// ---- The variants window

namespace moravel::window {

namespace {

// Rows the project list and the tables show, on any screen from 1024 x 768 up.
constexpr int kVisibleRows = 5;

constexpr int kPollMilliseconds = 40;
constexpr int kStepMilliseconds = 30;
const QString kCurrentData = QStringLiteral("bieżące dane");
const QString kCsvFilter = QStringLiteral("Pliki CSV *.csv|*.csv|Wszystkie pliki *.*|*.*");

QColor ColourOf(std::size_t variant, int alpha = 255)
{
    QColor colour(QRgb(report::VariantColour(variant)));
    colour.setAlpha(alpha);
    return colour;
}

void FillTable(QTableWidget* table, const QStringList& header, const report::VariantsComparison& c, std::size_t first,
               std::vector<std::optional<double>> (*rowOf)(const report::VariantsComparison&, std::size_t),
               int (*decimals)(int), QChar separator)
{
    table->clear();
    table->setColumnCount(header.size() - 1);
    table->setHorizontalHeaderLabels(header.mid(1));
    table->setRowCount(static_cast<int>(c.names.size() - first));
    QStringList names;
    for (std::size_t k = first; k < c.names.size(); ++k) {
        names << c.names[k];
        const auto values = rowOf(c, k);
        for (std::size_t i = 0; i < values.size(); ++i) {
            auto* item = new QTableWidgetItem(values[i] ? text::FormatDecimals(*values[i], decimals(int(i)), separator)
                                                        : QString());
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(static_cast<int>(k - first), static_cast<int>(i), item);
        }
    }
    table->setVerticalHeaderLabels(names);
    table->resizeColumnsToContents();
    ShowRows(*table, kVisibleRows);  // under headings of their own height
}

// The status line while there is nothing to compare yet.
const QString kAddHint =
    QStringLiteral("Dodaj co najmniej jeden projekt (.kpr) – przyciskiem albo upuszczając plik na "
                   "okno. Pierwszy wariant jest odniesieniem zmian.");

}  // namespace

VariantsWindow::VariantsWindow(TFormatkaOkno& owner)
    : QWidget(&owner, Qt::Window), owner_(owner), list_(new QTableWidget(0, 2)),
      add_(new QPushButton(QStringLiteral("Dodaj projekt..."))), remove_(new QPushButton(QStringLiteral("Usuń"))),
      count_(new QSpinBox), seed_(new QLineEdit), compute_(new QPushButton(QStringLiteral("Licz"))),
      cancel_(new QPushButton(QStringLiteral("Przerwij"))), progress_(new QProgressBar), status_(new QLabel),
      rainfallNote_(new QLabel), chart_(new QChartView), spreads_(new QTableWidget), differences_(new QTableWidget),
      gainNote_(new QLabel), measuredFit_(new QLabel),
      measured_(new QPushButton(QStringLiteral("Porównaj z pomiarem..."))),
      csv_(new QPushButton(QStringLiteral("Zapisz CSV..."))),
      workbook_(new QPushButton(QStringLiteral("Zapisz do Excela..."))), poll_(new QTimer(this))
{
    setObjectName(QStringLiteral("OknoWarianty"));
    setWindowTitle(QStringLiteral("Porównanie wariantów"));
    setAcceptDrops(true);
    list_->setObjectName(QStringLiteral("WariantyLista"));
    list_->setHorizontalHeaderLabels({QStringLiteral("Nazwa"), QStringLiteral("Dane")});
    list_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
    list_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    list_->setColumnWidth(0, 220);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    ShowRows(*list_, kVisibleRows);
    count_->setObjectName(QStringLiteral("WariantyLiczba"));
    seed_->setObjectName(QStringLiteral("WariantyZiarno"));
    SetUpCountAndSeed(count_, seed_);
    status_->setObjectName(QStringLiteral("WariantyStan"));
    status_->setWordWrap(true);
    status_->setText(kAddHint);
    rainfallNote_->setObjectName(QStringLiteral("WariantyUwagaOpad"));
    rainfallNote_->setWordWrap(true);
    rainfallNote_->hide();
    gainNote_->setObjectName(QStringLiteral("WariantyZysk"));
    gainNote_->setWordWrap(true);
    measuredFit_->setObjectName(QStringLiteral("WariantyDopasowanie"));
    measuredFit_->setWordWrap(true);
    measuredFit_->hide();
    measured_->setObjectName(QStringLiteral("WariantyPorownajZPomiarem"));
    spreads_->setObjectName(QStringLiteral("WariantyTabela"));
    differences_->setObjectName(QStringLiteral("WariantyRoznice"));
    for (QTableWidget* t : {spreads_, differences_}) {
        t->setEditTriggers(QAbstractItemView::NoEditTriggers);
        ShowRows(*t, kVisibleRows);
    }
    chart_->setObjectName(QStringLiteral("WariantyWykres"));
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumHeight(300);
    chart_->chart()->setTitle(QStringLiteral("Warianty - pasma 5–95 % i mediany"));
    chart_->chart()->setLocalizeNumbers(true);
    chart_->chart()->legend()->setAlignment(Qt::AlignBottom);
    progress_->setRange(0, 1);
    progress_->setValue(0);

    variants_.push_back({});
    AddRow(kCurrentData, kCurrentData);
    LayOut();

    const auto guarded = [this](void (VariantsWindow::*handler)()) {
        return [this, handler] { owner_.Guarded([this, handler] { (this->*handler)(); }); };
    };
    connect(add_, &QPushButton::clicked, this, guarded(&VariantsWindow::DodajClick));
    connect(remove_, &QPushButton::clicked, this, guarded(&VariantsWindow::UsunClick));
    connect(compute_, &QPushButton::clicked, this, guarded(&VariantsWindow::LiczClick));
    connect(cancel_, &QPushButton::clicked, this, guarded(&VariantsWindow::PrzerwijClick));
    connect(csv_, &QPushButton::clicked, this, guarded(&VariantsWindow::CsvClick));
    connect(workbook_, &QPushButton::clicked, this, guarded(&VariantsWindow::ExcelClick));
    connect(measured_, &QPushButton::clicked, this,
            [this] { owner_.Guarded([this] { CompareWithMeasurement(owner_); }); });
    poll_->setInterval(kPollMilliseconds);
    connect(poll_, &QTimer::timeout, this, [this] { owner_.Guarded([this] { Poll(); }); });
    SetRunning(false);
    CloseOnEscape(*this);
    FitToolWindow(*this, QSize(1100, 860), owner_.ScreenSize());
}

VariantsWindow::~VariantsWindow() = default;  // a running job is cancelled and joined

void VariantsWindow::LayOut()
{
    auto* listButtons = new QVBoxLayout;
    listButtons->addWidget(add_);
    listButtons->addWidget(remove_);
    listButtons->addStretch(1);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(list_, 1);
    listRow->addLayout(listButtons);

    auto* form = new QHBoxLayout;
    form->addWidget(new QLabel(QStringLiteral("Liczba realizacji:")));
    form->addWidget(count_);
    form->addSpacing(12);
    form->addWidget(new QLabel(QStringLiteral("Ziarno:")));
    form->addWidget(seed_, 1);
    form->addSpacing(12);
    form->addWidget(compute_);
    form->addWidget(cancel_);

    auto* exportRow = new QHBoxLayout;
    exportRow->addWidget(csv_);
    exportRow->addWidget(workbook_);
    exportRow->addWidget(measured_);
    exportRow->addStretch(1);
    exportRow->addWidget(NewCloseButton(*this));

    // Everything above the export buttons scrolls on a screen too low for it; the export
    // buttons and "Zamknij" stay at the window's foot.
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(listRow);
    layout->addLayout(form);
    layout->addWidget(progress_);
    layout->addWidget(rainfallNote_);
    layout->addWidget(chart_, 1);
    layout->addWidget(new QLabel(QStringLiteral("Rozrzut realizacji każdego wariantu:")));
    layout->addWidget(spreads_);
    layout->addWidget(
        new QLabel(QStringLiteral("Zmiany względem pierwszego wariantu, w parach realizacji o tych "
                                  "samych losowaniach:")));
    layout->addWidget(differences_);
    layout->addWidget(gainNote_);
    layout->addWidget(measuredFit_);
    layout->addWidget(status_);
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("WariantyPrzewijanie"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(scroll, 1);
    outer->addLayout(exportRow);
}

void VariantsWindow::AddRow(const QString& name, const QString& source)
{
    const int row = list_->rowCount();
    list_->insertRow(row);
    list_->setItem(row, 0, new QTableWidgetItem(name));
    auto* data = new QTableWidgetItem(source);
    data->setFlags(data->flags() & ~Qt::ItemIsEditable);
    list_->setItem(row, 1, data);
}

std::vector<QString> VariantsWindow::Names() const
{
    std::vector<QString> names;
    for (int row = 0; row < list_->rowCount(); ++row) {
        const QString name = list_->item(row, 0) ? list_->item(row, 0)->text().trimmed() : QString();
        names.push_back(name.isEmpty() ? QStringLiteral("Wariant %1").arg(row + 1) : name);
    }
    return names;
}

void VariantsWindow::AddProject(const QString& path)
{
    if (static_cast<int>(variants_.size()) >= model::kMaxVariants)
        throw Error(QStringLiteral("Można porównać najwyżej %1 wariantów").arg(model::kMaxVariants));
    // The project's files as the main window's opening reads them, with its messages; the
    // main window's own data stay as they are.
    model::ComputationInputs inputs =
        files::ProjectComputationInputs(path, owner_.DecimalSeparator(), [this] { owner_.WarnInvalidLandUseCell(); });
    model::CheckRealisationRuns(inputs);
    variants_.push_back({path, std::move(inputs)});
    AddRow(QFileInfo(path).completeBaseName(), path);
    if (status_->text() == kAddHint)
        status_->clear();
}

void VariantsWindow::DodajClick()
{
    static const FileDialogSpec kDialog{
        QStringLiteral("OpenDialogWariant"), QStringLiteral("Dodanie projektu jako wariantu"),
        QStringLiteral("Pliki projektu Moravel *.kpr|*.kpr|Wszystkie pliki *.*|*.*"), false};
    if (const std::optional<QString> path = owner_.AskFile(kDialog))
        AddProject(*path);
}

void VariantsWindow::UsunClick()
{
    const int row = list_->currentRow();
    // The present data stay the first variant.
    if (row <= 0 || row >= static_cast<int>(variants_.size()))
        return;
    variants_.erase(variants_.begin() + row);
    list_->removeRow(row);
    if (variants_.size() == 1 && !result_)
        status_->setText(kAddHint);
}

void VariantsWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!Running() && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void VariantsWindow::dropEvent(QDropEvent* event)
{
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile() || !url.toLocalFile().endsWith(QLatin1String(".kpr"), Qt::CaseInsensitive))
            continue;
        // Each file on its own: one that can't be read does not stop the others.
        owner_.Guarded([this, path = url.toLocalFile()] { AddProject(path); });
    }
    event->acceptProposedAction();
}

void VariantsWindow::closeEvent(QCloseEvent* event)
{
    if (job_)
        job_->Cancel();
    QWidget::closeEvent(event);
}

void VariantsWindow::SetRunning(bool running)
{
    for (QWidget* w : std::initializer_list<QWidget*>{compute_, count_, seed_, add_, remove_, list_})
        w->setEnabled(!running);
    cancel_->setEnabled(running);
    csv_->setEnabled(!running && result_.has_value());
    workbook_->setEnabled(!running && result_.has_value());
}

void VariantsWindow::LiczClick()
{
    if (job_)
        return;
    if (static_cast<int>(variants_.size()) < model::kMinVariants)
        throw Error(QStringLiteral("Dodaj co najmniej jeden projekt: porównanie wymaga od %1 do %2 wariantów")
                        .arg(model::kMinVariants)
                        .arg(model::kMaxVariants));
    const std::uint64_t seed = SeedOf(seed_);

    // Read and checked once, here; the workers get copies.
    runInputs_.clear();
    for (const Variant& v : variants_)
        runInputs_.push_back(v.inputs ? *v.inputs : owner_.ComputationInputsFromControls());
    running_.emplace();
    running_->seed = seed;
    running_->count = count_->value();
    running_->names = Names();
    running_->rainfallDiffers = model::RainfallDiffers(runInputs_);
    progress_->setRange(0, running_->count * static_cast<int>(runInputs_.size()));
    progress_->setValue(0);
    status_->setText(
        QStringLiteral("Liczenie %1 wariantów po %2 realizacji...").arg(runInputs_.size()).arg(running_->count));
    SetRunning(true);
    StartNext();
    poll_->start();
}

void VariantsWindow::StartNext()
{
    const std::size_t k = running_->results.size();
    job_ =
        std::make_unique<model::SeriesJob>(runInputs_[k], running_->count, running_->seed, model::SeriesWorkerCount());
}

void VariantsWindow::PrzerwijClick()
{
    if (!job_)
        return;
    job_->Cancel();
    status_->setText(QStringLiteral("Przerywanie..."));
}

void VariantsWindow::Poll()
{
    if (!job_)
        return;
    const bool finished = job_->Step(std::chrono::milliseconds(kStepMilliseconds));
    progress_->setValue(running_->count * static_cast<int>(running_->results.size()) + job_->Done());
    if (!finished)
        return;
    std::optional<model::SeriesResult> result = job_->Take();
    job_.reset();
    if (!result) {
        poll_->stop();
        running_.reset();
        status_->setText(result_ ? QStringLiteral("Porównanie przerwane; pokazane jest poprzednie, pełne porównanie.")
                                 : QStringLiteral("Porównanie przerwane."));
        SetRunning(false);
        return;
    }
    running_->results.push_back(std::move(*result));
    if (running_->results.size() < runInputs_.size()) {
        StartNext();
        return;
    }
    poll_->stop();
    running_->ComputeDifferences();
    result_ = std::move(running_);
    running_.reset();
    ShowResult();
    SetRunning(false);
}

void VariantsWindow::ShowResult()
{
    const report::VariantsComparison& c = *result_;
    ShowChart();
    ShowTables();
    rainfallNote_->setVisible(c.rainfallDiffers);
    rainfallNote_->setText(
        QStringLiteral("Uwaga: warianty różnią się opadem – zmiany obejmują także skutek innego opadu."));
    status_->setText(report::VariantsNote(c));
    // A measured flood: its points on the new chart, the variants' fit to it.
    if (MeasuredFloodWindow* measured = MeasuredFloodWindow::Find(owner_))
        measured->Refresh();
    else
        ShowMeasuredFit(nullptr);
}

void VariantsWindow::ShowMeasuredFit(const model::MeasuredReading* measured)
{
    measuredFit_->setVisible(measured && result_);
    if (!measured || !result_)
        return;
    const report::VariantsComparison& c = *result_;
    const QChar sep = owner_.DecimalSeparator();
    const auto figure = [sep](double v, int decimals) {
        return std::isfinite(v) ? text::FormatDecimals(v, decimals, sep) : QStringLiteral("—");
    };
    QStringList lines;
    for (std::size_t k = 0; k < c.results.size(); ++k) {
        const model::SeriesResult& r = c.results[k];
        const model::FitMeasures fit =
            model::FitOf(measured->points, model::BandLevelCurve(r, model::kMedianSeriesLevel));
        const double share = model::BandCoverage(measured->points, model::BandLevelCurve(r, 0),
                                                 model::BandLevelCurve(r, model::kHighestSeriesLevel));
        lines << QStringLiteral("%1: mediana NSE %2, KGE %3, błąd szczytu %4 %; w paśmie 5–95 % %5 % godzin pomiaru")
                     .arg(c.names[k], figure(fit.nse, 3), figure(fit.kge, 3), figure(fit.peakErrorPercent, 1),
                          figure(100 * share, 1));
    }
    measuredFit_->setText(QStringLiteral("Dopasowanie do pomiaru:\n") + lines.join(QLatin1Char('\n')));
}

void VariantsWindow::ShowChart()
{
    const report::VariantsComparison& c = *result_;
    QChart* chart = chart_->chart();
    ClearChart(chart);
    // The hours worth drawing: those of the variant whose band reaches furthest.
    int hours = 0;
    for (const model::SeriesResult& r : c.results)
        hours = std::max(hours, BandDrawnHours(r));
    double high = 0;
    std::vector<QAbstractSeries*> drawn;
    for (std::size_t k = 0; k < c.results.size(); ++k) {
        const model::SeriesResult& r = c.results[k];
        auto* low = new QLineSeries;
        auto* upper = new QLineSeries;
        auto* median = new QLineSeries;
        for (int h = 1; h <= hours; ++h) {
            // A band that ends earlier counts 0 after its end, as the band does.
            const bool inBand = h <= r.bandHours;
            const auto level = [&](std::size_t l) { return inBand ? r.band[static_cast<std::size_t>(h - 1)][l] : 0.0; };
            low->append(h, level(0));
            upper->append(h, level(model::kHighestSeriesLevel));
            median->append(h, level(model::kMedianSeriesLevel));
            high = std::max(high, level(model::kHighestSeriesLevel));
        }
        auto* band = new QAreaSeries(upper, low);
        band->setName(QStringLiteral("%1: 5–95 %").arg(c.names[k]));
        band->setColor(ColourOf(k, 50));
        band->setBorderColor(ColourOf(k, 120));
        upper->setParent(band);
        low->setParent(band);
        median->setName(QStringLiteral("%1: mediana").arg(c.names[k]));
        QPen pen(ColourOf(k));
        pen.setWidth(2);
        median->setPen(pen);
        drawn.push_back(band);
        drawn.push_back(median);
    }
    ShowOnDischargeAxes(chart, drawn, hours, high);
}

void VariantsWindow::ShowTables()
{
    const report::VariantsComparison& c = *result_;
    const QChar sep = owner_.DecimalSeparator();
    FillTable(spreads_, report::VariantSpreadHeader(), c, 0, report::VariantSpreadRow, report::VariantSpreadDecimals,
              sep);
    FillTable(differences_, report::VariantDifferenceHeader(), c, 1, report::VariantDifferenceRow,
              report::VariantDifferenceDecimals, sep);
    QStringList gains;
    for (std::size_t k = 1; k < c.differences.size(); ++k) {
        const model::PairedDifference& d = c.differences[k];
        if (d.pairs == 0)
            continue;
        gains << QStringLiteral("%1: %2 m³/s zamiast %3 m³/s")
                     .arg(c.names[k], text::FormatDecimals(d.pairedWidth, 2, sep),
                          text::FormatDecimals(d.independentWidth, 2, sep));
    }
    gainNote_->setText(QStringLiteral("Szerokość przedziału 5–95 % zmiany przepływu maksymalnego w parach realizacji o "
                                      "wspólnych losowaniach zamiast przy losowaniach niezależnych: ") +
                       gains.join(QStringLiteral("; ")) + QLatin1Char('.'));
}

void VariantsWindow::CsvClick()
{
    if (!result_)
        return;
    if (const std::optional<QString> path =
            owner_.AskSaveFile({QStringLiteral("SaveDialogWariantyCsv"),
                                QStringLiteral("Zapisanie porównania wariantów"), kCsvFilter, true}))
        report::WriteCsvFile(*path, report::VariantsCsv(*result_, owner_.DecimalSeparator()));
}

void VariantsWindow::ExcelClick()
{
    if (!result_)
        return;
    if (const std::optional<QString> path = owner_.AskSaveFile(
            {QStringLiteral("SaveDialogWariantyExcel"), QStringLiteral("Zapisanie porównania wariantów do skoroszytu"),
             QStringLiteral("Skoroszyty Excela *.xlsx|*.xlsx|Wszystkie pliki *.*|*.*"), true}))
        report::WriteVariantsWorkbook(*result_, *path);
}

}  // namespace moravel::window
