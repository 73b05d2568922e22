// The report workbook, written to a temporary folder and read back by openpyxl (a separate
// Python process), which reports sheets, cells, formats, rich texts and the chart part as JSON.
#include "report/Excel.h"
#include "report/SeriesExport.h"
#include "model/State.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <clocale>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace moravel::report {
namespace {

QJsonObject ReadBack(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(REPORT_READBACK_SCRIPT), path});
    const bool finished = python.waitForFinished(120000);
    const QByteArray out = python.readAllStandardOutput();
    EXPECT_TRUE(finished && python.exitCode() == 0) << python.readAllStandardError().constData();
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << out.left(500).constData();
    return json.object();
}

// Hours with values that don't print exactly in 16 digits, small and large, and 2.3.
ReportData Sample(int hours)
{
    ReportData data;
    data.HydrographLength = hours;
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / static_cast<float>(1u << 24);
    };
    for (int i = 1; i <= hours; ++i) {
        const float scale = (i % 7 == 0) ? 1e-6f : (i % 11 == 0) ? 1e5f : 40.0f;
        data.Rainfall[i] = next() * scale;
        data.EffectiveRain[i] = data.Rainfall[i] * next();
        data.HydrographOrdinates[i] = next() * 300.0f;
    }
    if (hours >= 1)
        data.Rainfall[1] = 2.3f;
    data.PeakDischargeRounded = 30;
    data.RainfallMaxRounded = 4;
    data.RiverName = QStringLiteral("Wisła");
    data.CrossSection = QStringLiteral("Kraków");
    for (int r = 0; r < 21; ++r)
        for (int c = 0; c < 4; ++c)
            data.LandUse[r][c] = QStringLiteral("%1,%2").arg(r).arg(c);
    data.LandUse[3][1] = QString();  // an empty grid cell
    data.CatchmentArea = QStringLiteral("?");
    data.RB = QStringLiteral("4,2");
    data.RL = QStringLiteral("2,1");
    data.RA = QStringLiteral("4,5");
    data.So = QStringLiteral("0,0024");
    data.Lo = QStringLiteral("12");
    data.b = QString();  // an empty edit
    data.n = QStringLiteral("0,015");
    return data;
}

class ReportWorkbook : public ::testing::Test {
protected:
    QJsonObject Write(const ReportData& data)
    {
        const QString path = folder_.filePath(QStringLiteral("Raport %1.xlsx").arg(count_++));
        WriteExcelReport(data, path);
        return ReadBack(path);
    }
    static QJsonObject Cells(const QJsonObject& book, const char* sheet)
    {
        return book["worksheets"][QLatin1String(sheet)]["cells"].toObject();
    }
    static QJsonObject ReportWidths(const QJsonObject& book)
    {
        return book["worksheets"][QLatin1String("Raport Moravel")]["widths"].toObject();
    }

    QTemporaryDir folder_;
    int count_ = 0;
};

QString Cell(int column, int row)
{
    return QStringLiteral("%1%2").arg(QChar('A' + column)).arg(row);
}

void ExpectFramed(const QJsonObject& cell, const QString& where)
{
    EXPECT_EQ(cell["align"].toString(), "center") << where.toStdString();
    for (const QJsonValue side : cell["border"].toArray()) {
        EXPECT_EQ(side["style"].toString(), "thin") << where.toStdString();
        EXPECT_TRUE(side["auto"].toBool()) << where.toStdString();
    }
}

bool HasBorder(const QJsonObject& cell)
{
    for (const QJsonValue side : cell["border"].toArray())
        if (!side["style"].isNull())
            return true;
    return false;
}

TEST_F(ReportWorkbook, ChartSheetFirstAndOnShowThenTheTwoWorksheets)
{
    const QJsonObject book = Write(Sample(24));
    EXPECT_TRUE(book["zipOk"].toBool());
    EXPECT_EQ(book["sheets"].toArray(), QJsonArray({"Wykres Moravel", "Raport Moravel", "Parametry zlewni"}));
    EXPECT_EQ(book["kinds"].toArray(), QJsonArray({"Chartsheet", "Worksheet", "Worksheet"}));
    EXPECT_EQ(book["active"].toString(), "Wykres Moravel");
    // openpyxl finds and parses the chart behind the chart sheet.
    EXPECT_EQ(book["chartsheetCharts"].toArray(), QJsonArray({1}));
    // The parts this program writes itself declare their encoding like the others.
    for (const QJsonValue declaration : book["declarations"].toObject())
        EXPECT_TRUE(declaration.toString().startsWith(R"(<?xml version="1.0" encoding="UTF-8")"))
            << declaration.toString().toStdString();
}

TEST_F(ReportWorkbook, ReportSheetHoldsTitleHeadersAndExactNumbersInAFrame)
{
    const ReportData data = Sample(24);
    const QJsonObject book = Write(data);
    const QJsonObject cells = Cells(book, "Raport Moravel");

    const QJsonObject title = cells["C2"].toObject();
    EXPECT_EQ(title["value"].toString(), "Hydrogram odplywu ze zlewni rzeki Wisła w przekroju Kraków");
    EXPECT_EQ(title["colour"].toString(), "FFFF0000");
    EXPECT_TRUE(title["bold"].toBool());
    EXPECT_EQ(title["size"].toDouble(), 12);

    const char* headers[4] = {"Czas", "Opad średni", "Opad efektywny", "Przepływ"};
    const char* units[4] = {"t [h]", "P [mm]", "H [mm]", "Q [m3/s]"};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(cells[Cell(1 + c, 5)]["value"].toString(), QString::fromUtf8(headers[c]));
        EXPECT_TRUE(cells[Cell(1 + c, 5)]["bold"].toBool());
        EXPECT_EQ(cells[Cell(1 + c, 6)]["value"].toString(), units[c]);
        EXPECT_FALSE(cells[Cell(1 + c, 6)]["bold"].toBool());
    }
    EXPECT_EQ(book["rich"]["Q [m3/s]"].toArray(),
              QJsonArray({QJsonArray{"Q [m", false}, QJsonArray{"3", true}, QJsonArray{"/s]", false}}));

    // The frame B5:E30: every cell centred with thin lines in the automatic colour.
    for (int row = 5; row <= 30; ++row)
        for (int column = 1; column <= 4; ++column)
            ExpectFramed(cells[Cell(column, row)].toObject(), Cell(column, row));
    EXPECT_FALSE(cells.contains("B31"));
    EXPECT_FALSE(HasBorder(cells["Z7"].toObject()));

    ASSERT_EQ(cells["C7"]["value"].toDouble(), 2.2999999523162842);
    for (int i = 1; i <= 24; ++i) {
        const int row = i + 6;
        const QJsonObject hour = cells[Cell(1, row)].toObject();
        EXPECT_EQ(hour["type"].toString(), "n");
        EXPECT_TRUE(hour["value"].isDouble());
        EXPECT_EQ(hour["value"].toDouble(), i);
        EXPECT_EQ(cells[Cell(2, row)]["value"].toDouble(), static_cast<double>(data.Rainfall[i])) << row;
        EXPECT_EQ(cells[Cell(3, row)]["value"].toDouble(), static_cast<double>(data.EffectiveRain[i])) << row;
        EXPECT_EQ(cells[Cell(4, row)]["value"].toDouble(), static_cast<double>(data.HydrographOrdinates[i])) << row;
        EXPECT_EQ(cells[Cell(25, row)]["value"].toDouble(),
                  static_cast<double>(static_cast<long double>(data.Rainfall[i]) - data.EffectiveRain[i]))
            << row;
        EXPECT_EQ(cells[Cell(2, row)]["format"].toString(), "General");
    }

    const QJsonObject widths = ReportWidths(book);
    for (const char* column : {"C", "D"}) {
        EXPECT_GE(widths[column].toDouble(), 15) << column;  // 15 characters plus the cell padding
        EXPECT_LT(widths[column].toDouble(), 16) << column;
    }
    EXPECT_FALSE(widths.contains("B"));
    EXPECT_FALSE(widths.contains("E"));
}

TEST_F(ReportWorkbook, ThousandHoursOfValuesReadBackExactly)
{
    const ReportData data = Sample(1000);
    const QJsonObject cells = Cells(Write(data), "Raport Moravel");
    int mismatches = 0;
    for (int i = 1; i <= 1000; ++i) {
        const int row = i + 6;
        mismatches += cells[Cell(2, row)]["value"].toDouble() != static_cast<double>(data.Rainfall[i]);
        mismatches += cells[Cell(3, row)]["value"].toDouble() != static_cast<double>(data.EffectiveRain[i]);
        mismatches += cells[Cell(4, row)]["value"].toDouble() != static_cast<double>(data.HydrographOrdinates[i]);
        mismatches += cells[Cell(25, row)]["value"].toDouble() !=
                      static_cast<double>(static_cast<long double>(data.Rainfall[i]) - data.EffectiveRain[i]);
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_TRUE(cells.contains("E1006"));
    EXPECT_FALSE(cells.contains("B1007"));
}

TEST_F(ReportWorkbook, EmptyHydrographGivesHeadersOnlyAndEmptyRanges)
{
    ReportData data = Sample(0);
    data.RiverName.clear();
    data.CrossSection.clear();
    const QJsonObject book = Write(data);
    const QJsonObject cells = Cells(book, "Raport Moravel");
    EXPECT_EQ(cells["C2"]["value"].toString(), "Hydrogram odplywu ze zlewni rzeki  w przekroju ");
    for (int column = 1; column <= 4; ++column) {
        ExpectFramed(cells[Cell(column, 5)].toObject(), Cell(column, 5));
        ExpectFramed(cells[Cell(column, 6)].toObject(), Cell(column, 6));
        EXPECT_FALSE(cells.contains(Cell(column, 7)));
    }
    EXPECT_FALSE(cells.contains("Z7"));

    const QJsonObject chart = book["chart"].toObject();
    EXPECT_EQ(chart["title"][0][0].toString(), "Hydrogram odplywu ze zlewni rzeki  w przekroju ");
    QStringList formulas;
    for (const QJsonValue group : chart["groups"].toArray())
        for (const QJsonValue series : group["series"].toArray()) {
            formulas << series["x"]["f"].toString() << series["y"]["f"].toString();
            EXPECT_EQ(series["y"]["count"].toInt(), 0);
        }
    EXPECT_EQ(formulas,
              QStringList({"'Raport Moravel'!$B$7:$B$6", "'Raport Moravel'!$D$7:$D$6", "'Raport Moravel'!$B$7:$B$6",
                           "'Raport Moravel'!$Z$7:$Z$6", "'Raport Moravel'!$B$7:$B$6", "'Raport Moravel'!$E$7:$E$6"}));
}

TEST_F(ReportWorkbook, ParametersSheetIsTextThroughout)
{
    const ReportData data = Sample(3);
    const QJsonObject book = Write(data);
    const QJsonObject cells = Cells(book, "Parametry zlewni");

    // A1:I38: every cell carries the text format; every value is a string.
    for (int row = 1; row <= 38; ++row)
        for (int column = 0; column < 9; ++column) {
            const QString where = Cell(column, row);
            ASSERT_TRUE(cells.contains(where)) << where.toStdString();
            EXPECT_EQ(cells[where]["format"].toString(), "@") << where.toStdString();
            const QJsonValue value = cells[where]["value"];
            EXPECT_TRUE(value.isNull() || (value.isString() && cells[where]["type"] == "s")) << where.toStdString();
        }
    EXPECT_FALSE(cells.contains("J1"));
    EXPECT_FALSE(cells.contains("A39"));

    const struct {
        const char* cell;
        const char* text;
    } expected[] = {
        {"E3", "SPOSÓB UŻYTKOWANIA ZLEWNI [km2]"},
        {"F5", "A"},
        {"I5", "D"},
        {"E6", "Ziemia uprawna bez upraw rzędowych"},
        {"E26", "Inne"},
        {"F6", "0,0"},
        {"I26", "20,3"},
        {"E28", "Powierzchnia zlewni A="},
        {"F28", "?"},
        {"G28", "km2"},
        {"E30", "Wskaźniki Hortona-Strahlera"},
        {"E31", "RB="},
        {"F31", "4,2"},
        {"E32", "RL="},
        {"F32", "2,1"},
        {"E33", "RA="},
        {"F33", "4,5"},
        {"E35", "Spadek cieku najwyższego rzędu So="},
        {"F35", "0,0024"},
        {"E36", "Długość cieku najwyższego rzędu L="},
        {"F36", "12"},
        {"G36", "km"},
        {"E37", "Szerokość koryta zastępczego b="},
        {"G37", "m"},
        {"E38", "Współczynnik szorstkości Manninga n="},
        {"F38", "0,015"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(cells[e.cell]["value"].toString(), QString::fromUtf8(e.text)) << e.cell;
    // Empty texts leave empty cells.
    EXPECT_TRUE(cells["F37"]["value"].isNull());
    EXPECT_TRUE(cells["G9"]["value"].isNull());
    for (const char* empty : {"E27", "E29", "E34", "G35", "G38"})
        EXPECT_TRUE(cells[empty]["value"].isNull()) << empty;

    // Raised "2" of km2 and m2.
    const QJsonObject rich = book["rich"].toObject();
    const auto raisedLast = [&rich](const char* text) {
        const QJsonArray runs = rich[QString::fromUtf8(text)].toArray();
        return runs.size() >= 2 && runs.last()[0] == "2" && runs.last()[1].toBool() && !runs.first()[1].toBool();
    };
    EXPECT_TRUE(raisedLast("Tereny mieszkalne, obszar ok. 500m2"));
    for (const char* text : {"obszar ok. 1000 m2", "obszar ok. 1300 m2", "obszar ok. 2000 m2", "obszar ok. 4000 m2"})
        EXPECT_TRUE(raisedLast(text)) << text;
    EXPECT_EQ(rich["km2"].toArray(), QJsonArray({QJsonArray{"km", false}, QJsonArray{"2", true}}));
    EXPECT_EQ(rich[QString::fromUtf8("SPOSÓB UŻYTKOWANIA ZLEWNI [km2]")].toArray()[1], QJsonArray({"2", true}));

    // Labels right, soil groups centred, the land-use block centred and framed.
    for (int row = 6; row <= 38; ++row)
        EXPECT_EQ(cells[Cell(4, row)]["align"].toString(), "right") << row;
    for (int column = 5; column <= 8; ++column) {
        EXPECT_EQ(cells[Cell(column, 5)]["align"].toString(), "center");
        EXPECT_FALSE(HasBorder(cells[Cell(column, 5)].toObject()));
        for (int row = 6; row <= 26; ++row)
            ExpectFramed(cells[Cell(column, row)].toObject(), Cell(column, row));
        EXPECT_FALSE(HasBorder(cells[Cell(column, 27)].toObject()));
    }
    EXPECT_TRUE(cells["F28"]["align"].isNull());
}

QJsonObject Axis(const QJsonObject& chart, const QString& id)
{
    for (const QJsonValue axis : chart["axes"].toArray())
        if (axis["id"].toString() == id)
            return axis.toObject();
    return {};
}

TEST_F(ReportWorkbook, ChartCombinesStackedRainfallColumnsWithTheSmoothHydrograph)
{
    const ReportData data = Sample(24);
    const QJsonObject chart = Write(data)["chart"].toObject();

    EXPECT_EQ(chart["title"].toArray(),
              QJsonArray({QJsonArray{"Hydrogram odplywu ze zlewni rzeki Wisła w przekroju Kraków", "1000", "0",
                                     QJsonValue()}}));
    EXPECT_EQ(chart["legendPos"].toString(), "b");
    EXPECT_TRUE(chart["plotAreaNoFill"].toBool());
    EXPECT_TRUE(chart["plotAreaNoLine"].toBool());

    const QJsonArray groups = chart["groups"].toArray();
    ASSERT_EQ(groups.size(), 2);
    const QJsonObject columns = groups[0].toObject();
    const QJsonObject line = groups[1].toObject();
    EXPECT_EQ(columns["type"].toString(), "barChart");
    EXPECT_EQ(columns["barDir"].toString(), "col");
    EXPECT_EQ(columns["grouping"].toString(), "stacked");
    EXPECT_EQ(columns["overlap"].toString(), "100");
    EXPECT_EQ(line["type"].toString(), "scatterChart");
    EXPECT_EQ(line["scatterStyle"].toString(), "smoothMarker");

    struct Expected {
        QJsonObject series;
        int order;
        const char* name;
        const char* y;
    };
    const QJsonArray bars = columns["series"].toArray();
    ASSERT_EQ(bars.size(), 2);
    ASSERT_EQ(line["series"].toArray().size(), 1);
    const Expected all[3] = {{bars[0].toObject(), 0, "Opad efektywny", "'Raport Moravel'!$D$7:$D$30"},
                             {bars[1].toObject(), 1, "Opad calkowity", "'Raport Moravel'!$Z$7:$Z$30"},
                             {line["series"][0].toObject(), 2, "Hydrogram", "'Raport Moravel'!$E$7:$E$30"}};
    for (const Expected& e : all) {
        EXPECT_EQ(e.series["idx"].toInt(), e.order);
        EXPECT_EQ(e.series["order"].toInt(), e.order);
        EXPECT_EQ(e.series["name"].toString(), e.name);
        EXPECT_EQ(e.series["x"]["f"].toString(), "'Raport Moravel'!$B$7:$B$30");
        EXPECT_EQ(e.series["y"]["f"].toString(), e.y);
        EXPECT_EQ(e.series["x"]["count"].toInt(), 24);
        EXPECT_EQ(e.series["y"]["count"].toInt(), 24);
    }
    // Cached values equal the cells.
    EXPECT_EQ(all[0].series["y"]["cache"][4].toDouble(), static_cast<double>(data.EffectiveRain[5]));
    EXPECT_EQ(all[2].series["y"]["cache"][23].toDouble(), static_cast<double>(data.HydrographOrdinates[24]));
    EXPECT_EQ(all[2].series["x"]["cache"][23].toDouble(), 24);
    // The hydrograph: smooth blue medium line, no markers.
    EXPECT_EQ(all[2].series["smooth"].toString(), "1");
    EXPECT_EQ(all[2].series["marker"].toString(), "none");
    EXPECT_EQ(all[2].series["lineColour"].toString(), "0000FF");
    EXPECT_EQ(all[2].series["lineWidth"].toString(), "28575");

    // Primary axes for the line, secondary for the columns.
    const QJsonArray lineAxes = line["axIds"].toArray();
    const QJsonArray columnAxes = columns["axIds"].toArray();
    const QJsonObject time = Axis(chart, lineAxes[0].toString());
    const QJsonObject discharge = Axis(chart, lineAxes[1].toString());
    const QJsonObject time2 = Axis(chart, columnAxes[0].toString());
    const QJsonObject rainfall = Axis(chart, columnAxes[1].toString());
    EXPECT_EQ(chart["axes"].toArray().size(), 4);

    EXPECT_EQ(time["type"].toString(), "valAx");
    EXPECT_EQ(time["pos"].toString(), "b");
    EXPECT_EQ(time["min"].toString(), "0");
    EXPECT_TRUE(time["max"].isNull());
    EXPECT_EQ(time["crossAx"], discharge["id"]);
    EXPECT_EQ(time["title"].toArray(), QJsonArray({QJsonArray{"Czas t [h]", "1000", "0", QJsonValue()}}));

    EXPECT_EQ(discharge["type"].toString(), "valAx");
    EXPECT_EQ(discharge["pos"].toString(), "l");
    EXPECT_EQ(discharge["crossAx"], time["id"]);
    EXPECT_EQ(discharge["title"].toArray(),
              QJsonArray({QJsonArray{"Przeplyw Q [m", "1000", "0", QJsonValue()}, QJsonArray{"3", "1000", "0", "30000"},
                          QJsonArray{"/s]", "1000", "0", QJsonValue()}}));

    EXPECT_EQ(time2["type"].toString(), "catAx");
    EXPECT_EQ(time2["delete"].toString(), "0");
    EXPECT_EQ(time2["crossAx"], rainfall["id"]);
    EXPECT_EQ(time2["crossesAt"].toString(), "0");  // the columns stand on rainfall 0
    EXPECT_EQ(time2["tickLblSkip"].toString(), "100");
    EXPECT_EQ(time2["tickMarkSkip"].toString(), "10");
    EXPECT_EQ(time2["tickLblPos"].toString(), "none");  // the hours are labelled on the primary axis
    EXPECT_EQ(time["tickLblPos"].toString(), "nextTo");

    EXPECT_EQ(rainfall["type"].toString(), "valAx");
    EXPECT_EQ(rainfall["pos"].toString(), "r");
    EXPECT_EQ(rainfall["crossAx"], time2["id"]);
    EXPECT_EQ(rainfall["crosses"].toString(), "max");
    EXPECT_EQ(rainfall["majorUnit"].toString(), "1");
    EXPECT_EQ(rainfall["title"].toArray(), QJsonArray({QJsonArray{"Opad [mm]", "1000", "0", QJsonValue()}}));

    for (const QJsonObject& axis : {time, discharge, time2, rainfall}) {
        EXPECT_EQ(axis["orientation"].toString(), "minMax");
        EXPECT_TRUE(axis["log"].isNull());
        EXPECT_EQ(axis["delete"].toString(), "0");
    }
}

// A long series is linked to its rows without cached values (they would make most of the
// workbook); up to the bound the chart keeps them. Either way every range spans the rows and
// the rows are all written, the last one included.
TEST_F(ReportWorkbook, LongSeriesAreLinkedToTheirRowsWithoutCachedValues)
{
    for (const int hours : {kLongestCachedChartSeries, kLongestCachedChartSeries + 1}) {
        SCOPED_TRACE(hours);
        ReportData data = Sample(24);
        data.HydrographLength = hours;
        data.HydrographOrdinates.assign(static_cast<std::size_t>(hours) + 1, 0.0f);
        for (int i = 1; i <= hours; ++i)
            data.HydrographOrdinates[i] = 0.1f * static_cast<float>(i % 977);
        const QJsonObject book = Write(data);
        const bool cached = hours <= kLongestCachedChartSeries;
        const QString last = QString::number(hours + 6);

        int seriesCount = 0;
        for (const QJsonValue group : book["chart"]["groups"].toArray())
            for (const QJsonValue series : group["series"].toArray()) {
                ++seriesCount;
                for (const char* axis : {"x", "y"}) {
                    const QJsonObject range = series[QLatin1String(axis)].toObject();
                    const QString formula = range["f"].toString();
                    EXPECT_TRUE(formula.startsWith("'Raport Moravel'!$") && formula.contains("$7:$") &&
                                formula.endsWith("$" + last))
                        << formula.toStdString();
                    EXPECT_EQ(range["cached"].toBool(), cached) << axis;
                    EXPECT_EQ(range["cache"].toArray().size(), cached ? hours : 0) << axis;
                    if (cached)
                        EXPECT_EQ(range["count"].toInt(), hours) << axis;
                }
            }
        EXPECT_EQ(seriesCount, 3);

        const QJsonObject cells = Cells(book, "Raport Moravel");
        EXPECT_EQ(cells["B" + last]["value"].toDouble(), hours);
        EXPECT_EQ(cells["E" + last]["value"].toDouble(), static_cast<double>(data.HydrographOrdinates[hours]));
        EXPECT_EQ(cells["C" + last]["value"].toDouble(), 0.0);
        EXPECT_FALSE(cells.contains("B" + QString::number(hours + 7)));
    }
}

TEST_F(ReportWorkbook, AxisScalesFollowTheRoundedPeaks)
{
    const struct {
        int peak;
        int rainfall;
        const char* dischargeMax;
        const char* rainfallMin;
        const char* rainfallMax;
    } cases[] = {
        {30, 4, "41", "-12", "5"},
        {10, 0, "14.333333333333334", "0", "1"},
        {0, 7, "1", "-21", "8"},
    };
    for (const auto& c : cases) {
        ReportData data = Sample(5);
        data.PeakDischargeRounded = c.peak;
        data.RainfallMaxRounded = c.rainfall;
        const QJsonObject chart = Write(data)["chart"].toObject();
        const QJsonArray groups = chart["groups"].toArray();
        const QJsonObject discharge = Axis(chart, groups[1]["axIds"][1].toString());
        const QJsonObject rainfall = Axis(chart, groups[0]["axIds"][1].toString());
        EXPECT_EQ(discharge["min"].toString(), "0") << c.peak;
        EXPECT_EQ(discharge["max"].toString(), c.dischargeMax) << c.peak;
        EXPECT_EQ(rainfall["min"].toString(), c.rainfallMin) << c.rainfall;
        EXPECT_EQ(rainfall["max"].toString(), c.rainfallMax) << c.rainfall;
    }
    EXPECT_EQ(DischargeAxisMaximum(10), 14.333333333333334);
}

TEST_F(ReportWorkbook, NumbersStayReadableUnderADecimalCommaLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "pl_PL.UTF-8"))
        GTEST_SKIP() << "no pl_PL.UTF-8 locale on this system";
    ReportData data = Sample(4);
    QJsonObject book;
    try {
        book = Write(data);
    } catch (...) {
        std::setlocale(LC_NUMERIC, saved.c_str());
        throw;
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    const QJsonObject cells = Cells(book, "Raport Moravel");
    EXPECT_EQ(cells["C7"]["value"].toDouble(), 2.2999999523162842);
    const QJsonObject widths = ReportWidths(book);
    EXPECT_GT(widths["C"].toDouble(), 15);
}

TEST(ReportFiles, FailureNamesTheFile)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.xlsx")));
    // A folder that doesn't exist, and a name taken by a folder.
    for (const QString& path :
         {folder.filePath(QStringLiteral("brak/Raport.xlsx")), folder.filePath(QStringLiteral("folder.xlsx"))}) {
        try {
            WriteExcelReport(Sample(2), path);
            ADD_FAILURE() << "no error for " << path.toStdString();
        } catch (const Error& e) {
            EXPECT_TRUE(e.text().startsWith(QStringLiteral("Nie można zapisać raportu w pliku ") + path + ": "))
                << e.what();
        }
        EXPECT_FALSE(QFileInfo(path).isFile());
    }
    // No working files are left behind.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"folder.xlsx"}));

    ReportData tooLong = Sample(2);
    tooLong.HydrographLength = kReportCapacity + 1;
    EXPECT_THROW(WriteExcelReport(tooLong, folder.filePath(QStringLiteral("a.xlsx"))), Error);
}

// The series workbook is written through the same workbook skeleton as the report, with a
// message of its own around the same reasons.
TEST(ReportFiles, SeriesWorkbookFailureNamesTheFile)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.xlsx")));
    model::SeriesResult result;
    result.bandHours = 2;
    result.band = {{1, 2, 3, 4, 5}, {0.5, 1, 1.5, 2, 2.5}};
    result.realisations = {{true, 5, 2, 1000}, {}};
    for (const QString& path :
         {folder.filePath(QStringLiteral("brak/Seria.xlsx")), folder.filePath(QStringLiteral("folder.xlsx"))}) {
        try {
            WriteSeriesWorkbook(result, path);
            ADD_FAILURE() << "no error for " << path.toStdString();
        } catch (const Error& e) {
            EXPECT_TRUE(
                e.text().startsWith(QStringLiteral("Nie można zapisać pliku %1: nie można utworzyć pliku (").arg(path)))
                << e.what();
        }
        EXPECT_FALSE(QFileInfo(path).isFile());
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"folder.xlsx"}));
}

// A workbook named by a device (say /dev/null) is copied into it; the device stays a device.
TEST(ReportFiles, SeriesWorkbookIntoADeviceLeavesItADevice)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "device nodes can only be made by root; run the tests as root to cover them";
    QTemporaryDir folder;
    const QString null = folder.filePath(QStringLiteral("null.xlsx"));
    const QString full = folder.filePath(QStringLiteral("full.xlsx"));
    ASSERT_EQ(::mknod(QFile::encodeName(null).constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(QFile::encodeName(full).constData(), S_IFCHR | 0666, makedev(1, 7)), 0);
    model::SeriesResult result;
    result.bandHours = 2;
    result.band = {{1, 2, 3, 4, 5}, {0.5, 1, 1.5, 2, 2.5}};
    result.realisations = {{true, 5, 2, 1000}, {}};
    WriteSeriesWorkbook(result, null);
    try {
        WriteSeriesWorkbook(result, full);
        ADD_FAILURE() << "no error for a full device";
    } catch (const Error& e) {
        EXPECT_TRUE(
            e.text().startsWith(QStringLiteral("Nie można zapisać pliku %1: nie można utworzyć pliku (").arg(full)))
            << e.what();
    }
    for (const QString& device : {null, full}) {
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(device).constData(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode)) << device.toStdString();
    }
}

TEST(ReportFiles, EachReportGetsAFolderOfItsOwn)
{
    const QString first = NewReportFilePath();
    const QString second = NewReportFilePath();
    const QFileInfo a(first);
    const QFileInfo b(second);
    EXPECT_EQ(a.fileName(), "Raport Moravel.xlsx");
    EXPECT_NE(a.absolutePath(), b.absolutePath());
    for (const QFileInfo& f : {a, b}) {
        EXPECT_TRUE(QFileInfo(f.absolutePath()).isDir());
        EXPECT_TRUE(f.dir().dirName().startsWith("moravel-raport-"));
        EXPECT_EQ(QFileInfo(f.dir().absolutePath()).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    }
    WriteExcelReport(Sample(1), first);
    EXPECT_TRUE(QFileInfo::exists(first));
    QDir(a.absolutePath()).removeRecursively();
    QDir(b.absolutePath()).removeRecursively();
}

TEST(ReportFiles, TemporaryFolderThatIsNoFolderIsNamedAndNothingIsMadeElsewhere)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString plainFile = scratch.filePath(QStringLiteral("plik"));
    {
        QFile f(plainFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const bool wasSet = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray saved = qgetenv("TMPDIR");
    const auto restore = [&] {
        if (wasSet)
            qputenv("TMPDIR", saved);
        else
            qunsetenv("TMPDIR");
    };
    // Only the report folders are compared: other programs may change the root meanwhile.
    const auto reportFoldersInRoot = [] {
        return QDir(QStringLiteral("/"))
            .entryList({QStringLiteral("moravel-raport-*")}, QDir::AllEntries | QDir::Hidden);
    };
    const QStringList rootBefore = reportFoldersInRoot();
    for (const QString& named : {scratch.filePath(QStringLiteral("brak/folderu")), plainFile}) {
        SCOPED_TRACE(named.toStdString());
        qputenv("TMPDIR", named.toUtf8());
        QString error;
        try {
            (void)NewReportFilePath();
        } catch (const moravel::Error& e) {
            error = e.text();
        }
        EXPECT_EQ(error, QStringLiteral("Nie można utworzyć folderu raportu: folder tymczasowy %1 (zmienna TMPDIR) "
                                        "nie istnieje lub nie można w nim zapisywać")
                             .arg(named));
    }
    restore();
    EXPECT_EQ(reportFoldersInRoot(), rootBefore);
    EXPECT_EQ(QDir(scratch.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("plik")});

    // A folder that exists is taken.
    qputenv("TMPDIR", scratch.path().toUtf8());
    const QString path = NewReportFilePath();
    restore();
    EXPECT_TRUE(path.startsWith(scratch.path() + QStringLiteral("/moravel-raport-"))) << path.toStdString();
}

TEST(ReportFiles, DataComeFromTheComputationState)
{
    model::ComputationState state;
    state.HydrographLength = 3;
    state.Rainfall[3] = 1.5f;
    state.EffectiveRain[2] = 0.25f;
    state.HydrographOrdinates[1000] = 7;
    state.PeakDischargeRounded = 12;
    state.RainfallMaxRounded = 2;
    const ReportData data = ReportDataFromState(state);
    EXPECT_EQ(data.HydrographLength, 3);
    EXPECT_EQ(data.Rainfall[3], 1.5f);
    EXPECT_EQ(data.EffectiveRain[2], 0.25f);
    EXPECT_EQ(data.HydrographOrdinates[1000], 7.0f);
    EXPECT_EQ(data.PeakDischargeRounded, 12);
    EXPECT_EQ(data.RainfallMaxRounded, 2);
}

}  // namespace
}  // namespace moravel::report
