#include "cli/DesignRun.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <optional>
#include <thread>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Common.h"
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
#include "text/Shown.h"

namespace moravel::cli {
namespace {

// The numbers of the file are read with this separator once a decimal comma is made a dot.
constexpr QChar kFileDecimal = u'.';

// A value of the design file and the line it stands on.
struct Value {
    int line = 0;
    QString text;
};

// One probability of the depth table: "p 1: 36; 43; 48".
struct DepthLine {
    int line = 0;
    QString probability;
    QStringList depths;
};

// The design file as written: every key's value with its line.
struct DesignFile {
    QString path;
    std::optional<Value> project, durations, duration, critical, shape, peak;
    std::vector<Value> curve;
    std::vector<DepthLine> rows;
};

[[noreturn]] void Refuse(const QString& path, int line, const QString& why)
{
    throw DataError(QStringLiteral("%1, wiersz %2: %3").arg(text::Shown(path)).arg(line).arg(why));
}

// A number written with a decimal comma or a dot, in the separator the file's numbers are
// read with.
QString FileNumber(const QString& text)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), kFileDecimal);
    return t;
}

// The values of a line, separated by semicolons.
QStringList Items(const QString& text)
{
    QStringList items;
    for (const QString& part : text.split(QLatin1Char(';')))
        items << FileNumber(part);
    if (!items.isEmpty() && items.back().isEmpty())
        items.removeLast();
    return items;
}

// A key as written, lowercase, without a unit in brackets and with single spaces.
QString KeyOf(const QString& text)
{
    QString key = text.toLower();
    const qsizetype bracket = key.indexOf(QLatin1Char('['));
    if (bracket >= 0)
        key.truncate(bracket);
    return key.simplified();
}

// The probability of a key "p 1", "p1", "p = 0,5 %" or "p=2"; empty when the key is none.
QString ProbabilityOfKey(const QString& key)
{
    if (key.size() < 2 || key[0] != QLatin1Char('p') ||
        !(key[1] == QLatin1Char(' ') || key[1] == QLatin1Char('=') || key[1].isDigit()))
        return {};
    QString p = key.mid(1).trimmed();
    if (p.startsWith(QLatin1Char('=')))
        p = p.mid(1).trimmed();
    if (p.endsWith(QLatin1Char('%')))
        p.chop(1);
    return FileNumber(p);
}

DesignFile ReadDesignFile(const QString& path)
{
    DesignFile file;
    file.path = path;
    struct Single {
        QStringList names;
        std::optional<Value> DesignFile::*value;
    };
    const Single singles[] = {
        {{QStringLiteral("projekt")}, &DesignFile::project},
        {{QStringLiteral("czasy trwania"), QStringLiteral("czasy trwania w tabeli")}, &DesignFile::durations},
        {{QStringLiteral("czas trwania"), QStringLiteral("czas trwania opadu")}, &DesignFile::duration},
        {{QStringLiteral("czas krytyczny")}, &DesignFile::critical},
        {{QStringLiteral("kształt"), QStringLiteral("kształt hietogramu")}, &DesignFile::shape},
        {{QStringLiteral("szczyt w")}, &DesignFile::peak},
    };
    for (const auto& [number, text] : ContentLines(path)) {
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        if (colon < 0)
            Refuse(path, number, QStringLiteral("oczekiwano 'klucz: wartość', a wiersz nie ma dwukropka"));
        const QString key = KeyOf(text.left(colon));
        const QString value = text.mid(colon + 1).trimmed();
        const auto single = std::find_if(std::begin(singles), std::end(singles),
                                         [&](const Single& s) { return s.names.contains(key); });
        if (single != std::end(singles)) {
            std::optional<Value>& slot = file.*(single->value);
            if (slot)
                Refuse(path, number,
                       QStringLiteral("klucz '%1' powtórzony (pierwszy raz w wierszu %2)").arg(key).arg(slot->line));
            if (value.isEmpty())
                Refuse(path, number, QStringLiteral("klucz '%1' bez wartości").arg(key));
            slot = Value{number, value};
        } else if (key == QLatin1String("krzywa sumowa")) {
            file.curve.push_back({number, value});
        } else if (const QString p = ProbabilityOfKey(key); !p.isEmpty()) {
            file.rows.push_back({number, p, Items(value)});
        } else {
            Refuse(path, number,
                   QStringLiteral("nieznany klucz '%1' (znane: projekt, czasy trwania, p <prawdopodobieństwo>, "
                                  "kształt, szczyt w, krzywa sumowa, czas trwania, czas krytyczny)")
                       .arg(key));
        }
    }
    const auto require = [&](bool present, const QString& what) {
        if (!present)
            throw DataError(QStringLiteral("%1: brak %2").arg(text::Shown(path), what));
    };
    require(file.project.has_value(), QStringLiteral("klucza 'projekt'"));
    require(file.durations.has_value(), QStringLiteral("klucza 'czasy trwania'"));
    require(!file.rows.empty(), QStringLiteral("wysokości opadu (wiersze 'p <prawdopodobieństwo>: wysokości')"));
    require(file.shape.has_value(), QStringLiteral("klucza 'kształt'"));
    return file;
}

bool CriticalOf(const DesignFile& file)
{
    if (!file.critical)
        return false;
    const QString t = file.critical->text.toLower();
    if (t != QLatin1String("tak") && t != QLatin1String("nie"))
        Refuse(file.path, file.critical->line,
               QStringLiteral("czas krytyczny: podaj 'tak' albo 'nie', a podano '%1'").arg(file.critical->text));
    return t == QLatin1String("tak");
}

// The storm's duration of "czas trwania"; with the critical duration it is not used.
int DurationOf(const DesignFile& file, bool critical)
{
    if (critical && !file.duration)
        return 0;
    if (!file.duration)
        throw DataError(QStringLiteral("%1: brak klucza 'czas trwania' (albo 'czas krytyczny: tak')").arg(text::Shown(file.path)));
    try {
        const double hours = text::StrToFloat(FileNumber(file.duration->text), kFileDecimal);
        model::CheckDesignStormHours(hours);
        return static_cast<int>(hours);
    } catch (const Error& e) {
        Refuse(file.path, file.duration->line, e.text());
    }
}

// The shape, the alternating block's peak and the user's curve, as the window's shape
// controls fill them; `peakIndex` the peak's place in the window's list.
model::DesignStormInputs ShapeOf(const DesignFile& file, int& peakIndex)
{
    model::DesignStormInputs design;
    const QString name = file.shape->text;
    QStringList names;
    bool found = false;
    for (model::StormShape s : {model::StormShape::Block, model::StormShape::EulerII, model::StormShape::Dvwk,
                                model::StormShape::AlternatingBlock, model::StormShape::UserCurve}) {
        names << model::StormShapeName(s);
        if (name.compare(model::StormShapeName(s), Qt::CaseInsensitive) == 0) {
            design.shape = s;
            found = true;
        }
    }
    if (!found)
        Refuse(file.path, file.shape->line,
               QStringLiteral("nieznany kształt hietogramu '%1' (kształty: %2)")
                   .arg(name, names.join(QStringLiteral(", "))));

    // The window's peak unless one is given: the middle of the duration.
    peakIndex = 2;
    if (file.peak) {
        if (design.shape != model::StormShape::AlternatingBlock)
            Refuse(file.path, file.peak->line,
                   QStringLiteral("'szczyt w' dotyczy kształtu '%1'")
                       .arg(model::StormShapeName(model::StormShape::AlternatingBlock)));
        QStringList offered;
        peakIndex = -1;
        const auto bare = [](QString t) { return t.remove(QLatin1Char(' ')).remove(QLatin1Char('%')); };
        for (int i = 0; i < int(std::size(model::kAlternatingPeakShares)); ++i) {
            offered << model::AlternatingPeakShareText(i);
            if (bare(file.peak->text) == bare(model::AlternatingPeakShareText(i)))
                peakIndex = i;
        }
        if (peakIndex < 0)
            Refuse(file.path, file.peak->line,
                   QStringLiteral("szczyt w: podaj jeden z udziałów %1, a podano '%2'")
                       .arg(offered.join(QStringLiteral(", ")), file.peak->text));
    }
    design.peakShare = model::kAlternatingPeakShares[peakIndex];

    if (!file.curve.empty() && design.shape != model::StormShape::UserCurve)
        Refuse(file.path, file.curve.front().line,
               QStringLiteral("'krzywa sumowa' dotyczy kształtu '%1'")
                   .arg(model::StormShapeName(model::StormShape::UserCurve)));
    if (design.shape == model::StormShape::UserCurve) {
        std::vector<model::CumulativePoint> points;
        for (const Value& v : file.curve) {
            const QStringList pair = Items(v.text);
            if (pair.size() != 2)
                Refuse(file.path, v.line, QStringLiteral("krzywa sumowa: podaj parę 'udział czasu; udział opadu'"));
            try {
                points.push_back({text::StrToFloat(pair[0], kFileDecimal), text::StrToFloat(pair[1], kFileDecimal)});
            } catch (const Error& e) {
                Refuse(file.path, v.line, e.text());
            }
        }
        // The curve's own checks count its rows from its first line.
        try {
            design.userCurve = model::CumulativeCurve(points);
        } catch (const Error& e) {
            Refuse(file.path, file.curve.empty() ? file.shape->line : file.curve.front().line, e.text());
        }
    }
    return design;
}

}  // namespace

int RunDesign(const Arguments& a)
{
    const DesignFile file = ReadDesignFile(a.design);
    const QString& path = file.path;
    const QChar separator = DecimalSeparator(a);

    std::vector<double> tableHours;
    try {
        tableHours = model::DesignTableDurations(FileNumber(file.durations->text), kFileDecimal);
    } catch (const Error& e) {
        Refuse(path, file.durations->line, e.text());
    }
    const bool critical = CriticalOf(file);
    const int duration = DurationOf(file, critical);

    const QString project = QFileInfo(path).absoluteDir().filePath(file.project->text);
    files::OpenedTexts opened;
    try {
        opened = files::OpenProjectTexts(project, separator);
        model::RequireTotalRainfall(opened.texts.effectiveRainTyped);
    } catch (const Error& e) {
        Refuse(path, file.project->line,
               project + QStringLiteral(": ") + WithHint(e.text(), OtherSeparatorHint(project, separator)));
    }

    std::vector<int> stormHours;
    try {
        stormHours = model::DesignStormDurations(tableHours, critical, duration);
    } catch (const Error& e) {
        Refuse(path, file.durations->line, e.text());
    }

    std::vector<model::DesignDepths> rows;
    std::vector<int> lines;  // the file's lines of the rows, which name them
    for (std::size_t r = 0; r < file.rows.size(); ++r) {
        const DepthLine& line = file.rows[r];
        if (line.depths.size() > qsizetype(tableHours.size()))
            Refuse(path, line.line,
                   QStringLiteral("podano %1 wysokości opadu, a czasów trwania w tabeli jest %2")
                       .arg(line.depths.size())
                       .arg(tableHours.size()));
        try {
            rows.push_back(model::DesignDepthsOfTexts(int(r) + 1, line.probability,
                                                      std::vector<QString>(line.depths.begin(), line.depths.end()),
                                                      tableHours, kFileDecimal));
            lines.push_back(line.line);
            model::CheckDesignDepthsAcross(rows, lines, tableHours, kFileDecimal);
        } catch (const Error& e) {
            Refuse(path, line.line, e.text());
        }
    }

    int peakIndex = 0;
    const model::DesignStormInputs shape = ShapeOf(file, peakIndex);
    const std::function<void()> warning = LandUseCellWarning(project);
    std::vector<model::DesignFloodCase> cases;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        try {
            model::AppendDesignFloodCases(cases, rows[r], tableHours, stormHours, shape, separator,
                                          [&](const std::vector<QString>& rainfall, bool) {
                                              return model::DesignStormComputationInputs(
                                                  opened.texts, rainfall, opened.landUse, separator, warning);
                                          });
        } catch (const Error& e) {
            Refuse(path, file.rows[r].line, WithHint(e.text(), OtherSeparatorHint(project, separator)));
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
    description.shape = report::DesignFloodShapeText(shape.shape, peakIndex);
    description.source = report::DesignFloodSourceText(file.durations->text);
    description.criticalDuration = critical;
    description.tableHours = tableHours;
    description.depths = rows;
    description.duration = duration;
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
