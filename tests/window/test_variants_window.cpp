// "Porównanie wariantów...": the window through its real controls. A project added as a
// variant is read by the project-opening rules without touching the main window; a run gives
// every variant the series of its inputs on the same seed, and the comparison is exported.
#include <QAction>
#include <QChartView>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

#include "WindowFixture.h"
#include "import/ExcelImport.h"
#include "import/Workbook.h"
#include "ZlewniaSeries.h"
#include "model/Series.h"
#include "text/NumText.h"
#include "window/PomiarOkno.h"
#include "window/PorownanieWariantowOkno.h"

namespace moravel::window::testing {
namespace {

class VariantsWindowTest : public WindowFixture {
protected:
    void SetUp() override
    {
        source = &random;
        WindowFixture::SetUp();
        dialogs.answers.push_back(QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr"));
        ui().MenuPlikOtworzProjekt->trigger();
        ASSERT_TRUE(dialogs.answers.empty());
        messages.Clear();
    }
    VariantsWindow* Open()
    {
        QAction* item = window->findChild<QAction*>(QStringLiteral("MenuObliczeniaWarianty"));
        EXPECT_NE(item, nullptr);
        item->trigger();
        return window->variantsWindow();
    }
    void Add(VariantsWindow* v, const QString& path)
    {
        dialogs.answers.push_back(path);
        QTest::mouseClick(v->AddButton(), Qt::LeftButton);
    }
    void Run(VariantsWindow* v, int count, const QString& seed)
    {
        v->CountBox()->setValue(count);
        Retype(v->SeedEdit(), seed);
        QTest::mouseClick(v->ComputeButton(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([v] { return !v->Running(); }, 120000));
    }

    FixedSource random{{0.5}};
    QTemporaryDir dir;
};

TEST_F(VariantsWindowTest, MenuItemComesLastAndAProjectThatFailsChangesNothing)
{
    const QList<QAction*> items = ui().MenuObliczenia->actions();
    ASSERT_FALSE(items.isEmpty());
    EXPECT_EQ(items.back()->text(), QString::fromUtf8("Porównanie wariantów..."));

    VariantsWindow* v = Open();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->VariantList()->rowCount(), 1);
    EXPECT_EQ(v->VariantList()->item(0, 1)->text(), QString::fromUtf8("bieżące dane"));

    // One variant alone is refused.
    QTest::mouseClick(v->ComputeButton(), Qt::LeftButton);
    ASSERT_EQ(messages.Errors().size(), 1);
    EXPECT_TRUE(messages.Errors().front().startsWith(QStringLiteral("Dodaj co najmniej jeden projekt")));
    messages.Clear();

    // A missing project gives the opening's message; the list and the main window stay.
    const QString hours = Hours()->text();
    const QString n = ui().EditParametryn->text();
    const QString missing = dir.filePath("brak.kpr");
    Add(v, missing);
    EXPECT_EQ(messages.Errors(),
              QStringList{QString::fromUtf8("Nie można otworzyć pliku %1.").arg(QDir::toNativeSeparators(missing))});
    EXPECT_EQ(v->VariantList()->rowCount(), 1);
    EXPECT_EQ(Hours()->text(), hours);
    EXPECT_EQ(ui().EditParametryn->text(), n);
}

// The present data and the same project: identical inputs, so every paired difference is
// exactly zero, while the spread of each variant is the series of its inputs on that seed.
TEST_F(VariantsWindowTest, IdenticalVariantsComputeTheSeriesAndDifferByNothing)
{
    VariantsWindow* v = Open();
    ASSERT_NE(v, nullptr);
    Add(v, QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr"));
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    ASSERT_EQ(v->VariantList()->rowCount(), 2);
    EXPECT_EQ(v->VariantList()->item(1, 0)->text(), QStringLiteral("zlewnia"));
    v->VariantList()->item(1, 0)->setText(QStringLiteral("Projekt"));

    Run(v, 60, QStringLiteral("77"));
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    ASSERT_TRUE(v->Result().has_value());
    const report::VariantsComparison& c = *v->Result();
    ASSERT_EQ(c.results.size(), 2u);
    EXPECT_EQ(c.names[1], QStringLiteral("Projekt"));
    const model::SeriesResult alone = model::RunSeries(window->ComputationInputsFromControls(), 60, 77, 1);
    EXPECT_EQ(c.results[0].peak.percentiles, alone.peak.percentiles);
    EXPECT_EQ(c.results[1].peak.percentiles, alone.peak.percentiles);
    EXPECT_EQ(c.differences[1].pairs, alone.succeeded);
    EXPECT_EQ(c.differences[1].peakChange.max, 0);
    EXPECT_EQ(c.differences[1].peakChange.min, 0);
    EXPECT_FALSE(v->RainfallNote()->isVisible());

    // The tables show the same figures; the chart has a band and a median per variant.
    EXPECT_EQ(v->SpreadTable()->rowCount(), 2);
    EXPECT_EQ(v->SpreadTable()->item(0, 0)->text(),
              text::FormatDecimals(alone.peak.percentiles[model::kMedianSeriesLevel], 2, QLatin1Char(',')));
    EXPECT_EQ(v->DifferenceTable()->rowCount(), 1);
    EXPECT_EQ(v->DifferenceTable()->item(0, 0)->text(), QStringLiteral("0,00"));
    EXPECT_EQ(v->BandChart()->chart()->series().size(), 4);

    // CSV: a heading and a row per variant, the note after them.
    dialogs.answers.push_back(dir.filePath("warianty"));
    QTest::mouseClick(v->CsvButton(), Qt::LeftButton);
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    QFile csv(dir.filePath("warianty.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(csv.readAll().mid(3)).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith(QString::fromUtf8("Wariant;Qmax mediana [m³/s]")));
    // The paired medians named as medians of the differences in pairs, in the table and the file.
    EXPECT_EQ(v->DifferenceTable()->horizontalHeaderItem(0)->text(),
              QString::fromUtf8("Mediana różnic Qmax w parach [m³/s]"));
    EXPECT_TRUE(lines[0].contains(QString::fromUtf8(";Realizacje ze wzrostem Qmax [%];Mediana różnic objętości w "
                                                    "parach [tys. m³];Mediana różnic objętości w parach [%];")));
    EXPECT_TRUE(lines[1].startsWith(QString::fromUtf8("bieżące dane;")));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("Projekt;")));
    EXPECT_TRUE(lines[4].contains(QStringLiteral("ziarnem 77")));

    dialogs.answers.push_back(dir.filePath("warianty"));
    QTest::mouseClick(v->WorkbookButton(), Qt::LeftButton);
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    EXPECT_GT(QFileInfo(dir.filePath("warianty.xlsx")).size(), 0);
}

// Another rainfall in a variant is said on the window.
TEST_F(VariantsWindowTest, AVariantWithOtherRainfallIsNamed)
{
    VariantsWindow* v = Open();
    ASSERT_NE(v, nullptr);
    Add(v, QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr"));
    // The main window's storm gets one more millimetre in its first hour.
    const QString first = Table()->Cell(1, 1);
    Table()->SetCell(1, 1, text::FormatGeneral(text::StrToFloat(first, QLatin1Char(',')) + 1, QLatin1Char(',')));
    Run(v, 20, QStringLiteral("5"));
    ASSERT_TRUE(v->Result().has_value());
    EXPECT_TRUE(v->Result()->rainfallDiffers);
    EXPECT_TRUE(v->RainfallNote()->isVisible());
}

// A measured flood read from the variants window is drawn on its chart, and each variant's
// median and band are measured against it: a "measurement" that is the first variant's own
// median fits that median exactly and lies wholly inside its band.
TEST_F(VariantsWindowTest, AMeasuredFloodIsDrawnAndEachVariantFittedToIt)
{
    window->SetReader({QStringLiteral(MORAVEL_READER_PROGRAM), {}, 20000});
    VariantsWindow* v = Open();
    ASSERT_NE(v, nullptr);
    Add(v, QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr"));
    Run(v, 40, QStringLiteral("11"));
    ASSERT_TRUE(v->Result().has_value());
    EXPECT_FALSE(v->MeasuredFitNote()->isVisible());

    const std::vector<double> median = model::BandLevelCurve(v->Result()->results[0], model::kMedianSeriesLevel);
    QStringList lines;
    for (std::size_t h = 0; h < median.size(); ++h)
        lines << QStringLiteral("%1;%2").arg(h + 1).arg(text::FormatShortestDouble(median[h], QLatin1Char(',')));
    const QString path = dir.filePath(QStringLiteral("pomiar.csv"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    file.close();
    dialogs.answers.push_back(path);
    import::FixedRangePicker picker(import::CellBlock{0, 0, 0, static_cast<int>(median.size()) - 1, 1});
    window->SetRangePicker(&picker);
    QTest::mouseClick(v->MeasuredButton(), Qt::LeftButton);
    window->SetRangePicker(nullptr);
    ASSERT_TRUE(messages.Errors().isEmpty()) << messages.Errors().front().toStdString();

    EXPECT_TRUE(v->MeasuredFitNote()->isVisible());
    const QStringList fit = v->MeasuredFitNote()->text().split(QLatin1Char('\n'));
    ASSERT_EQ(fit.size(), 3);
    EXPECT_TRUE(
        fit[1].startsWith(QString::fromUtf8("bieżące dane: mediana NSE 1,000, KGE 1,000, błąd szczytu 0,0 %; "
                                            "w paśmie 5–95 % 100,0 % godzin pomiaru")))
        << fit[1].toStdString();
    bool drawn = false;
    for (QAbstractSeries* s : v->BandChart()->chart()->series())
        drawn = drawn || s->objectName() == QLatin1String(kVariantsChartMeasuredName);
    EXPECT_TRUE(drawn);
}

}  // namespace
}  // namespace moravel::window::testing
