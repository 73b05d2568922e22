// Copy and paste in the rainfall table through real keys on the real window, with the
// system clipboard (it works on the offscreen platform).
#include <QClipboard>

#include "WindowFixture.h"
#include "model/State.h"
#include "text/NumText.h"
#include "window/RainfallClipboard.h"

namespace moravel::window::testing {
namespace {

class RainfallClipboardTest : public WindowFixture {
protected:
    void SetUp() override
    {
        source = &random;
        WindowFixture::SetUp();
    }
    // A curve number, so that every refresh of a complete table computes the effective rainfall.
    void WithCurveNumber() { ui().LabelSCSSCSWartosc->setText(QStringLiteral("75")); }
    void Copy() { QTest::keyClick(Table(), Qt::Key_C, Qt::ControlModifier); }
    void Paste(const QString& text)
    {
        QGuiApplication::clipboard()->setText(text);
        // The V key with Ctrl held (a click would first press Ctrl, whose own key handler
        // refreshes the table).
        QKeyEvent press(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
        QApplication::sendEvent(Table(), &press);
    }

    FixedSource random{{0.25, 0.5, 0.75}};
};

TEST_F(RainfallClipboardTest, CopiesTheMarkedBlockAsTabSeparatedText)
{
    WithCurveNumber();
    CompleteRainfall({"12,5", "30", "41,2", "7"});
    ClickCell(Table(), 1, 4);  // the refresh adds "Hef [mm]"
    ASSERT_EQ(Table()->ColCount(), 3);
    Copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("7\n"));

    ClickCell(Table(), 1, 1);
    QTest::keyClick(Table(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(Table(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(Table(), Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_EQ(Table()->SelectedRange(), QRect(QPoint(1, 1), QPoint(2, 3)));
    Copy();
    QString expected;
    for (int row = 1; row <= 3; ++row)
        expected += Table()->Cell(1, row) + '\t' + Table()->Cell(2, row) + '\n';
    EXPECT_TRUE(Table()->Cell(2, 3).contains(QLatin1Char(',')));  // the table's own separator
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
    EXPECT_TRUE(messages.log.empty());
}

TEST_F(RainfallClipboardTest, PastedColumnRaisesTheHourCountAndRefreshesOnce)
{
    WithCurveNumber();
    CompleteRainfall({"1", "2", "3"});
    ClickCell(Table(), 1, 2);
    random.reseeds = 0;
    // A spreadsheet's column: CR LF lines, a second column that is not taken, a final newline.
    Paste(QStringLiteral("10,5\tx\r\n 20 \r\n30\r\n40,25\r\n"));
    EXPECT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
    EXPECT_EQ(Hours()->text(), QStringLiteral("5"));
    EXPECT_EQ(Table()->RowCount(), 6);
    EXPECT_EQ(Column(0, 1, 5), (QStringList{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(Column(1, 1, 5), (QStringList{"1", "10,5", "20", "30", "40,25"}));
    // One refresh, over the whole pasted column: one effective-rainfall run for five hours.
    EXPECT_EQ(random.reseeds, 1);
    EXPECT_EQ(Table()->SelectedRange(), QRect(1, 2, 1, 1));
    EXPECT_EQ(Column(2, 1, 5).filter(QRegularExpression(QStringLiteral("^\\d+,\\d{3}$"))).size(), 5);
    EXPECT_EQ(window->State().Rainfall[5], 40.25f);

    // A shorter column inside the table leaves the hour count.
    ClickCell(Table(), 1, 1);
    Paste(QStringLiteral("5\n6"));
    EXPECT_EQ(Hours()->text(), QStringLiteral("5"));
    EXPECT_EQ(Column(1, 1, 5), (QStringList{"5", "6", "20", "30", "40,25"}));
}

TEST_F(RainfallClipboardTest, AColumnPastTheCapacityIsRefusedAndChangesNothing)
{
    CompleteRainfall({"1", "2", "3"});
    ClickCell(Table(), 1, 3);
    QStringList lines;
    for (int i = 0; i < kMaxRainfallHours - 2; ++i)
        lines << QStringLiteral("1");
    Paste(lines.join('\n'));  // rows 3..1000: fits exactly
    EXPECT_TRUE(messages.log.empty());
    EXPECT_EQ(Hours()->text(), QStringLiteral("1000"));
    EXPECT_EQ(Table()->Cell(1, 1000), QStringLiteral("1"));

    window->SetText(Hours(), QStringLiteral("3"));
    ClickCell(Table(), 1, 3);
    Paste(lines.join('\n') + QStringLiteral("\n7"));  // one more: row 1001
    EXPECT_EQ(messages.Infos(),
              QStringList{QStringLiteral(
                  "Wklejana kolumna sięga godziny 1001, a liczba godzin opadu nie może przekraczać 1000!")});
    EXPECT_EQ(Hours()->text(), QStringLiteral("3"));
    EXPECT_EQ(Table()->Cell(1, 3), QStringLiteral("1"));
    EXPECT_EQ(Table()->RowCount(), 4);
}

TEST_F(RainfallClipboardTest, APastedTextThatIsNoNumberDoesWhatTypingItDoes)
{
    WithCurveNumber();
    CompleteRainfall({"1", "2", "3"});
    // Typed: the key handler sees every key, so the whole text meets the next refresh.
    EnterCell(Table(), 1, 2, QStringLiteral("x"));
    ASSERT_EQ(Table()->Cell(1, 2), QStringLiteral("x"));
    messages.Clear();
    ClickCell(Table(), 1, 1);
    const QStringList typed = messages.Errors();
    ASSERT_FALSE(typed.isEmpty());

    messages.Clear();
    CompleteRainfall({"1", "2", "3"});
    ClickCell(Table(), 1, 2);
    messages.Clear();
    Paste(QStringLiteral("x"));
    EXPECT_EQ(messages.Errors(), typed);
    EXPECT_EQ(Table()->Cell(1, 2), QStringLiteral("x"));
}

TEST_F(RainfallClipboardTest, DirectModeTakesThePastedEffectiveRainfall)
{
    CompleteRainfall({"1", "1"});
    window->SetChecked(ui().CheckBoxOpad, true);
    ClickCell(Table(), 2, 1);
    Paste(QStringLiteral("4,5\n0\n2,25\n"));
    EXPECT_TRUE(messages.log.empty());
    EXPECT_EQ(Hours()->text(), QStringLiteral("3"));
    EXPECT_EQ(Column(1, 1, 3), (QStringList{"1", "1", "1"}));
    EXPECT_EQ(window->State().EffectiveRain[1], 4.5f);
    EXPECT_EQ(window->State().EffectiveRain[2], 0.0f);
    EXPECT_EQ(window->State().EffectiveRain[3], 2.25f);
}

TEST(RainfallClipboardText, PastedColumnTakesTheFirstFieldOfEveryLine)
{
    EXPECT_EQ(PastedColumn(QString()), QStringList());
    EXPECT_EQ(PastedColumn(QStringLiteral("\n")), QStringList{""});  // one empty cell
    EXPECT_EQ(PastedColumn(QStringLiteral("1")), QStringList{"1"});
    EXPECT_EQ(PastedColumn(QStringLiteral("1\r\n\r\n2\r\n")), (QStringList{"1", "", "2"}));
    EXPECT_EQ(PastedColumn(QStringLiteral("\t5\n3,5\t7\t8")), (QStringList{"", "3,5"}));
}

}  // namespace
}  // namespace moravel::window::testing
