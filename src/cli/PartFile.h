#pragma once
// A shard's hydrographs in a file of plain records, written by the program alone (no library
// to load, so a shard of a few thousand realisations costs little more than computing them),
// read back by the merge. The merge turns the parts into the NetCDF file of the whole series.
//
// Layout (little-endian):
//   one record per realisation, in order:
//     int32    h      hours of discharge stored (0 for a realisation that failed)
//     int32    hour of the peak from the start of the storm
//     float32  peak discharge, m3/s
//     int32    1 computed, 0 failed
//     float64  outflow volume, m3
//     float32  x h   discharge of hours 1..h, m3/s
//   the description: UTF-8 lines "key=value" (values percent-encoded): the layout version,
//     the program, the seed, the range, the size of the series, the inputs' fingerprint, the
//     project, the first failure and the inputs (PartDescription, SeriesPart.h)
//   28 bytes: uint64 offset of the description, uint64 its length, uint32 the crc32 of every
//     byte before it, "MRVPART2"
// A file is complete only with its last 28 bytes, which are written last. The reader checks
// the checksum, the record count against the file's size, every record's values and the
// fingerprint against the inputs the file keeps before it gives anything out.
#include <QFile>
#include <QString>

#include <memory>

#include "cli/SeriesPart.h"

namespace moravel::cli {

std::unique_ptr<SeriesPartWriter> CreatePartFile(const QString& path, const RangeIdentity& identity,
                                                 const PartOrigin& origin);
std::unique_ptr<SeriesPartReader> OpenPartFile(const QString& path);

}  // namespace moravel::cli
