#include "import/XlsWorkbook.h"

#include "import/XlsRecords.h"

#include <freexl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

namespace moravel::import {
namespace {

[[noreturn]] void Refuse(bool tooLarge = false)
{
    throw WorkbookRefused(tooLarge);
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

// freexl opens files by name only. The checked bytes go into an anonymous in-memory file
// of this process, which freexl opens by its /proc name: it parses exactly those bytes, and
// nothing is left on disk.
class MemoryFile {
public:
    explicit MemoryFile(const QByteArray& bytes)
    {
        fd_ = ::memfd_create("moravel-workbook", MFD_CLOEXEC);
        if (fd_ < 0)
            return;
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::write(fd_, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
            if (n <= 0) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
            done += n;
        }
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool Ok() const { return fd_ >= 0; }
    QByteArray Path() const { return "/proc/self/fd/" + QByteArray::number(fd_); }

private:
    int fd_ = -1;
};

Cell ReadCell(const void* xls, int row, int col)
{
    FreeXL_CellValue value{};
    if (freexl_get_cell_value(xls, static_cast<unsigned>(row), static_cast<unsigned short>(col), &value) != FREEXL_OK)
        Refuse();
    Cell cell;
    switch (value.type) {
        case FREEXL_CELL_INT:
            cell = NumberCell(value.value.int_value);
            break;
        case FREEXL_CELL_DOUBLE:  // an infinity or NaN, which NUMBER and RK records can hold, as #NUM!
            cell = NumberCell(value.value.double_value);
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
                                                        std::size_t sheetCount)
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
        Refuse();
    return worksheets;
}

// One worksheet: freexl's cells, then the walk's cells in place of freexl's ones.
Worksheet ReadSheet(const void* xls, unsigned int index, const std::vector<MarkedCell>& marked, qint64& totalCells)
{
    Worksheet sheet;
    const char* name = nullptr;
    unsigned int rows = 0;
    unsigned short cols = 0;
    if (freexl_get_worksheet_name(xls, static_cast<unsigned short>(index), &name) != FREEXL_OK ||
        freexl_select_active_worksheet(xls, static_cast<unsigned short>(index)) != FREEXL_OK ||
        freexl_worksheet_dimensions(xls, &rows, &cols) != FREEXL_OK)
        Refuse();
    if (rows > static_cast<unsigned>(kMaxBiffRows) || cols > kMaxBiffCols)
        Refuse();
    totalCells += static_cast<qint64>(rows) * cols;
    if (totalCells > kMaxTotalCells)  // freexl's sizes disagree with the records' ones
        Refuse();
    sheet.name = name ? QString::fromUtf8(name) : QString();
    sheet.rows = static_cast<int>(rows);
    sheet.cols = cols;
    for (int r = 0; r < sheet.rows; ++r) {
        for (int c = 0; c < sheet.cols; ++c) {
            Cell cell = ReadCell(xls, r, c);
            if (cell.type != CellType::Empty || cell.doubt != Doubt::None)
                sheet.Set(r, c, std::move(cell));
        }
    }
    for (const MarkedCell& m : marked) {
        if (m.row >= sheet.rows || m.col >= sheet.cols)
            continue;  // outside the declared dimensions: freexl has nothing there
        sheet.Set(m.row, m.col, m.cell);
    }
    return sheet;
}

}  // namespace

bool LooksLikeXls(const QByteArray& bytes)
{
    return bytes.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"));
}

Workbook ReadXlsWorkbook(const QByteArray& bytes)
{
    // The record walk goes first: besides finding the cells freexl reads unfaithfully, it
    // keeps damaged files away from freexl, which reads past its buffers on some of them.
    const auto scanned = ScanSheetRecords(bytes);
    if (!scanned)
        Refuse();
    qint64 declaredCells = 0;
    for (const SheetRecords& sheet : *scanned)
        declaredCells += sheet.rows * sheet.cols;
    // freexl allocates room for every declared cell when it opens a file.
    if (declaredCells > kMaxTotalCells)
        Refuse(true);

    const MemoryFile file(bytes);
    if (!file.Ok())
        Refuse();
    FreexlHandle xls;
    if (freexl_open(file.Path().constData(), xls.Out()) != FREEXL_OK || !xls.Get())
        Refuse();
    unsigned int info = 0;
    if (freexl_get_info(xls.Get(), FREEXL_BIFF_PASSWORD, &info) != FREEXL_OK || info == FREEXL_BIFF_OBFUSCATED)
        Refuse();
    unsigned int sheetCount = 0;
    if (freexl_get_info(xls.Get(), FREEXL_BIFF_SHEET_COUNT, &sheetCount) != FREEXL_OK || sheetCount == 0 ||
        sheetCount > static_cast<unsigned>(kMaxSheets))
        Refuse();

    const auto marked = MarkedCellsBySheet(*scanned, sheetCount);
    Workbook book;
    qint64 totalCells = 0;
    for (unsigned int s = 0; s < sheetCount; ++s)
        book.sheets.push_back(ReadSheet(xls.Get(), s, marked[s], totalCells));
    return book;
}

}  // namespace moravel::import
