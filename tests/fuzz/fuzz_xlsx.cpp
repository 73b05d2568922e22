// Any bytes read as an .xlsx workbook: the zip directory's check, then liborcus.
#include "WorkbookFuzz.h"
#include "excel/OrcusWorkbook.h"

using namespace moravel::excel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckWorkbookReader(data, size, [](const QByteArray& bytes) {
        if (InspectArchive(bytes) != ArchiveKind::Xlsx)
            throw WorkbookRefused();
        return ReadOrcusWorkbook(bytes, ArchiveKind::Xlsx);
    });
    return 0;
}
