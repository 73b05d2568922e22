#pragma once
// Reading .xlsx and .ods workbooks with liborcus, inside the helper process. This file and
// its .cpp are the only ones that know liborcus: a later version's interface changes touch
// them alone.
//
// What arrives: numbers and texts (shared strings included); formulas as the results the
// file keeps for them; booleans as 1 or 0; error values as empty cells; dates and times as
// the texts "2024-05-17", "2024-05-17 13:30:00" or "13:30:00" (.ods date cells, and .xlsx
// numbers shown in a date or time format).
#include "import/SpreadsheetArchive.h"
#include "import/Workbook.h"

namespace moravel::import {

// The worksheets of the workbook of the given kind (InspectArchive has looked at the zip).
// Throws WorkbookRefused for anything liborcus can't read or a workbook without sheets,
// WorkbookRefused(true) for more sheets or cells than a workbook may bring.
Workbook ReadOrcusWorkbook(const QByteArray& bytes, ArchiveKind kind);

}  // namespace moravel::import
