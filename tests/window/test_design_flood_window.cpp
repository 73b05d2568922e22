// "Przepływy projektowe..." through the real window on the example case: the menu item, the
// table on a fixed seed against the series of the same storms, the critical duration, the
// probability axis, the main window left alone, the exports read back, the refusals and
// cancelling.
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>

#include "WindowFixture.h"
#include "ZlewniaSeries.h"
#include "model/DesignFlood.h"
#include "model/DesignStorm.h"
#include "report/DesignFloodExport.h"
#include "text/NumText.h"
#include "window/OpadProjektowyOkno.h"
#include "window/PrzeplywyProjektoweOkno.h"

namespace moravel::window::testing {
namespace {

class DesignFloodWindowTest : public WindowFixture {
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
    DesignFloodWindow* Open()
    {
        window->findChild<QAction*>(QStringLiteral("MenuObliczeniaPrzeplywyProjektowe"))->trigger();
        return window->designFloodWindow();
    }
    // Durations typed and confirmed, then the depth table's cells (probability, depths) row by row.
    void FillTable(DesignFloodWindow* w, const QString& durations, const std::vector<QStringList>& rows)
    {
        Retype(w->DurationsEdit(), durations);
        QTest::keyClick(w->DurationsEdit(), Qt::Key_Return);
        QTableWidget* t = w->DepthTable();
        t->clearContents();
        for (int r = 0; r < int(rows.size()); ++r)
            for (int c = 0; c < rows[std::size_t(r)].size(); ++c)
                t->setItem(r, c, new QTableWidgetItem(rows[std::size_t(r)][c]));
    }
    void SetShape(DesignFloodWindow* w, model::StormShape shape)
    {
        QComboBox* box = w->Shape()->ShapeBox();
        box->setCurrentIndex(box->findData(static_cast<int>(shape)));
    }
    void Run(DesignFloodWindow* w, int count, const QString& seed)
    {
        w->CountBox()->setValue(count);
        Retype(w->SeedEdit(), seed);
        QTest::mouseClick(w->ComputeButton(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w->Running(); }, 60000));
    }
    // The case the window should have built: the example with the storm's texts.
    model::ComputationInputs ExampleWith(const model::DesignStormInputs& design)
    {
        return model::DesignStormComputationInputs(
            examples::ZlewniaComputationTexts(),
            model::HyetographTexts(model::DesignStormHyetograph(design), 1, QLatin1Char(',')),
            examples::ZlewniaLandUseState(), QLatin1Char(','), [] {});
    }
    QString ReadCsv(const QString& path)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        return QString::fromUtf8(f.readAll().mid(3));
    }

    FixedSource random{{0.5}};
    QTemporaryDir dir;
};

TEST_F(DesignFloodWindowTest, TableMatchesTheSeriesOfEachStormAndLeavesTheMainWindowAlone)
{
    ui().MenuObliczeniaHydrogram->trigger();
    const model::ComputationState before = window->State();
    const QList<QPointF> chartBefore = ui().Wykres->Series1()->points();
    random.draws = random.reseeds = 0;

    DesignFloodWindow* w = Open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->DepthTable()->item(5, 0)->text(), QStringLiteral("1"));
    EXPECT_EQ(w->DepthTable()->item(6, 0)->text(), QStringLiteral("0,5"));
    EXPECT_EQ(w->Note()->text(), report::DesignFloodProbabilityNote());
    FillTable(w, QStringLiteral("24"), {{"10", "62"}, {"1", "95,5"}});
    SetShape(w, model::StormShape::Dvwk);
    Run(w, 200, QStringLiteral("2024"));
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    ASSERT_TRUE(w->Result());
    const model::DesignFloodResult& r = *w->Result();
    ASSERT_EQ(r.rows.size(), 2u);
    EXPECT_EQ(w->Progress()->value(), 400);

    const double depths[] = {62, 95.5};
    for (int k = 0; k < 2; ++k) {
        model::DesignStormInputs design;
        design.hours = 24;
        design.shape = model::StormShape::Dvwk;
        design.totalDepth = depths[k];
        const model::SeriesResult series = model::RunSeries(ExampleWith(design), 200, 2024, 1);
        const model::DesignFloodRow& row = r.rows[std::size_t(k)];
        EXPECT_EQ(row.peak.percentiles, series.peak.percentiles) << k;
        EXPECT_EQ(row.representativeDischarge, series.representativeDischarge) << k;
        // The table's cells: the median peak and its 5-95 % spread with two decimals.
        const QTableWidget* t = w->ResultTable();
        EXPECT_EQ(t->item(k, 2)->text(), text::FormatDecimals(depths[k], 1, QLatin1Char(',')));
        EXPECT_EQ(t->item(k, 4)->text(), text::FormatDecimals(series.peak.percentiles[2], 2, QLatin1Char(',')));
        EXPECT_EQ(t->item(k, 5)->text(), text::FormatDecimals(series.peak.percentiles[0], 2, QLatin1Char(',')));
        EXPECT_EQ(t->item(k, 6)->text(), text::FormatDecimals(series.peak.percentiles[4], 2, QLatin1Char(',')));
        // After them: the median's 95 % interval, x(86) and x(115) of the 200 sorted peaks
        // (P(B <= 85) <= 0,025 < P(B <= 86) for B ~ Bin(200, 1/2)), and the median volume
        // over A * P.
        std::vector<float> peaks;
        for (const model::RealisationSummary& s : series.realisations)
            peaks.push_back(s.peak);
        std::sort(peaks.begin(), peaks.end());
        EXPECT_EQ(t->item(k, 10)->text(), text::FormatDecimals(peaks[85], 2, QLatin1Char(',')));
        EXPECT_EQ(t->item(k, 11)->text(), text::FormatDecimals(peaks[200 - 86], 2, QLatin1Char(',')));
        const double area = ExampleWith(design).parameters.Area;
        EXPECT_EQ(t->item(k, 12)->text(),
                  text::FormatDecimals(series.volume.percentiles[2] / (area * 1e6 * depths[k] / 1000), 2,
                                       QLatin1Char(',')));
    }
    const QTableWidget* t = w->ResultTable();
    ASSERT_EQ(t->columnCount(), 13);
    EXPECT_EQ(t->horizontalHeaderItem(12)->text(), QStringLiteral("Współczynnik odpływu (mediana)"));
    EXPECT_TRUE(t->horizontalHeaderItem(12)->toolTip().contains(QStringLiteral("0,75\u00a0·\u00a0A\u00a0·\u00a0ΣHef")));
    // Without the critical duration there is nothing to remark.
    EXPECT_TRUE(w->Remarks()->isHidden());
    EXPECT_EQ(w->ResultTable()->horizontalHeaderItem(4)->text(), QStringLiteral("Qmax mediana [m³/s]"));

    // One design hydrograph per probability, named as the realisation nearest the median peak.
    const QList<QAbstractSeries*> lines = w->HydrographChart()->chart()->series();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1]->name(), QStringLiteral("p = 1 % (nr %1)").arg(r.rows[1].representative + 1));
    EXPECT_EQ(w->HydrographChart()->chart()->title(),
              QStringLiteral("Hydrogramy projektowe (szczyt najbliższy medianie)"));
    // The probability plot: the medians at the Gumbel reduced variate, the axis labelled in
    // per cent at the same positions.
    QChart* plot = w->ProbabilityChart()->chart();
    const QLineSeries* median = nullptr;
    for (QAbstractSeries* s : plot->series())
        if (s->name() == QStringLiteral("mediana Qmax"))
            median = qobject_cast<const QLineSeries*>(s);
    ASSERT_NE(median, nullptr);
    ASSERT_EQ(median->points().size(), 2);
    EXPECT_DOUBLE_EQ(median->points()[0].x(), -std::log(-std::log(0.9)));
    EXPECT_DOUBLE_EQ(median->points()[1].x(), -std::log(-std::log(0.99)));
    EXPECT_DOUBLE_EQ(median->points()[1].y(), r.rows[1].peak.percentiles[2]);
    // The spread's two ends told apart in colour and line, and named in the legend.
    const QLineSeries* low = nullptr;
    const QLineSeries* high = nullptr;
    for (QAbstractSeries* s : plot->series()) {
        if (s->name() == QStringLiteral("5 %"))
            low = qobject_cast<const QLineSeries*>(s);
        if (s->name() == QStringLiteral("95 %"))
            high = qobject_cast<const QLineSeries*>(s);
    }
    ASSERT_TRUE(low && high);
    EXPECT_NE(low->pen().color(), high->pen().color());
    EXPECT_NE(low->pen().style(), high->pen().style());
    EXPECT_NE(low->pen().style(), median->pen().style());
    EXPECT_EQ(plot->legend()->markerShape(), QLegend::MarkerShapeFromSeries);
    EXPECT_DOUBLE_EQ(high->points()[1].y(), r.rows[1].peak.percentiles[4]);
    auto* axis = qobject_cast<QCategoryAxis*>(plot->axes(Qt::Horizontal).front());
    ASSERT_NE(axis, nullptr);
    EXPECT_TRUE(axis->categoriesLabels().contains(QStringLiteral("1")));
    EXPECT_DOUBLE_EQ(axis->endValue(QStringLiteral("1")), model::GumbelReducedVariate(0.01));

    // Nothing of the main window moved.
    const model::ComputationState& after = window->State();
    EXPECT_EQ(std::memcmp(before.Rainfall, after.Rainfall, sizeof before.Rainfall), 0);
    EXPECT_EQ(before.HydrographOrdinates, after.HydrographOrdinates);
    EXPECT_EQ(before.PeakDischarge, after.PeakDischarge);
    EXPECT_EQ(ui().Wykres->Series1()->points(), chartBefore);
    EXPECT_EQ(random.draws, 0);
    EXPECT_EQ(Hours()->text(), QStringLiteral("24"));
}

TEST_F(DesignFloodWindowTest, CriticalDurationPicksTheHighestMedianPeak)
{
    DesignFloodWindow* w = Open();
    FillTable(w, QStringLiteral("1; 2; 3; 6; 12"), {{"1", "30", "38", "43", "52", "64"}});
    SetShape(w, model::StormShape::EulerII);
    w->CriticalBox()->setChecked(true);
    Run(w, 100, QStringLiteral("5"));
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    const model::DesignFloodResult& r = *w->Result();
    ASSERT_EQ(r.rows.size(), 5u);
    int best = 0;
    for (int i = 1; i < 5; ++i)
        if (r.rows[std::size_t(i)].peak.percentiles[2] > r.rows[std::size_t(best)].peak.percentiles[2])
            best = i;
    const QTableWidget* t = w->ResultTable();
    ASSERT_EQ(t->columnCount(), 14);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(t->item(i, 1)->text(), QString::number(r.rows[std::size_t(i)].hours));
        EXPECT_EQ(t->item(i, 10)->text(), i == best ? QStringLiteral("tak") : QString()) << i;
        // The median peak within its interval.
        const model::DesignFloodRow& row = r.rows[std::size_t(i)];
        ASSERT_TRUE(row.peakInterval);
        EXPECT_LE(row.peakInterval->low, row.peak.percentiles[2]);
        EXPECT_GE(row.peakInterval->high, row.peak.percentiles[2]);
        EXPECT_EQ(t->item(i, 11)->text(), text::FormatDecimals(row.peakInterval->low, 2, QLatin1Char(',')));
    }
    // The remarks: the critical duration at an end of the table, and the durations whose
    // median peaks' intervals overlap the critical one's.
    QStringList remarks;
    if (best == 0 || best == 4)
        remarks << QStringLiteral("p = 1 %: czas krytyczny %1 h to %2 czas trwania w tabeli – maksimum Qmax może "
                                  "leżeć poza tabelą, przy %3 opadzie.")
                       .arg(r.rows[std::size_t(best)].hours)
                       .arg(best == 0 ? "najkrótszy" : "najdłuższy")
                       .arg(best == 0 ? "krótszym" : "dłuższym");
    QStringList close;
    for (int i = 0; i < 5; ++i) {
        const model::DesignFloodRow& a = r.rows[std::size_t(i)];
        const model::DesignFloodRow& b = r.rows[std::size_t(best)];
        if (i != best && a.peakInterval->low <= b.peakInterval->high && b.peakInterval->low <= a.peakInterval->high)
            close << QStringLiteral("%1 h").arg(a.hours);
    }
    if (!close.isEmpty())
        remarks << QStringLiteral("p = 1 %: mediana Qmax dla czasu krytycznego %1 h nie różni się ponad szum "
                                  "losowania od mediany dla %2 (przedziały ufności 95 % zachodzą na siebie).")
                       .arg(r.rows[std::size_t(best)].hours)
                       .arg(close.join(QStringLiteral(", ")));
    EXPECT_EQ(w->Remarks()->text(), remarks.join(QLatin1Char('\n')));
    EXPECT_EQ(w->Remarks()->isHidden(), remarks.isEmpty());
    // Euler type II over 6 h from the table: the 6-hour row's depth is the table's.
    EXPECT_DOUBLE_EQ(r.rows[3].depth, 52);
    const QList<QAbstractSeries*> drawn = w->HydrographChart()->chart()->series();
    ASSERT_EQ(drawn.size(), 1);
    EXPECT_EQ(drawn[0]->name(), QStringLiteral("p = 1 %, %1 h (nr %2)")
                                    .arg(r.rows[std::size_t(best)].hours)
                                    .arg(r.rows[std::size_t(best)].representative + 1));
}

TEST_F(DesignFloodWindowTest, ExportsCarryTheTableTheNoteAndTheInputs)
{
    DesignFloodWindow* w = Open();
    FillTable(w, QStringLiteral("24"), {{"2", "75"}, {"0,5", "104"}});
    SetShape(w, model::StormShape::Block);
    Run(w, 80, QStringLiteral("11"));
    ASSERT_TRUE(w->Result());
    const model::DesignFloodResult& r = *w->Result();

    dialogs.answers.push_back(dir.filePath("przeplywy"));
    QTest::mouseClick(w->CsvButton(), Qt::LeftButton);
    const QStringList lines = ReadCsv(dir.filePath("przeplywy.csv")).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 17);
    EXPECT_EQ(lines[1], report::DesignFloodProbabilityNote());
    EXPECT_TRUE(lines.contains(QStringLiteral("Ziarno;11")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Liczba realizacji;80")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Kształt hietogramu;blok równomierny")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Średni CN;") + ui().LabelSCSSCSWartosc->text()));
    // The table where it stood (its first columns as before, the added ones after them).
    const qsizetype header = lines.indexOf(report::DesignFloodTableHeaders(false).join(QLatin1Char(';')));
    ASSERT_EQ(header, 16);
    const QStringList last = lines[header + 2].split(QLatin1Char(';'));
    ASSERT_EQ(last.size(), 13);
    EXPECT_EQ(last[0], QStringLiteral("0,5"));
    EXPECT_EQ(last[2], QStringLiteral("104,0"));
    EXPECT_EQ(last[4], text::FormatDecimals(r.rows[1].peak.percentiles[2], 2, QLatin1Char(',')));
    EXPECT_EQ(last[9], QStringLiteral("80"));
    EXPECT_EQ(last[10], text::FormatDecimals(r.rows[1].peakInterval->low, 2, QLatin1Char(',')));
    EXPECT_EQ(last[12], text::FormatDecimals(*r.rows[1].runoffCoefficient, 2, QLatin1Char(',')));
    // Below it, every input a reviewer needs to repeat it: the notes, the storm's duration,
    // the depth table as typed and each hyetograph hour by hour.
    const QStringList below = lines.mid(header + 3);
    const QStringList expected = QStringList{"", "Uwagi"} + report::DesignFloodColumnNotes() +
                                 QStringList{"", "Czas trwania opadu [h];24", "", "Tabela wysokości opadu [mm]",
                                             "p [%];24 h", "2;75", "0,5;104", "", "Hietogramy [mm]",
                                             "Godzina;p = 2 %, 24 h;p = 0,5 %, 24 h"};
    ASSERT_GE(below.size(), expected.size() + 24);
    EXPECT_EQ(below.mid(0, expected.size()), expected);
    // 75 and 104 mm in 24 equal hours at one decimal: 3,2 or 3,1, and 4,4 or 4,3.
    double sums[2] = {0, 0};
    for (int h = 1; h <= 24; ++h) {
        const QStringList cells = below[expected.size() + h - 1].split(QLatin1Char(';'));
        ASSERT_EQ(cells.size(), 3);
        EXPECT_EQ(cells[0], QString::number(h));
        EXPECT_EQ(cells[1], text::FormatShortestFloat(r.rows[0].rainfall[std::size_t(h - 1)], QLatin1Char(',')));
        for (int k = 0; k < 2; ++k)
            sums[k] += text::StrToFloat(cells[1 + k], QLatin1Char(','));
    }
    EXPECT_NEAR(sums[0], 75, 1e-9);
    EXPECT_NEAR(sums[1], 104, 1e-9);

    dialogs.answers.push_back(dir.filePath("przeplywy"));
    QTest::mouseClick(w->WorkbookButton(), Qt::LeftButton);
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    const QString book = dir.filePath("przeplywy.xlsx");
    ASSERT_TRUE(QFile::exists(book));
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(DESIGN_FLOOD_READBACK_SCRIPT), book});
    ASSERT_TRUE(reader.waitForFinished(60000));
    ASSERT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    const QJsonObject out = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
    EXPECT_EQ(out["sheets"].toArray(), (QJsonArray{"Tabela", "Hydrogramy", "Dane", "Hietogramy"}));
    const QJsonArray table = out["Tabela"].toArray();
    EXPECT_EQ(table[1].toArray()[0].toString(), report::DesignFloodProbabilityNote());
    const QJsonArray row = table[5].toArray();
    EXPECT_DOUBLE_EQ(row[0].toDouble(), 0.5);
    EXPECT_DOUBLE_EQ(row[4].toDouble(), r.rows[1].peak.percentiles[2]);
    EXPECT_DOUBLE_EQ(row[5].toDouble(), r.rows[1].peak.percentiles[0]);
    EXPECT_DOUBLE_EQ(row[10].toDouble(), r.rows[1].peakInterval->low);
    EXPECT_DOUBLE_EQ(row[11].toDouble(), r.rows[1].peakInterval->high);
    EXPECT_DOUBLE_EQ(row[12].toDouble(), *r.rows[1].runoffCoefficient);
    EXPECT_EQ(table[7].toArray()[0].toString(), QStringLiteral("Uwagi"));
    EXPECT_EQ(table[10].toArray()[0].toString(), report::DesignFloodColumnNotes()[2]);
    // "Dane": after the description, the storm's duration and the depth table in numbers.
    const QJsonArray inputs = out["Dane"].toArray();
    const auto cellsOf = [](const QJsonValue& v) {
        QStringList cells;
        for (const QJsonValue& c : v.toArray())
            cells << (c.isDouble() ? QString::number(c.toDouble()) : c.toString());
        while (!cells.isEmpty() && cells.back().isEmpty())
            cells.removeLast();
        return cells;
    };
    QStringList tail;
    for (qsizetype i = inputs.size() - 6; i < inputs.size(); ++i)
        tail << cellsOf(inputs[i]).join(QLatin1Char('|'));
    EXPECT_EQ(tail, (QStringList{"Czas trwania opadu [h]|24", "", "Tabela wysokości opadu [mm]", "p [%]|24 h",
                                 "2|75", "0.5|104"}));
    // "Hietogramy": each storm hour by hour, its rounded texts as numbers (3.1, not 3.0999999).
    const QJsonArray rain = out["Hietogramy"].toArray();
    ASSERT_EQ(rain.size(), 25);
    EXPECT_EQ(cellsOf(rain[0]), (QStringList{"Godzina", "p = 2 %, 24 h [mm]", "p = 0,5 %, 24 h [mm]"}));
    for (int h = 1; h <= 24; ++h)
        EXPECT_EQ(cellsOf(rain[h]),
                  (QStringList{QString::number(h),
                               text::FormatShortestFloat(r.rows[0].rainfall[std::size_t(h - 1)], QLatin1Char('.')),
                               text::FormatShortestFloat(r.rows[1].rainfall[std::size_t(h - 1)], QLatin1Char('.'))}));
    const QJsonArray hydrographs = out["Hydrogramy"].toArray();
    EXPECT_TRUE(hydrographs[0].toArray()[2].toString().contains(
        QStringLiteral("realizacja nr %1").arg(r.rows[1].representative + 1)));
    EXPECT_DOUBLE_EQ(hydrographs[10].toArray()[2].toDouble(), r.rows[1].representativeDischarge[9]);
    EXPECT_EQ(out["series"].toInt(), 2);
    bool seed = false;
    for (const QJsonValue& v : out["Dane"].toArray())
        seed = seed || (v.toArray()[0].toString() == QStringLiteral("Ziarno") && v.toArray()[1].toString() == "11");
    EXPECT_TRUE(seed);
}

TEST_F(DesignFloodWindowTest, RefusesBeforeRunningAndCancels)
{
    DesignFloodWindow* w = Open();
    FillTable(w, QStringLiteral("24"), {{"1", "95"}});
    SetShape(w, model::StormShape::EulerII);  // needs depths from 1 h
    QTest::mouseClick(w->ComputeButton(), Qt::LeftButton);
    EXPECT_EQ(messages.Errors(), QStringList{"Tabela wysokości opadu musi obejmować czasy trwania od 1 h do 24 h."});
    EXPECT_FALSE(w->Running());

    messages.Clear();
    FillTable(w, QStringLiteral("24"), {{"1", ""}});
    SetShape(w, model::StormShape::Block);
    QTest::mouseClick(w->ComputeButton(), Qt::LeftButton);
    EXPECT_EQ(messages.Errors(), QStringList{"Brak wysokości opadu dla p = 1 % i czasu trwania 24 h."});

    // Across the rows: a probability given twice (1 and 1,0 alike), a rarer storm with less
    // rain than a more frequent one for a duration; the rows as the table numbers them.
    const struct {
        const char* name;
        std::vector<QStringList> rows;
        QString message;
    } across[] = {
        {"a probability twice", {{"1", "57", "83"}, {"10", "40", "60"}, {"1,0", "58", "84"}},
         "Prawdopodobieństwo 1 % podane dwa razy: w wierszu 1 i w wierszu 3."},
        {"less rain at 0,5 %", {{"1", "57", "83"}, {"0,5", "60", "80"}},
         "Wysokość opadu dla p = 0,5 % i czasu trwania 24 h (wiersz 2) jest mniejsza niż dla p = 1 % (wiersz 1): "
         "opad o mniejszym prawdopodobieństwie nie może być niższy."},
        {"more rain at 10 %", {{"0,5", "60", "90"}, {"1", "57", "83"}, {"10", "61", "70"}},
         "Wysokość opadu dla p = 0,5 % i czasu trwania 6 h (wiersz 1) jest mniejsza niż dla p = 10 % (wiersz 3): "
         "opad o mniejszym prawdopodobieństwie nie może być niższy."},
    };
    for (const auto& c : across) {
        SCOPED_TRACE(c.name);
        messages.Clear();
        FillTable(w, QStringLiteral("6; 24"), c.rows);
        QTest::mouseClick(w->ComputeButton(), Qt::LeftButton);
        EXPECT_EQ(messages.Errors(), QStringList{c.message});
        EXPECT_FALSE(w->Running());
    }

    // A long table, cancelled: no result, the buttons back.
    messages.Clear();
    FillTable(w, QStringLiteral("24"), {{"1", "95"}, {"0,5", "105"}, {"0,2", "120"}});
    w->CountBox()->setValue(50000);
    QTest::mouseClick(w->ComputeButton(), Qt::LeftButton);
    ASSERT_TRUE(w->Running());
    EXPECT_TRUE(w->CancelButton()->isEnabled());
    QTest::mouseClick(w->CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->Running(); }, 60000));
    EXPECT_FALSE(w->Result());
    EXPECT_EQ(w->Status()->text(), QStringLiteral("Obliczenia przerwane."));
    EXPECT_TRUE(w->ComputeButton()->isEnabled());
    EXPECT_TRUE(messages.log.empty());
}

TEST_F(DesignFloodWindowTest, ChangingTheDurationsKeepsEachDepthWithItsDuration)
{
    DesignFloodWindow* w = Open();
    FillTable(w, QStringLiteral("6; 24"), {{"1", "57", "83"}, {"0,5", "64", "93"}});
    const auto row = [w](int r) {
        QStringList cells;
        for (int c = 0; c < w->DepthTable()->columnCount(); ++c) {
            const QTableWidgetItem* item = w->DepthTable()->item(r, c);
            cells << (item ? item->text() : QString());
        }
        return cells;
    };
    const auto retype = [&](const QString& durations) {
        Retype(w->DurationsEdit(), durations);
        QTest::keyClick(w->DurationsEdit(), Qt::Key_Return);
    };
    // New durations before, between and after: each depth under its own duration.
    retype(QStringLiteral("1; 6; 12; 24; 48"));
    EXPECT_EQ(w->DepthTable()->horizontalHeaderItem(2)->text(), QStringLiteral("6 h"));
    EXPECT_EQ(row(0), (QStringList{"1", "", "57", "", "83", ""}));
    EXPECT_EQ(row(1), (QStringList{"0,5", "", "64", "", "93", ""}));
    // A duration taken off and typed again (as "6,0") brings its depths back.
    w->DepthTable()->setItem(0, 1, new QTableWidgetItem(QStringLiteral("36")));
    retype(QStringLiteral("1; 24"));
    EXPECT_EQ(row(0), (QStringList{"1", "36", "83"}));
    retype(QStringLiteral("1; 6,0; 24"));
    EXPECT_EQ(row(0), (QStringList{"1", "36", "57", "83"}));
    EXPECT_EQ(row(1), (QStringList{"0,5", "", "64", "93"}));
    // A list changed without Enter is taken when computing: the 24-hour depths are used.
    Retype(w->DurationsEdit(), QStringLiteral("24"));
    w->CriticalBox()->setChecked(true);
    SetShape(w, model::StormShape::Block);
    Run(w, 20, QStringLiteral("3"));
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    ASSERT_TRUE(w->Result());
    ASSERT_EQ(w->Result()->rows.size(), 2u);
    EXPECT_DOUBLE_EQ(w->Result()->rows[0].depth, 83);
    EXPECT_DOUBLE_EQ(w->Result()->rows[1].depth, 93);
    // One duration searched for the critical one: the peak may lie beyond the table.
    EXPECT_EQ(w->Remarks()->text(),
              QStringLiteral("p = 1 %: tabela ma jeden czas trwania (24 h) – maksimum Qmax może leżeć poza tabelą.\n"
                             "p = 0,5 %: tabela ma jeden czas trwania (24 h) – maksimum Qmax może leżeć poza "
                             "tabelą."));
    EXPECT_FALSE(w->Remarks()->isHidden());
}

}  // namespace
}  // namespace moravel::window::testing
