// The one CSV writer: fields quoted only when they need it, the file's bytes, a failed write;
// the series' files word for word; and every CSV the program writes (the hydrograph, the
// series band and realisations) parsed back under a decimal comma and a decimal point.
#include "model/Series.h"
#include "report/Csv.h"
#include "report/SeriesExport.h"
#include "text/Error.h"
#include "text/NumText.h"
#include "window/HydrographResults.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <vector>

namespace moravel::report {
namespace {

const QByteArray kByteOrderMark("\xEF\xBB\xBF");

TEST(Csv, QuotesOnlyTheFieldsThatNeedIt)
{
    const struct {
        char decimal;
        QStringList fields;
        const char* line;
    } cases[] = {
        {',', {"1,5", "a.b", QString::fromUtf8("Przepływ [m³/s]")}, "1,5;a.b;Przepływ [m³/s]\r\n"},
        {'.', {"1,5", "a;b", "2.5"}, "\"1,5\",a;b,2.5\r\n"},
        {',',
         {"a;b", "rzekł \"tak\"", "dwa\nwiersze", "cr\rtu", ""},
         "\"a;b\";\"rzekł \"\"tak\"\"\";\"dwa\nwiersze\";\"cr\rtu\";\r\n"},
        {'.', {"", ""}, ",\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        CsvTable table{QLatin1Char(c.decimal)};
        table.AddRow(c.fields);
        EXPECT_EQ(table.Text(), QString::fromUtf8(c.line));
        EXPECT_EQ(table.Bytes(), kByteOrderMark + QByteArray(c.line));
    }
    EXPECT_EQ(CsvTable(QLatin1Char(',')).FieldSeparator(), QLatin1Char(';'));
    EXPECT_EQ(CsvTable(QLatin1Char('.')).FieldSeparator(), QLatin1Char(','));
}

TEST(Csv, FileIsReplacedWholeOrNotAtAll)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.csv")));
    const QString path = folder.filePath(QStringLiteral("a.csv"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("a much longer file that was there before\n");
    }
    CsvTable table(QLatin1Char(','));
    table.AddRow({QStringLiteral("Godzina"), QStringLiteral("Łąka")});
    table.AddRow({QStringLiteral("1"), QStringLiteral("0,5")});
    WriteCsvFile(path, table);
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), kByteOrderMark + QByteArray("Godzina;Łąka\r\n1;0,5\r\n"));

    // A folder that doesn't exist, and a name taken by a folder.
    for (const QString& bad :
         {folder.filePath(QStringLiteral("brak/a.csv")), folder.filePath(QStringLiteral("folder.csv"))}) {
        try {
            WriteCsvFile(bad, table);
            ADD_FAILURE() << "no error for " << bad.toStdString();
        } catch (const Error& e) {
            EXPECT_EQ(e.text(), QStringLiteral("Nie można utworzyć pliku ") + bad);
        }
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"a.csv", "folder.csv"}));
}

// Rows of fields of RFC 4180 text with the given separator; a line break outside quotes that
// is not CRLF, a quote inside an unquoted field or a last line without its CRLF fails the test.
std::vector<QStringList> ParseCsv(const QString& text, QChar separator)
{
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;     // inside a quoted field
    bool wasQuoted = false;  // the current field was quoted (nothing may follow its end quote)
    bool lineOpen = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        lineOpen = true;
        if (quoted) {
            if (c != u'"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else
                quoted = false;
        } else if (c == u'"') {
            EXPECT_TRUE(field.isEmpty() && !wasQuoted) << "quote inside a field at " << i;
            quoted = wasQuoted = true;
        } else if (c == separator) {
            row << field;
            field.clear();
            wasQuoted = false;
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ++i;
            row << field;
            rows.push_back(row);
            row.clear();
            field.clear();
            wasQuoted = false;
            lineOpen = false;
        } else {
            EXPECT_TRUE(c != u'\r' && c != u'\n') << "bare line break at " << i;
            EXPECT_FALSE(wasQuoted) << "text after a quoted field at " << i;
            field += c;
        }
    }
    EXPECT_FALSE(quoted) << "unterminated quote";
    EXPECT_FALSE(lineOpen) << "last line without CRLF";
    return rows;
}

// Two hours of band, three realisations of which the second failed; the first represents the
// series and its hydrograph ends after one hour.
model::SeriesResult SmallSeries()
{
    model::SeriesResult series;
    series.bandHours = 2;
    series.band = {{0.5, 1.25, 2.5, 3.75, 5.125}, {0.25, 0.5, 1, 1.5, 2.75}};
    series.realisations = {{true, 5.375f, 2, 12345.6}, {}, {true, 0.5f, 1, 999}};
    series.representative = 0;
    series.representativeDischarge = {2.75f};
    return series;
}

// The series' files word for word: the representative's column (0 after the end of its
// hydrograph), the hour of the peak, the volume as precise as the workbook's summary, and
// the failed realisation's empty fields.
TEST(Csv, SeriesFilesHoldTheirFigures)
{
    const model::SeriesResult series = SmallSeries();
    EXPECT_EQ(SeriesBandCsv(series, QLatin1Char(',')).Text(),
              QStringLiteral("Godzina;P5 [m³/s];P25 [m³/s];Mediana [m³/s];P75 [m³/s];P95 [m³/s];"
                             "Realizacja reprezentatywna (nr 1) [m³/s]\r\n"
                             "1;0,5;1,25;2,5;3,75;5,125;2,75\r\n"
                             "2;0,25;0,5;1;1,5;2,75;0\r\n"));
    EXPECT_EQ(SeriesRealisationsCsv(series, QLatin1Char('.')).Text(),
              QStringLiteral("Realizacja,Przepływ maksymalny [m³/s],Godzina szczytu [h],Objętość odpływu [m³],Wynik\r\n"
                             "1,5.375,2,12345.6,policzona\r\n"
                             "2,,,,nieudana\r\n"
                             "3,0.5,1,999,policzona\r\n"));

    // No realisation succeeded: no representative column.
    model::SeriesResult none;
    none.realisations.resize(2);
    EXPECT_EQ(SeriesBandCsv(none, QLatin1Char(',')).Text(),
              QStringLiteral("Godzina;P5 [m³/s];P25 [m³/s];Mediana [m³/s];P75 [m³/s];P95 [m³/s]\r\n"));
}

// The streamed line of a realisation is the table's row, byte for byte, whatever its numbers.
TEST(Csv, AStreamedRealisationLineIsTheTablesRow)
{
    const model::RealisationSummary rows[] = {
        {true, 5.375f, 2, 12345.6}, {},
        {true, 1.0e-7f, 0, 1.5e20}, {true, 3.4028235e38f, 2147483647, -0.0},
        {true, 0.1f, 17, 0.1},      {false, 2.0f, 3, 4.0},  // a failed one keeps no figures
    };
    const int numbers[] = {1, 2, 999, 2147483647, 10, 11};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        QByteArray line;
        AppendSeriesRealisationLine(line, numbers[i], rows[i]);
        EXPECT_EQ(line, CsvLine(SeriesRealisationRow(numbers[i], rows[i], u'.'), u',').toUtf8()) << i;
    }
}

struct ProgramCsv {
    const char* name;
    std::function<CsvTable(QChar decimalSeparator)> make;
    int columns;
    int numericColumns;  // the first ones; the rest hold words
};

TEST(Csv, EveryCsvOfTheProgramParsesBackInTheUsersConventions)
{
    window::HydrographSnapshot snapshot;
    snapshot.rainfall = {1.5f, 2.25f};
    snapshot.effective = {0.5f, 0.75f};
    snapshot.discharge = {0.125f, 3.5f, 12.0625f};

    const model::SeriesResult series = SmallSeries();

    const ProgramCsv files[] = {
        {"hydrogram", [&](QChar d) { return window::HydrographCsv(snapshot, d); }, 4, 4},
        {"pasmo", [&](QChar d) { return SeriesBandCsv(series, d); }, 7, 7},
        {"realizacje", [&](QChar d) { return SeriesRealisationsCsv(series, d); }, 5, 4},
    };
    QTemporaryDir folder;
    for (const ProgramCsv& csv : files) {
        for (const QChar decimal : {QLatin1Char(','), QLatin1Char('.')}) {
            SCOPED_TRACE(std::string(csv.name) + " with decimal " + decimal.toLatin1());
            const QString path = folder.filePath(QString::fromLatin1(csv.name) + ".csv");
            WriteCsvFile(path, csv.make(decimal));
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            ASSERT_TRUE(bytes.startsWith(kByteOrderMark));

            const QChar separator = decimal == u',' ? QLatin1Char(';') : QLatin1Char(',');
            const QChar otherDecimal = decimal == u',' ? QLatin1Char('.') : QLatin1Char(',');
            const std::vector<QStringList> rows = ParseCsv(QString::fromUtf8(bytes.mid(3)), separator);
            ASSERT_GE(rows.size(), 3u);
            int fractions = 0;
            for (std::size_t r = 0; r < rows.size(); ++r) {
                ASSERT_EQ(rows[r].size(), csv.columns) << "row " << r;
                if (r == 0)
                    continue;  // the header
                for (int c = 0; c < csv.numericColumns; ++c) {
                    const QString& field = rows[r][c];
                    if (field.isEmpty())
                        continue;  // past the storm, or a failed realisation
                    double value = 0;
                    EXPECT_TRUE(text::TryStrToFloat(field, decimal, value)) << field.toStdString();
                    EXPECT_FALSE(field.contains(otherDecimal)) << field.toStdString();
                    fractions += field.contains(decimal) ? 1 : 0;
                }
            }
            EXPECT_GT(fractions, 0) << "no number with a decimal separator";
        }
    }
}

}  // namespace
}  // namespace moravel::report
