// Any bytes read as an .xlsx workbook as the helper reads them: the zip directory's check, the
// rewriting of the parts liborcus would not read whole, then liborcus.
#include "WorkbookFuzz.h"
#include "import/OrcusWorkbook.h"

using namespace moravel::import;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckWorkbookReader(data, size, [](const QByteArray& bytes) {
        if (InspectArchive(bytes) != ArchiveKind::Xlsx)
            throw WorkbookRefused();
        return ReadOrcusWorkbook(PreparedForLiborcus(bytes, ArchiveKind::Xlsx), ArchiveKind::Xlsx);
    });
    return 0;
}
