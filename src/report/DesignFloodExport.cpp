#include "report/DesignFloodExport.h"

#include "report/XlsxWorkbook.h"
#include "text/NumText.h"

#include <xlsxwriter.h>

#include <algorithm>

namespace moravel::report {

const std::array<QString, 7> kDesignFloodParameterNames = {
    QStringLiteral("RB"),      QStringLiteral("RL"),    QStringLiteral("RA"), QStringLiteral("So"),
    QStringLiteral("Lo [km]"), QStringLiteral("b [m]"), QStringLiteral("n")};

QString DesignFloodProbabilityNote()
{
    return QStringLiteral(
        "Prawdopodobieństwo przewyższenia dotyczy opadu. Przyjęcie, że przepływ ma to samo "
        "prawdopodobieństwo co opad, jest założeniem metody.");
}

QString DesignFloodShapeText(model::StormShape shape, int peakIndex)
{
    QString text = model::StormShapeName(shape);
    if (shape == model::StormShape::AlternatingBlock)
        text += QStringLiteral(", szczyt w %1").arg(model::AlternatingPeakShareText(peakIndex));
    return text;
}

QString DesignFloodSourceText(const QString& durationsText)
{
    return QStringLiteral("tabela wysokości opadu dla czasów trwania %1 h").arg(durationsText);
}

std::vector<int> DrawnDesignFloodRows(const model::DesignFloodResult& result, bool criticalDuration)
{
    if (criticalDuration)
        return model::CriticalRows(result);
    std::vector<int> rows(result.rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<int>(i);
    return rows;
}

QStringList DesignFloodTableHeaders(bool criticalDuration)
{
    QStringList headers{QStringLiteral("p [%]"),
                        QStringLiteral("Czas trwania [h]"),
                        QStringLiteral("Opad P [mm]"),
                        QStringLiteral("Opad efektywny [mm] (mediana)"),
                        QStringLiteral("Qmax mediana [m³/s]"),
                        QStringLiteral("Qmax 5 % [m³/s]"),
                        QStringLiteral("Qmax 95 % [m³/s]"),
                        QStringLiteral("Czas do szczytu [h] (mediana)"),
                        QStringLiteral("Objętość [tys. m³] (mediana)"),
                        QStringLiteral("Realizacje policzone")};
    if (criticalDuration)
        headers << QStringLiteral("Czas krytyczny");
    return headers;
}

QStringList DesignFloodTableRow(const model::DesignFloodRow& row, bool critical, bool criticalDuration,
                                QChar decimalSeparator)
{
    const auto number = [decimalSeparator](double v, int decimals) {
        return text::FormatDecimals(v, decimals, decimalSeparator);
    };
    const auto median = [](const model::Spread& s) { return s.percentiles[model::kMedianSeriesLevel]; };
    QStringList cells{text::FormatUpToDecimals(row.probability, 3, decimalSeparator), QString::number(row.hours),
                      number(row.depth, 1)};
    if (row.succeeded > 0)
        cells << number(median(row.effectiveRain), 1) << number(median(row.peak), 2)
              << number(row.peak.percentiles[0], 2) << number(row.peak.percentiles[model::kHighestSeriesLevel], 2)
              << number(median(row.peakHour), 1) << number(median(row.volume) / 1000, 1);
    else
        cells << QString() << QString() << QString() << QString() << QString() << QString();
    cells << QString::number(row.succeeded);
    if (criticalDuration)
        cells << (critical ? QStringLiteral("tak") : QString());
    return cells;
}

namespace {

// The inputs, a name and a value each.
std::vector<QStringList> DescriptionPairs(const model::DesignFloodResult& result, const DesignFloodDescription& d)
{
    std::vector<QStringList> pairs = {{QStringLiteral("Powierzchnia zlewni [km²]"), d.area},
                                      {QStringLiteral("Średni CN"), d.curveNumber}};
    for (std::size_t i = 0; i < d.parameters.size(); ++i)
        pairs.push_back({kDesignFloodParameterNames[i], d.parameters[i]});
    pairs.push_back({QStringLiteral("Kształt hietogramu"), d.shape});
    pairs.push_back({QStringLiteral("Źródło opadu"), d.source});
    pairs.push_back({QStringLiteral("Ziarno"), QString::number(result.seed)});
    pairs.push_back({QStringLiteral("Liczba realizacji"), QString::number(result.realisations)});
    return pairs;
}

bool IsCritical(const std::vector<int>& critical, std::size_t row)
{
    return std::find(critical.begin(), critical.end(), static_cast<int>(row)) != critical.end();
}

}  // namespace

CsvTable DesignFloodCsv(const model::DesignFloodResult& result, const DesignFloodDescription& description,
                        QChar decimalSeparator)
{
    CsvTable table(decimalSeparator);
    table.AddRow({QStringLiteral("Przepływy projektowe")});
    table.AddRow({DesignFloodProbabilityNote()});
    for (const QStringList& pair : DescriptionPairs(result, description))
        table.AddRow(pair);
    table.AddRow({});
    table.AddRow(DesignFloodTableHeaders(description.criticalDuration));
    const std::vector<int> critical = model::CriticalRows(result);
    for (std::size_t i = 0; i < result.rows.size(); ++i)
        table.AddRow(DesignFloodTableRow(result.rows[i], IsCritical(critical, i), description.criticalDuration,
                                         decimalSeparator));
    return table;
}

namespace {

const char* const kTableSheet = "Tabela";
const char* const kHydrographSheet = "Hydrogramy";
const char* const kInputSheet = "Dane";

class DesignFloodWorkbookWriter {
public:
    DesignFloodWorkbookWriter(const model::DesignFloodResult& result, const DesignFloodDescription& description,
                              const QString& path)
        : result_(result), description_(description), book_(path, [path](const QString& reason) {
              return QStringLiteral("Nie można zapisać pliku %1: %2").arg(path, reason);
          })
    {
    }

    void Write()
    {
        bold_ = book_.NewFormat();
        format_set_bold(bold_);
        lxw_worksheet* table = workbook_add_worksheet(book_.Get(), kTableSheet);
        lxw_worksheet* hydrographs = workbook_add_worksheet(book_.Get(), kHydrographSheet);
        lxw_worksheet* inputs = workbook_add_worksheet(book_.Get(), kInputSheet);
        if (!table || !hydrographs || !inputs)
            book_.Fail(QStringLiteral("brak pamięci"));
        WriteTable(table);
        WriteHydrographs(hydrographs);
        WriteInputs(inputs);
        book_.Close();
    }

private:
    void Check(lxw_error error) const { book_.Check(error); }
    void Text(lxw_worksheet* sheet, int row, int col, const QString& text, lxw_format* format = nullptr)
    {
        Check(worksheet_write_string(sheet, row, col, text.toUtf8().constData(), format));
    }
    void Number(lxw_worksheet* sheet, int row, int col, double value)
    {
        Check(worksheet_write_number(sheet, row, col, value, nullptr));
    }

    void WriteTable(lxw_worksheet* sheet)
    {
        Text(sheet, 0, 0, QStringLiteral("Przepływy projektowe"), bold_);
        Text(sheet, 1, 0, DesignFloodProbabilityNote());
        const QStringList headers = DesignFloodTableHeaders(description_.criticalDuration);
        for (int c = 0; c < headers.size(); ++c)
            Text(sheet, 3, c, headers[c], bold_);
        const std::vector<int> critical = model::CriticalRows(result_);
        const auto median = [](const model::Spread& s) { return s.percentiles[model::kMedianSeriesLevel]; };
        for (std::size_t i = 0; i < result_.rows.size(); ++i) {
            const model::DesignFloodRow& r = result_.rows[i];
            const int row = 4 + static_cast<int>(i);
            Number(sheet, row, 0, r.probability);
            Number(sheet, row, 1, r.hours);
            Number(sheet, row, 2, r.depth);
            if (r.succeeded > 0) {
                Number(sheet, row, 3, median(r.effectiveRain));
                Number(sheet, row, 4, median(r.peak));
                Number(sheet, row, 5, r.peak.percentiles[0]);
                Number(sheet, row, 6, r.peak.percentiles[model::kHighestSeriesLevel]);
                Number(sheet, row, 7, median(r.peakHour));
                Number(sheet, row, 8, median(r.volume) / 1000);
            }
            Number(sheet, row, 9, r.succeeded);
            if (description_.criticalDuration && IsCritical(critical, i))
                Text(sheet, row, 10, QStringLiteral("tak"));
        }
        Check(worksheet_set_column(sheet, 0, 10, 16, nullptr));
    }

    // The column heading of a drawn hydrograph: its probability and duration, and that it is
    // the realisation nearest the median peak.
    QString HydrographHeader(const model::DesignFloodRow& r) const
    {
        return QStringLiteral("p = %1 %, %2 h (realizacja nr %3, szczyt najbliższy medianie) [m³/s]")
            .arg(text::FormatUpToDecimals(r.probability, 3, QLatin1Char(',')))
            .arg(r.hours)
            .arg(r.representative + 1);
    }

    void WriteHydrographs(lxw_worksheet* sheet)
    {
        const std::vector<int> drawn = DrawnDesignFloodRows(result_, description_.criticalDuration);
        Text(sheet, 0, 0, QStringLiteral("Godzina"), bold_);
        int hours = 0;
        for (std::size_t k = 0; k < drawn.size(); ++k) {
            const model::DesignFloodRow& r = result_.rows[static_cast<std::size_t>(drawn[k])];
            const int col = 1 + static_cast<int>(k);
            Text(sheet, 0, col, HydrographHeader(r), bold_);
            const std::vector<float>& q = r.representativeDischarge;
            for (std::size_t h = 0; h < q.size(); ++h)
                Number(sheet, 1 + static_cast<int>(h), col, q[h]);
            hours = std::max(hours, static_cast<int>(q.size()));
        }
        for (int h = 1; h <= hours; ++h)
            Number(sheet, h, 0, h);
        Check(worksheet_set_column(sheet, 1, static_cast<lxw_col_t>(drawn.size()), 18, nullptr));
        if (hours < 1 || drawn.empty())
            return;

        lxw_chart* chart = workbook_add_chart(book_.Get(), LXW_CHART_LINE);
        if (!chart)
            book_.Fail(QStringLiteral("brak pamięci"));
        const QByteArray title = QStringLiteral("Hydrogramy projektowe").toUtf8();
        chart_title_set_name(chart, title.constData());
        for (std::size_t k = 0; k < drawn.size(); ++k) {
            const auto col = static_cast<lxw_col_t>(1 + k);
            lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
            chart_series_set_categories(series, kHydrographSheet, 1, 0, static_cast<lxw_row_t>(hours), 0);
            chart_series_set_values(series, kHydrographSheet, 1, col, static_cast<lxw_row_t>(hours), col);
            chart_series_set_name_range(series, kHydrographSheet, 0, col);
        }
        const QByteArray xName = QStringLiteral("Czas [h]").toUtf8();
        const QByteArray yName = QStringLiteral("Przepływ [m³/s]").toUtf8();
        chart_axis_set_name(chart->x_axis, xName.constData());
        chart_axis_set_interval_unit(chart->x_axis, static_cast<uint16_t>(std::max(1, hours / 20)));
        chart_axis_set_name(chart->y_axis, yName.constData());
        chart_legend_set_position(chart, LXW_CHART_LEGEND_BOTTOM);
        lxw_chart_options options = {};
        options.x_scale = 2.0;
        options.y_scale = 1.8;
        Check(worksheet_insert_chart_opt(sheet, 1, static_cast<lxw_col_t>(drawn.size() + 2), chart, &options));
    }

    void WriteInputs(lxw_worksheet* sheet)
    {
        Text(sheet, 0, 0, QStringLiteral("Dane obliczeń"), bold_);
        Text(sheet, 1, 0, DesignFloodProbabilityNote());
        const std::vector<QStringList> pairs = DescriptionPairs(result_, description_);
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            Text(sheet, 3 + static_cast<int>(i), 0, pairs[i][0]);
            Text(sheet, 3 + static_cast<int>(i), 1, pairs[i][1]);
        }
        Check(worksheet_set_column(sheet, 0, 0, 28, nullptr));
        Check(worksheet_set_column(sheet, 1, 1, 60, nullptr));
    }

    const model::DesignFloodResult& result_;
    const DesignFloodDescription& description_;
    XlsxWorkbook book_;
    lxw_format* bold_ = nullptr;
};

}  // namespace

void WriteDesignFloodWorkbook(const model::DesignFloodResult& result, const DesignFloodDescription& description,
                              const QString& path)
{
    DesignFloodWorkbookWriter(result, description, path).Write();
}

}  // namespace moravel::report
