#pragma once
// The manifest of moravel-run --manifest: many projects in one call, one line each,
//
//   projekt,realizacje,ziarno,opad
//
// the project relative to the manifest's folder; no count: one realisation; no seed: a clock
// seed, printed; a rainfall file (.kwp, relative to the manifest's folder) read in place of
// the project's. A first line that starts with "projekt" is the heading.
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace moravel::cli {

struct ManifestLine {
    int number = 0;  // the line's number in the file, from 1
    QString project;
    std::int64_t count = 1;  // from 1 to kMaxRealisationNumber
    std::optional<std::uint64_t> seed;
    QString rainfall;  // empty: the project's own
};

// The lines of the manifest at `path`, as written; the projects and the storms are not read.
// Throws moravel::Error naming the file and the line.
std::vector<ManifestLine> ReadManifest(const QString& path);

}  // namespace moravel::cli
