#pragma once
// The example case "zlewnia" as the inputs of a computation: its three records handed to the
// one way from records to a computation's inputs, as the window computes after opening them.
#include "ZlewniaCase.h"
#include "files/ProjectInputs.h"
#include "model/ComputationInputs.h"
#include "text/NumText.h"

namespace moravel::examples {

// The example's texts as a computation reads them.
inline model::ComputationTexts ZlewniaComputationTexts()
{
    return files::OpenedTextsOfRecords(ZlewniaRainfall(), ZlewniaLandUse(), ZlewniaParameters(), QLatin1Char(','))
        .texts;
}

// The land-use state with the example's own class curve numbers, as the project's opening
// leaves it.
inline model::LandUseState ZlewniaLandUseState()
{
    return files::OpenedTextsOfRecords(ZlewniaRainfall(), ZlewniaLandUse(), ZlewniaParameters(), QLatin1Char(','))
        .landUse;
}

inline model::ComputationInputs ZlewniaSeriesInputs()
{
    return files::ComputationInputsOfRecords(ZlewniaRainfall(), ZlewniaLandUse(), ZlewniaParameters(), QLatin1Char(','),
                                             [] {});
}

// The example's land use with `share` of the catchment's area sealed: moved from its largest
// land-use cell to roofs and paved parking (CN 98) of the same soil group.
inline files::ScsRecord ZlewniaSealedLandUse(double share)
{
    const QChar comma = QLatin1Char(',');
    files::ScsRecord scs = ZlewniaLandUse();
    double total = 0, largest = 0;
    int row = 0, group = 0;
    for (int r = 0; r < files::ScsRecord::kRows; ++r)
        for (int g = 0; g < files::ScsRecord::kGroups; ++g) {
            const double area = text::StrToFloatDef(scs.areas[r][g], 0, comma);
            total += area;
            if (area > largest) {
                largest = area;
                row = r;
                group = g;
            }
        }
    constexpr int kPaved = 16;
    scs.areas[row][group] = text::FormatUpToDecimals(largest - share * total, 2, comma);
    scs.areas[kPaved][group] = text::FormatUpToDecimals(share * total, 2, comma);
    return scs;
}

inline model::ComputationInputs ZlewniaSealedInputs(double share)
{
    return files::ComputationInputsOfRecords(ZlewniaRainfall(), ZlewniaSealedLandUse(share), ZlewniaParameters(),
                                             QLatin1Char(','), [] {});
}

// The example's catchment under inputs on which some realisations fail: a curve number above
// 100 makes the retention negative, and with 21 mm in the first hour the runoff formula has no
// meaning when the random enlargement of |S| passes about 13.7 %.
inline model::ComputationInputs ZlewniaFailingInputs()
{
    model::ComputationInputs in = ZlewniaSeriesInputs();
    in.curveNumber = 110;
    in.rainfall.assign(static_cast<std::size_t>(in.parameters.HourCount), 0.0f);
    in.rainfall[0] = 21;
    in.rainfall[1] = 5;
    return in;
}

}  // namespace moravel::examples
