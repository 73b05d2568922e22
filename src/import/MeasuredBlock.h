#pragma once
// A measured flood out of a marked block: the texts of its first two columns, row by row, for
// model::ReadMeasuredHydrograph (the hour and the discharge, or, from a block one column wide,
// the hourly discharges).
#include <QChar>
#include <QStringList>
#include <vector>

#include "import/ImportBlock.h"
#include "import/Workbook.h"

namespace moravel::import {

// One row per row of the block from the top, each with the texts (CellText) of the block's
// first column and, when the block is wider, its second. Throws moravel::Error with a Polish
// refusal for a block that does not lie on a worksheet of the workbook.
std::vector<QStringList> MeasuredBlockRows(const Workbook& book, const CellBlock& block, QChar decimalSeparator);

}  // namespace moravel::import
