#include "cli/DesignFile.h"

#include <QStringList>

#include <algorithm>
#include <iterator>
#include <optional>

#include "cli/Common.h"
#include "cli/ContentLines.h"
#include "text/NumText.h"
#include "text/Shown.h"

namespace moravel::cli {

void RefuseDesignLine(const QString& path, int line, const QString& why)
{
    throw DataError(AtLine(path, line, why));
}

namespace {

// The numbers of the file are read with this separator once a decimal comma is made a dot.
constexpr QChar kFileDecimal = u'.';

using Value = DesignValue;

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

DesignFile ReadKeys(const QString& path)
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
            RefuseDesignLine(path, number, QStringLiteral("oczekiwano 'klucz: wartość', a wiersz nie ma dwukropka"));
        const QString key = KeyOf(text.left(colon));
        const QString value = text.mid(colon + 1).trimmed();
        const auto single = std::find_if(std::begin(singles), std::end(singles),
                                         [&](const Single& s) { return s.names.contains(key); });
        if (single != std::end(singles)) {
            std::optional<Value>& slot = file.*(single->value);
            if (slot)
                RefuseDesignLine(
                    path, number,
                    QStringLiteral("klucz '%1' powtórzony (pierwszy raz w wierszu %2)").arg(key).arg(slot->line));
            if (value.isEmpty())
                RefuseDesignLine(path, number, QStringLiteral("klucz '%1' bez wartości").arg(key));
            slot = Value{number, value};
        } else if (key == QLatin1String("krzywa sumowa")) {
            file.curve.push_back({number, value});
        } else if (const QString p = ProbabilityOfKey(key); !p.isEmpty()) {
            file.rows.push_back({number, p, Items(value)});
        } else {
            RefuseDesignLine(
                path, number,
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
        RefuseDesignLine(
            file.path, file.critical->line,
            QStringLiteral("czas krytyczny: podaj 'tak' albo 'nie', a podano '%1'").arg(file.critical->text));
    return t == QLatin1String("tak");
}

// The storm's duration of "czas trwania"; with the critical duration it is not used.
int DurationOf(const DesignFile& file, bool critical)
{
    if (critical && !file.duration)
        return 0;
    if (!file.duration)
        throw DataError(
            QStringLiteral("%1: brak klucza 'czas trwania' (albo 'czas krytyczny: tak')").arg(text::Shown(file.path)));
    try {
        const double hours = text::StrToFloat(FileNumber(file.duration->text), kFileDecimal);
        model::CheckDesignStormHours(hours);
        return static_cast<int>(hours);
    } catch (const Error& e) {
        RefuseDesignLine(file.path, file.duration->line, e.text());
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
        RefuseDesignLine(file.path, file.shape->line,
                         QStringLiteral("nieznany kształt hietogramu '%1' (kształty: %2)")
                             .arg(name, names.join(QStringLiteral(", "))));

    // The window's peak unless one is given: the middle of the duration.
    peakIndex = 2;
    if (file.peak) {
        if (design.shape != model::StormShape::AlternatingBlock)
            RefuseDesignLine(file.path, file.peak->line,
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
            RefuseDesignLine(file.path, file.peak->line,
                             QStringLiteral("szczyt w: podaj jeden z udziałów %1, a podano '%2'")
                                 .arg(offered.join(QStringLiteral(", ")), file.peak->text));
    }
    design.peakShare = model::kAlternatingPeakShares[peakIndex];

    if (!file.curve.empty() && design.shape != model::StormShape::UserCurve)
        RefuseDesignLine(file.path, file.curve.front().line,
                         QStringLiteral("'krzywa sumowa' dotyczy kształtu '%1'")
                             .arg(model::StormShapeName(model::StormShape::UserCurve)));
    if (design.shape == model::StormShape::UserCurve) {
        std::vector<model::CumulativePoint> points;
        for (const Value& v : file.curve) {
            const QStringList pair = Items(v.text);
            if (pair.size() != 2)
                RefuseDesignLine(file.path, v.line,
                                 QStringLiteral("krzywa sumowa: podaj parę 'udział czasu; udział opadu'"));
            try {
                points.push_back({text::StrToFloat(pair[0], kFileDecimal), text::StrToFloat(pair[1], kFileDecimal)});
            } catch (const Error& e) {
                RefuseDesignLine(file.path, v.line, e.text());
            }
        }
        // The curve's own checks count its rows from its first line.
        try {
            design.userCurve = model::CumulativeCurve(points);
        } catch (const Error& e) {
            RefuseDesignLine(file.path, file.curve.empty() ? file.shape->line : file.curve.front().line, e.text());
        }
    }
    return design;
}

}  // namespace

DesignFileInputs ReadDesignFile(const QString& path, const std::function<void(const DesignFileInputs&)>& project)
{
    const DesignFile file = ReadKeys(path);
    DesignFileInputs in;
    in.path = path;
    in.project = *file.project;
    in.durations = *file.durations;
    try {
        in.tableHours = model::DesignTableDurations(FileNumber(file.durations->text), kFileDecimal);
    } catch (const Error& e) {
        RefuseDesignLine(path, file.durations->line, e.text());
    }
    in.critical = CriticalOf(file);
    in.duration = DurationOf(file, in.critical);

    project(in);

    try {
        in.stormHours = model::DesignStormDurations(in.tableHours, in.critical, in.duration);
    } catch (const Error& e) {
        RefuseDesignLine(path, file.durations->line, e.text());
    }

    for (std::size_t r = 0; r < file.rows.size(); ++r) {
        const DepthLine& line = file.rows[r];
        if (line.depths.size() > qsizetype(in.tableHours.size()))
            RefuseDesignLine(path, line.line,
                             QStringLiteral("podano %1 wysokości opadu, a czasów trwania w tabeli jest %2")
                                 .arg(line.depths.size())
                                 .arg(in.tableHours.size()));
        try {
            in.rows.push_back(model::DesignDepthsOfTexts(int(r) + 1, line.probability,
                                                         std::vector<QString>(line.depths.begin(), line.depths.end()),
                                                         in.tableHours, kFileDecimal));
            in.rowLines.push_back(line.line);
            model::CheckDesignDepthsAcross(in.rows, in.rowLines, in.tableHours, kFileDecimal);
        } catch (const Error& e) {
            RefuseDesignLine(path, line.line, e.text());
        }
    }

    in.shape = ShapeOf(file, in.peakIndex);
    return in;
}

}  // namespace moravel::cli
