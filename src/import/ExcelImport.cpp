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
    target.SetHourCount(text::FormatInt(texts.size()));
    for (int hour = 1; hour <= texts.size(); ++hour)
        target.SetRainfall(hour, texts[hour - 1]);
}

}  // namespace moravel::import
