#include "report/VariantsExport.h"
#include "report/XlsxWorkbook.h"
#include "text/NumText.h"

#include <xlsxwriter.h>

#include <algorithm>

namespace moravel::report {
namespace {

constexpr std::size_t kLow = 0;
constexpr std::size_t kMedian = model::kMedianSeriesLevel;
constexpr std::size_t kHigh = model::kHighestSeriesLevel;

class VariantsWorkbookWriter {
public:
    VariantsWorkbookWriter(const VariantsComparison& c, const QString& path)
        : c_(c), book_(path, XlsxWorkbook::FileFailure(path))
    {
    }

    void Write()
    {
        bold_ = book_.NewFormat();
        format_set_bold(bold_);
        lxw_worksheet* spreads = workbook_add_worksheet(book_.Get(), "Warianty");
        lxw_worksheet* differences = workbook_add_worksheet(book_.Get(), "Różnice");
        lxw_worksheet* bands = workbook_add_worksheet(book_.Get(), "Pasma");
        if (!spreads || !differences || !bands)
            book_.Fail(QStringLiteral("brak pamięci"));
        WriteTable(spreads, VariantSpreadHeader(), 0, VariantSpreadRow);
        WriteTable(differences, VariantDifferenceHeader(), 1, VariantDifferenceRow);
        WriteBands(bands);
        book_.Close();
    }

private:
    void Check(lxw_error error) const { book_.Check(error); }

    void WriteTable(lxw_worksheet* sheet, const QStringList& header, std::size_t firstVariant,
                    std::vector<std::optional<double>> (*rowOf)(const VariantsComparison&, std::size_t))
    {
        for (int col = 0; col < header.size(); ++col)
            book_.Text(sheet, 0, col, header[col], bold_);
        int row = 1;
        for (std::size_t k = firstVariant; k < c_.names.size(); ++k, ++row) {
            book_.Text(sheet, row, 0, c_.names[k]);
            const auto values = rowOf(c_, k);
            for (std::size_t i = 0; i < values.size(); ++i)
                if (values[i])
                    Check(worksheet_write_number(sheet, row, static_cast<lxw_col_t>(i + 1), *values[i], nullptr));
        }
        book_.Text(sheet, row + 1, 0, VariantsNote(c_));
        Check(worksheet_set_column(sheet, 0, 0, 24, nullptr));
        Check(worksheet_set_column(sheet, 1, static_cast<lxw_col_t>(header.size() - 1), 16, nullptr));
    }

    // Per hour, for each variant, its 5 %, median and 95 %; a chart of the medians (solid)
    // and the 5 % and 95 % lines (dashed) in the variant's colour.
    void WriteBands(lxw_worksheet* sheet)
    {
        int hours = 0;
        for (const model::SeriesResult& r : c_.results)
            hours = std::max(hours, r.bandHours);
        book_.Text(sheet, 0, 0, QStringLiteral("Godzina"), bold_);
        const std::size_t levels[3] = {kLow, kMedian, kHigh};
        const QString levelNames[3] = {QStringLiteral("5 %"), QStringLiteral("mediana"), QStringLiteral("95 %")};
        for (std::size_t k = 0; k < c_.results.size(); ++k)
            for (int l = 0; l < 3; ++l)
                book_.Text(sheet, 0, static_cast<int>(1 + 3 * k + l),
                           QStringLiteral("%1: %2 [m³/s]").arg(c_.names[k], levelNames[l]), bold_);
        for (int h = 1; h <= hours; ++h) {
            Check(worksheet_write_number(sheet, h, 0, h, nullptr));
            for (std::size_t k = 0; k < c_.results.size(); ++k) {
                const model::SeriesResult& r = c_.results[k];
                for (int l = 0; l < 3; ++l) {
                    // A variant whose band is shorter counts 0 after its end, as the band does.
                    const double v = h <= r.bandHours ? r.band[static_cast<std::size_t>(h - 1)][levels[l]] : 0.0;
                    Check(worksheet_write_number(sheet, h, static_cast<lxw_col_t>(1 + 3 * k + l), static_cast<float>(v),
                                                 nullptr));
                }
            }
        }
        if (hours < 1)
            return;
        lxw_chart* chart = workbook_add_chart(book_.Get(), LXW_CHART_LINE);
        if (!chart)
            book_.Fail(QStringLiteral("brak pamięci"));
        const QByteArray title = QStringLiteral("Warianty - pasma 5–95 % i mediany").toUtf8();
        chart_title_set_name(chart, title.constData());
        for (std::size_t k = 0; k < c_.results.size(); ++k)
            for (int l = 0; l < 3; ++l) {
                const auto col = static_cast<lxw_col_t>(1 + 3 * k + l);
                lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
                chart_series_set_categories(series, "Pasma", 1, 0, static_cast<lxw_row_t>(hours), 0);
                chart_series_set_values(series, "Pasma", 1, col, static_cast<lxw_row_t>(hours), col);
                chart_series_set_name_range(series, "Pasma", 0, col);
                lxw_chart_line line = {};
                line.color = VariantColour(k);
                line.width = l == 1 ? 2.25 : 1.0;
                if (l != 1)
                    line.dash_type = LXW_CHART_LINE_DASH_DASH;
                chart_series_set_line(series, &line);
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
        Check(worksheet_insert_chart_opt(sheet, 1, static_cast<lxw_col_t>(2 + 3 * c_.results.size()), chart, &options));
    }

    const VariantsComparison& c_;
    XlsxWorkbook book_;
    lxw_format* bold_ = nullptr;
};

}  // namespace

void WriteVariantsWorkbook(const VariantsComparison& c, const QString& path)
{
    VariantsWorkbookWriter(c, path).Write();
}

}  // namespace moravel::report
