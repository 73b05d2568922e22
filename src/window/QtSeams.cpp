#include "window/QtSeams.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStringList>
#include <QUrl>

namespace moravel::window {

QString QtFilterString(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns.simplified());
    }
    return entries.join(QStringLiteral(";;"));
}

QString WithFullStop(const QString& text)
{
    if (text.isEmpty())
        return text;
    const QChar last = text.back();
    if (last == QLatin1Char('.') || last == QLatin1Char('!') || last == QLatin1Char('?'))
        return text;
    return text + QLatin1Char('.');
}

namespace {

// Message boxes carry the application's title.
QString Title()
{
    return QStringLiteral("Moravel 1.0");
}

}  // namespace

void QtMessages::Info(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, Title(), text, QMessageBox::Ok, parent_);
    box.exec();
}

void QtMessages::Error(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, Title(), text, QMessageBox::Ok, parent_);
    box.exec();
}

std::optional<QString> QtFileDialogs::Ask(const FileDialogSpec& dialogSpec, const QString& lastName)
{
    int filterIndex = -1;
    return AskWithFilter(dialogSpec, lastName, filterIndex);
}

std::optional<QString> QtFileDialogs::AskWithFilter(const FileDialogSpec& dialogSpec, const QString& lastName,
                                                    int& filterIndex)
{
    filterIndex = -1;
    QFileDialog dialog(parent_, dialogSpec.title, QString(), QtFilterString(dialogSpec.filter));
    dialog.setObjectName(dialogSpec.name);
    dialog.setAcceptMode(dialogSpec.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Neither kind insists that the file exists, nor asks before replacing one.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!lastName.isEmpty())
        dialog.selectFile(lastName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    filterIndex = dialog.nameFilters().indexOf(dialog.selectedNameFilter());
    return dialog.selectedFiles().front();
}

void QtWorkbookOpener::Open(const QString& path)
{
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        messages_.Info(QStringLiteral("Nie udało się otworzyć raportu w arkuszu kalkulacyjnym. "
                                      "Raport zapisano w pliku ") +
                       QDir::toNativeSeparators(path));
}

void QtPrinting::Print(const std::function<void(QPrinter& printer)>& paint)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog preview(&printer, parent_);
    preview.setWindowTitle(QStringLiteral("Podgląd wydruku"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&paint](QPrinter* target) { paint(*target); });
    preview.exec();
}

}  // namespace moravel::window
