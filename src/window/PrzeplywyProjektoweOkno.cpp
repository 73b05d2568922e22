// "Przepływy projektowe...": the design-flood window, and the main window's side of it (the
// menu item appended to "Obliczenia").
#include "window/PrzeplywyProjektoweOkno.h"

#include <QAction>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScatterSeries>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <optional>

#include "model/DesignFloodCases.h"
#include "model/HydrographFigures.h"
#include "text/Error.h"
#include "text/NumText.h"
#include "window/Formatka.h"
#include "window/SeriesCharts.h"
#include "window/FormatkaUi.h"
#include "window/OpadProjektowyOkno.h"
#include "window/ToolWindow.h"

using namespace moravel;

// ---- The main window's side

void TFormatkaOkno::BindDesignFloodCommand()
{
    AppendMenuCommand(form_->MenuObliczenia, QStringLiteral("Przepływy projektowe..."),
                      QStringLiteral("MenuObliczeniaPrzeplywyProjektowe"),
                      &TFormatkaOkno::MenuObliczeniaPrzeplywyProjektoweClick);
}

model::ComputationInputs TFormatkaOkno::ComputationInputsWithRainfall(const std::vector<QString>& rainfall, bool warn)
{
    return model::DesignStormComputationInputs(ComputationTextsOfControls(), rainfall, LandUse(), decimalSeparator_,
                                               [this, warn] {
                                                   if (warn)
                                                       WarnInvalidLandUseCell();
                                               });
}

window::DesignFloodWindow* TFormatkaOkno::designFloodWindow() const
{
    return designFloodWindow_;
}

void TFormatkaOkno::MenuObliczeniaPrzeplywyProjektoweClick()
{
    ShowOwnWindow(designFloodWindow_);
}

namespace moravel::window {

namespace {

constexpr int kPollMilliseconds = 40;
constexpr int kStepMilliseconds = 30;
// The tick labels of the probability axis, per cent a year.
constexpr double kAxisPercents[] = {50, 20, 10, 5, 2, 1, 0.5, 0.2, 0.1};

const QColor kHydrographColours[] = {
    QColor(31, 119, 180), QColor(255, 127, 14),  QColor(44, 160, 44),   QColor(214, 39, 40),  QColor(148, 103, 189),
    QColor(140, 86, 75),  QColor(227, 119, 194), QColor(127, 127, 127), QColor(188, 189, 34), QColor(23, 190, 207)};

}  // namespace

std::vector<ProbabilityTick> GumbelAxisTicks()
{
    std::vector<ProbabilityTick> ticks;
    for (double p : kAxisPercents)
        ticks.push_back({p, model::GumbelReducedVariate(p / 100)});
    return ticks;
}

DesignFloodWindow::DesignFloodWindow(TFormatkaOkno& owner)
    : QWidget(&owner, Qt::Window), owner_(owner),
      depths_(NewPasteTable(int(std::size(model::kDefaultDesignProbabilities)), {QStringLiteral("p [%]")})),
      durations_(new QLineEdit(QStringLiteral("24"))), duration_(new QSpinBox), critical_(new QCheckBox),
      shape_(new StormShapeControls), count_(new QSpinBox), seed_(new QLineEdit),
      compute_(new QPushButton(QStringLiteral("Licz"))), cancel_(new QPushButton(QStringLiteral("Przerwij"))),
      progress_(new QProgressBar), status_(new QLabel), note_(new QLabel(report::DesignFloodProbabilityNote())),
      remarks_(new QLabel),
      table_(new QTableWidget), hydrographChart_(new QChartView), probabilityChart_(new QChartView),
      csv_(new QPushButton(QStringLiteral("Do CSV..."))),
      workbook_(new QPushButton(QStringLiteral("Zapisz do Excela..."))), poll_(new QTimer(this))
{
    setObjectName(QStringLiteral("PrzeplywyProjektowe"));
    setWindowTitle(QStringLiteral("Przepływy projektowe"));
    depths_->setObjectName(QStringLiteral("PrzeplywyTabelaOpadow"));
    depths_->setToolTip(
        QStringLiteral("Prawdopodobieństwa przewyższenia opadu i wysokości opadu dla czasów trwania z pola "
                       "\"Czasy trwania\" (np. z atlasu opadów maksymalnych); Ctrl+V wkleja ze schowka."));
    for (int r = 0; r < depths_->rowCount(); ++r)
        depths_->setItem(r, 0,
                         new QTableWidgetItem(text::FormatUpToDecimals(model::kDefaultDesignProbabilities[r], 3,
                                                                       owner_.DecimalSeparator())));
    durations_->setObjectName(QStringLiteral("PrzeplywyCzasyTrwania"));
    durations_->setToolTip(QStringLiteral("Czasy trwania kolumn tabeli opadów [h], oddzielone średnikami"));
    duration_->setObjectName(QStringLiteral("PrzeplywyCzas"));
    duration_->setRange(1, model::kMaxDesignStormHours);
    duration_->setValue(24);
    duration_->setSuffix(QStringLiteral(" h"));
    critical_->setObjectName(QStringLiteral("PrzeplywyCzasKrytyczny"));
    critical_->setText(QStringLiteral("Czas krytyczny: licz dla każdego czasu trwania z tabeli"));
    count_->setObjectName(QStringLiteral("PrzeplywyLiczba"));
    seed_->setObjectName(QStringLiteral("PrzeplywyZiarno"));
    SetUpCountAndSeed(count_, seed_);
    compute_->setObjectName(QStringLiteral("PrzeplywyLicz"));
    cancel_->setObjectName(QStringLiteral("PrzeplywyPrzerwij"));
    progress_->setObjectName(QStringLiteral("PrzeplywyPostep"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    status_->setObjectName(QStringLiteral("PrzeplywyStan"));
    status_->setWordWrap(true);
    note_->setObjectName(QStringLiteral("PrzeplywyUwaga"));
    note_->setWordWrap(true);
    remarks_->setObjectName(QStringLiteral("PrzeplywyUwagiWynikow"));
    remarks_->setWordWrap(true);
    remarks_->setStyleSheet(QStringLiteral("color: #a33b00"));
    remarks_->hide();
    QFont bold = note_->font();
    bold.setBold(true);
    note_->setFont(bold);
    table_->setObjectName(QStringLiteral("PrzeplywyWyniki"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    csv_->setObjectName(QStringLiteral("PrzeplywyCsv"));
    workbook_->setObjectName(QStringLiteral("PrzeplywyExcel"));
    for (QChartView* view : {hydrographChart_, probabilityChart_}) {
        view->chart()->setLocalizeNumbers(true);
        view->chart()->setMargins(QMargins(4, 4, 4, 4));
        view->chart()->legend()->setAlignment(Qt::AlignBottom);
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumHeight(240);
    }
    // Each line is one realisation, the one whose peak is nearest the median peak; the legend
    // gives its number.
    hydrographChart_->chart()->setTitle(QStringLiteral("Hydrogramy projektowe (szczyt najbliższy medianie)"));
    hydrographChart_->chart()->legend()->setAlignment(Qt::AlignRight);
    QFont legendFont = hydrographChart_->chart()->legend()->font();
    legendFont.setPixelSize(11);
    hydrographChart_->chart()->legend()->setFont(legendFont);
    probabilityChart_->chart()->setTitle(QStringLiteral("Przepływ maksymalny a prawdopodobieństwo"));
    // The legend draws each line's own stroke, so that 5 % and 95 % differ there as on the plot.
    probabilityChart_->chart()->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);

    LayOut();
    const auto guarded = [this](void (DesignFloodWindow::*handler)()) {
        return [this, handler] { owner_.Guarded([this, handler] { (this->*handler)(); }); };
    };
    connect(compute_, &QPushButton::clicked, this, guarded(&DesignFloodWindow::LiczClick));
    connect(cancel_, &QPushButton::clicked, this, guarded(&DesignFloodWindow::PrzerwijClick));
    connect(csv_, &QPushButton::clicked, this, guarded(&DesignFloodWindow::CsvClick));
    connect(workbook_, &QPushButton::clicked, this, guarded(&DesignFloodWindow::ExcelClick));
    connect(durations_, &QLineEdit::editingFinished, this, guarded(&DesignFloodWindow::CzasyTrwaniaChange));
    poll_->setInterval(kPollMilliseconds);
    connect(poll_, &QTimer::timeout, this, [this] { Poll(); });
    CzasyTrwaniaChange();
    SetRunning(false);
    CloseOnEscape(*this);
    FitToolWindow(*this, QSize(1200, 860), owner_.ScreenSize());
}

DesignFloodWindow::~DesignFloodWindow() = default;  // a running job is cancelled and joined

void DesignFloodWindow::closeEvent(QCloseEvent* event)
{
    if (job_)
        job_->Cancel();
    QWidget::closeEvent(event);
}

void DesignFloodWindow::LayOut()
{
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Czasy trwania w tabeli [h]:"), durations_);
    fields->addRow(QStringLiteral("Czas trwania opadu:"), duration_);
    fields->addRow(critical_);
    fields->addRow(shape_);
    fields->addRow(QStringLiteral("Liczba realizacji:"), count_);
    fields->addRow(QStringLiteral("Ziarno:"), seed_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(compute_);
    buttons->addWidget(cancel_);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Wysokość opadu [mm] dla prawdopodobieństwa i czasu trwania:")));
    left->addWidget(depths_, 1);
    left->addLayout(fields);
    left->addLayout(buttons);

    auto* charts = new QHBoxLayout;
    charts->addWidget(hydrographChart_, 3);
    charts->addWidget(probabilityChart_, 2);
    auto* exports = new QHBoxLayout;
    exports->addWidget(csv_);
    exports->addWidget(workbook_);
    exports->addStretch(1);
    exports->addWidget(NewCloseButton(*this));
    auto* right = new QVBoxLayout;
    right->addWidget(progress_);
    right->addWidget(note_);
    right->addLayout(charts, 3);
    right->addWidget(table_, 2);
    right->addWidget(remarks_);
    right->addWidget(status_);
    right->addLayout(exports);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right, 3);
}

void DesignFloodWindow::SetRunning(bool running)
{
    for (QWidget* w :
         std::initializer_list<QWidget*>{compute_, count_, seed_, depths_, durations_, duration_, critical_, shape_})
        w->setEnabled(!running);
    cancel_->setEnabled(running);
    csv_->setEnabled(!running && result_.has_value());
    workbook_->setEnabled(!running && result_.has_value());
}

std::vector<double> DesignFloodWindow::Durations() const
{
    return model::DesignTableDurations(durations_->text(), owner_.DecimalSeparator());
}

void DesignFloodWindow::CzasyTrwaniaChange()
{
    const std::vector<double> hours = Durations();
    // Each column's depths under its duration, those set aside before included.
    std::map<double, std::vector<QString>> byDuration = setAside_;
    for (std::size_t c = 0; c < columnHours_.size() && int(c) + 1 < depths_->columnCount(); ++c) {
        std::vector<QString>& texts = byDuration[columnHours_[c]];
        texts.assign(std::size_t(depths_->rowCount()), QString());
        for (int r = 0; r < depths_->rowCount(); ++r)
            if (const QTableWidgetItem* item = depths_->item(r, int(c) + 1))
                texts[std::size_t(r)] = item->text();
    }
    depths_->setColumnCount(int(hours.size()) + 1);
    depths_->setHorizontalHeaderLabels(report::DesignDepthTableHeaders(hours, owner_.DecimalSeparator()));
    for (std::size_t c = 0; c < hours.size(); ++c) {
        const auto found = byDuration.find(hours[c]);
        for (int r = 0; r < depths_->rowCount(); ++r) {
            delete depths_->takeItem(r, int(c) + 1);
            if (found != byDuration.end() && std::size_t(r) < found->second.size() &&
                !found->second[std::size_t(r)].isEmpty())
                depths_->setItem(r, int(c) + 1, new QTableWidgetItem(found->second[std::size_t(r)]));
        }
        if (found != byDuration.end())
            byDuration.erase(found);
    }
    setAside_ = std::move(byDuration);
    columnHours_ = hours;
}

std::vector<model::DesignFloodCase> DesignFloodWindow::CasesFromControls(report::DesignFloodDescription* inputs)
{
    const QChar sep = owner_.DecimalSeparator();
    model::RequireTotalRainfall(owner_.EffectiveRainTyped());
    const std::vector<double> hours = Durations();
    if (hours != columnHours_)
        CzasyTrwaniaChange();
    const std::vector<int> stormHours = model::DesignStormDurations(hours, critical_->isChecked(), duration_->value());

    std::vector<model::DesignFloodCase> cases;
    std::optional<model::DesignStormInputs> shape;  // read from its controls at the first storm
    std::vector<model::DesignDepths> rows;
    std::vector<int> rowNumbers;
    for (int r = 0; r < depths_->rowCount(); ++r) {
        const auto cell = [&](int c) {
            const QTableWidgetItem* item = depths_->item(r, c);
            return item ? item->text().trimmed() : QString();
        };
        bool empty = true;
        for (int c = 0; c < depths_->columnCount(); ++c)
            empty = empty && cell(c).isEmpty();
        if (empty)
            continue;
        std::vector<QString> depths;
        for (int c = 1; c < depths_->columnCount(); ++c)
            depths.push_back(cell(c));
        rows.push_back(model::DesignDepthsOfTexts(r + 1, cell(0), depths, hours, sep));
        rowNumbers.push_back(r + 1);
        model::CheckDesignDepthsAcross(rows, rowNumbers, hours, sep);
        const model::DesignDepths& row = rows.back();
        if (!shape) {
            shape.emplace();
            shape_->Fill(*shape, sep);
        }
        model::AppendDesignFloodCases(cases, row, hours, stormHours, *shape, sep,
                                      [this](const std::vector<QString>& rainfall, bool first) {
                                          return owner_.ComputationInputsWithRainfall(rainfall, first);
                                      });
    }
    model::RequireDesignFloodCases(cases);
    if (inputs) {
        inputs->tableHours = hours;
        inputs->depths = std::move(rows);
        if (shape && shape->shape == model::StormShape::UserCurve)
            inputs->curve = shape->userCurve.Points();
    }
    return cases;
}

report::DesignFloodDescription DesignFloodWindow::Description() const
{
    report::DesignFloodDescription d;
    d.parameters = owner_.ParameterTexts();
    d.shape = report::DesignFloodShapeText(shape_->Shape(), shape_->PeakBox()->currentIndex());
    d.source = report::DesignFloodSourceText(durations_->text());
    d.criticalDuration = critical_->isChecked();
    d.duration = duration_->value();
    return d;
}

void DesignFloodWindow::LiczClick()
{
    if (job_)
        return;
    const std::uint64_t seed = SeedOf(seed_);
    report::DesignFloodDescription description = Description();
    std::vector<model::DesignFloodCase> cases = CasesFromControls(&description);
    pending_ = std::move(description);
    // The area caption of a single-precision sum (103,699996948242) as the float it stands for.
    pending_.area = text::ExportNumberText(cases.front().inputs.landUse.area, owner_.DecimalSeparator(),
                                           owner_.DecimalSeparator());
    pending_.curveNumber = cases.front().inputs.landUse.curveNumber;
    const int count = count_->value();
    job_ = std::make_unique<model::DesignFloodJob>(std::move(cases), count, seed, model::SeriesWorkerCount());
    progress_->setRange(0, job_->Total());
    progress_->setValue(0);
    status_->setText(QStringLiteral("Liczenie %1 realizacji...").arg(job_->Total()));
    SetRunning(true);
    poll_->start();
}

void DesignFloodWindow::PrzerwijClick()
{
    if (!job_)
        return;
    job_->Cancel();
    status_->setText(QStringLiteral("Przerywanie..."));
}

void DesignFloodWindow::Poll()
{
    if (!job_)
        return;
    const bool finished = job_->Step(std::chrono::milliseconds(kStepMilliseconds));
    progress_->setValue(job_->Done());
    if (!finished)
        return;
    poll_->stop();
    std::optional<model::DesignFloodResult> result = job_->Take();
    job_.reset();
    if (result) {
        result_ = std::move(result);
        description_ = pending_;
        ShowResult();
    } else {
        status_->setText(result_ ? QStringLiteral("Obliczenia przerwane; pokazana jest poprzednia, pełna tabela.")
                                 : QStringLiteral("Obliczenia przerwane."));
    }
    SetRunning(false);
}

void DesignFloodWindow::ShowResult()
{
    ShowTable();
    ShowHydrographs();
    ShowProbabilityPlot();
    const QStringList remarks =
        report::DesignFloodRemarks(*result_, description_.criticalDuration, owner_.DecimalSeparator());
    remarks_->setText(remarks.join(QLatin1Char('\n')));
    remarks_->setVisible(!remarks.isEmpty());
    int failed = 0;
    for (const model::DesignFloodRow& r : result_->rows)
        failed += r.failed;
    status_->setText(QStringLiteral("Policzono %1 burz po %2 realizacji (ziarno %3). Nieudane realizacje: %4.")
                         .arg(result_->rows.size())
                         .arg(result_->realisations)
                         .arg(QString::number(result_->seed))
                         .arg(failed));
}

void DesignFloodWindow::ShowTable()
{
    const bool critical = description_.criticalDuration;
    const QStringList headers = report::DesignFloodTableHeaders(critical);
    table_->clear();
    table_->setColumnCount(int(headers.size()));
    table_->setHorizontalHeaderLabels(headers);
    // The added columns explain themselves in their headers' tooltips: the confidence interval
    // and the runoff coefficient with the volume's note.
    const QStringList notes = report::DesignFloodColumnNotes();
    const int added = int(headers.size()) - 3;
    table_->horizontalHeaderItem(added)->setToolTip(notes[0]);
    table_->horizontalHeaderItem(added + 1)->setToolTip(notes[0]);
    table_->horizontalHeaderItem(added + 2)->setToolTip(notes[1] + QLatin1Char('\n') + notes[2]);
    table_->setRowCount(int(result_->rows.size()));
    const std::vector<int> criticalRows = model::CriticalRows(*result_);
    for (int i = 0; i < int(result_->rows.size()); ++i) {
        const bool isCritical = std::find(criticalRows.begin(), criticalRows.end(), i) != criticalRows.end();
        const QStringList cells =
            report::DesignFloodTableRow(result_->rows[std::size_t(i)], isCritical, critical, owner_.DecimalSeparator());
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (critical && isCritical) {
                QFont f = item->font();
                f.setBold(true);
                item->setFont(f);
            }
            table_->setItem(i, c, item);
        }
    }
}

void DesignFloodWindow::ShowHydrographs()
{
    QChart* chart = hydrographChart_->chart();
    ClearChart(chart);
    const std::vector<int> drawn = report::DrawnDesignFloodRows(*result_, description_.criticalDuration);
    int hours = 0;
    double high = 0;
    std::vector<QAbstractSeries*> lines;
    for (std::size_t k = 0; k < drawn.size(); ++k) {
        const model::DesignFloodRow& r = result_->rows[std::size_t(drawn[k])];
        if (r.representative < 0)
            continue;
        auto* line = new QLineSeries;
        // The duration is named where the critical duration makes it differ.
        const QString p = text::FormatUpToDecimals(r.probability, 3, owner_.DecimalSeparator());
        line->setName(description_.criticalDuration
                          ? QStringLiteral("p = %1 %, %2 h (nr %3)").arg(p).arg(r.hours).arg(r.representative + 1)
                          : QStringLiteral("p = %1 % (nr %2)").arg(p).arg(r.representative + 1));
        const std::vector<float>& q = r.representativeDischarge;
        const int shown = std::max(1, model::DrawnHours(q.data() - 1, int(q.size())));
        for (int h = 1; h <= shown && h <= int(q.size()); ++h) {
            line->append(h, q[std::size_t(h - 1)]);
            high = std::max(high, double(q[std::size_t(h - 1)]));
        }
        hours = std::max(hours, shown);
        QPen pen(kHydrographColours[k % std::size(kHydrographColours)]);
        pen.setWidth(2);
        line->setPen(pen);
        lines.push_back(line);
    }
    ShowOnDischargeAxes(chart, lines, hours, high);
}

void DesignFloodWindow::ShowProbabilityPlot()
{
    QChart* chart = probabilityChart_->chart();
    ClearChart(chart);
    const std::vector<int> drawn = model::CriticalRows(*result_);
    auto* median = new QLineSeries;
    median->setName(QStringLiteral("mediana Qmax"));
    median->setPointsVisible(true);
    auto* low = new QLineSeries;
    low->setName(QStringLiteral("5 %"));
    auto* highLine = new QLineSeries;
    highLine->setName(QStringLiteral("95 %"));
    double top = 0;
    double minX = model::GumbelReducedVariate(0.5);
    double maxX = model::GumbelReducedVariate(0.01);
    // Points from the most to the least probable.
    std::vector<int> order = drawn;
    std::sort(order.begin(), order.end(), [this](int a, int b) {
        return result_->rows[std::size_t(a)].probability > result_->rows[std::size_t(b)].probability;
    });
    for (int i : order) {
        const model::DesignFloodRow& r = result_->rows[std::size_t(i)];
        if (r.succeeded == 0)
            continue;
        const double x = model::GumbelReducedVariate(r.probability / 100);
        median->append(x, r.peak.percentiles[model::kMedianSeriesLevel]);
        low->append(x, r.peak.percentiles[0]);
        highLine->append(x, r.peak.percentiles[model::kHighestSeriesLevel]);
        top = std::max(top, r.peak.percentiles[model::kHighestSeriesLevel]);
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
    }
    QPen medianPen(QColor(31, 56, 100));
    medianPen.setWidth(2);
    median->setPen(medianPen);
    // The two ends of the spread told apart by colour and by line, as the legend shows them.
    QPen lowPen(QColor(91, 155, 213));
    lowPen.setStyle(Qt::DashLine);
    lowPen.setWidth(2);
    low->setPen(lowPen);
    QPen highPen(QColor(214, 39, 40));
    highPen.setStyle(Qt::DotLine);
    highPen.setWidth(2);
    highLine->setPen(highPen);
    // The axis of probability: ticks at the Gumbel reduced variate of each probability.
    auto* x = new QCategoryAxis;
    x->setTitleText(QStringLiteral("p [%] (skala Gumbela)"));
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    const double left = minX - 0.3;
    const double right = maxX + 0.3;
    x->setRange(left, right);
    x->setStartValue(left);
    for (const ProbabilityTick& t : GumbelAxisTicks())
        if (t.position >= left && t.position <= right)
            x->append(text::FormatUpToDecimals(t.percent, 3, owner_.DecimalSeparator()), t.position);
    QValueAxis* y = NewAxis(QStringLiteral("Qmax [m³/s]"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QLineSeries* s : {highLine, median, low}) {
        chart->addSeries(s);
        s->attachAxis(x);
        s->attachAxis(y);
    }
    y->setRange(0, top > 0 ? top : 1);
    y->applyNiceNumbers();
}

void DesignFloodWindow::CsvClick()
{
    if (!result_)
        return;
    if (const std::optional<QString> path = owner_.AskSaveFile(
            {QStringLiteral("SaveDialogPrzeplywyCsv"), QStringLiteral("Zapisanie przepływów projektowych"),
             QStringLiteral("Pliki CSV *.csv|*.csv|Wszystkie pliki *.*|*.*"), true}))
        report::WriteCsvFile(*path, report::DesignFloodCsv(*result_, description_, owner_.DecimalSeparator()));
}

void DesignFloodWindow::ExcelClick()
{
    if (!result_)
        return;
    if (const std::optional<QString> path =
            owner_.AskSaveFile({QStringLiteral("SaveDialogPrzeplywyExcel"),
                                QStringLiteral("Zapisanie przepływów projektowych do skoroszytu"),
                                QStringLiteral("Skoroszyty Excela *.xlsx|*.xlsx|Wszystkie pliki *.*|*.*"), true}))
        report::WriteDesignFloodWorkbook(*result_, description_, *path);
}

}  // namespace moravel::window
