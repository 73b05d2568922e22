#pragma once
// A small walker over the records of an .xls file, used beside freexl to find the cells
// that freexl reads unfaithfully and does not mark: formulas (which it drops), booleans and
// error values (which it turns into integers). It reads the compound-file container and the
// BIFF record headers only; every offset is checked against the file's size.
#include "excel/XlsWorkbook.h"

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

namespace moravel::excel {

struct MarkedCell {
    int row = 0;
    int col = 0;
    Doubt doubt = Doubt::None;
};

struct SheetRecords {
    int type = 0;           // BOUNDSHEET sheet type: 0 worksheet, 1 macro sheet, 2 chart, 6 VB module
    std::int64_t rows = 0;  // the size its DIMENSION record declares (0 without one)
    std::int64_t cols = 0;
    std::vector<MarkedCell> cells;  // formula, boolean and error cells, in file order
};

// One entry per sheet of the workbook, in the workbook's order; nothing when the bytes are
// not a compound file holding a BIFF5/BIFF8 workbook stream that can be walked.
std::optional<std::vector<SheetRecords>> ScanSheetRecords(const QByteArray& file);

}  // namespace moravel::excel
