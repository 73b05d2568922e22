#include "cli/DesignRun.h"

#include <QDir>
#include <QFileInfo>

#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Common.h"
#include "cli/DesignFile.h"
#include "cli/FormatsModule.h"
#include "cli/Output.h"
#include "cli/Progress.h"
#include "cli/Run.h"
#include "files/ProjectInputs.h"
#include "model/DesignFloodCases.h"
#include "model/DesignStorm.h"
#include "model/Series.h"
#include "report/DesignFloodExport.h"
#include "text/NumText.h"

namespace moravel::cli {
int RunDesign(const Arguments& a)
{
    const QChar separator = DecimalSeparator(a);
    QString project;
    files::OpenedTexts opened;
    const DesignFileInputs file = ReadDesignFile(a.design, [&](const DesignFileInputs& in) {
        project = QFileInfo(in.path).absoluteDir().filePath(in.project.text);
        try {
            opened = files::OpenProjectTexts(project, separator);
            model::RequireTotalRainfall(opened.texts.effectiveRainTyped);
        } catch (const Error& e) {
            RefuseDesignLine(
                in.path, in.project.line,
                project + QStringLiteral(": ") + WithHint(e.text(), OtherSeparatorHint(project, separator)));
        }
    });
    const QString& path = file.path;
    const std::vector<double>& tableHours = file.tableHours;
    const std::vector<model::DesignDepths>& rows = file.rows;
    const model::DesignStormInputs& shape = file.shape;

    const std::function<void()> warning = LandUseCellWarning(project);
    std::vector<model::DesignFloodCase> cases;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        try {
            model::AppendDesignFloodCases(cases, rows[r], tableHours, file.stormHours, shape, separator,
                                          [&](const std::vector<QString>& rainfall, bool) {
                                              return model::DesignStormComputationInputs(
                                                  opened.texts, rainfall, opened.landUse, separator, warning);
                                          });
        } catch (const Error& e) {
            RefuseDesignLine(path, file.rowLines[r], WithHint(e.text(), OtherSeparatorHint(project, separator)));
        }
    }

    // The inputs as the CSV writes every number: with a dot, in the shortest text of the
    // value the computation read (the area caption of a single-precision sum included).
    const auto number = [separator](const QString& t) { return text::ExportNumberText(t, separator, kMachineDecimal); };
    report::DesignFloodDescription description;
    description.area = number(cases.front().inputs.landUse.area);
    description.curveNumber = number(cases.front().inputs.landUse.curveNumber);
    const model::CatchmentParameterTexts& p = opened.texts.parameters;
    description.parameters = {number(p.RB), number(p.RL), number(p.RA), number(p.So),
                              number(p.Lo), number(p.b),  number(p.n)};
    description.shape = report::DesignFloodShapeText(shape.shape, file.peakIndex);
    description.source = report::DesignFloodSourceText(file.durations.text);
    description.criticalDuration = file.critical;
    description.tableHours = tableHours;
    description.depths = rows;
    description.duration = file.duration;
    if (shape.shape == model::StormShape::UserCurve)
        description.curve = shape.userCurve.Points();

    const std::uint64_t seed = SeedOf(a);
    const int count = a.count ? static_cast<int>(*a.count) : model::kDefaultSeriesCount;  // as the window
    OutputFile csvFile(a.out);
    std::optional<StagedFile> workbookFile;
    if (!a.xlsx.isEmpty())
        workbookFile.emplace(a.xlsx);

    model::DesignFloodJob job(std::move(cases), count, seed, model::SeriesWorkerCount());
    {
        ProgressBar bar(job.Total(), ProgressWanted(a.quiet));
        while (!job.Finished()) {
            bar.Update(job.Done());
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        bar.Update(job.Total());
    }
    const model::DesignFloodResult result = *job.Take();

    const QByteArray bytes = report::DesignFloodCsv(result, description, kMachineDecimal).Text().toUtf8();
    if (csvFile.Device().write(bytes) != bytes.size())
        CannotCreate(a.out.isEmpty() ? QStringLiteral("(standardowe wyjście)") : a.out);
    if (workbookFile) {
        try {
            WriteDesignFloodWorkbookFile(result, description, workbookFile->TemporaryPath());
        } catch (const Error& e) {
            throw OutputError(e.text());
        }
    }
    csvFile.Commit();
    if (workbookFile)
        workbookFile->Commit();
    for (const model::DesignFloodRow& row : result.rows)
        if (row.failed > 0)
            Say(QStringLiteral("p = %1 %, %2 h: nieudane realizacje: %3 z %4; pierwsza: %5")
                    .arg(text::FormatUpToDecimals(row.probability, 3, kMachineDecimal))
                    .arg(row.hours)
                    .arg(row.failed)
                    .arg(result.realisations)
                    .arg(row.firstFailure));
    return kExitOk;
}

}  // namespace moravel::cli
