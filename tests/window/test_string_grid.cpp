// The string grid on its own: stored texts, fixed cells, the click handler on every way a
// cell becomes selected, and the key handler running before the key takes effect.
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>
#include <QTest>

#include "WindowFixture.h"

namespace moravel::window::testing {
namespace {

class StringGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        host = std::make_unique<QWidget>();
        host->resize(400, 300);
        grid = new StringGrid(host.get());
        grid->setGeometry(0, 0, 300, 200);
        grid->SetColCount(3);
        grid->SetRowCount(4);
        grid->SetFixedCols(1);
        grid->SetFixedRows(1);
        grid->SetDefaultRowHeight(15);
        grid->SetDefaultColWidth(50);
        grid->onClick = [this] { clicks.push_back({grid->SelectedCol(), grid->SelectedRow()}); };
        grid->onKey = [this](int key) { keys.push_back({key, grid->Cell(grid->SelectedCol(), grid->SelectedRow())}); };
        host->show();
        QApplication::setActiveWindow(host.get());
        (void)QTest::qWaitForWindowActive(host.get());
        grid->setFocus();
    }

    void Click(int col, int row)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(row, col)).center());
    }
    QWidget* KeyTarget()
    {
        QWidget* focus = QApplication::focusWidget();
        return focus && grid->isAncestorOf(focus) ? focus : grid;
    }

    std::unique_ptr<QWidget> host;
    StringGrid* grid = nullptr;
    std::vector<std::pair<int, int>> clicks;
    std::vector<std::pair<int, QString>> keys;
};

TEST_F(StringGridTest, TextsOutliveTheRowAndColumnCountsAndSettingThemRunsNoHandler)
{
    grid->SetCell(2, 3, QStringLiteral("a"));
    grid->SetCell(1, 9, QStringLiteral("beyond"));
    grid->SetRowCount(2);
    grid->SetColCount(2);
    EXPECT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->model()->columnCount(), 2);
    grid->SetRowCount(10);
    grid->SetColCount(3);
    EXPECT_EQ(grid->Cell(2, 3), QStringLiteral("a"));
    EXPECT_EQ(grid->model()->index(9, 1).data().toString(), QStringLiteral("beyond"));
    EXPECT_TRUE(clicks.empty());
    EXPECT_TRUE(keys.empty());
}

TEST_F(StringGridTest, FixedCellsAreNeverSelectedAndNeverRunTheClickHandler)
{
    EXPECT_EQ(grid->SelectedCol(), 1);
    EXPECT_EQ(grid->SelectedRow(), 1);
    Click(0, 2);  // fixed column
    Click(2, 0);  // fixed row
    grid->SelectCell(0, 3);
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(grid->SelectedCol(), 1);
    EXPECT_EQ(grid->SelectedRow(), 1);
    // Arrow keys stop at the fixed cells.
    QTest::keyClick(grid, Qt::Key_Up);
    QTest::keyClick(grid, Qt::Key_Left);
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(grid->SelectedRow(), 1);
    EXPECT_EQ(grid->SelectedCol(), 1);
    EXPECT_FALSE(grid->model()->flags(grid->model()->index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_EQ(grid->model()->index(0, 0).data(Qt::BackgroundRole).value<QBrush>().color(),
              grid->palette().color(QPalette::Button));

    // Fixing a further column at run time puts the selection on the first free cell without
    // a handler.
    Click(1, 3);
    clicks.clear();
    grid->SetFixedCols(2);
    EXPECT_EQ(grid->SelectedCol(), 2);
    EXPECT_EQ(grid->SelectedRow(), 1);
    EXPECT_TRUE(clicks.empty());
}

TEST_F(StringGridTest, ClickHandlerRunsForMouseArrowsTabAndSelectCell)
{
    Click(2, 2);
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Left);
    QTest::keyClick(grid, Qt::Key_Tab);
    grid->SelectCell(1, 1);
    grid->SelectCell(1, 1);  // already selected: nothing
    const std::vector<std::pair<int, int>> expected{{2, 2}, {2, 3}, {1, 3}, {2, 3}, {1, 1}};
    EXPECT_EQ(clicks, expected);
}

TEST_F(StringGridTest, KeyHandlerSeesTheCellBeforeEachKeyAndEditingStoresEveryKey)
{
    Click(1, 2);
    clicks.clear();
    for (QChar c : QStringLiteral("12"))
        QTest::keyClicks(KeyTarget(), QString(c));
    EXPECT_EQ(grid->Cell(1, 2), QStringLiteral("12"));  // stored while the editor is still open
    QTest::keyClick(KeyTarget(), Qt::Key_Tab);
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0], std::make_pair(int(Qt::Key_1), QString()));
    EXPECT_EQ(keys[1], std::make_pair(int(Qt::Key_2), QStringLiteral("1")));
    EXPECT_EQ(keys[2], std::make_pair(int(Qt::Key_Tab), QStringLiteral("12")));
    // Tab out of the editor moved on to the next cell and ran the click handler there.
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{2, 2}}));
}

TEST_F(StringGridTest, TypingRightAfterAClickOnTheSelectedCellEditsIt)
{
    Click(1, 1);  // already the selected cell
    QTest::keyClicks(KeyTarget(), QStringLiteral("4"));
    QTest::keyClicks(KeyTarget(), QStringLiteral("2"));
    EXPECT_EQ(grid->Cell(1, 1), QStringLiteral("42"));
    EXPECT_EQ(clicks.size(), 1u);  // a click on the selected cell runs the handler too
}

TEST_F(StringGridTest, AFailingUserHandlerDropsTheKey)
{
    grid->userEntry = [](const std::function<void()>&) { return false; };
    Click(1, 1);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->SelectedRow(), 1);
    QTest::keyClicks(KeyTarget(), QStringLiteral("7"));
    EXPECT_EQ(grid->Cell(1, 1), QString());
}

// Marking a block in a grid in ContiguousSelection mode: the selected cell is the moving end,
// the click handler runs for every move of it, and SelectedRange is the block from the anchor.
class RangeGridTest : public StringGridTest {
protected:
    void SetUp() override
    {
        StringGridTest::SetUp();
        grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
        grid->SetColCount(4);
        grid->SetRowCount(7);
    }
    QPoint Centre(int col, int row) { return grid->visualRect(grid->model()->index(row, col)).center(); }
    void Drag(std::pair<int, int> from, std::pair<int, int> to)
    {
        DragBetween(Centre(from.first, from.second), Centre(to.first, to.second));
    }
    void DragBetween(QPoint from, QPoint to)
    {
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, grid->viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &move);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, to);
    }
    // The cells the view shows as selected, as (column, row) sorted.
    std::vector<std::pair<int, int>> Marked()
    {
        std::vector<std::pair<int, int>> cells;
        for (const QModelIndex& i : grid->selectionModel()->selectedIndexes())
            cells.push_back({i.column(), i.row()});
        std::sort(cells.begin(), cells.end());
        return cells;
    }
    static std::vector<std::pair<int, int>> Block(QRect r)
    {
        std::vector<std::pair<int, int>> cells;
        for (int c = r.left(); c <= r.right(); ++c)
            for (int row = r.top(); row <= r.bottom(); ++row)
                cells.push_back({c, row});
        return cells;
    }
};

TEST_F(RangeGridTest, ShiftWithArrowsStretchesTheBlockAndAPlainMoveShrinksIt)
{
    Click(1, 2);
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(grid, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(grid->SelectedRange(), QRect(QPoint(1, 2), QPoint(2, 4)));
    EXPECT_EQ(Marked(), Block(QRect(QPoint(1, 2), QPoint(2, 4))));
    EXPECT_EQ(grid->SelectedCol(), 2);
    EXPECT_EQ(grid->SelectedRow(), 4);
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{1, 2}, {1, 3}, {1, 4}, {2, 4}}));

    // Back over the anchor: the block turns round it.
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(grid, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(grid->SelectedRange(), QRect(QPoint(1, 1), QPoint(2, 2)));

    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->SelectedRange(), QRect(2, 2, 1, 1));
    EXPECT_EQ(Marked(), Block(QRect(2, 2, 1, 1)));
    // Tab and a move by the program also start afresh from the selected cell.
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    grid->SelectCell(3, 5);
    EXPECT_EQ(grid->SelectedRange(), QRect(3, 5, 1, 1));
    EXPECT_EQ(Marked(), Block(QRect(3, 5, 1, 1)));
    QTest::keyClick(grid, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(grid->SelectedRange(), QRect(QPoint(3, 4), QPoint(3, 5)));
}

TEST_F(RangeGridTest, DraggingAndShiftClickMarkABlockThatNeverTakesFixedCells)
{
    Drag({2, 5}, {1, 3});
    EXPECT_EQ(grid->SelectedRange(), QRect(QPoint(1, 3), QPoint(2, 5)));
    EXPECT_EQ(Marked(), Block(QRect(QPoint(1, 3), QPoint(2, 5))));
    EXPECT_EQ(grid->SelectedCol(), 1);
    EXPECT_EQ(grid->SelectedRow(), 3);
    EXPECT_EQ(clicks.front(), std::make_pair(2, 5));
    EXPECT_EQ(clicks.back(), std::make_pair(1, 3));

    // Onto the fixed column and row: the block stops at the first free ones.
    Drag({3, 3}, {0, 0});
    EXPECT_EQ(grid->SelectedRange(), QRect(QPoint(1, 1), QPoint(3, 3)));
    EXPECT_EQ(Marked(), Block(QRect(QPoint(1, 1), QPoint(3, 3))));

    Click(2, 2);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, Centre(3, 6));
    EXPECT_EQ(grid->SelectedRange(), QRect(QPoint(2, 2), QPoint(3, 6)));
    EXPECT_EQ(Marked(), Block(QRect(QPoint(2, 2), QPoint(3, 6))));

    // Lowering the row count under the block leaves the selected cell alone.
    grid->SetRowCount(4);
    EXPECT_EQ(grid->SelectedRange(), QRect(3, 3, 1, 1));
}

// A grid with more rows and columns, of differing widths, than it shows: the fixed row and
// column stay in place over the cells scrolled beneath them, which scroll by whole cells.
class ScrollingGridTest : public RangeGridTest {
protected:
    void SetUp() override
    {
        RangeGridTest::SetUp();
        grid->SetColCount(12);
        grid->SetRowCount(40);
        grid->SetColWidth(0, 30);
        grid->SetColWidth(4, 90);
        grid->SetColWidth(11, 70);
    }
    // Where the fixed cells end and the first row and column scrolled beneath them.
    int FixedWidth()
    {
        int width = 0;
        for (int c = 0; c < grid->FixedCols(); ++c)
            width += grid->columnWidth(c);
        return width;
    }
    int FixedHeight() { return grid->FixedRows() * grid->rowHeight(0); }
    int FirstRow() { return grid->rowAt(FixedHeight()); }
    int FirstCol() { return grid->columnAt(FixedWidth()); }
    // Middles of cells in the viewport: a fixed column's or row's where it is drawn, over the
    // scrolled cells.
    int MiddleX(int col)
    {
        const int left = col < grid->FixedCols() ? grid->horizontalHeader()->sectionPosition(col)
                                                 : grid->columnViewportPosition(col);
        return left + grid->columnWidth(col) / 2;
    }
    int MiddleY(int row)
    {
        const int top =
            row < grid->FixedRows() ? grid->verticalHeader()->sectionPosition(row) : grid->rowViewportPosition(row);
        return top + grid->rowHeight(row) / 2;
    }

    // The first row and column beneath the fixed ones are whole, the fixed cells are drawn in
    // the button face beside every row and column shown, and the scrolled cells in the base.
    void ExpectFixedOverWholeCells()
    {
        const int row = FirstRow();
        const int col = FirstCol();
        ASSERT_GE(row, grid->FixedRows());
        ASSERT_GE(col, grid->FixedCols());
        EXPECT_EQ(grid->rowViewportPosition(row), FixedHeight()) << "part of row " << row << " shows";
        EXPECT_EQ(grid->columnViewportPosition(col), FixedWidth()) << "part of column " << col << " shows";
        const QColor face = grid->palette().color(QPalette::Button);
        const QColor base = grid->palette().color(QPalette::Base);
        ASSERT_NE(face, base);
        const QImage image = grid->grab().toImage();
        const QPoint origin = grid->viewport()->geometry().topLeft();
        auto drawn = [&](int x, int y) { return image.pixelColor(origin + QPoint(x, y)); };
        const int width = grid->viewport()->width();
        const int height = grid->viewport()->height();
        for (int c = col; c < grid->ColCount() && MiddleX(c) < width; ++c)
            EXPECT_EQ(drawn(MiddleX(c), MiddleY(0)), face) << "over column " << c;
        for (int r = row; r < grid->RowCount() && MiddleY(r) < height; ++r)
            for (int c = 0; c < grid->FixedCols(); ++c)
                EXPECT_EQ(drawn(MiddleX(c), MiddleY(r)), face) << "column " << c << " beside row " << r;
        EXPECT_EQ(drawn(MiddleX(0), MiddleY(0)), face);
        // A cell scrolled in (not the selected one, which is highlighted).
        EXPECT_EQ(drawn(MiddleX(col + 1), MiddleY(row + 1)), base);
    }
};

TEST_F(ScrollingGridTest, TheFixedRowAndColumnsStayOverWholeCellsWhereverTheSelectionGoes)
{
    ExpectFixedOverWholeCells();
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid->SelectedCol(), 11);
    EXPECT_EQ(grid->SelectedRow(), 39);
    EXPECT_GT(FirstRow(), 1);
    EXPECT_GT(FirstCol(), 1);
    ExpectFixedOverWholeCells();
    // The selected cell and the last row and column show whole.
    EXPECT_TRUE(grid->viewport()->rect().contains(grid->visualRect(grid->model()->index(39, 11))));

    // Up and left past the first cells shown scroll one cell at a time.
    const int row = FirstRow();
    const int col = FirstCol();
    grid->SelectCell(col - 1, row - 1);
    EXPECT_EQ(FirstRow(), row - 1);
    EXPECT_EQ(FirstCol(), col - 1);
    ExpectFixedOverWholeCells();

    // A further fixed column at run time joins the band; so does a wider fixed column.
    grid->SetFixedCols(2);
    grid->SelectCell(11, 39);
    ExpectFixedOverWholeCells();
    grid->SetColWidth(0, 60);
    ExpectFixedOverWholeCells();
    grid->SetFixedCols(1);
    grid->SelectCell(11, 39);
    ExpectFixedOverWholeCells();
}

TEST_F(ScrollingGridTest, TheFixedCellsOverScrolledOnesTakeNoClickAndStopADrag)
{
    grid->SelectCell(11, 39);
    clicks.clear();
    const int row = FirstRow();
    const int col = FirstCol();
    Click(grid->columnAt(FixedWidth()), 0);  // the fixed row's cell over the first column shown
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(MiddleX(col + 1), MiddleY(0)));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(MiddleX(0), MiddleY(row + 1)));
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(grid->SelectedCol(), 11);
    EXPECT_EQ(grid->SelectedRow(), 39);
    EXPECT_EQ(FirstRow(), row);

    // A drag onto the fixed row marks up to the row above the first shown, which scrolls
    // into sight.
    DragBetween(QPoint(MiddleX(col), MiddleY(row + 2)), QPoint(MiddleX(col), MiddleY(0)));
    EXPECT_EQ(grid->SelectedRange(), QRect(QPoint(col, row - 1), QPoint(col, row + 2)));
    EXPECT_EQ(FirstRow(), row - 1);
    ExpectFixedOverWholeCells();
}

TEST_F(StringGridTest, AGridInSingleSelectionModeMarksOnlyTheSelectedCell)
{
    Click(1, 1);
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(grid->SelectedRange(), QRect(1, 2, 1, 1));
    EXPECT_EQ(grid->selectionModel()->selectedIndexes().size(), 1);
}

}  // namespace
}  // namespace moravel::window::testing
