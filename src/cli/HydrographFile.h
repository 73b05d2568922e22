#pragma once
// Every realisation's hourly discharge of a range of a series in one NetCDF-4 file following
// the CF conventions: dimensions realisation x time, the discharge in m3 s-1, per realisation
// its hydrograph's length, peak, hour of the peak, outflow volume and whether it was computed,
// and as global attributes the series seed, the range, a fingerprint of the inputs and the
// inputs themselves. A series (--hydrographs), a manifest line and a merge write one; the
// merge reads them back as parts of a larger series.
//
// Part of the formats module (Formats.h): only the commands that read or write such a file
// load libnetcdf and the fifty libraries it brings.
//
// Layout:
//   realisation(realisation)         int    the realisation's number in the series (1-based)
//   time(time)                       int    h from the storm's start (the end of hour t)
//   discharge(realisation, time)     float  m3 s-1; after the hydrograph's end the fill value
//   hydrograph_length(realisation)   int    h
//   peak_discharge(realisation)      float  m3 s-1
//   peak_hour(realisation)           int    h
//   outflow_volume(realisation)      double m3
//   computed(realisation)            byte   1 computed, 0 failed (a floating-point fault)
// The time dimension is unlimited (its length is the longest hydrograph); the discharge is
// stored in chunks of 1024 realisations x 16 hours, so that a block of hours of every
// realisation (what the percentile band needs) is read without reading whole hydrographs.
#include <QString>

#include <memory>

#include "cli/SeriesPart.h"

namespace moravel::cli {

std::unique_ptr<SeriesPartWriter> CreateNetcdfFile(const QString& path, const RangeIdentity& identity,
                                                   const PartOrigin& origin);
std::unique_ptr<SeriesPartReader> OpenNetcdfFile(const QString& path);

}  // namespace moravel::cli
