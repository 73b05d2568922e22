#include "model/HydrographFigures.h"

namespace moravel::model {

HydrographFigures FiguresOf(const float* ordinates, int length)
{
    HydrographFigures figures;
    double sum = 0;
    for (int t = 1; t <= length; ++t) {
        const float q = ordinates[t];
        if (t == 1 || q > figures.peak) {
            figures.peak = q;
            figures.peakHour = t;
        }
        sum += q;
    }
    figures.volume = sum * kSecondsPerHour;
    return figures;
}

int DrawnHours(int length, const std::function<double(int hour)>& q)
{
    for (int m = length; m >= 1; --m)
        if (q(m) >= kNearZeroDischarge)
            return m == length ? length : m + 1;
    return 0;
}

int DrawnHours(const float* ordinates, int length)
{
    return DrawnHours(length, [ordinates](int hour) { return double(ordinates[hour]); });
}

std::optional<double> RunoffCoefficient(double volume, double areaKm2, double rainfallMm)
{
    if (!(rainfallMm > 0) || !(areaKm2 > 0))
        return std::nullopt;
    return volume / (areaKm2 * 1e6 * rainfallMm / 1000);
}

}  // namespace moravel::model
