#pragma once
// The window's doors to the outside world. Each has a real implementation (Qt dialogs) and
// a test double, so tests drive the real window without modal boxes or file choosers.
#include <QString>
#include <functional>
#include <optional>

class QPrinter;
class QWidget;

namespace moravel::window {

// Modal message boxes with one OK button.
class Messages {
public:
    virtual ~Messages() = default;
    // Plain information box ("Zapisano dane w pliku ...", "Wprowadź liczbę rzeczywistą!").
    virtual void Info(const QString& text) = 0;
    // The application's error box: error icon, the application's title; the caller has
    // already appended the final full stop.
    virtual void Error(const QString& text) = 0;
    // The question before the program ends with unsaved work: "Zapisz projekt...",
    // "Zakończ bez zapisu" or "Anuluj" (also Escape and closing the box).
    enum class CloseChoice { SaveProject, Discard, Cancel };
    virtual CloseChoice AskBeforeClosing(const QString& text) = 0;
};

// One file dialog of the window, as the window defines it.
struct FileDialogSpec {
    QString name;       // component name, e.g. "SaveDialogOpad"; the last chosen name is kept per name
    QString title;      // e.g. "Zapisanie pliku opadu"
    QString filter;     // description and pattern pairs separated by '|',
                        // e.g. "Pliki danych opadu *.kwp|*.kwp|Wszystkie pliki *.*|*.*"
    bool save = false;  // a save dialog (no overwrite question) or an open dialog (the file need not exist)
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Shows the dialog offering `lastName` (the name chosen last time in this dialog, or
    // empty); the chosen full path, or nothing when the user cancels.
    virtual std::optional<QString> Ask(const FileDialogSpec& dialogSpec, const QString& lastName) = 0;
    // The same, also telling which filter was chosen with the file (0 for the first pair of
    // `filter`), or -1 when the dialog can't tell; the caller then goes by the name alone.
    virtual std::optional<QString> AskWithFilter(const FileDialogSpec& dialogSpec, const QString& lastName,
                                                 int& filterIndex)
    {
        filterIndex = -1;
        return Ask(dialogSpec, lastName);
    }
};

// Hands a written workbook to the desktop's spreadsheet program.
class WorkbookOpener {
public:
    virtual ~WorkbookOpener() = default;
    virtual void Open(const QString& path) = 0;
};

// Printing: a printer chosen and set up by the user, on which `paint` draws the pages.
class Printing {
public:
    virtual ~Printing() = default;
    // Shows the print preview (from which the system's print dialog is reached); `paint`
    // draws every page on the printer it is given, as often as the preview needs.
    virtual void Print(const std::function<void(QPrinter& printer)>& paint) = 0;
};

}  // namespace moravel::window
