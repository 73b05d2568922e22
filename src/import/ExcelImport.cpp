#include "import/ExcelImport.h"

#include "import/ImportBlock.h"
#include "import/Workbook.h"
#include "text/NumText.h"

namespace moravel::import {

QString ImportDialogTitle()
{
    return QStringLiteral("Import opadu z Excela");
}

QString ImportDialogFilter()
{
    return QStringLiteral(
        "Pliki Excel *.xls|*.xls"
        "|Skoroszyty (*.xlsx *.xlsm *.ods)|*.xlsx;*.xlsm;*.ods"
        "|Pliki CSV (*.csv *.txt)|*.csv;*.txt"
        "|Wszystkie obsługiwane pliki (*.xls *.xlsx *.xlsm *.ods *.csv *.txt)|*.xls;*.xlsx;*.xlsm;*.ods;*.csv;*.txt");
}

void ImportRainfall(ImportTarget& target, RangePicker& picker, QChar decimalSeparator)
{
    const std::optional<QString> path = target.AskWorkbookFile();
    if (!path)
        return;
    const std::optional<Workbook> read = target.ReadBook(*path);
    if (!read)
        return;
    const Workbook& book = *read;
    // Every refusal happens here, before the window is touched.
    const QStringList texts = BlockTexts(book, picker.Pick(book), decimalSeparator);
    const auto writeHours = [&] {
        for (int hour = 1; hour <= texts.size(); ++hour)
            target.SetRainfall(hour, texts[hour - 1]);
    };
    // The hours the new count's rule reads are exactly those the block fills, so they get the
    // block's texts first: the rule computes from them, and no text left in the table by
    // earlier work (a time an earlier import copied) can stop the import half-way. Writing a
    // cell runs nothing.
    writeHours();
    target.SetHourCount(text::FormatInt(texts.size()));
    // Again after the count: in direct mode its rule has put the placeholder into the hours
    // the block leaves empty.
    writeHours();
}

}  // namespace moravel::import
