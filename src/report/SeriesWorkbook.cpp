#include "report/SeriesExport.h"
#include "report/XlsxWorkbook.h"
#include "text/NumText.h"

#include <xlsxwriter.h>

#include <algorithm>

namespace moravel::report {
namespace {

const char* const kBandSheet = "Pasmo";
const char* const kRealisationsSheet = "Realizacje";
const char* const kSummarySheet = "Podsumowanie";
const lxw_col_t kRepresentativeColumn = 6;

class SeriesWorkbookWriter {
public:
    SeriesWorkbookWriter(const model::SeriesResult& result, const QString& path)
        : result_(result), book_(path, XlsxWorkbook::FileFailure(path))
    {
    }

    void Write()
    {
        bold_ = book_.NewFormat();
        format_set_bold(bold_);
        lxw_worksheet* band = workbook_add_worksheet(book_.Get(), kBandSheet);
        lxw_worksheet* realisations = workbook_add_worksheet(book_.Get(), kRealisationsSheet);
        lxw_worksheet* summary = workbook_add_worksheet(book_.Get(), kSummarySheet);
        if (!band || !realisations || !summary)
            book_.Fail(QStringLiteral("brak pamięci"));
        discharge_ = NumberFormat("0.000");
        WriteBand(band);
        WriteRealisations(realisations);
        WriteSummary(summary);
        book_.Close();
    }

private:
    void Check(lxw_error error) const { book_.Check(error); }
    lxw_format* NumberFormat(const char* pattern)
    {
        lxw_format* format = book_.NewFormat();
        format_set_num_format(format, pattern);
        return format;
    }

    void WriteBand(lxw_worksheet* sheet)
    {
        book_.Text(sheet, 0, 0, QStringLiteral("Godzina"), bold_);
        for (int l = 0; l < 5; ++l)
            book_.Text(sheet, 0, l + 1, SeriesLevelHeader(l), bold_);
        // The representative realisation in the column after the band's.
        const bool representative = result_.representative >= 0;
        if (representative)
            book_.Text(sheet, 0, kRepresentativeColumn, SeriesRepresentativeHeader(result_), bold_);
        for (int h = 1; h <= result_.bandHours; ++h) {
            book_.Number(sheet, h, 0, h);
            for (int l = 0; l < 5; ++l)
                book_.Number(sheet, h, l + 1, static_cast<float>(result_.band[static_cast<std::size_t>(h - 1)][l]),
                             discharge_);
            if (representative)
                book_.Number(sheet, h, kRepresentativeColumn, SeriesRepresentativeAt(result_, h), discharge_);
        }
        Check(worksheet_set_column(sheet, 1, 5, 14, nullptr));
        if (representative)
            Check(worksheet_set_column(sheet, kRepresentativeColumn, kRepresentativeColumn, 22, nullptr));
        if (result_.bandHours < 1)
            return;

        lxw_chart* chart = workbook_add_chart(book_.Get(), LXW_CHART_LINE);
        if (!chart)
            book_.Fail(QStringLiteral("brak pamięci"));
        const QByteArray title = QStringLiteral("Hydrogram - rozrzut realizacji").toUtf8();
        chart_title_set_name(chart, title.constData());
        // Outer band light, inner band darker, the median darkest and thickest.
        const lxw_color_t colours[5] = {0x9DC3E6, 0x2E75B6, 0x1F3864, 0x2E75B6, 0x9DC3E6};
        const double widths[5] = {1.25, 1.5, 2.5, 1.5, 1.25};
        std::vector<QByteArray> names;
        for (int l = 0; l < 5; ++l) {
            lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
            chart_series_set_categories(series, kBandSheet, 1, 0, static_cast<lxw_row_t>(result_.bandHours), 0);
            chart_series_set_values(series, kBandSheet, 1, static_cast<lxw_col_t>(l + 1),
                                    static_cast<lxw_row_t>(result_.bandHours), static_cast<lxw_col_t>(l + 1));
            chart_series_set_name_range(series, kBandSheet, 0, static_cast<lxw_col_t>(l + 1));
            lxw_chart_line line = {};
            line.color = colours[l];
            line.width = widths[l];
            if (l == 0 || l == 4)
                line.dash_type = LXW_CHART_LINE_DASH_DASH;
            chart_series_set_line(series, &line);
        }
        if (representative) {
            // A line of its own, in a colour apart from the band's blues.
            lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
            const auto rows = static_cast<lxw_row_t>(result_.bandHours);
            chart_series_set_categories(series, kBandSheet, 1, 0, rows, 0);
            chart_series_set_values(series, kBandSheet, 1, kRepresentativeColumn, rows, kRepresentativeColumn);
            chart_series_set_name_range(series, kBandSheet, 0, kRepresentativeColumn);
            lxw_chart_line line = {};
            line.color = 0xC55A11;
            line.width = 2.0;
            chart_series_set_line(series, &line);
        }
        const QByteArray xName = QStringLiteral("Czas [h]").toUtf8();
        const QByteArray yName = QStringLiteral("Przepływ [m³/s]").toUtf8();
        chart_axis_set_name(chart->x_axis, xName.constData());
        // About twenty hour labels along the time axis.
        chart_axis_set_interval_unit(chart->x_axis, static_cast<uint16_t>(std::max(1, result_.bandHours / 20)));
        chart_axis_set_name(chart->y_axis, yName.constData());
        chart_legend_set_position(chart, LXW_CHART_LEGEND_BOTTOM);
        lxw_chart_options options = {};
        options.x_scale = 2.0;
        options.y_scale = 1.6;
        Check(worksheet_insert_chart_opt(sheet, 1, kRepresentativeColumn + 2, chart, &options));
    }

    void WriteRealisations(lxw_worksheet* sheet)
    {
        const QString headers[5] = {QStringLiteral("Realizacja"), QStringLiteral("Przepływ maksymalny [m³/s]"),
                                    SeriesPeakHourHeader(), QStringLiteral("Objętość odpływu [m³]"),
                                    QStringLiteral("Wynik")};
        for (int c = 0; c < 5; ++c)
            book_.Text(sheet, 0, c, headers[c], bold_);
        for (std::size_t i = 0; i < result_.realisations.size(); ++i) {
            const model::RealisationSummary& r = result_.realisations[i];
            const int row = static_cast<int>(i) + 1;
            book_.Number(sheet, row, 0, static_cast<double>(i + 1));
            if (r.ok) {
                book_.Number(sheet, row, 1, r.peak, discharge_);
                book_.Number(sheet, row, 2, r.peakHour);
                book_.Number(sheet, row, 3, r.volume);
                book_.Text(sheet, row, 4, QStringLiteral("policzona"));
            } else {
                book_.Text(sheet, row, 4, QStringLiteral("nieudana"));
            }
        }
        Check(worksheet_set_column(sheet, 0, 4, 26, nullptr));
    }

    void WriteSummary(lxw_worksheet* sheet)
    {
        book_.Text(sheet, 0, 0, QStringLiteral("Seria realizacji - rozrzut realizacji modelu"), bold_);
        book_.Text(sheet, 1, 0, QStringLiteral("Ziarno"));
        book_.Text(sheet, 1, 1, QString::number(result_.seed));
        book_.Text(sheet, 2, 0, QStringLiteral("Realizacje policzone"));
        book_.Number(sheet, 2, 1, result_.succeeded);
        book_.Text(sheet, 3, 0, QStringLiteral("Realizacje nieudane"));
        book_.Number(sheet, 3, 1, result_.failed);

        const QString columns[10] = {QString(),
                                     QStringLiteral("min"),
                                     QStringLiteral("5 %"),
                                     QStringLiteral("25 %"),
                                     QStringLiteral("mediana"),
                                     QStringLiteral("75 %"),
                                     QStringLiteral("95 %"),
                                     QStringLiteral("max"),
                                     QStringLiteral("średnia"),
                                     QStringLiteral("liczba realizacji")};
        for (int c = 0; c < 10; ++c)
            book_.Text(sheet, 5, c, columns[c], bold_);
        const struct {
            QString name;
            const model::Spread& spread;
        } rows[3] = {{QStringLiteral("Przepływ maksymalny [m³/s]"), result_.peak},
                     {SeriesPeakHourHeader(), result_.peakHour},
                     {QStringLiteral("Objętość odpływu [m³]"), result_.volume}};
        for (int r = 0; r < 3; ++r) {
            const model::Spread& s = rows[r].spread;
            book_.Text(sheet, 6 + r, 0, rows[r].name);
            if (s.count == 0)
                continue;
            book_.Number(sheet, 6 + r, 1, s.min);
            for (int l = 0; l < 5; ++l)
                book_.Number(sheet, 6 + r, 2 + l, s.percentiles[static_cast<std::size_t>(l)]);
            book_.Number(sheet, 6 + r, 7, s.max);
            book_.Number(sheet, 6 + r, 8, s.mean);
            book_.Number(sheet, 6 + r, 9, s.count);
        }
        if (result_.representative >= 0) {
            book_.Text(sheet, 10, 0, QStringLiteral("Realizacja reprezentatywna"));
            book_.Number(sheet, 10, 1, result_.representative + 1);
            book_.Text(sheet, 10, 2, QStringLiteral("szczyt najbliższy medianie szczytów"));
        }
        Check(worksheet_set_column(sheet, 0, 0, 30, nullptr));
        Check(worksheet_set_column(sheet, 1, 9, 12, nullptr));
    }

    const model::SeriesResult& result_;
    XlsxWorkbook book_;
    lxw_format* bold_ = nullptr;
    lxw_format* discharge_ = nullptr;
};

}  // namespace

void WriteSeriesWorkbook(const model::SeriesResult& result, const QString& path)
{
    SeriesWorkbookWriter(result, path).Write();
}

}  // namespace moravel::report
