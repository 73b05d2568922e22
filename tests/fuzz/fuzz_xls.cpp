// Any bytes read as a legacy .xls workbook: the record checks, then freexl on what passes.
#include "WorkbookFuzz.h"
#include "import/XlsWorkbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckWorkbookReader(data, size, moravel::import::ReadXlsWorkbook);
    return 0;
}
