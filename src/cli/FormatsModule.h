#pragma once
// The files of the formats module (Formats.h), through the module, loaded the first time a
// command needs one. The module is found by the program's run path: beside the program in the
// build tree, in the package's library folder once installed.
#include <QString>

#include <memory>

#include "cli/SeriesPart.h"
#include "report/DesignFloodExport.h"
#include "report/VariantsExport.h"

namespace moravel::cli {

// A NetCDF hydrograph file (HydrographFile.h) of a range of a series, written under `path`
// (OutputError when it can't be).
std::unique_ptr<SeriesPartWriter> CreateHydrographFile(const QString& path, const RangeIdentity& identity,
                                                       const PartOrigin& origin);

// A NetCDF hydrograph file opened for reading (moravel::Error when it can't be read).
std::unique_ptr<SeriesPartReader> OpenHydrographFile(const QString& path);

// report::WriteVariantsWorkbook, done by the module.
void WriteVariantsWorkbookFile(const report::VariantsComparison& c, const QString& path);

// report::WriteDesignFloodWorkbook, done by the module.
void WriteDesignFloodWorkbookFile(const model::DesignFloodResult& result,
                                  const report::DesignFloodDescription& description, const QString& path);

}  // namespace moravel::cli
