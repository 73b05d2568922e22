#pragma once
// The example case "zlewnia" as the inputs of a computation: its three records handed to the
// one way from records to a computation's inputs, as the window computes after opening them.
#include "ZlewniaCase.h"
#include "files/ProjectInputs.h"
#include "model/ComputationInputs.h"

namespace moravel::examples {

inline model::ComputationInputs ZlewniaSeriesInputs()
{
    return files::ComputationInputsOfRecords(ZlewniaRainfall(), ZlewniaLandUse(), ZlewniaParameters(), QLatin1Char(','),
                                             [] {});
}

}  // namespace moravel::examples
