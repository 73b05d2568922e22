// The series' figures out of part files, in process: parts written by RunRange (shards' part
// files and NetCDF files mixed) and read back by SeriesOfParts give, field for field, what the
// series window's SeriesJob computes, with realisations that fail among them and with the band
// read in blocks of a few hours.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "ZlewniaSeries.h"
#include <QFile>

#include "cli/FormatsModule.h"
#include "cli/PartFile.h"
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
            // Parts 0 and 2 as shards write them, part 1 as a merge or a series does.
            const bool shard = p % 2 == 0;
            const QString path = dir.filePath(QStringLiteral("%1.%2").arg(p).arg(shard ? "bin" : "nc"));
            const RangeIdentity identity{kSeed, bounds[p], bounds[p + 1] - bounds[p], fingerprint};
            const PartOrigin origin{QStringLiteral("test"), c.inputs};
            const auto writer =
                shard ? CreatePartFile(path, identity, origin) : CreateHydrographFile(path, identity, origin);
            failed += RunRange(c.inputs, kSeed, bounds[p], bounds[p + 1] - bounds[p], nullptr, writer.get()).failed;
            writer->Close();
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

// What a part keeps of its inputs comes back as written, from either kind of file: the merge
// writes it into the whole series' file.
TEST(SeriesParts, KeepTheirOriginAndRefuseDamagedFiles)
{
    QTemporaryDir dir;
    model::ComputationInputs typed = examples::ZlewniaSeriesInputs();
    // Typed effective rainfall: no rainfall and no curve number, as the builder gives them.
    typed.directEffectiveRain = true;
    typed.rainfall.clear();
    typed.curveNumber = 0;
    typed.effectiveRain = {0.0f, 1.25f, 3.1f};
    typed.parameters.HourCount = 3;
    for (const model::ComputationInputs& inputs : {examples::ZlewniaSeriesInputs(), typed}) {
        for (const bool shard : {true, false}) {
            SCOPED_TRACE(shard ? "part file" : "NetCDF");
            const QString path = dir.filePath(shard ? "o.bin" : "o.nc");
            const RangeIdentity identity{5, 7, 2, InputsFingerprint(inputs)};
            const PartOrigin origin{QStringLiteral("ścieżka/zlewnia 1.kpr"), inputs};
            const auto writer =
                shard ? CreatePartFile(path, identity, origin) : CreateHydrographFile(path, identity, origin);
            const float discharge[] = {1.5f, 2.5f};
            writer->AddHours({true, 2.5f, 2, 1e5}, discharge, 2);
            writer->AddHours({}, nullptr, 0);
            writer->SetFirstFailure(8, QStringLiteral("Błąd zmiennoprzecinkowy"));
            writer->Close();
            const auto reader = OpenSeriesPart(path);
            const PartOrigin back = reader->Origin();
            EXPECT_EQ(back.project, origin.project);
            EXPECT_EQ(InputsFingerprint(back.inputs), identity.fingerprint);
            EXPECT_EQ(back.inputs.rainfall, inputs.rainfall);
            EXPECT_EQ(back.inputs.effectiveRain, inputs.effectiveRain);
            EXPECT_EQ(reader->Identity().first, 7);
            EXPECT_EQ(reader->FirstFailureIndex(), 8);
            EXPECT_EQ(reader->FirstFailure(), QStringLiteral("Błąd zmiennoprzecinkowy"));
            EXPECT_EQ(reader->Lengths(), (std::vector<int>{2, 0}));
            float block[6];
            reader->ReadBlock(0, 2, 2, 3, reader->Lengths(), block);
            EXPECT_EQ(std::vector<float>(block, block + 6), (std::vector<float>{2.5f, 0, 0, 0, 0, 0}));
        }
    }

    // A part file cut short (a shard killed while writing), one with a record cut, one that
    // is no part file: refused with the file named, never read as fewer realisations.
    const QString whole = dir.filePath("o.bin");
    QFile source(whole);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    const auto write = [&](const char* name, const QByteArray& content) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return dir.filePath(name);
    };
    QByteArray longer = bytes;
    longer[0] = 9;  // the first record claims 9 hours: it runs into the description
    const struct {
        const char* name;
        QString path;
        const char* message;
    } damaged[] = {
        {"cut short", write("cut.bin", bytes.left(bytes.size() - 3)), "to nie jest kompletny plik fragmentu serii"},
        {"a record too long", write("long.bin", longer), "uszkodzony zapis realizacji 1"},
        {"empty", write("empty.bin", {}), "to nie jest kompletny plik fragmentu serii"},
    };
    for (const auto& d : damaged) {
        SCOPED_TRACE(d.name);
        try {
            OpenPartFile(d.path);
            ADD_FAILURE() << "read";
        } catch (const Error& e) {
            EXPECT_EQ(e.text(),
                      QStringLiteral("Nie można odczytać pliku %1: %2").arg(d.path, QString::fromUtf8(d.message)));
        }
    }
}

}  // namespace
}  // namespace moravel::cli
