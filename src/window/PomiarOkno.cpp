// "Porównaj z pomiarem...": the measured flood's window, its drawing on the two charts and its
// calibration.
#include "window/PomiarOkno.h"

#include <QAbstractAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScatterSeries>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <atomic>
#include <cmath>

#include "import/ExcelImport.h"
#include "import/MeasuredBlock.h"
#include "model/Series.h"
#include "text/Error.h"
#include "text/NumText.h"
#include "window/ChartExport.h"
#include "window/Formatka.h"
#include "window/FormatkaUi.h"
#include "window/SeriesCharts.h"
#include "window/LongWork.h"
#include "window/RangePicker.h"
#include "window/PorownanieWariantowOkno.h"
#include "window/SeriaOkno.h"
#include "window/wykres.h"
#include "window/ToolWindow.h"

namespace moravel::window {

namespace {

const char* const kWindowName = "PorownanieZPomiarem";
// The measured points' colour: apart from the main chart's blue line and the band's blues.
const QColor kMeasuredColour(214, 39, 40);
// The parameter edits' places in TFormatkaOkno::ParameterEdits (RB, RL, RA, So, Lo, b, n).
constexpr int kWidthEdit = 5;
constexpr int kRoughnessEdit = 6;

// A figure with `decimals` decimals, or a dash where it is undefined. A value that rounds to
// zero shows no sign: "-0,00" would be an error whose direction the figure does not show.
QString Figure(double value, int decimals, QChar separator)
{
    if (!std::isfinite(value))
        return QStringLiteral("—");
    QString text = text::FormatDecimals(value, decimals, separator);
    if (text.startsWith(QLatin1Char('-')) && text.count(QLatin1Char('0')) == text.size() - (decimals > 0 ? 2 : 1))
        text.remove(0, 1);
    return text;
}

void SetCell(QTableWidget* table, int row, int col, const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(row, col, item);
}

QTableWidget* NewTable(const QString& name, const QStringList& rows, const QStringList& columns)
{
    auto* table = new QTableWidget(static_cast<int>(rows.size()), static_cast<int>(columns.size()));
    table->setObjectName(name);
    table->setVerticalHeaderLabels(rows);
    table->setHorizontalHeaderLabels(columns);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->verticalHeader()->setDefaultSectionSize(24);
    table->setFixedHeight(table->horizontalHeader()->sizeHint().height() + 24 * static_cast<int>(rows.size()) + 4);
    return table;
}

// The points of a drawn curve (hour 1.. at [hour - 1]) as values.
std::vector<double> Curve(const std::vector<float>& values)
{
    return std::vector<double>(values.begin(), values.end());
}

// The measures of fit in the order of the fit table's rows.
const QStringList kFitRows = {QStringLiteral("NSE"),
                              QStringLiteral("KGE"),
                              QStringLiteral("Błąd szczytu [m³/s]"),
                              QStringLiteral("Błąd szczytu [%]"),
                              QStringLiteral("Błąd czasu szczytu [h]"),
                              QStringLiteral("Błąd objętości [%]")};

void FillFitColumn(QTableWidget* table, int col, const std::optional<model::FitMeasures>& fit, QChar separator)
{
    if (!fit) {
        for (int row = 0; row < table->rowCount(); ++row)
            SetCell(table, row, col, QStringLiteral("—"));
        return;
    }
    const double values[] = {
        fit->nse, fit->kge, fit->peakError, fit->peakErrorPercent, fit->peakTimeError, fit->volumeErrorPercent};
    const int decimals[] = {3, 3, 2, 1, 0, 1};
    for (int row = 0; row < 6; ++row)
        SetCell(table, row, col, Figure(values[row], decimals[row], separator));
}

}  // namespace

std::optional<MeasuredFlood> AskMeasuredFlood(TFormatkaOkno& owner)
{
    FileDialogSpec dialog;
    dialog.name = QStringLiteral("OpenDialogPomiar");
    dialog.title = QStringLiteral("Wczytanie zmierzonego hydrogramu");
    dialog.filter = import::ImportDialogFilter();
    dialog.save = false;
    const std::optional<QString> path = owner.AskFile(dialog);
    if (!path)
        return std::nullopt;
    std::atomic<bool> cancel{false};
    std::optional<import::Workbook> book;
    try {
        RunLongWork(&owner, {QStringLiteral("Odczytywanie skoroszytu\u2026"), &cancel},
                    [&] { book = import::ReadWorkbook(*path, owner.Reader(), &cancel); });
    } catch (const import::WorkbookReadCancelled&) {
        return std::nullopt;
    }
    const QChar separator = owner.DecimalSeparator();
    std::optional<import::CellBlock> block;
    if (import::RangePicker* picker = owner.rangePicker()) {
        block = picker->Pick(*book);
    } else {
        DialogRangePicker dialogPicker(&owner, separator, import::kMeasuredBlock);
        block = dialogPicker.Pick(*book);
    }
    if (!block)
        return std::nullopt;
    MeasuredFlood flood;
    flood.reading = model::ReadMeasuredHydrograph(import::MeasuredBlockRows(*book, *block, separator), separator);
    flood.source = QFileInfo(*path).fileName() + QStringLiteral(", ") + import::BlockName(*book, *block);
    return flood;
}

void CompareWithMeasurement(TFormatkaOkno& owner)
{
    owner.BuildWorkingPanels();
    std::optional<MeasuredFlood> flood = AskMeasuredFlood(owner);
    MeasuredFloodWindow* window = MeasuredFloodWindow::Find(owner);
    if (!flood && !(window && window->Measured()))
        return;
    window = &MeasuredFloodWindow::Of(owner);
    window->show();
    window->raise();
    if (flood)
        window->Offer(std::move(*flood));
}

MeasuredFloodWindow* MeasuredFloodWindow::Find(const TFormatkaOkno& owner)
{
    return owner.findChild<MeasuredFloodWindow*>(QString::fromLatin1(kWindowName), Qt::FindDirectChildrenOnly);
}

MeasuredFloodWindow& MeasuredFloodWindow::Of(TFormatkaOkno& owner)
{
    if (MeasuredFloodWindow* existing = Find(owner))
        return *existing;
    return *new MeasuredFloodWindow(owner);
}

MeasuredFloodWindow::MeasuredFloodWindow(TFormatkaOkno& owner)
    : QWidget(&owner, Qt::Window), owner_(owner), source_(new QLabel), warnings_(new QLabel),
      read_(new QPushButton(QStringLiteral("Wczytaj pomiar..."))),
      accept_(new QPushButton(QStringLiteral("Przyjmij pomiar"))), reject_(new QPushButton(QStringLiteral("Odrzuć"))),
      fit_(NewTable(QStringLiteral("PomiarDopasowanie"), kFitRows,
                    {QStringLiteral("Hydrogram na wykresie"), QStringLiteral("Mediana serii")})),
      coverage_(new QLabel), criterion_(new QComboBox), fitCn_(new QCheckBox(QStringLiteral("Dopasuj CN"))),
      fitB_(new QCheckBox(QStringLiteral("Dopasuj b"))), pairWarning_(new QLabel), nLow_(new QLineEdit),
      nHigh_(new QLineEdit), bLow_(new QLineEdit), bHigh_(new QLineEdit), count_(new QSpinBox), seed_(new QLineEdit),
      calibrate_(new QPushButton(QStringLiteral("Dopasuj..."))),
      calibration_(NewTable(QStringLiteral("PomiarKalibracja"),
                            {QStringLiteral("CN"), QStringLiteral("n"), QStringLiteral("b [m]"),
                             QStringLiteral("Kryterium (mniej = lepiej)"), QStringLiteral("KGE mediany"),
                             QStringLiteral("NSE mediany"), QStringLiteral("Pokrycie pasmem 5–95 % [%]"),
                             QStringLiteral("Błąd szczytu mediany [%]"), QStringLiteral("CRPS serii [m³/s]")},
                            {QStringLiteral("Przed"), QStringLiteral("Po")})),
      fittedCn_(new QLabel), apply_(new QPushButton(QStringLiteral("Zastosuj"))),
      profiles_(new QGroupBox(QStringLiteral("Kryterium w zakresie parametru"))),
      profileHint_(new QLabel(QStringLiteral("Po dopasowaniu: kryterium w całym zakresie każdego dopasowanego "
                                             "parametru przy pozostałych równych dopasowanym.")))
{
    setObjectName(QString::fromLatin1(kWindowName));
    setWindowTitle(QStringLiteral("Porównanie z pomiarem"));
    source_->setObjectName(QStringLiteral("PomiarZrodlo"));
    source_->setText(QStringLiteral("Brak pomiaru."));
    warnings_->setObjectName(QStringLiteral("PomiarUwagi"));
    warnings_->setWordWrap(true);
    read_->setObjectName(QStringLiteral("PomiarWczytaj"));
    accept_->setObjectName(QStringLiteral("PomiarPrzyjmij"));
    reject_->setObjectName(QStringLiteral("PomiarOdrzuc"));
    coverage_->setObjectName(QStringLiteral("PomiarPokrycie"));
    coverage_->setWordWrap(true);
    criterion_->setObjectName(QStringLiteral("PomiarKryterium"));
    criterion_->addItem(QStringLiteral("KGE mediany serii"), static_cast<int>(model::CalibrationCriterion::MedianKge));
    criterion_->addItem(QStringLiteral("Pokrycie pasmem 5–95 % i błąd szczytu mediany"),
                        static_cast<int>(model::CalibrationCriterion::CoverageAndPeak));
    criterion_->addItem(QStringLiteral("CRPS serii w godzinach pomiaru"),
                        static_cast<int>(model::CalibrationCriterion::Crps));
    criterion_->setCurrentIndex(criterion_->count() - 1);
    criterion_->setToolTip(
        QStringLiteral("CRPS porównuje z każdym zmierzonym przepływem cały rozkład realizacji, nie tylko "
                       "medianę; mniej = lepiej"));
    fitCn_->setObjectName(QStringLiteral("PomiarDopasujCN"));
    fitCn_->setChecked(false);
    fitB_->setObjectName(QStringLiteral("PomiarDopasujB"));
    fitB_->setChecked(false);
    fitB_->setToolTip(QStringLiteral("Bez zaznaczenia b pozostaje równe wartości z parametrów zlewni"));
    pairWarning_->setObjectName(QStringLiteral("PomiarOstrzezenieNB"));
    pairWarning_->setWordWrap(true);
    pairWarning_->setText(
        QStringLiteral("Uwaga: n i b działają przez tę samą prędkość fali kinematycznej, więc jedno wezbranie "
                       "ich nie rozróżnia (mniejsze n z węższym b pasuje tak samo). Wynik będzie jedną z wielu "
                       "równie dobrych par."));
    profiles_->setObjectName(QStringLiteral("PomiarProfile"));
    profileHint_->setWordWrap(true);
    fitCn_->setToolTip(QStringLiteral("Uśrednione CN w granicach ±30 % wartości z użytkowania terenu, najwyżej 100"));
    const QChar sep = owner.DecimalSeparator();
    const struct {
        QLineEdit* edit;
        const char* name;
        double value;
    } ranges[] = {
        {nLow_, "PomiarNOd", 0.01}, {nHigh_, "PomiarNDo", 0.15}, {bLow_, "PomiarBOd", 1}, {bHigh_, "PomiarBDo", 100}};
    for (const auto& r : ranges) {
        r.edit->setObjectName(QString::fromLatin1(r.name));
        r.edit->setText(text::FormatGeneral(r.value, sep));
    }
    count_->setObjectName(QStringLiteral("PomiarLiczba"));
    seed_->setObjectName(QStringLiteral("PomiarZiarno"));
    SetUpCountAndSeed(count_, seed_, 10, false);
    const SeriesWindow* series = owner.seriesWindow();
    seed_->setText(series ? series->SeedEdit()->text() : QString::number(model::ClockSeed()));
    seed_->setToolTip(
        QStringLiteral("Każdy kandydat jest liczony z tym samym ziarnem, więc kryterium jest "
                       "powtarzalne"));
    calibrate_->setObjectName(QStringLiteral("PomiarDopasuj"));
    fittedCn_->setObjectName(QStringLiteral("PomiarCN"));
    fittedCn_->setWordWrap(true);
    apply_->setObjectName(QStringLiteral("PomiarZastosuj"));
    apply_->setToolTip(QStringLiteral("Wpisuje dopasowane n i b w pola parametrów zlewni"));
    LayOut();

    const auto guarded = [this](void (MeasuredFloodWindow::*handler)()) {
        return [this, handler] { owner_.Guarded([this, handler] { (this->*handler)(); }); };
    };
    connect(read_, &QPushButton::clicked, this, guarded(&MeasuredFloodWindow::WczytajClick));
    connect(accept_, &QPushButton::clicked, this, guarded(&MeasuredFloodWindow::PrzyjmijClick));
    connect(reject_, &QPushButton::clicked, this, guarded(&MeasuredFloodWindow::OdrzucClick));
    connect(calibrate_, &QPushButton::clicked, this, guarded(&MeasuredFloodWindow::DopasujClick));
    connect(apply_, &QPushButton::clicked, this, guarded(&MeasuredFloodWindow::ZastosujClick));
    connect(fitB_, &QCheckBox::toggled, this, [this](bool on) {
        bLow_->setEnabled(on);
        bHigh_->setEnabled(on);
        ShowPairWarning();
    });
    connect(nLow_, &QLineEdit::textChanged, this, [this] { ShowPairWarning(); });
    connect(nHigh_, &QLineEdit::textChanged, this, [this] { ShowPairWarning(); });
    bLow_->setEnabled(false);
    bHigh_->setEnabled(false);
    ShowPairWarning();
    accept_->setVisible(false);
    reject_->setVisible(false);
    calibrate_->setEnabled(false);
    apply_->setEnabled(false);
    ShowFit();
    CloseOnEscape(*this);
    FitToolWindow(*this, QSize(1000, 700), owner_.ScreenSize());
}

MeasuredFloodWindow::~MeasuredFloodWindow() = default;

void MeasuredFloodWindow::LayOut()
{
    auto* top = new QHBoxLayout;
    top->addWidget(source_, 1);
    top->addWidget(read_);
    top->addWidget(NewCloseButton(*this));
    auto* decision = new QHBoxLayout;
    decision->addWidget(accept_);
    decision->addWidget(reject_);
    decision->addStretch(1);

    auto* fitBox = new QGroupBox(QStringLiteral("Dopasowanie do pomiaru"));
    auto* fitLayout = new QVBoxLayout(fitBox);
    fitLayout->addWidget(fit_);
    fitLayout->addWidget(coverage_);

    auto* calibrationBox = new QGroupBox(QStringLiteral("Dopasowanie parametrów"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Kryterium:"), criterion_);
    form->addRow(QString(), fitCn_);
    const auto range = [](QLineEdit* low, QLineEdit* high) {
        auto* row = new QHBoxLayout;
        row->addWidget(low);
        row->addWidget(new QLabel(QStringLiteral("do")));
        row->addWidget(high);
        return row;
    };
    form->addRow(QStringLiteral("n od:"), range(nLow_, nHigh_));
    QHBoxLayout* widthRow = range(bLow_, bHigh_);
    widthRow->addWidget(fitB_);
    form->addRow(QStringLiteral("b [m] od:"), widthRow);
    form->addRow(QStringLiteral("Realizacji na próbę:"), count_);
    form->addRow(QStringLiteral("Ziarno:"), seed_);
    auto* calibrationLayout = new QVBoxLayout(calibrationBox);
    calibrationLayout->addLayout(form);
    calibrationLayout->addWidget(pairWarning_);
    calibrationLayout->addWidget(calibrate_, 0, Qt::AlignLeft);
    calibrationLayout->addWidget(calibration_);
    calibrationLayout->addWidget(fittedCn_);
    calibrationLayout->addWidget(apply_, 0, Qt::AlignLeft);
    calibrationLayout->addStretch(1);

    // The criterion along the fitted parameters' ranges, under the measures of fit.
    auto* profileLayout = new QVBoxLayout(profiles_);
    profileLayout->addWidget(profileHint_);

    // Two columns, so that the window fits a screen of 1024 x 768.
    auto* left = new QVBoxLayout;
    left->addWidget(fitBox);
    left->addWidget(profiles_, 1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addWidget(calibrationBox, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(warnings_);
    layout->addLayout(decision);
    layout->addLayout(columns, 1);
}

void MeasuredFloodWindow::WczytajClick()
{
    if (std::optional<MeasuredFlood> flood = AskMeasuredFlood(owner_))
        Offer(std::move(*flood));
}

void MeasuredFloodWindow::Offer(MeasuredFlood flood)
{
    pending_ = std::move(flood);
    if (pending_->reading.warnings.isEmpty()) {
        PrzyjmijClick();
        return;
    }
    warnings_->setText(QStringLiteral("Uwagi do pomiaru z %1 (nic nie zostanie zmienione, dopóki go nie "
                                      "przyjmiesz):\n")
                           .arg(pending_->source) +
                       pending_->reading.warnings.join(QLatin1Char('\n')));
    accept_->setVisible(true);
    reject_->setVisible(true);
    owner_.messages().Info(
        QStringLiteral("Pomiar zawiera wiersze, których nie można przyjąć; sprawdź uwagi w oknie „Porównanie z "
                       "pomiarem” i przyjmij albo odrzuć pomiar."));
}

void MeasuredFloodWindow::PrzyjmijClick()
{
    if (!pending_)
        return;
    measured_ = std::move(pending_);
    pending_.reset();
    result_.reset();
    accept_->setVisible(false);
    reject_->setVisible(false);
    const auto& points = measured_->reading.points;
    const QChar sep = owner_.DecimalSeparator();
    source_->setText(QStringLiteral("Pomiar: %1 — %2 punktów, godziny %3–%4.")
                         .arg(measured_->source, QString::number(points.size()),
                              text::FormatGeneral(points.front().hour, sep),
                              text::FormatGeneral(points.back().hour, sep)));
    warnings_->setText(measured_->reading.warnings.join(QLatin1Char('\n')));
    calibrate_->setEnabled(true);
    Refresh();
    ShowCalibration();
}

void MeasuredFloodWindow::OdrzucClick()
{
    pending_.reset();
    accept_->setVisible(false);
    reject_->setVisible(false);
    warnings_->setText(QStringLiteral("Pomiar odrzucony."));
}

void MeasuredFloodWindow::DrawOn(QChart* chart, const char* name)
{
    for (QAbstractSeries* s : chart->series())
        if (s->objectName() == QLatin1String(name)) {
            chart->removeSeries(s);
            delete s;
        }
    const QList<QAbstractAxis*> xs = chart->axes(Qt::Horizontal), ys = chart->axes(Qt::Vertical);
    if (!measured_ || xs.isEmpty() || ys.isEmpty())
        return;
    auto* points = new QScatterSeries;
    points->setObjectName(QString::fromLatin1(name));
    points->setName(QStringLiteral("pomiar"));
    points->setColor(kMeasuredColour);
    points->setBorderColor(kMeasuredColour);
    points->setMarkerSize(7);
    double lastHour = 0, peak = 0;
    for (const model::MeasuredPoint& p : measured_->reading.points) {
        points->append(p.hour, p.discharge);
        lastHour = std::max(lastHour, p.hour);
        peak = std::max(peak, p.discharge);
    }
    chart->addSeries(points);
    // The axes grow to show every measured point; they are never made smaller here.
    const auto grow = [](QAbstractAxis* axis, double high) {
        auto* value = qobject_cast<QValueAxis*>(axis);
        if (value && high > value->max()) {
            value->setRange(value->min(), high);
            value->applyNiceNumbers();
        }
    };
    points->attachAxis(xs.first());
    points->attachAxis(ys.first());
    grow(xs.first(), lastHour);
    grow(ys.first(), peak);
}

void MeasuredFloodWindow::Refresh()
{
    if (owner_.PanelsBuilt()) {
        THydrographChart* chart = UiOf(owner_).Wykres;
        if (measured_)
            chart->setVisible(true);
        DrawOn(chart->chart(), kMainChartMeasuredName);
        // The legend names only the measurement, and only while one is drawn; at the right, so
        // that the flat chart keeps its height.
        chart->chart()->legend()->setAlignment(Qt::AlignRight);
        chart->chart()->legend()->setVisible(measured_.has_value());
        for (QLegendMarker* marker : chart->chart()->legend()->markers())
            marker->setVisible(marker->series()->objectName() == QLatin1String(kMainChartMeasuredName));
    }
    if (SeriesWindow* series = owner_.seriesWindow(); series && series->Result())
        DrawOn(series->BandChart()->chart(), kBandChartMeasuredName);
    if (VariantsWindow* variants = owner_.variantsWindow(); variants && variants->Result()) {
        DrawOn(variants->BandChart()->chart(), kVariantsChartMeasuredName);
        variants->ShowMeasuredFit(measured_ ? &measured_->reading : nullptr);
    }
    ShowFit();
}

void MeasuredFloodWindow::ShowFit()
{
    const QChar sep = owner_.DecimalSeparator();
    std::optional<model::FitMeasures> drawn, median;
    coverage_->setText(QString());
    if (measured_) {
        const std::vector<float>& discharge = owner_.chartExport().Snapshot().discharge;
        if (!discharge.empty())
            drawn = model::FitOf(measured_->reading.points, Curve(discharge));
        const SeriesWindow* series = owner_.seriesWindow();
        if (series && series->Result()) {
            const model::SeriesResult& r = *series->Result();
            median = model::FitOf(measured_->reading.points, model::BandLevelCurve(r, model::kMedianSeriesLevel));
            const double share = model::BandCoverage(measured_->reading.points, model::BandLevelCurve(r, 0),
                                                     model::BandLevelCurve(r, model::kHighestSeriesLevel));
            coverage_->setText(
                QStringLiteral("Udział godzin pomiaru w paśmie 5–95 % serii: %1 %").arg(Figure(100 * share, 1, sep)));
        } else {
            coverage_->setText(QStringLiteral("Pasmo i mediana: policz serię w oknie „Seria realizacji”."));
        }
    }
    FillFitColumn(fit_, 0, drawn, sep);
    FillFitColumn(fit_, 1, median, sep);
}

model::CalibrationSettings MeasuredFloodWindow::SettingsOfControls(const model::ComputationInputs& inputs) const
{
    const QChar sep = owner_.DecimalSeparator();
    const auto range = [sep](QLineEdit* low, QLineEdit* high, const QString& what) {
        const model::ParameterRange r{text::StrToFloat(low->text(), sep), text::StrToFloat(high->text(), sep)};
        if (!(r.low > 0 && r.low <= r.high))
            throw Error(
                QStringLiteral("Zakres %1: granice muszą być dodatnie, a dolna nie większa od górnej").arg(what));
        return r;
    };
    model::CalibrationSettings s;
    s.criterion = static_cast<model::CalibrationCriterion>(criterion_->currentData().toInt());
    s.n = range(nLow_, nHigh_, QStringLiteral("n"));
    s.b = fitB_->isChecked() ? range(bLow_, bHigh_, QStringLiteral("b"))
                             : model::ParameterRange{inputs.parameters.b, inputs.parameters.b};
    s.cn = fitCn_->isChecked() ? model::CurveNumberRange(inputs.curveNumber)
                               : model::ParameterRange{inputs.curveNumber, inputs.curveNumber};
    s.seed = SeedOf(seed_);
    s.count = count_->value();
    s.threads = model::SeriesWorkerCount();
    return s;
}

void MeasuredFloodWindow::DopasujClick()
{
    if (!measured_)
        throw Error(QStringLiteral("Najpierw wczytaj pomiar"));
    // Read and checked once, here; the candidates change only CN, n and b of a copy.
    const model::ComputationInputs inputs = owner_.ComputationInputsFromControls();
    const model::CalibrationSettings settings = SettingsOfControls(inputs);
    const std::vector<model::MeasuredPoint> points = measured_->reading.points;
    model::CheckCalibrationMeasurement(points);
    std::atomic<bool> cancel{false};
    std::atomic<int> done{0};
    std::optional<model::CalibrationResult> result;
    RunLongWork(
        this, {QStringLiteral("Dopasowywanie parametrów\u2026"), &cancel},
        [&] { result = model::Calibrate(inputs, points, settings, &cancel, &done); },
        [&done] { return QStringLiteral("Ocenieni kandydaci: %1").arg(done.load()); });
    result_ = std::move(result);
    landUseCurveNumber_ = inputs.directEffectiveRain ? std::nan("") : inputs.curveNumber;
    pairFitted_ = settings.n.high > settings.n.low && settings.b.high > settings.b.low;
    resultCriterion_ = settings.criterion;
    ShowCalibration();
}

void MeasuredFloodWindow::ShowCalibration()
{
    const QChar sep = owner_.DecimalSeparator();
    ShowProfiles();
    // A result whose every candidate left the criterion undefined fitted nothing.
    apply_->setEnabled(result_ && std::isfinite(result_->best.objective));
    if (!result_) {
        for (int row = 0; row < calibration_->rowCount(); ++row)
            for (int col = 0; col < 2; ++col)
                SetCell(calibration_, row, col, QString());
        fittedCn_->setText(QString());
        return;
    }
    const model::CandidateFit* fits[] = {&result_->before, &result_->best};
    for (int col = 0; col < 2; ++col) {
        const model::CandidateFit& f = *fits[col];
        const double values[] = {
            f.cn,  f.n, f.b, f.objective, f.median.kge, f.median.nse, 100 * f.coverage, f.median.peakErrorPercent,
            f.crps};
        const int decimals[] = {2, 4, 2, 4, 3, 3, 1, 1, 3};
        for (int row = 0; row < 9; ++row)
            SetCell(calibration_, row, col,
                    f.ok || row < 3 ? Figure(values[row], decimals[row], sep) : QStringLiteral("—"));
    }
    QString text = std::isnan(landUseCurveNumber_)
                       ? QStringLiteral("Opad efektywny jest podany: CN nie bierze udziału w dopasowaniu.")
                       : QStringLiteral(
                             "CN dopasowane: %1 (z użytkowania terenu: %2; tabela użytkowania terenu "
                             "pozostaje bez zmian).")
                             .arg(text::FormatDecimals(result_->best.cn, 2, sep),
                                  text::FormatDecimals(landUseCurveNumber_, 2, sep));
    if (!std::isfinite(result_->best.objective))
        text += QStringLiteral(
            " Kryterium nie jest określone dla żadnego kandydata (np. mediana serii bez zmienności albo "
            "brak udanych realizacji): parametrów nie dopasowano.");
    else if (!std::isfinite(result_->before.objective))
        text += QStringLiteral(
            " Przy bieżących wartościach parametrów kryterium nie jest określone (np. mediana serii bez "
            "zmienności albo brak udanych realizacji).");
    if (pairFitted_)
        text += QStringLiteral(
            " n i b dopasowano razem: jedno wezbranie ich nie rozróżnia, więc to tylko jedna z wielu równie "
            "dobrych par.");
    text += QStringLiteral(" Ocenionych kandydatów: %1.").arg(result_->evaluations);
    if (result_->cancelled)
        text += QStringLiteral(" Dopasowanie przerwane: pokazano najlepszy dotąd wynik.");
    fittedCn_->setText(text);
}

bool MeasuredFloodWindow::FitsRoughnessAndWidth() const
{
    const QChar sep = owner_.DecimalSeparator();
    double low = 0, high = 0;
    return fitB_->isChecked() && text::TryStrToFloat(nLow_->text(), sep, low) &&
           text::TryStrToFloat(nHigh_->text(), sep, high) && high > low;
}

void MeasuredFloodWindow::ShowPairWarning()
{
    pairWarning_->setVisible(FitsRoughnessAndWidth());
}

QList<QChartView*> MeasuredFloodWindow::ProfileCharts() const
{
    return profiles_->findChildren<QChartView*>(QString(), Qt::FindDirectChildrenOnly);
}

void MeasuredFloodWindow::ShowProfiles()
{
    for (QChartView* view : ProfileCharts())
        delete view;
    profileHint_->setVisible(!result_ || result_->profiles.empty());
    if (!result_)
        return;
    const QChar sep = owner_.DecimalSeparator();
    for (const model::CriterionProfile& profile : result_->profiles) {
        const model::CandidateFit& best = result_->best;
        QString name;
        double bestValue = 0;
        switch (profile.parameter) {
            case model::CalibratedParameter::CurveNumber:
                name = QStringLiteral("CN");
                bestValue = best.cn;
                break;
            case model::CalibratedParameter::Roughness:
                name = QStringLiteral("n");
                bestValue = best.n;
                break;
            case model::CalibratedParameter::Width:
                name = QStringLiteral("b [m]");
                bestValue = best.b;
                break;
        }
        auto* line = new QLineSeries;
        line->setName(QStringLiteral("kryterium"));
        double low = 0, high = 0;
        bool any = false;
        for (const model::CriterionProfile::Point& p : profile.points) {
            if (!std::isfinite(p.objective))
                continue;
            line->append(p.value, p.objective);
            low = any ? std::min(low, p.objective) : p.objective;
            high = any ? std::max(high, p.objective) : p.objective;
            any = true;
        }
        auto* chosen = new QScatterSeries;
        chosen->setName(QStringLiteral("dopasowane"));
        chosen->setColor(kMeasuredColour);
        chosen->setBorderColor(kMeasuredColour);
        chosen->setMarkerSize(8);
        if (std::isfinite(best.objective))
            chosen->append(bestValue, best.objective);
        auto* chart = new QChart;
        chart->legend()->hide();
        chart->setTitle(QStringLiteral("Kryterium a %1").arg(name));
        chart->addSeries(line);
        chart->addSeries(chosen);
        QValueAxis* x = NewAxis(name);
        QValueAxis* y = NewAxis(resultCriterion_ == model::CalibrationCriterion::Crps ? QStringLiteral("CRPS [m³/s]")
                                                                                      : QStringLiteral("Kryterium"));
        if (!profile.points.empty())
            x->setRange(profile.points.front().value, profile.points.back().value);
        if (any)
            y->setRange(low, high > low ? high : low + 1);
        y->applyNiceNumbers();
        chart->addAxis(x, Qt::AlignBottom);
        chart->addAxis(y, Qt::AlignLeft);
        for (QAbstractSeries* series : {static_cast<QAbstractSeries*>(line), static_cast<QAbstractSeries*>(chosen)}) {
            series->attachAxis(x);
            series->attachAxis(y);
        }
        auto* view = new QChartView(chart, profiles_);
        view->setObjectName(QStringLiteral("PomiarProfil ") + name);
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumHeight(160);
        view->setToolTip(QStringLiteral("Kryterium przy pozostałych parametrach równych dopasowanym; "
                                        "im węższa dolina, tym pewniej wyznaczony parametr (min. %1)")
                             .arg(Figure(best.objective, 4, sep)));
        profiles_->layout()->addWidget(view);
    }
}

void MeasuredFloodWindow::ZastosujClick()
{
    if (!result_)
        return;
    const QChar sep = owner_.DecimalSeparator();
    // Through the fields' own handlers, as if typed.
    owner_.SetParameterText(kRoughnessEdit, text::FormatUpToDecimals(result_->best.n, 4, sep));
    owner_.SetParameterText(kWidthEdit, text::FormatUpToDecimals(result_->best.b, 2, sep));
}

}  // namespace moravel::window
