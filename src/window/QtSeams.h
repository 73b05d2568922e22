#pragma once
// The window's doors to the outside world with real Qt dialogs.
#include <QFont>
#include <memory>

#include "window/Seams.h"

class QFileDialog;
class QLocale;
class QPrintPreviewDialog;
class QRect;
class QTranslator;

namespace moravel::window {

// Turns a filter of description and pattern pairs separated by '|'
// ("Pliki danych opadu *.kwp|*.kwp|Wszystkie pliki *.*|*.*") into Qt's form
// ("Pliki danych opadu *.kwp (*.kwp);;Wszystkie pliki *.* (*)"). Patterns listed with ';'
// ("*.xls;*.xlt") are separated by blanks as Qt expects. The pattern "*.*" becomes "*": on
// this system it would miss every name without a dot, while it means every file.
QString QtFilterString(const QString& filter);

// The title of the application's message boxes and progress windows.
QString ApplicationTitle();

// Appends the final full stop of an error text, unless it already ends in a full stop or in
// another closing mark ('!', '?').
QString WithFullStop(const QString& text);

// Qt's own translations (buttons and labels of the standard dialogs) for `locale`, installed
// into the application; none for English or when the system has no translation for the
// language. The translator belongs to the application object.
QTranslator* InstallQtTranslations(const QLocale& locale);

// The text a message box shows for `text`: its lines broken, anywhere if need be, so that none
// is wider than `maxWidth` pixels in `font`; when that makes more than `maxLines` lines, the
// middle ones give way to one line "…", so that the beginning and the end of the message
// (a file's extension, the reason of an error) stay in sight. No line ends between a number
// and the word in front of it ("w godzinie 1)"), inside a list of extensions or before it
// (".kpr, .kwp, .kws i .kwx"), after a one-letter word or before a dash, as long as the
// words held together fit on a line. Only line breaks are added: without them the text is
// `text` (with the middle lines left out when it is shortened).
QString MessageDisplayText(const QString& text, const QFont& font, int maxWidth, int maxLines);

// Qt's user settings (both formats), for the whole process, come from no file and go to
// none: their files are looked for where none can exist, so they read as empty, every write
// fails and what they are given lives in memory for the run at most. Qt's file dialog reads
// its history, last folder and layout from the user's "QtProject" settings when it opens and
// writes them back when it closes; so each run starts afresh and leaves nothing in the user's
// configuration. The program keeps no settings of its own. A step of start-up, before
// anything reads settings.
void KeepQtUserSettingsInMemory();

class QtMessages : public Messages {
public:
    explicit QtMessages(QWidget* parent) : parent_(parent) {}
    void Info(const QString& text) override;
    void Error(const QString& text) override;
    CloseChoice AskBeforeClosing(const QString& text) override;

private:
    QWidget* parent_;
};

// The file dialog of one of the window's dialogs: Qt's own (not the desktop's), so that each
// filter shows its description exactly as given, and nothing of it is kept after the program
// ends once KeepQtUserSettingsInMemory has been called (no history or last folder in the
// user's configuration).
std::unique_ptr<QFileDialog> MakeFileDialog(const FileDialogSpec& dialogSpec, const QString& lastName, QWidget* parent);

class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent) : parent_(parent) {}
    std::optional<QString> Ask(const FileDialogSpec& dialogSpec, const QString& lastName) override;
    std::optional<QString> AskWithFilter(const FileDialogSpec& dialogSpec, const QString& lastName,
                                         int& filterIndex) override;

private:
    QWidget* parent_;
};

// Opens the workbook with the desktop's default program for it; when the desktop can't,
// tells the user where the file is so that it can be opened by hand.
class QtWorkbookOpener : public WorkbookOpener {
public:
    explicit QtWorkbookOpener(Messages& messages) : messages_(messages) {}
    void Open(const QString& path) override;

private:
    Messages& messages_;
};

// The print preview of QtPrinting on `printer`, made but not yet shown: `paint` draws its
// pages. It takes nine tenths of `available` (the free area of its screen) each way, in its
// middle, and shows the whole page, so that a landscape page on a 1920 × 1080 screen is seen
// at more than its printed size instead of half of it in a small dialog.
std::unique_ptr<QPrintPreviewDialog> MakePrintPreview(QPrinter& printer,
                                                      const std::function<void(QPrinter& printer)>& paint,
                                                      QWidget* parent, const QRect& available);

// The print preview dialog (MakePrintPreview) on a high-resolution printer in landscape; its
// print button opens the system's print dialog.
class QtPrinting : public Printing {
public:
    explicit QtPrinting(QWidget* parent) : parent_(parent) {}
    void Print(const std::function<void(QPrinter& printer)>& paint) override;

private:
    QWidget* parent_;
};

}  // namespace moravel::window
