// The design-flood workbook, apart from the CSV table (DesignFloodExport.cpp), so that a
// program writing the table alone does not load the workbook library.
#include "report/DesignFloodExport.h"
#include "report/XlsxWorkbook.h"
#include "text/NumText.h"

#include <xlsxwriter.h>

#include <algorithm>

namespace moravel::report {

namespace {

const char* const kTableSheet = "Tabela";
const char* const kHydrographSheet = "Hydrogramy";
const char* const kInputSheet = "Dane";
const char* const kHyetographSheet = "Hietogramy";

class DesignFloodWorkbookWriter {
public:
    DesignFloodWorkbookWriter(const model::DesignFloodResult& result, const DesignFloodDescription& description,
                              const QString& path)
        : result_(result), description_(description), book_(path, XlsxWorkbook::FileFailure(path))
    {
    }

    void Write()
    {
        bold_ = book_.NewFormat();
        format_set_bold(bold_);
        lxw_worksheet* table = workbook_add_worksheet(book_.Get(), kTableSheet);
        lxw_worksheet* hydrographs = workbook_add_worksheet(book_.Get(), kHydrographSheet);
        lxw_worksheet* inputs = workbook_add_worksheet(book_.Get(), kInputSheet);
        lxw_worksheet* hyetographs = workbook_add_worksheet(book_.Get(), kHyetographSheet);
        if (!table || !hydrographs || !inputs || !hyetographs)
            book_.Fail(QStringLiteral("brak pamięci"));
        WriteTable(table);
        WriteHydrographs(hydrographs);
        WriteInputs(inputs);
        WriteHyetographs(hyetographs);
        book_.Close();
    }

private:
    void Check(lxw_error error) const { book_.Check(error); }

    void WriteTable(lxw_worksheet* sheet)
    {
        book_.Text(sheet, 0, 0, QStringLiteral("Przepływy projektowe"), bold_);
        book_.Text(sheet, 1, 0, DesignFloodProbabilityNote());
        const QStringList headers = DesignFloodTableHeaders(description_.criticalDuration);
        for (int c = 0; c < headers.size(); ++c)
            book_.Text(sheet, 3, c, headers[c], bold_);
        const std::vector<int> critical = model::CriticalRows(result_);
        const auto median = [](const model::Spread& s) { return s.percentiles[model::kMedianSeriesLevel]; };
        for (std::size_t i = 0; i < result_.rows.size(); ++i) {
            const model::DesignFloodRow& r = result_.rows[i];
            const int row = 4 + static_cast<int>(i);
            book_.Number(sheet, row, 0, r.probability);
            book_.Number(sheet, row, 1, r.hours);
            book_.Number(sheet, row, 2, r.depth);
            if (r.succeeded > 0) {
                book_.Number(sheet, row, 3, median(r.effectiveRain));
                book_.Number(sheet, row, 4, median(r.peak));
                book_.Number(sheet, row, 5, r.peak.percentiles[0]);
                book_.Number(sheet, row, 6, r.peak.percentiles[model::kHighestSeriesLevel]);
                book_.Number(sheet, row, 7, median(r.peakHour));
                book_.Number(sheet, row, 8, median(r.volume) / 1000);
            }
            book_.Number(sheet, row, 9, r.succeeded);
            if (description_.criticalDuration &&
                std::find(critical.begin(), critical.end(), static_cast<int>(i)) != critical.end())
                book_.Text(sheet, row, 10, QStringLiteral("tak"));
            // The columns that follow the table's first ones.
            const int next = description_.criticalDuration ? 11 : 10;
            if (r.peakInterval) {
                book_.Number(sheet, row, next, r.peakInterval->low);
                book_.Number(sheet, row, next + 1, r.peakInterval->high);
            }
            if (r.runoffCoefficient)
                book_.Number(sheet, row, next + 2, *r.runoffCoefficient);
        }
        Check(worksheet_set_column(sheet, 0, static_cast<lxw_col_t>(headers.size() - 1), 16, nullptr));
        int row = 4 + static_cast<int>(result_.rows.size()) + 1;
        book_.Text(sheet, row++, 0, QStringLiteral("Uwagi"), bold_);
        for (const QString& remark : DesignFloodRemarks(result_, description_.criticalDuration, QLatin1Char(',')))
            book_.Text(sheet, row++, 0, remark);
        for (const QString& note : DesignFloodColumnNotes())
            book_.Text(sheet, row++, 0, note);
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
        book_.Text(sheet, 0, 0, QStringLiteral("Godzina"), bold_);
        int hours = 0;
        for (std::size_t k = 0; k < drawn.size(); ++k) {
            const model::DesignFloodRow& r = result_.rows[static_cast<std::size_t>(drawn[k])];
            const int col = 1 + static_cast<int>(k);
            book_.Text(sheet, 0, col, HydrographHeader(r), bold_);
            const std::vector<float>& q = r.representativeDischarge;
            for (std::size_t h = 0; h < q.size(); ++h)
                book_.Number(sheet, 1 + static_cast<int>(h), col, q[h]);
            hours = std::max(hours, static_cast<int>(q.size()));
        }
        for (int h = 1; h <= hours; ++h)
            book_.Number(sheet, h, 0, h);
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
        book_.Text(sheet, 0, 0, QStringLiteral("Dane obliczeń"), bold_);
        book_.Text(sheet, 1, 0, DesignFloodProbabilityNote());
        const std::vector<QStringList> pairs = DesignFloodDescriptionPairs(result_, description_);
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            book_.Text(sheet, 3 + static_cast<int>(i), 0, pairs[i][0]);
            book_.Text(sheet, 3 + static_cast<int>(i), 1, pairs[i][1]);
        }
        int row = 3 + static_cast<int>(pairs.size());
        for (const QStringList& pair : DesignFloodStormPairs(description_, QLatin1Char(','))) {
            book_.Text(sheet, row, 0, pair[0]);
            book_.Text(sheet, row++, 1, pair[1]);
        }
        // The depth table as entered, in numbers.
        ++row;
        book_.Text(sheet, row++, 0, QStringLiteral("Tabela wysokości opadu [mm]"), bold_);
        const QStringList headings = DesignDepthTableHeaders(description_.tableHours, QLatin1Char(','));
        for (int c = 0; c < headings.size(); ++c)
            book_.Text(sheet, row, c, headings[c], bold_);
        ++row;
        for (const model::DesignDepths& depths : description_.depths) {
            book_.Number(sheet, row, 0, depths.probability);
            for (std::size_t c = 0; c < depths.depths.size(); ++c)
                book_.Number(sheet, row, 1 + static_cast<int>(c), depths.depths[c]);
            ++row;
        }
        Check(worksheet_set_column(sheet, 0, 0, 28, nullptr));
        Check(worksheet_set_column(sheet, 1, 1, 60, nullptr));
    }

    // Each storm's rainfall hour by hour, as the computation used it.
    void WriteHyetographs(lxw_worksheet* sheet)
    {
        book_.Text(sheet, 0, 0, QStringLiteral("Godzina"), bold_);
        for (std::size_t k = 0; k < result_.rows.size(); ++k) {
            const model::DesignFloodRow& r = result_.rows[k];
            const int col = 1 + static_cast<int>(k);
            book_.Text(sheet, 0, col, DesignFloodStormHeading(r, QLatin1Char(',')) + QStringLiteral(" [mm]"), bold_);
            // The stored single-precision value as its shortest decimal (0,1, not 0,100000001).
            for (std::size_t h = 0; h < r.rainfall.size(); ++h)
                book_.Number(sheet, 1 + static_cast<int>(h), col,
                             text::FormatShortestFloat(r.rainfall[h], QLatin1Char('.')).toDouble());
        }
        const int hours = LongestDesignStorm(result_);
        for (int h = 1; h <= hours; ++h)
            book_.Number(sheet, h, 0, h);
        Check(worksheet_set_column(sheet, 1, static_cast<lxw_col_t>(std::max<std::size_t>(result_.rows.size(), 1)), 16,
                                   nullptr));
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
