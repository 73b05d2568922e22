#include "import/WorkbookReaders.h"

#include "import/CsvWorkbook.h"
#include "import/OrcusWorkbook.h"
#include "import/SpreadsheetArchive.h"
#include "import/XlsWorkbook.h"

namespace moravel::import {

Workbook ReadWorkbookBytes(const QByteArray& bytes)
{
    if (LooksLikeXls(bytes))
        return ReadXlsWorkbook(bytes);
    if (LooksLikeZip(bytes)) {
        const ArchiveKind kind = InspectArchive(bytes);
        return ReadOrcusWorkbook(PreparedForLiborcus(bytes, kind), kind);
    }
    return ReadCsvWorkbook(bytes);
}

}  // namespace moravel::import
