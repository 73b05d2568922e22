#include "cli/Run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Common.h"
#include "cli/ContentLines.h"
#include "cli/DesignRun.h"
#include "cli/Manifest.h"
#include "cli/FormatsModule.h"
#include "cli/Output.h"
#include "cli/PartFile.h"
#include "cli/Progress.h"
#include "cli/SeriesRun.h"
#include "cli/VariantsFile.h"
#include "files/ProjectInputs.h"
#include "model/Series.h"
#include "model/Variants.h"
#include "report/Csv.h"
#include "report/SeriesExport.h"
#include "report/VariantsExport.h"
#include "text/NumText.h"
#include "text/Shown.h"

namespace moravel::cli {
namespace {

// The project read as the window opens it; a non-empty `rainfall` (a manifest line's storm)
// read in place of the project's rainfall file.
model::ComputationInputs ReadInputs(const QString& project, QChar separator, bool forSeries,
                                    const QString& rainfall = QString())
{
    try {
        model::ComputationInputs inputs =
            files::ProjectComputationInputs(project, separator, LandUseCellWarning(project), rainfall);
        // As the series window: a fault of the formulas on these inputs now, before any run.
        if (forSeries)
            model::CheckRealisationRuns(inputs);
        return inputs;
    } catch (const Error& e) {
        throw DataError(project + QStringLiteral(": ") +
                        WithHint(e.text(), OtherSeparatorHint(project, separator, rainfall)));
    }
}

void ReportFailures(std::int64_t failed, std::int64_t total, std::int64_t firstIndex, const QString& first)
{
    if (failed > 0)
        Say(QStringLiteral("nieudane realizacje: %1 z %2; pierwsza (nr %3): %4")
                .arg(failed)
                .arg(total)
                .arg(firstIndex + 1)
                .arg(first));
}

// ---- One realisation

int RunOne(const Arguments& a)
{
    const QString& project = a.operands.front();
    const model::ComputationInputs inputs = ReadInputs(project, DecimalSeparator(a), false);
    const std::uint64_t seed = SeedOf(a);
    model::RealisationWorkspace work;
    model::SubstreamSource random(seed, 0);
    model::RealisationResult r;
    try {
        r = model::RunRealisation(inputs, random, work);
    } catch (const Error& e) {
        throw DataError(project + QStringLiteral(": ") + e.text());
    }
    // The columns of the window's hydrograph table, every value as the exact single-precision
    // number (the window rounds its table to 4 decimals for reading).
    const QChar field = report::CsvFieldSeparator(kMachineDecimal);
    OutputFile out(a.out);
    QString text = report::CsvLine({QStringLiteral("Godzina"), QStringLiteral("Opad [mm]"),
                                    QStringLiteral("Opad efektywny [mm]"), QStringLiteral("Przepływ [m³/s]")},
                                   field);
    const int hours = inputs.parameters.HourCount;
    const auto value = [](float v) { return text::FormatShortestFloat(v, kMachineDecimal); };
    for (int t = 1; t <= std::max(hours, r.length); ++t) {
        const bool rain = t <= hours;
        text += report::CsvLine(
            {QString::number(t), rain && !inputs.directEffectiveRain ? value(inputs.rainfall[t - 1]) : QString(),
             rain ? value(work.state->EffectiveRain[t]) : QString(), t <= r.length ? value(r.ordinates[t]) : QString()},
            field);
    }
    const QByteArray bytes = text.toUtf8();
    if (out.Device().write(bytes) != bytes.size())
        CannotCreate(a.out.isEmpty() ? QStringLiteral("(standardowe wyjście)") : a.out);
    out.Commit();
    return kExitOk;
}

// ---- A series in one process

void WriteBand(OutputFile& file, const model::SeriesResult& result)
{
    const QByteArray bytes = report::SeriesBandCsv(result, kMachineDecimal).Text().toUtf8();
    if (file.Device().write(bytes) != bytes.size())
        throw OutputError(QStringLiteral("Nie można zapisać pasma"));
}

int RunSeries(const Arguments& a)
{
    const QString& project = a.operands.front();
    const model::ComputationInputs inputs = ReadInputs(project, DecimalSeparator(a), true);
    const std::uint64_t seed = SeedOf(a);
    const std::int64_t n = *a.series;

    // Every output under a temporary name until the whole series is written.
    OutputFile summaryFile(a.out);
    std::optional<OutputFile> bandFile;
    if (!a.band.isEmpty())
        bandFile.emplace(a.band);
    std::optional<StagedFile> hydrographFile;
    QTemporaryDir scratch;  // the hydrographs the band needs when no file is asked for
    QString ncPath;
    if (!a.hydrographs.isEmpty()) {
        hydrographFile.emplace(a.hydrographs);
        ncPath = hydrographFile->TemporaryPath();
    } else if (bandFile) {
        if (!scratch.isValid())
            throw OutputError(QStringLiteral("Nie można utworzyć katalogu tymczasowego"));
        ncPath = scratch.filePath(kHydrographsFileName);
    }

    SummaryStream summary(summaryFile.Device());
    summary.Header();
    std::unique_ptr<SeriesPartWriter> writer;
    if (!ncPath.isEmpty())
        writer =
            CreateHydrographFile(ncPath, RangeIdentity{seed, 0, n, n, InputsFingerprint(inputs)}, {project, inputs});
    ProgressBar bar(n, ProgressWanted(a.quiet));
    const RangeOutcome outcome =
        RunRange(inputs, seed, 0, n, &summary, writer.get(), [&bar](std::int64_t done) { bar.Update(done); });
    if (writer)
        writer->Close();
    if (bandFile) {
        std::vector<std::unique_ptr<SeriesPartReader>> parts;
        parts.push_back(OpenHydrographFile(ncPath));
        WriteBand(*bandFile, SeriesOfParts(parts));
    }
    summary.Close();
    summaryFile.Commit();
    if (hydrographFile)
        hydrographFile->Commit();
    if (bandFile)
        bandFile->Commit();
    ReportFailures(outcome.failed, n, outcome.firstFailureIndex, outcome.firstFailure);
    return kExitOk;
}

// ---- Results folders: a shard, a series of a manifest line

// Realisations [first, first + count) into a results folder's table and hydrographs. A whole
// series (`withBand`) gets its NetCDF file and its band; a shard its part file, written by the
// program alone, so that it needs no library loaded to start.
RangeOutcome RunIntoFolder(const model::ComputationInputs& inputs, const QString& project,
                           const RangeIdentity& identity, StagedFolder& folder, bool withBand, bool quiet)
{
    OutputFile summaryFile(folder.File(kRealisationsFileName));
    SummaryStream summary(summaryFile.Device());
    summary.Header();
    const QString partPath = folder.File(withBand ? kHydrographsFileName : kPartFileName);
    const std::unique_ptr<SeriesPartWriter> writer = withBand
                                                         ? CreateHydrographFile(partPath, identity, {project, inputs})
                                                         : CreatePartFile(partPath, identity, {project, inputs});
    ProgressBar bar(identity.count, ProgressWanted(quiet));
    const RangeOutcome outcome = RunRange(inputs, identity.seed, identity.first, identity.count, &summary, writer.get(),
                                          [&bar](std::int64_t done) { bar.Update(done); });
    writer->Close();
    summary.Close();
    summaryFile.Commit();
    if (withBand) {
        std::vector<std::unique_ptr<SeriesPartReader>> parts;
        parts.push_back(OpenHydrographFile(partPath));
        OutputFile bandFile(folder.File(kBandFileName));
        WriteBand(bandFile, SeriesOfParts(parts));
        bandFile.Commit();
    }
    return outcome;
}

int RunShard(const Arguments& a)
{
    CheckResultsFolder(a.out);
    const QString& project = a.operands.front();
    const model::ComputationInputs inputs = ReadInputs(project, DecimalSeparator(a), true);
    const RangeIdentity identity{*a.seed, *a.first, *a.count, *a.series, InputsFingerprint(inputs)};
    StagedFolder folder(a.out);
    const RangeOutcome outcome = RunIntoFolder(inputs, project, identity, folder, false, a.quiet);
    folder.Commit();
    ReportFailures(outcome.failed, identity.count, outcome.firstFailureIndex, outcome.firstFailure);
    return kExitOk;
}

// ---- Merge

// The parts, every one read and checked whole before anything is written; a whole series
// gets its table, band and hydrographs, a partial merge (--partial) the table and the
// hydrographs of its range, a part of a later merge.
int RunMerge(const Arguments& a)
{
    CheckResultsFolder(a.out);
    const std::vector<std::unique_ptr<SeriesPartReader>> parts =
        OpenSeriesParts(a.operands, a.partial ? MergeCoverage::AnyRange : MergeCoverage::WholeSeries);
    const model::SeriesResult result = a.partial ? SummariesOfParts(parts) : SeriesOfParts(parts);
    const RangeIdentity& head = parts.front()->Identity();

    StagedFolder folder(a.out);
    OutputFile summaryFile(folder.File(kRealisationsFileName));
    SummaryStream summary(summaryFile.Device());
    summary.Header();
    for (std::size_t i = 0; i < result.realisations.size(); ++i)
        summary.Row(head.first + static_cast<std::int64_t>(i), result.realisations[i]);
    summary.Close();
    summaryFile.Commit();
    if (!a.partial) {
        OutputFile bandFile(folder.File(kBandFileName));
        WriteBand(bandFile, result);
        bandFile.Commit();
    }
    // The hydrographs of the range: the merged folder is a part of the series in turn.
    const RangeIdentity whole{result.seed, head.first, static_cast<std::int64_t>(result.realisations.size()),
                              head.series, head.fingerprint};
    const std::unique_ptr<SeriesPartWriter> writer =
        CreateHydrographFile(folder.File(kHydrographsFileName), whole, parts.front()->Origin());
    CopyParts(parts, result, *writer);
    writer->Close();
    folder.Commit();
    ReportFailures(result.failed, result.requested, result.firstFailureIndex, result.firstFailure);
    return kExitOk;
}

// ---- Manifest: many projects in one call

// Each line's series into a results folder of its own, OUT/NNN-projekt (NNN the line's
// number), OUT/NNN-projekt-opad for a line that names a storm: realizacje.csv, hydrogramy.nc
// and pasmo.csv. The first line that fails ends the call, with
// the manifest's line named; the folders of the lines before it stay.
int RunManifest(const Arguments& a)
{
    const QString& manifest = a.operands.front();
    const std::vector<ManifestLine> lines = ReadManifest(manifest);
    if (!QDir().mkpath(a.out))
        throw OutputError(QStringLiteral("Nie można utworzyć katalogu ") + a.out);
    const QChar separator = DecimalSeparator(a);
    for (const ManifestLine& line : lines) {
        const auto where = [&](const QString& text) { return AtLine(manifest, line.number, text); };
        try {
            QString name = QStringLiteral("%1-%2")
                               .arg(line.number, 3, 10, QLatin1Char('0'))
                               .arg(QFileInfo(line.project).completeBaseName());
            if (!line.rainfall.isEmpty())
                name += QLatin1Char('-') + QFileInfo(line.rainfall).completeBaseName();
            const QString folderPath = QDir(a.out).filePath(name);
            CheckResultsFolder(folderPath);
            const model::ComputationInputs inputs = ReadInputs(line.project, separator, true, line.rainfall);
            std::uint64_t seed = 0;
            if (line.seed) {
                seed = *line.seed;
            } else {
                seed = model::ClockSeed();
                Say(where(QStringLiteral("ziarno %1").arg(seed)));
            }
            const RangeIdentity identity{seed, 0, line.count, line.count, InputsFingerprint(inputs)};
            StagedFolder folder(folderPath);
            const RangeOutcome outcome = RunIntoFolder(inputs, line.project, identity, folder, true, a.quiet);
            folder.Commit();
            ReportFailures(outcome.failed, line.count, outcome.firstFailureIndex, outcome.firstFailure);
        } catch (const OutputError& e) {
            throw OutputError(where(e.text()));
        } catch (const Error& e) {
            throw DataError(where(e.text()));
        }
    }
    return kExitOk;
}

// ---- Variants compared on common random numbers

// Every variant's project read and checked as the variants window adds it, then each variant's
// series with the same count and seed (realisation i of every variant draws from sub-stream
// (seed, i)), the paired differences against the first, and the window's comparison table.
int RunVariants(const Arguments& a)
{
    const std::vector<VariantLine> lines = ReadVariantsFile(a.variants);
    const QChar separator = DecimalSeparator(a);
    std::vector<model::ComputationInputs> inputs;
    for (const VariantLine& line : lines) {
        try {
            inputs.push_back(ReadInputs(line.project, separator, true));
        } catch (const Error& e) {
            throw DataError(AtLine(a.variants, line.number, e.text()));
        }
    }
    report::VariantsComparison c;
    c.seed = SeedOf(a);
    c.count = static_cast<int>(*a.count);
    c.rainfallDiffers = model::RainfallDiffers(inputs);
    for (const VariantLine& line : lines)
        c.names.push_back(line.name);

    OutputFile csvFile(a.out);
    std::optional<StagedFile> workbookFile;
    if (!a.xlsx.isEmpty())
        workbookFile.emplace(a.xlsx);
    ProgressBar bar(static_cast<std::int64_t>(c.count) * static_cast<std::int64_t>(inputs.size()),
                    ProgressWanted(a.quiet));
    for (const model::ComputationInputs& in : inputs) {
        c.results.push_back(model::RunSeries(in, c.count, c.seed, model::SeriesWorkerCount()));
        bar.Update(static_cast<std::int64_t>(c.count) * static_cast<std::int64_t>(c.results.size()));
    }
    c.ComputeDifferences();

    const QByteArray bytes = report::VariantsCsv(c, kMachineDecimal).Text().toUtf8();
    if (csvFile.Device().write(bytes) != bytes.size())
        CannotCreate(a.out.isEmpty() ? QStringLiteral("(standardowe wyjście)") : a.out);
    if (workbookFile) {
        try {
            WriteVariantsWorkbookFile(c, workbookFile->TemporaryPath());
        } catch (const Error& e) {
            throw OutputError(e.text());
        }
    }
    csvFile.Commit();
    if (workbookFile)
        workbookFile->Commit();
    for (std::size_t k = 0; k < c.results.size(); ++k) {
        const model::SeriesResult& r = c.results[k];
        ReportFailures(r.failed, r.requested, r.firstFailureIndex, c.names[k] + QStringLiteral(": ") + r.firstFailure);
    }
    if (c.rainfallDiffers)
        Say(QStringLiteral("Uwaga: warianty różnią się opadem – zmiany obejmują także skutek innego opadu."));
    return kExitOk;
}

int Dispatch(const Arguments& a)
{
    switch (a.command) {
        case Command::Help:
            std::fputs(UsageText().toUtf8().constData(), stdout);
            return kExitOk;
        case Command::Version:
            std::puts("moravel-run " MORAVEL_VERSION);
            return kExitOk;
        case Command::Merge:
            return RunMerge(a);
        case Command::Manifest:
            return RunManifest(a);
        case Command::Variants:
            return RunVariants(a);
        case Command::Design:
            return RunDesign(a);
        case Command::Run:
            break;
    }
    if (a.IsShard())
        return RunShard(a);
    if (a.series)
        return RunSeries(a);
    return RunOne(a);
}

}  // namespace

int RunMain(const QStringList& arguments)
{
    try {
        return Dispatch(ParseArguments(arguments));
    } catch (const UsageError& e) {
        Say(e.text());
        Say(QStringLiteral("moravel-run --help opisuje polecenia"));
        return kExitUsage;
    } catch (const OutputError& e) {
        Say(e.text());
        return kExitOutputError;
    } catch (const MergeRefusal& e) {
        Say(e.text());
        return kExitMergeRefused;
    } catch (const Error& e) {
        Say(e.text());
        return kExitDataError;
    } catch (const std::bad_alloc&) {
        Say(QStringLiteral("Brak pamięci"));
        return kExitDataError;
    }
}

}  // namespace moravel::cli
