#include "model/FitMeasures.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace moravel::model {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
}

namespace {

// A hydrograph read at `hour`: `at(h)` gives whole hour h (0 outside the hydrograph).
template <typename At>
double Interpolated(const At& at, double hour)
{
    if (!(hour > 0))
        return 0;
    const double whole = std::floor(hour);
    const long h = static_cast<long>(whole);
    const double part = hour - whole;
    return part == 0 ? at(h) : at(h) + part * (at(h + 1) - at(h));
}

}  // namespace

double DischargeAt(const std::vector<double>& hydrograph, double hour)
{
    return Interpolated(
        [&hydrograph](long h) {
            return h >= 1 && h <= static_cast<long>(hydrograph.size()) ? hydrograph[static_cast<std::size_t>(h - 1)]
                                                                       : 0.0;
        },
        hour);
}

double DischargeAt(const float* ordinates, int length, double hour)
{
    return Interpolated(
        [ordinates, length](long h) { return h >= 1 && h <= length ? static_cast<double>(ordinates[h]) : 0.0; }, hour);
}

FitMeasures FitOf(const std::vector<MeasuredPoint>& measured, const std::vector<double>& hydrograph)
{
    FitMeasures f;
    const std::size_t n = measured.size();
    f.count = static_cast<int>(n);
    if (n == 0) {
        f.nse = f.kge = f.r = f.alpha = f.beta = kNaN;
        f.peakError = f.peakErrorPercent = f.peakTimeError = f.volumeErrorPercent = kNaN;
        return f;
    }
    std::vector<double> sim(n);
    double sumO = 0, sumS = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sim[i] = DischargeAt(hydrograph, measured[i].hour);
        sumO += measured[i].discharge;
        sumS += sim[i];
    }
    const double meanO = sumO / static_cast<double>(n);
    const double meanS = sumS / static_cast<double>(n);
    double sse = 0, varO = 0, varS = 0, cov = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double dO = measured[i].discharge - meanO;
        const double dS = sim[i] - meanS;
        sse += (sim[i] - measured[i].discharge) * (sim[i] - measured[i].discharge);
        varO += dO * dO;
        varS += dS * dS;
        cov += dO * dS;
    }
    f.nse = varO > 0 ? 1 - sse / varO : kNaN;
    f.r = varO > 0 && varS > 0 ? cov / std::sqrt(varO * varS) : kNaN;
    f.alpha = varO > 0 ? std::sqrt(varS / varO) : kNaN;
    f.beta = meanO != 0 ? meanS / meanO : kNaN;
    f.kge = 1 - std::sqrt((f.r - 1) * (f.r - 1) + (f.alpha - 1) * (f.alpha - 1) + (f.beta - 1) * (f.beta - 1));

    // The peaks, each at its first hour.
    std::size_t peakO = 0;
    for (std::size_t i = 1; i < n; ++i)
        if (measured[i].discharge > measured[peakO].discharge)
            peakO = i;
    double peakS = 0;
    double peakSHour = 0;
    for (std::size_t h = 1; h <= hydrograph.size(); ++h)
        if (hydrograph[h - 1] > peakS) {
            peakS = hydrograph[h - 1];
            peakSHour = static_cast<double>(h);
        }
    const double qo = measured[peakO].discharge;
    f.peakError = peakS - qo;
    f.peakErrorPercent = qo != 0 ? 100 * f.peakError / qo : kNaN;
    f.peakTimeError = peakSHour - measured[peakO].hour;
    f.volumeErrorPercent = sumO != 0 ? 100 * (sumS - sumO) / sumO : kNaN;
    return f;
}

double BandCoverage(const std::vector<MeasuredPoint>& measured, const std::vector<double>& lower,
                    const std::vector<double>& upper)
{
    if (measured.empty())
        return kNaN;
    int inside = 0;
    for (const MeasuredPoint& p : measured)
        if (p.discharge >= DischargeAt(lower, p.hour) && p.discharge <= DischargeAt(upper, p.hour))
            ++inside;
    return static_cast<double>(inside) / static_cast<double>(measured.size());
}

double Crps(std::vector<double>& members, double observed)
{
    const std::size_t m = members.size();
    if (m == 0)
        return kNaN;
    std::sort(members.begin(), members.end());
    double toObserved = 0, spread = 0;
    for (std::size_t i = 0; i < m; ++i) {
        toObserved += std::abs(members[i] - observed);
        // (2i - m - 1) with i from 1: the count of members below less the count above.
        spread += (2.0 * static_cast<double>(i + 1) - static_cast<double>(m) - 1) * members[i];
    }
    const double md = static_cast<double>(m);
    return toObserved / md - spread / (md * md);
}

double MeanCrps(const std::vector<MeasuredPoint>& measured, std::vector<std::vector<double>>& members)
{
    if (measured.empty() || members.size() != measured.size())
        return kNaN;
    double sum = 0;
    for (std::size_t k = 0; k < measured.size(); ++k)
        sum += Crps(members[k], measured[k].discharge);
    return sum / static_cast<double>(measured.size());
}

}  // namespace moravel::model
