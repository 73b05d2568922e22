// Opening data files from the desktop through the real window: the file named on the command
// line (as main() hands it over) and files dropped on the window, each compared with the menu
// command that opens the same file through its dialog.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>

#include "WindowFixture.h"
#include "files/DataFiles.h"
#include "window/DesktopOpen.h"

namespace moravel::window::testing {
namespace {

QString Example(const char* name)
{
    return QStringLiteral(MORAVEL_EXAMPLES_DIR "/") + QString::fromLatin1(name);
}

class DesktopOpenTest : public WindowFixture {
protected:
    void SetUp() override
    {
        // The same draws for every refresh, so that both ways compute the same effective rainfall.
        source = &random;
        Build(QSize(1024, 768), /*leaveWelcome=*/false);
    }

    // Everything the data files fill in: the edits and the two tables' cells.
    QStringList Contents()
    {
        QStringList texts;
        window->BuildWorkingPanels();  // the working panels exist, and their edits are listed too
        for (QLineEdit* edit : window->findChildren<QLineEdit*>())
            texts << edit->objectName() + '=' + edit->text();
        for (StringGrid* grid : {ui().Tabela_Opad, ui().Tabela_SCS})
            for (int r = 0; r < grid->RowCount(); ++r)
                for (int c = 0; c < grid->ColCount(); ++c)
                    texts << grid->Cell(c, r);
        texts << ui().LabelSCSSCSWartosc->text() << ui().LabelSCSPowierzchniaWartosc->text()
              << ui().Memo_Save_Projekt->toPlainText();
        return texts;
    }
    // What the menu command gives for `path` chosen in its dialog, on a fresh window; the
    // fixture's window is rebuilt afterwards.
    std::pair<QStringList, QStringList> ByMenu(const char* action, const QString& path)
    {
        Build(QSize(1024, 768));
        dialogs.answers.push_back(path);
        window->findChild<QAction*>(QString::fromLatin1(action))->trigger();
        std::pair<QStringList, QStringList> result{Contents(), messages.Errors()};
        Build(QSize(1024, 768), /*leaveWelcome=*/false);
        return result;
    }
    // Drags `urls` (and the first one's text, as file managers offer it) onto the middle of
    // `target` and drops them there: enter, move and drop are each accepted as a copy or each
    // refused. The drop is sent even after a refused enter, so that whatever would take it
    // anyway shows. `modifiers` held with Shift ask for a move.
    void Drop(QWidget* target, const QList<QUrl>& urls, bool expectAccepted,
              Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction,
              Qt::KeyboardModifiers modifiers = {})
    {
        QMimeData mime;
        mime.setUrls(urls);
        mime.setText(urls.isEmpty() ? QString() : urls.front().toString());
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, offered, &mime, Qt::LeftButton, modifiers);
        QApplication::sendEvent(target, &enter);
        EXPECT_EQ(enter.isAccepted(), expectAccepted);
        QDragMoveEvent move(at, offered, &mime, Qt::LeftButton, modifiers);
        QApplication::sendEvent(target, &move);
        EXPECT_EQ(move.isAccepted(), expectAccepted);
        QDropEvent drop(at, offered, &mime, Qt::LeftButton, modifiers);
        QApplication::sendEvent(target, &drop);
        EXPECT_EQ(drop.isAccepted(), expectAccepted);
        if (expectAccepted) {
            EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
            EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
        }
    }

    FixedSource random{{0.25, 0.5, 0.75}};
};

TEST_F(DesktopOpenTest, EachKindOpensAsItsMenuCommandOpensIt)
{
    const struct {
        const char* file;
        const char* action;
    } cases[] = {
        {"zlewnia.kwp", "MenuOpadOtworz"},
        {"zlewnia.kws", "MenuSCSOtworz"},
        {"zlewnia.kwx", "MenuParametryKWOtworz"},
        {"zlewnia.kpr", "MenuPlikOtworzProjekt"},
    };
    for (const auto& c : cases) {
        const auto [menuContents, menuErrors] = ByMenu(c.action, Example(c.file));
        ASSERT_TRUE(menuErrors.isEmpty()) << c.file;
        const QStringList before = Contents();
        ASSERT_TRUE(ui().PanelPowitalny->isVisible());
        OpenFromCommandLine(*window, {Example(c.file)});
        EXPECT_FALSE(ui().PanelPowitalny->isVisible()) << c.file;
        EXPECT_TRUE(ui().PanelOpad->isVisible()) << c.file;
        EXPECT_TRUE(messages.log.empty()) << c.file;
        EXPECT_NE(Contents(), before) << c.file;
        EXPECT_EQ(Contents(), menuContents) << c.file;
    }
    // The project brings all three files: the computations can start.
    EXPECT_TRUE(ui().MenuObliczenia->isEnabled());
    EXPECT_EQ(Hours()->text(), QStringLiteral("24"));
}

TEST_F(DesktopOpenTest, AFileThatCannotBeOpenedGivesTheMenuCommandsMessage)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("brak.kwp"));
    const QString folder = dir.filePath(QStringLiteral("katalog.kws"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const struct {
        QString path;
        const char* action;
    } cases[] = {{missing, "MenuOpadOtworz"}, {folder, "MenuSCSOtworz"}};
    for (const auto& c : cases) {
        const QStringList menuErrors = ByMenu(c.action, c.path).second;
        ASSERT_EQ(menuErrors.size(), 1);
        OpenFromCommandLine(*window, {c.path});
        EXPECT_EQ(messages.Errors(), menuErrors);
        messages.Clear();
    }

    // No menu command opens other files.
    OpenFromCommandLine(*window, {QStringLiteral("/tmp/raport.xlsx")});
    EXPECT_EQ(messages.Errors(),
              QStringList{QStringLiteral(
                  "Nieznany rodzaj pliku /tmp/raport.xlsx: Moravel otwiera pliki .kpr, .kwp, .kws i .kwx.")});
}

TEST_F(DesktopOpenTest, CommandLineTakesAFileAddressAndNothingWithoutArguments)
{
    const QStringList before = Contents();
    OpenFromCommandLine(*window, {});
    EXPECT_EQ(Contents(), before);
    EXPECT_TRUE(ui().PanelPowitalny->isVisible());

    OpenFromCommandLine(*window, {QUrl::fromLocalFile(Example("zlewnia.kwx")).toString()});
    EXPECT_TRUE(messages.log.empty());
    EXPECT_EQ(ui().EditParametryRB->text(), QStringLiteral("4,2"));
}

TEST_F(DesktopOpenTest, CommandLineOpensEveryFileInItsOrderAndSkipsEmptyArguments)
{
    // A copy of the example's parameters with another RB.
    QTemporaryDir dir;
    files::ParametersRecord parameters = files::ReadParametersFile(Example("zlewnia.kwx"));
    const auto rb = std::find(parameters.values.begin(), parameters.values.end(), QStringLiteral("4,2"));
    ASSERT_NE(rb, parameters.values.end());
    *rb = QStringLiteral("5,5");
    const QString other = dir.filePath(QStringLiteral("inna.kwx"));
    files::WriteParametersFile(other, parameters);
    const QString missing = dir.filePath(QStringLiteral("brak.kwp"));
    const QString missingMessage = ByMenu("MenuOpadOtworz", missing).second.value(0);
    ASSERT_FALSE(missingMessage.isEmpty());
    const QString unknownMessage =
        QStringLiteral("Nieznany rodzaj pliku /tmp/raport.xlsx: Moravel otwiera pliki .kpr, .kwp, .kws i .kwx.");

    const struct {
        const char* name;
        QStringList arguments;
        QString rb;  // empty: nothing opened, the welcome picture stays
        QStringList errors;
    } cases[] = {
        {"an empty argument", {QString()}, {}, {}},
        {"blank arguments", {QString(), QStringLiteral("  ")}, {}, {}},
        {"two files, the later one last", {Example("zlewnia.kwx"), other}, QStringLiteral("5,5"), {}},
        {"two files the other way round", {other, QString(), Example("zlewnia.kwx")}, QStringLiteral("4,2"), {}},
        {"each failure its own message, the rest still opens",
         {missing, QStringLiteral("/tmp/raport.xlsx"), QUrl::fromLocalFile(other).toString()},
         QStringLiteral("5,5"),
         {missingMessage, unknownMessage}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Build(QSize(1024, 768), /*leaveWelcome=*/false);
        const QStringList before = Contents();
        OpenFromCommandLine(*window, c.arguments);
        EXPECT_EQ(messages.Errors(), c.errors);
        EXPECT_TRUE(messages.Infos().isEmpty());
        if (c.rb.isEmpty()) {
            EXPECT_EQ(Contents(), before);
            EXPECT_TRUE(ui().PanelPowitalny->isVisible());
        } else {
            EXPECT_EQ(ui().EditParametryRB->text(), c.rb);
            EXPECT_FALSE(ui().PanelPowitalny->isVisible());
        }
    }
}

TEST_F(DesktopOpenTest, DroppedDataFilesOpenAndOtherDropsAreLeftAlone)
{
    EXPECT_TRUE(window->acceptDrops());
    // Not a data file: the window takes no such drop.
    Drop(window.get(), {QUrl::fromLocalFile(QStringLiteral("/tmp/opad.txt"))}, false);
    Drop(window.get(), {}, false);

    Drop(window.get(), {QUrl::fromLocalFile(Example("zlewnia.kwp"))}, true);
    EXPECT_TRUE(messages.log.empty());
    EXPECT_EQ(Hours()->text(), QStringLiteral("24"));
    EXPECT_FALSE(ui().PanelPowitalny->isVisible());

    // Dropped on an edit, a data file opens instead of becoming the edit's text; two files
    // open in their order.
    Drop(ui().EditTytul1,
         {QUrl::fromLocalFile(Example("zlewnia.kws")), QUrl::fromLocalFile(Example("zlewnia.kwx")),
          QUrl(QStringLiteral("https://example.invalid/x.kwp"))},
         true);
    EXPECT_TRUE(messages.log.empty());
    EXPECT_TRUE(ui().EditTytul1->text().isEmpty());
    EXPECT_EQ(ui().EditParametryRB->text(), QStringLiteral("4,2"));
    EXPECT_FALSE(ui().LabelSCSSCSWartosc->text().isEmpty());
}

TEST_F(DesktopOpenTest, EditsTakeNoDroppedAddressAndDataFilesAreNeverMoved)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("opis.txt"));
    QFile(text).open(QIODevice::WriteOnly);
    ui().EditTytul1->setText(QStringLiteral("Wisłoka"));
    const struct {
        const char* name;
        QList<QUrl> urls;
        Qt::DropActions offered;
        Qt::KeyboardModifiers modifiers;
        bool accepted;
    } cases[] = {
        {"a file that is not a data file", {QUrl::fromLocalFile(text)}, Qt::CopyAction | Qt::MoveAction, {}, false},
        {"the same, a move asked for",
         {QUrl::fromLocalFile(text)},
         Qt::CopyAction | Qt::MoveAction,
         Qt::ShiftModifier,
         false},
        {"a web address", {QUrl(QStringLiteral("https://example.invalid/opad.kwp"))}, Qt::CopyAction, {}, false},
        {"a data file from a source that can only move it",
         {QUrl::fromLocalFile(Example("zlewnia.kwp"))},
         Qt::MoveAction,
         {},
         false},
        {"a data file, a move asked for",
         {QUrl::fromLocalFile(Example("zlewnia.kwp"))},
         Qt::CopyAction | Qt::MoveAction,
         Qt::ShiftModifier,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (QWidget* target : std::initializer_list<QWidget*>{ui().EditTytul1, window.get()})
            Drop(target, c.urls, c.accepted, c.offered, c.modifiers);
        EXPECT_EQ(ui().EditTytul1->text(), QStringLiteral("Wisłoka"));
        EXPECT_TRUE(messages.log.empty());
        EXPECT_EQ(ui().PanelPowitalny->isVisible(), !c.accepted);
    }
    EXPECT_EQ(Hours()->text(), QStringLiteral("24"));
    EXPECT_TRUE(QFileInfo::exists(text));

    // Text dragged onto an edit is still the edit's.
    QMimeData mime;
    mime.setText(QStringLiteral(" nad Sanem"));
    const QPoint at = ui().EditTytul1->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(ui().EditTytul1, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(ui().EditTytul1, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_TRUE(ui().EditTytul1->text().contains(QStringLiteral(" nad Sanem")));
}

}  // namespace
}  // namespace moravel::window::testing
