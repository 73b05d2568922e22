// The import command with the window replaced: which dialog it shows, the order in
// which it writes the hours and the hour count, and that refusals leave the table alone.
#include "import/ExcelImport.h"
#include "test_import_fixtures.h"
#include "text/Error.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace moravel::import;

namespace {

// Answers the file dialog with a fixed path (or a cancel) and records every call in order:
// "count=24", "1=0,7", ...
class FakeWindow : public ImportTarget {
public:
    explicit FakeWindow(std::optional<QString> file) : file_(std::move(file)) {}
    std::optional<QString> AskWorkbookFile() override
    {
        ++asked;
        return file_;
    }
    std::optional<Workbook> ReadBook(const QString& path) override { return ReadWorkbook(path, BuildTreeReader()); }
    void SetHourCount(const QString& text) override { log << "count=" + text; }
    void SetRainfall(int hour, const QString& text) override { log << QString::number(hour) + "=" + text; }
    int asked = 0;
    QStringList log;

private:
    std::optional<QString> file_;
};

QString RunImport(FakeWindow& window, RangePicker& picker)
{
    try {
        ImportRainfall(window, picker, u',');
    } catch (const moravel::Error& e) {
        return e.text();
    }
    return {};
}

}  // namespace

// Each hour in order, then the hour count, then each hour again: the count's rule reads the
// block, and what it writes into the hours is written over.
TEST(ImportCommand, FillsEachHourInOrderAroundTheHourCount)
{
    FakeWindow window(ImportFixture("rain.xls"));
    FixedRangePicker picker(CellBlock{0, 9, 2, 32, 3});  // C10:D33, two columns
    EXPECT_EQ(RunImport(window, picker), "");

    EXPECT_EQ(window.asked, 1);
    EXPECT_EQ(picker.lastPath, ImportFixture("rain.xls"));
    const QStringList& log = window.log;

    ASSERT_EQ(log.size(), 49);
    EXPECT_EQ(log[24], "count=24");
    const QStringList before = log.mid(0, 24);
    EXPECT_EQ(log.mid(25), before);
    EXPECT_EQ(before[0], "1=0,7");  // C10
    EXPECT_EQ(before[2], "3=2,5");
    EXPECT_EQ(before[3], "4=0,333333333333333");
    EXPECT_EQ(before[5], "6=brak");
    EXPECT_EQ(before[7], "8=");        // empty C17
    EXPECT_EQ(before[23], "24=16,8");  // C33; column D never read
}

TEST(ImportCommand, ChangesNothingWhenCancelledOrRefused)
{
    struct Case {
        const char* what;
        std::optional<QString> file;
        std::optional<CellBlock> block;
        QString error;
        int picks;
    };
    const QString damaged = ImportFixture("truncated.xls");
    const Case cases[] = {
        {"file dialog cancelled", std::nullopt, CellBlock{}, "", 0},
        {"picker cancelled", ImportFixture("rain.xls"), std::nullopt, "Invalid variant operation", 1},
        {"1001 rows", ImportFixture("rain.xls"), CellBlock{0, 0, 2, 1000, 2},
         QString::fromUtf8("Zaznaczony zakres ma 1001 wierszy, a tabela opadu mieści najwyżej 1000 godzin"), 1},
        {"damaged file", damaged, CellBlock{}, "Nie można odczytać skoroszytu " + QDir::toNativeSeparators(damaged), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeWindow window(c.file);
        FixedRangePicker picker(c.block);
        EXPECT_EQ(RunImport(window, picker), c.error);
        EXPECT_EQ(window.asked, 1);
        EXPECT_EQ(picker.calls, c.picks);
        EXPECT_TRUE(window.log.isEmpty()) << window.log.join(' ').toStdString();
    }
}
