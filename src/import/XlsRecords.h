#pragma once
// A small walker over the records of an .xls file. It goes in front of freexl and keeps away
// from it the files whose structures freexl trusts and reads past its buffers on: the
// compound-file container, the records' lengths, the lengths of the texts and the counts
// inside the records freexl parses (FORMAT, FONT, BOUNDSHEET, SST, LABEL, LABELSST), the
// sheets' declared sizes. Beside that it gives the cells freexl reads unfaithfully: formulas
// (which freexl drops; here their cached results), booleans and error values (which freexl
// turns into integers). Every offset is checked against the file's size.
#include "import/Workbook.h"

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

namespace moravel::import {

// A cell with the value it arrives as, which replaces freexl's one.
struct MarkedCell {
    int row = 0;
    int col = 0;
    Cell cell;
};

struct SheetRecords {
    int type = 0;           // BOUNDSHEET sheet type: 0 worksheet, 1 macro sheet, 2 chart, 6 VB module
    std::int64_t rows = 0;  // the size its DIMENSION record declares (0 without one)
    std::int64_t cols = 0;
    std::vector<MarkedCell> cells;  // formula, boolean and error cells, in file order
};

// The largest worksheet a BIFF8 file can describe.
constexpr int kMaxBiffRows = 65536;
constexpr int kMaxBiffCols = 256;

// One entry per sheet of the workbook, in the workbook's order; nothing when the bytes are
// not a compound file holding a BIFF5/BIFF8 workbook stream that can be walked, or when any
// of the checked structures is damaged.
std::optional<std::vector<SheetRecords>> ScanSheetRecords(const QByteArray& file);

}  // namespace moravel::import
