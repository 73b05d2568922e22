#include "model/DesignFloodCases.h"

#include <QStringList>

#include <cmath>

#include "text/Error.h"
#include "text/NumText.h"

namespace moravel::model {

std::vector<double> DesignTableDurations(const QString& text, QChar decimalSeparator)
{
    std::vector<double> hours;
    for (const QString& part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString t = part.trimmed();
        if (!t.isEmpty())
            hours.push_back(text::StrToFloat(t, decimalSeparator));
    }
    if (hours.empty())
        throw Error(QStringLiteral("Podaj czasy trwania tabeli opadów [h], oddzielone średnikami"));
    for (std::size_t i = 0; i < hours.size(); ++i)
        if (!(hours[i] > 0) || (i > 0 && !(hours[i] > hours[i - 1])))
            throw Error(QStringLiteral("Czasy trwania muszą być dodatnie i rosnąć"));
    return hours;
}

void RequireTotalRainfall(bool effectiveRainTyped)
{
    if (effectiveRainTyped)
        throw Error(
            QStringLiteral("Przepływy projektowe liczy się z opadu całkowitego - wyłącz \"Podaj opad "
                           "efektywny\""));
}

DesignDepths DesignDepthsOfTexts(int row, const QString& probability, const std::vector<QString>& depths,
                                 const std::vector<double>& tableHours, QChar decimalSeparator)
{
    const double p = text::StrToFloat(probability, decimalSeparator);
    if (!(p > 0 && p < 100))
        throw Error(QStringLiteral("Prawdopodobieństwo w wierszu %1 musi leżeć między 0 a 100 %").arg(row));
    DesignDepths result{p, {}};
    for (std::size_t c = 0; c < tableHours.size(); ++c) {
        const QString t = c < depths.size() ? depths[c] : QString();
        if (t.isEmpty())
            throw Error(QStringLiteral("Brak wysokości opadu dla p = %1 % i czasu trwania %2 h")
                            .arg(probability, text::FormatUpToDecimals(tableHours[c], 3, decimalSeparator)));
        result.depths.push_back(text::StrToFloat(t, decimalSeparator));
    }
    return result;
}

void CheckDesignDepthsAcross(const std::vector<DesignDepths>& rows, const std::vector<int>& rowNumbers,
                             const std::vector<double>& tableHours, QChar decimalSeparator)
{
    if (rows.empty())
        return;
    const std::size_t last = rows.size() - 1;
    const DesignDepths& row = rows[last];
    const auto percent = [decimalSeparator](double p) { return text::FormatUpToDecimals(p, 3, decimalSeparator); };
    for (std::size_t i = 0; i < last; ++i) {
        const DesignDepths& other = rows[i];
        if (other.probability == row.probability)
            throw Error(QStringLiteral("Prawdopodobieństwo %1 % podane dwa razy: w wierszu %2 i w wierszu %3")
                            .arg(percent(row.probability))
                            .arg(rowNumbers[i])
                            .arg(rowNumbers[last]));
        // The rarer of the two storms and the more frequent one.
        const bool rowRarer = row.probability < other.probability;
        const DesignDepths& rare = rowRarer ? row : other;
        const DesignDepths& frequent = rowRarer ? other : row;
        const int rareRow = rowRarer ? rowNumbers[last] : rowNumbers[i];
        const int frequentRow = rowRarer ? rowNumbers[i] : rowNumbers[last];
        for (std::size_t c = 0; c < tableHours.size() && c < rare.depths.size() && c < frequent.depths.size(); ++c)
            if (rare.depths[c] < frequent.depths[c])
                throw Error(QStringLiteral("Wysokość opadu dla p = %1 % i czasu trwania %2 h (wiersz %3) jest "
                                           "mniejsza niż dla p = %4 % (wiersz %5): opad o mniejszym "
                                           "prawdopodobieństwie nie może być niższy")
                                .arg(percent(rare.probability),
                                     text::FormatUpToDecimals(tableHours[c], 3, decimalSeparator))
                                .arg(rareRow)
                                .arg(percent(frequent.probability))
                                .arg(frequentRow));
    }
}

void RequireDesignFloodCases(const std::vector<DesignFloodCase>& cases)
{
    if (cases.empty())
        throw Error(QStringLiteral("Podaj prawdopodobieństwa i wysokości opadu"));
}

std::vector<int> DesignStormDurations(const std::vector<double>& tableHours, bool critical, int duration)
{
    if (!critical)
        return {duration};
    std::vector<int> hours;
    for (double h : tableHours) {
        if (h != std::floor(h) || h > kMaxDesignStormHours)
            throw Error(QStringLiteral("Czas krytyczny: czasy trwania tabeli muszą być całymi godzinami "
                                       "od 1 do %1")
                            .arg(kMaxDesignStormHours));
        hours.push_back(int(h));
    }
    return hours;
}

void AppendDesignFloodCases(std::vector<DesignFloodCase>& cases, const DesignDepths& row,
                            const std::vector<double>& tableHours, const std::vector<int>& stormHours,
                            const DesignStormInputs& shape, QChar decimalSeparator,
                            const DesignRainfallInputs& inputsOf)
{
    std::vector<DepthDuration> table;
    for (std::size_t c = 0; c < tableHours.size() && c < row.depths.size(); ++c)
        table.push_back({tableHours[c], row.depths[c]});
    for (int h : stormHours) {
        DesignStormInputs design = shape;
        design.hours = h;
        design.depthDuration = DepthDurationCurve(table);
        const std::vector<double> storm = DesignStormHyetograph(design);
        DesignFloodCase c;
        c.probability = row.probability;
        c.hours = h;
        c.depth = DesignStormTotal(design);
        c.inputs = inputsOf(HyetographTexts(storm, 1, decimalSeparator), cases.empty());
        cases.push_back(std::move(c));
    }
}

}  // namespace moravel::model
