// The window's side of the rainfall import.
#include "excel/ExcelImport.h"

#include "window/Formatka.h"

namespace moravel::excel {
namespace {

class WindowTarget : public ImportTarget {
public:
    explicit WindowTarget(TFormatkaOkno& window) : window_(window) {}
    std::optional<QString> AskWorkbookFile() override
    {
        window::FileDialogSpec dialogSpec;
        dialogSpec.name = QStringLiteral("OpenDialogImportExcela");
        dialogSpec.title = ImportDialogTitle();
        dialogSpec.filter = ImportDialogFilter();
        dialogSpec.save = false;
        return window_.AskFile(dialogSpec);
    }
    void SetHourCount(const QString& text) override { window_.SetRainHourCountText(text); }
    void SetRainfall(int hour, const QString& text) override { window_.SetRainfallText(hour, text); }

private:
    TFormatkaOkno& window_;
};

}  // namespace

void ImportRainfallFromExcel(TFormatkaOkno& window)
{
    DialogRangePicker picker(&window, window.DecimalSeparator());
    ImportRainfallFromExcel(window, picker);
}

void ImportRainfallFromExcel(TFormatkaOkno& window, RangePicker& picker)
{
    WindowTarget target(window);
    ImportRainfall(target, picker, window.DecimalSeparator());
}

}  // namespace moravel::excel

void TFormatkaOkno::MenuOpadImportujzExcelaClick()
{
    if (moravel::excel::RangePicker* picker = rangePicker())
        moravel::excel::ImportRainfallFromExcel(*this, *picker);
    else
        moravel::excel::ImportRainfallFromExcel(*this);
}
