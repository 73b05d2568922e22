#include "import/MeasuredBlock.h"

#include "text/Error.h"

namespace moravel::import {

std::vector<QStringList> MeasuredBlockRows(const Workbook& book, const CellBlock& block, QChar decimalSeparator)
{
    if (block.sheet < 0 || block.sheet >= static_cast<int>(book.sheets.size()) || block.top < 0 || block.left < 0 ||
        block.bottom < block.top || block.right < block.left || block.bottom >= kMaxSheetRows ||
        block.right >= kMaxSheetCols)
        throw Error(QStringLiteral("Zaznaczony zakres nie leży na arkuszu skoroszytu"));
    const Worksheet& sheet = book.sheets[static_cast<std::size_t>(block.sheet)];
    const int columns = block.Cols() >= 2 ? 2 : 1;
    std::vector<QStringList> rows;
    rows.reserve(static_cast<std::size_t>(block.Rows()));
    for (int row = block.top; row <= block.bottom; ++row) {
        QStringList cells;
        for (int c = 0; c < columns; ++c)
            cells << CellText(sheet.At(row, block.left + c), decimalSeparator);
        rows.push_back(cells);
    }
    return rows;
}

}  // namespace moravel::import
