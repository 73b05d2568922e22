#include "excel/XlsWorkbook.h"

#include "excel/XlsRecords.h"
#include "text/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <freexl.h>

namespace moravel::excel {
namespace {

// The largest file and the most cells (over all sheets) the reader takes on: as many cells
// as one sheet of the largest size, far beyond any rainfall workbook. freexl allocates room
// for every declared cell when it opens a file, so the declared sizes are checked first.
constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;
constexpr qint64 kMaxTotalCells = static_cast<qint64>(kMaxSheetRows) * kMaxSheetCols;

std::uint64_t Key(int row, int col)
{
    return (static_cast<std::uint64_t>(row) << 16) | static_cast<std::uint64_t>(col);
}

[[noreturn]] void Unreadable(const QString& path)
{
    throw Error(QStringLiteral("Nie można odczytać skoroszytu ") + QDir::toNativeSeparators(path));
}

[[noreturn]] void TooLarge(const QString& path)
{
    throw Error(QStringLiteral("Skoroszyt %1 jest zbyt duży, by go odczytać").arg(QDir::toNativeSeparators(path)));
}

// Owns a freexl handle; freexl wants its handle closed even after a failed open.
class FreexlHandle {
public:
    FreexlHandle() = default;
    FreexlHandle(const FreexlHandle&) = delete;
    FreexlHandle& operator=(const FreexlHandle&) = delete;
    ~FreexlHandle()
    {
        if (handle_)
            freexl_close(handle_);
    }
    const void** Out() { return &handle_; }
    const void* Get() const { return handle_; }

private:
    const void* handle_ = nullptr;
};

Cell ReadCell(const void* xls, int row, int col, bool& ok)
{
    FreeXL_CellValue value{};
    ok = freexl_get_cell_value(xls, static_cast<unsigned>(row), static_cast<unsigned short>(col), &value) == FREEXL_OK;
    Cell cell;
    if (!ok)
        return cell;
    switch (value.type) {
        case FREEXL_CELL_INT:
            cell.type = CellType::Number;
            cell.number = value.value.int_value;
            break;
        case FREEXL_CELL_DOUBLE:
            cell.type = CellType::Number;
            cell.number = value.value.double_value;
            break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            cell.type = CellType::Text;
            cell.text = value.value.text_value ? QString::fromUtf8(value.value.text_value) : QString();
            if (value.type >= FREEXL_CELL_DATE)
                cell.doubt = Doubt::Date;
            break;
        default:
            break;
    }
    return cell;
}

// The marked cells of each freexl worksheet. freexl lists the workbook's worksheets (sheet
// type 0) in order; a workbook whose sheets don't line up that way is not walked further.
std::vector<std::vector<MarkedCell>> MarkedCellsBySheet(const std::vector<SheetRecords>& scanned,
                                                        std::size_t sheetCount, const QString& path)
{
    std::vector<std::vector<MarkedCell>> worksheets;
    for (const SheetRecords& sheet : scanned)
        if (sheet.type == 0)
            worksheets.push_back(sheet.cells);
    if (worksheets.size() != sheetCount) {
        worksheets.clear();
        for (const SheetRecords& sheet : scanned)
            worksheets.push_back(sheet.cells);
    }
    if (worksheets.size() != sheetCount)
        Unreadable(path);
    return worksheets;
}

}  // namespace

const Cell& Worksheet::At(int row, int col) const
{
    static const Cell kEmpty;
    const auto it = cells.constFind(Key(row, col));
    return it == cells.constEnd() ? kEmpty : *it;
}

void Worksheet::Set(int row, int col, Cell cell)
{
    cells.insert(Key(row, col), std::move(cell));
}

Workbook ReadWorkbook(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() == 0)
        Unreadable(path);
    if (info.size() > kMaxFileBytes)
        TooLarge(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Unreadable(path);
    const QByteArray bytes = file.readAll();
    file.close();

    // The record walk goes first: besides finding the cells freexl reads unfaithfully, it
    // keeps files with a damaged container away from freexl, which reads past its buffers on
    // some of them.
    const auto scanned = ScanSheetRecords(bytes);
    if (!scanned)
        Unreadable(path);
    qint64 declaredCells = 0;
    for (const SheetRecords& sheet : *scanned)
        declaredCells += sheet.rows * sheet.cols;
    if (declaredCells > kMaxTotalCells)
        TooLarge(path);

    FreexlHandle xls;
    if (freexl_open(QFile::encodeName(path).constData(), xls.Out()) != FREEXL_OK || !xls.Get())
        Unreadable(path);
    unsigned int info32 = 0;
    if (freexl_get_info(xls.Get(), FREEXL_BIFF_PASSWORD, &info32) != FREEXL_OK || info32 == FREEXL_BIFF_OBFUSCATED)
        Unreadable(path);
    unsigned int sheetCount = 0;
    if (freexl_get_info(xls.Get(), FREEXL_BIFF_SHEET_COUNT, &sheetCount) != FREEXL_OK || sheetCount == 0 ||
        sheetCount > 0xFFFF)
        Unreadable(path);

    const auto marked = MarkedCellsBySheet(*scanned, sheetCount, path);

    Workbook book;
    book.path = path;
    qint64 totalCells = 0;
    for (unsigned int s = 0; s < sheetCount; ++s) {
        Worksheet sheet;
        const char* name = nullptr;
        unsigned int rows = 0;
        unsigned short cols = 0;
        if (freexl_get_worksheet_name(xls.Get(), static_cast<unsigned short>(s), &name) != FREEXL_OK ||
            freexl_select_active_worksheet(xls.Get(), static_cast<unsigned short>(s)) != FREEXL_OK ||
            freexl_worksheet_dimensions(xls.Get(), &rows, &cols) != FREEXL_OK)
            Unreadable(path);
        if (rows > static_cast<unsigned>(kMaxSheetRows) || cols > kMaxSheetCols)
            Unreadable(path);
        totalCells += static_cast<qint64>(rows) * cols;
        if (totalCells > kMaxTotalCells)  // freexl's sizes disagree with the records' ones
            Unreadable(path);
        sheet.name = name ? QString::fromUtf8(name) : QString();
        sheet.rows = static_cast<int>(rows);
        sheet.cols = cols;
        for (int r = 0; r < sheet.rows; ++r) {
            for (int c = 0; c < sheet.cols; ++c) {
                bool ok = false;
                Cell cell = ReadCell(xls.Get(), r, c, ok);
                if (!ok)
                    Unreadable(path);
                if (cell.type != CellType::Empty || cell.doubt != Doubt::None)
                    sheet.Set(r, c, std::move(cell));
            }
        }
        // freexl reads formulas as empty and booleans and errors as numbers without saying
        // so; the record walk says which cells those are.
        for (const MarkedCell& m : marked[s]) {
            if (m.row >= sheet.rows || m.col >= sheet.cols)
                continue;  // outside the declared dimensions: freexl has nothing there
            Cell cell = sheet.At(m.row, m.col);
            cell.doubt = m.doubt;
            sheet.Set(m.row, m.col, std::move(cell));
        }
        book.sheets.push_back(std::move(sheet));
    }
    return book;
}

QString ColumnName(int col)
{
    QString name;
    for (int n = col + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

QString CellName(int row, int col)
{
    return ColumnName(col) + QString::number(row + 1);
}

}  // namespace moravel::excel
