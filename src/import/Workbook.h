#pragma once
// A workbook read for the rainfall import, in plain values: its worksheets, each a grid of
// cells that are numbers, texts or empty, whatever the file's format (.xls, .xlsx, .ods,
// CSV).
//
// Some cells are not plain values in the file: formula results, booleans, error values,
// dates and times. Each such cell arrives as what the import will write (a formula as its
// computed result, a boolean as 1 or 0, an error value as empty, a date as an ISO-style
// text) and carries a `Doubt`, so that the picker can say what is going to arrive.
//
// The files are read by a helper process (see ReadWorkbook); its answer crosses a pipe in
// the format of EncodeWorkbook / DecodeWorkbook.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <exception>
#include <optional>
#include <vector>

namespace moravel::import {

enum class CellType : std::uint8_t { Empty, Number, Text };

// Why a cell's value may not be what the spreadsheet shows.
enum class Doubt : std::uint8_t {
    None,
    Formula,  // a formula: arrives as the result the file keeps for it
    Boolean,  // TRUE/FALSE: arrives as the number 1 or 0
    Error,    // #DIV/0!, #N/A, ...: arrives empty; `text` holds the error's name
    Date,     // a date or time: arrives as a text "2024-05-17", "2024-05-17 13:30:00" or "13:30:00"
};
constexpr int kDoubtKinds = 5;

struct Cell {
    CellType type = CellType::Empty;
    double number = 0;  // when type is Number
    QString text;       // when type is Text; the error's name for an empty error cell
    Doubt doubt = Doubt::None;
};

// A number read from a file as the cell it arrives as: the number, or for an infinity or a
// NaN (which a damaged or hand-made file may hold, and no spreadsheet shows as a number) the
// error value #NUM!, empty.
Cell NumberCell(double value, Doubt doubt = Doubt::None);

// The largest worksheet any of the formats describes (that of .xlsx).
constexpr int kMaxSheetRows = 1048576;
constexpr int kMaxSheetCols = 16384;
// The most sheets and stored cells (over all sheets) a workbook may bring: far beyond any
// rainfall workbook, and small enough to hold in memory.
constexpr int kMaxSheets = 1024;
constexpr qint64 kMaxTotalCells = 65536LL * 256;

struct Worksheet {
    QString name;
    int rows = 0;  // the used rows and columns: cells outside are empty
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

// How the helper is run. The defaults suit the program; tests point at the helper in the
// build tree or at its test build (which takes switches that make it fail on purpose) and
// shorten the time limit.
struct ReaderSettings {
    QString program;  // empty: moravel-reader beside the running program, or in ../libexec/moravel
    QStringList arguments;
    int timeoutMs = 20000;
};

// Reads the workbook file: its bytes are read once (at most kMaxFileBytes) and handed to the
// helper program moravel-reader, run as `reader` says, which checks and parses them under
// limits of memory and time and answers with the cells. Which of its readers parses them is
// decided by the bytes, not by the file's name. Throws moravel::Error("Nie można odczytać skoroszytu <path>") for anything
// that is not a readable workbook (a missing file, a directory, an empty, damaged or
// encrypted file, a file of another kind, a workbook without worksheets) and whenever the
// helper crashes, exceeds a limit, hangs or answers nonsense; and
// moravel::Error("Skoroszyt <path> jest zbyt duży, by go odczytać") for a file or workbook
// whose size is out of all reason. While the helper works, `cancel` (when given) is looked
// at about every 50 ms; once it is set the helper is killed and WorkbookReadCancelled thrown.
Workbook ReadWorkbook(const QString& path, const ReaderSettings& reader = {},
                      const std::atomic<bool>* cancel = nullptr);

// The user stopped the reading: not an error, the command just ends.
class WorkbookReadCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "workbook reading cancelled"; }
};

constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;

// Thrown by the readers (inside the helper) for bytes they refuse.
class WorkbookRefused : public std::exception {
public:
    explicit WorkbookRefused(bool tooLarge = false) : tooLarge_(tooLarge) {}
    bool TooLarge() const { return tooLarge_; }
    const char* what() const noexcept override { return tooLarge_ ? "workbook too large" : "unreadable workbook"; }

private:
    bool tooLarge_;
};

// The helper's answer on the pipe. DecodeWorkbook checks everything it reads (counts, sizes,
// positions, kinds) and gives nothing for bytes that are not a well-formed answer.
QByteArray EncodeWorkbook(const Workbook& book);
std::optional<Workbook> DecodeWorkbook(const QByteArray& bytes);

// "A", "B", ..., "Z", "AA", ... for a 0-based column index.
QString ColumnName(int col);
// "C10" for 0-based row 9, column 2.
QString CellName(int row, int col);

}  // namespace moravel::import
