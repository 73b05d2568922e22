#pragma once
// The rainfall import on plain values: choose a workbook (.xls, .xlsx, .xlsm, .ods or CSV),
// mark a block in it, and fill the rainfall table with the block's rows. The window supplies
// its file dialog, the picker and its rainfall table (window/ExcelImportWindow.h); everything
// else happens here.
#include "import/ImportBlock.h"
#include "import/Workbook.h"

#include <QChar>
#include <QString>
#include <optional>

namespace moravel::import {

// Marks the block of cells that holds the rainfall series in a workbook: the window's
// dialog, or a double in tests.
class RangePicker {
public:
    virtual ~RangePicker() = default;
    // The block the user marked, or nothing when the user cancelled.
    virtual std::optional<CellBlock> Pick(const Workbook& book) = 0;
};

// Test double: answers every Pick with the given block (or a cancel) and records the call.
class FixedRangePicker : public RangePicker {
public:
    explicit FixedRangePicker(std::optional<CellBlock> answer) : answer_(answer) {}
    std::optional<CellBlock> Pick(const Workbook& book) override
    {
        ++calls;
        lastPath = book.path;
        return answer_;
    }
    int calls = 0;
    QString lastPath;

private:
    std::optional<CellBlock> answer_;
};

// What the import needs of the window: its open dialog and the two places it writes.
class ImportTarget {
public:
    virtual ~ImportTarget() = default;
    // Shows the import's file dialog `OpenDialogImportExcela` (offering the name chosen last
    // time in it); the chosen path, or nothing when the user cancels.
    virtual std::optional<QString> AskWorkbookFile() = 0;
    // Reads the chosen workbook (ReadWorkbook's errors); nothing when the user stopped the
    // reading, which ends the command with nothing changed.
    virtual std::optional<Workbook> ReadBook(const QString& path) { return ReadWorkbook(path); }
    // Sets the text of the hour count; the window runs its hour-count rule when the text
    // differs from the present one, and nothing otherwise.
    virtual void SetHourCount(const QString& text) = 0;
    // Writes the rainfall text of hour `hour` (1-based) into column 1; runs nothing.
    virtual void SetRainfall(int hour, const QString& text) = 0;
};

// The open dialog's title and filter (description and pattern pairs separated by '|').
// The first entry is the legacy workbooks'; the others add the workbooks and CSV files the
// import reads as well. The file's content, not its name, decides how it is read.
QString ImportDialogTitle();
QString ImportDialogFilter();

// Runs the import:
//  1. the open dialog; a cancel ends the command with nothing changed;
//  2. the workbook is read (an unreadable file: moravel::Error naming it, nothing changed; a
//     reading the user stopped ends the command, nothing changed);
//  3. the picker marks a block; its texts are taken (a cancel: "Invalid variant operation";
//     over 1000 rows: a refusal; in both cases nothing changed);
//  4. rows 1..n of the block go, in order, to hours 1..n (first column of a wider block),
//     so that the hour count's rule in the next step reads the block and not what the table
//     held before;
//  5. the hour count is set to the number of rows n;
//  6. rows 1..n are written again, over whatever the count's rule put into them.
// An error of the count's rule (a cell of the block that its computation cannot take) ends
// the command with the whole block and the new count in the table.
void ImportRainfall(ImportTarget& target, RangePicker& picker, QChar decimalSeparator);

}  // namespace moravel::import
