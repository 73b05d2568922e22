// The liborcus adapter: liborcus parses the workbook and calls an import factory for every
// sheet, string, style and cell; the factory here keeps only what the import needs.
#include "import/OrcusWorkbook.h"

#include <QDate>
#include <QTime>
#include <cmath>
#include <deque>
#include <memory>
#include <optional>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>
#include <string_view>

namespace moravel::import {
namespace {

namespace ss = orcus::spreadsheet;
namespace iface = orcus::spreadsheet::iface;

QString Text(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

void CountCell(qint64& cells)
{
    if (++cells > kMaxTotalCells)
        throw WorkbookRefused(true);
}

Cell BooleanCell(bool value, Doubt doubt)
{
    Cell cell;
    cell.type = CellType::Number;
    cell.number = value ? 1 : 0;
    cell.doubt = doubt;
    return cell;
}

// A text PreparedForLiborcus marked (kCellMark) as the cell it stands for; nothing for any
// other text. The mark alone says what the cell is, a formula's result or not.
std::optional<Cell> MarkedCell(const QString& text)
{
    if (text.size() < 2 || text[0] != QChar(kCellMark))
        return std::nullopt;
    Cell cell;
    const auto kind = static_cast<MarkedKind>(text[1].toLatin1());
    switch (kind) {
        case MarkedKind::Error:  // named as .xls names an error it does not know when it shows none
            cell.doubt = Doubt::Error;
            cell.text = text.size() > 2 ? text.mid(2) : QStringLiteral("#ERR!");
            return cell;
        case MarkedKind::Text:
        case MarkedKind::FormulaText:  // an empty text is an empty cell
            cell.text = text.mid(2);
            cell.type = cell.text.isEmpty() ? CellType::Empty : CellType::Text;
            cell.doubt = kind == MarkedKind::FormulaText ? Doubt::Formula : Doubt::None;
            return cell;
        case MarkedKind::True:
        case MarkedKind::False:
            return BooleanCell(kind == MarkedKind::True, Doubt::Boolean);
        case MarkedKind::FormulaTrue:
        case MarkedKind::FormulaFalse:
            return BooleanCell(kind == MarkedKind::FormulaTrue, Doubt::Formula);
    }
    return std::nullopt;
}

// ---- Dates and times
// "2024-05-17", "2024-05-17 13:30:00" or "13:30:00".
QString DateTimeText(const QDate& date, int seconds, bool withDate, bool withTime)
{
    const QTime time = QTime(0, 0).addSecs(seconds);
    if (withDate && withTime)
        return date.toString(QStringLiteral("yyyy-MM-dd")) + u' ' + time.toString(QStringLiteral("HH:mm:ss"));
    if (withDate)
        return date.toString(QStringLiteral("yyyy-MM-dd"));
    return time.toString(QStringLiteral("HH:mm:ss"));
}

// Whether a number format shows a date and/or a time: the built-in ones by number, the
// others by their codes' letters outside quoted texts, escapes and [colour] brackets.
struct DateFormat {
    bool date = false;
    bool time = false;
};

DateFormat ClassifyFormat(std::size_t id, const QString& code)
{
    if (code.isEmpty()) {
        if (id >= 14 && id <= 17)
            return {true, false};
        if ((id >= 18 && id <= 21) || (id >= 45 && id <= 47))
            return {false, true};
        if (id == 22)
            return {true, true};
        return {};
    }
    DateFormat f;
    bool quoted = false, bracket = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i].toLower();
        if (quoted) {
            quoted = c != u'"';
        } else if (bracket) {
            if (c == u'h' || c == u's')
                f.time = true;  // elapsed time [h]:mm
            bracket = c != u']';
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u'[') {
            bracket = true;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'y' || c == u'd') {
            f.date = true;
        } else if (c == u'h' || c == u's') {
            f.time = true;
        }
    }
    return f;
}

// ---- The factory's parts
class SharedStrings : public iface::import_shared_strings {
public:
    std::size_t append(std::string_view s) override { return Push(Text(s)); }
    std::size_t add(std::string_view s) override
    {
        const QString text = Text(s);
        const auto it = index_.constFind(text);
        return it != index_.constEnd() ? *it : Push(text);
    }
    void set_segment_font(std::size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void append_segment(std::string_view s) override { segments_ += Text(s); }
    std::size_t commit_segments() override
    {
        const std::size_t i = Push(segments_);
        segments_.clear();
        return i;
    }
    QString At(std::size_t i) const { return i < strings_.size() ? strings_[i] : QString(); }

private:
    std::size_t Push(const QString& text)
    {
        if (static_cast<qint64>(strings_.size()) >= kMaxTotalCells)
            throw WorkbookRefused(true);
        strings_.push_back(text);
        index_.insert(text, strings_.size() - 1);
        return strings_.size() - 1;
    }
    std::vector<QString> strings_;
    QHash<QString, std::size_t> index_;
    QString segments_;
};

// Only the number formats and the cell formats' number formats are kept: they tell which
// .xlsx numbers are dates.
class Styles : public iface::import_styles {
public:
    DateFormat FormatOfXf(std::size_t xf) const
    {
        if (xf >= xfNumberFormats_.size())
            return {};
        const std::size_t id = xfNumberFormats_[xf];
        return ClassifyFormat(id, codes_.value(id));
    }

    void set_number_format_identifier(std::size_t id) override { formatId_ = id; }
    void set_number_format_code(std::string_view s) override { formatCode_ = Text(s); }
    std::size_t commit_number_format() override
    {
        codes_.insert(formatId_, formatCode_);
        formatCode_.clear();
        return formatCount_++;
    }
    void set_xf_number_format(std::size_t index) override { xfFormat_ = index; }
    std::size_t commit_cell_xf() override
    {
        if (xfNumberFormats_.size() >= 65536)
            throw WorkbookRefused(true);
        xfNumberFormats_.push_back(xfFormat_);
        xfFormat_ = 0;
        return xfNumberFormats_.size() - 1;
    }
    std::size_t commit_cell_style_xf() override
    {
        xfFormat_ = 0;
        return styleXfCount_++;
    }
    std::size_t commit_dxf() override
    {
        xfFormat_ = 0;
        return dxfCount_++;
    }

    // The rest of the styles is not needed.
    void set_font_count(std::size_t) override {}
    void set_font_bold(bool) override {}
    void set_font_italic(bool) override {}
    void set_font_name(std::string_view) override {}
    void set_font_size(double) override {}
    void set_font_underline(ss::underline_t) override {}
    void set_font_underline_width(ss::underline_width_t) override {}
    void set_font_underline_mode(ss::underline_mode_t) override {}
    void set_font_underline_type(ss::underline_type_t) override {}
    void set_font_underline_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void set_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void set_strikethrough_style(ss::strikethrough_style_t) override {}
    void set_strikethrough_type(ss::strikethrough_type_t) override {}
    void set_strikethrough_width(ss::strikethrough_width_t) override {}
    void set_strikethrough_text(ss::strikethrough_text_t) override {}
    std::size_t commit_font() override { return fontCount_++; }
    void set_fill_count(std::size_t) override {}
    void set_fill_pattern_type(ss::fill_pattern_t) override {}
    void set_fill_fg_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void set_fill_bg_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    std::size_t commit_fill() override { return fillCount_++; }
    void set_border_count(std::size_t) override {}
    void set_border_style(ss::border_direction_t, ss::border_style_t) override {}
    void set_border_color(ss::border_direction_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t,
                          ss::color_elem_t) override
    {
    }
    void set_border_width(ss::border_direction_t, double, orcus::length_unit_t) override {}
    std::size_t commit_border() override { return borderCount_++; }
    void set_cell_hidden(bool) override {}
    void set_cell_locked(bool) override {}
    void set_cell_print_content(bool) override {}
    void set_cell_formula_hidden(bool) override {}
    std::size_t commit_cell_protection() override { return protectionCount_++; }
    void set_number_format_count(std::size_t) override {}
    void set_cell_xf_count(std::size_t) override {}
    void set_cell_style_xf_count(std::size_t) override {}
    void set_dxf_count(std::size_t) override {}
    void set_xf_font(std::size_t) override {}
    void set_xf_fill(std::size_t) override {}
    void set_xf_border(std::size_t) override {}
    void set_xf_protection(std::size_t) override {}
    void set_xf_style_xf(std::size_t) override {}
    void set_xf_apply_alignment(bool) override {}
    void set_xf_horizontal_alignment(ss::hor_alignment_t) override {}
    void set_xf_vertical_alignment(ss::ver_alignment_t) override {}
    void set_cell_style_count(std::size_t) override {}
    void set_cell_style_name(std::string_view) override {}
    void set_cell_style_xf(std::size_t) override {}
    void set_cell_style_builtin(std::size_t) override {}
    void set_cell_style_parent_name(std::string_view) override {}
    std::size_t commit_cell_style() override { return cellStyleCount_++; }

private:
    QHash<std::size_t, QString> codes_;  // number format id -> code
    std::vector<std::size_t> xfNumberFormats_;
    std::size_t formatId_ = 0;
    QString formatCode_;
    std::size_t xfFormat_ = 0;
    std::size_t formatCount_ = 0, styleXfCount_ = 0, dxfCount_ = 0, fontCount_ = 0, fillCount_ = 0;
    std::size_t borderCount_ = 0, protectionCount_ = 0, cellStyleCount_ = 0;
};

class GlobalSettings : public iface::import_global_settings {
public:
    void set_origin_date(int year, int month, int day) override { origin = QDate(year, month, day); }
    void set_default_formula_grammar(ss::formula_grammar_t grammar) override { grammar_ = grammar; }
    ss::formula_grammar_t get_default_formula_grammar() const override { return grammar_; }
    void set_character_set(orcus::character_set_t) override {}

    QDate origin{1899, 12, 30};

private:
    ss::formula_grammar_t grammar_ = ss::formula_grammar_t::unknown;
};

// Cell addresses in the A1 form ("B7", "$B$7", "Arkusz!B7"), which .xlsx uses for cells
// and ranges. An address it can't read is an error that liborcus reports as a damaged file.
class ReferenceResolver : public iface::import_reference_resolver {
public:
    ss::src_address_t resolve_address(std::string_view address) override
    {
        const std::size_t bang = address.rfind('!');
        if (bang != std::string_view::npos)
            address.remove_prefix(bang + 1);
        ss::src_address_t result{0, 0, 0};
        std::size_t i = 0;
        if (i < address.size() && address[i] == '$')
            ++i;
        long col = 0;
        const std::size_t colStart = i;
        for (; i < address.size() &&
               ((address[i] >= 'A' && address[i] <= 'Z') || (address[i] >= 'a' && address[i] <= 'z'));
             ++i) {
            col = col * 26 + ((address[i] | 0x20) - 'a' + 1);
            if (col > kMaxSheetCols)
                throw WorkbookRefused();
        }
        if (i == colStart)
            throw WorkbookRefused();
        if (i < address.size() && address[i] == '$')
            ++i;
        long row = 0;
        const std::size_t rowStart = i;
        for (; i < address.size() && address[i] >= '0' && address[i] <= '9'; ++i) {
            row = row * 10 + (address[i] - '0');
            if (row > kMaxSheetRows)
                throw WorkbookRefused();
        }
        if (i == rowStart || i != address.size() || row == 0)
            throw WorkbookRefused();
        result.row = static_cast<ss::row_t>(row - 1);
        result.column = static_cast<ss::col_t>(col - 1);
        return result;
    }
    ss::src_range_t resolve_range(std::string_view range) override
    {
        const std::size_t colon = range.find(':');
        if (colon == std::string_view::npos) {
            const ss::src_address_t one = resolve_address(range);
            return {one, one};
        }
        return {resolve_address(range.substr(0, colon)), resolve_address(range.substr(colon + 1))};
    }
};

class Sheet;

// A formula's cell: its cached result, marked as a formula's.
class Formula : public iface::import_formula {
public:
    explicit Formula(Sheet& sheet) : sheet_(sheet) {}
    void set_position(ss::row_t row, ss::col_t col) override
    {
        row_ = row;
        col_ = col;
        cell_ = Cell{};
        cell_.doubt = Doubt::Formula;
    }
    void set_formula(ss::formula_grammar_t, std::string_view) override {}
    void set_shared_formula_index(std::size_t) override {}
    void set_result_string(std::string_view value) override
    {
        const QString text = Text(value);
        cell_ = MarkedCell(text).value_or(Cell{CellType::Text, 0, text, Doubt::Formula});
    }
    void set_result_value(double value) override { cell_ = NumberCell(value, Doubt::Formula); }
    void set_result_bool(bool value) override { cell_ = BooleanCell(value, Doubt::Boolean); }
    void set_result_empty() override
    {
        cell_ = Cell{};
        cell_.doubt = Doubt::Formula;
    }
    void commit() override;

private:
    Sheet& sheet_;
    ss::row_t row_ = 0;
    ss::col_t col_ = 0;
    Cell cell_;
};

class Sheet : public iface::import_sheet {
public:
    Sheet(QString name, const SharedStrings& strings, qint64& cellCount)
        : strings_(strings), cellCount_(cellCount), formula_(*this)
    {
        sheet_.name = std::move(name);
    }

    iface::import_formula* get_formula() override { return &formula_; }

    void set_auto(ss::row_t row, ss::col_t col, std::string_view s) override
    {
        Cell cell;
        bool ok = false;
        const QString text = Text(s);
        cell.number = text.toDouble(&ok);
        if (ok && std::isfinite(cell.number)) {
            cell.type = CellType::Number;
        } else {
            cell.number = 0;
            cell.type = CellType::Text;
            cell.text = text;
        }
        Put(row, col, std::move(cell));
    }
    void set_string(ss::row_t row, ss::col_t col, ss::string_id_t sindex) override
    {
        const QString text = strings_.At(sindex);
        Put(row, col, MarkedCell(text).value_or(Cell{CellType::Text, 0, text, Doubt::None}));
    }
    void set_value(ss::row_t row, ss::col_t col, double value) override { Put(row, col, NumberCell(value)); }
    void set_bool(ss::row_t row, ss::col_t col, bool value) override
    {
        Put(row, col, BooleanCell(value, Doubt::Boolean));
    }
    void set_date_time(ss::row_t row, ss::col_t col, int year, int month, int day, int hour, int minute,
                       double second) override
    {
        const int seconds = hour * 3600 + minute * 60 + static_cast<int>(std::lround(second));
        Cell cell;
        cell.type = CellType::Text;
        cell.doubt = Doubt::Date;
        if (year == 0) {
            // An .ods time, given as a date in the year 0 (see PreparedForLiborcus): its
            // days in the month and the day, its hours counted on past 24.
            const qint64 all = ((month - 1) * 31LL + (day - 1)) * 86400 + seconds;
            cell.text = QStringLiteral("%1:%2:%3")
                            .arg(all / 3600, 2, 10, QChar(u'0'))
                            .arg(all / 60 % 60, 2, 10, QChar(u'0'))
                            .arg(all % 60, 2, 10, QChar(u'0'));
        } else {
            cell.text = DateTimeText(QDate(year, month, day), seconds, true, seconds != 0);
        }
        Put(row, col, std::move(cell));
    }
    void set_format(ss::row_t row, ss::col_t col, std::size_t xf) override
    {
        if (InRange(row, col))
            formats_.push_back({row, col, row, col, xf});
    }
    void set_format(ss::row_t rowStart, ss::col_t colStart, ss::row_t rowEnd, ss::col_t colEnd, std::size_t xf) override
    {
        if (formats_.size() < 100000)
            formats_.push_back({rowStart, colStart, rowEnd, colEnd, xf});
    }
    void fill_down_cells(ss::row_t srcRow, ss::col_t srcCol, ss::row_t rangeSize) override
    {
        if (!InRange(srcRow, srcCol))
            return;
        const Cell cell = sheet_.At(srcRow, srcCol);
        if (cell.type == CellType::Empty && cell.doubt == Doubt::None)
            return;
        for (ss::row_t r = 1; r <= rangeSize && srcRow + r < kMaxSheetRows; ++r)
            Put(srcRow + r, srcCol, cell);
    }
    ss::range_size_t get_sheet_size() const override { return {kMaxSheetRows, kMaxSheetCols}; }

    const QString& Name() const { return sheet_.name; }

    void Put(ss::row_t row, ss::col_t col, Cell cell)
    {
        if (!InRange(row, col))
            throw WorkbookRefused(true);
        CountCell(cellCount_);
        sheet_.rows = std::max(sheet_.rows, row + 1);
        sheet_.cols = std::max(sheet_.cols, col + 1);
        sheet_.Set(row, col, std::move(cell));
    }

    // The numbers shown in a date or time format become the dates' texts, and the sheet is
    // handed over.
    Worksheet Finish(const Styles& styles, const QDate& origin)
    {
        for (const FormatRange& f : formats_) {
            const DateFormat format = styles.FormatOfXf(f.xf);
            if (!format.date && !format.time)
                continue;
            for (auto it = sheet_.cells.begin(); it != sheet_.cells.end(); ++it) {
                const int row = static_cast<int>(it.key() >> 16);
                const int col = static_cast<int>(it.key() & 0xFFFF);
                if (row < f.top || row > f.bottom || col < f.left || col > f.right)
                    continue;
                Cell& cell = *it;
                if (cell.type != CellType::Number || cell.doubt == Doubt::Boolean || std::fabs(cell.number) > 2.9e6)
                    continue;
                const double days = std::floor(cell.number);
                const int seconds = static_cast<int>(std::lround((cell.number - days) * 86400.0));
                const QDate date = origin.addDays(static_cast<qint64>(days) + seconds / 86400);
                cell.type = CellType::Text;
                cell.text = DateTimeText(date, seconds % 86400, format.date, format.time || !format.date);
                cell.number = 0;
                cell.doubt = cell.doubt == Doubt::Formula ? Doubt::Formula : Doubt::Date;
            }
        }
        return std::move(sheet_);
    }

private:
    struct FormatRange {
        int top, left, bottom, right;
        std::size_t xf;
    };
    static bool InRange(ss::row_t row, ss::col_t col)
    {
        return row >= 0 && col >= 0 && row < kMaxSheetRows && col < kMaxSheetCols;
    }

    Worksheet sheet_;
    const SharedStrings& strings_;
    qint64& cellCount_;
    Formula formula_;
    std::vector<FormatRange> formats_;
};

void Formula::commit()
{
    sheet_.Put(row_, col_, std::move(cell_));
    cell_ = Cell{};
}

class Factory : public iface::import_factory {
public:
    iface::import_global_settings* get_global_settings() override { return &settings_; }
    iface::import_shared_strings* get_shared_strings() override { return &strings_; }
    iface::import_styles* get_styles() override { return &styles_; }
    iface::import_reference_resolver* get_reference_resolver(ss::formula_ref_context_t) override { return &resolver_; }
    iface::import_sheet* append_sheet(ss::sheet_t, std::string_view name) override
    {
        if (static_cast<int>(sheets_.size()) >= kMaxSheets)
            throw WorkbookRefused(true);
        sheets_.push_back(std::make_unique<Sheet>(Text(name), strings_, cells_));
        return sheets_.back().get();
    }
    iface::import_sheet* get_sheet(std::string_view name) override
    {
        const QString wanted = Text(name);
        for (auto& sheet : sheets_)
            if (sheet->Name() == wanted)
                return sheet.get();
        return nullptr;
    }
    iface::import_sheet* get_sheet(ss::sheet_t index) override
    {
        return index >= 0 && static_cast<std::size_t>(index) < sheets_.size() ? sheets_[index].get() : nullptr;
    }
    void finalize() override {}

    Workbook Take()
    {
        Workbook book;
        for (auto& sheet : sheets_)
            book.sheets.push_back(sheet->Finish(styles_, settings_.origin));
        return book;
    }

private:
    GlobalSettings settings_;
    SharedStrings strings_;
    Styles styles_;
    ReferenceResolver resolver_;
    std::vector<std::unique_ptr<Sheet>> sheets_;
    qint64 cells_ = 0;
};

}  // namespace

Workbook ReadOrcusWorkbook(const QByteArray& bytes, ArchiveKind kind)
{
    if (kind == ArchiveKind::None)
        throw WorkbookRefused();
    Factory factory;
    const std::string_view stream(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    try {
        if (kind == ArchiveKind::Xlsx) {
            orcus::orcus_xlsx reader(&factory);
            reader.read_stream(stream);
        } else {
            orcus::orcus_ods reader(&factory);
            reader.read_stream(stream);
        }
    } catch (const WorkbookRefused&) {
        throw;
    } catch (const std::exception&) {  // liborcus reports a damaged file by an exception
        throw WorkbookRefused();
    }
    Workbook book = factory.Take();
    if (book.sheets.empty())
        throw WorkbookRefused();
    return book;
}

}  // namespace moravel::import
