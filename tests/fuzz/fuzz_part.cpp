// Any bytes read as a shard's part file (hydrogramy.bin).
#include "SeriesPartFuzz.h"
#include "cli/PartFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckSeriesPartReader(data, size, moravel::cli::OpenPartFile);
    return 0;
}
