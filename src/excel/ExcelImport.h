#pragma once
// The "Importuj z Excela" command: choose a workbook (.xls, .xlsx, .xlsm, .ods or CSV),
// mark a block in it, and fill the rainfall table with the block's rows. The window supplies
// its file dialog, the picker and its rainfall table; everything else happens here.
#include "excel/RangePicker.h"

#include <QChar>
#include <QString>
#include <optional>

class TFormatkaOkno;

namespace moravel::excel {

// What the import needs of the window: its open dialog and the two places it writes.
class ImportTarget {
public:
    virtual ~ImportTarget() = default;
    // Shows the import's file dialog `OpenDialogImportExcela` (offering the name chosen last
    // time in it); the chosen path, or nothing when the user cancels.
    virtual std::optional<QString> AskWorkbookFile() = 0;
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
//  2. the workbook is read (an unreadable file: moravel::Error naming it, nothing changed);
//  3. the picker marks a block; its texts are taken (a cancel: "Invalid variant operation";
//     over 1000 rows: a refusal; in both cases nothing changed);
//  4. the hour count is set to the number of rows n, before any value is written;
//  5. rows 1..n of the block go, in order, to hours 1..n (first column of a wider block).
void ImportRainfall(ImportTarget& target, RangePicker& picker, QChar decimalSeparator);

// The window's command "Importuj z Excela": the import above on the window's open dialog
// `OpenDialogImportExcela`, its hour count `Edit_Liczba_godzin_opadu` (set through SetText,
// so the hour-count rule runs exactly when the text changes) and column 1 of `Tabela_Opad`,
// with the picker dialog over the window. Errors are thrown for the window's Guarded.
void ImportRainfallFromExcel(TFormatkaOkno& window);
// The same with another picker.
void ImportRainfallFromExcel(TFormatkaOkno& window, RangePicker& picker);

}  // namespace moravel::excel
