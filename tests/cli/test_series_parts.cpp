// The series' figures out of hydrograph files, in process: parts written by RunRange and read
// back by SeriesOfParts give, field for field, what the series window's SeriesJob computes,
// with realisations that fail among them and with the band read in blocks of a few hours.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "ZlewniaSeries.h"
#include "cli/HydrographFile.h"
#include "cli/SeriesRun.h"
#include "model/Series.h"

namespace moravel::cli {
namespace {

void ExpectSameSpread(const model::Spread& a, const model::Spread& b)
{
    EXPECT_EQ(a.count, b.count);
    EXPECT_EQ(a.min, b.min);
    EXPECT_EQ(a.max, b.max);
    EXPECT_EQ(a.mean, b.mean);
    EXPECT_EQ(a.percentiles, b.percentiles);
}

TEST(SeriesOfParts, EqualsTheSeriesWindowsSeriesWithFailuresAndSmallHourBlocks)
{
    const model::ComputationInputs failing = examples::ZlewniaFailingInputs();
    const struct {
        const char* name;
        model::ComputationInputs inputs;
        std::size_t bandBudget;
    } cases[] = {
        {"the example, one block", examples::ZlewniaSeriesInputs(), kMergeBandBudgetBytes},
        {"the example, blocks of 3 hours", examples::ZlewniaSeriesInputs(), 3 * 4 * 200},
        {"failing realisations, blocks of 7 hours", failing, 7 * 4 * 200},
    };
    constexpr std::uint64_t kSeed = 77;
    const std::int64_t bounds[] = {0, 50, 120, 200};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        QStringList paths;
        const QString fingerprint = InputsFingerprint(c.inputs);
        std::int64_t failed = 0;
        for (int p = 2; p >= 0; --p) {
            const QString path = dir.filePath(QStringLiteral("%1.nc").arg(p));
            HydrographWriter writer(path, {kSeed, bounds[p], bounds[p + 1] - bounds[p], fingerprint}, c.inputs,
                                    QStringLiteral("test"));
            failed += RunRange(c.inputs, kSeed, bounds[p], bounds[p + 1] - bounds[p], nullptr, &writer).failed;
            writer.Close();
            paths << path;
        }
        const model::SeriesResult got = SeriesOfParts(OpenSeriesParts(paths), c.bandBudget);
        const model::SeriesResult want = model::RunSeries(c.inputs, 200, kSeed, 2);

        EXPECT_EQ(got.failed, failed);
        EXPECT_EQ(got.requested, want.requested);
        EXPECT_EQ(got.succeeded, want.succeeded);
        EXPECT_EQ(got.failed, want.failed);
        EXPECT_EQ(got.firstFailureIndex, want.firstFailureIndex);
        EXPECT_EQ(got.firstFailure, want.firstFailure);
        ASSERT_EQ(got.realisations.size(), want.realisations.size());
        for (std::size_t i = 0; i < got.realisations.size(); ++i) {
            EXPECT_EQ(got.realisations[i].ok, want.realisations[i].ok) << i;
            EXPECT_EQ(got.realisations[i].peak, want.realisations[i].peak) << i;
            EXPECT_EQ(got.realisations[i].peakHour, want.realisations[i].peakHour) << i;
            EXPECT_EQ(got.realisations[i].volume, want.realisations[i].volume) << i;
        }
        EXPECT_EQ(got.longestHydrograph, want.longestHydrograph);
        EXPECT_EQ(got.bandHours, want.bandHours);
        EXPECT_EQ(got.band, want.band);
        ExpectSameSpread(got.peak, want.peak);
        ExpectSameSpread(got.peakHour, want.peakHour);
        ExpectSameSpread(got.volume, want.volume);
        EXPECT_EQ(got.representative, want.representative);
        EXPECT_EQ(got.representativeDischarge, want.representativeDischarge);
        if (c.inputs.curveNumber > 100) {
            EXPECT_GT(want.failed, 0);
            EXPECT_GT(want.succeeded, 0);
        }
    }
}

}  // namespace
}  // namespace moravel::cli
