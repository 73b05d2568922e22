#include "window/QtSeams.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <QStringList>
#include <QTextLayout>
#include <QTranslator>
#include <QUrl>
#include <algorithm>

namespace moravel::window {

QString QtFilterString(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QStringList list = patterns.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (QString& pattern : list) {
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        entries << QStringLiteral("%1 (%2)").arg(parts[i], list.join(QLatin1Char(' ')));
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

QTranslator* InstallQtTranslations(const QLocale& locale)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator))
        return translator;
    delete translator;
    return nullptr;
}

QString MessageDisplayText(const QString& text, const QFont& font, int maxWidth, int maxLines)
{
    QStringList lines;
    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        if (paragraph.isEmpty()) {
            lines << paragraph;
            continue;
        }
        QTextLayout layout(paragraph, font);
        layout.setTextOption(wrapping);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(maxWidth);
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    maxLines = std::max(maxLines, 3);
    if (lines.size() > maxLines) {
        const int head = (maxLines - 1) / 2;
        const int tail = maxLines - 1 - head;
        lines = lines.mid(0, head) + QStringList{QStringLiteral("\u2026")} + lines.mid(lines.size() - tail);
    }
    return lines.join(QLatin1Char('\n'));
}

namespace {

// Message boxes carry the application's title.
QString Title()
{
    return QStringLiteral("Moravel 1.0");
}

// A message box whose text, however long, fits its screen: at most half the screen wide and
// half of it high. The text is plain: a file name with '<' in it shows as it is.
void ShowMessage(QMessageBox::Icon icon, const QString& text, QWidget* parent)
{
    QMessageBox box(icon, Title(), QString(), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() : QSize(1024, 768);
    const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const QFont font = label ? label->font() : box.font();
    const int maxWidth = std::min(room.width() / 2, 500);
    const int maxLines = room.height() / 2 / QFontMetrics(font).lineSpacing();
    box.setText(MessageDisplayText(text, font, maxWidth, maxLines));
    box.exec();
}

}  // namespace

void KeepQtUserSettingsInMemory()
{
    // A path under a device file: no folder can be made there, so nothing is ever read
    // from it and every write fails.
    const QString nowhere = QStringLiteral("/dev/null");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
}

void QtMessages::Info(const QString& text)
{
    ShowMessage(QMessageBox::NoIcon, text, parent_);
}

void QtMessages::Error(const QString& text)
{
    ShowMessage(QMessageBox::Critical, text, parent_);
}

std::unique_ptr<QFileDialog> MakeFileDialog(const FileDialogSpec& dialogSpec, const QString& lastName, QWidget* parent)
{
    auto dialog = std::make_unique<QFileDialog>(parent, dialogSpec.title);
    dialog->setObjectName(dialogSpec.name);
    // Qt's own dialog shows a filter's description without the patterns behind it.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setOption(QFileDialog::HideNameFilterDetails, true);
    dialog->setNameFilter(QtFilterString(dialogSpec.filter));
    dialog->setAcceptMode(dialogSpec.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Neither kind insists that the file exists, nor asks before replacing one.
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!lastName.isEmpty())
        dialog->selectFile(lastName);
    return dialog;
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
    const std::unique_ptr<QFileDialog> dialog = MakeFileDialog(dialogSpec, lastName, parent_);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    filterIndex = dialog->nameFilters().indexOf(dialog->selectedNameFilter());
    return dialog->selectedFiles().front();
}

void QtWorkbookOpener::Open(const QString& path)
{
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        messages_.Info(QStringLiteral("Nie udało się otworzyć raportu w arkuszu kalkulacyjnym. "
                                      "Raport zapisano w pliku ") +
                       QDir::toNativeSeparators(path));
}

std::unique_ptr<QPrintPreviewDialog> MakePrintPreview(QPrinter& printer,
                                                      const std::function<void(QPrinter& printer)>& paint,
                                                      QWidget* parent, const QRect& available)
{
    auto preview = std::make_unique<QPrintPreviewDialog>(&printer, parent);
    preview->setWindowTitle(QStringLiteral("Podgląd wydruku"));
    QObject::connect(preview.get(), &QPrintPreviewDialog::paintRequested, preview.get(),
                     [paint](QPrinter* target) { paint(*target); });
    const QSize size = available.size() * 9 / 10;
    preview->setGeometry(QRect(available.center() - QPoint(size.width() / 2, size.height() / 2), size));
    // The dialog's "fit page" mode, chosen through its own button so that the button shows it:
    // the whole page in view, as large as the dialog allows.
    if (auto* fitPage = preview->findChild<QAction*>(QStringLiteral("fitPageAction")))
        fitPage->trigger();
    return preview;
}

void QtPrinting::Print(const std::function<void(QPrinter& printer)>& paint)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QScreen* screen = parent_ && parent_->screen() ? parent_->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    MakePrintPreview(printer, paint, parent_, available)->exec();
}

}  // namespace moravel::window
