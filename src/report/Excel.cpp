#include "report/Excel.h"

#include "files/SafeWrite.h"
#include "report/ChartXml.h"
#include "report/ReportPackage.h"
#include "report/XlsxWorkbook.h"
#include "model/State.h"
#include "text/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <functional>
#include <optional>

namespace moravel::report {

namespace {

const char* const kChartSheetName = "Wykres Moravel";
const char* const kReportSheetName = "Raport Moravel";
const char* const kParametersSheetName = "Parametry zlewni";
const QString kReportSheetPart = QStringLiteral("xl/worksheets/sheet1.xml");
const QString kChartPart = QStringLiteral("xl/charts/chart1.xml");

// Rows and columns, 0-based, of "Raport Moravel": headers in rows 5-6, hour i in row i + 6.
constexpr int kFirstDataRow = 6;
constexpr int kColumnHour = 1;       // B
constexpr int kColumnRainfall = 2;   // C
constexpr int kColumnEffective = 3;  // D
constexpr int kColumnDischarge = 4;  // E
constexpr int kColumnExcess = 25;    // Z: rainfall minus effective rainfall, for the chart only
constexpr double kWideColumn = 15;

// "Parametry zlewni" holds text in A1:I38.
constexpr int kParameterRows = 38;
constexpr int kParameterColumns = 9;

double Widened(float value)
{
    return static_cast<double>(value);
}

// An hourly rainfall value of hour i; hours past the arrays had none.
float Hourly(const std::array<float, kReportCapacity + 1>& values, int i)
{
    return i <= kReportCapacity ? values[static_cast<std::size_t>(i)] : 0.0f;
}

// The part of each column's rainfall that did not become effective rainfall, worked out in
// extended precision and stored as a double.
double RainfallExcess(float rainfall, float effective)
{
    return static_cast<double>(static_cast<long double>(rainfall) - static_cast<long double>(effective));
}

// A text in a cell, with at most one raised character (1-based position, 0 for none).
struct CellText {
    QString text;
    int superscriptAt = 0;
};

QString RangeFormula(char column, int lastRow)
{
    return QStringLiteral("'%1'!$%2$7:$%2$%3").arg(QString::fromUtf8(kReportSheetName)).arg(QChar(column)).arg(lastRow);
}

class ReportWriter {
public:
    ReportWriter(const ReportData& data, const QString& target, const QString& workFile)
        : data_(data), book_(
                           workFile, [target](const QString& reason) { return ReportWriteErrorText(target, reason); },
                           XlsxWorkbook::Memory::Constant)
    {
    }

    void Write()
    {
        MakeFormats();
        // The chart sheet comes first and is the one on show.
        lxw_chartsheet* chartSheet = workbook_add_chartsheet(book_.Get(), kChartSheetName);
        lxw_worksheet* report = workbook_add_worksheet(book_.Get(), kReportSheetName);
        lxw_worksheet* parameters = workbook_add_worksheet(book_.Get(), kParametersSheetName);
        if (!chartSheet || !report || !parameters)
            Fail(QStringLiteral("nie można dodać arkusza"));

        WriteReportSheet(report);
        WriteParametersSheet(parameters);
        WritePlaceholderChart(chartSheet);
        book_.Close();
    }

private:
    [[noreturn]] void Fail(const QString& reason) const { book_.Fail(reason); }
    void Check(lxw_error error) const { book_.Check(error); }
    lxw_format* NewFormat() { return book_.NewFormat(); }
    static void Frame(lxw_format* format)
    {
        format_set_align(format, LXW_ALIGN_CENTER);
        format_set_border(format, LXW_BORDER_THIN);  // thin lines in the automatic colour
    }

    void MakeFormats()
    {
        title_ = NewFormat();
        format_set_font_color(title_, LXW_COLOR_RED);
        format_set_bold(title_);
        format_set_font_size(title_, 12);

        boldFramed_ = NewFormat();
        format_set_bold(boldFramed_);
        Frame(boldFramed_);
        framed_ = NewFormat();
        Frame(framed_);

        superscript_ = NewFormat();
        format_set_font_script(superscript_, LXW_FONT_SUPERSCRIPT);

        const auto textFormat = [this] {
            lxw_format* format = NewFormat();
            format_set_num_format(format, "@");
            return format;
        };
        text_ = textFormat();
        textRight_ = textFormat();
        format_set_align(textRight_, LXW_ALIGN_RIGHT);
        textCentred_ = textFormat();
        format_set_align(textCentred_, LXW_ALIGN_CENTER);
        textFramed_ = textFormat();
        Frame(textFramed_);
    }

    // A text, raised at one character when asked. Empty texts leave the cell empty but
    // formatted, as an empty edit gives an empty cell.
    void WriteText(lxw_worksheet* sheet, int row, int column, const CellText& cell, lxw_format* format)
    {
        if (cell.text.isEmpty()) {
            if (format)
                Check(worksheet_write_blank(sheet, row, column, format));
            return;
        }
        if (cell.superscriptAt <= 0 || cell.superscriptAt > cell.text.size()) {
            Check(worksheet_write_string(sheet, row, column, cell.text.toUtf8().constData(), format));
            return;
        }
        const int at = cell.superscriptAt - 1;
        const QByteArray parts[3] = {cell.text.left(at).toUtf8(), cell.text.mid(at, 1).toUtf8(),
                                     cell.text.mid(at + 1).toUtf8()};
        lxw_rich_string_tuple fragments[3];
        lxw_rich_string_tuple* list[4] = {};
        int count = 0;
        for (int i = 0; i < 3; ++i) {
            if (parts[i].isEmpty())
                continue;
            fragments[count] = {i == 1 ? superscript_ : nullptr, const_cast<char*>(parts[i].constData())};
            list[count] = &fragments[count];
            ++count;
        }
        Check(worksheet_write_rich_string(sheet, row, column, list, format));
    }

    void WriteReportSheet(lxw_worksheet* sheet)
    {
        const int L = data_.HydrographLength;
        Check(worksheet_set_column(sheet, kColumnRainfall, kColumnEffective, kWideColumn, nullptr));
        WriteText(sheet, 1, 2, {ReportTitle(data_.RiverName, data_.CrossSection)}, title_);

        const char* const headers[4] = {"Czas", "Opad średni", "Opad efektywny", "Przepływ"};
        const CellText units[4] = {{QStringLiteral("t [h]")},
                                   {QStringLiteral("P [mm]")},
                                   {QStringLiteral("H [mm]")},
                                   {QStringLiteral("Q [m3/s]"), 5}};
        // Row by row: the workbook writes each row out once a later one is begun.
        for (int c = 0; c < 4; ++c)
            Check(worksheet_write_string(sheet, 4, kColumnHour + c, headers[c], boldFramed_));
        for (int c = 0; c < 4; ++c)
            WriteText(sheet, 5, kColumnHour + c, units[c], framed_);

        for (int i = 1; i <= L; ++i) {
            const int row = kFirstDataRow + i - 1;
            Check(worksheet_write_number(sheet, row, kColumnHour, i, framed_));
            Check(worksheet_write_number(sheet, row, kColumnRainfall, Widened(Hourly(data_.Rainfall, i)), framed_));
            Check(
                worksheet_write_number(sheet, row, kColumnEffective, Widened(Hourly(data_.EffectiveRain, i)), framed_));
            Check(worksheet_write_number(sheet, row, kColumnDischarge, Widened(data_.HydrographOrdinates[i]), framed_));
            Check(worksheet_write_number(sheet, row, kColumnExcess,
                                         RainfallExcess(Hourly(data_.Rainfall, i), Hourly(data_.EffectiveRain, i)),
                                         nullptr));
        }
    }

    // The format of a cell of "Parametry zlewni": text everywhere, labels right-aligned,
    // soil groups centred, the land-use table centred and framed.
    lxw_format* ParameterFormat(int row, int column) const
    {
        if (column == 4 && row >= 5)
            return textRight_;  // E6:E38
        if (column >= 5 && row == 4)
            return textCentred_;  // F5:I5
        if (column >= 5 && row >= 5 && row <= 25)
            return textFramed_;  // F6:I26
        return text_;
    }

    void WriteParametersSheet(lxw_worksheet* sheet)
    {
        CellText cells[kParameterRows][kParameterColumns];
        const auto put = [&cells](const char* address, CellText text) {
            const int column = address[0] - 'A';
            const int row = QByteArray(address + 1).toInt() - 1;
            cells[row][column] = std::move(text);
        };
        put("E3", {QStringLiteral("SPOSÓB UŻYTKOWANIA ZLEWNI [km2]"), 30});
        put("F5", {QStringLiteral("A")});
        put("G5", {QStringLiteral("B")});
        put("H5", {QStringLiteral("C")});
        put("I5", {QStringLiteral("D")});
        for (int r = 0; r < model::kLandUseRows; ++r) {
            cells[5 + r][4] = {QString::fromUtf8(model::kLandUseClasses[r].label),
                               model::kLandUseClasses[r].raisedCharacter};
            for (int c = 0; c < 4; ++c)
                cells[5 + r][5 + c] = {data_.LandUse[r][c]};
        }
        put("E28", {QStringLiteral("Powierzchnia zlewni A=")});
        put("F28", {data_.CatchmentArea});
        put("G28", {QStringLiteral("km2"), 3});
        put("E30", {QStringLiteral("Wskaźniki Hortona-Strahlera")});
        put("E31", {QStringLiteral("RB=")});
        put("F31", {data_.RB});
        put("E32", {QStringLiteral("RL=")});
        put("F32", {data_.RL});
        put("E33", {QStringLiteral("RA=")});
        put("F33", {data_.RA});
        put("E35", {QStringLiteral("Spadek cieku najwyższego rzędu So=")});
        put("F35", {data_.So});
        put("E36", {QStringLiteral("Długość cieku najwyższego rzędu L=")});
        put("F36", {data_.Lo});
        put("G36", {QStringLiteral("km")});
        put("E37", {QStringLiteral("Szerokość koryta zastępczego b=")});
        put("F37", {data_.b});
        put("G37", {QStringLiteral("m")});
        put("E38", {QStringLiteral("Współczynnik szorstkości Manninga n=")});
        put("F38", {data_.n});

        // Every cell of A1:I38 carries the text format, written or not.
        for (int row = 0; row < kParameterRows; ++row)
            for (int column = 0; column < kParameterColumns; ++column)
                WriteText(sheet, row, column, cells[row][column], ParameterFormat(row, column));
    }

    // The library can't draw a combined chart with secondary axes; it writes a simple chart
    // here (so that the sheet, its drawing and their relations are in place), whose part is
    // then replaced by the complete chart.
    void WritePlaceholderChart(lxw_chartsheet* chartSheet)
    {
        lxw_chart* chart = workbook_add_chart(book_.Get(), LXW_CHART_SCATTER_SMOOTH);
        if (!chart)
            Fail(QStringLiteral("nie można dodać wykresu"));
        const QByteArray x = ('=' + RangeFormula('B', 7)).toUtf8();
        const QByteArray y = ('=' + RangeFormula('E', 7)).toUtf8();
        if (!chart_add_series(chart, x.constData(), y.constData()))
            Fail(QStringLiteral("nie można dodać serii"));
        Check(chartsheet_set_chart(chartSheet, chart));
        chartsheet_activate(chartSheet);
    }

    const ReportData& data_;
    XlsxWorkbook book_;
    lxw_format* title_ = nullptr;
    lxw_format* boldFramed_ = nullptr;
    lxw_format* framed_ = nullptr;
    lxw_format* superscript_ = nullptr;
    lxw_format* text_ = nullptr;
    lxw_format* textRight_ = nullptr;
    lxw_format* textCentred_ = nullptr;
    lxw_format* textFramed_ = nullptr;
};

ChartRange SeriesRange(char column, int L, const std::function<double(int)>& value)
{
    ChartRange range{RangeFormula(column, L + kFirstDataRow), L <= kLongestCachedChartSeries, {}};
    if (!range.cached)
        return range;
    range.cache.reserve(static_cast<std::size_t>(L));
    for (int i = 1; i <= L; ++i)
        range.cache.push_back(value(i));
    return range;
}

HydrographChartSpec ChartSpec(const ReportData& data)
{
    const int L = data.HydrographLength;
    HydrographChartSpec chartSpec;
    chartSpec.title = ReportTitle(data.RiverName, data.CrossSection);
    chartSpec.hours = SeriesRange('B', L, [](int i) { return i; });
    chartSpec.effectiveRain = SeriesRange('D', L, [&data](int i) { return Widened(Hourly(data.EffectiveRain, i)); });
    chartSpec.rainfallExcess = SeriesRange(
        'Z', L, [&data](int i) { return RainfallExcess(Hourly(data.Rainfall, i), Hourly(data.EffectiveRain, i)); });
    chartSpec.discharge = SeriesRange('E', L, [&data](int i) { return Widened(data.HydrographOrdinates[i]); });
    chartSpec.dischargeMaximum = DischargeAxisMaximum(data.PeakDischargeRounded);
    chartSpec.rainfallMinimum = RainfallAxisMinimum(data.RainfallMaxRounded);
    chartSpec.rainfallMaximum = RainfallAxisMaximum(data.RainfallMaxRounded);
    return chartSpec;
}

// The exact double of each number of "Raport Moravel".
std::optional<double> ReportNumber(const ReportData& data, int row, int column)
{
    const int i = row - kFirstDataRow + 1;
    if (i < 1 || i > data.HydrographLength)
        return std::nullopt;
    switch (column) {
        case kColumnHour:
            return i;
        case kColumnRainfall:
            return Widened(Hourly(data.Rainfall, i));
        case kColumnEffective:
            return Widened(Hourly(data.EffectiveRain, i));
        case kColumnDischarge:
            return Widened(data.HydrographOrdinates[i]);
        case kColumnExcess:
            return RainfallExcess(Hourly(data.Rainfall, i), Hourly(data.EffectiveRain, i));
        default:
            return std::nullopt;
    }
}

}  // namespace

ReportData ReportDataFromState(const model::ComputationState& state)
{
    ReportData data;
    data.HydrographLength = state.HydrographLength;
    std::copy(std::begin(state.Rainfall), std::end(state.Rainfall), data.Rainfall.begin());
    std::copy(std::begin(state.EffectiveRain), std::end(state.EffectiveRain), data.EffectiveRain.begin());
    data.HydrographOrdinates = state.HydrographOrdinates;
    data.PeakDischargeRounded = state.PeakDischargeRounded;
    data.RainfallMaxRounded = state.RainfallMaxRounded;
    return data;
}

QString ReportTitle(const QString& riverName, const QString& crossSection)
{
    return QStringLiteral("Hydrogram odplywu ze zlewni rzeki ") + riverName + QStringLiteral(" w przekroju ") +
           crossSection;
}

double DischargeAxisMaximum(int peakDischargeRounded)
{
    return static_cast<double>(static_cast<long double>(peakDischargeRounded) * 1.3333333333333333334L + 1.0L);
}

double RainfallAxisMinimum(int rainfallMaxRounded)
{
    return -3.0 * rainfallMaxRounded;
}

double RainfallAxisMaximum(int rainfallMaxRounded)
{
    return rainfallMaxRounded + 1.0;
}

void WriteExcelReport(const ReportData& data, const QString& path)
{
    if (data.HydrographLength < 0 || data.HydrographLength > model::kMaxHydrographLength ||
        static_cast<std::size_t>(data.HydrographLength) >= data.HydrographOrdinates.size())
        throw Error(ReportWriteErrorText(
            path, QStringLiteral("nieprawidłowa długość hydrogramu %1").arg(data.HydrographLength)));

    // The library writes a working package next to the report; it is then copied into the
    // report with the chart and the exact numbers put in.
    QTemporaryFile work(QFileInfo(path).absolutePath() + QStringLiteral("/.moravel-raport-XXXXXX.xlsx"));
    if (!work.open())
        throw Error(
            ReportWriteErrorText(path, QStringLiteral("nie można utworzyć pliku (%1)").arg(work.errorString())));
    work.close();
    ReportWriter(data, path, work.fileName()).Write();

    const QByteArray chart = HydrographChartXml(ChartSpec(data));
    const std::vector<PackageEdit> edits = {
        {kChartPart, [&chart](const QByteArray&) { return chart; }, {}},
        {kReportSheetPart,
         {},
         [&data](const PartReader& sheet, const PartWriter& out) {
             WriteWithExactNumbers(sheet, out,
                                   [&data](int row, int column) { return ReportNumber(data, row, column); });
         }},
    };
    // The package is copied into a temporary that the program's one writer puts in place.
    std::optional<files::SafeFile> report;
    const auto putInPlace = [&path](const std::function<void()>& step) {
        try {
            step();
        } catch (const Error&) {
            throw Error(ReportWriteErrorText(path, QStringLiteral("nie można utworzyć pliku")));
        }
    };
    putInPlace([&] { report.emplace(path, files::SafeFile::Writer::Library); });
    RewritePackage(work.fileName(), report->WorkPath(), edits);
    putInPlace([&] { report->Commit(); });
}

QString NewReportFilePath()
{
    // The user's temporary folder, and only while it is a folder that takes new files: Qt
    // names no folder at all for a TMPDIR that does not exist, and the report's folder would
    // then be made in the file-system root.
    const QString temporary = QDir::tempPath();
    const QFileInfo info(temporary);
    if (temporary.isEmpty() || !info.isDir() || !info.isWritable()) {
        const QString variable = qEnvironmentVariable("TMPDIR");
        const QString named = temporary.isEmpty() ? variable : temporary;
        throw Error(QStringLiteral("Nie można utworzyć folderu raportu: folder tymczasowy %1%2 nie istnieje "
                                   "lub nie można w nim zapisywać")
                        .arg(QDir::toNativeSeparators(named),
                             variable.isEmpty() ? QString() : QStringLiteral(" (zmienna TMPDIR)")));
    }
    QTemporaryDir folder(temporary + QStringLiteral("/moravel-raport-XXXXXX"));
    if (!folder.isValid())
        throw Error(QStringLiteral("Nie można utworzyć folderu raportu w %1: %2")
                        .arg(QDir::toNativeSeparators(temporary), folder.errorString()));
    folder.setAutoRemove(false);
    return folder.filePath(QStringLiteral("Raport Moravel.xlsx"));
}

}  // namespace moravel::report
