// Start-up, the welcome panel, the menus, the error boundary and the window's seams.
#include <QAction>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <algorithm>
#include <cstdlib>

#include "WindowFixture.h"
#include "text/Error.h"
#include "window/JpegImage.h"
#include "window/QtSeams.h"

static void InitAssets()
{
    Q_INIT_RESOURCE(assets);
}

namespace moravel::window::testing {
namespace {

class StartUpTest : public WindowFixture {
protected:
    void SetUp() override {}
};

TEST_F(StartUpTest, WelcomePanelIsCentredAndTheWindowSizedToTheScreen)
{
    struct Case {
        QSize screen;
        QPoint welcome;
    };
    const Case cases[] = {
        {{1024, 768}, {262, 184}},
        {{1279, 1025}, {390, 312}},  // 389.5 and 312.5 go to the even neighbour
        {{1281, 1023}, {390, 312}},  // 390.5 and 311.5
        {{1920, 1080}, {710, 340}},
    };
    for (const Case& c : cases) {
        Build(c.screen, false);
        SCOPED_TRACE(c.screen.width());
        EXPECT_EQ(ui().PanelPowitalny->pos(), c.welcome);
        EXPECT_EQ(window->size(), c.screen);
        EXPECT_EQ(ui().ImageTlo->size(), QSize(c.screen.width() - 20, c.screen.height() - 90));
        // The background is decoded at the size it is shown, not stretched at every paint.
        EXPECT_EQ(ui().ImageTlo->pixmap().deviceIndependentSize().toSize(), ui().ImageTlo->size());
        window->BuildWorkingPanels();
        // The chart at its place, 251 pixels high where they fit above the status bar, else
        // ending at the bar; of these screens only the one 768 pixels high is that short.
        const int room = window->centralWidget()->height() - 512;
        EXPECT_EQ(ui().Wykres->geometry(), QRect(200, 512, c.screen.width() - 220, std::min(251, room)));
        EXPECT_EQ(room < 251, c.screen.height() == 768);
    }
}

TEST_F(StartUpTest, TheWorkingPanelsAreBuiltWhenTheWelcomeClickOrACommandFirstNeedsThem)
{
    const char* const panels[] = {"PanelOpad", "PanelSCS",      "PanelParametry",
                                  "Wykres",    "PanelLicencja", "Memo_Save_Projekt"};
    // The welcome screen: nothing of the panels yet; "Info > Autorzy" needs none of them.
    Build(QSize(1024, 768), false);
    window->findChild<QAction*>(QStringLiteral("Autor1"))->trigger();
    EXPECT_FALSE(window->PanelsBuilt());
    for (const char* name : panels)
        EXPECT_EQ(window->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;

    // The click on the welcome picture builds and shows them.
    QTest::mouseClick(window->findChild<QLabel*>(QStringLiteral("ImagePowitanie")), Qt::LeftButton);
    EXPECT_TRUE(window->PanelsBuilt());
    EXPECT_TRUE(ui().PanelOpad->isVisible());
    EXPECT_FALSE(ui().PanelPowitalny->isVisible());
    // In their designed place among the window's controls: behind the welcome panel, and the
    // tab order through the panels, then the titles.
    const QObjectList order = ui().centralwidget->children();
    for (const char* name : panels)
        EXPECT_LT(order.indexOf(window->findChild<QWidget*>(QString::fromLatin1(name))),
                  order.indexOf(ui().PanelPowitalny))
            << name;
    EXPECT_GT(order.indexOf(ui().PanelOpad), order.indexOf(ui().EditTytul2));
    QWidgetList chain;
    for (QWidget* w = window->nextInFocusChain(); w != window.get(); w = w->nextInFocusChain())
        chain << w;
    const QWidget* tabOrder[] = {
        ui().Edit_Liczba_godzin_opadu, ui().Tabela_Opad, ui().EditSCSD,   ui().Tabela_SCS, ui().EditParametryRB,
        ui().EditParametryPole,        ui().Wykres,      ui().EditTytul1, ui().EditTytul2};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        EXPECT_LT(chain.indexOf(tabOrder[i - 1]), chain.indexOf(tabOrder[i])) << i;

    // A command before the welcome click builds them and fills them, hidden behind the
    // welcome panel as before.
    Build(QSize(1024, 768), false);
    dialogs.answers.push_back(QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kwx"));
    window->findChild<QAction*>(QStringLiteral("MenuParametryKWOtworz"))->trigger();
    EXPECT_TRUE(messages.log.empty());
    EXPECT_TRUE(window->PanelsBuilt());
    EXPECT_EQ(ui().EditParametryRB->text(), QStringLiteral("4,2"));
    EXPECT_FALSE(ui().PanelParametry->isVisible());
    EXPECT_TRUE(ui().PanelPowitalny->isVisible());
}

TEST_F(StartUpTest, StartsInTheWelcomeStateAndAClickOnThePictureShowsTheWorkingPanels)
{
    Build(QSize(1024, 768), false);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Moravel 1.0"));
    EXPECT_TRUE(ui().PanelPowitalny->isVisible());
    // The working panels as designed, built hidden behind the welcome panel.
    window->BuildWorkingPanels();
    EXPECT_TRUE(ui().PanelPowitalny->isVisible());
    for (QWidget* w : {static_cast<QWidget*>(ui().PanelOpad), static_cast<QWidget*>(ui().PanelSCS),
                       static_cast<QWidget*>(ui().PanelParametry), static_cast<QWidget*>(ui().PanelLicencja),
                       static_cast<QWidget*>(ui().Wykres), static_cast<QWidget*>(ui().Memo_Save_Projekt)})
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_FALSE(ui().MenuObliczenia->isEnabled());
    EXPECT_FALSE(ui().CheckBoxOpad->isEnabled());
    EXPECT_FALSE(ui().EditParametryPole->isEnabled());
    EXPECT_EQ(ui().LabelSCSSCSWartosc->text(), QStringLiteral("?"));
    EXPECT_EQ(ui().Memo_Save_Projekt->document()->blockCount(), 2);
    EXPECT_FALSE(ui().ImagePowitanie->pixmap().isNull());
    EXPECT_FALSE(ui().ImageTlo->pixmap().isNull());
    EXPECT_FALSE(ui().ImageLicencja->pixmap().isNull());

    QTest::mouseClick(ui().ImagePowitanie, Qt::LeftButton);
    EXPECT_FALSE(ui().PanelPowitalny->isVisible());
    EXPECT_TRUE(ui().PanelOpad->isVisible());
    EXPECT_TRUE(ui().PanelSCS->isVisible());
    EXPECT_TRUE(ui().PanelParametry->isVisible());
    EXPECT_TRUE(ui().PanelLicencja->isVisible());
    EXPECT_FALSE(ui().Wykres->isVisible());
    EXPECT_FALSE(ui().Tabela_Opad->isVisible());
}

TEST_F(WindowFixture, MenuTreeHasEveryItemAndOnlyFinishedCommandsAreEnabled)
{
    const std::vector<std::pair<QString, QStringList>> tree{
        {"Plik", {"Zapisz projekt", "Otwórz Projekt", "Koniec programu"}},
        {"Opad", {"Nowe dane", "Importuj z Excela", "Zapisz", "Otwórz", "Opad projektowy..."}},
        {"SCS", {"Nowe dane", "Zapisz", "Otwórz"}},
        {"Parametry KW", {"Nowe dane", "Zapisz", "Otwórz"}},
        {"Obliczenia",
         {"Hydrogram", "Raport Excel", "Seria realizacji...", "Przepływy projektowe...", "Porównanie wariantów..."}},
        {"Info", {"Autorzy"}},
    };
    const QList<QAction*> menus = ui().MenuGlowne->actions();
    ASSERT_EQ(menus.size(), int(tree.size()));
    for (size_t i = 0; i < tree.size(); ++i) {
        EXPECT_EQ(menus[int(i)]->text(), tree[i].first);
        QStringList items;
        for (QAction* a : menus[int(i)]->menu()->actions())
            items << a->text();
        EXPECT_EQ(items, tree[i].second);
    }
    EXPECT_TRUE(ui().Autor1->isEnabled());
    EXPECT_TRUE(ui().MenuPlikKoniecProgramu->isEnabled());
    EXPECT_TRUE(ui().MenuOpadZapisz->isEnabled());

    ui().Autor1->trigger();
    ASSERT_EQ(messages.Infos().size(), 1);
    const QStringList lines = messages.Infos().front().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[4], QStringLiteral("2004"));
    EXPECT_TRUE(lines[1].contains(QLatin1Char('@')));
    EXPECT_TRUE(lines[3].contains(QLatin1Char('@')));
}

TEST_F(WindowFixture, MenusUseTheWindowsFontAndTheSuperscriptsTheirSmallerOne)
{
    const QFont windowFont = window->font();
    const QList<QMenu*> menus = window->findChildren<QMenu*>();
    ASSERT_GE(menus.size(), 7);  // the drop-down menus and the chart's context menu
    for (QMenu* menu : menus) {
        SCOPED_TRACE(menu->objectName().toStdString());
        EXPECT_EQ(menu->font().family(), windowFont.family());
        EXPECT_EQ(menu->font().pixelSize(), windowFont.pixelSize());
        // The font a popped-up menu draws with, not only the one it was given.
        EXPECT_EQ(QFontInfo(menu->font()).pixelSize(), QFontInfo(windowFont).pixelSize());
    }
    for (QLabel* superscript : {ui().LabelKwadrat1, ui().LabelKwadrat2, ui().LabelKwadrat3, ui().LabelKwadrat4,
                                ui().LabelKwadrat5, ui().LabelKwadrat6, ui().LabelKwadrat7})
        EXPECT_EQ(superscript->font().pixelSize(), 9) << superscript->objectName().toStdString();
}

TEST_F(WindowFixture, GuardedShowsOneErrorBoxWithTheFinalFullStop)
{
    EXPECT_FALSE(window->Guarded([] { throw Error(QStringLiteral("'x' is not a valid integer value")); }));
    EXPECT_FALSE(window->Guarded([] { throw Error(QStringLiteral("Floating point overflow.")); }));
    EXPECT_TRUE(window->Guarded([] {}));
    EXPECT_EQ(messages.Errors(), (QStringList{"'x' is not a valid integer value.", "Floating point overflow."}));
    EXPECT_TRUE(messages.Infos().isEmpty());
}

TEST_F(WindowFixture, SetTextAndSetCheckedRunTheHandlerOnlyOnAChange)
{
    int runs = 0;
    QLineEdit* edit = ui().EditTytul1;
    window->BindChange(edit, [&] { ++runs; });
    window->SetText(edit, QStringLiteral("Wisła"));
    window->SetText(edit, QStringLiteral("Wisła"));
    EXPECT_EQ(runs, 1);
    Type(edit, QStringLiteral("k"));  // a user's change runs it as well
    EXPECT_EQ(runs, 2);

    // Errors of a program-made change reach the caller: they end the caller's command.
    window->BindChange(edit, [] { throw Error(QStringLiteral("boom")); });
    EXPECT_THROW(window->SetText(edit, QStringLiteral("Odra")), Error);
}

TEST_F(WindowFixture, AskFileOffersTheNameChosenLastInTheSameDialog)
{
    const FileDialogSpec save{QStringLiteral("SaveDialogOpad"), QStringLiteral("Zapisanie pliku opadu"),
                              QStringLiteral("Pliki danych opadu *.kwp|*.kwp"), true};
    const FileDialogSpec open{QStringLiteral("OpenDialogOpad"), QStringLiteral("Otwarcie pliku opadu"),
                              QStringLiteral("Pliki danych opadu *.kwp|*.kwp"), false};
    dialogs.answers = {QStringLiteral("/tmp/a.kwp"), std::nullopt, QStringLiteral("/tmp/b.kwp")};
    EXPECT_EQ(window->AskFile(save), QStringLiteral("/tmp/a.kwp"));
    EXPECT_EQ(window->AskFile(save), std::nullopt);  // cancelled: the name stays
    EXPECT_EQ(window->AskFile(open), QStringLiteral("/tmp/b.kwp"));
    ASSERT_EQ(dialogs.asked.size(), 3u);
    EXPECT_EQ(dialogs.asked[0].lastName, QString());
    EXPECT_EQ(dialogs.asked[1].lastName, QStringLiteral("/tmp/a.kwp"));
    EXPECT_EQ(dialogs.asked[2].lastName, QString());
    EXPECT_EQ(dialogs.asked[2].dialogSpec.title, QStringLiteral("Otwarcie pliku opadu"));
}

TEST(QtSeams, FullStop)
{
    EXPECT_EQ(WithFullStop(QStringLiteral("Floating point division by zero")),
              QStringLiteral("Floating point division by zero."));
    EXPECT_EQ(WithFullStop(QStringLiteral("Gotowe.")), QStringLiteral("Gotowe."));
    EXPECT_EQ(WithFullStop(QString()), QString());
}

TEST(JpegImage, DecodesTheWindowsPicturesWithLibjpegAndRejectsOtherBytes)
{
    App();
    InitAssets();
    const std::pair<const char*, QSize> pictures[] = {
        {":/tlo.jpg", {1280, 1000}}, {":/powitanie.jpg", {1181, 945}}, {":/logo.jpg", {236, 83}}};
    for (const auto& [path, size] : pictures) {
        const QImage image = LoadJpeg(QString::fromLatin1(path));
        EXPECT_EQ(image.size(), size) << path;
    }
    // Shrunk while decoding only as far as it stays at least as large as asked.
    EXPECT_EQ(LoadJpeg(QStringLiteral(":/powitanie.jpg"), QSize(500, 400)).size(), QSize(591, 473));
    EXPECT_EQ(LoadJpeg(QStringLiteral(":/logo.jpg"), QSize(81, 25)).size(), QSize(118, 42));
    EXPECT_EQ(LoadJpeg(QStringLiteral(":/tlo.jpg"), QSize(1260, 934)).size(), QSize(1280, 1000));
    EXPECT_TRUE(DecodeJpeg(QByteArray("not a picture")).isNull());
    EXPECT_TRUE(DecodeJpeg(QByteArray()).isNull());
    EXPECT_TRUE(DecodeJpeg(QByteArray("\xFF\xD8\xFF\x01garbage", 12)).isNull());  // a JPEG start, then noise
}

// How far apart two images of the same size are, channel by channel: the largest difference
// of one colour channel and the mean over all channels of all pixels.
struct Difference {
    int largest = 0;
    double mean = 0;
};

Difference ChannelDifference(const QImage& a, const QImage& b)
{
    Difference d;
    long long sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            for (const int c : {std::abs(qRed(p[x]) - qRed(q[x])), std::abs(qGreen(p[x]) - qGreen(q[x])),
                                std::abs(qBlue(p[x]) - qBlue(q[x]))}) {
                d.largest = std::max(d.largest, c);
                sum += c;
            }
    }
    d.mean = a.isNull() ? 0.0 : double(sum) / (3.0 * a.width() * a.height());
    return d;
}

TEST(JpegImage, ScaledDecodingShowsThePictureAsASmoothScalingOfTheWholeDecodeWould)
{
    App();
    InitAssets();
    // `mean` bounds the mean channel difference from the picture decoded whole and smoothly
    // scaled in one go. Where libjpeg shrinks the picture while decoding, its reduced decoding
    // draws sharp edges a little differently from averaging the whole picture, and the
    // smaller the picture shown, the more of it is edges; each bound still lies below what
    // scaling without smoothing, a picture one pixel off or its red and blue swapped give.
    // No channel may be off by more than `kLargest`: a row or a column decoded wrong (black,
    // or another one's) would be, while barely moving the mean.
    constexpr int kLargest = 96;
    const struct {
        const char* path;
        QSize box;
        Qt::AspectRatioMode mode;
        QSize size;
        double mean;
    } cases[] = {
        {":/tlo.jpg", {1260, 934}, Qt::IgnoreAspectRatio, {1260, 934}, 0.25},    // the background at 1280x1024
        {":/tlo.jpg", {1900, 990}, Qt::IgnoreAspectRatio, {1900, 990}, 0.25},    // 1920x1080: wider than the picture
        {":/tlo.jpg", {1004, 678}, Qt::IgnoreAspectRatio, {1004, 678}, 0.25},    // 1024x768
        {":/tlo.jpg", {1280, 300}, Qt::IgnoreAspectRatio, {1280, 300}, 0.25},    // more than three rows to one
        {":/tlo.jpg", {600, 450}, Qt::IgnoreAspectRatio, {600, 450}, 0.5},       // halved by libjpeg first
        {":/powitanie.jpg", {500, 400}, Qt::KeepAspectRatio, {499, 400}, 1.25},  // the welcome picture, halved
        {":/logo.jpg", {81, 25}, Qt::KeepAspectRatio, {71, 25}, 2.5},            // halved
    };
    for (const auto& c : cases) {
        const QImage scaled = LoadJpegScaled(QString::fromLatin1(c.path), c.box, c.mode);
        ASSERT_EQ(scaled.size(), c.size) << c.path << " " << c.box.width() << "x" << c.box.height();
        EXPECT_EQ(scaled.format(), QImage::Format_RGB32);
        const QImage expected =
            LoadJpeg(QString::fromLatin1(c.path)).scaled(c.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const Difference d = ChannelDifference(scaled, expected);
        EXPECT_LE(d.mean, c.mean) << c.path << " " << c.box.width() << "x" << c.box.height();
        EXPECT_LE(d.largest, kLargest) << c.path << " " << c.box.width() << "x" << c.box.height();
    }
    EXPECT_TRUE(DecodeJpegScaled(QByteArray("not a picture"), QSize(10, 10), Qt::IgnoreAspectRatio).isNull());
    EXPECT_TRUE(
        DecodeJpegScaled(QByteArray("\xFF\xD8\xFF\x01garbage", 12), QSize(10, 10), Qt::KeepAspectRatio).isNull());
    EXPECT_TRUE(LoadJpegScaled(QStringLiteral(":/tlo.jpg"), QSize(0, 10), Qt::IgnoreAspectRatio).isNull());
    EXPECT_TRUE(LoadJpegScaled(QStringLiteral(":/brak.jpg"), QSize(10, 10), Qt::IgnoreAspectRatio).isNull());
}

}  // namespace
}  // namespace moravel::window::testing
