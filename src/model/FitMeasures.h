#pragma once
// How well a computed hydrograph fits a measured flood: the Nash-Sutcliffe efficiency, the
// Kling-Gupta efficiency, the errors of the peak, of its time and of the volume, and for a
// series the share of the measured hours inside its 5-95 % band. Each is computed on the
// measured hours: the computed discharge is taken at the hour of every measured point.
#include <vector>

namespace moravel::model {

// One measured discharge: the hour from the storm's start and the discharge in m3/s.
struct MeasuredPoint {
    double hour = 0;
    double discharge = 0;
};

// A computed hydrograph at hours 1..size (at [hour - 1]): 0 at hour 0 and after its end,
// straight between whole hours.
double DischargeAt(const std::vector<double>& hydrograph, double hour);
// The same reading of ordinates[1..length] (a realisation's own indexing).
double DischargeAt(const float* ordinates, int length, double hour);

struct FitMeasures {
    int count = 0;  // measured points compared
    // Nash-Sutcliffe: 1 - sum (Qs - Qo)^2 / sum (Qo - mean Qo)^2; NaN when the measured
    // discharges are all equal.
    double nse = 0;
    // Kling-Gupta: 1 - sqrt((r - 1)^2 + (alpha - 1)^2 + (beta - 1)^2), with r the linear
    // correlation, alpha = sd(Qs) / sd(Qo) and beta = mean(Qs) / mean(Qo); NaN where one of
    // them is undefined (no spread, a zero mean).
    double kge = 0;
    double r = 0, alpha = 0, beta = 0;
    // The computed hydrograph's peak (over all its hours) less the measured peak, in m3/s and
    // in per cent of the measured peak (NaN for a measured peak of 0).
    double peakError = 0;
    double peakErrorPercent = 0;
    // The hour of the computed peak less the hour of the measured one (the first hour at the
    // peak on each side).
    double peakTimeError = 0;
    // 100 (sum Qs - sum Qo) / sum Qo over the measured hours; NaN when sum Qo is 0.
    double volumeErrorPercent = 0;
};

// The measures of `hydrograph` (hours 1..size at [hour - 1]) against at least one measured
// point; `measured` in ascending hours.
FitMeasures FitOf(const std::vector<MeasuredPoint>& measured, const std::vector<double>& hydrograph);

// The share (0..1) of the measured points whose discharge lies within [lower, upper] at their
// hour (both curves as DischargeAt takes them); NaN without points.
double BandCoverage(const std::vector<MeasuredPoint>& measured, const std::vector<double>& lower,
                    const std::vector<double>& upper);

// The continuous ranked probability score of an ensemble against one observation: the
// integral of (F(x) - H(x - y))^2 over x, F the members' empirical distribution and H the
// step at the observation (Hersbach 2000), in the units of the values. With the members
// sorted, x(1) <= ... <= x(m), it is the kernel form of Gneiting & Raftery (2007),
//   CRPS = 1/m sum |x(i) - y| - 1/(2 m^2) sum_i sum_j |x(i) - x(j)|
//        = 1/m sum |x(i) - y| - 1/m^2 sum_i (2i - m - 1) x(i),
// exact and O(m log m). `members` is sorted in place; NaN without members.
double Crps(std::vector<double>& members, double observed);

// The mean CRPS over the measured points, members[k] holding the ensemble at measured[k]
// (each sorted in place); NaN without points or when some point has no members.
double MeanCrps(const std::vector<MeasuredPoint>& measured, std::vector<std::vector<double>>& members);

}  // namespace moravel::model
