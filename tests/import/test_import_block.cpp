// The import's logic on plain values: cell values as table texts, the texts of a marked
// block, its refusals and the picker's warnings.
#include "import/ImportBlock.h"
#include "test_import_fixtures.h"
#include "text/Error.h"
#include "text/NumText.h"

#include <gtest/gtest.h>

using namespace moravel::import;

namespace {

Cell Number(double v)
{
    Cell c;
    c.type = CellType::Number;
    c.number = v;
    return c;
}

Cell Text(const QString& t)
{
    Cell c;
    c.type = CellType::Text;
    c.text = t;
    return c;
}

QString ErrorText(const Workbook& book, const std::optional<CellBlock>& block)
{
    try {
        BlockTexts(book, block, u',');
    } catch (const moravel::Error& e) {
        return e.text();
    }
    return QStringLiteral("(no error)");
}

// Hour i of rain.xls (C10 = hour 1) as the table gets it under a comma separator.
QStringList RainTexts()
{
    QStringList texts;
    for (int hour = 1; hour <= 24; ++hour) {
        if (hour == 3)
            texts << "2,5";
        else if (hour == 4)
            texts << "0,333333333333333";
        else if (hour == 6)
            texts << "brak";
        else if (hour == 8)
            texts << "";
        else
            texts << moravel::text::FormatGeneral(hour * 7 / 10.0, u',');
    }
    return texts;
}

}  // namespace

TEST(ImportBlock, CellTextFollowsTheDecimalSeparator)
{
    struct Case {
        Cell cell;
        const char* comma;
        const char* point;
    };
    const Case cases[] = {
        {Number(2.5), "2,5", "2.5"},
        {Number(1.0 / 3), "0,333333333333333", "0.333333333333333"},
        {Number(7), "7", "7"},
        {Number(-0.25), "-0,25", "-0.25"},
        {Number(1234567.5), "1234567,5", "1234567.5"},
        {Text("brak"), "brak", "brak"},
        {Text("2.5"), "2.5", "2.5"},  // a text stays as typed, whatever the separator
        {Cell{}, "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CellText(c.cell, u','), QString::fromUtf8(c.comma));
        EXPECT_EQ(CellText(c.cell, u'.'), QString::fromUtf8(c.point));
    }
}

TEST(ImportBlock, TextsOfMarkedBlocks)
{
    const Workbook book = ReadWorkbook(ImportFixture("rain.xls"), BuildTreeReader());
    // C10:C33: 24 hours, C10 is hour 1 and C33 hour 24; an empty cell gives an empty text,
    // a word stays that word.
    const QStringList hours = BlockTexts(book, CellBlock{0, 9, 2, 32, 2}, u',');
    EXPECT_EQ(hours, RainTexts());
    EXPECT_EQ(hours.front(), "0,7");
    EXPECT_EQ(hours.back(), "16,8");

    // Wider than one column: the first column only.
    EXPECT_EQ(BlockTexts(book, CellBlock{0, 9, 2, 32, 3}, u','), RainTexts());
    // One cell: one hour.
    EXPECT_EQ(BlockTexts(book, CellBlock{0, 11, 2, 11, 2}, u'.'), QStringList{"2.5"});
    // Past the last filled row: empty hours.
    EXPECT_EQ(BlockTexts(book, CellBlock{0, 31, 2, 34, 2}, u','), (QStringList{"16,1", "16,8", "", ""}));
    // Another worksheet.
    EXPECT_EQ(BlockTexts(book, CellBlock{1, 1, 1, 1, 1}, u','), QStringList{"42"});
}

TEST(ImportBlock, RefusesCancelTooManyRowsAndBlocksOffTheWorkbook)
{
    const Workbook book = ReadWorkbook(ImportFixture("rain.xls"), BuildTreeReader());
    EXPECT_EQ(ErrorText(book, std::nullopt), "Invalid variant operation");

    // 1000 rows fill the table exactly; one more is refused, with the count in good Polish.
    EXPECT_EQ(BlockTexts(book, CellBlock{0, 0, 2, 999, 2}, u',').size(), 1000);
    EXPECT_EQ(ErrorText(book, CellBlock{0, 0, 2, 1000, 2}),
              QString::fromUtf8("Zaznaczony zakres ma 1001 wierszy, a tabela opadu mieści najwyżej 1000 godzin"));
    EXPECT_EQ(ErrorText(book, CellBlock{0, 0, 2, 1001, 2}),
              QString::fromUtf8("Zaznaczony zakres ma 1002 wiersze, a tabela opadu mieści najwyżej 1000 godzin"));

    const QString offSheet = QString::fromUtf8("Zaznaczony zakres nie leży na arkuszu skoroszytu");
    EXPECT_EQ(ErrorText(book, CellBlock{2, 0, 0, 0, 0}), offSheet);      // no third sheet
    EXPECT_EQ(ErrorText(book, CellBlock{0, 5, 0, 4, 0}), offSheet);      // upside down
    EXPECT_EQ(ErrorText(book, CellBlock{0, -1, 0, 3, 0}), offSheet);     // negative row
    EXPECT_EQ(ErrorText(book, CellBlock{0, 0, 0, 0, 16384}), offSheet);  // past column XFD
}

// The warnings say what arrives: a formula's result, 1 or 0, an empty cell for an error
// (named), a date as its text.
TEST(ImportBlock, WarnsAboutCellsThatAreNoPlainValues)
{
    const Workbook kinds = ReadWorkbook(ImportFixture("kinds.xls"), BuildTreeReader());
    const QStringList all = BlockWarnings(kinds, CellBlock{0, 0, 0, 11, 0});
    EXPECT_EQ(all,
              (QStringList{
                  QString::fromUtf8("Uwaga: zakres zawiera formuły (np. A1); zostaną wpisane ich wyniki zapisane "
                                    "w pliku."),
                  QString::fromUtf8("Uwaga: zakres zawiera wartości logiczne (np. A3); zostaną wpisane jako 1 lub 0."),
                  QString::fromUtf8("Uwaga: zakres zawiera komórki z błędem (np. A5: #DIV/0!); zostaną wpisane "
                                    "puste pola."),
                  QString::fromUtf8("Uwaga: zakres zawiera daty lub godziny (np. A6: 2024-05-01); zostaną "
                                    "wpisane jako tekst w tej postaci."),
              }));
    EXPECT_EQ(BlockTexts(kinds, CellBlock{0, 0, 0, 11, 0}, u','),
              (QStringList{"5", "", "1", "0", "", "2024-05-01", "2024-05-01 13:30:00", "06:15:00", "7",
                           QString::fromUtf8("zażółć"), "tekst wynik", ""}));
    EXPECT_TRUE(BlockWarnings(kinds, CellBlock{0, 11, 0, 11, 0})[0].contains("(np. A12: #N/A)"));
    // A block of plain cells says nothing.
    EXPECT_TRUE(BlockWarnings(kinds, CellBlock{0, 8, 0, 9, 0}).isEmpty());
    // .xlsx and .ods error values (formulas' results or not) are named as errors, by the
    // names their files show, and promise no formula's result.
    for (const auto& [file, name] : {std::pair{"cells.xlsx", "#DIV/0!"}, std::pair{"cells.ods", "#DZIEL/0!"}}) {
        const Workbook cells = ReadWorkbook(ImportFixture(file), BuildTreeReader());
        EXPECT_EQ(BlockWarnings(cells, CellBlock{0, 0, 0, 0, 0}),
                  QStringList{QString::fromUtf8("Uwaga: zakres zawiera komórki z błędem (np. A1: %1); zostaną wpisane "
                                                "puste pola.")
                                  .arg(QString::fromUtf8(name))})
            << file;
    }

    const Workbook rain = ReadWorkbook(ImportFixture("rain.xls"), BuildTreeReader());
    EXPECT_TRUE(BlockWarnings(rain, CellBlock{0, 9, 2, 32, 2}).isEmpty());
    EXPECT_EQ(
        BlockWarnings(rain, CellBlock{0, 9, 2, 32, 4}),
        QStringList{QString::fromUtf8("Uwaga: zakres ma 3 kolumny; przepisana zostanie tylko pierwsza kolumna (C).")});
    EXPECT_EQ(
        BlockWarnings(rain, CellBlock{0, 0, 0, 1499, 0}),
        QStringList{QString::fromUtf8("Uwaga: zakres ma 1500 wierszy, a tabela opadu mieści najwyżej 1000 godzin; "
                                      "taki zakres nie zostanie przyjęty.")});

    // A measured flood takes two columns of any length: no word of the rainfall table's limits,
    // and the cells of the second column are looked at too.
    EXPECT_TRUE(BlockWarnings(rain, CellBlock{0, 0, 0, 1499, 1}, kMeasuredBlock).isEmpty());
    EXPECT_EQ(BlockWarnings(rain, CellBlock{0, 9, 2, 32, 4}, kMeasuredBlock),
              QStringList{QString::fromUtf8("Uwaga: zakres ma 3 kolumny; odczytane zostaną tylko 2 pierwsze kolumny "
                                            "(C–D).")});
    const Workbook twoColumns = ReadWorkbook(ImportFixture("kinds.xls"), BuildTreeReader());
    EXPECT_TRUE(BlockWarnings(twoColumns, CellBlock{0, 8, 0, 9, 0}, kMeasuredBlock).isEmpty());
}
