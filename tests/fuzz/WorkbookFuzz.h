#pragma once
// What every workbook reader must give for any bytes: a refusal, or a workbook within the
// limits whose answer to the program crosses the pipe unchanged.
//
// The readers run in the helper moravel-reader under limits of processor time and memory
// (ReaderProtocol.h); a file that needs more is refused there. The targets run under the
// same limits (FuzzLimits.h).
#include "FuzzCheck.h"
#include "FuzzLimits.h"
#include "import/Workbook.h"

#include <cstdint>
#include <string>
#include <vector>

template <typename Read>
void CheckWorkbookReader(const uint8_t* data, size_t size, Read read)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    using namespace moravel::import;
    Workbook book;
    try {
        book = read(bytes);
    } catch (const WorkbookRefused&) {
        return;
    }
    FUZZ_CHECK(!book.sheets.empty() && book.sheets.size() <= static_cast<std::size_t>(kMaxSheets));
    qint64 cells = 0;
    for (const Worksheet& sheet : book.sheets) {
        FUZZ_CHECK(sheet.rows >= 0 && sheet.rows <= kMaxSheetRows);
        FUZZ_CHECK(sheet.cols >= 0 && sheet.cols <= kMaxSheetCols);
        cells += sheet.cells.size();
    }
    FUZZ_CHECK(cells <= kMaxTotalCells);
    const std::optional<Workbook> back = DecodeWorkbook(EncodeWorkbook(book));
    FUZZ_CHECK(back && back->sheets.size() == book.sheets.size());
    for (std::size_t s = 0; s < book.sheets.size(); ++s)
        FUZZ_CHECK(back->sheets[s].cells.size() == book.sheets[s].cells.size());
}
