// The window's side of the rainfall import.
#include "window/ExcelImportWindow.h"

#include "window/RangePicker.h"

#include "window/Formatka.h"

namespace moravel::window {
namespace {

class WindowTarget : public import::ImportTarget {
public:
    explicit WindowTarget(TFormatkaOkno& window) : window_(window) {}
    std::optional<QString> AskWorkbookFile() override
    {
        FileDialogSpec dialogSpec;
        dialogSpec.name = QStringLiteral("OpenDialogImportExcela");
        dialogSpec.title = import::ImportDialogTitle();
        dialogSpec.filter = import::ImportDialogFilter();
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

void ImportRainfallFromExcel(TFormatkaOkno& window, import::RangePicker& picker)
{
    WindowTarget target(window);
    import::ImportRainfall(target, picker, window.DecimalSeparator());
}

}  // namespace moravel::window

void TFormatkaOkno::MenuOpadImportujzExcelaClick()
{
    BuildWorkingPanels();
    if (moravel::import::RangePicker* picker = rangePicker())
        moravel::window::ImportRainfallFromExcel(*this, *picker);
    else
        moravel::window::ImportRainfallFromExcel(*this);
}
