#pragma once
// Reading a CSV file as a workbook of one sheet, inside the helper process.
//
// - Encoding: UTF-8 (a byte-order mark is dropped) when the bytes are valid UTF-8, else
//   Windows-1250 through the program's own codec.
// - Separator: ";", tab or ",", whichever splits the first lines into the same number of
//   fields most often (a lone comma in lines that are all decimal-comma numbers is taken as
//   the decimal mark of a one-column file).
// - Fields may be quoted ("a;b", "say ""yes"""), and quoted fields may span lines.
// - A field that is a number with a decimal comma or point (and the separator is not that
//   character) arrives as a number; an empty field as an empty cell; anything else as text.
#include "import/Workbook.h"

namespace moravel::import {

// Whether the bytes can be a text file: no NUL byte.
bool LooksLikeText(const QByteArray& bytes);

// The one sheet (with an empty name; the caller names it after the file). Throws
// WorkbookRefused for bytes that are no text and WorkbookRefused(true) for more rows,
// columns or cells than a workbook may bring.
Workbook ReadCsvWorkbook(const QByteArray& bytes);

}  // namespace moravel::import
