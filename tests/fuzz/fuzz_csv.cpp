// Any bytes read as a CSV file: the encoding, the separator, the fields and the numbers.
#include "WorkbookFuzz.h"
#include "import/CsvWorkbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckWorkbookReader(data, size, moravel::import::ReadCsvWorkbook);
    return 0;
}
