#pragma once
// A fixture for GUI tests of the window: the real TFormatkaOkno on Qt's offscreen platform,
// with the recording message boxes and the queued file dialogs, a fixed screen size and the
// decimal comma. It leaves the welcome panel unless told otherwise and offers helpers that
// drive the controls with real key and mouse events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "model/LandUse.h"
#include "model/Random.h"
#include "model/State.h"
#include "window/FormatkaUi.h"
#include "window/Formatka.h"
#include "window/StringGrid.h"
#include "window/TestDoubles.h"

// Failure messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace moravel::window::testing {

// The process's application object, made on first use.
inline QApplication& App()
{
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *app;
    static int argc = 1;
    static char name[] = "moravel-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A uniform source with fixed draws, cycling through `values`; it ignores reseeding but
// counts it.
class FixedSource : public model::UniformSource {
public:
    explicit FixedSource(std::vector<double> values) : values_(std::move(values)) {}
    void Reseed() override
    {
        ++reseeds;
        next_ = 0;
    }
    double Next() override
    {
        const double v = values_[next_ % values_.size()];
        ++next_;
        ++draws;
        return v;
    }
    std::unique_ptr<model::UniformSource> Clone() const override { return std::make_unique<FixedSource>(*this); }
    int reseeds = 0;
    int draws = 0;

private:
    std::vector<double> values_;
    size_t next_ = 0;
};

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override { Build(QSize(1024, 768)); }
    void TearDown() override { window.reset(); }

    // Builds a fresh window for a screen of the given size (its computation state zero),
    // drawing from `source` when a test set one.
    void Build(QSize screen, bool leaveWelcome = true)
    {
        App();
        window.reset();
        messages.Clear();
        TFormatkaOkno::Options options;
        options.messages = &messages;
        options.dialogs = &dialogs;
        options.workbookOpener = &opener;
        options.random = source;
        options.screen = screen;
        options.decimalSeparator = QLatin1Char(',');
        options.reader = reader;
        window = std::make_unique<TFormatkaOkno>(options);
        window->show();
        QApplication::setActiveWindow(window.get());
        (void)QTest::qWaitForWindowActive(window.get());
        if (leaveWelcome)
            QTest::mouseClick(ui().ImagePowitanie, Qt::LeftButton);
    }

    Ui::TFormatkaOkno& ui() { return UiOf(*window); }
    // The rainfall table and the hour-count edit, used by most window tests.
    StringGrid* Table() { return ui().Tabela_Opad; }
    QLineEdit* Hours() { return ui().Edit_Liczba_godzin_opadu; }
    // The texts of column `col` of the rainfall table, rows from..to.
    QStringList Column(int col, int from, int to)
    {
        QStringList cells;
        for (int row = from; row <= to; ++row)
            cells << Table()->Cell(col, row);
        return cells;
    }

    // Types into an edit key by key, after putting the cursor at its end.
    void Type(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->end(false);
        QTest::keyClicks(edit, text);
    }
    // Replaces the whole text of an edit by typing (select all, then the keys); an empty
    // text deletes the selection.
    void Retype(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        else
            QTest::keyClicks(edit, text);
    }

    void ClickCell(StringGrid* grid, int col, int row)
    {
        grid->setFocus();
        const QRect cell = grid->visualRect(grid->model()->index(row, col));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    // The widget that receives keys typed into a grid: its open cell editor, else the grid.
    QWidget* GridKeyTarget(StringGrid* grid)
    {
        QWidget* focus = QApplication::focusWidget();
        if (focus && (focus == grid || grid->isAncestorOf(focus)))
            return focus;
        return grid;
    }
    void KeyInGrid(StringGrid* grid, Qt::Key key) { QTest::keyClick(GridKeyTarget(grid), key); }
    void TypeInGrid(StringGrid* grid, const QString& text)
    {
        for (QChar c : text)
            QTest::keyClicks(GridKeyTarget(grid), QString(c));
    }
    void PressEnterInGrid(StringGrid* grid) { KeyInGrid(grid, Qt::Key_Return); }
    // Clicks a cell, types its text key by key and confirms it with Enter.
    void EnterCell(StringGrid* grid, int col, int row, const QString& text)
    {
        ClickCell(grid, col, row);
        TypeInGrid(grid, text);
        PressEnterInGrid(grid);
    }
    // Sets the hour count and fills the rainfall column from code (no handler runs), so
    // that the rainfall table is complete.
    void CompleteRainfall(const QStringList& depths)
    {
        window->SetText(ui().Edit_Liczba_godzin_opadu, QString::number(depths.size()));
        for (int i = 0; i < depths.size(); ++i)
            ui().Tabela_Opad->SetCell(1, i + 1, depths[i]);
    }

    RecordingMessages messages;
    QueueFileDialogs dialogs;
    RecordingWorkbookOpener opener;
    model::UniformSource* source = nullptr;  // none: the window's own clock-seeded source
    import::ReaderSettings reader;           // the workbook helper Build's window runs
    std::unique_ptr<TFormatkaOkno> window;
};

}  // namespace moravel::window::testing
