#pragma once
// The computation state: results that the two computations hand to the chart and the report.
// One process-wide instance, zero when the program starts, never cleared; arrays are
// indexed from 1 (index 0 is unused), 1000 hours each.
#include <cstdint>

namespace moravel::model {

constexpr int kStateCapacity = 1000;

struct ComputationState {
    float Rainfall[kStateCapacity + 1] = {};
    float EffectiveRain[kStateCapacity + 1] = {};
    float HydrographOrdinates[kStateCapacity + 1] = {};
    float RainfallMax = 0;
    std::int32_t RainfallMaxRounded = 0;
    std::int32_t HydrographLength = 0;
    float PeakDischarge = 0;
    std::int32_t PeakDischargeRounded = 0;
};

// The one instance.
ComputationState& State();

}  // namespace moravel::model
