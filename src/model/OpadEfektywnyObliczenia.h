#pragma once
// Effective rainfall by the SCS curve-number method, on plain values.
#include "model/Random.h"

namespace moravel::model {

// rainfall[0..hours-1] are the hourly depths P(1..N) in mm; effectiveRain[0..hours-1]
// receives E(1..N). Draws u0 first, then one draw per hour in which the cumulative rainfall
// exceeds the initial abstraction 0.2 S. Returns the retention S in mm.
float ScsEffectiveRain(const float* rainfall, int hours, float curveNumber, UniformSource& draw, float* effectiveRain);

}  // namespace moravel::model
