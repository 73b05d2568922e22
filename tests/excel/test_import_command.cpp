// The import command with the window's doors replaced: which dialog it shows, the order in
// which it writes the hour count and the hours, and that refusals leave the table alone.
#include "excel/ExcelImport.h"
#include "test_import_fixtures.h"
#include "text/Error.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace moravel::excel;

namespace {

class FakeDialogs : public moravel::window::FileDialogs {
public:
    explicit FakeDialogs(std::optional<QString> answer) : answer_(std::move(answer)) {}
    std::optional<QString> Ask(const moravel::window::FileDialogSpec& spec, const QString& lastName) override
    {
        asked.push_back(spec);
        offered = lastName;
        return answer_;
    }
    std::vector<moravel::window::FileDialogSpec> asked;
    QString offered;

private:
    std::optional<QString> answer_;
};

// Records every write in order: "count=24", "1=0,7", ...
class FakeTable : public RainfallTable {
public:
    void SetHourCount(const QString& text) override { log << "count=" + text; }
    void SetRainfall(int hour, const QString& text) override { log << QString::number(hour) + "=" + text; }
    QStringList log;
};

QString RunImport(FakeDialogs& dialogs, RangePicker& picker, FakeTable& table, QString& lastName)
{
    try {
        ImportRainfall(dialogs, lastName, picker, table, u',');
    } catch (const moravel::Error& e) {
        return e.text();
    }
    return {};
}

}  // namespace

TEST(ImportCommand, FillsTheHourCountFirstThenEachHourInOrder)
{
    FakeDialogs dialogs(ImportFixture("rain.xls"));
    FixedRangePicker picker(CellBlock{0, 9, 2, 32, 3});  // C10:D33, two columns
    FakeTable table;
    QString lastName = "poprzedni.xls";
    EXPECT_EQ(RunImport(dialogs, picker, table, lastName), "");

    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].name, "OpenDialogImportExcela");
    EXPECT_EQ(dialogs.asked[0].filter, "Pliki Excel *.xls|*.xls");
    EXPECT_FALSE(dialogs.asked[0].save);
    EXPECT_EQ(dialogs.offered, "poprzedni.xls");
    EXPECT_EQ(lastName, ImportFixture("rain.xls"));
    EXPECT_EQ(picker.lastPath, ImportFixture("rain.xls"));

    ASSERT_EQ(table.log.size(), 25);
    EXPECT_EQ(table.log[0], "count=24");
    EXPECT_EQ(table.log[1], "1=0,7");        // C10
    EXPECT_EQ(table.log[3], "3=2,5");
    EXPECT_EQ(table.log[4], "4=0,333333333333333");
    EXPECT_EQ(table.log[6], "6=brak");
    EXPECT_EQ(table.log[8], "8=");           // empty C17
    EXPECT_EQ(table.log[24], "24=16,8");     // C33; column D never read
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
        {"damaged file", damaged, CellBlock{}, "Nie można odczytać skoroszytu " + QDir::toNativeSeparators(damaged),
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeDialogs dialogs(c.file);
        FixedRangePicker picker(c.block);
        FakeTable table;
        QString lastName = "poprzedni.xls";
        EXPECT_EQ(RunImport(dialogs, picker, table, lastName), c.error);
        EXPECT_EQ(picker.calls, c.picks);
        EXPECT_TRUE(table.log.isEmpty()) << table.log.join(' ').toStdString();
        EXPECT_EQ(lastName, c.file.value_or("poprzedni.xls"));
    }
}
