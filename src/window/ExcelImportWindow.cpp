// The window's side of the rainfall import.
#include "window/ExcelImportWindow.h"

#include "window/LongWork.h"
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
    // A workbook reader that hangs is given up only at its time limit: meanwhile the window
    // repaints and the user may stop it.
    std::optional<import::Workbook> ReadBook(const QString& path) override
    {
        std::atomic<bool> cancel{false};
        std::optional<import::Workbook> book;
        try {
            RunLongWork(&window_, {QStringLiteral("Odczytywanie skoroszytu\u2026"), &cancel},
                        [&] { book = import::ReadWorkbook(path, window_.Reader(), &cancel); });
        } catch (const import::WorkbookReadCancelled&) {
            return std::nullopt;
        }
        return book;
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
