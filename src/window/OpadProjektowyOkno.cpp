// "Opad projektowy...": the design-storm window, and the main window's side of it (the menu
// item appended to "Opad").
#include "window/OpadProjektowyOkno.h"

#include <QAction>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "text/Error.h"
#include "text/NumText.h"
#include "window/FormatkaUi.h"
#include "window/Formatka.h"
#include "window/SeriesCharts.h"
#include "window/ToolWindow.h"

using namespace moravel;

// ---- The main window's side

window::DesignStormWindow* TFormatkaOkno::designStormWindow() const
{
    return designStormWindow_;
}

void TFormatkaOkno::BindDesignStormCommand()
{
    AppendMenuCommand(form_->MenuOpad, QStringLiteral("Opad projektowy..."), QStringLiteral("MenuOpadOpadProjektowy"),
                      &TFormatkaOkno::MenuOpadOpadProjektowyClick);
}

void TFormatkaOkno::MenuOpadOpadProjektowyClick()
{
    ShowOwnWindow(designStormWindow_);
}

namespace moravel::window {

namespace {

// Ctrl+V in a table pastes the clipboard from its current cell.
class TablePaste : public QObject {
public:
    explicit TablePaste(QTableWidget* table) : QObject(table), table_(table) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
            PasteIntoTable(*table_, QGuiApplication::clipboard()->text());
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QTableWidget* table_;
};

// 1, 2, 5, 10, 20, 50, ... hours: the least that leaves at most twelve labels.
int HourStep(int hours)
{
    for (int scale = 1;; scale *= 10)
        for (int step : {1, 2, 5})
            if (hours / (step * scale) <= 12)
                return step * scale;
}

}  // namespace

QString DesignStormTypedModeRefusal()
{
    return QStringLiteral(
        "Opadu projektowego nie można wstawić w trybie \"Podaj opad efektywny\" - wyłącz ten "
        "tryb, aby wstawić opad");
}

QString DesignStormTooLongRefusal(int lastHour)
{
    return QStringLiteral("Opad projektowy sięgałby godziny %1, a liczba godzin opadu nie może przekraczać %2!")
        .arg(lastHour)
        .arg(kMaxRainfallHours);
}

void PasteIntoTable(QTableWidget& table, const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().trimmed().isEmpty())
        lines.removeLast();
    const int top = std::max(0, table.currentRow());
    const int left = std::max(0, table.currentColumn());
    if (top + lines.size() > table.rowCount())
        table.setRowCount(top + int(lines.size()));
    for (int r = 0; r < lines.size(); ++r) {
        const QStringList cells = lines[r].split(QLatin1Char('\t'));
        for (int c = 0; c < cells.size() && left + c < table.columnCount(); ++c)
            table.setItem(top + r, left + c, new QTableWidgetItem(cells[c].trimmed()));
    }
}

QTableWidget* NewPasteTable(int rows, const QStringList& headings)
{
    auto* table = new QTableWidget(rows, int(headings.size()));
    table->setHorizontalHeaderLabels(headings);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->verticalHeader()->setDefaultSectionSize(24);
    table->installEventFilter(new TablePaste(table));
    return table;
}

std::vector<std::pair<double, double>> NumberPairs(const QTableWidget& table, QChar decimalSeparator)
{
    std::vector<std::pair<double, double>> pairs;
    for (int r = 0; r < table.rowCount(); ++r) {
        const QTableWidgetItem* a = table.item(r, 0);
        const QTableWidgetItem* b = table.item(r, 1);
        const QString x = a ? a->text().trimmed() : QString();
        const QString y = b ? b->text().trimmed() : QString();
        if (x.isEmpty() && y.isEmpty())
            continue;
        if (x.isEmpty() || y.isEmpty())
            throw Error(QStringLiteral("Uzupełnij wiersz %1 tabeli").arg(r + 1));
        pairs.emplace_back(text::StrToFloat(x, decimalSeparator), text::StrToFloat(y, decimalSeparator));
    }
    return pairs;
}

// ---- Shape controls

StormShapeControls::StormShapeControls()
    : shape_(new QComboBox), peak_(new QComboBox), peakLabel_(new QLabel(QStringLiteral("Szczyt w:"))),
      curve_(NewPasteTable(6, {QStringLiteral("Udział czasu"), QStringLiteral("Udział opadu")}))
{
    shape_->setObjectName(QStringLiteral("OpadProjektowyKsztalt"));
    for (model::StormShape s : {model::StormShape::Block, model::StormShape::EulerII, model::StormShape::Dvwk,
                                model::StormShape::AlternatingBlock, model::StormShape::UserCurve})
        shape_->addItem(model::StormShapeName(s), static_cast<int>(s));
    shape_->setCurrentIndex(1);
    peak_->setObjectName(QStringLiteral("OpadProjektowySzczyt"));
    for (int i = 0; i < int(std::size(model::kAlternatingPeakShares)); ++i)
        peak_->addItem(model::AlternatingPeakShareText(i));
    peak_->setCurrentIndex(2);
    curve_->setObjectName(QStringLiteral("OpadProjektowyKrzywa"));
    curve_->setToolTip(
        QStringLiteral("Krzywa sumowa: pary (czas, opad narastająco), np. w procentach; wartości są dzielone przez "
                       "ostatni punkt. Wklej ze schowka klawiszami Ctrl+V."));
    curve_->setMinimumHeight(120);

    auto* layout = new QFormLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addRow(QStringLiteral("Kształt hietogramu:"), shape_);
    layout->addRow(peakLabel_, peak_);
    layout->addRow(curve_);
    connect(shape_, &QComboBox::currentIndexChanged, this, [this] { ShowWhatTheShapeNeeds(); });
    ShowWhatTheShapeNeeds();
}

model::StormShape StormShapeControls::Shape() const
{
    return static_cast<model::StormShape>(shape_->currentData().toInt());
}

void StormShapeControls::ShowWhatTheShapeNeeds()
{
    const bool alternating = Shape() == model::StormShape::AlternatingBlock;
    peak_->setVisible(alternating);
    peakLabel_->setVisible(alternating);
    curve_->setVisible(Shape() == model::StormShape::UserCurve);
}

void StormShapeControls::Fill(model::DesignStormInputs& design, QChar decimalSeparator) const
{
    design.shape = Shape();
    design.peakShare = model::kAlternatingPeakShares[std::clamp(peak_->currentIndex(), 0, 4)];
    if (design.shape == model::StormShape::UserCurve) {
        std::vector<model::CumulativePoint> points;
        for (const auto& [t, p] : NumberPairs(*curve_, decimalSeparator))
            points.push_back({t, p});
        design.userCurve = model::CumulativeCurve(points);
    }
}

// ---- The design-storm window

DesignStormWindow::DesignStormWindow(TFormatkaOkno& owner)
    : QWidget(&owner, Qt::Window), owner_(owner), duration_(new QSpinBox), source_(new QComboBox),
      depth_(new QLineEdit),
      depthTable_(NewPasteTable(8, {QStringLiteral("Czas trwania [h]"), QStringLiteral("Opad [mm]")})),
      shape_(new StormShapeControls), decimals_(new QSpinBox), start_(new QSpinBox),
      preview_(new QPushButton(QStringLiteral("Podgląd"))),
      insert_(new QPushButton(QStringLiteral("Wstaw do tabeli opadu"))), chart_(new QChartView),
      values_(new QTableWidget(0, 1)), sum_(new QLabel)
{
    setObjectName(QStringLiteral("OpadProjektowy"));
    setWindowTitle(QStringLiteral("Opad projektowy"));
    duration_->setObjectName(QStringLiteral("OpadProjektowyCzas"));
    duration_->setRange(1, model::kMaxDesignStormHours);
    duration_->setValue(24);
    duration_->setSuffix(QStringLiteral(" h"));
    source_->setObjectName(QStringLiteral("OpadProjektowyZrodlo"));
    source_->addItem(QStringLiteral("Wysokość opadu P"));
    source_->addItem(QStringLiteral("Tabela wysokość - czas trwania"));
    // The table first: the shape offered first, Euler type II, is built from it (one depth
    // alone makes no Euler storm).
    source_->setCurrentIndex(1);
    depth_->setObjectName(QStringLiteral("OpadProjektowyP"));
    depthTable_->setObjectName(QStringLiteral("OpadProjektowyTabela"));
    depthTable_->setToolTip(
        QStringLiteral("Wysokości opadu o tym samym prawdopodobieństwie dla kilku czasów trwania (np. z atlasu); "
                       "pośrednie czasy trwania są interpolowane liniowo w logarytmach czasu i wysokości. "
                       "Wklej ze schowka klawiszami Ctrl+V."));
    decimals_->setObjectName(QStringLiteral("OpadProjektowyMiejsca"));
    decimals_->setRange(0, 3);
    decimals_->setValue(1);
    start_->setObjectName(QStringLiteral("OpadProjektowyOdGodziny"));
    start_->setRange(1, kMaxRainfallHours);
    start_->setValue(1);
    start_->setToolTip(
        QStringLiteral("Godzina tabeli opadu, od której zaczyna się opad projektowy; puste wcześniejsze godziny "
                       "dostają 0"));
    preview_->setObjectName(QStringLiteral("OpadProjektowyPodglad"));
    insert_->setObjectName(QStringLiteral("OpadProjektowyWstaw"));
    values_->setObjectName(QStringLiteral("OpadProjektowyWartosci"));
    values_->setHorizontalHeaderLabels({QStringLiteral("Opad [mm]")});
    values_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    values_->verticalHeader()->setDefaultSectionSize(22);
    values_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    values_->setMinimumWidth(150);
    values_->setMaximumWidth(180);
    sum_->setObjectName(QStringLiteral("OpadProjektowySuma"));
    QChart* chart = chart_->chart();
    chart->setTitle(QStringLiteral("Hietogram opadu projektowego"));
    chart->setLocalizeNumbers(true);
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart_->setMinimumSize(420, 300);

    LayOut();
    const auto guarded = [this](void (DesignStormWindow::*handler)()) {
        return [this, handler] { owner_.Guarded([this, handler] { (this->*handler)(); }); };
    };
    connect(preview_, &QPushButton::clicked, this, guarded(&DesignStormWindow::PodgladClick));
    connect(insert_, &QPushButton::clicked, this, guarded(&DesignStormWindow::WstawClick));
    const auto showSource = [this] {
        depth_->setEnabled(source_->currentIndex() == 0);
        depthTable_->setEnabled(source_->currentIndex() == 1);
    };
    connect(source_, &QComboBox::currentIndexChanged, this, showSource);
    showSource();
    CloseOnEscape(*this);
    FitToolWindow(*this, QSize(980, 640), owner_.ScreenSize());
}

DesignStormWindow::~DesignStormWindow() = default;

void DesignStormWindow::LayOut()
{
    auto* inputs = new QFormLayout;
    inputs->addRow(QStringLiteral("Czas trwania:"), duration_);
    inputs->addRow(QStringLiteral("Dane:"), source_);
    inputs->addRow(QStringLiteral("Wysokość opadu P [mm]:"), depth_);
    auto* left = new QVBoxLayout;
    left->addLayout(inputs);
    left->addWidget(depthTable_, 1);
    left->addWidget(shape_);
    auto* rounding = new QFormLayout;
    rounding->addRow(QStringLiteral("Miejsca dziesiętne:"), decimals_);
    rounding->addRow(QStringLiteral("Od godziny tabeli:"), start_);
    left->addLayout(rounding);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(preview_);
    buttons->addWidget(insert_);
    left->addLayout(buttons);

    auto* right = new QVBoxLayout;
    right->addWidget(chart_, 1);
    right->addWidget(sum_);
    auto* foot = new QHBoxLayout;
    foot->addStretch(1);
    foot->addWidget(NewCloseButton(*this));
    right->addLayout(foot);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 2);
    layout->addLayout(right, 4);
    layout->addWidget(values_, 1);
}

model::DesignStormInputs DesignStormWindow::DesignFromControls() const
{
    const QChar sep = owner_.DecimalSeparator();
    model::DesignStormInputs design;
    design.hours = duration_->value();
    if (source_->currentIndex() == 0) {
        design.totalDepth = text::StrToFloat(depth_->text().trimmed(), sep);
    } else {
        std::vector<model::DepthDuration> rows;
        for (const auto& [hours, depth] : NumberPairs(*depthTable_, sep))
            rows.push_back({hours, depth});
        design.depthDuration = model::DepthDurationCurve(rows);
    }
    shape_->Fill(design, sep);
    return design;
}

void DesignStormWindow::PodgladClick()
{
    ShowPreview(model::DesignStormHyetograph(DesignFromControls()));
}

void DesignStormWindow::ShowPreview(const std::vector<double>& depths)
{
    const QChar sep = owner_.DecimalSeparator();
    const int decimals = decimals_->value();
    const std::vector<long long> units = model::RoundedUnits(depths, decimals);
    texts_.clear();
    for (long long u : units)
        texts_.push_back(model::UnitsText(u, decimals, sep));

    values_->setRowCount(int(texts_.size()));
    for (int i = 0; i < int(texts_.size()); ++i) {
        auto* item = new QTableWidgetItem(texts_[std::size_t(i)]);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        values_->setItem(i, 0, item);
    }
    sum_->setText(QStringLiteral("Suma: %1 mm w %2 h")
                      .arg(model::UnitsText(std::accumulate(units.begin(), units.end(), 0LL), decimals, sep))
                      .arg(units.size()));

    QChart* chart = chart_->chart();
    ClearChart(chart);
    auto* set = new QBarSet(QStringLiteral("Opad"));
    set->setColor(QColor(46, 117, 182));
    QStringList hours;
    double high = 0;
    for (std::size_t i = 0; i < depths.size(); ++i) {
        const double v = double(units[i]) / std::pow(10.0, decimals);
        *set << v;
        high = std::max(high, v);
        hours << QString::number(i + 1);
    }
    auto* series = new QBarSeries;
    series->append(set);
    series->setBarWidth(0.9);
    chart->addSeries(series);
    // The hours are categories of the columns; the axis shows them as numbers, at a step that
    // leaves at most about a dozen labels.
    auto* x = new QBarCategoryAxis;
    x->append(hours);
    x->setVisible(false);
    auto* hourAxis = new QValueAxis;
    hourAxis->setTitleText(QStringLiteral("Godzina"));
    hourAxis->setLabelFormat(QStringLiteral("%.0f"));
    hourAxis->setRange(0.5, double(depths.size()) + 0.5);
    hourAxis->setTickType(QValueAxis::TicksDynamic);
    hourAxis->setTickAnchor(0);
    hourAxis->setTickInterval(HourStep(int(depths.size())));
    hourAxis->setGridLineVisible(false);
    QValueAxis* y = NewAxis(QStringLiteral("Opad [mm]"));
    y->setRange(0, high > 0 ? high : 1);
    y->applyNiceNumbers();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(hourAxis, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
}

void DesignStormWindow::WstawClick()
{
    PodgladClick();
    if (owner_.EffectiveRainTyped()) {
        owner_.messages().Info(DesignStormTypedModeRefusal());
        return;
    }
    const int first = start_->value();
    const int last = first + int(texts_.size()) - 1;
    if (last > kMaxRainfallHours) {
        owner_.messages().Info(DesignStormTooLongRefusal(last));
        return;
    }
    // As a paste: the hour count through its edit (its handler lays out the rows), then the
    // cells, then one refresh of the table.
    owner_.SetRainHourCountText(text::FormatInt(last));
    for (int h = 1; h < first; ++h)
        if (owner_.RainfallText(h).isEmpty())
            owner_.SetRainfallText(h, QStringLiteral("0"));
    for (int i = 0; i < int(texts_.size()); ++i)
        owner_.SetRainfallText(first + i, texts_[std::size_t(i)]);
    owner_.Tabela_OpadClick();
}

}  // namespace moravel::window
