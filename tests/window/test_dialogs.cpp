// The real Qt dialogs behind the window's seams: file dialogs that show each filter's
// description as given, list every file under "Wszystkie pliki *.*" and keep nothing between
// runs; Qt's own texts in the user's language; message boxes that keep a long text's end in
// sight.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <algorithm>

#include "WindowFixture.h"
#include "window/QtSeams.h"

namespace moravel::window::testing {
namespace {

// The names the dialog's file list shows, once it shows `expected` (or after 5 s).
QStringList ListedNames(QFileDialog& dialog, const QStringList& expected)
{
    auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    auto names = [list] {
        QStringList shown;
        if (!list)
            return shown;
        const QModelIndex root = list->rootIndex();
        for (int r = 0; r < list->model()->rowCount(root); ++r)
            shown << list->model()->index(r, 0, root).data().toString();
        shown.sort();
        return shown;
    };
    (void)QTest::qWaitFor([&] { return names() == expected; }, 5000);
    return names();
}

// The application with Qt's user settings kept in memory, as the program's main does: no
// dialog made here reads or writes the configuration of whoever runs the tests.
QApplication& ProgramApp()
{
    KeepQtUserSettingsInMemory();
    return App();
}

void Touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

TEST(QtFileDialog, ShowsEachFilterAsGivenAndAllFilesListsNamesWithoutADot)
{
    ProgramApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"dane.kwp", "Makefile", "opis.txt"})
        Touch(dir.filePath(QString::fromLatin1(name)));

    const FileDialogSpec dialogSpec{QStringLiteral("OpenDialogOpad"), QStringLiteral("Otwarcie pliku opadu"),
                                    QStringLiteral("Pliki danych opadu *.kwp|*.kwp|Wszystkie pliki *.*|*.*"), false};
    const auto dialog = MakeFileDialog(dialogSpec, dir.filePath(QStringLiteral("dane.kwp")), nullptr);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    EXPECT_EQ(dialog->windowTitle(), dialogSpec.title);

    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    QStringList shown;
    for (int i = 0; i < types->count(); ++i)
        shown << types->itemText(i);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Pliki danych opadu *.kwp"), QStringLiteral("Wszystkie pliki *.*")}));

    EXPECT_EQ(ListedNames(*dialog, {QStringLiteral("dane.kwp")}), QStringList{QStringLiteral("dane.kwp")});
    // The user picks the second filter with the keyboard.
    types->setFocus();
    QTest::keyClick(types, Qt::Key_Down);
    EXPECT_EQ(types->currentText(), QStringLiteral("Wszystkie pliki *.*"));
    const QStringList all{QStringLiteral("Makefile"), QStringLiteral("dane.kwp"), QStringLiteral("opis.txt")};
    EXPECT_EQ(ListedNames(*dialog, all), all);
}

TEST(QtFileDialog, FilterTextsOfEveryForm)
{
    const struct {
        const char* filter;
        const char* qt;
    } cases[] = {
        {"Pliki danych opadu *.kwp|*.kwp|Wszystkie pliki *.*|*.*",
         "Pliki danych opadu *.kwp (*.kwp);;Wszystkie pliki *.* (*)"},
        {"Pliki Excel *.xls|*.xls", "Pliki Excel *.xls (*.xls)"},
        {"Skoroszyty|*.xls;*.xlsx; *.*", "Skoroszyty (*.xls *.xlsx *)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QtFilterString(QString::fromUtf8(c.filter)), QString::fromUtf8(c.qt)) << c.filter;

    // A save dialog shows the description alone as well.
    ProgramApp();
    const auto dialog = MakeFileDialog({QStringLiteral("OpenDialogImportExcela"), QStringLiteral("Import"),
                                        QStringLiteral("Pliki Excel *.xls|*.xls"), true},
                                       QString(), nullptr);
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 1);
    EXPECT_EQ(types->itemText(0), QStringLiteral("Pliki Excel *.xls"));
}

// Every file below `root`, as paths relative to it.
QStringList FilesBelow(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    return files;
}

TEST(QtFileDialog, NeitherReadsNorWritesTheUsersConfiguration)
{
    // A fresh home and configuration folder, set before this process reads any settings.
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString config = home.filePath(QStringLiteral(".config"));
    ASSERT_TRUE(QDir().mkpath(config));
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
    // The start-up step of the program's main; without it the dialog would read and write
    // the configuration below.
    KeepQtUserSettingsInMemory();
    App();

    // What an earlier run of another program left: a last folder the dialog must not open in.
    QTemporaryDir elsewhere;
    QTemporaryDir work;
    ASSERT_TRUE(elsewhere.isValid() && work.isValid());
    const QString left = config + QStringLiteral("/QtProject.conf");
    {
        QFile conf(left);
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write("[FileDialog]\nlastVisited=" + QUrl::fromLocalFile(elsewhere.path()).toString().toUtf8() + "\n");
    }
    const QString before = [&] {
        QFile conf(left);
        return conf.open(QIODevice::ReadOnly) ? QString::fromUtf8(conf.readAll()) : QString();
    }();

    const FileDialogSpec dialogSpec{QStringLiteral("SaveDialogOpad"), QStringLiteral("Zapisanie pliku opadu"),
                                    QStringLiteral("Pliki danych opadu *.kwp|*.kwp"), true};
    {
        const auto dialog = MakeFileDialog(dialogSpec, QString(), nullptr);
        EXPECT_NE(QDir(dialog->directory()).canonicalPath(), QDir(elsewhere.path()).canonicalPath());
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        dialog->setDirectory(work.path());
        dialog->selectFile(work.filePath(QStringLiteral("burza.kwp")));
        static_cast<QDialog*>(dialog.get())->accept();  // as the accept button does
    }
    {
        const auto again = MakeFileDialog(dialogSpec, QString(), nullptr);
        again->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(again.get()));
        again->reject();
    }
    EXPECT_EQ(FilesBelow(home.path()), QStringList{QStringLiteral(".config/QtProject.conf")});
    QFile conf(left);
    ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(conf.readAll()), before);
}

TEST(QtUserSettings, KeptInMemoryTheyReadNoFileAndWriteNone)
{
    App();
    // What an earlier run left in a configuration folder, in each format's file.
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const QByteArray left = "[FileDialog]\nlastVisited=file:///home\n";
    const QStringList files{QStringLiteral("QtProject.conf"), QStringLiteral("QtProject.ini")};
    for (const QString& name : files) {
        QFile conf(config.filePath(name));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write(left);
    }
    const QString key = QStringLiteral("FileDialog/lastVisited");
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        // Pointed at the folder, the user's settings read what it holds...
        QSettings::setPath(format, QSettings::UserScope, config.path());
        EXPECT_EQ(QSettings(format, QSettings::UserScope, QStringLiteral("QtProject")).value(key).toString(),
                  QStringLiteral("file:///home"))
            << format;
        // ...and after the step nothing, and what they are given reaches no file.
        KeepQtUserSettingsInMemory();
        QSettings settings(format, QSettings::UserScope, QStringLiteral("QtProject"));
        EXPECT_FALSE(settings.contains(key)) << format;
        settings.setValue(key, QStringLiteral("file:///tmp"));
        settings.sync();
        EXPECT_EQ(settings.status(), QSettings::AccessError) << format;
    }
    QStringList below = FilesBelow(config.path());
    below.sort();
    EXPECT_EQ(below, files);
    for (const QString& name : files) {
        QFile conf(config.filePath(name));
        ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
        EXPECT_EQ(conf.readAll(), left) << name.toStdString();
    }
}

TEST(QtTranslations, PolishOnAPolishSystemEnglishElsewhere)
{
    ProgramApp();
    auto cancelText = [] {
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        return box.button(QDialogButtonBox::Cancel)->text();
    };
    EXPECT_EQ(InstallQtTranslations(QLocale(QLocale::English, QLocale::UnitedStates)), nullptr);
    EXPECT_EQ(cancelText(), QStringLiteral("Cancel"));

    QTranslator* polish = InstallQtTranslations(QLocale(QLocale::Polish, QLocale::Poland));
    ASSERT_NE(polish, nullptr);
    EXPECT_EQ(cancelText(), QStringLiteral("Anuluj"));
    {
        const auto dialog = MakeFileDialog({QStringLiteral("OpenDialogSCS"), QStringLiteral("Otwarcie pliku SCS"),
                                            QStringLiteral("Pliki danych SCS *.kws|*.kws"), false},
                                           QString(), nullptr);
        auto* name = dialog->findChild<QLabel*>(QStringLiteral("fileNameLabel"));
        auto* type = dialog->findChild<QLabel*>(QStringLiteral("fileTypeLabel"));
        ASSERT_NE(name, nullptr);
        ASSERT_NE(type, nullptr);
        EXPECT_EQ(name->text(), QStringLiteral("Nazwa &pliku:"));
        EXPECT_EQ(type->text(), QStringLiteral("Pliki rodzaju:"));
    }
    QCoreApplication::removeTranslator(polish);
    delete polish;
    EXPECT_EQ(cancelText(), QStringLiteral("Cancel"));
}

// What the box of a message showed, read while it was open.
struct ShownBox {
    QString text;
    QRect frame;
    QRect screen;
    QStringList rewrapped;  // lines wider than the label, which it breaks again at its blanks
};

ShownBox ShowAndRead(const std::function<void(QtMessages&)>& show)
{
    ShownBox seen;
    QTimer::singleShot(0, [&seen] {
        QMessageBox* box = nullptr;
        (void)QTest::qWaitFor([&] { return (box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())); });
        if (!box)
            return;
        (void)QTest::qWaitForWindowExposed(box);
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            seen.text = label->text();
            for (const QString& line : seen.text.split(QLatin1Char('\n')))
                if (label->fontMetrics().horizontalAdvance(line) > label->contentsRect().width())
                    seen.rewrapped << line;
        }
        seen.frame = box->frameGeometry();
        seen.screen = box->screen()->availableGeometry();
        box->button(QMessageBox::Ok)->click();
    });
    QtMessages messages(nullptr);
    show(messages);
    return seen;
}

TEST(QtMessageBox, ALongTextFitsTheScreenAndKeepsItsEndInSight)
{
    App();
    const QString longName =
        QStringLiteral("/home/uzytkownik/dane/") + QString(249, QLatin1Char('x')) + QStringLiteral(".kwp");
    const QString saved = QStringLiteral("Zapisano dane w pliku ") + longName;
    const QString number = QStringLiteral("'") + QString(32767, QLatin1Char('7')) +
                           QStringLiteral("' is not a valid floating point value.");
    const QString authors = QStringLiteral("Zespół A\na@example.invalid\nZespół B\nb@example.invalid\n2004");
    const QString markup = QStringLiteral("Zapisano dane w pliku <b>burza</b>.kwp");

    const struct {
        QString text;
        bool error;
        bool shortened;  // the middle of the text gives way
    } cases[] = {{saved, false, false}, {number, true, true}, {authors, false, false}, {markup, false, false}};
    for (const auto& c : cases) {
        const ShownBox seen = ShowAndRead([&](QtMessages& m) { c.error ? m.Error(c.text) : m.Info(c.text); });
        const std::string what = c.text.left(40).toStdString();
        ASSERT_FALSE(seen.text.isEmpty()) << what;
        EXPECT_TRUE(seen.screen.contains(seen.frame)) << what;
        EXPECT_EQ(seen.rewrapped, QStringList()) << what;  // the lines shown are the text's
        // The box's own line breaks aside (the text's own ones stay), it shows the text's
        // beginning and end.
        QString flat = seen.text;
        if (!c.text.contains(QLatin1Char('\n')))
            flat.remove(QLatin1Char('\n'));
        EXPECT_TRUE(flat.startsWith(c.text.left(40))) << what;
        EXPECT_TRUE(flat.endsWith(c.text.right(60))) << what;
        if (c.shortened)
            EXPECT_TRUE(seen.text.contains(QStringLiteral("\n\u2026\n"))) << what;
        else
            EXPECT_EQ(flat, c.text) << what;  // nothing left out
    }
}

TEST(QtMessageBox, DisplayTextBreaksLinesToTheWidthAndElidesTheMiddle)
{
    App();
    const QFont font(QStringLiteral("DejaVu Sans"), 9);
    const QFontMetrics metrics(font);
    const QString text = QStringLiteral("Początek ") + QString(3000, QLatin1Char('9')) + QStringLiteral(" koniec.");
    const QString shown = MessageDisplayText(text, font, 200, 7);
    const QStringList lines = shown.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[3], QStringLiteral("\u2026"));
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line.trimmed()), 200) << line.toStdString();
    EXPECT_TRUE(lines.front().startsWith(QStringLiteral("Początek")));
    EXPECT_TRUE(lines.back().endsWith(QStringLiteral(" koniec.")));
    EXPECT_EQ(MessageDisplayText(QStringLiteral("Wprowadź liczbę rzeczywistą!"), font, 200, 7),
              QStringLiteral("Wprowadź liczbę rzeczywistą!"));
}

// Messages whose words belong together, each with the words that must share a line.
struct HeldTogether {
    QString text;
    QStringList phrases;
};

const QString kUnknownKind = QStringLiteral("Nieznany rodzaj pliku %1: Moravel otwiera pliki .kpr, .kwp, .kws i .kwx.");
const QString kExtensions = QStringLiteral("pliki .kpr, .kwp, .kws i .kwx.");

// The displayed lines of `shown`, each checked to read as a piece of `text`.
void ExpectLinesHoldTogether(const QString& shown, const HeldTogether& c)
{
    QString flat = shown;
    flat.remove(QLatin1Char('\n'));
    EXPECT_EQ(flat, c.text);  // only line breaks added, every blank a plain one
    const QStringList lines = shown.split(QLatin1Char('\n'));
    for (const QString& phrase : c.phrases)
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& line) { return line.contains(phrase); }))
            << phrase.toStdString() << " split in:\n"
            << shown.toStdString();
}

TEST(QtMessageBox, NoLineBreaksBetweenAWordAndItsNumberOrList)
{
    App();
    const QFont font(QStringLiteral("DejaVu Sans"), 9);
    const QFontMetrics metrics(font);
    const HeldTogether cases[] = {
        {QStringLiteral("Hydrogram dłuższy niż 1 000 000 godzin (bardzo mały opad efektywny w godzinie 1)"
                        " - obliczenia przerwane"),
         {QStringLiteral("niż 1 000 000"), QStringLiteral("w godzinie 1) -")}},
        {kUnknownKind.arg(QStringLiteral("/home/uzytkownik/dane/opad-z-lipca.txt")), {kExtensions}},
        {QStringLiteral("Wprowadź ziarno: liczbę całkowitą od 0 do 18446744073709551615"),
         {QStringLiteral("od 0"), QStringLiteral("do 18446744073709551615")}},
    };
    // Every width from the narrowest that holds each group of words on a line up to a wide
    // box's: wherever a plain word wrap would break, these breaks elsewhere.
    for (const HeldTogether& c : cases) {
        for (int width = 240; width <= 520; ++width) {
            SCOPED_TRACE(::testing::Message() << c.text.left(20).toStdString() << " at " << width << " px");
            const QString shown = MessageDisplayText(c.text, font, width, 100);
            ExpectLinesHoldTogether(shown, c);
            for (const QString& line : shown.split(QLatin1Char('\n')))
                EXPECT_LE(metrics.horizontalAdvance(line.trimmed()), width) << line.toStdString();
            if (::testing::Test::HasFailure())
                return;
        }
    }

    // Words that can't share a line even alone are broken as any text is.
    const QString list = kUnknownKind.arg(QStringLiteral("a.txt"));
    const QString narrow = MessageDisplayText(list, font, 80, 100);
    EXPECT_EQ(QString(narrow).remove(QLatin1Char('\n')), list);
    for (const QString& line : narrow.split(QLatin1Char('\n')))
        EXPECT_LE(metrics.horizontalAdvance(line.trimmed()), 80) << line.toStdString();
}

TEST(QtMessageBox, TheBoxKeepsTheExtensionListAndTheHourWithTheirWords)
{
    App();
    // File names of every length up to two lines put the box's line break before each word
    // of the message in turn, the list's and its word's among them.
    std::vector<HeldTogether> cases = {
        {QStringLiteral("Hydrogram dłuższy niż 1 000 000 godzin (bardzo mały opad efektywny w godzinie 1)"
                        " - obliczenia przerwane"),
         {QStringLiteral("godzinie 1)")}}};
    for (int n = 1; n <= 90; ++n)
        cases.push_back(
            {kUnknownKind.arg(QStringLiteral("/tmp/") + QString(n, QLatin1Char('a')) + QStringLiteral(".txt")),
             {kExtensions}});
    for (const HeldTogether& c : cases) {
        SCOPED_TRACE(c.text.left(60).toStdString());
        const ShownBox seen = ShowAndRead([&](QtMessages& m) { m.Error(c.text); });
        ASSERT_FALSE(seen.text.isEmpty());
        ExpectLinesHoldTogether(seen.text, c);
        EXPECT_EQ(seen.rewrapped, QStringList());
    }
}

}  // namespace
}  // namespace moravel::window::testing
