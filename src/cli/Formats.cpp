// The formats module's entry point (Formats.h).
#include "cli/Formats.h"

#include "cli/HydrographFile.h"

extern "C" __attribute__((visibility("default"))) const moravel::cli::FormatFunctions* moravel_format_functions()
{
    static const moravel::cli::FormatFunctions functions{
        MORAVEL_VERSION, &moravel::cli::CreateNetcdfFile, &moravel::cli::OpenNetcdfFile,
        &moravel::report::WriteVariantsWorkbook, &moravel::report::WriteDesignFloodWorkbook};
    return &functions;
}
