// Any bytes read as moravel-run's variants file: from two to eight variants in the file's
// order, each named (never empty, no ';', no surrounding blanks) and with its project placed
// in the file's folder unless written absolute, or a refusal naming the file (and the line).
#include "UserFileFuzz.h"
#include "cli/VariantsFile.h"
#include "model/Variants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace moravel;
    const UserFileInput in(data, size);
    const auto lines = ReadUserFile(in, cli::ReadVariantsFile);
    if (!lines)
        return 0;
    FUZZ_CHECK(int(lines->size()) >= model::kMinVariants && int(lines->size()) <= model::kMaxVariants);
    CheckLineNumbers(*lines, in);
    for (const cli::VariantLine& line : *lines) {
        FUZZ_CHECK(!line.name.isEmpty() && line.name == line.name.trimmed() && !line.name.contains(QLatin1Char(';')));
        FUZZ_CHECK(in.Placed(line.project));
    }
    return 0;
}
