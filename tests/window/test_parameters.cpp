// The catchment parameter panel through the real window: the entry check at every change,
// the rule that enables "Obliczenia", and the Enter / Down-arrow focus cycle.
#include <QMenu>
#include <QSignalSpy>

#include "WindowFixture.h"

namespace moravel::window::testing {
namespace {

const QString kRealNumber = QStringLiteral("Wprowadź liczbę rzeczywistą");

class ParametersTest : public WindowFixture {
protected:
    // The cycle's order, spelled out here rather than taken from the window.
    std::vector<QLineEdit*> Edits()
    {
        return {ui().EditParametryRB, ui().EditParametryRL, ui().EditParametryRA, ui().EditParametrySo,
                ui().EditParametryLo, ui().EditParametryb,  ui().EditParametryn};
    }
};

TEST_F(ParametersTest, EveryChangeToATextThatIsNotARealIsReported)
{
    Type(ui().EditParametryRB, QStringLiteral("abc"));
    EXPECT_EQ(messages.Infos(), QStringList(3, kRealNumber));
    EXPECT_EQ(ui().EditParametryRB->text(), QStringLiteral("abc"));  // kept as typed

    Retype(ui().EditParametrySo, QStringLiteral("0,01"));
    messages.Clear();
    Type(ui().EditParametrySo, QStringLiteral("e-3"));  // "0,01e" is not a number, "0,01e-" neither
    EXPECT_EQ(messages.Infos(), QStringList(2, kRealNumber));

    messages.Clear();
    Retype(ui().EditParametrySo, QString());  // emptied: one message
    EXPECT_EQ(messages.Infos(), QStringList{kRealNumber});
    EXPECT_TRUE(messages.Errors().isEmpty());
}

TEST_F(ParametersTest, ObliczeniaIsEnabledOnceAllSevenHoldTextAndStaysEnabled)
{
    const std::vector<QLineEdit*> edits = Edits();
    // Any order; an invalid entry counts as filled.
    const int order[] = {6, 0, 3, 1, 5, 2, 4};
    for (int k = 0; k < 7; ++k) {
        EXPECT_FALSE(ui().MenuObliczenia->isEnabled()) << k;
        Type(edits[order[k]], k == 2 ? QStringLiteral("x") : QStringLiteral("2"));
    }
    EXPECT_TRUE(ui().MenuObliczenia->isEnabled());
    EXPECT_TRUE(ui().MenuObliczenia->menuAction()->isEnabled());
    EXPECT_EQ(messages.Infos(), QStringList{kRealNumber});

    for (QLineEdit* edit : edits)
        Retype(edit, QString());
    EXPECT_TRUE(ui().MenuObliczenia->isEnabled());
    EXPECT_EQ(messages.Infos().size(), 8);
}

TEST_F(ParametersTest, EnterAndDownArrowCycleTheFocusThroughTheSevenFields)
{
    const std::vector<QLineEdit*> edits = Edits();
    edits[0]->setFocus();
    QSignalSpy returnPressed(edits[0], &QLineEdit::returnPressed);
    for (int k = 0; k < 7; ++k) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_EQ(focus, edits[k]);
        QTest::keyClick(focus, k % 2 ? Qt::Key_Down : Qt::Key_Return);
    }
    EXPECT_EQ(QApplication::focusWidget(), edits[0]);  // n -> RB closes the cycle
    EXPECT_EQ(returnPressed.count(), 1);               // the key still reached the edit

    QTest::keyClick(edits[0], Qt::Key_Up);
    QTest::keyClick(edits[0], Qt::Key_A);
    EXPECT_EQ(QApplication::focusWidget(), edits[0]);
    EXPECT_EQ(edits[0]->text(), QStringLiteral("a"));
}

}  // namespace
}  // namespace moravel::window::testing
