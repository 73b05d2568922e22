#pragma once
// What the merge's readers must give for any bytes: a refusal naming the file, or a part
// whose every realisation passes the checks the merge relies on (lengths within the time
// dimension, figures finite and not negative, a range within its series), read in blocks
// without reading past the file.
#include "FuzzCheck.h"
#include "FuzzInputFile.h"
#include "FuzzLimits.h"
#include "cli/SeriesPart.h"
#include "text/Error.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

template <typename Open>
void CheckSeriesPartReader(const uint8_t* data, size_t size, Open open)
{
    using namespace moravel;
    const QString path = FuzzInputFile(data, size);
    std::unique_ptr<cli::SeriesPartReader> part;
    try {
        part = open(path);
    } catch (const Error& e) {
        FUZZ_CHECK(e.text().startsWith(QStringLiteral("Nie można odczytać pliku ") + path));
        return;
    }
    const cli::RangeIdentity& id = part->Identity();
    FUZZ_CHECK(id.first >= 0 && id.count >= 0 && id.series >= 1 && id.count <= id.series - id.first);
    FUZZ_CHECK(static_cast<std::uint64_t>(id.count) <= size);
    FUZZ_CHECK(id.fingerprint == cli::InputsFingerprint(part->Origin().inputs, part->Origin().source));
    const std::vector<int> lengths = part->Lengths();
    FUZZ_CHECK(lengths.size() == static_cast<std::size_t>(id.count));
    std::vector<model::RealisationSummary> summaries;
    part->AppendSummaries(summaries);
    FUZZ_CHECK(summaries.size() == lengths.size());
    const int hours = part->TimeLength();
    std::vector<float> row(static_cast<std::size_t>(std::max(hours, 0)));
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        FUZZ_CHECK(lengths[i] >= 0 && lengths[i] <= hours);
        if (hours > 0)
            part->ReadBlock(static_cast<std::int64_t>(i), 1, 1, hours, lengths, row.data());
        FUZZ_CHECK(cli::PartRecordFault(summaries[i], row.data(), lengths[i]).isEmpty());
    }
    part->Release();
}
