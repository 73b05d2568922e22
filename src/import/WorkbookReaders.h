#pragma once
// The readers of the helper process moravel-reader: the bytes of a file in, its workbook
// out. The bytes decide the reader: a compound file is read as .xls (freexl), a zip as .xlsx
// or .ods (liborcus), anything else that is text as CSV.
#include "import/Workbook.h"

namespace moravel::import {

// Throws WorkbookRefused for bytes no reader takes, WorkbookRefused(true) for a workbook
// out of all reason.
Workbook ReadWorkbookBytes(const QByteArray& bytes);

}  // namespace moravel::import
