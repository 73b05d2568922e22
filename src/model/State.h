#pragma once
// The computation state: results that the two computations hand to the chart and the report.
// Its owner (the window) keeps one instance, zero when made, never cleared; arrays are
// indexed from 1 (index 0 is unused). Rainfall and effective rainfall hold 1000 hours; the
// hydrograph is as long as its responses make it, up to kMaxHydrographLength hours.
#include <cstdint>
#include <vector>

namespace moravel::model {

// Hours of rainfall the state holds.
constexpr int kStateCapacity = 1000;
// The longest hydrograph a run may produce: 1 000 000 hours. It bounds the ordinates at 4 MB
// and still fits the rows of a report worksheet (1 048 576). A barely positive effective
// rainfall gives a response of length ~P^-0.4, so rare runs of realistic storms reach tens
// and hundreds of thousands of hours; a bound ten times lower refused a few in 10 000.
constexpr int kMaxHydrographLength = 1000000;

struct ComputationState {
    float Rainfall[kStateCapacity + 1] = {};
    float EffectiveRain[kStateCapacity + 1] = {};
    // Ordinates 1..HydrographLength of the last hydrograph. The vector only grows (it starts
    // with 1000 hours of zeros), so ordinates above a shorter run's length keep older values.
    std::vector<float> HydrographOrdinates = std::vector<float>(kStateCapacity + 1, 0.0f);
    float RainfallMax = 0;
    std::int32_t RainfallMaxRounded = 0;
    std::int32_t HydrographLength = 0;
    float PeakDischarge = 0;
    std::int32_t PeakDischargeRounded = 0;
};

}  // namespace moravel::model
