// "Porównaj z pomiarem..." through the real window: a measured flood read from a CSV file by
// the import's reader (the helper of the build tree) and marked by the test's picker, drawn on
// the main chart and the series band, its fit, the warnings held until the user accepts, and
// the calibration with "Zastosuj", its defaults, its profile chart and its progress, and a
// flood without a flood in it.
#include <QCheckBox>
#include <QComboBox>
#include <QRegularExpression>
#include <QTimer>
#include <QValueAxis>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

#include "WindowFixture.h"
#include "ZlewniaSeries.h"
#include "import/ExcelImport.h"
#include "model/Series.h"
#include "text/NumText.h"
#include "window/ChartExport.h"
#include "window/LongWork.h"
#include "window/PomiarOkno.h"
#include "window/SeriaOkno.h"
#include "window/ZapisOdczytDanych.h"
#include "window/wykres.h"

namespace moravel::window::testing {
namespace {

class MeasuredWindowTest : public WindowFixture {
protected:
    void SetUp() override
    {
        reader = {QStringLiteral(MORAVEL_READER_PROGRAM), {}, 20000};
        source = &random;
        WindowFixture::SetUp();
        ASSERT_TRUE(window->Guarded(
            [this] { window::LoadProject(*window, QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr")); }));
        messages.Clear();
    }
    void TearDown() override
    {
        window->SetRangePicker(nullptr);
        WindowFixture::TearDown();
    }

    void Hydrogram()
    {
        ui().MenuObliczeniaHydrogram->trigger();
        ASSERT_TRUE(messages.Errors().isEmpty()) << messages.Errors().front().toStdString();
    }
    // Writes `lines` into a CSV file and answers the open dialog with it; the picker marks
    // `block`. Then runs the chart's menu item.
    void Compare(const QStringList& lines, import::CellBlock block)
    {
        const QString path = dir.filePath(QStringLiteral("pomiar.csv"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
        file.close();
        dialogs.answers.push_back(path);
        picker = std::make_unique<import::FixedRangePicker>(block);
        window->SetRangePicker(picker.get());
        QAction* item = window->chartExport().Menu()->findChild<QAction*>(QStringLiteral("MenuWykresPomiar"));
        ASSERT_TRUE(item);
        item->trigger();
    }
    MeasuredFloodWindow* Measured() { return MeasuredFloodWindow::Find(*window); }
    QScatterSeries* Points(QChart* chart, const char* name)
    {
        for (QAbstractSeries* s : chart->series())
            if (s->objectName() == QLatin1String(name))
                return qobject_cast<QScatterSeries*>(s);
        return nullptr;
    }
    QString FitCell(int row, int col) { return Measured()->FitTable()->item(row, col)->text(); }
    // The measurement: the median curve of `count` realisations (seed 5) of the example with
    // n = 0,055 (its own is 0,04), hourly from hour 1 in one column.
    void CompareWithMedianFlood(int count)
    {
        model::ComputationInputs truth = examples::ZlewniaSeriesInputs();
        truth.parameters.n = 0.055;
        const model::SeriesResult made = model::RunSeries(truth, count, 5, 2);
        QStringList lines;
        for (int h = 1; h <= made.bandHours; ++h)
            lines << text::FormatGeneral(made.band[static_cast<std::size_t>(h - 1)][model::kMedianSeriesLevel],
                                         QLatin1Char(','));
        Compare(lines, {0, 0, 0, made.bandHours - 1, 0});
    }

    FixedSource random{{0.5}};
    QTemporaryDir dir;
    std::unique_ptr<import::FixedRangePicker> picker;
};

// The drawn hydrograph itself as the measurement, hour by hour in two columns under a
// heading row left out of the block: every measure says a perfect fit, so the hours line up.
TEST_F(MeasuredWindowTest, TheDrawnHydrographFitsItselfPerfectly)
{
    Hydrogram();
    const std::vector<float> q = window->chartExport().Snapshot().discharge;
    ASSERT_GT(q.size(), 5u);
    QStringList lines{QStringLiteral("godzina;Q [m3/s]")};
    for (std::size_t h = 1; h <= q.size(); ++h)
        lines << QString::number(h) + QLatin1Char(';') + text::FormatGeneral(q[h - 1], QLatin1Char(','));
    Compare(lines, {0, 1, 0, static_cast<int>(q.size()), 1});

    ASSERT_TRUE(Measured());
    EXPECT_TRUE(Measured()->isVisible());
    EXPECT_TRUE(messages.log.empty());
    EXPECT_EQ(Measured()->Source()->text(),
              QStringLiteral("Pomiar: pomiar.csv, pomiar!A2:B%1 — %2 punktów, godziny 1–%2.")
                  .arg(q.size() + 1)
                  .arg(q.size()));
    const QStringList perfect{"1,000", "1,000", "0,00", "0,0", "0", "0,0"};
    for (int row = 0; row < 6; ++row) {
        EXPECT_EQ(FitCell(row, 0), perfect[row]) << row;
        EXPECT_EQ(FitCell(row, 1), QStringLiteral("—")) << row;  // no series yet
    }

    // On the main chart: the points in their own colour, the legend naming only them.
    THydrographChart* chart = ui().Wykres;
    QScatterSeries* points = Points(chart->chart(), kMainChartMeasuredName);
    ASSERT_TRUE(points);
    EXPECT_EQ(points->count(), static_cast<int>(q.size()));
    EXPECT_EQ(points->name(), QStringLiteral("pomiar"));
    EXPECT_NE(points->color(), chart->Series1()->color());
    EXPECT_TRUE(chart->chart()->legend()->isVisible());
    QApplication::processEvents();  // the legend lays its markers out
    int shownMarkers = 0;
    for (QLegendMarker* m : chart->chart()->legend()->markers())
        shownMarkers += m->isVisible() ? 1 : 0;
    EXPECT_EQ(shownMarkers, 1);

    // A new hydrograph (other draws) keeps the points and moves the fit.
    random = FixedSource({0.9});
    Hydrogram();
    EXPECT_TRUE(Points(chart->chart(), kMainChartMeasuredName));
    EXPECT_NE(FitCell(0, 0), QStringLiteral("1,000"));
}

// A measurement with a text, a negative discharge and an empty cell: the warnings and a
// message, and nothing drawn or computed until "Przyjmij pomiar"; "Odrzuć" drops it.
TEST_F(MeasuredWindowTest, BadRowsWaitForTheUsersConsent)
{
    Hydrogram();
    const QStringList lines{"1;2", "2;abc", "3;-4", "4;", "5;9", "6;3"};
    Compare(lines, {0, 0, 0, 5, 1});
    ASSERT_TRUE(Measured());
    EXPECT_EQ(messages.Infos().size(), 1);
    EXPECT_TRUE(messages.Infos().value(0).contains(QStringLiteral("przyjmij albo odrzuć")));
    const QString warnings = Measured()->Warnings()->text();
    EXPECT_TRUE(warnings.contains(QStringLiteral("z tekstem zamiast liczby (pierwszy: wiersz 2, „abc”)")));
    EXPECT_TRUE(warnings.contains(QStringLiteral("z ujemnym przepływem (pierwszy: wiersz 3, -4)")));
    EXPECT_TRUE(warnings.contains(QStringLiteral("bez przepływu (pierwszy: wiersz 4)")));
    EXPECT_FALSE(Points(ui().Wykres->chart(), kMainChartMeasuredName));
    EXPECT_FALSE(Measured()->Measured());
    EXPECT_EQ(FitCell(0, 0), QStringLiteral("—"));

    QTest::mouseClick(Measured()->RejectButton(), Qt::LeftButton);
    EXPECT_FALSE(Measured()->Measured());
    EXPECT_FALSE(Points(ui().Wykres->chart(), kMainChartMeasuredName));

    // Read again, accepted: three points (hours 1, 5, 6) drawn and compared.
    dialogs.answers.push_back(dir.filePath(QStringLiteral("pomiar.csv")));
    QTest::mouseClick(Measured()->ReadButton(), Qt::LeftButton);
    ASSERT_TRUE(Measured()->AcceptButton()->isVisible());
    QTest::mouseClick(Measured()->AcceptButton(), Qt::LeftButton);
    ASSERT_TRUE(Measured()->Measured());
    EXPECT_EQ(Measured()->Measured()->reading.points.size(), 3u);
    QScatterSeries* points = Points(ui().Wykres->chart(), kMainChartMeasuredName);
    ASSERT_TRUE(points);
    EXPECT_EQ(points->count(), 3);
    EXPECT_NE(FitCell(0, 0), QStringLiteral("—"));
    EXPECT_TRUE(messages.Errors().isEmpty());
}

// A block with no measurement at all: the error box, and no window.
TEST_F(MeasuredWindowTest, NoMeasurementIsRefused)
{
    Compare({"a", "b", "c"}, {0, 0, 0, 2, 0});
    ASSERT_EQ(messages.Errors().size(), 1);
    EXPECT_TRUE(messages.Errors()[0].startsWith(QStringLiteral("Zaznaczony obszar nie zawiera pomiaru")));
    EXPECT_FALSE(Measured() && Measured()->isVisible());
}

// The series band: the points drawn on it, the median's measures and the band's coverage;
// then the calibration of n on a flood made with n = 0,055 (the example's is 0,04), and
// "Zastosuj" writing n and b into their fields.
TEST_F(MeasuredWindowTest, SeriesFitAndCalibrationThroughTheControls)
{
    CompareWithMedianFlood(100);
    ASSERT_TRUE(Measured() && Measured()->Measured());

    window->findChild<QAction*>(QStringLiteral("MenuObliczeniaSeria"))->trigger();
    SeriesWindow* series = window->seriesWindow();
    ASSERT_TRUE(series);
    series->CountBox()->setValue(100);
    series->SeedEdit()->setText(QStringLiteral("5"));
    QTest::mouseClick(series->ComputeButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !series->Running(); }, 60000));
    ASSERT_TRUE(series->Result());
    EXPECT_TRUE(Points(series->BandChart()->chart(), kBandChartMeasuredName));
    // The example's own n against a flood of n = 0,055: a fit short of perfect, and a share.
    EXPECT_NE(FitCell(1, 1), QStringLiteral("—"));
    EXPECT_NE(FitCell(1, 1), QStringLiteral("1,000"));
    EXPECT_TRUE(
        Measured()->Coverage()->text().startsWith(QStringLiteral("Udział godzin pomiaru w paśmie 5–95 % serii: ")));

    MeasuredFloodWindow* m = Measured();
    // By default n alone, under the CRPS: CN and b held, b's range off, no warning.
    EXPECT_FALSE(m->FitCurveNumber()->isChecked());
    EXPECT_FALSE(m->FitWidth()->isChecked());
    EXPECT_FALSE(m->BLow()->isEnabled());
    EXPECT_FALSE(m->PairWarning()->isVisible());
    EXPECT_EQ(m->Criterion()->currentText(), QStringLiteral("CRPS serii w godzinach pomiaru"));
    EXPECT_EQ(m->Criterion()->itemText(0), QStringLiteral("KGE mediany serii"));
    EXPECT_EQ(m->Criterion()->itemText(1), QStringLiteral("Pokrycie pasmem 5–95 % i błąd szczytu mediany"));
    EXPECT_TRUE(m->ProfileCharts().isEmpty());
    Retype(m->NLow(), QStringLiteral("0,02"));
    Retype(m->NHigh(), QStringLiteral("0,1"));
    m->CountBox()->setValue(100);
    Retype(m->SeedEdit(), QStringLiteral("5"));
    QTest::mouseClick(m->CalibrateButton(), Qt::LeftButton);
    ASSERT_TRUE(messages.Errors().isEmpty()) << messages.Errors().front().toStdString();
    ASSERT_TRUE(m->Calibration());
    EXPECT_NEAR(m->Calibration()->best.n, 0.055, 0.055 * 0.05);
    EXPECT_EQ(m->CalibrationTable()->item(1, 0)->text(), QStringLiteral("0,0400"));
    EXPECT_EQ(m->CalibrationTable()->item(2, 1)->text(), QStringLiteral("15,00"));  // b held
    EXPECT_EQ(m->CalibrationTable()->verticalHeaderItem(8)->text(), QStringLiteral("CRPS serii [m³/s]"));
    // The criterion is the CRPS.
    EXPECT_EQ(m->CalibrationTable()->item(3, 1)->text(),
              text::FormatDecimals(m->Calibration()->best.crps, 4, QLatin1Char(',')));
    EXPECT_EQ(m->CalibrationTable()->item(8, 1)->text(),
              text::FormatDecimals(m->Calibration()->best.crps, 3, QLatin1Char(',')));
    EXPECT_TRUE(m->FittedCurveNumber()->text().startsWith(QStringLiteral("CN dopasowane: ")));
    EXPECT_FALSE(m->FittedCurveNumber()->text().contains(QStringLiteral("n i b dopasowano razem")));

    // The profile: the criterion along n, the fitted point marked on it.
    const QList<QChartView*> profiles = m->ProfileCharts();
    ASSERT_EQ(profiles.size(), 1);
    QLineSeries* line = nullptr;
    QScatterSeries* chosen = nullptr;
    for (QAbstractSeries* s : profiles[0]->chart()->series()) {
        if (auto* l = qobject_cast<QLineSeries*>(s); l && !qobject_cast<QScatterSeries*>(s))
            line = l;
        if (auto* c = qobject_cast<QScatterSeries*>(s))
            chosen = c;
    }
    ASSERT_TRUE(line && chosen);
    EXPECT_GE(line->count(), model::kProfilePoints);
    EXPECT_DOUBLE_EQ(line->at(0).x(), 0.02);
    EXPECT_DOUBLE_EQ(line->at(line->count() - 1).x(), 0.1);
    ASSERT_EQ(chosen->count(), 1);
    EXPECT_DOUBLE_EQ(chosen->at(0).x(), m->Calibration()->best.n);
    EXPECT_DOUBLE_EQ(chosen->at(0).y(), m->Calibration()->best.objective);
    for (const QPointF& p : line->points())
        EXPECT_GE(p.y(), chosen->at(0).y());
    // Nothing of the main window has changed yet.
    EXPECT_EQ(window->ParameterTexts()[6], QStringLiteral("0,04"));

    ASSERT_TRUE(m->ApplyButton()->isEnabled());
    QTest::mouseClick(m->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(window->ParameterTexts()[6], text::FormatUpToDecimals(m->Calibration()->best.n, 4, QLatin1Char(',')));
    EXPECT_EQ(window->ParameterTexts()[5], QStringLiteral("15"));
    EXPECT_TRUE(messages.Errors().isEmpty());
}

// n and b together: the warning while both are free, and the result says so. Then the
// progress window counts the candidates and "Anuluj" stops the search with the best so far.
TEST_F(MeasuredWindowTest, RoughnessWithWidthWarnsAndProgressCountsCandidates)
{
    CompareWithMedianFlood(50);
    MeasuredFloodWindow* m = Measured();
    ASSERT_TRUE(m && m->Measured());

    QTest::mouseClick(m->FitWidth(), Qt::LeftButton);
    EXPECT_TRUE(m->FitWidth()->isChecked());
    EXPECT_TRUE(m->BLow()->isEnabled());
    EXPECT_TRUE(m->PairWarning()->isVisible());
    EXPECT_TRUE(m->PairWarning()->text().contains(QStringLiteral("jedno wezbranie ich nie rozróżnia")));
    // n held (equal bounds): b alone, no warning.
    Retype(m->NHigh(), QStringLiteral("0,01"));
    EXPECT_FALSE(m->PairWarning()->isVisible());
    Retype(m->NHigh(), QStringLiteral("0,15"));
    EXPECT_TRUE(m->PairWarning()->isVisible());

    m->CountBox()->setValue(10);
    Retype(m->SeedEdit(), QStringLiteral("5"));
    QTest::mouseClick(m->CalibrateButton(), Qt::LeftButton);
    ASSERT_TRUE(messages.Errors().isEmpty()) << messages.Errors().front().toStdString();
    ASSERT_TRUE(m->Calibration());
    EXPECT_TRUE(m->FittedCurveNumber()->text().contains(QStringLiteral("n i b dopasowano razem")));
    EXPECT_EQ(m->ProfileCharts().size(), 2);

    // A long search (1000 realisations, CN, n and b): the progress window shows the count as it
    // grows; once it has passed 1, "Anuluj".
    m->CountBox()->setValue(1000);
    m->FitCurveNumber()->setChecked(true);
    QStringList seen;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != QLatin1String(kLongWorkWindowName) || !w->isVisible())
                continue;
            auto* status = w->findChild<QLabel*>(QStringLiteral("PostepStan"));
            if (!status)
                continue;
            if (seen.isEmpty() || seen.back() != status->text())
                seen << status->text();
            const QRegularExpressionMatch count =
                QRegularExpression(QStringLiteral("^Ocenieni kandydaci: (\\d+)$")).match(status->text());
            if (count.hasMatch() && count.captured(1).toInt() > 1)
                if (auto* cancel = w->findChild<QPushButton*>(QStringLiteral("Anuluj")); cancel && cancel->isEnabled())
                    cancel->click();
        }
    });
    watch.start();
    QTest::mouseClick(m->CalibrateButton(), Qt::LeftButton);
    watch.stop();
    ASSERT_TRUE(messages.Errors().isEmpty()) << messages.Errors().front().toStdString();
    ASSERT_TRUE(m->Calibration());
    EXPECT_TRUE(m->Calibration()->cancelled);
    EXPECT_TRUE(m->FittedCurveNumber()->text().contains(QStringLiteral("Dopasowanie przerwane")));
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_TRUE(seen.back().startsWith(QStringLiteral("Ocenieni kandydaci: "))) << seen.back().toStdString();
}

// A measured flood of one discharge throughout has no flood to fit: a message, no result and
// no figure in the table.
TEST_F(MeasuredWindowTest, ConstantFloodIsRefusedWithAMessage)
{
    Compare({"5", "5", "5", "5"}, {0, 0, 0, 3, 0});
    MeasuredFloodWindow* m = Measured();
    ASSERT_TRUE(m && m->Measured());
    QTest::mouseClick(m->CalibrateButton(), Qt::LeftButton);
    ASSERT_EQ(messages.Errors().size(), 1);
    EXPECT_TRUE(messages.Errors()[0].startsWith(QStringLiteral("Pomiar ma stały przepływ")));
    EXPECT_FALSE(m->Calibration());
    EXPECT_FALSE(m->ApplyButton()->isEnabled());
    for (int row = 0; row < m->CalibrationTable()->rowCount(); ++row)
        EXPECT_EQ(m->CalibrationTable()->item(row, 1)->text(), QString()) << row;
}

}  // namespace
}  // namespace moravel::window::testing
