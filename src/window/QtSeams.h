#pragma once
// The window's doors to the outside world with real Qt dialogs.
#include "window/Seams.h"

namespace moravel::window {

// Turns a filter of description and pattern pairs separated by '|'
// ("Pliki danych opadu *.kwp|*.kwp|Wszystkie pliki *.*|*.*") into Qt's form
// ("Pliki danych opadu *.kwp (*.kwp);;Wszystkie pliki *.* (*.*)"). Patterns listed with ';'
// ("*.xls;*.xlt") are separated by blanks as Qt expects.
QString QtFilterString(const QString& filter);

// Appends the final full stop of an error text, unless it already ends in a full stop or in
// another closing mark ('!', '?').
QString WithFullStop(const QString& text);

class QtMessages : public Messages {
public:
    explicit QtMessages(QWidget* parent) : parent_(parent) {}
    void Info(const QString& text) override;
    void Error(const QString& text) override;

private:
    QWidget* parent_;
};

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

// The print preview dialog on a high-resolution printer in landscape; its print button opens
// the system's print dialog.
class QtPrinting : public Printing {
public:
    explicit QtPrinting(QWidget* parent) : parent_(parent) {}
    void Print(const std::function<void(QPrinter& printer)>& paint) override;

private:
    QWidget* parent_;
};

}  // namespace moravel::window
