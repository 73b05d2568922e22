// Any bytes read as an .ods workbook: the zip directory's check, then liborcus.
#include "WorkbookFuzz.h"
#include "import/OrcusWorkbook.h"

using namespace moravel::import;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckWorkbookReader(data, size, [](const QByteArray& bytes) {
        if (InspectArchive(bytes) != ArchiveKind::Ods)
            throw WorkbookRefused();
        return ReadOrcusWorkbook(bytes, ArchiveKind::Ods);
    });
    return 0;
}
