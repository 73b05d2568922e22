// Reading .xls workbooks: values, the cells freexl can't give faithfully, and files that
// are no workbook at all.
#include "excel/XlsWorkbook.h"
#include "test_import_fixtures.h"
#include "text/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace moravel::excel;

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
    const Workbook book = ReadWorkbook(ImportFixture("rain.xls"));
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

// What freexl gives for the cells it can't read faithfully, and the mark each one carries.
TEST(ImportReader, MarksFormulasBooleansErrorsAndDates)
{
    const Workbook book = ReadWorkbook(ImportFixture("kinds.xls"));
    ASSERT_EQ(book.sheets.size(), 1u);
    const Worksheet& s = book.sheets[0];

    // A formula reads as empty even when the file caches its value (5 in A1).
    EXPECT_EQ(s.At(0, 0).type, CellType::Empty);
    EXPECT_EQ(s.At(0, 0).doubt, Doubt::Formula);
    EXPECT_EQ(s.At(1, 0).type, CellType::Empty);
    EXPECT_EQ(s.At(1, 0).doubt, Doubt::Formula);
    // Booleans read as 1 and 0, an error value as a number.
    ExpectNumber(s.At(2, 0), 1);
    EXPECT_EQ(s.At(2, 0).doubt, Doubt::Boolean);
    ExpectNumber(s.At(3, 0), 0);
    EXPECT_EQ(s.At(3, 0).doubt, Doubt::Boolean);
    EXPECT_EQ(s.At(4, 0).type, CellType::Number);
    EXPECT_EQ(s.At(4, 0).doubt, Doubt::Error);
    // Dates and times read as texts.
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

TEST(ImportReader, RefusesWhatIsNoWorkbook)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString paths[] = {
        ImportFixture("empty.xls"),
        ImportFixture("random.xls"),
        ImportFixture("truncated.xls"),
        ImportFixture("workbook.xlsx"),
        dir.path(),
        dir.filePath("missing.xls"),
        // Damage that makes freexl read or write past its buffers, or lose every sheet.
        ImportFixture("long_name.xls"),
        ImportFixture("two_sizes.xls"),
        ImportFixture("far_cell.xls"),
        // Saved with a password: refused even though its cells are left readable.
        ImportFixture("encrypted.xls"),
    };
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        try {
            ReadWorkbook(path);
            ADD_FAILURE() << "read without error";
        } catch (const moravel::Error& e) {
            EXPECT_EQ(e.text(), "Nie można odczytać skoroszytu " + QDir::toNativeSeparators(path));
        }
    }
}

// Sizes are checked before freexl allocates room for every declared cell.
TEST(ImportReader, RefusesWorkbooksDeclaringAbsurdSizes)
{
    const QString path = ImportFixture("huge.xls");
    try {
        ReadWorkbook(path);
        ADD_FAILURE() << "read without error";
    } catch (const moravel::Error& e) {
        EXPECT_EQ(e.text(),
                  QString::fromUtf8("Skoroszyt %1 jest zbyt duży, by go odczytać").arg(QDir::toNativeSeparators(path)));
    }
}

// Damaged copies of a real workbook: every byte range overwritten in turn. Each read ends
// with a workbook or the program's error, never a crash or another exception.
TEST(ImportReader, SurvivesDamagedWorkbooks)
{
    QFile source(ImportFixture("rain.xls"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray good = source.readAll();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("damaged.xls");
    int read = 0, refused = 0;
    const char fills[] = {'\xFF', '\x00', '\x7F'};
    for (qsizetype at = 0; at < good.size(); at += 37) {
        for (char fill : fills) {
            QByteArray bad = good;
            for (qsizetype i = at; i < std::min(at + 8, bad.size()); ++i)
                bad[i] = fill;
            QFile out(path);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(bad);
            out.close();
            try {
                const Workbook book = ReadWorkbook(path);
                ++read;
                for (const Worksheet& sheet : book.sheets) {
                    EXPECT_LE(sheet.rows, kMaxSheetRows);
                    EXPECT_LE(sheet.cols, kMaxSheetCols);
                }
            } catch (const moravel::Error&) {
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
