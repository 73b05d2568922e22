#pragma once
// Reading a legacy .xls workbook (BIFF5/BIFF8) with freexl, inside the helper process.
//
// The record walk of XlsRecords goes first and refuses the damaged files freexl is known to
// read past its buffers on. freexl then gives the plain cells; the cells it can't give
// faithfully come from the walk instead: formulas as their cached results, booleans as 1 or
// 0, error values as empty cells. Dates and times arrive as freexl's texts "2024-05-17",
// "2024-05-17 13:30:00" and "13:30:00".
#include "import/Workbook.h"

namespace moravel::import {

// Whether the bytes are a compound file (the container of .xls workbooks).
bool LooksLikeXls(const QByteArray& bytes);

// The worksheets of the workbook. Throws WorkbookRefused for anything that is not a
// readable .xls workbook (damaged, encrypted, without worksheets) and WorkbookRefused(true)
// for one whose declared size is out of all reason.
Workbook ReadXlsWorkbook(const QByteArray& bytes);

}  // namespace moravel::import
