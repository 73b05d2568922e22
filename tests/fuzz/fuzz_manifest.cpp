// Any bytes read as moravel-run's manifest: lines in the file's order, each with a count of
// realisations within the streamed series' bound and its project (and storm) placed in the
// manifest's folder unless written absolute, or a refusal naming the file and the line.
#include "UserFileFuzz.h"
#include "cli/Arguments.h"
#include "cli/Manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace moravel;
    const UserFileInput in(data, size);
    const auto lines = ReadUserFile(in, cli::ReadManifest);
    if (!lines)
        return 0;
    CheckLineNumbers(*lines, in);
    for (const cli::ManifestLine& line : *lines) {
        FUZZ_CHECK(line.count >= 1 && line.count <= cli::kMaxRealisationNumber);
        FUZZ_CHECK(line.project.startsWith(in.folder) || QDir::isAbsolutePath(line.project));
        FUZZ_CHECK(line.rainfall.isEmpty() || in.Placed(line.rainfall));
    }
    return 0;
}
