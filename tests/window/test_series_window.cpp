// "Seria realizacji..." through the real window: the menu item, the series window's fields
// and buttons, the wait for the workers, the figures and the representative realisation
// against the series run directly on the same inputs, the main window's state and chart left
// as they were, exports landing in the typed name and read back, the window on screens from
// 1024 x 768 up, inputs refused before anything runs, and a cancelled series.
#include <QChartView>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cstring>

#include "WindowFixture.h"
#include "ZlewniaSeries.h"
#include "model/HydrographFigures.h"
#include "model/Series.h"
#include "text/NumText.h"
#include "window/SeriaOkno.h"

// Failure messages show sizes as sizes.
inline void PrintTo(const QSize& size, std::ostream* os)
{
    *os << size.width() << "x" << size.height();
}

namespace moravel::window::testing {
namespace {

class SeriesWindowTest : public WindowFixture {
protected:
    void SetUp() override
    {
        source = &random;
        WindowFixture::SetUp();
        dialogs.answers.push_back(QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr"));
        ui().MenuPlikOtworzProjekt->trigger();
        ASSERT_TRUE(dialogs.answers.empty());
        messages.Clear();
        random.draws = random.reseeds = 0;
    }

    QAction* SeriesItem() { return window->findChild<QAction*>(QStringLiteral("MenuObliczeniaSeria")); }
    SeriesWindow* Open()
    {
        SeriesItem()->trigger();
        return window->seriesWindow();
    }
    // Types the count and the seed into their fields and clicks "Licz".
    void Start(SeriesWindow* s, int count, const QString& seed)
    {
        s->CountBox()->setFocus();
        s->CountBox()->selectAll();
        QTest::keyClicks(s->CountBox(), QString::number(count));
        QTest::keyClick(s->CountBox(), Qt::Key_Tab);
        Retype(s->SeedEdit(), seed);
        QTest::mouseClick(s->ComputeButton(), Qt::LeftButton);
    }
    // A CSV file's text after its UTF-8 byte-order mark.
    QString ReadCsv(const QString& path)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        const QByteArray bytes = f.readAll();
        EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF")) << path.toStdString();
        return QString::fromUtf8(bytes.mid(3));
    }

    FixedSource random{{0.5}};
    QTemporaryDir dir;
};

TEST_F(SeriesWindowTest, MenuItemFollowsTheReportAndOpensOneWindow)
{
    const QList<QAction*> items = ui().MenuObliczenia->actions();
    // "Przepływy projektowe..." and "Porównanie wariantów..." follow it.
    ASSERT_EQ(items.size(), 5);
    EXPECT_EQ(items[0], ui().MenuObliczeniaHydrogram);
    EXPECT_EQ(items[1], ui().MenuObliczeniaRaportExcel);
    EXPECT_EQ(items[2]->text(), QStringLiteral("Seria realizacji..."));
    EXPECT_TRUE(ui().MenuObliczenia->isEnabled());

    SeriesWindow* s = Open();
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->isVisible());
    EXPECT_TRUE(s->isWindow());
    EXPECT_EQ(s->CountBox()->value(), 1000);
    EXPECT_FALSE(s->SeedEdit()->text().isEmpty());
    EXPECT_FALSE(s->CancelButton()->isEnabled());
    EXPECT_FALSE(s->WorkbookButton()->isEnabled());
    s->close();
    EXPECT_EQ(Open(), s);
}

TEST_F(SeriesWindowTest, SeriesOfTheExampleMatchesTheCoreAndLeavesTheMainWindowAlone)
{
    ui().MenuObliczeniaHydrogram->trigger();
    const model::ComputationState before = window->State();
    const QList<QPointF> chartBefore = ui().Wykres->Series1()->points();
    random.draws = random.reseeds = 0;

    SeriesWindow* s = Open();
    Start(s, 250, QStringLiteral("777"));
    EXPECT_TRUE(s->Running() || s->Result());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s->Running(); }, 30000));
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    ASSERT_TRUE(s->Result());
    const model::SeriesResult& r = *s->Result();

    // The same series, run directly on the example's inputs.
    const model::SeriesResult direct = model::RunSeries(examples::ZlewniaSeriesInputs(), 250, 777, 1);
    EXPECT_EQ(r.succeeded, 250);
    EXPECT_EQ(r.band, direct.band);
    EXPECT_EQ(r.peak.percentiles, direct.peak.percentiles);
    EXPECT_EQ(s->Progress()->value(), 250);

    // The table: peak, hour of the peak, volume in thousands of m3, with the realisation count.
    const QTableWidget* t = s->SpreadTable();
    EXPECT_EQ(t->verticalHeaderItem(1)->text(), QStringLiteral("Godzina szczytu [h]"));
    EXPECT_EQ(t->item(0, 3)->text(), QString::number(direct.peak.percentiles[2], 'f', 2).replace('.', ','));
    EXPECT_EQ(t->item(1, 0)->text(), QString::number(direct.peakHour.min, 'f', 1).replace('.', ','));
    EXPECT_EQ(t->item(2, 6)->text(), QString::number(direct.volume.max / 1000, 'f', 1).replace('.', ','));
    EXPECT_EQ(t->item(0, 8)->text(), QStringLiteral("250"));
    EXPECT_TRUE(s->Status()->text().contains(QStringLiteral("Policzono 250 z 250 realizacji (ziarno 777)")));
    // The band, the median and the representative realisation, a hydrograph of the series
    // whose peak is nearest the median peak, drawn whole; the line under the chart says the
    // median curve is none.
    const QList<QAbstractSeries*> drawn = s->BandChart()->chart()->series();
    ASSERT_EQ(drawn.size(), 4);
    EXPECT_EQ(r.representative, direct.representative);
    ASSERT_GE(direct.representative, 0);
    const auto* representative = qobject_cast<const QLineSeries*>(drawn[3]);
    ASSERT_NE(representative, nullptr);
    EXPECT_EQ(representative->name(),
              QStringLiteral("Realizacja reprezentatywna (nr %1)").arg(direct.representative + 1));
    const QList<QPointF> points = representative->points();
    ASSERT_GE(points.size(), static_cast<int>(direct.representativeDischarge.size()) / 2);
    for (int i = 0; i < points.size(); ++i) {
        const int hour = i + 1;
        EXPECT_EQ(points[i].x(), hour);
        EXPECT_EQ(points[i].y(), hour <= static_cast<int>(direct.representativeDischarge.size())
                                     ? direct.representativeDischarge[static_cast<std::size_t>(i)]
                                     : 0.0f);
    }
    double drawnPeak = 0;
    for (const QPointF& p : points)
        drawnPeak = std::max(drawnPeak, p.y());
    EXPECT_EQ(drawnPeak, direct.realisations[static_cast<std::size_t>(direct.representative)].peak);
    EXPECT_TRUE(s->BandNote()->isVisible());
    EXPECT_TRUE(s->BandNote()->text().contains(QStringLiteral("nie jest hydrogramem")));
    EXPECT_EQ(s->BandChart()->chart()->axes(Qt::Horizontal).front()->titleText(), QStringLiteral("Czas [h]"));
    EXPECT_EQ(s->BandChart()->chart()->axes(Qt::Vertical).front()->titleText(), QStringLiteral("Przepływ [m³/s]"));

    // Nothing of the main window moved: its state, its chart, its random source.
    const model::ComputationState& after = window->State();
    EXPECT_EQ(std::memcmp(before.Rainfall, after.Rainfall, sizeof before.Rainfall), 0);
    EXPECT_EQ(std::memcmp(before.EffectiveRain, after.EffectiveRain, sizeof before.EffectiveRain), 0);
    EXPECT_EQ(before.HydrographOrdinates, after.HydrographOrdinates);
    EXPECT_EQ(before.HydrographLength, after.HydrographLength);
    EXPECT_EQ(before.PeakDischarge, after.PeakDischarge);
    EXPECT_EQ(before.RainfallMaxRounded, after.RainfallMaxRounded);
    EXPECT_EQ(ui().Wykres->Series1()->points(), chartBefore);
    EXPECT_EQ(random.draws, 0);
    EXPECT_EQ(random.reseeds, 0);

    // The same seed again gives the same series.
    Start(s, 250, QStringLiteral("777"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s->Running(); }, 30000));
    EXPECT_EQ(s->Result()->band, direct.band);
}

// "Podaj opad efektywny": the typed effective rainfall and the typed area, no draws of the
// effective rainfall itself.
TEST_F(SeriesWindowTest, DirectEffectiveRainfallUsesTheTypedColumnAndArea)
{
    QTest::mouseClick(ui().CheckBoxOpad, Qt::LeftButton);
    ASSERT_TRUE(ui().CheckBoxOpad->isChecked());
    Retype(ui().EditParametryPole, QStringLiteral("50"));
    for (int i = 1; i <= 24; ++i)
        ui().Tabela_Opad->SetCell(2, i, i == 3 ? QString() : QStringLiteral("2,5"));  // empty counts 1 mm
    messages.Clear();

    SeriesWindow* s = Open();
    Start(s, 100, QStringLiteral("9"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s->Running(); }, 30000));
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    ASSERT_TRUE(s->Result());

    model::ComputationInputs in = examples::ZlewniaSeriesInputs();
    in.directEffectiveRain = true;
    in.rainfall.clear();
    in.effectiveRain.assign(24, 2.5f);
    in.effectiveRain[2] = 1.0f;
    in.parameters.Area = 50;
    const model::SeriesResult direct = model::RunSeries(in, 100, 9, 1);
    EXPECT_EQ(s->Result()->succeeded, 100);
    EXPECT_EQ(s->Result()->band, direct.band);
    EXPECT_EQ(s->Result()->volume.percentiles, direct.volume.percentiles);
}

// Each export lands in the typed name with the chosen filter's extension when the name has
// none of the filter's; the numbers are read in the user's conventions (a decimal comma),
// never by turning commas into points.
TEST_F(SeriesWindowTest, ExportsReadBack)
{
    SeriesWindow* s = Open();
    Start(s, 120, QStringLiteral("31"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s->Running(); }, 30000));
    ASSERT_TRUE(s->Result());
    const model::SeriesResult& r = *s->Result();
    ASSERT_GE(r.representative, 0);
    const auto number = [](const QString& field) {
        double value = 0;
        EXPECT_TRUE(text::TryStrToFloat(field, QLatin1Char(','), value)) << field.toStdString();
        EXPECT_FALSE(field.contains(u'.')) << field.toStdString();
        return value;
    };

    // The band's dialog, typed names and chosen filters ("Pliki CSV", "Wszystkie pliki", none).
    const struct {
        const char* typed;
        int filter;
        const char* written;
    } names[] = {
        {"pasmo", 0, "pasmo.csv"},
        {"pasmo-wszystkie", 1, "pasmo-wszystkie.csv"},
        {"pasmo-bez-filtra", -1, "pasmo-bez-filtra.csv"},
        {"pasmo-wielkie.CSV", 0, "pasmo-wielkie.CSV"},
        {"pasmo.txt", 0, "pasmo.txt.csv"},
    };
    for (const auto& n : names) {
        dialogs.answers.push_back(dir.filePath(QString::fromLatin1(n.typed)));
        dialogs.filterAnswers.push_back(n.filter);
        QTest::mouseClick(s->BandCsvButton(), Qt::LeftButton);
        EXPECT_TRUE(QFile::exists(dir.filePath(QString::fromLatin1(n.written)))) << n.typed;
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("pasmo")));
    EXPECT_EQ(dialogs.asked.back().dialogSpec.name, QStringLiteral("SaveDialogSeriaPasmo"));

    const QStringList band = ReadCsv(dir.filePath("pasmo.csv")).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(band.size(), r.bandHours + 1);
    EXPECT_EQ(band[0], QStringLiteral("Godzina;P5 [m³/s];P25 [m³/s];Mediana [m³/s];P75 [m³/s];P95 [m³/s];"
                                      "Realizacja reprezentatywna (nr %1) [m³/s]")
                           .arg(r.representative + 1));
    const int peakHour = std::min(15, r.bandHours);
    const QStringList fields = band[peakHour].split(';');
    ASSERT_EQ(fields.size(), 7);
    EXPECT_EQ(fields[0], QString::number(peakHour));
    for (int l = 0; l < 5; ++l)
        EXPECT_EQ(float(number(fields[l + 1])), float(r.band[peakHour - 1][l]));
    const std::vector<float>& q = r.representativeDischarge;
    double representativePeak = 0;
    for (int h = 1; h <= r.bandHours; ++h) {
        const double v = number(band[h].split(';').at(6));
        EXPECT_EQ(float(v), h <= static_cast<int>(q.size()) ? q[static_cast<std::size_t>(h - 1)] : 0.0f) << h;
        representativePeak = std::max(representativePeak, v);
    }
    EXPECT_EQ(float(representativePeak), r.realisations[static_cast<std::size_t>(r.representative)].peak);

    dialogs.answers.push_back(dir.filePath("realizacje"));
    QTest::mouseClick(s->RealisationsCsvButton(), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(dir.filePath("realizacje")));
    const QStringList rows = ReadCsv(dir.filePath("realizacje.csv")).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 121);
    EXPECT_EQ(rows[0], QStringLiteral("Realizacja;Przepływ maksymalny [m³/s];Godzina szczytu [h];"
                                      "Objętość odpływu [m³];Wynik"));
    const QStringList first = rows[1].split(';');
    ASSERT_EQ(first.size(), 5);
    EXPECT_EQ(first[0], QStringLiteral("1"));
    EXPECT_EQ(float(number(first[1])), r.realisations[0].peak);
    EXPECT_EQ(first[2].toInt(), r.realisations[0].peakHour);
    EXPECT_EQ(number(first[3]), r.realisations[0].volume);
    EXPECT_EQ(first[4], QStringLiteral("policzona"));

    dialogs.answers.push_back(dir.filePath("seria"));
    QTest::mouseClick(s->WorkbookButton(), Qt::LeftButton);
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("seria")));
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(SERIES_READBACK_SCRIPT), dir.filePath("seria.xlsx")});
    ASSERT_TRUE(reader.waitForFinished(60000));
    ASSERT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    const QJsonObject book = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
    EXPECT_EQ(book["sheets"].toArray().size(), 3);
    const QJsonArray pasmo = book["Pasmo"].toArray();
    ASSERT_EQ(pasmo.size(), r.bandHours + 1);
    EXPECT_EQ(pasmo[0].toArray()[6].toString(), band[0].split(';').at(6));
    EXPECT_EQ(pasmo[peakHour].toArray()[0].toDouble(), peakHour);
    EXPECT_FLOAT_EQ(float(pasmo[peakHour].toArray()[3].toDouble()), float(r.band[peakHour - 1][2]));
    for (int h = 1; h <= r.bandHours; ++h)
        EXPECT_EQ(float(pasmo[h].toArray()[6].toDouble()), float(number(band[h].split(';').at(6)))) << h;
    const QJsonArray realisations = book["Realizacje"].toArray();
    ASSERT_EQ(realisations.size(), 121);
    EXPECT_EQ(realisations[0].toArray()[2].toString(), QStringLiteral("Godzina szczytu [h]"));
    // The volume as precise as in the summary: the summary's largest is one of them.
    double largest = 0;
    for (int i = 1; i <= 120; ++i) {
        EXPECT_DOUBLE_EQ(realisations[i].toArray()[3].toDouble(),
                         r.realisations[static_cast<std::size_t>(i - 1)].volume);
        largest = std::max(largest, realisations[i].toArray()[3].toDouble());
    }
    EXPECT_EQ(book["lineCharts"].toInt(), 1);
    EXPECT_EQ(book["series"].toInt(), 6);
    EXPECT_EQ(book["axisTitles"].toArray(),
              QJsonArray({QStringLiteral("Czas [h]"), QStringLiteral("Przepływ [m³/s]")}));
    const QJsonArray summary = book["Podsumowanie"].toArray();
    EXPECT_EQ(summary[6].toArray()[9].toDouble(), 120);
    EXPECT_EQ(summary[7].toArray()[0].toString(), QStringLiteral("Godzina szczytu [h]"));
    EXPECT_EQ(summary[8].toArray()[7].toDouble(), largest);
    EXPECT_EQ(summary[10].toArray()[0].toString(), QStringLiteral("Realizacja reprezentatywna"));
    EXPECT_EQ(summary[10].toArray()[1].toDouble(), r.representative + 1);
}

TEST_F(SeriesWindowTest, FailingInputIsShownBeforeAnythingRuns)
{
    struct Case {
        std::function<void()> spoil;
        QString message;
    };
    const std::vector<Case> cases = {
        {[this] { ui().Tabela_Opad->SetCell(1, 5, QString()); },
         QStringLiteral("Brak opadu w godzinie 5 - uzupełnij tabelę opadu.")},
        {[this] { ui().Tabela_Opad->SetCell(1, 7, QStringLiteral("x")); },
         QStringLiteral("'x' is not a valid floating point value.")},
        {[this] { window->SetText(ui().EditParametryn, QStringLiteral("0")); },
         QStringLiteral("Floating point division by zero.")},
        {[this] { window->SetText(ui().EditParametryLo, QString()); },
         QStringLiteral("'' is not a valid floating point value.")},
    };
    SeriesWindow* s = Open();
    for (const Case& c : cases) {
        Build(QSize(1024, 768));
        dialogs.answers.push_back(QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr"));
        ui().MenuPlikOtworzProjekt->trigger();
        c.spoil();
        messages.Clear();
        s = Open();
        Start(s, 50, QStringLiteral("1"));
        EXPECT_FALSE(s->Running());
        EXPECT_FALSE(s->Result());
        EXPECT_EQ(s->Progress()->value(), 0);
        EXPECT_EQ(messages.Errors(), QStringList{c.message});
    }
}

// From 1024 x 768 up the window, every button on it and every line of its texts lie on the
// screen, after a series has filled it; nothing is squeezed below its minimum.
TEST_F(SeriesWindowTest, FitsTheScreenWithEveryButtonOnIt)
{
    const struct {
        QSize screen;
        QSize window;
    } cases[] = {
        {{1024, 768}, {1008, 688}},
        {{1280, 1024}, {1100, 800}},
        {{1920, 1080}, {1100, 800}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.screen.width()) + "x" + std::to_string(c.screen.height()));
        Build(c.screen);
        dialogs.answers.push_back(QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr"));
        ui().MenuPlikOtworzProjekt->trigger();
        SeriesWindow* s = Open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(s));
        Start(s, 60, QStringLiteral("3"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !s->Running(); }, 30000));
        ASSERT_TRUE(s->Result());
        QApplication::processEvents();  // the layout after the texts of the result

        const QRect screen(QPoint(0, 0), c.screen);
        EXPECT_EQ(s->size(), c.window);
        EXPECT_TRUE(screen.contains(s->frameGeometry()));
        const QSize least = s->minimumSizeHint();
        EXPECT_LE(least.width(), s->width());
        EXPECT_LE(least.height(), s->height());
        const QList<QPushButton*> buttons = s->findChildren<QPushButton*>();
        ASSERT_EQ(buttons.size(), 8);  // "Porównaj z pomiarem..." and "Zamknij" among them
        for (const QPushButton* b : buttons) {
            SCOPED_TRACE(b->text().toStdString());
            EXPECT_TRUE(b->isVisible());
            EXPECT_TRUE(screen.contains(QRect(b->mapToGlobal(QPoint(0, 0)), b->size())));
            EXPECT_TRUE(s->rect().contains(QRect(b->mapTo(s, QPoint(0, 0)), b->size())));
            EXPECT_GE(b->height(), b->minimumSizeHint().height());
        }
        for (const QLabel* label : {s->Status(), s->BandNote()})
            EXPECT_GE(label->height(), label->heightForWidth(label->width())) << label->text().toStdString();
        EXPECT_GE(s->BandChart()->height(), 240);
        EXPECT_GE(s->SpreadTable()->height(), s->SpreadTable()->minimumHeight());
    }
}

TEST_F(SeriesWindowTest, CancelKeepsThePreviousSeries)
{
    SeriesWindow* s = Open();
    Start(s, 40, QStringLiteral("5"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s->Running(); }, 30000));
    ASSERT_TRUE(s->Result());
    const model::SeriesResult previous = *s->Result();

    Start(s, model::kMaxSeriesCount, QStringLiteral("6"));
    ASSERT_TRUE(s->Running());
    EXPECT_TRUE(s->CancelButton()->isEnabled());
    EXPECT_FALSE(s->ComputeButton()->isEnabled());
    QTest::mouseClick(s->CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s->Running(); }, 5000));
    ASSERT_TRUE(s->Result());
    EXPECT_EQ(s->Result()->seed, 5u);
    EXPECT_EQ(s->Result()->band, previous.band);
    EXPECT_LT(s->Progress()->value(), model::kMaxSeriesCount);
    EXPECT_TRUE(s->Status()->text().startsWith(QStringLiteral("Seria przerwana")));
    EXPECT_TRUE(s->ComputeButton()->isEnabled());
}

// "Hydrogram" and a series of one realisation build their inputs from the same texts with
// the same rules: drawing from the series' first sub-stream, the window's hydrograph is the
// series' realisation, ordinate for ordinate, and its figures are the series' figures.
class HydrogramAgainstSeries : public WindowFixture {
protected:
    static constexpr std::uint64_t kSeed = 20261211;
    void SetUp() override
    {
        source = &stream;
        WindowFixture::SetUp();
        dialogs.answers.push_back(QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr"));
        ui().MenuPlikOtworzProjekt->trigger();
        ASSERT_TRUE(messages.log.empty());
    }
    // "Hydrogram" drawing from sub-stream 0 of kSeed; its ordinates from hour 1.
    std::vector<float> Hydrogram()
    {
        stream = model::SubstreamSource(kSeed, 0);
        ui().MenuObliczeniaHydrogram->trigger();
        EXPECT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
        const model::ComputationState& state = window->State();
        return {state.HydrographOrdinates.begin() + 1, state.HydrographOrdinates.begin() + 1 + state.HydrographLength};
    }
    void ExpectSeriesAgrees(const std::vector<float>& hydrograph)
    {
        ASSERT_FALSE(hydrograph.empty());
        // The realisation itself, on the inputs the series window reads.
        model::RealisationWorkspace work;
        model::SubstreamSource first(kSeed, 0);
        const model::RealisationResult r = model::RunRealisation(window->ComputationInputsFromControls(), first, work);
        EXPECT_EQ(std::vector<float>(r.ordinates + 1, r.ordinates + 1 + r.length), hydrograph);

        // The series window's one realisation: the same figures as the window's hydrograph.
        window->findChild<QAction*>(QStringLiteral("MenuObliczeniaSeria"))->trigger();
        SeriesWindow* s = window->seriesWindow();
        s->CountBox()->setValue(1);
        s->SeedEdit()->setText(QString::number(kSeed));
        QTest::mouseClick(s->ComputeButton(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !s->Running(); }, 30000));
        ASSERT_TRUE(s->Result());
        const model::RealisationSummary& one = s->Result()->realisations.at(0);
        const model::HydrographFigures figures =
            model::FiguresOf(window->State().HydrographOrdinates.data(), window->State().HydrographLength);
        EXPECT_TRUE(one.ok);
        EXPECT_EQ(one.peak, figures.peak);
        EXPECT_EQ(one.peakHour, figures.peakHour);
        EXPECT_EQ(one.volume, figures.volume);
    }
    model::SubstreamSource stream{kSeed, 0};
};

TEST_F(HydrogramAgainstSeries, ComputedEffectiveRainfall)
{
    ExpectSeriesAgrees(Hydrogram());
}

TEST_F(HydrogramAgainstSeries, TypedEffectiveRainfallWithTypedAreaAndAMistypedCell)
{
    window->SetEffectiveRainTyped(true);
    window->SetText(ui().EditParametryPole, QStringLiteral("85,5"));
    window->SetEffectiveRainText(2, QStringLiteral("x"));  // counts 1 mm in both
    window->SetEffectiveRainText(3, QStringLiteral("12,5"));
    ASSERT_EQ(ui().LabelSCSPowierzchniaWartosc->text(), QStringLiteral("85,5"));
    messages.Clear();
    const std::vector<float> hydrograph = Hydrogram();
    EXPECT_EQ(window->State().EffectiveRain[2], 1.0f);
    EXPECT_EQ(window->State().EffectiveRain[3], 12.5f);
    ExpectSeriesAgrees(hydrograph);
}

}  // namespace
}  // namespace moravel::window::testing
