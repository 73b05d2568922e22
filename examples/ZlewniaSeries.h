#pragma once
// The example case "zlewnia" as the inputs of a computation: its three records' texts handed
// to the one builder of a computation's inputs, as the window hands it its controls' texts.
#include "ZlewniaCase.h"
#include "model/ComputationInputs.h"
#include "model/LandUse.h"

namespace moravel::examples {

// The example's texts as a computation reads them.
inline model::ComputationTexts ZlewniaComputationTexts()
{
    const files::RainfallRecord rain = ZlewniaRainfall();
    const files::ScsRecord scs = ZlewniaLandUse();
    const files::ParametersRecord par = ZlewniaParameters();

    model::ComputationTexts texts;
    texts.hourCount = rain.hourCount;
    for (int i = 1; i <= rain.hours.size(); ++i)
        texts.rainfall.push_back(rain.Hour(i));
    texts.landUseAreas = scs.areas;
    texts.parameters.RB = par.values[0];
    texts.parameters.RL = par.values[1];
    texts.parameters.RA = par.values[2];
    texts.parameters.So = par.values[3];
    texts.parameters.Lo = par.values[4];
    texts.parameters.b = par.values[5];
    texts.parameters.n = par.values[6];
    return texts;
}

// The land-use state with the example's own class curve numbers.
inline model::LandUseState ZlewniaLandUseState()
{
    const files::ScsRecord scs = ZlewniaLandUse();
    model::LandUseState landUse;
    for (int g = 0; g < model::kSoilGroups; ++g)
        model::ReadOtherCurveNumber(landUse, g, scs.ownClassCn[static_cast<std::size_t>(g)]);
    return landUse;
}

inline model::ComputationInputs ZlewniaSeriesInputs()
{
    return model::BuildComputationInputs(ZlewniaComputationTexts(), ZlewniaLandUseState(), QLatin1Char(','), [] {});
}

}  // namespace moravel::examples
