// Any bytes read as the NetCDF hydrograph file of a series or a merge (hydrogramy.nc).
#include "SeriesPartFuzz.h"
#include "cli/HydrographFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckSeriesPartReader(data, size, moravel::cli::OpenNetcdfFile);
    return 0;
}
