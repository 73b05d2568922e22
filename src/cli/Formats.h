#pragma once
// The formats module, moravel-formats.so: the files of moravel-run whose libraries are large
// (the NetCDF hydrograph files: libnetcdf with HDF5, curl, TLS, Kerberos, LDAP...; the
// workbooks: libxlsxwriter with OpenSSL's libcrypto). A shard or a single realisation needs
// none of them, and a program that loaded them at every start would spend tens of
// milliseconds on it, as long as a shard of thousands of realisations takes to compute. The
// program loads the module when a command first needs one of these files (FormatsModule.h).
#include <QString>

#include <memory>

#include "cli/SeriesPart.h"
#include "report/DesignFloodExport.h"
#include "report/VariantsExport.h"

namespace moravel::cli {

// The module's entry points.
struct FormatFunctions {
    const char* version;  // the program's version the module was built for
    std::unique_ptr<SeriesPartWriter> (*createHydrographFile)(const QString& path, const RangeIdentity& identity,
                                                              const PartOrigin& origin);
    std::unique_ptr<SeriesPartReader> (*openHydrographFile)(const QString& path);
    void (*writeVariantsWorkbook)(const report::VariantsComparison& c, const QString& path);
    void (*writeDesignFloodWorkbook)(const model::DesignFloodResult& result,
                                     const report::DesignFloodDescription& description, const QString& path);
};

}  // namespace moravel::cli

// The one symbol the module exports.
extern "C" const moravel::cli::FormatFunctions* moravel_format_functions();
