// The range picker driven as a user drives it: mouse drags and shift+arrow keys on the
// grid, the sheet tabs, OK and Cancel.
#include "window/RangePicker.h"
#include "test_import_fixtures.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace moravel::import;
using moravel::window::DialogRangePicker;
using moravel::window::RangePickerDialog;

namespace {

// The GUI tests need one application object for the whole program.
QApplication& App()
{
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *app;
    static int argc = 1;
    static char name[] = "test_import";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class ImportPicker : public ::testing::Test {
protected:
    void SetUp() override { App(); }

    static QPoint CellCentre(QTableView* view, int row, int col)
    {
        return view->visualRect(view->model()->index(row, col)).center();
    }

    static void ClickCell(QTableView* view, int row, int col)
    {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(view, row, col));
    }

    const Workbook rain_ = ReadWorkbook(ImportFixture("rain.xls"), BuildTreeReader());
};

}  // namespace

TEST_F(ImportPicker, ShowsTheWorkbookAsASpreadsheet)
{
    RangePickerDialog dialog(rain_, u',');
    EXPECT_EQ(dialog.Prompt()->text(), "Wskaż zakres z wartosciami opadu");
    ASSERT_EQ(dialog.Tabs()->count(), 2);
    EXPECT_EQ(dialog.Tabs()->tabText(0), "Opad");
    EXPECT_EQ(dialog.Tabs()->tabText(1), "Inne");
    EXPECT_EQ(dialog.OkButton()->text(), "OK");
    EXPECT_EQ(dialog.CancelButton()->text(), "Anuluj");

    const QAbstractItemModel* model = dialog.View(0)->model();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "A");
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "C");
    EXPECT_EQ(model->headerData(0, Qt::Vertical).toString(), "1");
    EXPECT_EQ(model->headerData(9, Qt::Vertical).toString(), "10");
    EXPECT_EQ(model->index(11, 2).data().toString(), "2,5");  // numbers in the user's form
    EXPECT_EQ(model->index(14, 2).data().toString(), "brak");
    EXPECT_GE(model->rowCount(), 33 + 1);  // room below the data to mark empty cells
    // A new sheet opens with A1 marked, so OK is usable at once.
    EXPECT_EQ(dialog.Block(), (CellBlock{0, 0, 0, 0, 0}));
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
}

// For a measured flood the dialog asks for the measurement, and two marked columns draw no
// warning: both are read.
TEST_F(ImportPicker, AMeasuredFloodsDialogSpeaksOfTheMeasurement)
{
    RangePickerDialog dialog(rain_, u',', nullptr, moravel::import::kMeasuredBlock);
    EXPECT_EQ(dialog.windowTitle(), "Pomiar z pliku - rain.xls");
    EXPECT_TRUE(dialog.Prompt()->text().startsWith(QString::fromUtf8("Wskaż zakres z pomiarem")));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTableView* view = dialog.View(0);
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(view, 1, 2));
    QTest::mouseMove(view->viewport(), CellCentre(view, 6, 3));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(view, 6, 3));
    EXPECT_EQ(dialog.Block(), (CellBlock{0, 1, 2, 6, 3}));
    EXPECT_TRUE(dialog.Warning()->isHidden()) << dialog.Warning()->text().toStdString();
}

TEST_F(ImportPicker, MouseDragMarksABlock)
{
    RangePickerDialog dialog(rain_, u',');
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTableView* view = dialog.View(0);
    QWidget* port = view->viewport();

    QTest::mousePress(port, Qt::LeftButton, Qt::NoModifier, CellCentre(view, 1, 2));  // C2
    QTest::mouseMove(port, CellCentre(view, 4, 3));
    QTest::mouseMove(port, CellCentre(view, 6, 3));  // D7
    QTest::mouseRelease(port, Qt::LeftButton, Qt::NoModifier, CellCentre(view, 6, 3));

    EXPECT_EQ(dialog.Block(), (CellBlock{0, 1, 2, 6, 3}));
    EXPECT_TRUE(dialog.Address()->text().contains("Opad!C2:D7"));
    // Two columns: the picker says only the first is taken.
    EXPECT_FALSE(dialog.Warning()->isHidden());
    EXPECT_TRUE(dialog.Warning()->text().contains("tylko pierwsza kolumna (C)"));

    // A plain click marks a single cell and clears the warning.
    ClickCell(view, 11, 2);
    EXPECT_EQ(dialog.Block(), (CellBlock{0, 11, 2, 11, 2}));
    EXPECT_TRUE(dialog.Warning()->isHidden());
}

TEST_F(ImportPicker, ShiftArrowsMarkC10ToC33AndOkReturnsIt)
{
    RangePickerDialog dialog(rain_, u',');
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTableView* view = dialog.View(0);
    ClickCell(view, 9, 2);  // C10
    for (int i = 0; i < 23; ++i)
        QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(dialog.Block(), (CellBlock{0, 9, 2, 32, 2}));
    EXPECT_TRUE(dialog.Address()->text().contains("Opad!C10:C33"));
    EXPECT_TRUE(dialog.Warning()->isHidden());

    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Block(), (CellBlock{0, 9, 2, 32, 2}));
}

TEST_F(ImportPicker, TheBlockIsOnTheShownSheet)
{
    RangePickerDialog dialog(rain_, u',');
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.Tabs()->setCurrentIndex(1);
    ClickCell(dialog.View(1), 1, 1);
    EXPECT_EQ(dialog.Block(), (CellBlock{1, 1, 1, 1, 1}));
    EXPECT_TRUE(dialog.Address()->text().contains("Inne!B2"));
}

TEST_F(ImportPicker, WarnsWhenTheBlockHoldsFormulasOrDates)
{
    const Workbook kinds = ReadWorkbook(ImportFixture("kinds.xls"), BuildTreeReader());
    RangePickerDialog dialog(kinds, u',');
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTableView* view = dialog.View(0);
    EXPECT_EQ(view->model()->index(0, 0).data().toString(), "5");        // a formula's result
    EXPECT_EQ(view->model()->index(4, 0).data().toString(), "#DIV/0!");  // shown; arrives empty

    ClickCell(view, 8, 0);  // A9, a plain number
    EXPECT_TRUE(dialog.Warning()->isHidden());
    ClickCell(view, 0, 0);  // A1 .. A6: formulas, booleans, an error, a date
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_FALSE(dialog.Warning()->isHidden());
    EXPECT_TRUE(dialog.Warning()->text().contains(QString::fromUtf8("formuły (np. A1)")));
    EXPECT_TRUE(dialog.Warning()->text().contains("daty lub godziny (np. A6: 2024-05-01)"));
    // Warned, not blocked: the user may still take the block.
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
}

// The real picker runs the dialog modally; a timer answers it as the user would.
TEST_F(ImportPicker, DialogPickerReturnsTheBlockOrNothingOnCancel)
{
    DialogRangePicker picker(nullptr, u',');

    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<RangePickerDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    });
    EXPECT_EQ(picker.Pick(rain_), std::nullopt);

    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<RangePickerDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QTableView* view = dialog->View(0);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                          view->visualRect(view->model()->index(11, 2)).center());
        QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(picker.Pick(rain_), (CellBlock{0, 11, 2, 12, 2}));
}

TEST(ImportPickerDouble, AnswersWithItsFixedBlockOrCancels)
{
    Workbook book;
    book.path = "x.xls";
    FixedRangePicker marks(CellBlock{0, 9, 2, 32, 2});
    EXPECT_EQ(marks.Pick(book), (CellBlock{0, 9, 2, 32, 2}));
    EXPECT_EQ(marks.calls, 1);
    EXPECT_EQ(marks.lastPath, "x.xls");
    FixedRangePicker cancels(std::nullopt);
    EXPECT_EQ(cancels.Pick(book), std::nullopt);
}
