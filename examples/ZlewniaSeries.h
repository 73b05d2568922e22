#pragma once
// The example case "zlewnia" as the inputs of a series of realisations: the averaged CN and
// the area worked out from its land use as the window captions them, the storm and the seven
// parameters as numbers.
#include "ZlewniaCase.h"
#include "model/CheckedMath.h"
#include "model/LandUse.h"
#include "model/Series.h"
#include "text/NumText.h"

namespace moravel::examples {

inline model::SeriesInputs ZlewniaSeriesInputs()
{
    const QChar sep = QLatin1Char(',');
    const files::ScsRecord scs = ZlewniaLandUse();
    model::LandUseState landUse;
    for (int g = 0; g < model::kSoilGroups; ++g)
        model::ReadOtherCurveNumber(landUse, g, scs.ownClassCn[g]);
    const float area = model::ComputeAveragedCurveNumber(landUse, scs.areas, sep, [] {});

    model::SeriesInputs in;
    const files::RainfallRecord rain = ZlewniaRainfall();
    in.parameters.HourCount = text::StrToInt(rain.hourCount);
    for (int i = 1; i <= in.parameters.HourCount; ++i)
        in.rainfall.push_back(model::ToSingle(text::StrToFloat(rain.Hour(i), sep)));
    in.curveNumber = model::ToSingle(text::StrToFloat(text::FormatCurveNumber(landUse.AveragedCurveNumber, sep), sep));

    const files::ParametersRecord par = ZlewniaParameters();
    const auto value = [&](int k) { return text::StrToFloat(par.values[k], sep); };
    model::HydrographParameters& p = in.parameters;
    p.RB = value(0), p.RL = value(1), p.RA = value(2), p.So = value(3), p.Lo = value(4), p.b = value(5);
    p.n = value(6);
    p.Area = text::StrToFloat(text::FormatGeneral(area, sep), sep);
    return in;
}

}  // namespace moravel::examples
