// The "Obliczenia" commands through the real window: a storm, land use and parameters typed
// with real keys, then "Hydrogram" checked against the computation cores run on the same
// values with the same draws; a failing parameter; and "Raport Excel" writing a workbook
// that is handed to the opener.
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineSeries>
#include <QProcess>
#include <QTemporaryDir>
#include <QValueAxis>

#include "WindowFixture.h"
#include "files/DataFiles.h"
#include "model/CheckedMath.h"
#include "model/ComputationInputs.h"
#include "model/Geom.h"
#include "model/HydrographFigures.h"
#include "model/OpadEfektywnyObliczenia.h"
#include "text/NumText.h"
#include "window/wykres.h"

namespace moravel::window::testing {
namespace {

// A 24-hour storm of 71,5 mm.
const QStringList kStorm = {"0,3", "0,5", "0,7", "1",   "1,4", "1,9", "2,6", "3,5", "4,8", "6,2", "13,6", "10,4",
                            "7,1", "4,9", "3,4", "2,5", "1,8", "1,3", "1",   "0,8", "0,6", "0,5", "0,4",  "0,3"};
// RB, RL, RA, So, Lo [km], b [m], n
const QStringList kParameters = {"4,2", "2,3", "4,8", "0,004", "12", "15", "0,04"};
const model::HydrographParameters kParameterValues{/*So*/ 0.004, /*n*/ 0.04, /*b*/ 15, /*RB*/ 4.2,
                                                   /*RA*/ 4.8,   /*RL*/ 2.3, /*Lo*/ 12};

struct CellText {
    int col, row;
    QString text;
};
// About 100 km2 of arable land, woods, meadows and the own class (orchards, CN 65 on B).
const std::vector<CellText> kLandUse = {{1, 0, "30,5"}, {2, 0, "9,2"}, {1, 6, "42,7"}, {2, 4, "16,3"}, {1, 20, "1,4"}};

class HydrogramTest : public WindowFixture {
protected:
    void SetUp() override
    {
        source = &random;
        WindowFixture::SetUp();
    }
    // Everything through the program's own setters: quick, and the handlers still run.
    void FillCatchment()
    {
        CompleteRainfall(kStorm);
        window->SetText(ui().EditSCSB, QStringLiteral("65"));
        for (const CellText& c : kLandUse)
            ui().Tabela_SCS->SetCell(c.col, c.row, c.text);
        for (int k = 0; k < 7; ++k)
            window->SetText(window->ParameterEdits()[k], kParameters[k]);
        messages.Clear();
    }
    QList<QPointF> ChartPoints() { return ui().Wykres->Series1()->points(); }

    FixedSource random{{0.37, 0.81, 0.05, 0.64, 0.92, 0.18, 0.5}};
};

TEST_F(HydrogramTest, TypedCatchmentGivesTheHydrographOfTheCores)
{
    Type(ui().Edit_Liczba_godzin_opadu, QStringLiteral("24"));
    ClickCell(ui().Tabela_Opad, 1, 1);
    for (const QString& depth : kStorm) {
        TypeInGrid(ui().Tabela_Opad, depth);
        PressEnterInGrid(ui().Tabela_Opad);
    }
    Type(ui().EditSCSB, QStringLiteral("65"));
    for (const CellText& c : kLandUse)
        EnterCell(ui().Tabela_SCS, c.col, c.row, c.text);
    for (int k = 0; k < 7; ++k)
        Type(window->ParameterEdits()[k], kParameters[k]);
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    ASSERT_TRUE(ui().MenuObliczenia->isEnabled());
    EXPECT_NEAR(text::StrToFloat(ui().LabelSCSPowierzchniaWartosc->text(), QLatin1Char(',')), 100.1, 1e-4);
    EXPECT_EQ(ui().EditParametryPole->text(), ui().LabelSCSPowierzchniaWartosc->text());
    EXPECT_FALSE(ui().Wykres->isVisible());

    random.reseeds = 0;
    ui().MenuObliczeniaHydrogram->trigger();
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    EXPECT_EQ(random.reseeds, 2);  // effective rainfall, then the hydrograph

    // The effective rainfall of the window is the core's on the typed depths and the
    // averaged curve number of the caption.
    const model::ComputationState& state = window->State();
    float rainfall[24], effective[24];
    for (int i = 0; i < 24; ++i) {
        rainfall[i] = model::ToSingle(text::StrToFloat(kStorm[i], QLatin1Char(',')));
        EXPECT_EQ(state.Rainfall[i + 1], rainfall[i]) << i;
    }
    const float curveNumber = model::ToSingle(text::StrToFloat(ui().LabelSCSSCSWartosc->text(), QLatin1Char(',')));
    FixedSource sameDraws = random;
    sameDraws.Reseed();
    model::ScsEffectiveRain(rainfall, 24, curveNumber, sameDraws, effective);
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(state.EffectiveRain[i + 1], effective[i]) << i;

    // The hydrograph is the core's on the parameter values and the area of the caption.
    auto reference = std::make_unique<model::ComputationState>();
    std::copy(std::begin(state.EffectiveRain), std::end(state.EffectiveRain), reference->EffectiveRain);
    model::HydrographParameters p = kParameterValues;
    p.Area = text::StrToFloat(ui().LabelSCSPowierzchniaWartosc->text(), QLatin1Char(','));
    p.HourCount = 24;
    model::PlainHydrographInputs inputs(p);
    model::ComputeHydrographCore(inputs, *reference, sameDraws);
    ASSERT_GT(state.HydrographLength, 24);
    EXPECT_EQ(state.HydrographLength, reference->HydrographLength);
    for (int t = 1; t <= state.HydrographLength; ++t)
        EXPECT_EQ(state.HydrographOrdinates[t], reference->HydrographOrdinates[t]) << t;
    EXPECT_EQ(state.PeakDischarge, reference->PeakDischarge);
    EXPECT_GT(state.PeakDischarge, 1.0f);

    // The chart shows the ordinates, its near-zero tail trimmed.
    EXPECT_TRUE(ui().Wykres->isVisible());
    const QList<QPointF> points = ChartPoints();
    ASSERT_EQ(points.size(), moravel::model::DrawnHours(state.HydrographOrdinates.data(), state.HydrographLength));
    ASSERT_GT(points.size(), 10);
    for (int k = 0; k < points.size(); ++k) {
        EXPECT_EQ(points[k].x(), k + 1);
        EXPECT_EQ(points[k].y(), double(state.HydrographOrdinates[k + 1]));
    }
}

// Direct mode after a 24-hour storm was computed and the rainfall cleared: 10 typed hours,
// then the hour count raised to 24. "Hydrogram" computes from the typed column as the table
// shows it, not from what an earlier computation left in the hours added: hours typed "0"
// add nothing, empty ones count 1 mm as when the box is ticked.
TEST_F(HydrogramTest, DirectModeComputesFromTheTypedColumnAfterTheHourCountIsRaised)
{
    const struct {
        const char* name;
        QString laterHours;  // typed into hours 11..24
        float total;
    } cases[] = {{"zeros", QStringLiteral("0"), 20.0f}, {"empty", QString(), 34.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Build(QSize(1024, 768));
        FillCatchment();
        ui().MenuObliczeniaHydrogram->trigger();
        ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
        float earlier = 0;
        for (int i = 11; i <= 24; ++i)
            earlier += window->State().EffectiveRain[i];
        ASSERT_GT(earlier, 1.0f);

        ui().MenuOpadNoweDane->trigger();
        Retype(Hours(), QStringLiteral("10"));
        QTest::mouseClick(ui().CheckBoxOpad, Qt::LeftButton);
        ASSERT_TRUE(ui().CheckBoxOpad->isChecked());
        Retype(ui().EditParametryPole, QStringLiteral("100"));
        ClickCell(Table(), 2, 1);
        for (int i = 1; i <= 10; ++i) {
            TypeInGrid(Table(), QStringLiteral("2,0"));
            PressEnterInGrid(Table());
        }
        Retype(Hours(), QStringLiteral("24"));
        if (!c.laterHours.isEmpty()) {
            ClickCell(Table(), 2, 11);
            for (int i = 11; i <= 24; ++i) {
                TypeInGrid(Table(), c.laterHours);
                PressEnterInGrid(Table());
            }
        }
        ui().MenuObliczeniaHydrogram->trigger();
        ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();

        float total = 0;
        for (int i = 1; i <= 24; ++i) {
            const float shown = model::TypedEffectiveRainOf(Table()->Cell(2, i), QLatin1Char(','));
            EXPECT_EQ(window->State().EffectiveRain[i], shown) << i;
            total += window->State().EffectiveRain[i];
        }
        EXPECT_FLOAT_EQ(total, c.total);
    }
}

TEST_F(HydrogramTest, AnInvalidParameterStopsTheCommandAndKeepsTheChart)
{
    FillCatchment();
    window->SetText(ui().EditParametryn, QString());
    messages.Clear();
    ui().MenuObliczeniaHydrogram->trigger();
    EXPECT_EQ(messages.Errors(), QStringList{QStringLiteral("'' is not a valid floating point value.")});
    EXPECT_FALSE(ui().Wykres->isVisible());  // none drawn yet
    EXPECT_EQ(window->State().HydrographLength, 0);

    messages.Clear();
    Type(ui().EditParametryn, QStringLiteral("0,04"));
    ui().MenuObliczeniaHydrogram->trigger();
    ASSERT_TRUE(messages.log.empty());
    const QList<QPointF> drawn = ChartPoints();
    ASSERT_FALSE(drawn.isEmpty());

    Retype(ui().EditParametryb, QStringLiteral("x"));
    messages.Clear();
    ui().MenuObliczeniaHydrogram->trigger();
    EXPECT_EQ(messages.Errors(), QStringList{QStringLiteral("'x' is not a valid floating point value.")});
    EXPECT_TRUE(ui().Wykres->isVisible());
    EXPECT_EQ(ChartPoints(), drawn);
}

TEST_F(HydrogramTest, AStormWhoseFirstEffectiveHourIsTinyGivesALongHydrographThatIsDrawn)
{
    // 50 km2 of one class (CN 81) and a first hour that passes the initial abstraction 0.2 S
    // by 0,01 mm: its effective rainfall is about a millionth of a millimetre and its
    // response thousands of hours long.
    FixedSource probe = random;
    probe.Reseed();
    float none = 0, unused = 0;
    const float S = model::ScsEffectiveRain(&none, 1, 81.0f, probe, &unused);
    const QChar comma = QLatin1Char(',');
    CompleteRainfall({text::FormatGeneral(float(0.2 * S + 0.01), comma), "20", "20"});
    ui().Tabela_SCS->SetCell(1, 0, QStringLiteral("50"));
    for (int k = 0; k < 7; ++k)
        window->SetText(window->ParameterEdits()[k], kParameters[k]);
    messages.Clear();

    ui().MenuObliczeniaHydrogram->trigger();
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    const model::ComputationState& state = window->State();
    EXPECT_EQ(ui().LabelSCSSCSWartosc->text(), QStringLiteral("81,00"));
    EXPECT_GT(state.EffectiveRain[1], 0.0f);
    EXPECT_LT(state.EffectiveRain[1], 1e-4f);
    EXPECT_GT(state.HydrographLength, 1000);

    // The chart draws the flood itself; the long near-zero tail is trimmed.
    EXPECT_TRUE(ui().Wykres->isVisible());
    const QList<QPointF> points = ChartPoints();
    EXPECT_EQ(points.size(), moravel::model::DrawnHours(state.HydrographOrdinates.data(), state.HydrographLength));
    EXPECT_GT(points.size(), 5);
    EXPECT_LT(points.size(), 200);
    EXPECT_GE(ui().Wykres->AxisY()->max(), double(state.PeakDischarge));
}

TEST_F(HydrogramTest, RaportExcelWritesTheWorkbookAndHandsItToTheOpener)
{
    FillCatchment();
    ui().EditTytul1->setText(QStringLiteral("Wisłoka"));  // QTest types ASCII keys only
    ui().EditTytul2->setText(QStringLiteral("Żółków"));
    ClickCell(ui().Tabela_SCS, 0, 0);  // the area caption and the effective rainfall
    const QString area = ui().LabelSCSPowierzchniaWartosc->text();
    messages.Clear();

    ui().MenuObliczeniaRaportExcel->trigger();
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    ASSERT_EQ(opener.opened.size(), 1);
    const QString path = opener.opened.front();
    EXPECT_TRUE(QFileInfo(path).isFile());
    EXPECT_TRUE(path.endsWith(QStringLiteral(".xlsx")));
    EXPECT_GT(window->State().HydrographLength, 24);
    EXPECT_FALSE(ui().Wykres->isVisible());  // the report draws no chart in the window

    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(REPORT_READBACK_SCRIPT), path});
    ASSERT_TRUE(python.waitForFinished(120000));
    const QString book = QString::fromUtf8(python.readAllStandardOutput());
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().constData();
    EXPECT_TRUE(book.contains(QStringLiteral("Hydrogram odplywu ze zlewni rzeki Wisłoka w przekroju Żółków")));
    EXPECT_TRUE(book.contains(QStringLiteral("\"%1\"").arg(area)));
    EXPECT_TRUE(book.contains(QStringLiteral("\"42,7\"")));
    EXPECT_TRUE(book.contains(QStringLiteral("0,004")));

    // Every report goes to a new folder of its own.
    ui().MenuObliczeniaRaportExcel->trigger();
    ASSERT_EQ(opener.opened.size(), 2);
    EXPECT_NE(opener.opened[0], opener.opened[1]);
    for (const QString& written : opener.opened)
        QDir(QFileInfo(written).absolutePath()).removeRecursively();
}

// Direct effective rainfall of 10 and 10 mm on a catchment whose land-use grid also holds
// 50 km2 of arable land: the area typed into "A =" is the catchment area of every Hydrogram,
// whatever the grid adds up to, through repeated commands, table clicks and an SCS open.
class TypedAreaTest : public HydrogramTest {
protected:
    void DirectMode(bool percentMode)
    {
        CompleteRainfall({QStringLiteral("5"), QStringLiteral("5")});
        for (int k = 0; k < 7; ++k)
            window->SetText(window->ParameterEdits()[k], kParameters[k]);
        ui().Tabela_SCS->SetCell(0, 0, QStringLiteral("50"));
        ClickCell(ui().Tabela_SCS, 1, 1);
        if (percentMode)
            QTest::mouseClick(ui().RadioGroup_CNlubKM2_procent, Qt::LeftButton, {},
                              QPoint(7, ui().RadioGroup_CNlubKM2_procent->height() / 2));
        ASSERT_EQ(Area()->text(), QStringLiteral("50"));
        QTest::mouseClick(ui().CheckBoxOpad, Qt::LeftButton);
        ASSERT_TRUE(ui().CheckBoxOpad->isChecked());
        ui().Tabela_Opad->SetCell(2, 1, QStringLiteral("10"));
        ui().Tabela_Opad->SetCell(2, 2, QStringLiteral("10"));
        messages.Clear();
    }
    QLineEdit* Area() { return ui().EditParametryPole; }
    // The peak of the hydrograph cores on the same draws for 10 and 10 mm over `area` km2.
    float ReferencePeak(double area)
    {
        auto reference = std::make_unique<model::ComputationState>();
        reference->EffectiveRain[1] = 10;
        reference->EffectiveRain[2] = 10;
        model::HydrographParameters p = kParameterValues;
        p.Area = area;
        p.HourCount = 2;
        model::PlainHydrographInputs inputs(p);
        FixedSource sameDraws = random;
        sameDraws.Reseed();
        model::ComputeHydrographCore(inputs, *reference, sameDraws);
        return reference->PeakDischarge;
    }
    // Hydrogram, then what the window holds as the catchment area.
    void HydrogramKeeps(const QString& area)
    {
        ui().MenuObliczeniaHydrogram->trigger();
        ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
        EXPECT_EQ(Area()->text(), area);
        EXPECT_EQ(ui().LabelSCSPowierzchniaWartosc->text(), area);
        EXPECT_EQ(ui().Tabela_SCS->Cell(3, 20), area);
        EXPECT_EQ(ui().EditSCSD->text(), QStringLiteral("100"));
        EXPECT_EQ(window->State().EffectiveRain[1], 10.0f);
        EXPECT_EQ(window->State().PeakDischarge, ReferencePeak(text::StrToFloat(area, QLatin1Char(','))));
    }
};

TEST_F(TypedAreaTest, KmModeKeepsTheTypedAreaThroughHydrogramsClicksAndAnScsOpen)
{
    DirectMode(false);
    Retype(Area(), QStringLiteral("50"));
    EXPECT_EQ(ui().LabelSCSPowierzchniaWartosc->text(), QStringLiteral("50"));
    for (int run = 0; run < 4; ++run) {
        SCOPED_TRACE(run);
        HydrogramKeeps(QStringLiteral("50"));
        ClickCell(ui().Tabela_Opad, 2, 1);
    }
    const float peak50 = window->State().PeakDischarge;

    // A land-use file opened in direct mode brings its own grid and curve numbers; the typed
    // area stays the catchment area and is booked again.
    QTemporaryDir dir;
    files::ScsRecord scs;
    scs.areas[0][0] = QStringLiteral("30");
    scs.areas[20][3] = QStringLiteral("7");
    scs.ownClassCn[3] = QStringLiteral("85");
    const QString path = dir.filePath(QStringLiteral("uzytkowanie.kws"));
    files::WriteScsFile(path, scs);
    dialogs.answers.push_back(path);
    ui().MenuSCSOtworz->trigger();
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    EXPECT_EQ(ui().Tabela_SCS->Cell(0, 0), QStringLiteral("30"));
    EXPECT_EQ(ui().LabelSCSPowierzchniaWartosc->text(), QStringLiteral("50"));
    HydrogramKeeps(QStringLiteral("50"));
    HydrogramKeeps(QStringLiteral("50"));

    // The peak follows the typed area.
    Retype(Area(), QStringLiteral("100"));
    HydrogramKeeps(QStringLiteral("100"));
    EXPECT_GT(window->State().PeakDischarge, 1.5f * peak50);
}

TEST_F(TypedAreaTest, PercentModeComputesWithTheTypedAreaNotTheGridTotal)
{
    DirectMode(true);
    Retype(Area(), QStringLiteral("25"));
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        HydrogramKeeps(QStringLiteral("25"));
        ClickCell(ui().Tabela_SCS_Procent, 1, 1);
    }
}

// The area caption and the area of every computation stay the typed area through what
// averages the land use again or computes from the caption without a "Hydrogram" first
// (which would book the typed area again and hide a caption gone wrong): an own curve number
// typed into row "Inny:", and "Raport Excel". The grid adds up to 75 km2 meanwhile.
TEST_F(TypedAreaTest, AnOwnCurveNumberAndARaportExcelComputeWithTheTypedArea)
{
    enum class Step { OwnCurveNumber, RaportExcel };
    const struct {
        const char* name;
        bool percentMode;
        std::vector<Step> steps;
    } cases[] = {
        {"own curve number, km2", false, {Step::OwnCurveNumber}},
        {"own curve number, then Raport Excel, km2", false, {Step::OwnCurveNumber, Step::RaportExcel}},
        {"own curve number, then Raport Excel, %", true, {Step::OwnCurveNumber, Step::RaportExcel}},
        {"Raport Excel, then an own curve number, km2", false, {Step::RaportExcel, Step::OwnCurveNumber}},
    };
    const QString area = QStringLiteral("25");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Build(QSize(1024, 768));
        DirectMode(c.percentMode);
        Retype(Area(), area);
        ASSERT_EQ(ui().LabelSCSPowierzchniaWartosc->text(), area);
        ASSERT_EQ(ui().Tabela_SCS->Cell(0, 0), QStringLiteral("50"));
        for (const Step step : c.steps) {
            if (step == Step::OwnCurveNumber) {
                Retype(ui().EditSCSA, QStringLiteral("70"));
                EXPECT_EQ(window->LandUse().CurveNumberTable[20][0], 70);
            } else {
                opener.opened.clear();
                ui().MenuObliczeniaRaportExcel->trigger();
                ASSERT_EQ(opener.opened.size(), 1);
                QDir(QFileInfo(opener.opened.front()).absolutePath()).removeRecursively();
                EXPECT_EQ(window->State().PeakDischarge, ReferencePeak(25));
            }
            ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
            EXPECT_EQ(ui().LabelSCSPowierzchniaWartosc->text(), area);
            EXPECT_EQ(Area()->text(), area);
            // What a computation of its own (a series) reads as the catchment area.
            const model::ComputationInputs inputs = model::BuildComputationInputs(
                window->ComputationTextsOfControls(), window->LandUse(), QLatin1Char(','), [] {});
            EXPECT_EQ(inputs.parameters.Area, 25.0);
            EXPECT_EQ(inputs.landUse.area, area);
        }
    }
}

}  // namespace
}  // namespace moravel::window::testing
