#pragma once
// A legacy .xls workbook (BIFF5/BIFF8) read into plain values: its worksheets, each a grid
// of cells that are numbers, texts or empty.
//
// The cell values come from freexl. freexl cannot give every cell faithfully: it drops
// formula cells (empty, whatever value the file has cached for them), turns booleans and
// error cells into the integers 1/0 and an error code, and gives dates and times as
// "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS" texts. Every such cell carries a
// `Doubt` so that whoever shows or imports it can warn instead of passing on a wrong value.
#include <QHash>
#include <QString>
#include <cstdint>
#include <vector>

namespace moravel::excel {

enum class CellType : std::uint8_t { Empty, Number, Text };

// Why a cell's value may not be what the spreadsheet shows.
enum class Doubt : std::uint8_t {
    None,
    Formula,  // a formula: its value is not read, the cell reads as empty
    Boolean,  // TRUE/FALSE: reads as the number 1 or 0
    Error,    // #DIV/0!, #N/A, ...: reads as a number
    Date,     // a date or time: reads as an ISO-style text
};

struct Cell {
    CellType type = CellType::Empty;
    double number = 0;  // when type is Number
    QString text;       // when type is Text
    Doubt doubt = Doubt::None;
};

// Largest worksheet a BIFF8 file can describe.
constexpr int kMaxSheetRows = 65536;
constexpr int kMaxSheetCols = 256;

struct Worksheet {
    QString name;
    int rows = 0;  // used rows and columns as the file declares them: cells outside are empty
    int cols = 0;
    QHash<std::uint64_t, Cell> cells;  // only cells that hold something or carry a doubt

    // The cell at (row, col), 0-based; an empty cell outside the stored ones.
    const Cell& At(int row, int col) const;
    void Set(int row, int col, Cell cell);
};

struct Workbook {
    QString path;
    std::vector<Worksheet> sheets;  // worksheets in the workbook's order (no chart sheets)
};

// Reads the workbook file. Throws moravel::Error("Nie można odczytać skoroszytu <path>") for
// anything that is not a readable .xls workbook (a missing file, a directory, an empty,
// damaged or encrypted file, an .xlsx, a workbook without worksheets) and
// moravel::Error("Skoroszyt <path> jest zbyt duży, by go odczytać") for a workbook whose
// declared size is out of all reason.
Workbook ReadWorkbook(const QString& path);

// "A", "B", ..., "Z", "AA", ... for a 0-based column index.
QString ColumnName(int col);
// "C10" for 0-based row 9, column 2.
QString CellName(int row, int col);

}  // namespace moravel::excel
