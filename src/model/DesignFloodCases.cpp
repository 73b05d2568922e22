#include "model/DesignFloodCases.h"

#include <cmath>

#include "text/Error.h"

namespace moravel::model {

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
