// What the window gives out of a drawn hydrograph, through the real window: the summary in
// the status bar (and the layout it must leave alone), the chart's context menu with the
// clipboard, the saved pictures, the CSV file and the printed page.
#include <QClipboard>
#include <QDir>
#include <QFontInfo>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QValueAxis>
#include <QXmlStreamReader>
#include <cmath>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "WindowFixture.h"
#include "window/ZapisOdczytDanych.h"
#include "text/NumText.h"
#include "window/ChartExport.h"
#include "window/HydrographResults.h"
#include "window/QtSeams.h"
#include "window/wykres.h"

namespace moravel::window::testing {
namespace {

// ---- The numbers, on small hand-made hydrographs

TEST(HydrographResultsTest, SummaryOfAHandMadeHydrograph)
{
    HydrographSnapshot s;
    s.rainfall = {10, 20, 10};
    s.effective = {0, 30, 20};      // more than the rain: the model's random enlargement
    s.discharge = {1, 5, 9, 9, 2};  // the first of two equal peaks counts
    s.area = 4.68;                  // km²: 40 mm on it are 187 200 m³
    const HydrographSummary summary = Summarize(s);
    EXPECT_EQ(summary.peak, 9);
    EXPECT_EQ(summary.peakHour, 3);
    EXPECT_EQ(summary.volume, 26 * 3600.0);
    EXPECT_EQ(summary.effective, 50);
    ASSERT_TRUE(summary.effectiveRatio);
    EXPECT_DOUBLE_EQ(*summary.effectiveRatio, 1.25);
    ASSERT_TRUE(summary.runoffCoefficient);
    EXPECT_DOUBLE_EQ(*summary.runoffCoefficient, 93600.0 / 187200.0);
    EXPECT_EQ(SummaryText(summary, QLatin1Char(',')),
              QStringLiteral("Przepływ maksymalny: 9,00 m³/s w godzinie 3   |   Objętość odpływu: 93,6 tys. m³   |   "
                             "Opad efektywny: 50,0 mm   |   Hef/P: 1,25   |   Współczynnik odpływu: 0,50"));

    // Without the area (a caption that is not a number, or none) there is no coefficient,
    // but Hef/P stays.
    for (const std::optional<double> area : {std::optional<double>(), std::optional<double>(0.0)}) {
        s.area = area;
        EXPECT_TRUE(Summarize(s).effectiveRatio);
        EXPECT_FALSE(Summarize(s).runoffCoefficient);
        EXPECT_TRUE(SummaryText(Summarize(s), QLatin1Char(','))
                        .endsWith(QStringLiteral("Hef/P: 1,25   |   Współczynnik odpływu: –")));
    }
    // Typed effective rainfall: no rainfall series, so neither; nor for a dry storm.
    s.area = 4.68;
    for (const std::vector<float>& rainfall : {std::vector<float>(), std::vector<float>{0, 0, 0}}) {
        s.rainfall = rainfall;
        EXPECT_FALSE(Summarize(s).effectiveRatio);
        EXPECT_FALSE(Summarize(s).runoffCoefficient);
        EXPECT_TRUE(SummaryText(Summarize(s), QLatin1Char('.'))
                        .endsWith(QStringLiteral("Hef/P: –   |   Współczynnik odpływu: –")));
    }
}

TEST(HydrographResultsTest, VolumesInAReadableUnit)
{
    const struct {
        double m3;
        QChar sep;
        const char* text;
    } cases[] = {
        {0, ',', "0 m³"},
        {850.4, ',', "850 m³"},
        {999.4, '.', "999 m³"},
        {1000, ',', "1,0 tys. m³"},
        {12345, ',', "12,3 tys. m³"},
        {999949, '.', "999.9 tys. m³"},
        {1e6, ',', "1,00 mln m³"},
        {3.5249e6, '.', "3.52 mln m³"},
        {1.234e9, ',', "1234,00 mln m³"},
        // The unit is chosen after rounding: what rounds up to a thousand of a unit is shown
        // in the next one, never as "1000".
        {999.49, ',', "999 m³"},
        {999.5, ',', "1,0 tys. m³"},
        {999.96, ',', "1,0 tys. m³"},
        {1049.9, ',', "1,0 tys. m³"},
        {1050, ',', "1,1 tys. m³"},
        {999949.99, ',', "999,9 tys. m³"},
        {999950, ',', "1,00 mln m³"},
        {999960, ',', "1,00 mln m³"},
        {999999, ',', "1,00 mln m³"},
        {999999.9, '.', "1.00 mln m³"},
        {1004999, ',', "1,00 mln m³"},
        {1005000, ',', "1,01 mln m³"},
        {999994999, ',', "999,99 mln m³"},
        {999995000, ',', "1000,00 mln m³"},
        {-0.4, ',', "0 m³"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatVolume(c.m3, c.sep), QString::fromUtf8(c.text)) << std::fixed << c.m3;
    // Every volume from 999 950 m³ up is shown in millions.
    for (int m3 = 999950; m3 <= 999999; ++m3)
        EXPECT_EQ(FormatVolume(m3, QLatin1Char(',')), QStringLiteral("1,00 mln m³")) << m3;
}

TEST(HydrographResultsTest, CsvFieldsFollowTheDecimalSeparator)
{
    HydrographSnapshot s;
    s.rainfall = {1.5f, 2};
    s.effective = {0, 0.25f};
    s.discharge = {0.125f, 3, 0.5f};
    EXPECT_EQ(HydrographCsv(s, QLatin1Char(',')).Text(),
              QStringLiteral("Godzina;Opad [mm];Opad efektywny [mm];Przepływ [m³/s]\r\n"
                             "1;1,5;0;0,125\r\n2;2;0,25;3\r\n3;;;0,5\r\n"));
    EXPECT_EQ(HydrographCsv(s, QLatin1Char('.')).Text(),
              QStringLiteral("Godzina,Opad [mm],Opad efektywny [mm],Przepływ [m³/s]\r\n"
                             "1,1.5,0,0.125\r\n2,2,0.25,3\r\n3,,,0.5\r\n"));
    // A storm longer than its hydrograph keeps its hours; a typed one has no rainfall.
    s.rainfall.clear();
    s.effective = {1, 2, 3, 4};
    EXPECT_EQ(HydrographCsv(s, QLatin1Char('.')).Text().split(QStringLiteral("\r\n")).mid(3, 2),
              (QStringList{QStringLiteral("3,,3,0.5"), QStringLiteral("4,,4,")}));
}

// ---- Through the window, on the example catchment

class ResultsTest : public WindowFixture {
protected:
    void SetUp() override
    {
        source = &random;
        WindowFixture::SetUp();
        Rebuild();
    }
    void Rebuild(QSize screen = QSize(1280, 1024))
    {
        window.reset();
        messages.Clear();
        TFormatkaOkno::Options options;
        options.messages = &messages;
        options.dialogs = &dialogs;
        options.workbookOpener = &opener;
        options.printing = &printing;
        options.random = source;
        options.screen = screen;
        options.decimalSeparator = QLatin1Char(',');
        window = std::make_unique<TFormatkaOkno>(options);
        window->show();
        QApplication::setActiveWindow(window.get());
        (void)QTest::qWaitForWindowActive(window.get());
        QTest::mouseClick(ui().ImagePowitanie, Qt::LeftButton);
    }
    void LoadExample()
    {
        ASSERT_TRUE(window->Guarded(
            [this] { window::LoadProject(*window, QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr")); }));
        ASSERT_TRUE(ui().MenuObliczenia->isEnabled());
        messages.Clear();
    }
    void Hydrogram()
    {
        ui().MenuObliczeniaHydrogram->trigger();
        ASSERT_TRUE(messages.Errors().isEmpty()) << messages.Errors().front().toStdString();
        ASSERT_TRUE(ui().Wykres->isVisible());
    }
    ChartExport& Export() { return window->chartExport(); }
    QString Summary() { return Export().SummaryLabel()->text(); }
    QAction* MenuItem(const char* name) { return Export().Menu()->findChild<QAction*>(QString::fromLatin1(name)); }
    QString Path(const QString& name) { return dir.filePath(name); }
    QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The texts of a saved SVG drawing in the face and pixel size the screen draws them in:
    // the title, the axis titles and the axes' numbers.
    void ExpectScreenFonts(const QByteArray& svg)
    {
        THydrographChart* chart = ui().Wykres;
        const QFont title = chart->chart()->titleFont();
        const QFont axisTitle = chart->AxisX()->titleFont();
        const QFont numbers = chart->AxisX()->labelsFont();
        const QString face = QFontInfo(numbers).family();
        ASSERT_EQ(QFontInfo(title).family(), face);
        ASSERT_EQ(QFontInfo(axisTitle).family(), face);
        int titles = 0, numberTexts = 0;
        QXmlStreamReader xml(svg);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("text"))
                continue;
            const QString family = xml.attributes().value(QLatin1String("font-family")).toString();
            const double size = xml.attributes().value(QLatin1String("font-size")).toDouble();
            const QString text = xml.readElementText();
            SCOPED_TRACE(text.toStdString());
            EXPECT_EQ(family, face);
            const bool isTitle = text == QLatin1String("Hydrogram");
            const bool isAxisTitle =
                text == QStringLiteral("czas t [h]") || text == QStringLiteral("przepływ Q [m3/s]");
            const QFont drawn = isTitle ? title : isAxisTitle ? axisTitle : numbers;
            (isTitle || isAxisTitle ? titles : numberTexts) += 1;
            EXPECT_EQ(size, QFontInfo(drawn).pixelSize());
        }
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
        EXPECT_EQ(titles, 3);
        EXPECT_GE(numberTexts, 6);
        // No other face anywhere in the file.
        EXPECT_EQ(svg.count("font-family=\""), svg.count(QByteArray("font-family=\"") + face.toUtf8() + '"'));
    }

    FixedSource random{{0.37, 0.81, 0.05, 0.64, 0.92, 0.18, 0.5}};
    PdfPrinting printing;
    QTemporaryDir dir;
};

TEST_F(ResultsTest, StatusBarSummarisesTheChartAndChangesOnlyWithIt)
{
    LoadExample();
    EXPECT_TRUE(Summary().isEmpty());
    Hydrogram();

    // Recomputed here from the chart's points and the rainfall table.
    const QList<QPointF> points = ui().Wykres->Series1()->points();
    ASSERT_FALSE(points.isEmpty());
    QPointF peak = points.front();
    double sum = 0;
    for (const QPointF& p : points) {
        if (p.y() > peak.y())
            peak = p;
        sum += p.y();
    }
    double rain = 0, effective = 0;
    for (int i = 1; i <= 24; ++i) {
        rain += text::StrToFloat(Table()->Cell(1, i), QLatin1Char(','));
        effective += text::StrToFloat(Table()->Cell(2, i), QLatin1Char(','));
    }
    EXPECT_NEAR(rain, 71.5, 1e-9);
    const QString text = Summary();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Przepływ maksymalny: %1 m³/s w godzinie %2")
                                    .arg(QString::number(peak.y(), 'f', 2).replace('.', ','))
                                    .arg(peak.x())))
        << text.toStdString();
    // The chart's trimmed tail holds less than a cubic metre an hour: the volume's shown
    // digits are those of the chart's points.
    const QString volume = FormatVolume(sum * 3600, QLatin1Char(','));
    EXPECT_TRUE(volume.endsWith(QStringLiteral("mln m³")) || volume.endsWith(QStringLiteral("tys. m³")));
    EXPECT_TRUE(text.contains(QStringLiteral("Objętość odpływu: ") + volume)) << text.toStdString();
    // The table shows the effective rainfall rounded; one decimal survives the rounding.
    EXPECT_TRUE(text.contains(
        QStringLiteral("Opad efektywny: %1 mm").arg(QString::number(effective, 'f', 1).replace('.', ','))))
        << text.toStdString();
    // Hef/P from the tables, the coefficient from the chart's volume over the storm's water
    // on the area the hydrograph was computed with.
    const double area = text::StrToFloat(ui().LabelSCSPowierzchniaWartosc->text(), QLatin1Char(','));
    ASSERT_NEAR(area, 103.7, 1e-4);
    EXPECT_EQ(Export().Snapshot().area, area);
    const double coefficient = sum * 3600 / (area * 1e6 * rain / 1000);
    EXPECT_TRUE(text.endsWith(QStringLiteral("Hef/P: %1   |   Współczynnik odpływu: %2")
                                  .arg(QString::number(effective / rain, 'f', 2).replace('.', ','))
                                  .arg(QString::number(coefficient, 'f', 2).replace('.', ','))))
        << text.toStdString();
    // The tooltip says why Hef/P may exceed 1 and how the volume stands to A · ΣHef.
    QTextDocument tipText;
    tipText.setHtml(Export().SummaryLabel()->toolTip());
    const QString tip = tipText.toPlainText();
    EXPECT_TRUE(tip.contains(QStringLiteral("Hef/P może przekroczyć 1"))) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("0,75 · A · ΣHef"))) << tip.toStdString();
    EXPECT_TRUE(Export().SummaryLabel()->isVisible());

    // A report is a new realisation but not a new chart; a failed Hydrogram draws nothing.
    random = FixedSource({0.9, 0.1, 0.7});
    ui().MenuObliczeniaRaportExcel->trigger();
    ASSERT_EQ(opener.opened.size(), 1);
    QDir(QFileInfo(opener.opened.front()).absolutePath()).removeRecursively();
    EXPECT_EQ(Summary(), text);
    window->SetText(ui().EditParametryn, QStringLiteral("x"));
    messages.Clear();
    ui().MenuObliczeniaHydrogram->trigger();
    EXPECT_FALSE(messages.Errors().isEmpty());
    EXPECT_EQ(Summary(), text);

    // The next chart brings its own summary.
    window->SetText(ui().EditParametryn, QStringLiteral("0,06"));
    messages.Clear();
    Hydrogram();
    EXPECT_NE(Summary(), text);
}

TEST_F(ResultsTest, StatusBarLeavesEveryControlWhereItWas)
{
    LoadExample();
    Hydrogram();
    QWidget* const controls[] = {ui().PanelOpad,   ui().PanelSCS,        ui().PanelParametry, ui().PanelLicencja,
                                 ui().Wykres,      ui().ImageTlo,        ui().EditTytul1,     ui().EditTytul2,
                                 ui().Tabela_Opad, ui().EditParametryRB, ui().Tabela_SCS,     ui().MenuGlowne};
    const auto geometries = [&] {
        std::vector<QRect> rects;
        for (QWidget* w : controls)
            rects.push_back(QRect(w->mapTo(window.get(), QPoint(0, 0)), w->size()));
        return rects;
    };
    QStatusBar* bar = window->statusBar();
    ASSERT_TRUE(bar->isVisible());
    ASSERT_GT(bar->height(), 10);
    const std::vector<QRect> with = geometries();
    const QRect barRect(bar->mapTo(window.get(), QPoint(0, 0)), bar->size());
    // On a 1280 × 1024 screen every panel and the chart end above the bar.
    for (size_t i = 0; i < with.size(); ++i)
        EXPECT_FALSE(with[i].intersects(barRect)) << controls[i]->objectName().toStdString();
    EXPECT_EQ(window->size(), QSize(1280, 1024));

    bar->hide();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->centralWidget()->geometry().bottom() >= barRect.top(); }));
    EXPECT_EQ(geometries(), with);
}

TEST_F(ResultsTest, OnA768PixelScreenTheChartsTimeAxisEndsAboveTheStatusBar)
{
    Rebuild(QSize(1024, 768));
    LoadExample();
    Hydrogram();
    THydrographChart* chart = ui().Wykres;
    QStatusBar* bar = window->statusBar();
    ASSERT_TRUE(bar->isVisible());
    const auto barTop = [&] { return bar->mapTo(window.get(), QPoint(0, 0)).y(); };
    const auto chartBottom = [&] { return chart->mapTo(window.get(), QPoint(0, chart->height())).y(); };
    // The chart is laid out anew at the size of its view.
    const auto laidOut = [&] {
        return QTest::qWaitFor([&] { return chart->chart()->size().toSize() == chart->viewport()->size(); });
    };
    // Under the plot area: the tick numbers, then the axis title, in the fonts they are drawn in.
    const auto axisBottom = [&] {
        const QPointF plotBottom = chart->mapFromScene(chart->chart()->plotArea().bottomLeft());
        return chart->viewport()->mapTo(window.get(), plotBottom.toPoint()).y() +
               QFontMetrics(chart->AxisX()->labelsFont()).height() + QFontMetrics(chart->AxisX()->titleFont()).height();
    };

    // The chart keeps its place and width, and is only as high as the room above the bar.
    EXPECT_EQ(chart->pos(), QPoint(200, 512));
    EXPECT_EQ(chart->width(), 1024 - 220);
    EXPECT_LT(chart->height(), 251);
    EXPECT_GT(chart->height(), 200);
    EXPECT_LE(chartBottom(), barTop());
    ASSERT_TRUE(laidOut());
    EXPECT_LE(axisBottom(), barTop());

    // The chart follows the room it has: without the bar it grows (up to its designed height),
    // and shrinks again when the bar comes back.
    const int withBar = chart->height();
    bar->hide();
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart->height() > withBar; }));
    EXPECT_LE(chart->height(), 251);
    EXPECT_LE(chartBottom(), window->height());
    bar->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart->height() == withBar; }));
    ASSERT_TRUE(laidOut());
    EXPECT_LE(axisBottom(), barTop());
}

TEST_F(ResultsTest, ContextMenuOpensByMouseAndByTheMenuKey)
{
    LoadExample();
    Hydrogram();
    QMenu* menu = Export().Menu();
    QStringList captions;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            captions << a->text();
    EXPECT_EQ(captions, (QStringList{"Kopiuj wykres", "Kopiuj dane", "Zapisz wykres jako...",
                                     "Zapisz hydrogram jako CSV...", "Drukuj...", "Porównaj z pomiarem..."}));

    QWidget* viewport = ui().Wykres->viewport();
    const QPoint at(200, 100);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &click);
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
    EXPECT_LT((menu->pos() - viewport->mapToGlobal(at)).manhattanLength(), 3);
    menu->hide();

    // The menu key: the window system turns it into a keyboard context-menu event for the
    // focused widget (a click on the chart gives it the focus).
    EXPECT_NE(ui().Wykres->focusPolicy() & Qt::ClickFocus, 0);
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(10, 10), ui().Wykres->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(ui().Wykres, &key);
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
    menu->hide();
}

TEST_F(ResultsTest, TheMenusStatusTipsTellTheChartsRowsFromAllHours)
{
    LoadExample();
    Hydrogram();
    const QString summary = Summary();
    QMenu* menu = Export().Menu();
    menu->popup(ui().Wykres->viewport()->mapToGlobal(QPoint(200, 100)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QStatusBar* bar = window->statusBar();
    const struct {
        const char* item;
        const char* says;
    } tips[] = {
        {"MenuWykresKopiujDane", "narysowane na wykresie"},
        {"MenuWykresZapiszCSV", "Wszystkie godziny hydrogramu"},
    };
    for (const auto& tip : tips) {
        QAction* action = MenuItem(tip.item);
        QTest::mouseMove(menu, menu->actionGeometry(action).center());
        ASSERT_TRUE(QTest::qWaitFor([&] { return menu->activeAction() == action; })) << tip.item;
        EXPECT_TRUE(bar->currentMessage().contains(QString::fromUtf8(tip.says))) << bar->currentMessage().toStdString();
    }
    // Once the menu is gone, the bar shows the summary again.
    menu->hide();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->currentMessage().isEmpty(); }));
    EXPECT_TRUE(Export().SummaryLabel()->isVisible());
    EXPECT_EQ(Summary(), summary);
}

TEST_F(ResultsTest, CopiesTheChartAndItsData)
{
    LoadExample();
    Hydrogram();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    MenuItem("MenuWykresKopiujDane")->trigger();
    const QList<QPointF> points = ui().Wykres->Series1()->points();
    QStringList lines = clipboard->text().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.takeLast(), QString());
    ASSERT_EQ(lines.size(), points.size());
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(QLatin1Char('\t'));
        ASSERT_EQ(cells.size(), 2) << lines[i].toStdString();
        EXPECT_EQ(cells[0], QString::number(i + 1));
        EXPECT_FALSE(cells[1].contains(QLatin1Char('.')));
        EXPECT_NEAR(text::StrToFloat(cells[1], QLatin1Char(',')), points[i].y(), 5e-5);
    }

    MenuItem("MenuWykresKopiujWykres")->trigger();
    const QImage image = clipboard->image();
    ASSERT_EQ(image.size(), ui().Wykres->viewport()->size());
    // The curve's blue is in the picture.
    int blue = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == QColor(0, 0, 255))
                ++blue;
    EXPECT_GT(blue, 100);
}

TEST_F(ResultsTest, SavesThePictureInTheFormatOfTheNameOrTheFilter)
{
    LoadExample();
    Hydrogram();
    const struct {
        const char* name;
        int filter;
        const char* written;
        QByteArray start;
    } cases[] = {
        {"a.png", -1, "a.png", "\x89PNG"}, {"b.svg", 0, "b.svg", "<?xml"}, {"c.PDF", 1, "c.PDF", "%PDF"},
        {"d", 1, "d.svg", "<?xml"},        {"e", 2, "e.pdf", "%PDF"},      {"f", -1, "f.png", "\x89PNG"},
        {"g.jpg", 2, "g.jpg.pdf", "%PDF"},
    };
    for (const auto& c : cases) {
        dialogs.answers.push_back(Path(QString::fromLatin1(c.name)));
        dialogs.filterAnswers.push_back(c.filter);
        MenuItem("MenuWykresZapiszWykres")->trigger();
        const QByteArray bytes = Read(Path(QString::fromLatin1(c.written)));
        EXPECT_TRUE(bytes.startsWith(c.start)) << c.name;
    }
    EXPECT_TRUE(messages.log.empty());
    EXPECT_EQ(dialogs.asked.back().dialogSpec.title, QStringLiteral("Zapisanie wykresu"));
    EXPECT_EQ(dialogs.asked.back().lastName, Path(QStringLiteral("f")));

    const QImage png(Path(QStringLiteral("a.png")));
    EXPECT_EQ(png.size(), ui().Wykres->viewport()->size() * 2);
    const QByteArray svg = Read(Path(QStringLiteral("b.svg")));
    EXPECT_TRUE(svg.contains("<svg")) << svg.left(200).constData();
    EXPECT_TRUE(svg.contains("Hydrogram"));
    EXPECT_TRUE(svg.contains("#0000ff"));  // the curve
    ExpectScreenFonts(svg);
    EXPECT_EQ(Read(Path(QStringLiteral("e.pdf"))).count("/Type /Page\n") +
                  Read(Path(QStringLiteral("e.pdf"))).count("/Type /Page\r"),
              1);

    // Cancelled: nothing; an unwritable place: the message, and no file.
    dialogs.answers.push_back(std::nullopt);
    MenuItem("MenuWykresZapiszWykres")->trigger();
    EXPECT_TRUE(messages.log.empty());
    const QString missing = Path(QStringLiteral("brak/h.png"));
    dialogs.answers.push_back(missing);
    MenuItem("MenuWykresZapiszWykres")->trigger();
    EXPECT_EQ(messages.Errors(), QStringList{QStringLiteral("Nie można utworzyć pliku ") + missing + '.'});
}

TEST_F(ResultsTest, SavesTheHydrographAsCsv)
{
    LoadExample();
    Hydrogram();
    const model::ComputationState drawn = window->State();
    dialogs.answers.push_back(Path(QStringLiteral("hydrogram")));
    MenuItem("MenuWykresZapiszCSV")->trigger();
    ASSERT_TRUE(messages.log.empty());
    QByteArray bytes = Read(Path(QStringLiteral("hydrogram.csv")));
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.takeLast(), QString());
    EXPECT_EQ(lines.takeFirst(), QStringLiteral("Godzina;Opad [mm];Opad efektywny [mm];Przepływ [m³/s]"));
    ASSERT_EQ(lines.size(), std::max(24, int(drawn.HydrographLength)));
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(QLatin1Char(';'));
        ASSERT_EQ(cells.size(), 4);
        const int hour = i + 1;
        EXPECT_EQ(cells[0], QString::number(hour));
        if (hour <= 24) {
            EXPECT_EQ(text::StrToFloat(cells[1], QLatin1Char(',')),
                      text::StrToFloat(Table()->Cell(1, hour), QLatin1Char(',')));
            EXPECT_NEAR(text::StrToFloat(cells[2], QLatin1Char(',')), drawn.EffectiveRain[hour], 5e-5);
        } else {
            EXPECT_TRUE(cells[1].isEmpty() && cells[2].isEmpty());
        }
        if (hour <= drawn.HydrographLength)
            EXPECT_NEAR(text::StrToFloat(cells[3], QLatin1Char(',')), drawn.HydrographOrdinates[hour], 5e-5);
    }

    // The file holds the chart's realisation, not the report's later one.
    random = FixedSource({0.9, 0.1, 0.7});
    ui().MenuObliczeniaRaportExcel->trigger();
    QDir(QFileInfo(opener.opened.front()).absolutePath()).removeRecursively();
    dialogs.answers.push_back(Path(QStringLiteral("again.CSV")));
    MenuItem("MenuWykresZapiszCSV")->trigger();
    EXPECT_EQ(Read(Path(QStringLiteral("again.CSV"))), bytes);
}

TEST_F(ResultsTest, ExportsWriteDevicesAndLinkedFilesAsTheyAreAndRefusePipes)
{
    LoadExample();
    Hydrogram();
    const auto lstat = [](const QString& path) {
        struct stat st {};
        ::lstat(QFile::encodeName(path).constData(), &st);
        return st;
    };
    const char* const charts[] = {"png", "svg", "pdf"};
    const auto save = [&](const QString& path) {
        dialogs.answers.push_back(path);
        MenuItem(QFileInfo(path).suffix() == QLatin1String("csv") ? "MenuWykresZapiszCSV" : "MenuWykresZapiszWykres")
            ->trigger();
    };

    // A pipe is refused with the message (nothing waits for a reader); a file with two names
    // is written in place, so the other name holds the picture too.
    for (const char* suffix : charts) {
        const QString pipe = Path(QStringLiteral("kolejka.") + QLatin1String(suffix));
        ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0666), 0);
        save(pipe);
        EXPECT_EQ(messages.Errors().value(0), QStringLiteral("Nie można utworzyć pliku ") + pipe + '.');
        EXPECT_TRUE(S_ISFIFO(lstat(pipe).st_mode));
        messages.log.clear();
    }
    const QString picture = Path(QStringLiteral("wykres.png"));
    QFile(picture).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(picture, Path(QStringLiteral("do_wykresu.png"))));
    ASSERT_EQ(::link(QFile::encodeName(picture).constData(),
                     QFile::encodeName(Path(QStringLiteral("kopia.png"))).constData()),
              0);
    save(Path(QStringLiteral("do_wykresu.png")));
    EXPECT_TRUE(Read(Path(QStringLiteral("kopia.png"))).startsWith("\x89PNG"));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("do_wykresu.png"))).isSymLink());
    EXPECT_TRUE(messages.log.empty());

    if (::geteuid() != 0)
        GTEST_SKIP() << "device nodes can only be made by root; run the tests as root to cover them";
    // Device nodes of the test's own: a null device takes every export and stays a device, a
    // full one fails with the message.
    for (const char* suffix : {"png", "svg", "pdf", "csv"}) {
        const QString null = Path(QStringLiteral("null.") + QLatin1String(suffix));
        const QString full = Path(QStringLiteral("full.") + QLatin1String(suffix));
        ASSERT_EQ(::mknod(QFile::encodeName(null).constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
        ASSERT_EQ(::mknod(QFile::encodeName(full).constData(), S_IFCHR | 0666, makedev(1, 7)), 0);
        save(null);
        EXPECT_TRUE(messages.log.empty()) << suffix;
        save(full);
        EXPECT_EQ(messages.Errors().value(0), QStringLiteral("Nie można utworzyć pliku ") + full + '.');
        messages.log.clear();
        EXPECT_TRUE(S_ISCHR(lstat(null).st_mode)) << suffix;
        EXPECT_TRUE(S_ISCHR(lstat(full).st_mode)) << suffix;
    }
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*moravel-*")}, QDir::AllEntries | QDir::Hidden),
              QStringList());
}

TEST_F(ResultsTest, PrintsTheChartOnOnePage)
{
    LoadExample();
    Hydrogram();
    printing.path = Path(QStringLiteral("wydruk.pdf"));
    MenuItem("MenuWykresDrukuj")->trigger();
    ASSERT_EQ(printing.prints, 1);
    const QByteArray pdf = Read(printing.path);
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page>"), 1);
    EXPECT_TRUE(messages.log.empty());
}

// The real preview of QtPrinting, shown without its modal loop: on most of a 1920 × 1080
// screen, the whole landscape page at more than its printed size.
TEST(PrintPreviewTest, OpensOnMostOfTheScreenWithTheWholePageAtMoreThanItsSize)
{
    App();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    int paints = 0;
    const auto paint = [&paints](QPrinter& target) {
        QPainter painter(&target);
        painter.drawRect(QRect(0, 0, target.width() - 1, target.height() - 1));
        ++paints;
    };
    const QRect screen(0, 0, 1920, 1080);
    const std::unique_ptr<QPrintPreviewDialog> preview = MakePrintPreview(printer, paint, nullptr, screen);
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("Podgląd wydruku"));
    const QRect placed = preview->geometry();
    EXPECT_TRUE(screen.contains(placed)) << placed.x() << ',' << placed.y() << ' ' << placed.width() << 'x'
                                         << placed.height();
    EXPECT_GE(placed.width(), 1920 * 85 / 100);
    EXPECT_GE(placed.height(), 1080 * 85 / 100);
    EXPECT_LE(std::abs(placed.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(placed.center().y() - screen.center().y()), 1);

    preview->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(preview.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return paints > 0; }));
    auto* pages = preview->findChild<QPrintPreviewWidget*>();
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->zoomMode(), QPrintPreviewWidget::FitInView);
    EXPECT_EQ(pages->pageCount(), 1);
    // The dialog at Qt's own size showed the page at about half of it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return pages->zoomFactor() > 1.0; })) << pages->zoomFactor();
    EXPECT_TRUE(preview->findChild<QAction*>(QStringLiteral("fitPageAction"))->isChecked());
    preview->close();
}

}  // namespace
}  // namespace moravel::window::testing
