#include "excel/WorkbookReaders.h"

#include "excel/CsvWorkbook.h"
#include "excel/OrcusWorkbook.h"
#include "excel/SpreadsheetArchive.h"
#include "excel/XlsWorkbook.h"

namespace moravel::excel {

Workbook ReadWorkbookBytes(const QByteArray& bytes)
{
    if (LooksLikeXls(bytes))
        return ReadXlsWorkbook(bytes);
    if (LooksLikeZip(bytes)) {
        const ArchiveKind kind = InspectArchive(bytes);
        return ReadOrcusWorkbook(kind == ArchiveKind::Xlsx ? WithRelativeTargets(bytes) : bytes, kind);
    }
    return ReadCsvWorkbook(bytes);
}

}  // namespace moravel::excel
