// The series' figures out of part files, in process: parts written by RunRange (shards' part
// files and NetCDF files mixed) and read back by SeriesOfParts give, field for field, what the
// series window's SeriesJob computes, with realisations that fail among them and with the band
// read in blocks of a few hours.
#include <gtest/gtest.h>

#include <netcdf.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <functional>
#include <limits>

#include "ZlewniaSeries.h"

#include "cli/FormatsModule.h"
#include "cli/PartFile.h"
#include "cli/SeriesRun.h"
#include "model/Series.h"

namespace moravel::cli {
namespace {

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString Write(const QTemporaryDir& dir, const char* name, const QByteArray& content)
{
    QFile f(dir.filePath(QString::fromUtf8(name)));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
    return f.fileName();
}

// The part file or NetCDF file `path` is refused with its name and, when given, `message`.
void ExpectRefused(const QString& path, const char* message)
{
    try {
        OpenSeriesPart(path);
        ADD_FAILURE() << "read";
    } catch (const Error& e) {
        const QString head = QStringLiteral("Nie można odczytać pliku %1: ").arg(path);
        if (*message)
            EXPECT_EQ(e.text().toStdString(), (head + QString::fromUtf8(message)).toStdString());
        else
            EXPECT_TRUE(e.text().startsWith(head)) << e.text().toStdString();
    }
}

constexpr double kVolume = 123456.789;
constexpr float kHour1 = 1.625f, kPeak = 2.875f;

// Realisations 7 and 8 of a series of 9: one computed (2 hours), one failed.
QString WriteSmallPart(const QString& path, bool shard)
{
    const model::ComputationInputs inputs = examples::ZlewniaSeriesInputs();
    const RangeIdentity identity{5, 7, 2, 9, InputsFingerprint(inputs)};
    const PartOrigin origin{QStringLiteral("zlewnia.kpr"), inputs};
    const auto writer = shard ? CreatePartFile(path, identity, origin) : CreateHydrographFile(path, identity, origin);
    const float discharge[] = {kHour1, kPeak};
    writer->AddHours({true, kPeak, 2, kVolume}, discharge, 2);
    writer->AddHours({}, nullptr, 0);
    writer->SetFirstFailure(8, QStringLiteral("Błąd zmiennoprzecinkowy"));
    writer->Close();
    return path;
}

// A part file's bytes sealed again as a writer seals them (offset, length and checksum), with
// its description changed by `edit`.
QByteArray Resealed(const QByteArray& file, const std::function<void(QByteArray&)>& edit = {})
{
    constexpr qsizetype kFooter = 28;
    quint64 offset = 0, length = 0;
    std::memcpy(&offset, file.constData() + file.size() - kFooter, 8);
    std::memcpy(&length, file.constData() + file.size() - kFooter + 8, 8);
    QByteArray description = file.mid(static_cast<qsizetype>(offset), static_cast<qsizetype>(length));
    if (edit)
        edit(description);
    QByteArray out = file.left(static_cast<qsizetype>(offset)) + description;
    length = static_cast<quint64>(description.size());
    out.append(reinterpret_cast<const char*>(&offset), 8);
    out.append(reinterpret_cast<const char*>(&length), 8);
    PartChecksum sum;
    sum.AddBytes(out.constData(), static_cast<std::size_t>(out.size()));
    const std::uint32_t value = sum.Value();
    out.append(reinterpret_cast<const char*>(&value), 4);
    out.append("MRVPART2", 8);
    return out;
}

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
            const RangeIdentity identity{kSeed, bounds[p], bounds[p + 1] - bounds[p], 200, fingerprint};
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
// writes it into the whole series' file. Damaged part files are refused.
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
            const RangeIdentity identity{5, 7, 2, 9, InputsFingerprint(inputs)};
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
            EXPECT_EQ(reader->Identity().series, 9);
            EXPECT_EQ(reader->FirstFailureIndex(), 8);
            EXPECT_EQ(reader->FirstFailure(), QStringLiteral("Błąd zmiennoprzecinkowy"));
            EXPECT_EQ(reader->Lengths(), (std::vector<int>{2, 0}));
            float block[6];
            reader->ReadBlock(0, 2, 2, 3, reader->Lengths(), block);
            EXPECT_EQ(std::vector<float>(block, block + 6), (std::vector<float>{2.5f, 0, 0, 0, 0, 0}));
        }
    }

    // A part file cut short (a shard killed while writing), one that is no part file, one of
    // the first layout: refused with the file named, never read as fewer realisations.
    const QByteArray bytes = FileBytes(dir.filePath("o.bin"));
    QByteArray first = bytes;
    first.replace(first.size() - 8, 8, "MRVPART1");
    const struct {
        const char* name;
        QString path;
        const char* message;
    } damaged[] = {
        {"cut short", Write(dir, "cut.bin", bytes.left(bytes.size() - 3)), "to nie jest kompletny plik fragmentu serii"},
        {"empty", Write(dir, "empty.bin", {}), "to nie jest kompletny plik fragmentu serii"},
        {"the first layout", Write(dir, "first.bin", first),
         "fragment zapisany przez wcześniejszą wersję programu (układ 1): policz go ponownie"},
    };
    for (const auto& d : damaged) {
        SCOPED_TRACE(d.name);
        ExpectRefused(d.path, d.message);
    }
}

// A flipped bit anywhere in a part file, and in any value a NetCDF file keeps of its records,
// is refused: the checksum covers the records and the description.
TEST(SeriesParts, RefuseEveryFlippedBit)
{
    QTemporaryDir dir;
    const QString bin = WriteSmallPart(dir.filePath("o.bin"), true);
    const QString nc = WriteSmallPart(dir.filePath("o.nc"), false);
    ASSERT_NO_THROW(OpenPartFile(bin));
    ASSERT_NO_THROW(OpenSeriesPart(nc));

    const QByteArray bytes = FileBytes(bin);
    int refused = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        QByteArray flipped = bytes;
        flipped[i] = static_cast<char>(flipped[i] ^ (1 << (i % 8)));
        const QString path = Write(dir, "flipped.bin", flipped);
        try {
            OpenSeriesPart(path);
            ADD_FAILURE() << "bit " << i % 8 << " of byte " << i << " of " << bytes.size() << " accepted";
        } catch (const Error& e) {
            EXPECT_TRUE(e.text().startsWith(QStringLiteral("Nie można odczytać pliku ") + path)) << i;
            ++refused;
        }
    }
    EXPECT_EQ(refused, bytes.size());

    // In the NetCDF file: every bit of every stored copy of the records' distinctive values
    // (the volume, the discharge of hour 1, the peak).
    const QByteArray file = FileBytes(nc);
    const double volume = kVolume;
    const float hour1 = kHour1, peak = kPeak;
    std::vector<qsizetype> positions;
    for (const QByteArray& value : {QByteArray(reinterpret_cast<const char*>(&volume), 8),
                                    QByteArray(reinterpret_cast<const char*>(&hour1), 4),
                                    QByteArray(reinterpret_cast<const char*>(&peak), 4)}) {
        qsizetype found = 0;
        int copies = 0;
        while ((found = file.indexOf(value, found)) >= 0) {
            for (qsizetype b = 0; b < value.size(); ++b)
                positions.push_back(found + b);
            found += value.size();
            ++copies;
        }
        EXPECT_GE(copies, 1);
    }
    for (qsizetype at : positions) {
        for (int bit = 0; bit < 8; ++bit) {
            QByteArray flipped = file;
            flipped[at] = static_cast<char>(flipped[at] ^ (1 << bit));
            const QString path = Write(dir, "flipped.nc", flipped);
            try {
                OpenSeriesPart(path);
                ADD_FAILURE() << "bit " << bit << " of byte " << at << " accepted";
            } catch (const Error& e) {
                EXPECT_TRUE(e.text().startsWith(QStringLiteral("Nie można odczytać pliku ") + path)) << at;
            }
        }
    }
}

// Values and counts that a file's checksum vouches for (a file written wrong, or made to
// fool the reader) are checked too: every value of every record, the record count against the
// file's size before anything is allocated, the fingerprint against the inputs kept.
TEST(SeriesParts, CheckEveryValueAndCountOfASealedFile)
{
    QTemporaryDir dir;
    const QByteArray bytes = FileBytes(WriteSmallPart(dir.filePath("o.bin"), true));
    // Record 1 at 0 (24 bytes and 2 hours), record 2 (failed) at 32.
    const auto at = [&](qsizetype offset, auto value) {
        QByteArray b = bytes;
        b.replace(offset, sizeof value, QByteArray(reinterpret_cast<const char*>(&value), sizeof value));
        return Resealed(b);
    };
    const auto flipped = [&](qsizetype offset) {
        QByteArray b = bytes;
        b[offset] = static_cast<char>(b[offset] ^ 1);
        return b;
    };
    const auto described = [&](std::initializer_list<std::pair<const char*, const char*>> edits) {
        return Resealed(bytes, [&](QByteArray& text) {
            for (const auto& [from, to] : edits) {
                EXPECT_TRUE(text.contains(from)) << from;
                text.replace(from, to);
            }
        });
    };
    const struct {
        const char* name;
        QByteArray file;
        const char* message;
    } cases[] = {
        {"a damaged byte", flipped(16),
         "suma kontrolna nie zgadza się z zawartością (plik uszkodzony)"},
        {"a volume that is no number", at(16, std::numeric_limits<double>::quiet_NaN()),
         "uszkodzony zapis realizacji 1 (objętość nie jest liczbą nieujemną)"},
        {"a negative peak", at(8, -1.0f), "uszkodzony zapis realizacji 1 (przepływ maksymalny nie jest liczbą nieujemną)"},
        {"an infinite discharge", at(28, std::numeric_limits<float>::infinity()),
         "uszkodzony zapis realizacji 1 (przepływ w godzinie 2 nie jest liczbą nieujemną)"},
        {"a flag of 2", at(12, std::int32_t(2)), "uszkodzony zapis realizacji 1 (znacznik policzonej realizacji różny od 0 i 1)"},
        {"the peak after the hydrograph", at(4, std::int32_t(3)), "uszkodzony zapis realizacji 1 (godzina szczytu poza hydrogramem)"},
        {"a failed realisation with a volume", at(32 + 16, 7.0),
         "uszkodzony zapis realizacji 2 (nieudana realizacja z wynikami)"},
        {"a record running into the description", at(0, std::int32_t(900)), "uszkodzony zapis realizacji 1"},
        {"a huge record count", described({{"count=2", "count=1000000000000"}}),
         "zakres realizacji niezgodny z zapisami pliku"},
        {"more records than the count", described({{"count=2", "count=1"}, {"first_failure_index=8", "first_failure_index=-1"}}), "uszkodzony zapis realizacji 2"},
        {"a range beyond the series", described({{"series=9", "series=8"}}), "zakres realizacji niezgodny z zapisami pliku"},
        {"a failure outside the range", described({{"first_failure_index=8", "first_failure_index=2"}}),
         "niepoprawne pole first_failure_index w opisie fragmentu"},
        {"inputs other than the fingerprint's", described({{"rain_hours=", "rain_hours=1"}}),
         "odcisk danych wejściowych nie zgadza się z danymi zapisanymi w pliku"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectRefused(Write(dir, "planted.bin", c.file), c.message);
    }
}

// A NetCDF file that was not finished (its writer never closed it, or its process was killed)
// or that claims more realisations than it can hold is refused with the file named.
TEST(SeriesParts, RefuseUnfinishedAndOversizedNetcdfFiles)
{
    QTemporaryDir dir;
    const model::ComputationInputs inputs = examples::ZlewniaSeriesInputs();
    const RangeIdentity identity{5, 0, 3000, 3000, InputsFingerprint(inputs)};
    const float discharge[] = {1.0f, 2.0f, 1.0f};
    {
        // Left without Close: the library closes it, without the checksum.
        const auto writer = CreateHydrographFile(dir.filePath("open.nc"), identity, {QStringLiteral("p"), inputs});
        writer->AddHours({true, 2.0f, 2, 1e4}, discharge, 3);
    }
    ExpectRefused(dir.filePath("open.nc"), "plik niedokończony: brak sumy kontrolnej (zapis przerwany przed końcem)");

    // Killed after two blocks of records.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const auto writer = CreateHydrographFile(dir.filePath("killed.nc"), identity, {QStringLiteral("p"), inputs});
        for (int i = 0; i < 2048 + 10; ++i)
            writer->AddHours({true, 2.0f, 2, 1e4}, discharge, 3);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ExpectRefused(dir.filePath("killed.nc"), "");

    // A file of no records that claims a billion of them.
    const QByteArray path = QFile::encodeName(dir.filePath("huge.nc"));
    int ncid = -1, dim = 0;
    ASSERT_EQ(nc_create(path.constData(), NC_NETCDF4 | NC_CLOBBER, &ncid), NC_NOERR);
    ASSERT_EQ(nc_def_dim(ncid, "realisation", 1000000000, &dim), NC_NOERR);
    ASSERT_EQ(nc_def_dim(ncid, "time", NC_UNLIMITED, &dim), NC_NOERR);
    const int layout = 2;
    const unsigned sum = 0;
    const unsigned long long seed = 5;
    const long long range[3] = {0, 1000000000, 1000000000};
    nc_put_att_int(ncid, NC_GLOBAL, "layout_version", NC_INT, 1, &layout);
    nc_put_att_uint(ncid, NC_GLOBAL, "checksum_crc32", NC_UINT, 1, &sum);
    nc_put_att_ulonglong(ncid, NC_GLOBAL, "seed", NC_UINT64, 1, &seed);
    nc_put_att_longlong(ncid, NC_GLOBAL, "first_realisation_index", NC_INT64, 1, &range[0]);
    nc_put_att_longlong(ncid, NC_GLOBAL, "realisation_count", NC_INT64, 1, &range[1]);
    nc_put_att_longlong(ncid, NC_GLOBAL, "series_size", NC_INT64, 1, &range[2]);
    ASSERT_EQ(nc_close(ncid), NC_NOERR);
    ExpectRefused(dir.filePath("huge.nc"), "zakres realizacji niezgodny z rozmiarem pliku");
}

}  // namespace
}  // namespace moravel::cli
