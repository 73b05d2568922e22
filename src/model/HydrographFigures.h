#pragma once
// What every window and export reads off a hydrograph: its peak, the hour of the peak, its
// outflow volume, and the hours worth drawing.
#include <functional>
#include <optional>

namespace moravel::model {

constexpr double kSecondsPerHour = 3600;
// Discharges below this are near zero for drawing. Compared in double, as the computations
// work: the single-precision 0.01f lies just below 0.01, so an ordinate stored as 0.01f is
// near zero.
constexpr double kNearZeroDischarge = 0.01;

struct HydrographFigures {
    float peak = 0;     // m3/s; 0 for an empty hydrograph
    int peakHour = 0;   // the first hour at the peak; 0 for an empty hydrograph
    double volume = 0;  // m3: the sum of the hourly ordinates times 3600 s
};

// The figures of ordinates[1..length].
HydrographFigures FiguresOf(const float* ordinates, int length);

// The runoff coefficient of a hydrograph: its volume (m3) over the storm's water on the
// catchment, A * P (km2 -> m2: * 10^6, mm -> m: / 1000). None when the rainfall or the area is
// not positive.
std::optional<double> RunoffCoefficient(double volume, double areaKm2, double rainfallMm);

// The hours worth drawing of a discharge q(1..length): the tail of near-zero values is cut
// so that exactly one of them follows the last hour at or above kNearZeroDischarge; all
// `length` hours when the last one is not near zero; 0 when every hour is near zero.
int DrawnHours(int length, const std::function<double(int hour)>& q);
// The same for ordinates[1..length].
int DrawnHours(const float* ordinates, int length);

}  // namespace moravel::model
