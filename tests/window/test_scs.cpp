// The land-use panel driven through the real window: the averaged curve number and total
// area captions, the km2 / % switch, the per-cent sum, the area field's three branches and
// the end of the % mode write-back of the total area.
#include <QLabel>
#include <functional>
#include <QRadioButton>

#include "WindowFixture.h"
#include "text/NumText.h"

namespace moravel::window::testing {
namespace {

const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);
const QString kRealNumber = QStringLiteral("Wprowadź liczbę rzeczywistą");

struct CellText {
    int col, row;
    QString text;
};

class ScsTest : public WindowFixture {
protected:
    void SetUp() override
    {
        source = &random;
        WindowFixture::SetUp();
    }
    StringGrid* Km() { return ui().Tabela_SCS; }
    StringGrid* Percent() { return ui().Tabela_SCS_Procent; }
    QLineEdit* Area() { return ui().EditParametryPole; }
    QString AreaCaption() { return ui().LabelSCSPowierzchniaWartosc->text(); }
    QString CurveNumberCaption() { return ui().LabelSCSSCSWartosc->text(); }
    QString SumCaption() { return ui().LabelSCSProcentyWartosc->text(); }
    QColor SumColour() { return ui().LabelSCSProcentyWartosc->palette().color(QPalette::WindowText); }
    static QColor Base(QWidget* w) { return w->palette().color(QPalette::Base); }
    void Choose(QRadioButton* item) { QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(7, item->height() / 2)); }
    void ChoosePercent() { Choose(ui().RadioGroup_CNlubKM2_procent); }
    void ChooseKm() { Choose(ui().RadioGroup_CNlubKM2_km); }
    void SetCells(StringGrid* grid, const std::vector<CellText>& cells)
    {
        for (const CellText& c : cells)
            grid->SetCell(c.col, c.row, c.text);
    }
    // Replaces the area field's text in one change, as a paste does.
    void Paste(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        edit->insert(text);
    }
    // Enters the % mode with the rainfall table complete and a typed catchment area.
    void PercentModeWithArea(const QString& area)
    {
        CompleteRainfall({QStringLiteral("10"), QStringLiteral("20")});
        ChoosePercent();
        Paste(Area(), area);
        messages.Clear();
    }
    // The single-precision total of the km2 grid, in general form.
    QString KmTotal()
    {
        float total = 0;
        for (int r = 0; r < 21; ++r)
            for (int g = 0; g < 4; ++g)
                total = float(double(total) + text::StrToFloatDef(Km()->Cell(g, r), 0, QLatin1Char(',')));
        return text::FormatGeneral(total, QLatin1Char(','));
    }

    FixedSource random{{0.5}};
};

TEST_F(ScsTest, TwoAreasGiveTheAverageAndTheirPercentTwin)
{
    CompleteRainfall({QStringLiteral("10"), QStringLiteral("20")});
    EnterCell(Km(), 0, 0, QStringLiteral("2"));  // row 1, group A: CN 72
    EnterCell(Km(), 3, 9, QStringLiteral("3"));  // row 10, group D: CN 95
    EXPECT_EQ(AreaCaption(), QStringLiteral("5"));
    EXPECT_EQ(CurveNumberCaption(), QStringLiteral("85,80"));
    EXPECT_EQ(Area()->text(), QStringLiteral("5"));
    EXPECT_FALSE(Area()->isEnabled());
    EXPECT_TRUE(messages.log.empty());

    ChoosePercent();
    EXPECT_TRUE(Km()->isHidden());
    EXPECT_TRUE(Percent()->isVisible());
    EXPECT_TRUE(ui().LabelSCSProcenty->isVisible());
    EXPECT_EQ(Percent()->Cell(0, 0), QStringLiteral("40"));
    EXPECT_EQ(Percent()->Cell(3, 9), QStringLiteral("60"));
    EXPECT_EQ(Percent()->Cell(1, 0), QString());
    EXPECT_EQ(SumCaption(), QStringLiteral("100,00"));
    EXPECT_EQ(SumColour(), kGreen);
    EXPECT_TRUE(Area()->isEnabled());
    EXPECT_EQ(Base(Area()), QColor(255, 255, 255));
    EXPECT_EQ(Area()->text(), QStringLiteral("5"));

    // Choosing the item already chosen converts nothing again.
    Percent()->SetCell(1, 1, QStringLiteral("7"));
    ChoosePercent();
    EXPECT_EQ(Percent()->Cell(1, 1), QStringLiteral("7"));

    ChooseKm();
    EXPECT_TRUE(Km()->isVisible());
    EXPECT_TRUE(Percent()->isHidden());
    EXPECT_TRUE(ui().LabelSCSProcentyWartosc->isHidden());
    EXPECT_FALSE(Area()->isEnabled());
    EXPECT_EQ(Base(Area()), QColor(192, 192, 192));
    EXPECT_EQ(Km()->Cell(0, 0), QStringLiteral("2"));
    EXPECT_EQ(Km()->Cell(3, 9), QStringLiteral("3"));
    EXPECT_TRUE(messages.log.empty());
}

TEST_F(ScsTest, KmGridTotalsAndAverages)
{
    struct Case {
        const char* name;
        std::vector<CellText> cells;
        QString otherCurveNumberA;  // typed into EditSCSA first, when not empty
        QString area, curveNumber;
        int invalidCells;
    };
    const Case cases[] = {
        {"single-precision total", {{0, 0, "10,5"}, {1, 0, "1,8"}}, "", "12,3000001907349", "73,30", 0},
        {"only row 21, its CN never set", {{0, 20, "4"}}, "", "4", "0,00", 0},
        {"row 21 with a letter typed as its CN", {{0, 20, "4"}}, "x", "4", "1,00", 0},
        {"no area at all", {}, "", "0", "0,00", 0},
        {"cells that are not numbers count 0", {{0, 0, "x"}, {2, 2, "2"}, {1, 5, "1,2,3"}}, "", "2", "86,00", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Build(QSize(1024, 768));
        CompleteRainfall({QStringLiteral("10"), QStringLiteral("20")});
        if (!c.otherCurveNumberA.isEmpty()) {
            Type(ui().EditSCSA, c.otherCurveNumberA);
            EXPECT_EQ(messages.Infos(), QStringList{QStringLiteral("Wprowadź liczbę całkowitą!")});
            EXPECT_EQ(window->LandUse().CurveNumberTable[20][0], 1);
            messages.Clear();
        }
        SetCells(Km(), c.cells);
        ClickCell(Km(), 3, 3);
        EXPECT_EQ(AreaCaption(), c.area);
        EXPECT_EQ(CurveNumberCaption(), c.curveNumber);
        EXPECT_EQ(messages.Infos(), QStringList(c.invalidCells, QStringLiteral("Wprowadź liczbę rzeczywistą!")));
    }
}

TEST_F(ScsTest, AClickWhileARainfallCellIsEmptyChangesNothing)
{
    Type(ui().Edit_Liczba_godzin_opadu, QStringLiteral("2"));
    ui().Tabela_Opad->SetCell(1, 1, QStringLiteral("10"));
    EnterCell(Km(), 0, 0, QStringLiteral("2"));
    EXPECT_EQ(AreaCaption(), QStringLiteral("?"));
    EXPECT_EQ(CurveNumberCaption(), QStringLiteral("?"));
    EXPECT_EQ(Area()->text(), QString());
    EXPECT_EQ(random.reseeds, 0);
}

TEST_F(ScsTest, EnterMovesDownExceptFromTheLastRow)
{
    CompleteRainfall({QStringLiteral("10"), QStringLiteral("20")});
    ClickCell(Km(), 2, 18);
    PressEnterInGrid(Km());
    EXPECT_EQ(Km()->SelectedRow(), 19);
    PressEnterInGrid(Km());
    EXPECT_EQ(Km()->SelectedRow(), 20);
    PressEnterInGrid(Km());
    EXPECT_EQ(Km()->SelectedRow(), 20);
    EXPECT_EQ(Km()->SelectedCol(), 2);

    ChoosePercent();
    ClickCell(Percent(), 1, 19);
    PressEnterInGrid(Percent());
    PressEnterInGrid(Percent());
    EXPECT_EQ(Percent()->SelectedRow(), 20);
    EXPECT_EQ(Percent()->SelectedCol(), 1);
}

TEST_F(ScsTest, PercentSumIsComparedWithAHundredInSinglePrecision)
{
    struct Case {
        const char* name;
        QStringList shares;  // group A of rows 1, 2, ...
        bool complete;
    };
    const Case cases[] = {
        {"nine times 10,1 and 9,1 fall just short",
         {"10,1", "10,1", "10,1", "10,1", "10,1", "10,1", "10,1", "10,1", "10,1", "9,1"},
         false},
        {"33,3 + 33,3 + 33,4 are exactly 100", {"33,3", "33,3", "33,4"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Build(QSize(1024, 768));
        PercentModeWithArea(QStringLiteral("100"));
        for (int r = 0; r < c.shares.size(); ++r)
            Percent()->SetCell(0, r, c.shares[r]);
        ClickCell(Percent(), 2, 2);
        EXPECT_EQ(SumCaption(), QStringLiteral("100,00"));
        EXPECT_EQ(SumColour(), c.complete ? kGreen : kRed);
        EXPECT_EQ(AreaCaption(), KmTotal());
        if (c.complete) {
            EXPECT_EQ(Area()->text(), AreaCaption());
        } else {
            EXPECT_NE(AreaCaption(), QStringLiteral("100"));
            EXPECT_EQ(Area()->text(), QStringLiteral("100"));  // not copied
        }
        EXPECT_TRUE(messages.log.empty());
    }
}

TEST_F(ScsTest, PercentModeAreaFieldChecksAndConverts)
{
    PercentModeWithArea(QStringLiteral("10"));
    Percent()->SetCell(0, 0, QStringLiteral("50"));
    Percent()->SetCell(1, 0, QStringLiteral("25"));

    Retype(Area(), QStringLiteral("8"));
    EXPECT_EQ(Km()->Cell(0, 0), QStringLiteral("4"));
    EXPECT_EQ(Km()->Cell(1, 0), QStringLiteral("2"));
    EXPECT_EQ(AreaCaption(), QStringLiteral("6"));
    EXPECT_EQ(SumColour(), kRed);
    EXPECT_TRUE(messages.log.empty());

    // A letter is reported and leaves the km2 cells as they were.
    Type(Area(), QStringLiteral("a"));
    EXPECT_EQ(messages.Infos(), QStringList{kRealNumber});
    EXPECT_EQ(Km()->Cell(0, 0), QStringLiteral("4"));
    messages.Clear();

    // Emptied: both the check and the conversion speak; the cells stay.
    Retype(Area(), QString());
    EXPECT_EQ(messages.Infos(),
              (QStringList{kRealNumber, QStringLiteral("Wprowadź wielkosc pola powierzchni zlewni!")}));
    EXPECT_EQ(Km()->Cell(1, 0), QStringLiteral("2"));
}

TEST_F(ScsTest, PercentModeWriteBackOfTheTotalEnds)
{
    struct Case {
        const char* name;
        QStringList shares;  // group A of rows 1, 2, ...
        QString pasted, settled;
        int rounds;  // conversions run, each with its effective rainfall
    };
    const Case cases[] = {
        // The single-precision total is written back once; the next write-back finds the
        // same text.
        {"one cell at 100", {"100"}, "12,3", "12,3000001907349", 2},
        // Each round's total differs a little from the area it was computed from; the chain
        // stops after the write-back round, with the field showing the total of the cells.
        {"totals that keep creeping", {"61,3", "3,8", "8,9", "26"}, "440,9", "440,900054931641", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Build(QSize(1024, 768));
        PercentModeWithArea(QStringLiteral("1"));
        for (int r = 0; r < c.shares.size(); ++r)
            Percent()->SetCell(0, r, c.shares[r]);
        random.reseeds = 0;
        Paste(Area(), c.pasted);
        EXPECT_EQ(Area()->text(), c.settled);
        EXPECT_EQ(AreaCaption(), c.settled);
        EXPECT_EQ(KmTotal(), c.settled);
        EXPECT_EQ(SumColour(), kGreen);
        EXPECT_EQ(random.reseeds, c.rounds);
        EXPECT_TRUE(messages.log.empty());
    }
}

TEST_F(ScsTest, ValuesBeyondSinglePrecisionRaiseOverflowInsteadOfShowingInfinity)
{
    const QString overflow = QStringLiteral("Floating point overflow.");
    struct Case {
        const char* name;
        bool percentMode;
        std::vector<CellText> km, percent;
        std::function<void()> act;
    };
    const auto clickKm = [this] { ClickCell(Km(), 3, 3); };
    const auto clickPercent = [this] { ClickCell(Percent(), 3, 3); };
    const Case cases[] = {
        {"an area cell", false, {{0, 0, "1e39"}}, {}, clickKm},
        {"the total of two areas", false, {{0, 20, "3e38"}, {1, 20, "3e38"}}, {}, clickKm},
        {"an area times its curve number", false, {{0, 0, "3e38"}}, {}, clickKm},
        // Row "Inny:" has CN 0 here, so only the shares overflow.
        {"a share of a tiny total",
         false,
         {{0, 20, "3e38"}, {1, 20, "-3e38"}, {2, 20, "0,00001"}},
         {},
         [this] {
             ClickCell(Km(), 3, 3);
             ChoosePercent();
         }},
        {"an area from its share", true, {}, {{0, 0, "50"}}, [this] { Paste(Area(), QStringLiteral("1e39")); }},
        {"the sum of the shares", true, {}, {{0, 20, "3e38"}, {1, 20, "3e38"}}, clickPercent},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Build(QSize(1024, 768));
        if (c.percentMode)
            PercentModeWithArea(QStringLiteral("10"));
        else
            CompleteRainfall({QStringLiteral("10"), QStringLiteral("20")});
        SetCells(Km(), c.km);
        SetCells(Percent(), c.percent);
        messages.Clear();
        c.act();
        EXPECT_EQ(messages.Errors(), QStringList{overflow});
        EXPECT_TRUE(messages.Infos().isEmpty());
        QStringList shown = {AreaCaption(), CurveNumberCaption(), SumCaption(), Area()->text()};
        for (int r = 0; r < 21; ++r)
            for (int g = 0; g < 4; ++g)
                shown << Km()->Cell(g, r) << Percent()->Cell(g, r);
        for (const QString& text : shown) {
            EXPECT_FALSE(text.contains(QStringLiteral("INF"), Qt::CaseInsensitive)) << text.toStdString();
            EXPECT_FALSE(text.contains(QStringLiteral("NAN"), Qt::CaseInsensitive)) << text.toStdString();
        }
    }
}

TEST_F(ScsTest, DirectEffectiveRainfallBooksTheTypedAreaAsOtherLandInGroupD)
{
    Type(ui().Edit_Liczba_godzin_opadu, QStringLiteral("2"));
    QTest::mouseClick(ui().CheckBoxOpad, Qt::LeftButton);
    ASSERT_TRUE(ui().CheckBoxOpad->isChecked());
    ASSERT_TRUE(Area()->isEnabled());
    messages.Clear();

    Type(Area(), QStringLiteral("25"));
    EXPECT_EQ(Km()->Cell(3, 20), QStringLiteral("25"));
    EXPECT_EQ(ui().EditSCSD->text(), QStringLiteral("100"));
    EXPECT_EQ(window->LandUse().CurveNumberTable[20][3], 100);
    EXPECT_EQ(AreaCaption(), QStringLiteral("25"));
    EXPECT_TRUE(messages.log.empty());
}

}  // namespace
}  // namespace moravel::window::testing
