#include "window/QtSeams.h"

#include "text/Shown.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStringList>
#include <QTextLayout>
#include <QTranslator>
#include <QUrl>
#include <algorithm>
#include <utility>
#include <vector>

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

namespace {

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ');
}

// A file extension in a list: ".kpr", ".kpr," or a list's last ".kwx." .
bool IsExtension(QStringView word)
{
    if (word.size() < 2 || word[0] != QLatin1Char('.'))
        return false;
    while (!word.isEmpty() &&
           (word.back() == QLatin1Char(',') || word.back() == QLatin1Char('.') || word.back() == QLatin1Char(';')))
        word.chop(1);
    return word.size() >= 2 && std::all_of(word.begin() + 1, word.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

bool IsListConjunction(QStringView word)
{
    return word == QLatin1String("i") || word == QLatin1String("lub") || word == QLatin1String("oraz") ||
           word == QLatin1String("albo");
}

// Polish one-letter words that do not end a line.
bool IsOneLetterWord(QStringView word)
{
    return word.size() == 1 && QStringView(u"aiouwzAIOUWZ").contains(word[0]);
}

bool IsDash(QStringView word)
{
    return word == QLatin1String("-") || word == u"\u2013" || word == u"\u2014";
}

// Whether the blank between `before` and `after` (with `next` the word after `after`) holds
// its two words on one line: a number and the word in front of it ("godzinie 1)", "niż
// 1 000 000"), a list of extensions and the word in front of it ("pliki .kpr, .kwp, .kws i
// .kwx"), a one-letter word and the word after it ("w godzinie"), and a dash and the word in
// front of it.
bool Glued(QStringView before, QStringView after, QStringView next)
{
    if (before.isEmpty() || after.isEmpty())
        return false;
    if (after[0].isDigit() && before.back().isLetterOrNumber())
        return true;
    if (IsExtension(after))
        return true;
    if (IsExtension(before) && IsListConjunction(after) && IsExtension(next))
        return true;
    return IsOneLetterWord(before) || IsDash(after);
}

// The paragraph as it is laid out: the blanks that hold words together are no-break spaces,
// unless the words they hold together would not fit on a line at all (such a group is broken
// at its blanks as any other text). Every other character is the paragraph's own, at its own
// place.
QString LayoutText(const QString& paragraph, const QFont& font, int maxWidth)
{
    QString laid = paragraph;
    const QFontMetricsF metrics(font);
    // The words: [start, end) of each run of non-blanks.
    std::vector<std::pair<qsizetype, qsizetype>> words;
    for (qsizetype i = 0; i < paragraph.size();) {
        if (IsBlank(paragraph[i])) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < paragraph.size() && !IsBlank(paragraph[i]))
            ++i;
        words.emplace_back(start, i);
    }
    const auto word = [&](size_t k) {
        return k < words.size() ? QStringView(paragraph).mid(words[k].first, words[k].second - words[k].first)
                                : QStringView();
    };
    size_t groupStart = 0;  // the first word of the group being built
    for (size_t k = 0; k < words.size(); ++k) {
        const bool joinsNext = k + 1 < words.size() && words[k].second + 1 == words[k + 1].first &&
                               Glued(word(k), word(k + 1), word(k + 2));
        if (joinsNext)
            continue;
        if (k > groupStart) {
            const qsizetype from = words[groupStart].first;
            const qsizetype to = words[k].second;
            if (metrics.horizontalAdvance(paragraph.mid(from, to - from)) <= maxWidth)
                for (size_t j = groupStart; j < k; ++j)
                    laid[words[j].second] = QChar(0x00A0);
        }
        groupStart = k + 1;
    }
    return laid;
}

}  // namespace

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
        // The breaks are those of the laid-out text; the lines shown are cut from the
        // paragraph itself, so the text reads (and copies) as it was given.
        QTextLayout layout(LayoutText(paragraph, font, maxWidth), font);
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

QString ApplicationTitle()
{
    return QStringLiteral("Moravel 1.0");
}

namespace {

// A message box whose text, however long, fits its screen: at most half the screen wide and
// half of it high, its lines broken by MessageDisplayText alone. The text is plain: a file
// name with '<' in it shows as it is.
void ShowMessage(QMessageBox::Icon icon, const QString& text, QWidget* parent)
{
    QMessageBox box(icon, ApplicationTitle(), QString(), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() : QSize(1024, 768);
    const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const QFont font = label ? label->font() : box.font();
    const QFontMetrics metrics(font);
    // The box wraps its text again, at any blank, once it would be wider than half the screen
    // or 500 pixels: the lines get that width less what the icon, margins and spacing take
    // beside them (measured on a sample line) and less a blank that may end a line.
    int maxWidth = std::min(room.width() / 2, 500);
    if (label && box.layout()) {
        box.setText(QString(20, QLatin1Char('x')));
        box.layout()->activate();
        maxWidth -= box.layout()->totalMinimumSize().width() - label->minimumSizeHint().width();
    }
    maxWidth = std::max(maxWidth - metrics.horizontalAdvance(QLatin1Char(' ')), 100);
    const int maxLines = room.height() / 2 / metrics.lineSpacing();
    box.setText(MessageDisplayText(text::ShownMessage(text), font, maxWidth, maxLines));
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

Messages::CloseChoice QtMessages::AskBeforeClosing(const QString& text)
{
    QMessageBox box(QMessageBox::Question, ApplicationTitle(), text, QMessageBox::NoButton, parent_);
    box.setTextFormat(Qt::PlainText);
    QPushButton* save = box.addButton(QStringLiteral("Zapisz projekt..."), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("Zakończ bez zapisu"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Anuluj"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return CloseChoice::SaveProject;
    if (box.clickedButton() == discard)
        return CloseChoice::Discard;
    return CloseChoice::Cancel;
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
