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
#include <QLineSeries>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
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
    }
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
    ASSERT_EQ(t->columnCount(), 11);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(t->item(i, 1)->text(), QString::number(r.rows[std::size_t(i)].hours));
        EXPECT_EQ(t->item(i, 10)->text(), i == best ? QStringLiteral("tak") : QString()) << i;
    }
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
    const QStringList lines = ReadCsv(dir.filePath("przeplywy.csv")).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 17);
    EXPECT_EQ(lines[1], report::DesignFloodProbabilityNote());
    EXPECT_TRUE(lines.contains(QStringLiteral("Ziarno;11")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Liczba realizacji;80")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Kształt hietogramu;blok równomierny")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Średni CN;") + ui().LabelSCSSCSWartosc->text()));
    const QStringList last = lines.back().split(QLatin1Char(';'));
    ASSERT_EQ(last.size(), 10);
    EXPECT_EQ(last[0], QStringLiteral("0,5"));
    EXPECT_EQ(last[2], QStringLiteral("104,0"));
    EXPECT_EQ(last[4], text::FormatDecimals(r.rows[1].peak.percentiles[2], 2, QLatin1Char(',')));
    EXPECT_EQ(last[9], QStringLiteral("80"));

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
    EXPECT_EQ(out["sheets"].toArray(), (QJsonArray{"Tabela", "Hydrogramy", "Dane"}));
    const QJsonArray table = out["Tabela"].toArray();
    EXPECT_EQ(table[1].toArray()[0].toString(), report::DesignFloodProbabilityNote());
    const QJsonArray row = table[5].toArray();
    EXPECT_DOUBLE_EQ(row[0].toDouble(), 0.5);
    EXPECT_DOUBLE_EQ(row[4].toDouble(), r.rows[1].peak.percentiles[2]);
    EXPECT_DOUBLE_EQ(row[5].toDouble(), r.rows[1].peak.percentiles[0]);
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

}  // namespace
}  // namespace moravel::window::testing
