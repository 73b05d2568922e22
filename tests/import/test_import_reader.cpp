// Reading workbooks (.xls, .xlsx, .ods, CSV) through the helper: values, the cells that are
// no plain values, files that are no workbook at all, and a helper that fails.
#include "import/SpreadsheetArchive.h"
#include "import/WorkbookReaders.h"
#include "import/XlsRecords.h"
#include "test_import_fixtures.h"
#include "text/Error.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <tuple>

using namespace moravel::import;

namespace {

void ExpectNumber(const Cell& cell, double value)
{
    EXPECT_EQ(cell.type, CellType::Number);
    EXPECT_EQ(cell.number, value);
}

void ExpectText(const Cell& cell, const QString& text)
{
    EXPECT_EQ(cell.type, CellType::Text);
    EXPECT_EQ(cell.text, text);
}

}  // namespace

TEST(ImportReader, ReadsSheetsAndValues)
{
    const Workbook book = ReadWorkbook(ImportFixture("rain.xls"), BuildTreeReader());
    ASSERT_EQ(book.sheets.size(), 2u);
    const Worksheet& opad = book.sheets[0];
    EXPECT_EQ(opad.name, "Opad");
    EXPECT_EQ(book.sheets[1].name, "Inne");
    EXPECT_EQ(opad.rows, 33);  // up to row 33
    EXPECT_EQ(opad.cols, 4);   // up to column D

    ExpectText(opad.At(8, 2), "Opad [mm]");              // C9
    ExpectNumber(opad.At(9, 2), 0.7);                    // C10, hour 1
    ExpectNumber(opad.At(11, 2), 2.5);                   // C12
    ExpectNumber(opad.At(12, 2), 1.0 / 3);               // C13, all 17 digits kept
    ExpectText(opad.At(14, 2), "brak");                  // C15
    EXPECT_EQ(opad.At(16, 2).type, CellType::Empty);     // C17 left empty
    ExpectNumber(opad.At(32, 2), 16.8);                  // C33, hour 24
    ExpectNumber(opad.At(9, 3), 101);                    // D10, stored as an integer
    EXPECT_EQ(opad.At(500, 200).type, CellType::Empty);  // far outside: empty, no fault
    ExpectNumber(book.sheets[1].At(1, 1), 42);

    for (const Worksheet& sheet : book.sheets)
        for (const Cell& cell : sheet.cells)
            EXPECT_EQ(cell.doubt, Doubt::None);
}

// Cells that are no plain values in the file: what arrives, and the mark each one carries.
TEST(ImportReader, GivesFormulaResultsAndMarksBooleansErrorsAndDates)
{
    const Workbook book = ReadWorkbook(ImportFixture("kinds.xls"), BuildTreeReader());
    ASSERT_EQ(book.sheets.size(), 1u);
    const Worksheet& s = book.sheets[0];

    // A formula arrives as the result the file caches (5 in A1; a text in A11's STRING
    // record); one without a cached result arrives empty.
    ExpectNumber(s.At(0, 0), 5);
    EXPECT_EQ(s.At(0, 0).doubt, Doubt::Formula);
    EXPECT_EQ(s.At(1, 0).type, CellType::Empty);
    EXPECT_EQ(s.At(1, 0).doubt, Doubt::Formula);
    ExpectText(s.At(10, 0), "tekst wynik");
    EXPECT_EQ(s.At(10, 0).doubt, Doubt::Formula);
    // Booleans arrive as 1 and 0; error values empty, with their names.
    ExpectNumber(s.At(2, 0), 1);
    EXPECT_EQ(s.At(2, 0).doubt, Doubt::Boolean);
    ExpectNumber(s.At(3, 0), 0);
    EXPECT_EQ(s.At(3, 0).doubt, Doubt::Boolean);
    for (const auto& [row, name] : {std::pair{4, "#DIV/0!"}, std::pair{11, "#N/A"}}) {
        EXPECT_EQ(s.At(row, 0).type, CellType::Empty) << row;
        EXPECT_EQ(s.At(row, 0).doubt, Doubt::Error) << row;
        EXPECT_EQ(s.At(row, 0).text, name);
    }
    // Dates and times arrive as texts.
    ExpectText(s.At(5, 0), "2024-05-01");
    EXPECT_EQ(s.At(5, 0).doubt, Doubt::Date);
    ExpectText(s.At(6, 0), "2024-05-01 13:30:00");
    EXPECT_EQ(s.At(6, 0).doubt, Doubt::Date);
    ExpectText(s.At(7, 0), "06:15:00");
    EXPECT_EQ(s.At(7, 0).doubt, Doubt::Date);
    // Plain cells beside them are not marked.
    ExpectNumber(s.At(8, 0), 7);
    EXPECT_EQ(s.At(8, 0).doubt, Doubt::None);
    ExpectText(s.At(9, 0), QString::fromUtf8("zażółć"));
    EXPECT_EQ(s.At(9, 0).doubt, Doubt::None);
}

// The same workbook saved as .xlsx and as .ods, read through liborcus; the names of the
// files don't matter, their content does.
TEST(ImportReader, ReadsXlsxAndOds)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString renamed = dir.filePath("opad.xls");
    ASSERT_TRUE(QFile::copy(ImportFixture("rain.xlsx"), renamed));
    for (const QString& path : {ImportFixture("rain.xlsx"), ImportFixture("rain.ods"), renamed}) {
        SCOPED_TRACE(path.toStdString());
        const bool ods = path.endsWith(".ods");
        const Workbook book = ReadWorkbook(path, BuildTreeReader());
        ASSERT_EQ(book.sheets.size(), 2u);
        const Worksheet& s = book.sheets[0];
        EXPECT_EQ(s.name, "Opad");
        EXPECT_EQ(book.sheets[1].name, "Inne");
        EXPECT_EQ(s.rows, 9);
        EXPECT_EQ(s.cols, 1);
        ExpectNumber(s.At(0, 0), 2.5);
        ExpectText(s.At(1, 0), "brak");  // a shared string in .xlsx
        ExpectNumber(s.At(2, 0), 5);     // =A1*2, its cached result
        EXPECT_EQ(s.At(2, 0).doubt, Doubt::Formula);
        ExpectText(s.At(5, 0), "2024-05-17");  // a date-only cell
        EXPECT_EQ(s.At(5, 0).doubt, Doubt::Date);
        ExpectText(s.At(6, 0), "2024-05-17 13:30:00");
        EXPECT_NEAR(s.At(8, 0).number, 1.0 / 3, 1e-15);
        ExpectNumber(book.sheets[1].At(1, 1), 42);
        ExpectText(s.At(3, 0), "tekst");  // a formula's text result
        EXPECT_EQ(s.At(3, 0).doubt, Doubt::Formula);
        ExpectNumber(s.At(7, 0), 1);  // TRUE
        EXPECT_EQ(s.At(7, 0).doubt, Doubt::Boolean);
        EXPECT_EQ(s.At(4, 0).type, CellType::Empty);  // #DIV/0! in .xlsx, an empty cell in .ods
        EXPECT_EQ(s.At(4, 0).doubt, ods ? Doubt::None : Doubt::Error);
    }
}

// liborcus 0.17 drops an .xlsx formula's boolean result; it arrives as 1 or 0 all the same,
// as from .xls and .ods, while a plain boolean stays marked as one.
TEST(ImportReader, ReadsXlsxFormulaResultsOfEveryKind)
{
    const Workbook book = ReadWorkbook(ImportFixture("results.xlsx"), BuildTreeReader());
    const Worksheet& s = book.sheets.at(0);
    const struct {
        int row;
        double number;
        Doubt doubt;
    } numbers[] = {
        {0, 1, Doubt::Formula},  // =TRUE()
        {1, 0, Doubt::Formula},  // a shared formula's first cell, t='b' in single quotes
        {2, 0, Doubt::Formula},  // the same shared formula's next cell
        {3, 1, Doubt::Boolean},  // a plain TRUE
    };
    for (const auto& c : numbers) {
        SCOPED_TRACE(c.row);
        ExpectNumber(s.At(c.row, 0), c.number);
        EXPECT_EQ(s.At(c.row, 0).doubt, c.doubt);
    }
    ExpectText(s.At(4, 0), "b");
    EXPECT_EQ(s.At(4, 0).doubt, Doubt::Formula);
}

// Cells liborcus 0.17 drops as they stand in the file arrive all the same: error values
// empty with their names, inline texts, booleans as 1 or 0, formulas' text and boolean
// results, percentages and currency amounts as numbers.
TEST(ImportReader, ReadsXlsxAndOdsCellsOfEveryKind)
{
    const auto number = [](double n, Doubt d) { return Cell{CellType::Number, n, {}, d}; };
    const auto text = [](const char* t, Doubt d) { return Cell{CellType::Text, 0, QString::fromUtf8(t), d}; };
    const auto error = [](const char* name) { return Cell{CellType::Empty, 0, QString::fromUtf8(name), Doubt::Error}; };
    const struct {
        const char* file;
        int row, col;
        Cell cell;
    } cases[] = {
        {"cells.xlsx", 0, 0, error("#DIV/0!")},                  // a formula's error result
        {"cells.xlsx", 1, 0, error("#N/A")},                     // a plain error value
        {"cells.xlsx", 2, 0, text("brak & opad", Doubt::None)},  // an inline text
        {"cells.xlsx", 3, 0, text("ab cd", Doubt::None)},        // its runs, not the phonetic one
        {"cells.xlsx", 4, 0, text("bez formuły", Doubt::None)},  // t="str" outside a formula
        {"cells.xlsx", 5, 0, text("#N/A", Doubt::Formula)},      // a formula's text, no error
        {"cells.xlsx", 6, 0, text("brak", Doubt::None)},         // a shared string, as ever
        {"cells.ods", 0, 0, error("#DZIEL/0!")},                 // the name the file shows
        {"cells.ods", 0, 1, error("#ERR!")},                     // none shown
        {"cells.ods", 1, 0, number(1, Doubt::Boolean)},          // TRUE
        {"cells.ods", 1, 1, number(0, Doubt::Boolean)},          // FALSE, a repeated cell
        {"cells.ods", 1, 2, number(0, Doubt::Boolean)},
        {"cells.ods", 2, 0, number(1, Doubt::Formula)},                     // a formula's TRUE
        {"cells.ods", 2, 1, text("a b", Doubt::Formula)},                   // a formula's text
        {"cells.ods", 2, 2, Cell{CellType::Empty, 0, {}, Doubt::Formula}},  // a formula's empty text
        {"cells.ods", 3, 0, number(0.25, Doubt::None)},                     // 25 %
        {"cells.ods", 3, 1, number(3.5, Doubt::None)},                      // 3,50 zł
        {"cells.ods", 3, 2, text("2024-05-17", Doubt::Date)},               // a formula's date
        {"cells.ods", 3, 3, text("tekst", Doubt::None)},                    // a text with a comment
    };
    QHash<QString, Workbook> books;
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.file, CellName(c.row, c.col)).toStdString());
        if (!books.contains(c.file))
            books.insert(c.file, ReadWorkbook(ImportFixture(c.file), BuildTreeReader()));
        const Cell& cell = books[c.file].sheets.at(0).At(c.row, c.col);
        EXPECT_EQ(cell.type, c.cell.type);
        EXPECT_EQ(cell.number, c.cell.number);
        EXPECT_EQ(cell.text, c.cell.text);
        EXPECT_EQ(cell.doubt, c.cell.doubt);
    }
    // No cell is left out of either sheet.
    EXPECT_EQ(books["cells.xlsx"].sheets[0].cells.size(), 7);
    EXPECT_EQ(books["cells.ods"].sheets[0].cells.size(), 12);
}

// .ods keeps runs of spaces as <text:s text:c="N"/>, which liborcus 0.17 drops, and it
// keeps only a cell's last paragraph; the reader gives the spaces where they stand and the
// paragraphs as lines.
TEST(ImportReader, KeepsOdsSpacesAndParagraphs)
{
    const Workbook book = ReadWorkbook(ImportFixture("results.ods"), BuildTreeReader());
    const Worksheet& s = book.sheets.at(0);
    ExpectText(s.At(0, 0), "  3,5");
    ExpectText(s.At(1, 0), " a   b c");
    ExpectText(s.At(2, 0), "x\n y");
}

// liborcus 0.17 drops .ods time cells; they arrive as the time's text, as .xls and .xlsx
// times do, hours counted on past a day.
TEST(ImportReader, ReadsOdsTimes)
{
    const Workbook book = ReadWorkbook(ImportFixture("results.ods"), BuildTreeReader());
    const Worksheet& s = book.sheets.at(0);
    const char* times[] = {"13:30:00", "06:15:30", "36:00:00", "00:00:00"};
    for (int col = 0; col < 4; ++col) {
        SCOPED_TRACE(col);
        ExpectText(s.At(3, col), times[col]);
        EXPECT_EQ(s.At(3, col).doubt, Doubt::Date);
    }
    ExpectText(book.sheets.at(0).At(0, 0), "  3,5");  // the content rewritten once for both
}

// A NaN or an infinity, which damaged or hand-made .xls files hold in NUMBER and RK records,
// arrives as the error value #NUM!: the program refused the helper's answer holding one.
TEST(ImportReader, NonFiniteNumbersArriveAsErrors)
{
    const Workbook book = ReadWorkbook(ImportFixture("non_finite.xls"), BuildTreeReader());
    const Worksheet& s = book.sheets.at(0);
    for (int row : {0, 1}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(s.At(row, 0).type, CellType::Empty);
        EXPECT_EQ(s.At(row, 0).doubt, Doubt::Error);
        EXPECT_EQ(s.At(row, 0).text, "#NUM!");
    }
    ExpectNumber(s.At(2, 0), 2.5);
}

// openpyxl names the parts of a workbook by absolute paths, which liborcus 0.17 does not
// follow; the reader makes them relative first.
TEST(ImportReader, ReadsXlsxWithAbsolutePartNames)
{
    const Workbook book = ReadWorkbook(ImportFixture("absolute.xlsx"), BuildTreeReader());
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheets[0].name, "Opad");
    ExpectNumber(book.sheets[0].At(0, 0), 2.5);
    ExpectText(book.sheets[0].At(1, 0), "brak");  // written inline in the cell
}

// CSV in the encodings, separators and decimal marks a weather service or a spreadsheet
// writes; one sheet named after the file.
TEST(ImportReader, ReadsCsv)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        int rows, cols;
        std::vector<std::tuple<int, int, QVariant>> cells;  // double: a number, QString: a text
    };
    const QByteArray polish = QString::fromUtf8("Opad zażółć").toUtf8();
    const Case cases[] = {
        {"Windows-1250, semicolons, decimal comma",
         QByteArray("Data;Opad\r\n2024-05-17 01:00;2,5\r\n2024-05-17 02:00;0,333\r\n;\r\n") +
             QByteArray("\xA3\xF3\x64\x9F;1\r\n"),  // "Łódź" in Windows-1250
         5,
         2,
         {{0, 1, "Opad"}, {1, 1, 2.5}, {2, 1, 0.333}, {1, 0, "2024-05-17 01:00"}, {4, 0, QString::fromUtf8("Łódź")}}},
        {"UTF-8 with a byte-order mark, commas, decimal point",
         "\xEF\xBB\xBF" + polish + ",x\n1.5,2\n-3e2,\n",
         3,
         2,
         {{0, 0, QString::fromUtf8("Opad zażółć")}, {1, 0, 1.5}, {1, 1, 2.0}, {2, 0, -300.0}}},
        {"tabs", "a\tb\tc\n1\t2\t3\n", 2, 3, {{1, 2, 3.0}, {0, 1, "b"}}},
        {"quoted fields with separators, quotes and a line break",
         "\"a;b\";\"say \"\"tak\"\"\"\n\"2,5\";\"line\nbreak\"\n",
         2,
         2,
         {{0, 0, "a;b"}, {0, 1, "say \"tak\""}, {1, 0, 2.5}, {1, 1, "line\nbreak"}}},
        {"one column with decimal commas", "1,5\n2\n0,25\n", 3, 1, {{0, 0, 1.5}, {1, 0, 2.0}, {2, 0, 0.25}}},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath("opad_2024.csv");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.bytes);
        file.close();
        const Workbook book = ReadWorkbook(path, BuildTreeReader());
        ASSERT_EQ(book.sheets.size(), 1u);
        const Worksheet& s = book.sheets[0];
        EXPECT_EQ(s.name, "opad_2024");
        EXPECT_EQ(s.rows, c.rows);
        EXPECT_EQ(s.cols, c.cols);
        for (const auto& [row, col, value] : c.cells) {
            if (value.typeId() == QMetaType::Double)
                ExpectNumber(s.At(row, col), value.toDouble());
            else
                ExpectText(s.At(row, col), value.toString());
        }
    }
}

TEST(ImportReader, RefusesWhatIsNoWorkbook)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString notWorkbookZip = dir.filePath("archive.xlsx");
    QFile zip(notWorkbookZip);
    ASSERT_TRUE(zip.open(QIODevice::WriteOnly));
    zip.write(QByteArray("PK\x03\x04", 4) + QByteArray(200, 'z'));  // a zip signature and nothing else
    zip.close();
    const QString paths[] = {
        ImportFixture("empty.xls"),
        ImportFixture("random.xls"),
        ImportFixture("truncated.xls"),
        notWorkbookZip,
        dir.path(),
        dir.filePath("missing.xls"),
        // Damage that makes freexl read or write past its buffers, allocate without bound,
        // or lose every sheet: refused before freexl sees it.
        ImportFixture("long_name.xls"),
        ImportFixture("two_sizes.xls"),
        ImportFixture("far_cell.xls"),
        ImportFixture("bad_format.xls"),
        ImportFixture("bad_font.xls"),
        ImportFixture("bad_sheet_name.xls"),
        ImportFixture("bad_sst.xls"),
        ImportFixture("bad_sst_index.xls"),
        // Saved with a password: refused even though its cells are left readable.
        ImportFixture("encrypted.xls"),
        // Found by the xls fuzz target: seconds of work (over the helper's time limit in a
        // sanitizer build) before it is refused.
        ImportFixture("slow.xls"),
    };
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        try {
            ReadWorkbook(path, BuildTreeReader());
            ADD_FAILURE() << "read without error";
        } catch (const moravel::Error& e) {
            EXPECT_EQ(e.text(), "Nie można odczytać skoroszytu " + QDir::toNativeSeparators(path));
        }
    }
}

// Sizes are checked before freexl allocates room for every declared cell, and before a zip
// is unpacked.
TEST(ImportReader, RefusesWorkbooksDeclaringAbsurdSizes)
{
    for (const char* name : {"huge.xls", "bomb.xlsx"}) {
        const QString path = ImportFixture(name);
        try {
            ReadWorkbook(path, BuildTreeReader());
            ADD_FAILURE() << name << " read without error";
        } catch (const moravel::Error& e) {
            EXPECT_EQ(
                e.text(),
                QString::fromUtf8("Skoroszyt %1 jest zbyt duży, by go odczytać").arg(QDir::toNativeSeparators(path)));
        }
    }
}

// Whatever goes wrong in the helper is the one message (the test build of the helper fails
// on purpose).
TEST(ImportReader, HelperThatCrashesHangsOrTalksNonsenseGivesTheMessage)
{
    const QString path = ImportFixture("rain.xls");
    const std::pair<const char*, int> failures[] = {
        {"--test-crash", 20000}, {"--test-hang", 300}, {"--test-garbage", 20000}};
    for (const auto& [how, timeoutMs] : failures) {
        SCOPED_TRACE(how);
        QElapsedTimer clock;
        clock.start();
        try {
            ReadWorkbook(path, FailingReader(QString::fromLatin1(how), timeoutMs));
            ADD_FAILURE() << "read without error";
        } catch (const moravel::Error& e) {
            EXPECT_EQ(e.text(), "Nie można odczytać skoroszytu " + QDir::toNativeSeparators(path));
        }
        // A helper that never answers is given up at the limit set, not at some other one:
        // not before it, and well before the 20 s the program uses (loose bounds, so that a
        // busy machine passes).
        if (timeoutMs < 1000) {
            EXPECT_GE(clock.elapsed(), timeoutMs - 50);
            EXPECT_LT(clock.elapsed(), 10000);
        }
    }
}

// A CSV of 60 MB far beyond the cells a workbook may bring (1,6 million lines of 40 cells) is
// refused as too large after a counting pass over its bytes, the helper's memory staying near
// the size of the file: no cell is kept before the whole file is known to fit.
TEST(ImportReader, ACsvBeyondTheSheetIsRefusedWithinBoundedMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    // Under AddressSanitizer the helper's shadow memory and quarantine would be measured, and
    // its slower counting pass runs into the helper's CPU limit: the ordinary build measures it.
    GTEST_SKIP() << "peak memory is measured in the build without AddressSanitizer";
#endif
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("duzy.csv");
    {
        QByteArray line;
        for (int c = 0; c < 40; ++c)
            line += c ? ";1" : "1";
        line += '\n';
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray block = line.repeated(4096);
        while (file.size() + block.size() <= 60 * 1024 * 1024)
            ASSERT_EQ(file.write(block), block.size());
    }
    try {
        ReadWorkbook(path, BuildTreeReader());
        ADD_FAILURE() << "read without error";
    } catch (const moravel::Error& e) {
        EXPECT_EQ(e.text(),
                  QString::fromUtf8("Skoroszyt %1 jest zbyt duży, by go odczytać").arg(QDir::toNativeSeparators(path)));
    }
    // The largest child ended so far: every other helper of this test program reads a small file.
    rusage children{};
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &children), 0);
    EXPECT_LT(children.ru_maxrss, 400L * 1024) << "kB";
}

// The program's own limit: a helper that never answers is given up after 20 s, as the README
// tells the user, not sooner and not much later. Only waiting it out shows the default, so this
// one case takes those 20 s.
TEST(ImportReader, AHelperThatNeverAnswersIsGivenUpAfterTheProgramsTwentySeconds)
{
    const QString path = ImportFixture("rain.xls");
    moravel::import::ReaderSettings settings;
    settings.program = QStringLiteral(MORAVEL_TEST_READER_PROGRAM);
    settings.arguments = {QStringLiteral("--test-hang")};
    QElapsedTimer clock;
    clock.start();
    try {
        ReadWorkbook(path, settings);
        ADD_FAILURE() << "read without error";
    } catch (const moravel::Error& e) {
        EXPECT_EQ(e.text(), "Nie można odczytać skoroszytu " + QDir::toNativeSeparators(path));
    }
    EXPECT_GE(clock.elapsed(), 19900);
    // Loose, for a busy machine; a limit of 200 s would run into the test's own 120 s first.
    EXPECT_LT(clock.elapsed(), 90000);
}

// The helper the program runs has no test switches: given them (or anything else), it reads
// the file as ever, ending normally with the answer.
TEST(ImportReader, RealHelperIgnoresTheTestSwitches)
{
    const QString path = ImportFixture("rain.xls");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    for (const char* argument : {"--test-crash", "--test-hang", "--test-garbage", "--no-such-switch"}) {
        SCOPED_TRACE(argument);
        QProcess helper;
        helper.start(QStringLiteral(MORAVEL_READER_PROGRAM), {QString::fromLatin1(argument)});
        ASSERT_TRUE(helper.waitForStarted());
        helper.write(bytes);
        helper.closeWriteChannel();
        if (!helper.waitForFinished(20000)) {
            helper.kill();
            helper.waitForFinished();
            FAIL() << "the helper did not end";
        }
        EXPECT_EQ(helper.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(helper.exitCode(), 0);
        const std::optional<Workbook> book = DecodeWorkbook(helper.readAllStandardOutput());
        ASSERT_TRUE(book);
        EXPECT_EQ(book->sheets.size(), 2u);

        EXPECT_EQ(ReadWorkbook(path, BuildTreeReader({QString::fromLatin1(argument)}, 3000)).sheets.size(), 2u);
    }
}

// Damaged workbooks the fuzzers found that make liborcus itself fail: two make it read past
// a buffer in its XML parser thread (a crash; in short_part.ods a part's deflate stream ends
// before its declared size), one makes it allocate until the memory limit (a long run), one
// (whose parts' local headers disagree with the zip's directory) makes it fail an assertion
// of its own, depending on what the memory held before (bad_crc.xlsx too, whose parts unpack
// to other checksums than the zip's directory gives). Each has a part that does not unpack
// as the zip's directory says and is refused before liborcus reads it; in the helper any of
// them would end as the one message all the same.
TEST(ImportReader, LiborcusFaultsStayInTheHelper)
{
    for (const char* name :
         {"orcus_fault.ods", "orcus_runaway.xlsx", "damaged_part.xlsx", "short_part.ods", "bad_crc.xlsx"}) {
        const QString path = ImportFixture(name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_THROW(PreparedForLiborcus(bytes, InspectArchive(bytes)), WorkbookRefused) << name;
        try {
            ReadWorkbook(path, BuildTreeReader({}, 3000));
            ADD_FAILURE() << name << " read without error";
        } catch (const moravel::Error& e) {
            EXPECT_EQ(e.text(), "Nie można odczytać skoroszytu " + QDir::toNativeSeparators(path));
        }
    }
}

// The helper's answer is checked as it is read: every cut and every damaged byte of a good
// answer gives nothing or a workbook within the limits, never a fault.
TEST(ImportReader, AnswerIsCheckedAsItIsRead)
{
    Workbook book;
    Worksheet sheet;
    sheet.name = QString::fromUtf8("Opad łąka");
    sheet.rows = 3;
    sheet.cols = 2;
    sheet.Set(0, 0, Cell{CellType::Number, 2.5, {}, Doubt::None});
    sheet.Set(1, 1, Cell{CellType::Text, 0, "brak", Doubt::Date});
    sheet.Set(2, 0, Cell{CellType::Empty, 0, "#N/A", Doubt::Error});
    book.sheets.push_back(sheet);
    const QByteArray good = EncodeWorkbook(book);

    const std::optional<Workbook> back = DecodeWorkbook(good);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->sheets.size(), 1u);
    EXPECT_EQ(back->sheets[0].name, sheet.name);
    EXPECT_EQ(back->sheets[0].At(0, 0).number, 2.5);
    EXPECT_EQ(back->sheets[0].At(1, 1).text, "brak");
    EXPECT_EQ(back->sheets[0].At(2, 0).doubt, Doubt::Error);

    for (qsizetype n = 0; n < good.size(); ++n)
        EXPECT_FALSE(DecodeWorkbook(good.left(n))) << n;
    EXPECT_FALSE(DecodeWorkbook(good + 'x'));
    for (qsizetype i = 0; i < good.size(); ++i) {
        QByteArray bad = good;
        bad[i] = static_cast<char>(bad[i] ^ 0xFF);
        if (const std::optional<Workbook> b = DecodeWorkbook(bad))
            for (const Worksheet& s : b->sheets)
                EXPECT_LE(static_cast<qint64>(s.cells.size()), static_cast<qint64>(s.rows) * s.cols);
    }
}

// Damaged copies of a real workbook: every byte range overwritten in turn, read by the
// helper's .xls reader in this process (where the sanitizers watch it). Each read ends with
// a workbook or a refusal, never a crash or another exception.
TEST(ImportReader, SurvivesDamagedWorkbooks)
{
    QFile source(ImportFixture("rain.xls"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray good = source.readAll();
    int read = 0, refused = 0;
    const char fills[] = {'\xFF', '\x00', '\x7F'};
    for (qsizetype at = 0; at < good.size(); at += 37) {
        for (char fill : fills) {
            QByteArray bad = good;
            for (qsizetype i = at; i < std::min(at + 8, bad.size()); ++i)
                bad[i] = fill;
            try {
                const Workbook book = ReadWorkbookBytes(bad);
                ++read;
                for (const Worksheet& sheet : book.sheets) {
                    EXPECT_LE(sheet.rows, kMaxBiffRows);
                    EXPECT_LE(sheet.cols, kMaxBiffCols);
                }
            } catch (const WorkbookRefused&) {
                ++refused;
            }
        }
    }
    EXPECT_GT(read, 0);     // damage in unused parts leaves the workbook readable
    EXPECT_GT(refused, 0);  // damage in its structures is refused
}

TEST(ImportReader, NamesColumnsAndCells)
{
    const std::pair<int, const char*> columns[] = {{0, "A"},   {2, "C"},   {25, "Z"},  {26, "AA"},
                                                   {51, "AZ"}, {52, "BA"}, {255, "IV"}};
    for (const auto& [col, name] : columns)
        EXPECT_EQ(ColumnName(col), name) << col;
    EXPECT_EQ(CellName(9, 2), "C10");
}
