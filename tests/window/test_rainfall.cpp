// The rainfall panel driven by real key and mouse events: the hour-count rule, the refresh
// and its widths, the Enter-key move, direct effective-rainfall mode, and the window's side
// of the effective-rainfall computation.
#include "WindowFixture.h"
#include "model/OpadEfektywnyObliczenia.h"
#include "text/Error.h"
#include "text/NumText.h"

namespace moravel::window::testing {
namespace {

class RainfallTest : public WindowFixture {
protected:
    void SetUp() override
    {
        source = &random;
        WindowFixture::SetUp();
    }
    void FillRain(const QStringList& cells)
    {
        for (int i = 0; i < cells.size(); ++i)
            Table()->SetCell(1, i + 1, cells[i]);
    }
    void SetCurveNumber(const QString& caption) { ui().LabelSCSSCSWartosc->setText(caption); }
    QColor PoleColor() { return ui().EditParametryPole->palette().color(QPalette::Base); }

    FixedSource random{{0.25, 0.5, 0.75}};
};

TEST_F(RainfallTest, TypingAnHourCountBuildsTheTableKeyByKey)
{
    Type(Hours(), QStringLiteral("1"));
    EXPECT_TRUE(ui().CheckBoxOpad->isEnabled());
    EXPECT_TRUE(Table()->isVisible());
    EXPECT_EQ(Table()->RowCount(), 2);  // the rule ran for 1 hour ...
    Type(Hours(), QStringLiteral("2"));
    EXPECT_EQ(Table()->RowCount(), 13);  // ... and again for 12
    EXPECT_EQ(Table()->Cell(0, 0), QStringLiteral("godzina"));
    EXPECT_EQ(Table()->Cell(1, 0), QStringLiteral("Opad [mm]"));
    EXPECT_EQ(Table()->Cell(0, 12), QStringLiteral("12"));
    EXPECT_EQ(Table()->ColWidth(0), 44);
    EXPECT_EQ(Table()->ColWidth(1), 60);
    EXPECT_TRUE(messages.log.empty());

    Retype(Hours(), QString());  // empty: one hour, no message
    EXPECT_EQ(Table()->RowCount(), 2);
    EXPECT_TRUE(messages.log.empty());

    Type(Hours(), QStringLiteral("x"));  // not an integer: message, two hours
    EXPECT_EQ(messages.Infos(), QStringList{QStringLiteral("Wprowadź liczbę naturalną!")});
    EXPECT_EQ(Table()->RowCount(), 3);
    EXPECT_EQ(Table()->Cell(0, 2), QStringLiteral("2"));

    Retype(Hours(), QStringLiteral("0"));  // only the header row
    EXPECT_EQ(Table()->RowCount(), 1);
    Retype(Hours(), QStringLiteral("-3"));
    EXPECT_EQ(Table()->RowCount(), 1);
}

TEST_F(RainfallTest, LoweringAndRaisingTheHourCountKeepsTheTexts)
{
    Type(Hours(), QStringLiteral("10"));
    FillRain({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
    Retype(Hours(), QStringLiteral("5"));
    EXPECT_EQ(Table()->RowCount(), 6);
    Retype(Hours(), QStringLiteral("10"));
    EXPECT_EQ(Table()->RowCount(), 11);
    for (int i = 6; i <= 10; ++i)
        EXPECT_EQ(Table()->model()->index(i, 1).data().toString(), QString::number(i));
}

TEST_F(RainfallTest, AnHourCountAboveTheStateCapacityIsRefused)
{
    Retype(Hours(), QStringLiteral("1001"));
    EXPECT_TRUE(messages.Infos().contains(QStringLiteral("Liczba godzin opadu nie może przekraczać 1000!")));
    EXPECT_EQ(Table()->RowCount(), 1001);
    EXPECT_TRUE(messages.Errors().isEmpty());

    // A computation never runs past the state's arrays: it stops with the same text.
    SetCurveNumber(QStringLiteral("80,00"));
    for (int i = 1; i <= 1001; ++i)
        Table()->SetCell(1, i, QStringLiteral("1"));
    messages.Clear();
    ClickCell(Table(), 1, 1);
    EXPECT_EQ(messages.Errors(), QStringList{QStringLiteral("Liczba godzin opadu nie może przekraczać 1000!")});
    EXPECT_EQ(window->State().Rainfall[1], 0.0f);
    messages.Clear();
    QTest::mouseClick(ui().CheckBoxOpad, Qt::LeftButton);
    EXPECT_EQ(messages.Errors(), QStringList{QStringLiteral("Liczba godzin opadu nie może przekraczać 1000!")});
    EXPECT_EQ(window->State().EffectiveRain[1], 0.0f);
}

TEST_F(RainfallTest, RefreshSetsTheTableWidthByColumnsAndRows)
{
    struct Case {
        QString hours;
        bool threeColumns;
        int width;
    };
    const Case cases[] = {{"38", false, 105}, {"40", false, 125}, {"38", true, 160}, {"40", true, 180}};
    for (const Case& c : cases) {
        Build(QSize(1024, 768));
        Retype(Hours(), c.hours);
        if (c.threeColumns)
            Table()->SetColCount(3);
        ClickCell(Table(), 1, 1);
        EXPECT_EQ(Table()->GridWidth(), c.width) << c.hours.toStdString() << " " << c.threeColumns;
    }
}

TEST_F(RainfallTest, EnterMovesDownOneHourAndStaysInTheLastRow)
{
    Type(Hours(), QStringLiteral("3"));
    ClickCell(Table(), 1, 1);
    TypeInGrid(Table(), QStringLiteral("5"));
    PressEnterInGrid(Table());
    EXPECT_EQ(Table()->Cell(1, 1), QStringLiteral("5"));
    EXPECT_EQ(Table()->SelectedRow(), 2);
    EXPECT_EQ(Table()->SelectedCol(), 1);
    PressEnterInGrid(Table());
    EXPECT_EQ(Table()->SelectedRow(), 3);
    TypeInGrid(Table(), QStringLiteral("7"));
    PressEnterInGrid(Table());
    EXPECT_EQ(Table()->SelectedRow(), 3);
    EXPECT_EQ(Table()->Cell(1, 3), QStringLiteral("7"));
    EXPECT_TRUE(messages.log.empty());
}

TEST_F(RainfallTest, TheKeyHandlerComputesFromTheCellsAsTheyStoodBeforeTheKey)
{
    SetCurveNumber(QStringLiteral("80,00"));
    Type(Hours(), QStringLiteral("2"));
    FillRain({"", "40"});
    ClickCell(Table(), 1, 1);
    TypeInGrid(Table(), QStringLiteral("3"));
    // The key "3" saw an empty first hour: nothing was computed yet.
    EXPECT_EQ(Table()->ColCount(), 2);
    EXPECT_EQ(random.reseeds, 0);
    PressEnterInGrid(Table());  // Enter sees "30" ... the complete text
    EXPECT_EQ(Table()->ColCount(), 3);
    EXPECT_EQ(window->State().Rainfall[1], 3.0f);
    EXPECT_EQ(window->State().Rainfall[2], 40.0f);
}

TEST_F(RainfallTest, ComputesTheEffectiveRainIntoTheStateAndTheTable)
{
    SetCurveNumber(QStringLiteral("80,00"));
    Type(Hours(), QStringLiteral("3"));
    FillRain({"10", "20,5", "0"});
    ClickCell(Table(), 1, 2);

    const float rain[] = {10.0f, 20.5f, 0.0f};
    float expected[3];
    FixedSource same{{0.25, 0.5, 0.75}};
    model::ScsEffectiveRain(rain, 3, 80.0f, same, expected);
    auto& state = window->State();
    EXPECT_EQ(random.reseeds, 1);
    EXPECT_EQ(random.draws, same.draws);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(state.Rainfall[i], rain[i - 1]);
        EXPECT_EQ(state.EffectiveRain[i], expected[i - 1]);
        EXPECT_EQ(Table()->Cell(2, i), text::FormatEffectiveRain(expected[i - 1], QLatin1Char(',')));
    }
    EXPECT_EQ(Table()->Cell(2, 0), QStringLiteral("Hef [mm]"));
    EXPECT_EQ(Table()->ColCount(), 3);
    EXPECT_EQ(state.RainfallMax, 20.5f);
    EXPECT_EQ(state.RainfallMaxRounded, 20);  // 20.5 rounds to the even 20
    EXPECT_EQ(Table()->ColWidth(2), 50);
    EXPECT_TRUE(messages.log.empty());
}

TEST_F(RainfallTest, ComputationWidthIs160ThenAfterwards170ForATallTable)
{
    SetCurveNumber(QStringLiteral("72,50"));
    Retype(Hours(), QStringLiteral("45"));
    for (int i = 1; i <= 45; ++i)
        Table()->SetCell(1, i, QStringLiteral("2"));
    window->ComputeEffectiveRain();
    EXPECT_EQ(Table()->GridWidth(), 160);
    window->ComputeEffectiveRain();
    EXPECT_EQ(Table()->GridWidth(), 170);
}

TEST_F(RainfallTest, NothingIsComputedWithoutACurveNumber)
{
    Type(Hours(), QStringLiteral("2"));
    FillRain({"5", "6"});
    for (const QString caption : {QStringLiteral("?"), QStringLiteral("0,00")}) {
        SetCurveNumber(caption);
        ClickCell(Table(), 1, 1);
        ClickCell(Table(), 1, 2);
        EXPECT_EQ(Table()->ColCount(), 2);
        EXPECT_EQ(window->State().Rainfall[1], 0.0f);
    }
    EXPECT_EQ(random.reseeds, 4);  // every run reseeds, whatever follows
}

TEST_F(RainfallTest, DirectModeOnAndOff)
{
    Type(Hours(), QStringLiteral("3"));
    FillRain({"4", "5", "6"});
    Table()->SetCell(2, 2, QStringLiteral("2,5"));
    Table()->SetCell(2, 3, QStringLiteral("abc"));

    QTest::mouseClick(ui().CheckBoxOpad, Qt::LeftButton);
    ASSERT_TRUE(ui().CheckBoxOpad->isChecked());
    EXPECT_TRUE(ui().TabelaOpadZaslona->isVisible());
    EXPECT_EQ(Table()->ColCount(), 3);
    EXPECT_EQ(Table()->FixedCols(), 2);
    EXPECT_EQ(Table()->GridWidth(), 160);
    EXPECT_EQ(Table()->Cell(2, 0), QStringLiteral("Hef [mm]"));
    EXPECT_TRUE(ui().EditParametryPole->isEnabled());
    EXPECT_EQ(PoleColor(), QColor(192, 220, 192));
    EXPECT_FALSE(ui().Tabela_SCS->isEnabled());
    const float expected[] = {1.0f, 2.5f, 1.0f};
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(window->State().EffectiveRain[i], expected[i - 1]);
        EXPECT_EQ(Table()->Cell(1, i), QStringLiteral("1"));
    }
    // Only the typed column can be edited now; every refresh copies it.
    ClickCell(Table(), 1, 1);
    EXPECT_EQ(Table()->SelectedCol(), 2);
    ClickCell(Table(), 2, 1);
    TypeInGrid(Table(), QStringLiteral("9"));
    PressEnterInGrid(Table());
    EXPECT_EQ(window->State().EffectiveRain[1], 9.0f);

    // Off again: with a curve number, column 2 is computed for 1 mm in every hour.
    SetCurveNumber(QStringLiteral("100,00"));
    QTest::mouseClick(ui().CheckBoxOpad, Qt::LeftButton);
    ASSERT_FALSE(ui().CheckBoxOpad->isChecked());
    EXPECT_FALSE(ui().TabelaOpadZaslona->isVisible());
    EXPECT_EQ(Table()->FixedCols(), 1);
    EXPECT_FALSE(ui().EditParametryPole->isEnabled());
    EXPECT_EQ(PoleColor(), QColor(192, 192, 192));
    EXPECT_TRUE(ui().Tabela_SCS->isEnabled());
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(window->State().Rainfall[i], 1.0f);
        EXPECT_EQ(Table()->Cell(1, i), QStringLiteral("1"));
        // CN 100: no retention, each hour's effective rain is 1 mm times a factor in [1, 2).
        EXPECT_GE(window->State().EffectiveRain[i], 1.0f);
        EXPECT_LT(window->State().EffectiveRain[i], 2.0f);
    }
    EXPECT_TRUE(messages.log.empty());
}

// Raising the hour count in direct mode: the hours added get the covered placeholder "1"
// where their rainfall cell is empty (a text kept from a larger count stays), so the table
// stays complete and the rule copies the typed column at once, hidden hours included.
TEST_F(RainfallTest, RaisingTheHourCountInDirectModeKeepsTheTypedColumnInUse)
{
    // An earlier computation of 5 hours leaves its effective rainfall in the state.
    SetCurveNumber(QStringLiteral("95,00"));
    Type(Hours(), QStringLiteral("5"));
    FillRain({"4", "5", "6", "7", "8"});
    ClickCell(Table(), 1, 1);
    ASSERT_GT(window->State().EffectiveRain[4], 0.0f);
    Retype(Hours(), QStringLiteral("2"));
    Table()->SetCell(1, 4, QString());
    QTest::mouseClick(ui().CheckBoxOpad, Qt::LeftButton);
    ASSERT_TRUE(ui().CheckBoxOpad->isChecked());
    Table()->SetCell(2, 3, QStringLiteral("2,5"));
    Table()->SetCell(2, 4, QStringLiteral("0"));

    Retype(Hours(), QStringLiteral("6"));
    EXPECT_EQ(Column(1, 1, 6), (QStringList{"1", "1", "6", "1", "8", "1"}));
    EXPECT_EQ(window->State().EffectiveRain[3], 2.5f);
    EXPECT_EQ(window->State().EffectiveRain[4], 0.0f);
    EXPECT_EQ(window->State().EffectiveRain[6], 1.0f);  // empty: 1 mm, as ticking the box reads it
    EXPECT_TRUE(messages.log.empty());
}

TEST_F(RainfallTest, AnErrorInsideANestedChainEndsTheCommandWithOneErrorBox)
{
    // Enter runs the key handler, which runs the refresh, which runs the computation; a rainfall
    // cell that is not a number ends all of it: the selection does not move on.
    SetCurveNumber(QStringLiteral("80,00"));
    Type(Hours(), QStringLiteral("2"));
    FillRain({"x", "3"});
    messages.Clear();
    // A program-made move runs the refresh inside its caller's chain: the error goes to the
    // caller, and no box is shown there.
    EXPECT_THROW(Table()->SelectCell(1, 2), Error);
    EXPECT_TRUE(messages.log.empty());
    ClickCell(Table(), 1, 1);
    ASSERT_EQ(messages.Errors(), QStringList{QStringLiteral("'x' is not a valid floating point value.")});
    messages.Clear();
    KeyInGrid(Table(), Qt::Key_Down);  // the failing key handler drops the key
    EXPECT_EQ(messages.Errors().size(), 1);
    EXPECT_EQ(Table()->SelectedRow(), 1);
    EXPECT_EQ(Table()->ColCount(), 2);

    // The hour count "abc": Enter's own conversion fails after the refresh.
    Retype(Hours(), QStringLiteral("abc"));
    FillRain({"1", "2"});
    ClickCell(Table(), 1, 1);
    messages.Clear();
    PressEnterInGrid(Table());
    EXPECT_EQ(messages.log.size(), 1u);
    EXPECT_EQ(messages.Errors(), QStringList{QStringLiteral("'abc' is not a valid integer value.")});
    EXPECT_EQ(Table()->SelectedRow(), 1);

    // Ticking the box with that hour count: the steps before the conversion took effect.
    messages.Clear();
    QTest::mouseClick(ui().CheckBoxOpad, Qt::LeftButton);
    EXPECT_EQ(messages.Errors(), QStringList{QStringLiteral("'abc' is not a valid integer value.")});
    EXPECT_TRUE(ui().TabelaOpadZaslona->isVisible());
    EXPECT_EQ(Table()->FixedCols(), 2);
    EXPECT_EQ(window->State().EffectiveRain[1], 0.0f);
}

}  // namespace
}  // namespace moravel::window::testing
