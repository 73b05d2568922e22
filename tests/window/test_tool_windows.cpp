// The tool windows on the smallest screen the program is made for and by keyboard: each fits
// 1024 x 768 with every button on it, Escape and "Zamknij" close it (a running job stops as
// with the title bar's close), and the variants' list and tables keep rows to read.
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <functional>

#include "WindowFixture.h"
#include "model/Series.h"
#include "window/OpadProjektowyOkno.h"
#include "window/PomiarOkno.h"
#include "window/PorownanieWariantowOkno.h"
#include "window/PrzeplywyProjektoweOkno.h"
#include "window/SeriaOkno.h"
#include "window/ToolWindow.h"

namespace moravel::window::testing {
namespace {

const QString kProject = QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr");

struct ToolWindow {
    const char* name;
    std::function<QWidget*(TFormatkaOkno&)> open;
};

QWidget* Triggered(TFormatkaOkno& w, const char* item, QWidget* (*shown)(TFormatkaOkno&))
{
    w.findChild<QAction*>(QString::fromLatin1(item))->trigger();
    return shown(w);
}

const std::vector<ToolWindow>& ToolWindows()
{
    static const std::vector<ToolWindow> windows = {
        {"Seria realizacji",
         [](TFormatkaOkno& w) {
             return Triggered(w, "MenuObliczeniaSeria", [](TFormatkaOkno& o) -> QWidget* { return o.seriesWindow(); });
         }},
        {"Opad projektowy",
         [](TFormatkaOkno& w) -> QWidget* {
             UiOf(w).MenuOpad->actions().back()->trigger();
             return w.designStormWindow();
         }},
        {"Przepływy projektowe",
         [](TFormatkaOkno& w) {
             return Triggered(w, "MenuObliczeniaPrzeplywyProjektowe",
                              [](TFormatkaOkno& o) -> QWidget* { return o.designFloodWindow(); });
         }},
        {"Porównanie wariantów",
         [](TFormatkaOkno& w) {
             return Triggered(w, "MenuObliczeniaWarianty",
                              [](TFormatkaOkno& o) -> QWidget* { return o.variantsWindow(); });
         }},
        {"Porównanie z pomiarem",
         [](TFormatkaOkno& w) -> QWidget* {
             MeasuredFloodWindow& m = MeasuredFloodWindow::Of(w);
             m.show();
             return &m;
         }},
    };
    return windows;
}

class ToolWindowsTest : public WindowFixture {
protected:
    void SetUp() override
    {
        source = &random;
        WindowFixture::SetUp();
        dialogs.answers.push_back(kProject);
        ui().MenuPlikOtworzProjekt->trigger();
        ASSERT_TRUE(dialogs.answers.empty());
        messages.Clear();
    }
    // Opens the window, shown and active, its layout done.
    QWidget* Show(const ToolWindow& t)
    {
        QWidget* w = t.open(*window);
        EXPECT_TRUE(w);
        if (!w)
            return nullptr;
        QApplication::setActiveWindow(w);
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        QApplication::processEvents();
        return w;
    }
    // Escape typed where the keyboard is in the window.
    static void PressEscape(QWidget* w)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus && w->isAncestorOf(focus) ? focus : w, Qt::Key_Escape);
    }

    FixedSource random{{0.5}};
};

// At 1024 x 768 each window, less than the room of a frame and a panel, holds its least size,
// and every button it shows lies whole on it, none hidden behind a scrolled part.
TEST_F(ToolWindowsTest, EachFitsTheSmallestScreenWithEveryButtonOnIt)
{
    const QSize room = QSize(1024, 768) - kScreenRoom;
    for (const ToolWindow& t : ToolWindows()) {
        SCOPED_TRACE(t.name);
        QWidget* w = Show(t);
        ASSERT_TRUE(w);
        const QSize least = w->minimumSizeHint();
        EXPECT_LE(least.width(), room.width());
        EXPECT_LE(least.height(), room.height());
        EXPECT_LE(w->width(), room.width());
        EXPECT_LE(w->height(), room.height());
        EXPECT_TRUE(QRect(0, 0, 1024, 768).contains(w->frameGeometry()));
        int shown = 0;
        for (QPushButton* b : w->findChildren<QPushButton*>()) {
            if (!b->isVisibleTo(w))
                continue;
            SCOPED_TRACE(b->text().toStdString());
            ++shown;
            EXPECT_TRUE(w->rect().contains(QRect(b->mapTo(w, QPoint(0, 0)), b->size())));
            EXPECT_EQ(b->visibleRegion(), QRegion(b->rect()));
            EXPECT_GE(b->height(), b->minimumSizeHint().height());
        }
        EXPECT_GE(shown, 2);
        w->close();
    }
}

// Escape typed into the window, and "Zamknij", close it; the main window stays.
TEST_F(ToolWindowsTest, EscapeAndZamknijCloseEachWindow)
{
    for (const ToolWindow& t : ToolWindows()) {
        SCOPED_TRACE(t.name);
        QWidget* w = Show(t);
        ASSERT_TRUE(w);
        PressEscape(w);
        EXPECT_FALSE(w->isVisible());
        w = Show(t);
        QPushButton* close = w->findChild<QPushButton*>(w->objectName() + QStringLiteral("Zamknij"));
        ASSERT_NE(close, nullptr);
        if (close) {
            EXPECT_EQ(close->text(), QStringLiteral("Zamknij"));
            QTest::mouseClick(close, Qt::LeftButton);
            EXPECT_FALSE(w->isVisible());
        }
        EXPECT_TRUE(window->isVisible());
    }
}

// Escape in an open cell editor drops the edit and leaves the window open; the next Escape
// closes it.
TEST_F(ToolWindowsTest, EscapeInACellEditorDropsTheEditFirst)
{
    auto* f = static_cast<DesignFloodWindow*>(Show(ToolWindows()[2]));
    ASSERT_TRUE(f);
    QTableWidget* depths = f->DepthTable();
    if (!depths->item(0, 1))
        depths->setItem(0, 1, new QTableWidgetItem);
    const QString before = depths->item(0, 1)->text();
    depths->setFocus();
    depths->setCurrentCell(0, 1);
    depths->editItem(depths->item(0, 1));
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(editor && depths->isAncestorOf(editor));
    QTest::keyClicks(editor, QStringLiteral("77"));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(depths->item(0, 1)->text(), before);
    PressEscape(f);
    EXPECT_FALSE(f->isVisible());
}

// Escape while a series runs closes the window as its title bar's close does: the run stops
// and no result of it is kept.
TEST_F(ToolWindowsTest, EscapeStopsARunningSeriesAsClosingDoes)
{
    SeriesWindow* s = static_cast<SeriesWindow*>(Show(ToolWindows()[0]));
    ASSERT_TRUE(s);
    s->CountBox()->setValue(model::kMaxSeriesCount);
    QTest::mouseClick(s->ComputeButton(), Qt::LeftButton);
    ASSERT_TRUE(s->Running());
    PressEscape(s);
    EXPECT_FALSE(s->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s->Running(); }, 5000));
    EXPECT_FALSE(s->Result());
    EXPECT_LT(s->Progress()->value(), model::kMaxSeriesCount);
}

// At 1024 x 768 the project list and both tables of the comparison show five rows or more; the
// hint to add a project is gone once one is added and back when none is left.
TEST_F(ToolWindowsTest, VariantsShowFiveRowsAndDropTheHintOnceAProjectIsAdded)
{
    auto* v = static_cast<VariantsWindow*>(Show(ToolWindows()[3]));
    ASSERT_TRUE(v);
    EXPECT_TRUE(v->Status()->text().startsWith(QStringLiteral("Dodaj co najmniej jeden projekt")));
    dialogs.answers.push_back(kProject);
    QTest::mouseClick(v->AddButton(), Qt::LeftButton);
    ASSERT_EQ(v->VariantList()->rowCount(), 2);
    EXPECT_FALSE(v->Status()->text().contains(QStringLiteral("Dodaj co najmniej")));
    v->VariantList()->setCurrentCell(1, 0);
    QTest::mouseClick(v->RemoveButton(), Qt::LeftButton);
    ASSERT_EQ(v->VariantList()->rowCount(), 1);
    EXPECT_TRUE(v->Status()->text().startsWith(QStringLiteral("Dodaj co najmniej jeden projekt")));
    dialogs.answers.push_back(kProject);
    QTest::mouseClick(v->AddButton(), Qt::LeftButton);
    ASSERT_EQ(v->VariantList()->rowCount(), 2);

    v->CountBox()->setValue(20);
    QTest::mouseClick(v->ComputeButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([v] { return !v->Running(); }, 60000));
    ASSERT_TRUE(v->Result());
    QApplication::processEvents();
    for (QTableWidget* t : {v->VariantList(), v->SpreadTable(), v->DifferenceTable()}) {
        SCOPED_TRACE(t->objectName().toStdString());
        const int rows = t->viewport()->height() / t->verticalHeader()->defaultSectionSize();
        EXPECT_GE(rows, 5);
    }
}

}  // namespace
}  // namespace moravel::window::testing
