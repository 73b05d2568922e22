#include "excel/ExcelImport.h"

#include "excel/ImportBlock.h"
#include "excel/XlsWorkbook.h"
#include "text/NumText.h"

namespace moravel::excel {

window::FileDialogSpec ImportDialogSpec()
{
    window::FileDialogSpec dialogSpec;
    dialogSpec.name = QStringLiteral("OpenDialogImportExcela");
    dialogSpec.title = QStringLiteral("Import opadu z Excela");
    dialogSpec.filter = QStringLiteral("Pliki Excel *.xls|*.xls");
    dialogSpec.save = false;
    return dialogSpec;
}

void ImportRainfall(ImportTarget& target, RangePicker& picker, QChar decimalSeparator)
{
    const std::optional<QString> path = target.AskFile(ImportDialogSpec());
    if (!path)
        return;
    const Workbook book = ReadWorkbook(*path);
    // Every refusal happens here, before the window is touched.
    const QStringList texts = BlockTexts(book, picker.Pick(book), decimalSeparator);
    target.SetHourCount(text::FormatInt(texts.size()));
    for (int hour = 1; hour <= texts.size(); ++hour)
        target.SetRainfall(hour, texts[hour - 1]);
}

}  // namespace moravel::excel
