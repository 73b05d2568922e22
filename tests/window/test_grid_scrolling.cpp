// The rainfall table with more hours than it shows, driven through the real window: its
// header row and hour column stay in place while the hours scroll beneath them by whole rows,
// whether the table scrolls by keys, by its scroll bar or by the wheel.
#include <QScrollBar>
#include <QWheelEvent>

#include "WindowFixture.h"

namespace moravel::window::testing {
namespace {

class GridScrollingTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        Retype(Hours(), QStringLiteral("100"));
        for (int hour = 1; hour <= 100; ++hour)
            Table()->SetCell(1, hour, QString::number(hour % 7));
        ClickCell(Table(), 1, 1);
        header = HeaderStrip();
    }

    int HeaderHeight() { return Table()->rowHeight(0); }
    // The top of the viewport as drawn, one row high.
    QImage HeaderStrip()
    {
        const QRect port = Table()->viewport()->geometry();
        return Table()->grab(QRect(port.topLeft(), QSize(port.width(), HeaderHeight()))).toImage();
    }
    // The hour row drawn right beneath the header row.
    int FirstShownRow() { return Table()->rowAt(HeaderHeight()); }

    // The header row is drawn as before scrolling and the row beneath it is whole.
    void ExpectHeaderOverWholeRows()
    {
        EXPECT_TRUE(HeaderStrip() == header) << "the header row is not drawn at the top";
        const int first = FirstShownRow();
        ASSERT_GE(first, 1);
        EXPECT_EQ(Table()->rowViewportPosition(first), HeaderHeight()) << "part of row " << first << " shows";
    }
    // The selected cell shows whole beneath the header row.
    void ExpectSelectedShown()
    {
        StringGrid* table = Table();
        const QRect selected = table->visualRect(table->model()->index(table->SelectedRow(), table->SelectedCol()));
        EXPECT_GE(selected.top(), HeaderHeight());
        EXPECT_LT(selected.bottom(), table->viewport()->height());
    }

    // The widget that the pointer over `point` of the table's viewport reaches, found as Qt
    // finds a mouse or wheel event's receiver.
    QWidget* UnderPointer(QPoint point)
    {
        return window->childAt(window->mapFromGlobal(Table()->viewport()->mapToGlobal(point)));
    }
    void Wheel(QPoint point, int notches)
    {
        QWidget* target = UnderPointer(point);
        ASSERT_EQ(target, Table()->viewport()) << "the event would not reach the grid";
        const QPoint global = target->mapToGlobal(point);
        QWheelEvent wheel(point, global, QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
    }

    QImage header;
};

TEST_F(GridScrollingTest, TheHeaderRowIsTheButtonFaceRowWithTheColumnTitles)
{
    // The strip the other tests compare with is the header row itself.
    const QColor face = Table()->palette().color(QPalette::Button);
    int facePixels = 0;
    for (int y = 0; y < header.height(); ++y)
        for (int x = 0; x < header.width(); ++x)
            facePixels += header.pixelColor(x, y) == face;
    EXPECT_GT(facePixels, header.width() * header.height() / 2);
    EXPECT_EQ(FirstShownRow(), 1);
}

TEST_F(GridScrollingTest, CtrlEndShowsTheLastHourWholeUnderTheHeaderRow)
{
    QTest::keyClick(GridKeyTarget(Table()), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Table()->SelectedRow(), 100);
    ExpectHeaderOverWholeRows();
    ExpectSelectedShown();
    EXPECT_GT(FirstShownRow(), 50);
    EXPECT_LE(Table()->rowViewportPosition(100) + Table()->rowHeight(100), Table()->viewport()->height());

    // Up by keys, one row at a time past the top of the scrolled rows.
    const int first = FirstShownRow();
    for (int i = 0; i < 100 - first + 1; ++i)
        QTest::keyClick(GridKeyTarget(Table()), Qt::Key_Up);
    EXPECT_EQ(Table()->SelectedRow(), first - 1);
    EXPECT_EQ(FirstShownRow(), first - 1);
    ExpectHeaderOverWholeRows();
    ExpectSelectedShown();

    QTest::keyClick(GridKeyTarget(Table()), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(FirstShownRow(), 1);
    EXPECT_TRUE(HeaderStrip() == header);
}

TEST_F(GridScrollingTest, PagingWithTheScrollBarKeepsWholeRowsUnderTheHeaderToTheEnd)
{
    QScrollBar* bar = Table()->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    // Clicks on the groove just above the bottom arrow page down until the end.
    const QPoint groove(bar->width() / 2, bar->height() - bar->width() - 3);
    for (int clicks = 0; clicks < 10 && bar->value() < bar->maximum(); ++clicks) {
        const int before = FirstShownRow();
        QTest::mouseClick(bar, Qt::LeftButton, {}, groove);
        ASSERT_GT(FirstShownRow(), before);
        SCOPED_TRACE(clicks);
        ExpectHeaderOverWholeRows();
    }
    ASSERT_EQ(bar->value(), bar->maximum());
    EXPECT_LE(Table()->rowViewportPosition(100) + Table()->rowHeight(100), Table()->viewport()->height())
        << "the last hour is cut off";
}

TEST_F(GridScrollingTest, TheWheelScrollsWholeRowsOverTheHourColumnAndTheHeaderToo)
{
    const QPoint overHours(Table()->columnWidth(0) / 2, Table()->viewport()->height() / 2);
    Wheel(overHours, -2);
    const int first = FirstShownRow();
    EXPECT_GT(first, 1);
    ExpectHeaderOverWholeRows();
    // The hour column beside the first row shown is that row's hour.
    EXPECT_EQ(Table()->indexAt(QPoint(overHours.x(), HeaderHeight() + 1)).row(), first);

    const QPoint overHeader(Table()->columnViewportPosition(1) + 5, HeaderHeight() / 2);
    Wheel(overHeader, 1);
    EXPECT_LT(FirstShownRow(), first);
    ExpectHeaderOverWholeRows();
}

TEST_F(GridScrollingTest, AClickOnTheHeaderOrTheHoursOverScrolledRowsSelectsNothing)
{
    QTest::keyClick(GridKeyTarget(Table()), Qt::Key_End, Qt::ControlModifier);
    const int first = FirstShownRow();
    ASSERT_GT(first, 1);
    const QPoint overHeader(Table()->columnViewportPosition(1) + Table()->columnWidth(1) / 2, HeaderHeight() / 2);
    const QPoint overHour(Table()->columnWidth(0) / 2, Table()->rowViewportPosition(first + 2) + 4);
    for (const QPoint& point : {overHeader, overHour}) {
        ASSERT_EQ(UnderPointer(point), Table()->viewport());
        QTest::mouseClick(Table()->viewport(), Qt::LeftButton, {}, point);
        EXPECT_EQ(Table()->SelectedRow(), 100);
        EXPECT_EQ(Table()->SelectedCol(), 1);
        EXPECT_EQ(FirstShownRow(), first);
    }
    // A cell beneath them still takes the click.
    ClickCell(Table(), 1, first);
    EXPECT_EQ(Table()->SelectedRow(), first);
    ExpectHeaderOverWholeRows();
    ExpectSelectedShown();
}

}  // namespace
}  // namespace moravel::window::testing
