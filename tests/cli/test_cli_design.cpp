// moravel-run --design: the design-flood table of a design file against the one the real
// window "Przepływy projektowe..." computes from the same inputs and seed (its "Do CSV..."
// table cell for cell, its result against the workbook at full precision), and the faults
// of a design file and of the command line with their messages, lines and exit codes.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

#include "CliProcess.h"
#include "WindowFixture.h"
#include "ZlewniaCase.h"
#include "files/DataFiles.h"
#include "model/DesignStorm.h"
#include "report/DesignFloodExport.h"
#include "text/NumText.h"
#include "window/OpadProjektowyOkno.h"
#include "window/PrzeplywyProjektoweOkno.h"

namespace moravel::window::testing {
namespace {

using cli::testing::CliResult;
using cli::testing::FileBytes;
using cli::testing::RunCli;
using cli::testing::WriteFile;

const QString kProject = QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr");

// The fields of a CSV text's rows, quoted fields as RFC 4180 writes them.
std::vector<QStringList> ParseCsv(const QString& text, QChar separator)
{
    std::vector<QStringList> rows;
    for (const QString& line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        QStringList fields{QString()};
        bool quoted = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (quoted && c == u'"' && i + 1 < line.size() && line[i + 1] == u'"')
                fields.back() += line[++i];
            else if (c == u'"')
                quoted = !quoted;
            else if (!quoted && c == separator)
                fields << QString();
            else
                fields.back() += c;
        }
        rows.push_back(fields);
    }
    return rows;
}

// The example's project and data files into `dir`, as a user keeps them beside a design file.
void CopyExample(const QTemporaryDir& dir)
{
    for (const char* ext : {"kpr", "kwp", "kws", "kwx"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.") + ext,
                                dir.filePath(QStringLiteral("zlewnia.") + ext)));
}

// The inputs of a table, once as the window's controls take them and once as a design file.
struct Inputs {
    const char* name;
    QString durations;                // as typed, with the window's decimal comma
    std::vector<QStringList> depths;  // probability, then a depth per duration
    model::StormShape shape;
    int peakIndex = 2;                               // the alternating block's
    std::vector<std::pair<QString, QString>> curve;  // the user's
    int duration = 24;
    bool critical = false;
    QByteArray file;  // the same as a design file (the project named there)
};

std::vector<Inputs> Cases()
{
    std::vector<Inputs> cases;
    // Two probabilities over the critical duration of five table durations; a byte-order
    // mark, comments, blank lines, a unit after a key, decimal commas and dots.
    cases.push_back(
        {"Euler type II, critical duration",
         QStringLiteral("1; 2; 3; 6; 12"),
         {{"1", "30", "38", "43", "52", "64"}, {"0,5", "33,5", "42", "48", "58", "71"}},
         model::StormShape::EulerII,
         2,
         {},
         24,
         true,
         "\xEF\xBB\xBF# zlewnia: czas krytyczny\nprojekt: zlewnia.kpr\n\nczasy trwania w tabeli [h]: 1; 2; 3; "
         "6; 12\np 1: 30; 38; 43; 52; 64\np = 0.5 %: 33.5; 42; 48; 58; 71\nkształt hietogramu: euler typ "
         "II\nczas krytyczny: tak\n"});
    cases.push_back({"alternating block with its peak at a third",
                     QStringLiteral("1; 3; 6; 12"),
                     {{"2", "25", "36", "45", "55"}, {"10", "18", "26", "33", "40"}},
                     model::StormShape::AlternatingBlock,
                     1,
                     {},
                     12,
                     false,
                     "projekt: zlewnia.kpr\nczasy trwania: 1; 3; 6; 12\np 2: 25; 36; 45; 55\np10: 18; 26; 33; 40\n"
                     "kształt: bloki naprzemienne\nszczyt w: 33 %\nczas trwania: 12\nczas krytyczny: nie\n"});
    cases.push_back({"the user's curve",
                     QStringLiteral("6; 24"),
                     {{"1", "60", "83"}},
                     model::StormShape::UserCurve,
                     2,
                     {{"0", "0"}, {"25", "10"}, {"50", "70"}, {"100", "100"}},
                     18,
                     false,
                     "projekt: zlewnia.kpr\nczasy trwania: 6; 24\np 1: 60; 83\nkształt: krzywa sumowa użytkownika\n"
                     "krzywa sumowa: 0; 0\nkrzywa sumowa: 25; 10\nkrzywa sumowa: 50; 70\nkrzywa sumowa: 100; 100\n"
                     "czas trwania opadu [h]: 18\n"});
    return cases;
}

class DesignAgainstWindow : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        ASSERT_TRUE(dir.isValid());
        CopyExample(dir);
        dialogs.answers.push_back(dir.filePath("zlewnia.kpr"));
        ui().MenuPlikOtworzProjekt->trigger();
        ASSERT_TRUE(dialogs.answers.empty());
        messages.Clear();
    }

    // The window's table of `in`, computed and exported by "Do CSV..." to `csv`.
    const model::DesignFloodResult& RunWindow(const Inputs& in, const QString& csv)
    {
        window->findChild<QAction*>(QStringLiteral("MenuObliczeniaPrzeplywyProjektowe"))->trigger();
        DesignFloodWindow* w = window->designFloodWindow();
        Retype(w->DurationsEdit(), in.durations);
        QTest::keyClick(w->DurationsEdit(), Qt::Key_Return);
        QTableWidget* t = w->DepthTable();
        t->clearContents();
        for (int r = 0; r < int(in.depths.size()); ++r)
            for (int c = 0; c < in.depths[std::size_t(r)].size(); ++c)
                t->setItem(r, c, new QTableWidgetItem(in.depths[std::size_t(r)][c]));
        StormShapeControls* shape = w->Shape();
        shape->ShapeBox()->setCurrentIndex(shape->ShapeBox()->findData(static_cast<int>(in.shape)));
        shape->PeakBox()->setCurrentIndex(in.peakIndex);
        for (int r = 0; r < int(in.curve.size()); ++r) {
            shape->CurveTable()->setItem(r, 0, new QTableWidgetItem(in.curve[std::size_t(r)].first));
            shape->CurveTable()->setItem(r, 1, new QTableWidgetItem(in.curve[std::size_t(r)].second));
        }
        w->DurationBox()->setValue(in.duration);
        w->CriticalBox()->setChecked(in.critical);
        w->CountBox()->setValue(kCount);
        Retype(w->SeedEdit(), QString::number(kSeed));
        QTest::mouseClick(w->ComputeButton(), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !w->Running(); }, 60000));
        EXPECT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();
        dialogs.answers.push_back(csv);
        QTest::mouseClick(w->CsvButton(), Qt::LeftButton);
        return *w->Result();
    }

    static constexpr int kCount = 60;
    static constexpr std::uint64_t kSeed = 314;
    QTemporaryDir dir;
};

TEST_F(DesignAgainstWindow, TheTableIsTheWindowsTable)
{
    for (const Inputs& in : Cases()) {
        SCOPED_TRACE(in.name);
        const model::DesignFloodResult& result = RunWindow(in, dir.filePath("okno.csv"));
        ASSERT_FALSE(result.rows.empty());
        const QByteArray windowCsv = FileBytes(dir.filePath("okno.csv"));
        ASSERT_TRUE(windowCsv.startsWith("\xEF\xBB\xBF"));

        ASSERT_TRUE(WriteFile(dir.filePath("dane.txt"), in.file));
        const CliResult r =
            RunCli({"--design", dir.filePath("dane.txt"), "--count", QString::number(kCount), "--seed",
                    QString::number(kSeed), "--separator", ",", "--out", dir.filePath("cli.csv"), "--quiet"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QByteArray cliCsv = FileBytes(dir.filePath("cli.csv"));
        // The command line's conventions: no byte-order mark, ',' between fields, CR LF.
        EXPECT_FALSE(cliCsv.startsWith("\xEF\xBB\xBF"));
        EXPECT_TRUE(cliCsv.endsWith("\r\n"));

        // The description's values the window's, each number in its shortest text with a
        // dot; from the table on, every decimal comma between digits a point, but in the fixed
        // notes.
        const auto expected = ParseCsv(QString::fromUtf8(windowCsv.mid(3)), u';');
        const auto got = ParseCsv(QString::fromUtf8(cliCsv), u',');
        ASSERT_EQ(got.size(), expected.size());
        const QStringList notes = report::DesignFloodColumnNotes();
        const QRegularExpression decimalComma(QStringLiteral("(\\d),(\\d)"));
        std::size_t header = 0;
        for (std::size_t i = 0; i < got.size(); ++i) {
            QStringList want = expected[i];
            if (header == 0 && want.size() == 2)
                want[1] = text::ExportNumberText(want[1], u',', u'.');
            else if (header > 0 && !(want.size() == 1 && notes.contains(want.front())))
                want.replaceInStrings(decimalComma, QStringLiteral("\\1.\\2"));
            EXPECT_EQ(got[i], want) << i;
            if (header == 0 && expected[i].front() == QStringLiteral("p [%]"))
                header = i;
        }
        ASSERT_GT(header, 0u);
        const QStringList& last = got[header + result.rows.size()];
        EXPECT_EQ(last.size(), in.critical ? 14 : 13);
        EXPECT_EQ(last[9], QString::number(result.rows.back().succeeded));
        // After the table its inputs: the depth table as the file gives it.
        const auto depths = std::find(got.begin(), got.end(), QStringList{"Tabela wysokości opadu [mm]"});
        ASSERT_NE(depths, got.end());
        for (std::size_t r = 0; r < in.depths.size(); ++r)
            EXPECT_EQ(depths[2 + qsizetype(r)], QStringList(in.depths[r]).replaceInStrings(QStringLiteral(","),
                                                                                           QStringLiteral(".")));
        // The example's area, a single-precision sum, in its shortest text in both; the
        // curve number and every parameter with a dot.
        EXPECT_EQ(expected[2], (QStringList{QStringLiteral("Powierzchnia zlewni [km²]"), QStringLiteral("103,7")}));
        EXPECT_EQ(got[2], (QStringList{QStringLiteral("Powierzchnia zlewni [km²]"), QStringLiteral("103.7")}));
        EXPECT_EQ(got[3], (QStringList{QStringLiteral("Średni CN"), QStringLiteral("68.2")}));
        for (std::size_t i = 2; i < 11; ++i)
            EXPECT_FALSE(got[i][1].contains(u',')) << got[i][0].toStdString();
    }
}

// A workbook read back, independently of the program that wrote it.
QJsonObject ReadBack(const QString& path)
{
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(DESIGN_FLOOD_READBACK_SCRIPT), path});
    EXPECT_TRUE(reader.waitForFinished(60000));
    EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
}

TEST_F(DesignAgainstWindow, TheWorkbookIsTheWindowsWorkbook)
{
    const Inputs in = Cases().front();
    const model::DesignFloodResult& result = RunWindow(in, dir.filePath("okno.csv"));
    dialogs.answers.push_back(dir.filePath("okno.xlsx"));
    QTest::mouseClick(window->designFloodWindow()->WorkbookButton(), Qt::LeftButton);
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();

    ASSERT_TRUE(WriteFile(dir.filePath("dane.txt"), in.file));
    const CliResult r =
        RunCli({"--design", dir.filePath("dane.txt"), "--count", QString::number(kCount), "--seed",
                QString::number(kSeed), "--separator", ",", "--xlsx", dir.filePath("cli.xlsx"), "--quiet"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // Without --out the table goes to standard output.
    EXPECT_TRUE(r.out.startsWith("Przepływy projektowe\r\n"));

    // Every sheet's every cell and the chart's series the same as the window's, but for the
    // numbers of the inputs, written with a dot.
    const QJsonObject book = ReadBack(dir.filePath("cli.xlsx"));
    QJsonObject windowBook = ReadBack(dir.filePath("okno.xlsx"));
    QJsonArray inputs = windowBook["Dane"].toArray();
    ASSERT_GT(inputs.size(), 3);
    for (qsizetype i = 3; i < inputs.size(); ++i) {
        QJsonArray row = inputs[i].toArray();
        if (row.size() >= 2 && row[1].isString())
            row[1] = text::ExportNumberText(row[1].toString(), u',', u'.');
        inputs[i] = row;
    }
    windowBook["Dane"] = inputs;
    // Sheet by sheet, so that a difference shows as text.
    EXPECT_EQ(book.keys(), windowBook.keys());
    for (const QString& key : windowBook.keys())
        EXPECT_EQ(QJsonDocument(QJsonObject{{key, book[key]}}).toJson().toStdString(),
                  QJsonDocument(QJsonObject{{key, windowBook[key]}}).toJson().toStdString());
    const QJsonArray areaRow = book["Dane"].toArray()[3].toArray();
    ASSERT_GE(areaRow.size(), 2);
    EXPECT_EQ(areaRow[0], QJsonValue("Powierzchnia zlewni [km²]"));
    EXPECT_EQ(areaRow[1], QJsonValue("103.7"));
    EXPECT_EQ(book["sheets"].toArray(), (QJsonArray{"Tabela", "Hydrogramy", "Dane", "Hietogramy"}));
    // The critical duration: one hydrograph a probability, as the window draws them.
    EXPECT_EQ(book["series"].toInt(), 2);
    const QJsonArray table = book["Tabela"].toArray();
    // The table, a blank row, then the remarks and the notes.
    const qsizetype rows = qsizetype(result.rows.size());
    ASSERT_EQ(table.size(), 4 + rows + 2 +
                                report::DesignFloodRemarks(result, true, QLatin1Char(',')).size() +
                                report::DesignFloodColumnNotes().size());
    for (std::size_t i = 0; i < result.rows.size(); ++i) {
        const QJsonArray row = table[4 + qsizetype(i)].toArray();
        EXPECT_DOUBLE_EQ(row[0].toDouble(), result.rows[i].probability) << i;
        EXPECT_DOUBLE_EQ(row[4].toDouble(), result.rows[i].peak.percentiles[model::kMedianSeriesLevel]) << i;
        EXPECT_DOUBLE_EQ(row[12].toDouble(), result.rows[i].peakInterval->high) << i;
    }
    EXPECT_EQ(table[5 + rows].toArray()[0].toString(), QStringLiteral("Uwagi"));
}

// The faults of a design file: each named with the file and its line, in the window's words
// where the window has some; nothing written.
TEST(DesignFile, FaultsAreNamedWithTheirLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CopyExample(dir);
    // A project whose rainfall is typed effective rainfall.
    files::RainfallRecord typed;
    typed.hours = {"0", "12,5", "8"};
    typed.hourCount = QStringLiteral("3");
    typed.effective = true;
    files::WriteRainfallFile(dir.filePath("efektywny.kwp"), typed);
    const files::ProjectPaths example = files::ReadProjectFile(kProject);
    files::WriteProjectFile(dir.filePath("efektywny.kpr"),
                            {dir.filePath("efektywny.kwp"), example.scs, example.parameters});

    // A good file, line by line; each case changes one line (or adds one at the end).
    const QStringList good = {"projekt: zlewnia.kpr", "czasy trwania: 2; 6; 24", "p 1: 40; 62; 85", "kształt: DVWK",
                              "czas trwania: 24"};
    const struct {
        const char* name;
        int line;  // the line replaced, from 1; 0: `text` appended
        QString text;
        QString message;
    } cases[] = {
        {"an unknown key", 4, "ksztalt: DVWK", "wiersz 4: nieznany klucz 'ksztalt'"},
        {"no colon", 0, "czas krytyczny tak", "wiersz 6: oczekiwano 'klucz: wartość'"},
        {"a key twice", 0, "projekt: inny.kpr", "wiersz 6: klucz 'projekt' powtórzony (pierwszy raz w wierszu 1)"},
        {"no project", 1, "# projekt: zlewnia.kpr", ": brak klucza 'projekt'"},
        {"no depths", 3, "", ": brak wysokości opadu"},
        {"no shape", 4, "", ": brak klucza 'kształt'"},
        {"no storm duration", 5, "", ": brak klucza 'czas trwania'"},
        {"a bad number", 3, "p 1: 40; 6x; 85", "wiersz 3: '6x' is not a valid floating point value"},
        {"a duration of half an hour", 5, "czas trwania: 24,5",
         "wiersz 5: Czas trwania opadu musi być liczbą godzin od 1 do 1000"},
        {"a duration beyond the table's reach", 5, "czas trwania: 1001",
         "wiersz 5: Czas trwania opadu musi być liczbą godzin od 1 do 1000"},
        {"durations not rising", 2, "czasy trwania: 1; 24; 6", "wiersz 2: Czasy trwania muszą być dodatnie i rosnąć"},
        {"the critical duration over a part of an hour", 2, "czasy trwania: 0,5; 6; 24\nczas krytyczny: tak",
         "wiersz 2: Czas krytyczny: czasy trwania tabeli muszą być całymi godzinami od 1 do 1000"},
        {"neither yes nor no", 0, "czas krytyczny: chyba",
         "wiersz 6: czas krytyczny: podaj 'tak' albo 'nie', a podano 'chyba'"},
        {"a depth missing", 3, "p 1: 40; 62", "wiersz 3: Brak wysokości opadu dla p = 1 % i czasu trwania 24 h"},
        {"a depth too many", 3, "p 1: 40; 62; 85; 90", "wiersz 3: podano 4 wysokości opadu, a czasów trwania"},
        {"a probability of 100 %", 3, "p 100: 40; 62; 85",
         "wiersz 3: Prawdopodobieństwo w wierszu 1 musi leżeć między 0 a 100 %"},
        {"depths falling with the duration", 3, "p 1: 40; 62; 55",
         "wiersz 3: Wysokość opadu nie może maleć z czasem trwania (wiersz 3)"},
        {"a probability twice", 0, "p 1,0: 41; 63; 86",
         "wiersz 6: Prawdopodobieństwo 1 % podane dwa razy: w wierszu 3 i w wierszu 6"},
        {"a rarer storm with less rain", 0, "p 0,5: 45; 70; 84",
         "wiersz 6: Wysokość opadu dla p = 0.5 % i czasu trwania 24 h (wiersz 6) jest mniejsza niż dla p = 1 % "
         "(wiersz 3): opad o mniejszym prawdopodobieństwie nie może być niższy"},
        {"a more frequent storm with more rain", 0, "p = 10 %: 41; 50; 60",
         "wiersz 6: Wysokość opadu dla p = 1 % i czasu trwania 2 h (wiersz 3) jest mniejsza niż dla p = 10 % "
         "(wiersz 6)"},
        {"an unknown shape", 4, "kształt: trójkąt", "wiersz 4: nieznany kształt hietogramu 'trójkąt'"},
        {"Euler type II without the 1-hour depth", 4, "kształt: Euler typ II",
         "wiersz 3: Tabela wysokości opadu musi obejmować czasy trwania od 1 h do 24 h"},
        {"a peak for another shape", 0, "szczyt w: 50 %", "wiersz 6: 'szczyt w' dotyczy kształtu 'bloki naprzemienne'"},
        {"a peak not listed", 4, "kształt: bloki naprzemienne\nszczyt w: 40 %",
         "wiersz 5: szczyt w: podaj jeden z udziałów 25 %, 33 %, 50 %, 67 %, 75 %"},
        {"the user's shape without its curve", 4, "kształt: krzywa sumowa użytkownika",
         "wiersz 4: Krzywa sumowa opadu jest pusta"},
        {"a curve falling back", 4,
         "kształt: krzywa sumowa użytkownika\nkrzywa sumowa: 0; 0\nkrzywa sumowa: 50; 60\nkrzywa sumowa: 40; 80",
         "wiersz 5: Krzywa sumowa: udziały czasu muszą rosnąć (wiersz 3)"},
        {"a curve point of one number", 4, "kształt: krzywa sumowa użytkownika\nkrzywa sumowa: 50",
         "wiersz 5: krzywa sumowa: podaj parę"},
        {"a project that isn't there", 1, "projekt: brak.kpr",
         "wiersz 1: " + dir.filePath("brak.kpr") + ": Nie można otworzyć pliku " + dir.filePath("brak.kpr")},
        {"a NUL in the project's name, refused and shown escaped", 1,
         QStringLiteral("projekt: zlew") + QChar(0) + QStringLiteral("nia.kpr"),
         "wiersz 1: " + dir.filePath("zlew\\0nia.kpr") + ": Nazwa pliku nie może zawierać znaku NUL: " +
             dir.filePath("zlew\\0nia.kpr")},
        {"a project of typed effective rainfall", 1, "projekt: efektywny.kpr",
         "wiersz 1: " + dir.filePath("efektywny.kpr") +
             ": Przepływy projektowe liczy się z opadu całkowitego - wyłącz \"Podaj opad efektywny\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList lines = good;
        if (c.line == 0)
            lines << c.text;
        else
            lines[c.line - 1] = c.text;
        const QString file = dir.filePath("dane.txt");
        ASSERT_TRUE(WriteFile(file, lines.join(QLatin1Char('\n')).toUtf8()));
        const CliResult r = RunCli(
            {"--design", file, "--count", "5", "--seed", "1", "--separator", ",", "--out", dir.filePath("wynik.csv")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.startsWith("moravel-run: " + file)) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath("wynik.csv")));
    }
    // The good file runs; under C.UTF-8 its project's decimal commas are named as the cause.
    ASSERT_TRUE(WriteFile(dir.filePath("dane.txt"), good.join(QLatin1Char('\n')).toUtf8()));
    const CliResult c = RunCli({"--design", dir.filePath("dane.txt"), "--count", "5", "--quiet"}, "C.UTF-8");
    EXPECT_EQ(c.exitCode, 1);
    EXPECT_TRUE(c.err.contains(": podaj --separator ,")) << c.err.toStdString();
    EXPECT_EQ(RunCli({"--design", dir.filePath("dane.txt"), "--count", "5", "--separator", ",", "--quiet"}).exitCode,
              0);
}

TEST(DesignFile, CommandLinesThatCantBeRunAreRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("dane.txt");
    ASSERT_TRUE(WriteFile(file, "projekt: " + QFile::encodeName(kProject) +
                                    "\nczasy trwania: 24\np 1: 85\nkształt: DVWK\nczas trwania: 24\n"));
    const struct {
        const char* name;
        QStringList args;
        int code;
        QString message;
    } cases[] = {
        {"a series", {"--design", file, "--series", "5"}, 2, "nie łączy się z --design"},
        {"a shard", {"--design", file, "--first", "0", "--count", "5"}, 2, "nie łączy się z --design"},
        {"hydrographs", {"--design", file, "--hydrographs", dir.filePath("h.nc")}, 2, "nie łączy się z --design"},
        {"a project besides the file", {kProject, "--design", file}, 2, "nie z wiersza polecenia"},
        {"variants besides", {"--design", file, "--variants", file, "--count", "5"}, 2, "--variants"},
        {"a count above the window's", {"--design", file, "--count", "100001"}, 2, "najwyżej 100000"},
        {"a design file that isn't there", {"--design", dir.filePath("brak.txt")}, 1, "Nie można otworzyć pliku"},
        {"a workbook that can't be written",
         {"--design", file, "--count", "5", "--seed", "1", "--separator", ",", "--out", dir.filePath("p.csv"), "--xlsx",
          dir.filePath("nie/p.xlsx")},
         3,
         dir.filePath("nie/p.xlsx")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, c.code);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("p.csv")));
    // No seed: a clock seed, printed, and the window's count of realisations.
    const CliResult r = RunCli({"--design", file, "--quiet", "--separator", ","});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith("moravel-run: ziarno ")) << r.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(r.out).contains(QStringLiteral("\r\nLiczba realizacji,1000\r\n")));
}

}  // namespace
}  // namespace moravel::window::testing
