// "Importuj z Excela" on the real window: the hour-count rule run only when the count changes
// and then on the imported block, column 1 written and columns 0 and 2 left alone,
// direct mode, cancels and refusals.
#include "WindowFixture.h"
#include "import/ExcelImport.h"
#include "test_import_fixtures.h"
#include "window/LongWork.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace moravel::window::testing {
namespace {

using import::CellBlock;
using import::FixedRangePicker;

const CellBlock kC10toC33{0, 9, 2, 32, 2};

class ImportWindowTest : public WindowFixture {
protected:
    void SetUp() override
    {
        source = &random;
        reader = BuildTreeReader();
        WindowFixture::SetUp();
    }
    QStringList Column(int col, int rows)
    {
        QStringList texts;
        for (int row = 1; row <= rows; ++row)
            texts << Table()->Cell(col, row);
        return texts;
    }
    void Fill(int col, const QStringList& texts)
    {
        for (int i = 0; i < texts.size(); ++i)
            Table()->SetCell(col, i + 1, texts[i]);
    }
    // Runs the command from its menu item: inside Guarded, errors shown in the error box.
    void Import(import::RangePicker& picker, std::optional<QString> file)
    {
        dialogs.answers.push_back(std::move(file));
        window->SetRangePicker(&picker);
        ASSERT_TRUE(ui().MenuOpadImportujzExcela->isEnabled());
        ui().MenuOpadImportujzExcela->trigger();
        window->SetRangePicker(nullptr);
    }

    FixedSource random{{0.25, 0.5, 0.75}};
    const QString rain = ImportFixture("rain.xls");
};

// The 24 texts of C10:C33 under the window's decimal comma.
QStringList RainTexts()
{
    const import::Workbook book = import::ReadWorkbook(ImportFixture("rain.xls"), BuildTreeReader());
    return import::BlockTexts(book, kC10toC33, u',');
}

TEST_F(ImportWindowTest, SameHourCountLeavesTheRuleUnrunAndColumnsZeroAndTwoAsTheyWere)
{
    ui().LabelSCSSCSWartosc->setText(QStringLiteral("80,00"));
    Retype(Hours(), QStringLiteral("24"));
    QStringList old, hef;
    for (int i = 1; i <= 24; ++i) {
        old << QStringLiteral("3");
        hef << QStringLiteral("h%1").arg(i);
    }
    Fill(1, old);
    window->ComputeEffectiveRain();
    Fill(2, hef);  // marks that a recomputation would overwrite
    const int reseeds = random.reseeds;
    const float stateRain = window->State().Rainfall[1];

    FixedRangePicker picker(kC10toC33);
    Import(picker, rain);

    EXPECT_TRUE(messages.log.empty()) << messages.Errors().join(' ').toStdString();
    EXPECT_EQ(picker.calls, 1);
    EXPECT_EQ(Hours()->text(), QStringLiteral("24"));
    EXPECT_EQ(Column(1, 24), RainTexts());
    EXPECT_EQ(Table()->Cell(1, 1), QStringLiteral("0,7"));    // C10 is hour 1
    EXPECT_EQ(Table()->Cell(1, 24), QStringLiteral("16,8"));  // C33 is hour 24
    EXPECT_EQ(Table()->Cell(1, 8), QString());                // the empty C17
    EXPECT_EQ(Column(2, 24), hef);                            // nothing recomputed
    EXPECT_EQ(Table()->Cell(0, 24), QStringLiteral("24"));
    EXPECT_EQ(random.reseeds, reseeds);
    EXPECT_EQ(window->State().Rainfall[1], stateRain);

    ASSERT_EQ(dialogs.asked.size(), 1u);
    const FileDialogSpec& dialog = dialogs.asked[0].dialogSpec;
    EXPECT_EQ(dialog.name, QStringLiteral("OpenDialogImportExcela"));
    EXPECT_EQ(dialog.title, QStringLiteral("Import opadu z Excela"));
    EXPECT_FALSE(dialog.save);
    // The first entry as it always was, then the other workbooks, CSV and all of them.
    EXPECT_EQ(dialog.filter.split(u'|'),
              (QStringList{"Pliki Excel *.xls", "*.xls", "Skoroszyty (*.xlsx *.xlsm *.ods)", "*.xlsx;*.xlsm;*.ods",
                           "Pliki CSV (*.csv *.txt)", "*.csv;*.txt",
                           QString::fromUtf8("Wszystkie obsługiwane pliki (*.xls *.xlsx *.xlsm *.ods *.csv *.txt)"),
                           "*.xls;*.xlsx;*.xlsm;*.ods;*.csv;*.txt"}));
}

// Every format the import reads, through the window: the same rules for what arrives.
TEST_F(ImportWindowTest, ImportsEveryFormat)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString csv = dir.filePath("opad.csv");
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Godzina;Opad [mm]\r\n1;2,5\r\n2;\r\n3;brak\r\n4;0,333333333333333\r\n");
    file.close();
    struct Case {
        QString path;
        CellBlock block;
        QStringList texts;
    };
    const Case cases[] = {
        {rain, CellBlock{0, 10, 2, 14, 2}, {"1,4", "2,5", "0,333333333333333", "3,5", "brak"}},
        {ImportFixture("rain.xlsx"),
         CellBlock{0, 0, 0, 6, 0},
         {"2,5", "brak", "5", "tekst", "", "2024-05-17", "2024-05-17 13:30:00"}},
        {ImportFixture("rain.ods"), CellBlock{0, 0, 0, 2, 0}, {"2,5", "brak", "5"}},
        {csv, CellBlock{0, 1, 1, 4, 2}, {"2,5", "", "brak", "0,333333333333333"}},  // two columns: the first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        messages.Clear();
        FixedRangePicker picker(c.block);
        Import(picker, c.path);
        EXPECT_TRUE(messages.log.empty()) << messages.Errors().join(' ').toStdString();
        EXPECT_EQ(Hours()->text(), QString::number(c.texts.size()));
        EXPECT_EQ(Column(1, static_cast<int>(c.texts.size())), c.texts);
    }
}

// A new hour count runs its rule, which builds the rows and, with a curve number and a complete
// table, computes from the block just imported, never from the texts it replaces. So a text
// that no computation takes (a time an earlier import copied) does not stop the next import
// half-way, with the new count over the old hours.
TEST_F(ImportWindowTest, NewHourCountRunsTheRuleOnTheImportedBlock)
{
    ui().LabelSCSSCSWartosc->setText(QStringLiteral("80,00"));
    Retype(Hours(), QStringLiteral("3"));
    Fill(1, {"4", "5", "6"});
    FixedRangePicker time(CellBlock{0, 3, 0, 3, 0});  // results.ods A4: the time 13:30:00
    Import(time, ImportFixture("results.ods"));
    ASSERT_TRUE(messages.log.empty()) << messages.Errors().join(' ').toStdString();
    ASSERT_EQ(Hours()->text(), QStringLiteral("1"));
    ASSERT_EQ(Column(1, 3), (QStringList{"13:30:00", "5", "6"}));  // hours 2 and 3 kept below

    FixedRangePicker numbers(CellBlock{0, 9, 2, 11, 2});  // C10:C12: 0,7 1,4 2,5
    Import(numbers, rain);

    EXPECT_TRUE(messages.log.empty()) << messages.Errors().join(' ').toStdString();
    EXPECT_EQ(Hours()->text(), QStringLiteral("3"));
    EXPECT_EQ(Table()->RowCount(), 4);
    EXPECT_EQ(Column(0, 3), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(Column(1, 3), (QStringList{"0,7", "1,4", "2,5"}));
    // Computed by the count's rule from the imported texts.
    EXPECT_EQ(window->State().Rainfall[1], 0.7f);
    EXPECT_EQ(window->State().Rainfall[3], 2.5f);
    EXPECT_EQ(Table()->Cell(2, 0), QStringLiteral("Hef [mm]"));
    const QStringList hef = Column(2, 3);
    window->ComputeEffectiveRain();
    EXPECT_EQ(Column(2, 3), hef);
}

// A block whose own cell no computation takes, under a new hour count with a curve number:
// the count's rule meets that cell and its error ends the command, as the table's next refresh
// would. The block is in the table whole under the new count; the effective rainfall stays
// as it was.
TEST_F(ImportWindowTest, ABlockWithACellNoComputationTakesIsWrittenWholeAndItsErrorShown)
{
    ui().LabelSCSSCSWartosc->setText(QStringLiteral("80,00"));
    Retype(Hours(), QStringLiteral("2"));
    Fill(1, {"4", "5", "6"});
    window->ComputeEffectiveRain();
    const QStringList hef = Column(2, 3);
    ASSERT_FALSE(hef[0].isEmpty());

    FixedRangePicker picker(CellBlock{0, 12, 2, 14, 2});  // C13:C15: 1/3 3,5 brak
    Import(picker, rain);

    EXPECT_EQ(messages.Errors(), QStringList{"'brak' is not a valid floating point value."});
    EXPECT_EQ(Hours()->text(), QStringLiteral("3"));
    EXPECT_EQ(Table()->RowCount(), 4);
    EXPECT_EQ(Column(0, 3), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(Column(1, 3), (QStringList{"0,333333333333333", "3,5", "brak"}));
    EXPECT_EQ(Column(2, 3), hef);
}

// With the hour count unchanged, and with a new count whose rule puts the placeholder into
// the hours the block leaves empty (C17): column 1 ends as the block, column 2 as typed.
TEST_F(ImportWindowTest, DirectModeWritesColumnOneUnderTheCover)
{
    for (const char* hours : {"24", "20"}) {
        SCOPED_TRACE(hours);
        messages.Clear();
        if (ui().CheckBoxOpad->isChecked())
            QTest::mouseClick(ui().CheckBoxOpad, Qt::LeftButton);
        Retype(Hours(), QString::fromLatin1(hours));
        QStringList typed;
        for (int i = 1; i <= 24; ++i)
            typed << QString::number(i);
        Fill(2, typed);
        Fill(1, QStringList(24, QString()));
        QTest::mouseClick(ui().CheckBoxOpad, Qt::LeftButton);
        ASSERT_TRUE(ui().CheckBoxOpad->isChecked());
        ASSERT_EQ(Table()->Cell(1, 1), QStringLiteral("1"));  // the placeholders

        FixedRangePicker picker(kC10toC33);
        Import(picker, rain);

        EXPECT_TRUE(messages.log.empty()) << messages.Errors().join(' ').toStdString();
        EXPECT_EQ(Hours()->text(), QStringLiteral("24"));
        EXPECT_EQ(Column(1, 24), RainTexts());
        EXPECT_EQ(Column(2, 24), typed);
        EXPECT_TRUE(ui().TabelaOpadZaslona->isVisible());
        EXPECT_TRUE(ui().CheckBoxOpad->isChecked());
    }
}

TEST_F(ImportWindowTest, OneCellGivesOneHour)
{
    FixedRangePicker picker(CellBlock{0, 14, 2, 14, 2});  // C15: brak
    Import(picker, rain);
    EXPECT_EQ(Hours()->text(), QStringLiteral("1"));
    EXPECT_EQ(Table()->Cell(1, 1), QStringLiteral("brak"));
    EXPECT_EQ(Table()->RowCount(), 2);
}

TEST_F(ImportWindowTest, CancelsAndRefusalsChangeNothing)
{
    Retype(Hours(), QStringLiteral("3"));
    Fill(1, {"4", "5", "6"});
    const QString truncated = ImportFixture("truncated.xls");
    const QString badFormat = ImportFixture("bad_format.xls");
    const QString unreadableRain =
        QStringLiteral("Nie można odczytać skoroszytu %1.").arg(QDir::toNativeSeparators(rain));
    struct Case {
        const char* what;
        std::optional<QString> file;
        std::optional<CellBlock> block;
        QString error;              // as the error box shows it
        QString readerSwitch = {};  // of the helper's test build; none: the real helper
        int readerTimeoutMs = 20000;
    };
    const Case cases[] = {
        {"file dialog cancelled", std::nullopt, kC10toC33, QString()},
        {"picker cancelled", rain, std::nullopt, QStringLiteral("Invalid variant operation.")},
        {"1500 rows", rain, CellBlock{0, 0, 2, 1499, 2},
         QString::fromUtf8("Zaznaczony zakres ma 1500 wierszy, a tabela opadu mieści najwyżej 1000 godzin.")},
        {"damaged file", truncated, kC10toC33,
         QStringLiteral("Nie można odczytać skoroszytu %1.").arg(QDir::toNativeSeparators(truncated))},
        {"FORMAT record with a text length of 0xFFFF", badFormat, kC10toC33,
         QStringLiteral("Nie można odczytać skoroszytu %1.").arg(QDir::toNativeSeparators(badFormat))},
        {"reader crashes", rain, kC10toC33, unreadableRain, QStringLiteral("--test-crash")},
        {"reader hangs", rain, kC10toC33, unreadableRain, QStringLiteral("--test-hang"), 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.Clear();
        FixedRangePicker picker(c.block);
        window->SetReader(c.readerSwitch.isEmpty() ? BuildTreeReader()
                                                   : FailingReader(c.readerSwitch, c.readerTimeoutMs));
        Import(picker, c.file);
        EXPECT_EQ(messages.Errors(), c.error.isEmpty() ? QStringList{} : QStringList{c.error});
        EXPECT_EQ(Hours()->text(), QStringLiteral("3"));
        EXPECT_EQ(Column(1, 3), (QStringList{"4", "5", "6"}));
        EXPECT_EQ(Table()->RowCount(), 4);
    }
}

// A reader that hangs is not waited for to its limit: its progress window offers "Anuluj",
// which stops it and ends the command with nothing changed and no message (at the limit of
// a minute the command would end with the unreadable file's message instead).
TEST_F(ImportWindowTest, AHangingReaderIsStoppedFromItsProgressWindow)
{
    Retype(Hours(), QStringLiteral("3"));
    Fill(1, {"4", "5", "6"});
    messages.Clear();
    window->SetReader(FailingReader(QStringLiteral("--test-hang"), 60000));
    bool clicked = false;
    QTimer::singleShot(0, window.get(), [&] {
        QWidget* progress = nullptr;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                for (QWidget* widget : QApplication::topLevelWidgets())
                    if (widget->objectName() == QLatin1String(kLongWorkWindowName) && widget->isVisible())
                        progress = widget;
                return progress != nullptr;
            },
            20000));
        auto* cancel = progress ? progress->findChild<QPushButton*>(QStringLiteral("Anuluj")) : nullptr;
        ASSERT_NE(cancel, nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton);
        clicked = true;
    });
    FixedRangePicker picker(kC10toC33);
    Import(picker, rain);
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(messages.log.empty()) << messages.Errors().join(' ').toStdString();
    EXPECT_EQ(picker.calls, 0);
    EXPECT_EQ(Hours()->text(), QStringLiteral("3"));
    EXPECT_EQ(Column(1, 3), (QStringList{"4", "5", "6"}));
}

}  // namespace
}  // namespace moravel::window::testing
