// The save, open and clear commands of the data files, driven through the real window's menu
// items with the queued file dialogs: what the files hold, which handlers the opens run,
// cancelled dialogs, failures named in the error box, and whole cases going through a
// project into a fresh window.
#include "Bytes.h"
#include "WindowFixture.h"
#include "files/DataFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QPlainTextEdit>
#include <QTemporaryDir>

namespace moravel::window::testing {
namespace {

using files::testing::Field;

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void PutBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QString kSaved = QStringLiteral("Zapisano dane w pliku ");

class FileCommandsTest : public WindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        source = &random;
        WindowFixture::SetUp();
    }
    // A new window, as after starting the program again; the dialogs and the draws stay.
    void Fresh()
    {
        Build(QSize(1024, 768));
        dialogs.asked.clear();
    }
    QString Path(const QString& name) const { return dir.filePath(name); }

    // Runs a menu item as the user does; the dialogs answer `answers` in turn (nothing:
    // the user cancels).
    void Run(QAction* item, std::initializer_list<std::optional<QString>> answers = {})
    {
        ASSERT_TRUE(item->isEnabled());
        for (const auto& a : answers)
            dialogs.answers.push_back(a);
        item->trigger();
        EXPECT_TRUE(dialogs.answers.empty()) << "a dialog was not shown";
        dialogs.answers.clear();
    }

    StringGrid* Rain() { return ui().Tabela_Opad; }
    void EnterRain(const QStringList& cells, int column = 1)
    {
        window->SetText(Hours(), QString::number(cells.size()));
        for (int i = 0; i < cells.size(); ++i)
            Rain()->SetCell(column, i + 1, cells[i]);
    }
    QStringList RainColumn(int column, int hours)
    {
        QStringList texts;
        for (int i = 1; i <= hours; ++i)
            texts << Rain()->Cell(column, i);
        return texts;
    }
    QStringList ParameterTexts()
    {
        QStringList texts;
        for (QLineEdit* e : window->ParameterEdits())
            texts << e->text();
        return texts;
    }
    void EnterParameters(const QStringList& values)
    {
        for (int i = 0; i < 7; ++i)
            window->SetText(window->ParameterEdits()[i], values[i]);
    }

    // Every text of the window that a case consists of, and the captions computed from them.
    QMap<QString, QString> Snapshot()
    {
        QMap<QString, QString> s;
        s["hours"] = Hours()->text();
        s["direct"] = ui().CheckBoxOpad->isChecked() ? "1" : "0";
        s["rainCols"] = QString::number(Rain()->ColCount());
        for (int r = 0; r < Rain()->RowCount(); ++r)
            for (int c = 0; c < Rain()->ColCount(); ++c)
                s[QString("rain %1,%2").arg(c).arg(r)] = Rain()->Cell(c, r);
        for (int r = 0; r < 21; ++r)
            for (int c = 0; c < 4; ++c)
                s[QString("scs %1,%2").arg(c).arg(r)] = ui().Tabela_SCS->Cell(c, r);
        for (QLineEdit* e : {ui().EditSCSA, ui().EditSCSB, ui().EditSCSC, ui().EditSCSD, ui().EditParametryPole})
            s[e->objectName()] = e->text();
        for (QLineEdit* e : window->ParameterEdits())
            s[e->objectName()] = e->text();
        s["cn"] = ui().LabelSCSSCSWartosc->text();
        s["area"] = ui().LabelSCSPowierzchniaWartosc->text();
        s["obliczenia"] = ui().MenuObliczenia->isEnabled() ? "on" : "off";
        return s;
    }

    void OpenExampleProject()
    {
        Run(ui().MenuPlikOtworzProjekt, {QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr")});
    }

    QTemporaryDir dir;
    FixedSource random{{0.3, 0.6, 0.9, 0.45}};
};

// ---- Rainfall file

TEST_F(FileCommandsTest, RainfallSavesTheTypedTextsAndOpensThemIntoAFreshWindow)
{
    Type(Hours(), QStringLiteral("3"));
    ClickCell(Rain(), 1, 1);
    TypeInGrid(Rain(), QStringLiteral("1,5"));
    PressEnterInGrid(Rain());
    TypeInGrid(Rain(), QStringLiteral("12"));
    PressEnterInGrid(Rain());
    TypeInGrid(Rain(), QStringLiteral("0"));
    PressEnterInGrid(Rain());
    ASSERT_EQ(RainColumn(1, 3), (QStringList{"1,5", "12", "0"}));
    messages.Clear();

    // The extension is appended always, also to a name that has it.
    Run(ui().MenuOpadZapisz, {Path("regen.kwp")});
    const QString file = Path("regen.kwp.kwp");
    EXPECT_EQ(messages.Infos(), QStringList{kSaved + file});
    const QByteArray bytes = FileBytes(file);
    ASSERT_EQ(bytes.size(), 2406);
    EXPECT_EQ(bytes.left(30),
              Field("33", 5) + Field("30", 5) + Field("31 2C 35", 5) + Field("31 32", 5) + Field("30", 5));
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].dialogSpec.name, QStringLiteral("SaveDialogOpad"));
    EXPECT_EQ(dialogs.asked[0].dialogSpec.title, QStringLiteral("Zapisanie pliku opadu"));
    EXPECT_EQ(dialogs.asked[0].dialogSpec.filter,
              QStringLiteral("Pliki danych opadu *.kwp|*.kwp|Wszystkie pliki *.*|*.*"));
    EXPECT_TRUE(dialogs.asked[0].dialogSpec.save);

    // The dialog offers the name chosen last time.
    Run(ui().MenuOpadZapisz, {Path("regen")});
    EXPECT_EQ(dialogs.asked[1].lastName, Path("regen.kwp"));

    Fresh();
    ui().LabelSCSSCSWartosc->setText(QStringLiteral("70,00"));  // an averaged CN exists
    Run(ui().MenuOpadOtworz, {file});
    EXPECT_EQ(dialogs.asked[0].dialogSpec.name, QStringLiteral("OpenDialogOpad"));
    EXPECT_EQ(dialogs.asked[0].dialogSpec.title, QStringLiteral("Otwieranie pliku opadu"));
    EXPECT_FALSE(dialogs.asked[0].dialogSpec.save);
    EXPECT_EQ(Hours()->text(), QStringLiteral("3"));
    EXPECT_EQ(Rain()->RowCount(), 4);  // the hour-count rule ran
    EXPECT_EQ(Rain()->Cell(0, 3), QStringLiteral("3"));
    EXPECT_EQ(RainColumn(1, 3), (QStringList{"1,5", "12", "0"}));
    EXPECT_FALSE(ui().CheckBoxOpad->isChecked());
    // The refresh computed the effective rainfall of the opened series.
    EXPECT_EQ(Rain()->Cell(2, 0), QStringLiteral("Hef [mm]"));
    EXPECT_FLOAT_EQ(window->State().Rainfall[2], 12.0f);
    EXPECT_TRUE(messages.log.empty());  // no message confirms an open
}

TEST_F(FileCommandsTest, EffectiveRainfallFileTicksDirectModeAndFillsTheThirdColumn)
{
    EnterRain({"2", "3"});
    window->SetChecked(ui().CheckBoxOpad, true);
    Rain()->SetCell(2, 1, QStringLiteral("0,75"));
    Rain()->SetCell(2, 2, QStringLiteral("4,125"));  // cut to five characters
    Run(ui().MenuOpadZapisz, {Path("hef")});
    const QByteArray bytes = FileBytes(Path("hef.kwp"));
    EXPECT_EQ(bytes.mid(6, 18), Field("31", 5) + Field("30 2C 37 35", 5) + Field("34 2C 31 32 35", 5));

    Fresh();
    EnterRain({"9", "9", "9"});
    Run(ui().MenuOpadOtworz, {Path("hef.kwp")});
    EXPECT_TRUE(ui().CheckBoxOpad->isChecked());
    EXPECT_TRUE(ui().TabelaOpadZaslona->isVisible());
    EXPECT_EQ(Rain()->ColCount(), 3);
    EXPECT_EQ(RainColumn(2, 2), (QStringList{"0,75", "4,125"}));
    EXPECT_EQ(RainColumn(1, 2), (QStringList{"1", "1"}));  // the placeholders of direct mode
    // The refresh copied the typed column into the state.
    EXPECT_FLOAT_EQ(window->State().EffectiveRain[1], 0.75f);
    EXPECT_FLOAT_EQ(window->State().EffectiveRain[2], 4.125f);
}

TEST_F(FileCommandsTest, RainfallFileOpenedInDirectModeLeavesItWithTheValuesShown)
{
    EnterRain({"5", "6"});
    Run(ui().MenuOpadZapisz, {Path("deszcz")});
    window->SetChecked(ui().CheckBoxOpad, true);
    Rain()->SetCell(2, 1, QStringLiteral("8"));

    Run(ui().MenuOpadOtworz, {Path("deszcz.kwp")});
    EXPECT_FALSE(ui().CheckBoxOpad->isChecked());
    EXPECT_FALSE(ui().TabelaOpadZaslona->isVisible());
    EXPECT_EQ(RainColumn(1, 2), (QStringList{"5", "6"}));  // not the placeholders of leaving
}

TEST_F(FileCommandsTest, CancelledRainfallOpenChangesNothingButRefreshes)
{
    EnterRain({"10", "20"});
    ui().LabelSCSSCSWartosc->setText(QStringLiteral("80,00"));
    ASSERT_EQ(Rain()->ColCount(), 2);
    Run(ui().MenuOpadOtworz, {std::nullopt});
    EXPECT_EQ(RainColumn(1, 2), (QStringList{"10", "20"}));
    EXPECT_EQ(Rain()->ColCount(), 3);  // the refresh computed the effective rainfall
    EXPECT_FLOAT_EQ(window->State().Rainfall[2], 20.0f);

    Run(ui().MenuOpadZapisz, {std::nullopt});  // a cancelled save writes nothing
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(messages.log.empty());
}

TEST_F(FileCommandsTest, RainfallOfMoreThan399HoursIsRefusedAndNothingWritten)
{
    window->SetText(Hours(), QStringLiteral("400"));
    Run(ui().MenuOpadZapisz, {Path("dlugi")});
    EXPECT_EQ(
        messages.Errors(),
        QStringList{QStringLiteral("Plik opadu mieści najwyżej 399 godzin, a seria ma ich 400. Nie zapisano pliku.")});
    EXPECT_TRUE(messages.Infos().isEmpty());
    EXPECT_FALSE(QFile::exists(Path("dlugi.kwp")));

    messages.Clear();
    window->SetText(Hours(), QStringLiteral("399"));
    Rain()->SetCell(1, 399, QStringLiteral("7"));
    Run(ui().MenuOpadZapisz, {Path("dlugi")});
    EXPECT_EQ(messages.Infos(), QStringList{kSaved + Path("dlugi.kwp")});
    EXPECT_EQ(FileBytes(Path("dlugi.kwp")).mid(2400), Field("37", 5));
}

TEST_F(FileCommandsTest, OpenedHourCountAbove399KeepsTheCountAndEmptiesTheHoursTheFileLacks)
{
    files::RainfallRecord record;
    record.hourCount = QStringLiteral("405");
    for (int i = 1; i <= 399; ++i)
        record.hours << QString::number(i);
    PutBytes(Path("duzo.kwp"), record.Encode());
    window->SetText(Hours(), QStringLiteral("405"));
    for (int i = 395; i <= 405; ++i)
        Rain()->SetCell(1, i, QStringLiteral("9"));

    Run(ui().MenuOpadOtworz, {Path("duzo.kwp")});
    EXPECT_EQ(Hours()->text(), QStringLiteral("405"));
    EXPECT_EQ(Rain()->Cell(1, 399), QStringLiteral("399"));
    EXPECT_EQ(Rain()->Cell(1, 400), QString());
    EXPECT_EQ(Rain()->Cell(1, 405), QString());
    EXPECT_TRUE(messages.Errors().isEmpty());
}

TEST_F(FileCommandsTest, RainfallSaveAndOpenErrors)
{
    // A count that is not an integer: the conversion error after the dialog, no file.
    window->SetText(Hours(), QStringLiteral("abc"));
    messages.Clear();
    Run(ui().MenuOpadZapisz, {Path("x")});
    EXPECT_EQ(messages.Errors(), QStringList{QStringLiteral("'abc' is not a valid integer value.")});
    EXPECT_FALSE(QFile::exists(Path("x.kwp")));

    // A folder that does not exist: the error names the file, no confirmation.
    messages.Clear();
    EnterRain({"1"});
    const QString missing = Path("brak/deszcz");
    Run(ui().MenuOpadZapisz, {missing});
    EXPECT_EQ(messages.log.size(), 1u);
    EXPECT_EQ(messages.Errors(), QStringList{QStringLiteral("Nie można utworzyć pliku ") + missing + ".kwp."});

    // A file that can't be opened: named in the error, the window unchanged, no refresh.
    messages.Clear();
    EnterRain({"4", "5"});
    ui().LabelSCSSCSWartosc->setText(QStringLiteral("80,00"));
    Run(ui().MenuOpadOtworz, {Path("nie-ma.kwp")});
    EXPECT_EQ(messages.Errors(), QStringList{QStringLiteral("Nie można otworzyć pliku ") + Path("nie-ma.kwp") + "."});
    EXPECT_EQ(RainColumn(1, 2), (QStringList{"4", "5"}));
    EXPECT_EQ(Rain()->ColCount(), 2);
}

TEST_F(FileCommandsTest, RainfallNewDataEmptiesTheTableAndSetsOneHour)
{
    ui().LabelSCSSCSWartosc->setText(QStringLiteral("80,00"));
    EnterRain({"1", "2", "3", "4", "5"});
    window->Tabela_OpadClick();
    ASSERT_EQ(Rain()->ColCount(), 3);
    window->SetText(Hours(), QStringLiteral("3"));  // hours 4 and 5 hidden

    Run(ui().MenuOpadNoweDane);
    EXPECT_EQ(Hours()->text(), QStringLiteral("1"));
    EXPECT_EQ(Rain()->RowCount(), 2);
    EXPECT_EQ(Rain()->ColCount(), 2);
    EXPECT_EQ(Rain()->Cell(1, 0), QStringLiteral("Opad [mm]"));
    EXPECT_EQ(Rain()->Cell(0, 1), QStringLiteral("1"));
    window->SetText(Hours(), QStringLiteral("5"));  // nothing of the old series comes back
    EXPECT_EQ(RainColumn(1, 5), QStringList(5, QString()));
    EXPECT_EQ(RainColumn(2, 5), QStringList(5, QString()));
    EXPECT_TRUE(messages.log.empty());
}

TEST_F(FileCommandsTest, RainfallNewDataInDirectModeKeepsTheModeUsable)
{
    EnterRain({"1", "2"});
    window->SetChecked(ui().CheckBoxOpad, true);
    Rain()->SetCell(2, 1, QStringLiteral("3"));
    Run(ui().MenuOpadNoweDane);
    EXPECT_TRUE(ui().CheckBoxOpad->isChecked());
    EXPECT_EQ(Hours()->text(), QStringLiteral("1"));
    EXPECT_EQ(Rain()->ColCount(), 3);  // the typed column stays for the new series
    EXPECT_EQ(Rain()->Cell(2, 1), QString());
    EXPECT_EQ(Rain()->Cell(1, 1), QStringLiteral("1"));
    Rain()->SetCell(2, 1, QStringLiteral("2,5"));
    window->Tabela_OpadClick();
    EXPECT_FLOAT_EQ(window->State().EffectiveRain[1], 2.5f);
}

// ---- SCS file

TEST_F(FileCommandsTest, ScsSavesGridAndOwnClassAndOpeningRecomputesTheCurveNumber)
{
    EnterRain({"20", "30"});  // the own class's handlers compute with the rainfall
    ui().Tabela_SCS->SetCell(0, 0, QStringLiteral("12,5"));
    ui().Tabela_SCS->SetCell(3, 20, QStringLiteral("3"));
    window->SetText(ui().EditSCSD, QStringLiteral("85"));
    messages.Clear();
    Run(ui().MenuSCSZapisz, {Path("zlewnia")});
    const QString file = Path("zlewnia.kws");
    // The confirmation, then the stored curve number of soil group D.
    EXPECT_EQ(messages.Infos(), (QStringList{kSaved + file, "85"}));
    const QByteArray bytes = FileBytes(file);
    ASSERT_EQ(bytes.size(), 528);
    EXPECT_EQ(bytes.mid(0, 6), Field("31 32 2C 35", 5));
    EXPECT_EQ(bytes.mid(498, 6), Field("33", 5));
    EXPECT_EQ(bytes.mid(522, 6), Field("38 35", 5));
    EXPECT_EQ(bytes.mid(6, 6), Field("", 5));
    EXPECT_EQ(dialogs.asked[0].dialogSpec.title, QStringLiteral("Zapisanie pliku SCS"));
    EXPECT_EQ(dialogs.asked[0].dialogSpec.filter,
              QStringLiteral("pliki danych SCS *.kws|*.kws|wszystkie pliki *.*|*.*"));

    Fresh();
    EnterRain({"20", "30"});
    Run(ui().MenuSCSOtworz, {file});
    EXPECT_EQ(dialogs.asked[0].dialogSpec.name, QStringLiteral("OpenDialogSCS"));
    EXPECT_EQ(dialogs.asked[0].dialogSpec.title, QStringLiteral("Otwieranie pliku SCS"));
    EXPECT_EQ(ui().Tabela_SCS->Cell(0, 0), QStringLiteral("12,5"));
    EXPECT_EQ(ui().Tabela_SCS->Cell(3, 20), QStringLiteral("3"));
    EXPECT_EQ(ui().EditSCSD->text(), QStringLiteral("85"));
    // The refresh at the end saw the whole grid: total area and an averaged CN.
    EXPECT_EQ(ui().LabelSCSPowierzchniaWartosc->text(), QStringLiteral("15,5"));
    EXPECT_NE(ui().LabelSCSSCSWartosc->text(), QStringLiteral("?"));
    EXPECT_EQ(Rain()->ColCount(), 3);  // and computed the effective rainfall
}

TEST_F(FileCommandsTest, ScsSaveWithEmptyGroupDShowsAnEmptySecondBoxAndKeepsALongName)
{
    // A full path longer than 254 characters is written where it was asked, whole.
    QString folder = dir.path();
    while (folder.size() < 260)
        folder += QStringLiteral("/katalog_o_dlugiej_nazwie");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString name = folder + QStringLiteral("/uzytkowanie");
    Run(ui().MenuSCSZapisz, {name});
    EXPECT_EQ(messages.Infos(), (QStringList{kSaved + name + ".kws", QString()}));
    EXPECT_EQ(FileBytes(name + ".kws").size(), 528);

    // A failed save shows neither box.
    messages.Clear();
    Run(ui().MenuSCSZapisz, {Path("brak/u")});
    EXPECT_EQ(messages.Errors(), QStringList{QStringLiteral("Nie można utworzyć pliku ") + Path("brak/u") + ".kws."});
    EXPECT_TRUE(messages.Infos().isEmpty());
}

TEST_F(FileCommandsTest, ScsCancelledOpenRefreshesAndNewDataEmptiesGridAndOwnClass)
{
    EnterRain({"20", "30"});
    ui().Tabela_SCS->SetCell(1, 0, QStringLiteral("4"));
    Run(ui().MenuSCSOtworz, {std::nullopt});
    EXPECT_EQ(ui().LabelSCSPowierzchniaWartosc->text(), QStringLiteral("4"));  // Tabela_SCSClick ran
    EXPECT_EQ(ui().Tabela_SCS->Cell(1, 0), QStringLiteral("4"));

    for (QLineEdit* e : {ui().EditSCSA, ui().EditSCSB, ui().EditSCSC, ui().EditSCSD})
        window->SetText(e, QStringLiteral("70"));
    messages.Clear();
    const size_t dialogsShown = dialogs.asked.size();
    Run(ui().MenuSCSNoweDane);
    EXPECT_EQ(ui().Tabela_SCS->Cell(1, 0), QString());
    for (QLineEdit* e : {ui().EditSCSA, ui().EditSCSB, ui().EditSCSC, ui().EditSCSD})
        EXPECT_EQ(e->text(), QString());
    // Only the edits' own checks speak: each emptied edit holds no integer.
    EXPECT_EQ(messages.Infos(), QStringList(4, QStringLiteral("Wprowadź liczbę całkowitą!")));
    EXPECT_EQ(dialogs.asked.size(), dialogsShown);
}

// ---- Parameters file

TEST_F(FileCommandsTest, ParametersRoundTripEnablesTheComputationsMenu)
{
    EnterParameters({"4,2", "2,3", "4,8", "0,000125", "12", "15", "0,04"});
    messages.Clear();
    Run(ui().MenuParametryKWZapisz, {Path("par")});
    const QString file = Path("par.kwx");
    EXPECT_EQ(messages.Infos(), QStringList{kSaved + file});
    const QByteArray bytes = FileBytes(file);
    ASSERT_EQ(bytes.size(), 56);
    EXPECT_EQ(bytes.left(8), Field("34 2C 32", 7));
    EXPECT_EQ(dialogs.asked[0].dialogSpec.title, QStringLiteral("Zapisanie pliku parametrów"));
    EXPECT_EQ(dialogs.asked[0].dialogSpec.filter,
              QStringLiteral("pliki danych parametrów *.kwx|*.kwx|wszystkie pliki *.*|*.*"));

    Fresh();
    ASSERT_FALSE(ui().MenuObliczenia->isEnabled());
    Run(ui().MenuParametryKWOtworz, {file});
    EXPECT_EQ(dialogs.asked[0].dialogSpec.title, QStringLiteral("Otwieranie pliku parametrów"));
    EXPECT_EQ(ParameterTexts(), (QStringList{"4,2", "2,3", "4,8", "0,00012", "12", "15", "0,04"}));
    EXPECT_TRUE(ui().MenuObliczenia->isEnabled());
    EXPECT_TRUE(messages.log.empty());
}

TEST_F(FileCommandsTest, ParametersFileWithAnEmptyFieldLeavesTheMenuDisabled)
{
    files::ParametersRecord record;
    record.values = {"1", "2", "3", "", "5", "6", "7"};
    PutBytes(Path("brak.kwx"), record.Encode());
    Run(ui().MenuParametryKWOtworz, {Path("brak.kwx")});
    EXPECT_EQ(ParameterTexts(), (QStringList{"1", "2", "3", "", "5", "6", "7"}));
    EXPECT_FALSE(ui().MenuObliczenia->isEnabled());
}

TEST_F(FileCommandsTest, ParametersCancelledOpenChangesNothingAndNewDataWarnsSevenTimes)
{
    EnterParameters({"1", "2", "3", "4", "5", "6", "7"});
    ASSERT_TRUE(ui().MenuObliczenia->isEnabled());
    messages.Clear();
    Run(ui().MenuParametryKWOtworz, {std::nullopt});
    EXPECT_EQ(ParameterTexts(), (QStringList{"1", "2", "3", "4", "5", "6", "7"}));
    EXPECT_TRUE(messages.log.empty());

    Run(ui().MenuParametryKWOtworz, {Path("nie-ma.kwx")});
    EXPECT_EQ(messages.Errors(), QStringList{QStringLiteral("Nie można otworzyć pliku ") + Path("nie-ma.kwx") + "."});
    EXPECT_EQ(ParameterTexts(), (QStringList{"1", "2", "3", "4", "5", "6", "7"}));

    messages.Clear();
    Run(ui().MenuParametryKWNoweDane);
    EXPECT_EQ(ParameterTexts(), QStringList(7, QString()));
    EXPECT_EQ(messages.Infos(), QStringList(7, QStringLiteral("Wprowadź liczbę rzeczywistą")));
    EXPECT_TRUE(ui().MenuObliczenia->isEnabled());
    EXPECT_TRUE(ui().MenuParametryKWNoweDane->isEnabled());
}

// ---- Project file

TEST_F(FileCommandsTest, ProjectWithACancelledScsChoiceStopsAtTheEmptyName)
{
    EnterRain({"3", "4"});
    Run(ui().MenuOpadZapisz, {Path("p")});
    EnterParameters({"1", "2", "3", "4", "5", "6", "7"});
    Run(ui().MenuParametryKWZapisz, {Path("p")});
    messages.Clear();

    Run(ui().MenuPlikZapiszProjekt, {Path("fall.kpr"), Path("p.kwp"), std::nullopt, Path("p.kwx")});
    const QString project = Path("fall.kpr.kpr");
    EXPECT_EQ(messages.Infos(), QStringList{kSaved + project});
    // The data files lie beside the project: stored by their names.
    EXPECT_EQ(FileBytes(project), QByteArray("p.kwp\r\n\r\np.kwx\r\n"));
    ASSERT_EQ(dialogs.asked.size(), 4u + 2u);
    const auto& asked = dialogs.asked;
    EXPECT_EQ(asked[2].dialogSpec.name, QStringLiteral("SaveDialogProjekt"));
    EXPECT_EQ(asked[2].dialogSpec.filter, QStringLiteral("Pliki projektu Moravel *.kpr|*.kpr|Wszystkie pliki|*.*"));
    EXPECT_EQ(asked[3].dialogSpec.title, QStringLiteral("Wybierz plik opadu do projektu"));
    EXPECT_EQ(asked[3].dialogSpec.filter, QStringLiteral("Pliki danych opadu *.kwp|*.kwp"));
    EXPECT_FALSE(asked[3].dialogSpec.save);
    EXPECT_EQ(asked[4].dialogSpec.title, QStringLiteral("Wybierz plik SCS do projektu"));
    EXPECT_EQ(asked[5].dialogSpec.title, QStringLiteral("Wybierz plik parametrów do projektu"));
    EXPECT_EQ(asked[5].dialogSpec.filter, QStringLiteral("pliki danych parametrów *.kwx|*.kwx"));

    Fresh();
    EnterParameters({"9", "9", "9", "9", "9", "9", "9"});
    messages.Clear();
    Run(ui().MenuPlikOtworzProjekt, {project});
    EXPECT_EQ(dialogs.asked[0].dialogSpec.title, QStringLiteral("Otwieranie pliku projektu"));
    EXPECT_EQ(dialogs.asked[0].dialogSpec.filter,
              QStringLiteral("Pliki projektu Moravel *.kpr|*.kpr|Wszystkie pliki *.*|*.*"));
    EXPECT_EQ(RainColumn(1, 2), (QStringList{"3", "4"}));  // the rainfall is loaded
    EXPECT_EQ(messages.Errors(),
              QStringList{QStringLiteral("Nie można otworzyć pliku SCS: projekt nie podaje jego nazwy.")});
    EXPECT_EQ(ParameterTexts(), QStringList(7, QStringLiteral("9")));  // the parameters as they were
    EXPECT_EQ(ui().Memo_Save_Projekt->toPlainText(), Path("p.kwp") + "\n\n" + Path("p.kwx"));
}

TEST_F(FileCommandsTest, PathWithALineBreakIsRefusedBeforeTheProjectOrItsMemoIsWritten)
{
    const QString memo = ui().Memo_Save_Projekt->toPlainText();
    const QString broken = Path("opad\nstary.kwp");
    Run(ui().MenuPlikZapiszProjekt, {Path("sprawa"), broken, Path("p.kws"), Path("p.kwx")});
    EXPECT_EQ(messages.Errors(), QStringList{QStringLiteral("Nazwa pliku nie może zawierać znaku końca wiersza: ") +
                                             Path("opad\\nstary.kwp") + QLatin1Char('.')});
    EXPECT_TRUE(messages.Infos().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Path("sprawa.kpr")));
    EXPECT_EQ(ui().Memo_Save_Projekt->toPlainText(), memo);

    // A data file's own name is refused the same way.
    messages.Clear();
    EnterRain({"3"});
    Run(ui().MenuOpadZapisz, {Path("opad\rnowy")});
    EXPECT_EQ(messages.Errors(), QStringList{QStringLiteral("Nazwa pliku nie może zawierać znaku końca wiersza: ") +
                                             Path("opad\\rnowy.kwp") + QLatin1Char('.')});
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(FileCommandsTest, ProjectOpenErrorsNameTheFile)
{
    // A missing project file changes nothing.
    Run(ui().MenuPlikOtworzProjekt, {Path("brak.kpr")});
    EXPECT_EQ(messages.Errors(), QStringList{QStringLiteral("Nie można otworzyć pliku ") + Path("brak.kpr") + "."});

    // A missing data file stops the open at it.
    messages.Clear();
    PutBytes(Path("zly.kpr"), "nie-ma.kwp\n");
    Run(ui().MenuPlikOtworzProjekt, {Path("zly.kpr")});
    EXPECT_EQ(messages.Errors(), QStringList{QStringLiteral("Nie można otworzyć pliku ") + Path("nie-ma.kwp") + "."});

    // All three choices cancelled: the empty rainfall name is reported.
    messages.Clear();
    Run(ui().MenuPlikZapiszProjekt, {Path("pusty"), std::nullopt, std::nullopt, std::nullopt});
    EXPECT_EQ(FileBytes(Path("pusty.kpr")), QByteArray("\r\n\r\n\r\n"));
    messages.Clear();
    Run(ui().MenuPlikOtworzProjekt, {Path("pusty.kpr")});
    EXPECT_EQ(messages.Errors(),
              QStringList{QStringLiteral("Nie można otworzyć pliku opadu: projekt nie podaje jego nazwy.")});
}

TEST_F(FileCommandsTest, ExampleProjectLoadsTheWholeCaseAndGivesAHydrograph)
{
    OpenExampleProject();
    EXPECT_TRUE(messages.Errors().isEmpty()) << messages.Errors().join('\n').toStdString();
    EXPECT_EQ(Hours()->text(), QStringLiteral("24"));
    EXPECT_EQ(Rain()->Cell(1, 11), QStringLiteral("13,6"));
    EXPECT_EQ(Rain()->Cell(1, 24), QStringLiteral("0,3"));
    EXPECT_EQ(ui().Tabela_SCS->Cell(1, 0), QStringLiteral("18,5"));
    EXPECT_EQ(ui().EditSCSD->text(), QStringLiteral("82"));
    EXPECT_EQ(ParameterTexts(), (QStringList{"4,2", "2,3", "4,8", "0,004", "12", "15", "0,04"}));
    EXPECT_TRUE(ui().MenuObliczenia->isEnabled());
    EXPECT_TRUE(ui().LabelSCSSCSWartosc->text().startsWith(QStringLiteral("68,")));
    EXPECT_EQ(ui().Memo_Save_Projekt->toPlainText().split('\n').size(), 3);

    ui().MenuObliczeniaHydrogram->trigger();
    EXPECT_TRUE(messages.Errors().isEmpty()) << messages.Errors().join('\n').toStdString();
    EXPECT_TRUE(ui().Wykres->isVisible());
    EXPECT_GT(window->State().PeakDischarge, 0.0f);
    EXPECT_GT(window->State().HydrographLength, 24);
}

TEST_F(FileCommandsTest, CaseSavedFromTheWindowOpensIdenticalInAFreshWindow)
{
    OpenExampleProject();
    // A few edits of the user's own, so that the case is not the example itself.
    Rain()->SetCell(1, 5, QStringLiteral("2,25"));
    window->Tabela_OpadClick();
    window->SetText(ui().EditSCSA, QStringLiteral("45"));
    window->SetText(ui().EditParametryn, QStringLiteral("0,035"));
    messages.Clear();
    Run(ui().MenuOpadZapisz, {Path("sprawa")});
    Run(ui().MenuSCSZapisz, {Path("sprawa")});
    Run(ui().MenuParametryKWZapisz, {Path("sprawa")});
    Run(ui().MenuPlikZapiszProjekt, {Path("sprawa"), Path("sprawa.kwp"), Path("sprawa.kws"), Path("sprawa.kwx")});
    EXPECT_TRUE(messages.Errors().isEmpty());
    const QMap<QString, QString> before = Snapshot();

    Fresh();
    Run(ui().MenuPlikOtworzProjekt, {Path("sprawa.kpr")});
    EXPECT_TRUE(messages.Errors().isEmpty());
    const QMap<QString, QString> after = Snapshot();
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        EXPECT_EQ(after.value(it.key()), it.value()) << it.key().toStdString();
    EXPECT_EQ(after.keys(), before.keys());
}

}  // namespace
// ---- Ending the program with unsaved work

using CloseChoice = Messages::CloseChoice;

// Closes the window as the window manager does; true when it closed.
bool CloseByWindowManager(TFormatkaOkno& window)
{
    return window.close();
}

TEST_F(FileCommandsTest, EndingAsksOnlyWhenADataKindChangedSinceItWasStoredOrOpened)
{
    // A fresh window, an opened project and a hydrograph computed on it: nothing to lose.
    EXPECT_TRUE(window->UnsavedKinds().isEmpty());
    OpenExampleProject();
    Run(ui().MenuObliczeniaHydrogram);
    EXPECT_TRUE(window->UnsavedKinds().isEmpty());
    // Typing a text back as it was changes nothing either.
    Retype(ui().EditParametryRB, QStringLiteral("4,3"));
    Retype(ui().EditParametryRB, QStringLiteral("4,2"));
    EXPECT_TRUE(window->UnsavedKinds().isEmpty());
    ASSERT_TRUE(CloseByWindowManager(*window));
    EXPECT_TRUE(messages.questions.isEmpty());

    struct Case {
        const char* what;
        std::function<void()> change;
        QString kinds;
    };
    const std::vector<Case> cases = {
        {"a rainfall cell", [this] { EnterCell(Rain(), 1, 3, QStringLiteral("9")); }, QStringLiteral("opad")},
        {"the hour count", [this] { Retype(Hours(), QStringLiteral("25")); }, QStringLiteral("opad")},
        {"a land-use cell", [this] { EnterCell(ui().Tabela_SCS, 0, 2, QStringLiteral("3")); },
         QStringLiteral("użytkowanie terenu (SCS)")},
        {"the own class's CN", [this] { Retype(ui().EditSCSB, QStringLiteral("70")); },
         QStringLiteral("użytkowanie terenu (SCS)")},
        {"two kinds",
         [this] {
             Retype(ui().EditParametryn, QStringLiteral("0,05"));
             EnterCell(Rain(), 1, 1, QStringLiteral("2"));
         },
         QStringLiteral("opad, parametry zlewni")},
    };
    for (const Case& c : cases) {
        Fresh();
        OpenExampleProject();
        c.change();
        messages.Clear();
        messages.questions.clear();
        // "Anuluj" keeps the program with everything in it; "Zakończ bez zapisu" ends it.
        messages.closeAnswers = {CloseChoice::Cancel, CloseChoice::Discard};
        EXPECT_FALSE(CloseByWindowManager(*window)) << c.what;
        EXPECT_TRUE(window->isVisible()) << c.what;
        EXPECT_TRUE(CloseByWindowManager(*window)) << c.what;
        ASSERT_EQ(messages.questions.size(), 2) << c.what;
        EXPECT_EQ(messages.questions[0], QStringLiteral("Nie zapisano zmian w danych: %1.\nZapisać je przed "
                                                        "zakończeniem programu?")
                                             .arg(c.kinds))
            << c.what;
    }
}

TEST_F(FileCommandsTest, EndingFromTheMenuAsksTooAndASaveOrNewDataClearsTheChange)
{
    OpenExampleProject();
    Retype(ui().EditParametryb, QStringLiteral("20"));
    messages.closeAnswers = {CloseChoice::Cancel};
    ui().MenuPlikKoniecProgramu->trigger();
    EXPECT_EQ(messages.questions.size(), 1);
    EXPECT_TRUE(window->isVisible());

    Run(ui().MenuParametryKWZapisz, {Path("nowe")});
    EXPECT_TRUE(window->UnsavedKinds().isEmpty());
    Retype(ui().EditParametryb, QStringLiteral("25"));
    EnterCell(ui().Tabela_SCS, 0, 2, QStringLiteral("3"));
    Run(ui().MenuParametryKWNoweDane);
    Run(ui().MenuSCSNoweDane);
    EXPECT_TRUE(window->UnsavedKinds().isEmpty());
    messages.questions.clear();
    EXPECT_TRUE(CloseByWindowManager(*window));
    EXPECT_TRUE(messages.questions.isEmpty());
}

TEST_F(FileCommandsTest, SaveProjectBeforeEndingSavesTheChangedDataThenTheProject)
{
    OpenExampleProject();
    EnterCell(Rain(), 1, 2, QStringLiteral("7,5"));
    Retype(ui().EditParametryLo, QStringLiteral("13"));
    messages.Clear();

    // The rainfall's save dialog cancelled: nothing more is asked and the program stays.
    messages.closeAnswers = {CloseChoice::SaveProject};
    dialogs.answers = {std::nullopt};
    EXPECT_FALSE(CloseByWindowManager(*window));
    EXPECT_TRUE(dialogs.answers.empty());
    EXPECT_EQ(window->UnsavedKinds().size(), 2);

    // Then the rainfall, the parameters and the project naming them.
    messages.closeAnswers = {CloseChoice::SaveProject};
    dialogs.answers = {Path("burza"),     Path("zlewnia"),   Path("sprawa"),
                       Path("burza.kwp"), Path("stara.kws"), Path("zlewnia.kwx")};
    EXPECT_TRUE(CloseByWindowManager(*window));
    EXPECT_TRUE(dialogs.answers.empty());
    EXPECT_EQ(messages.Infos(),
              (QStringList{kSaved + Path("burza.kwp"), kSaved + Path("zlewnia.kwx"), kSaved + Path("sprawa.kpr")}));
    EXPECT_EQ(files::ReadRainfallFile(Path("burza.kwp")).Hour(2), QStringLiteral("7,5"));
    EXPECT_EQ(files::ReadParametersFile(Path("zlewnia.kwx")).values[4], QStringLiteral("13"));
    EXPECT_EQ(files::ReadProjectFile(Path("sprawa.kpr")).rainfall, Path("burza.kwp"));
}

}  // namespace moravel::window::testing
