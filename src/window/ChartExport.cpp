#include "window/ChartExport.h"

#include <QAction>
#include <QBuffer>
#include <QChart>
#include <QClipboard>
#include <QEvent>
#include <QGraphicsScene>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QStatusBar>
#include <QSvgGenerator>
#include <QValueAxis>
#include <algorithm>

#include "files/SafeWrite.h"
#include "report/Csv.h"
#include "text/NumText.h"
#include "text/Error.h"
#include "window/FormatkaUi.h"
#include "window/Formatka.h"
#include "window/PomiarOkno.h"
#include "window/Seams.h"
#include "window/wykres.h"

namespace moravel::window {

namespace {

const FileDialogSpec kSaveDialogWykres{
    QStringLiteral("SaveDialogWykres"), QStringLiteral("Zapisanie wykresu"),
    QStringLiteral("Obraz PNG *.png|*.png|Rysunek SVG *.svg|*.svg|Dokument PDF *.pdf|*.pdf"), true};
const FileDialogSpec kSaveDialogCSV{QStringLiteral("SaveDialogCSV"), QStringLiteral("Zapisanie hydrogramu"),
                                    QStringLiteral("Pliki CSV *.csv|*.csv|Wszystkie pliki *.*|*.*"), true};

struct FormatName {
    ChartFormat format;
    const char* suffix;
};
const FormatName kFormats[] = {{ChartFormat::Png, "png"}, {ChartFormat::Svg, "svg"}, {ChartFormat::Pdf, "pdf"}};

// A picture is drawn at twice the chart's size on screen, so that it stays sharp when
// enlarged in a document.
constexpr int kPictureScale = 2;

[[noreturn]] void CannotWrite(const QString& path)
{
    throw Error(QStringLiteral("Nie można utworzyć pliku ") + path);
}

}  // namespace

ChartExport::ChartExport(TFormatkaOkno& window, Printing& printing)
    : QObject(&window), window_(window), printing_(printing), summary_(new QLabel), menu_(new QMenu(&window))
{
    summary_->setObjectName(QStringLiteral("LabelPodsumowanie"));
    QStatusBar* bar = window.statusBar();
    bar->setSizeGripEnabled(false);
    bar->addWidget(summary_, 1);

    menu_->setObjectName(QStringLiteral("MenuWykres"));
    menu_->installEventFilter(this);
    // The two data commands give different rows, and their status tips say which: "Kopiuj
    // dane" the points drawn on the chart (its tail of near-zero discharges cut), the CSV file
    // every hour of the hydrograph with the storm beside it.
    const struct {
        const char* name;
        QString caption;
        QString statusTip;
        void (ChartExport::*command)();
    } items[] = {
        {"MenuWykresKopiujWykres", QStringLiteral("Kopiuj wykres"), QStringLiteral("Obraz wykresu do schowka"),
         &ChartExport::CopyChart},
        {"MenuWykresKopiujDane", QStringLiteral("Kopiuj dane"),
         QStringLiteral("Godziny i przepływy narysowane na wykresie do schowka (bez końcowych godzin "
                        "z przepływem bliskim zera)"),
         &ChartExport::CopyData},
        {nullptr, {}, {}, nullptr},
        {"MenuWykresZapiszWykres", QStringLiteral("Zapisz wykres jako..."),
         QStringLiteral("Obraz wykresu w pliku PNG, SVG albo PDF"), &ChartExport::SaveChart},
        {"MenuWykresZapiszCSV", QStringLiteral("Zapisz hydrogram jako CSV..."),
         QStringLiteral("Wszystkie godziny hydrogramu, także końcowe z przepływem bliskim zera, z opadem "
                        "i opadem efektywnym, do pliku CSV"),
         &ChartExport::SaveCsv},
        {nullptr, {}, {}, nullptr},
        {"MenuWykresDrukuj", QStringLiteral("Drukuj..."), QStringLiteral("Wykres z podsumowaniem na jednej stronie"),
         &ChartExport::Print},
        {nullptr, {}, {}, nullptr},
        {"MenuWykresPomiar", QStringLiteral("Porównaj z pomiarem..."),
         QStringLiteral("Zmierzony hydrogram z pliku na wykresie, jego dopasowanie i dopasowanie parametrów"),
         &ChartExport::CompareWithMeasurement},
    };
    for (const auto& item : items) {
        if (!item.name) {
            menu_->addSeparator();
            continue;
        }
        QAction* action = menu_->addAction(item.caption);
        action->setObjectName(QString::fromLatin1(item.name));
        action->setStatusTip(item.statusTip);
        const auto command = item.command;
        connect(action, &QAction::triggered, this,
                [this, command] { window_.Guarded([this, command] { (this->*command)(); }); });
    }
}

void ChartExport::BindChart()
{
    THydrographChart* chart = Chart();
    chart->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(chart, &QWidget::customContextMenuRequested, this, &ChartExport::ShowMenu);
    designedChartHeight_ = chart->height();
    central_ = window_.centralWidget();
    central_->installEventFilter(this);
    KeepChartAboveBar();
}

bool ChartExport::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == central_ && event->type() == QEvent::Resize)
        KeepChartAboveBar();
    // The menu pops up as a window of its own, so the status tip of the item under the mouse
    // (and the empty one that follows it) would stop at the menu: it goes on to the window's
    // status bar.
    if (watched == menu_ && event->type() == QEvent::StatusTip) {
        window_.statusBar()->showMessage(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ChartExport::KeepChartAboveBar()
{
    // Below this the plot would be too flat to read; a screen that short hides the axis anyway.
    constexpr int kLowestHeight = 120;
    THydrographChart* chart = Chart();
    const int room = central_->height() - chart->y();
    chart->resize(chart->width(), std::max(kLowestHeight, std::min(designedChartHeight_, room)));
}

ChartExport::~ChartExport() = default;

THydrographChart* ChartExport::Chart() const
{
    return UiOf(window_).Wykres;
}

void ChartExport::ShowMenu(const QPoint& position)
{
    // A scroll area's menu position is given in its viewport's coordinates.
    menu_->popup(Chart()->viewport()->mapToGlobal(position));
}

void ChartExport::ChartShown(const model::ComputationState& state, int rainHours, bool typedEffective)
{
    // The hydrograph was computed over the area its caption shows now.
    double area = 0;
    const bool known =
        text::TryStrToFloat(UiOf(window_).LabelSCSPowierzchniaWartosc->text(), window_.DecimalSeparator(), area);
    snapshot_ = TakeSnapshot(state, rainHours, typedEffective, known ? std::optional(area) : std::nullopt);
    summary_->setText(SummaryText(Summarize(snapshot_), window_.DecimalSeparator()));
    summary_->setToolTip(SummaryExplanation());
    // A measured flood drawn before stays on the chart, and its fit follows the new hydrograph.
    if (MeasuredFloodWindow* measured = MeasuredFloodWindow::Find(window_))
        measured->Refresh();
}

void ChartExport::CompareWithMeasurement()
{
    window::CompareWithMeasurement(window_);
}

void ChartExport::PaintChart(QPainter& painter, const QRectF& target) const
{
    THydrographChart* chart = Chart();
    const QRect source = chart->viewport()->rect();
    // The picture keeps the chart's proportions: the largest such rectangle in the middle of
    // the target.
    QSizeF size = QSizeF(source.size()).scaled(target.size(), Qt::KeepAspectRatio);
    const QRectF placed(target.center() - QPointF(size.width() / 2, size.height() / 2), size);
    // The chart's own texts set their fonts; the painter's default is the chart's as well, so
    // that an SVG names no other face anywhere.
    painter.setFont(chart->AxisX()->labelsFont());
    painter.fillRect(placed, Qt::white);
    chart->render(&painter, placed, source, Qt::KeepAspectRatio);
}

void ChartExport::WriteChart(const QString& path, ChartFormat format) const
{
    // The picture is made in memory and handed whole to the program's one writer, which
    // refuses an unwritable place with a message and never leaves half a picture behind.
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    const QSize size = Chart()->viewport()->size();
    switch (format) {
        case ChartFormat::Png: {
            QImage image(size * kPictureScale, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(kPictureScale);
            image.fill(Qt::white);
            {
                QPainter painter(&image);
                painter.setRenderHint(QPainter::Antialiasing);
                PaintChart(painter, QRectF(QPointF(0, 0), QSizeF(size)));
            }
            if (!image.save(&bytes, "PNG"))
                CannotWrite(path);
            break;
        }
        case ChartFormat::Svg: {
            QSvgGenerator svg;
            svg.setOutputDevice(&bytes);
            svg.setSize(size);
            svg.setViewBox(QRect(QPoint(0, 0), size));
            svg.setTitle(QStringLiteral("Hydrogram"));
            QPainter painter;
            if (!painter.begin(&svg))
                CannotWrite(path);
            PaintChart(painter, QRectF(QPointF(0, 0), QSizeF(size)));
            painter.end();
            break;
        }
        case ChartFormat::Pdf: {
            // A figure: one page of the chart's own size, one point per pixel, no margins.
            QPdfWriter pdf(&bytes);
            pdf.setTitle(QStringLiteral("Hydrogram"));
            pdf.setCreator(QStringLiteral("Moravel 1.0"));
            pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch));
            pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
            QPainter painter;
            if (!painter.begin(&pdf))
                CannotWrite(path);
            PaintChart(painter, QRectF(0, 0, pdf.width(), pdf.height()));
            painter.end();
            break;
        }
    }
    files::WriteFileAtomically(path, bytes.data());
}

// ---- The menu's commands

void ChartExport::CopyChart()
{
    const QSize size = Chart()->viewport()->size();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        PaintChart(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    QGuiApplication::clipboard()->setImage(image);
}

void ChartExport::CopyData()
{
    QGuiApplication::clipboard()->setText(DischargeTable(Chart()->Series1()->points(), window_.DecimalSeparator()));
}

void ChartExport::SaveChart()
{
    // The name's own extension decides; a name without one takes the chosen filter's.
    const std::optional<QString> path = window_.AskSaveFile(kSaveDialogWykres);
    if (!path)
        return;
    const QString suffix = QFileInfo(*path).suffix().toLower();
    for (const FormatName& f : kFormats)
        if (suffix == QLatin1String(f.suffix))
            WriteChart(*path, f.format);
}

void ChartExport::SaveCsv()
{
    if (const std::optional<QString> path = window_.AskSaveFile(kSaveDialogCSV))
        report::WriteCsvFile(*path, HydrographCsv(snapshot_, window_.DecimalSeparator()));
}

void ChartExport::PaintPage(QPainter& painter, const QRectF& page) const
{
    // A copy of the chart laid out in the page's proportions (the window's chart is a wide
    // strip), at a width in pixels that keeps its texts in proportion, then scaled onto the page.
    const THydrographChart* chart = Chart();
    QChart copy;
    copy.setTitle(chart->chart()->title());
    copy.setTitleFont(chart->chart()->titleFont());
    copy.legend()->hide();
    copy.setBackgroundBrush(Qt::white);
    copy.setLocalizeNumbers(chart->chart()->localizeNumbers());
    copy.setLocale(chart->chart()->locale());
    auto* series = new QLineSeries;
    series->setPen(chart->Series1()->pen());
    series->replace(chart->Series1()->points());
    copy.addSeries(series);
    const std::pair<QValueAxis*, Qt::Alignment> axes[] = {{chart->AxisX(), Qt::AlignBottom},
                                                          {chart->AxisY(), Qt::AlignLeft}};
    for (const auto& [shown, alignment] : axes) {
        auto* axis = new QValueAxis;
        axis->setTitleText(shown->titleText());
        axis->setTitleFont(shown->titleFont());
        axis->setLabelsFont(shown->labelsFont());
        axis->setLabelFormat(shown->labelFormat());
        axis->setTickType(shown->tickType());
        axis->setTickAnchor(shown->tickAnchor());
        axis->setTickInterval(shown->tickInterval());
        axis->setTickCount(shown->tickCount());
        axis->setMinorTickCount(shown->minorTickCount());
        axis->setRange(shown->min(), shown->max());
        copy.addAxis(axis, alignment);
        series->attachAxis(axis);
    }
    constexpr qreal kWidth = 1000;
    const QSizeF size(kWidth, kWidth * page.height() / page.width());
    copy.resize(size);
    QGraphicsScene scene;
    scene.addItem(&copy);
    scene.render(&painter, page, QRectF(QPointF(0, 0), size), Qt::KeepAspectRatio);
    scene.removeItem(&copy);
}

void ChartExport::Print()
{
    printing_.Print([this](QPrinter& printer) {
        QPainter painter;
        if (!painter.begin(&printer))
            return;
        painter.setRenderHint(QPainter::Antialiasing);
        // The chart on one page, the summary line under it.
        const QRectF page(0, 0, printer.width(), printer.height());
        const qreal line = painter.fontMetrics().height() * 2.0;
        PaintPage(painter, page.adjusted(0, 0, 0, -line));
        painter.drawText(page.adjusted(0, page.height() - line, 0, 0), Qt::AlignCenter, summary_->text());
    });
}

}  // namespace moravel::window
