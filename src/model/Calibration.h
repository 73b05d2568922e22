#pragma once
// Calibration on a measured flood: the averaged curve number, Manning's n and the channel
// width b that make a series of realisations fit the measurement best. Every candidate is a
// series of the same size from the same seed (common random numbers), so the criterion is a
// deterministic function of (CN, n, b): a coarse look over the ranges, then NLopt's
// derivative-free Subplex from the best point found, restarted while it improves; last, the
// criterion along each fitted parameter's range, which shows how sharp the optimum is.
#include <atomic>
#include <cstdint>
#include <vector>

#include "model/ComputationInputs.h"
#include "model/FitMeasures.h"

namespace moravel::model {

enum class CalibrationCriterion {
    MedianKge,        // the Kling-Gupta efficiency of the series' median curve, the higher the better
    CoverageAndPeak,  // the share of measured hours inside the 5-95 % band and the median's peak error
    Crps,             // the series' members against each measured discharge, the mean CRPS
};

// A parameter's search range; low == high holds it at that value.
struct ParameterRange {
    double low = 0, high = 0;
};

// The curve number's range around the land use's averaged CN: +-30 %, at most 100.
ParameterRange CurveNumberRange(double landUseCurveNumber);

struct CalibrationSettings {
    CalibrationCriterion criterion = CalibrationCriterion::Crps;
    ParameterRange cn, n, b;
    int count = 1000;          // realisations of every candidate's series
    std::uint64_t seed = 1;    // the same for every candidate
    int threads = 1;           // worker threads of each series
    int maxEvaluations = 120;  // candidates of the search at most, `before` included
};

// One candidate and how its series fits the measurement. Figures not computed, or without
// meaning (a flat median, no successful realisation), are NaN.
struct CandidateFit {
    double cn = 0, n = 0, b = 0;
    bool ok = false;       // some realisation of its series succeeded
    bool banded = false;   // `median` and `coverage` were computed (the series' band was)
    FitMeasures median;    // of the series' median curve
    double coverage = 0;   // share of measured points inside the 5-95 % band
    double crps = 0;       // mean CRPS over the measured points, m3/s
    double objective = 0;  // the criterion's value, NaN where it is undefined
};

// What the optimiser minimises: 1 - KGE of the median, (1 - coverage) + |peak error of the
// median| / measured peak, or the mean CRPS. NaN when the candidate's series failed or the
// criterion has no meaning for it.
double CalibrationObjective(CalibrationCriterion criterion, const CandidateFit& fit);

// Which figures a candidate's evaluation computes: what the criterion needs, or all of them
// (the band's and the CRPS).
enum class CandidateFigures { Criterion, All };

// The series of `base` with CN (SCS mode only), n and b replaced, and its fit.
CandidateFit EvaluateCandidate(const ComputationInputs& base, const std::vector<MeasuredPoint>& measured,
                               const CalibrationSettings& settings, double cn, double n, double b,
                               CandidateFigures figures = CandidateFigures::Criterion);

// The members of a series (realisations 0..count-1 of `seed`, as RunSeries draws them) at the
// measured hours: [point][member], the successful realisations only, each read as DischargeAt
// reads a hydrograph. Stops early, with what it has, when `cancel` is set.
std::vector<std::vector<double>> MembersAtMeasuredHours(const ComputationInputs& inputs,
                                                        const std::vector<MeasuredPoint>& measured, int count,
                                                        std::uint64_t seed, int threads,
                                                        const std::atomic<bool>* cancel = nullptr);

// Refuses (moravel::Error) a measurement that cannot be fitted: fewer than two points, or a
// discharge that never changes (there is no flood in it).
void CheckCalibrationMeasurement(const std::vector<MeasuredPoint>& measured);

enum class CalibratedParameter { CurveNumber, Roughness, Width };

// The criterion along one fitted parameter's range, the other parameters at the best point:
// points in ascending value, the criterion NaN where undefined.
struct CriterionProfile {
    CalibratedParameter parameter = CalibratedParameter::Roughness;
    struct Point {
        double value = 0;
        double objective = 0;
    };
    std::vector<Point> points;
};

// Values along a profile: the ends of the range and evenly between.
inline constexpr int kProfilePoints = 11;

struct CalibrationResult {
    CandidateFit before;  // at the inputs' own values, with all figures
    CandidateFit best;    // with all figures; `before` when no candidate had a defined criterion
    int evaluations = 0;
    bool cancelled = false;                  // stopped by the flag; `best` is the best seen so far
    std::vector<CriterionProfile> profiles;  // one for each fitted parameter
};

// Evaluates the inputs' own values (`before`), then searches the ranges. With typed
// effective rainfall the curve number plays no part and stays. `cancel` is looked at before
// every candidate; `evaluations` counts the candidates done (both may be null). Throws
// moravel::Error for a measurement CheckCalibrationMeasurement refuses.
CalibrationResult Calibrate(const ComputationInputs& base, const std::vector<MeasuredPoint>& measured,
                            const CalibrationSettings& settings, const std::atomic<bool>* cancel = nullptr,
                            std::atomic<int>* evaluations = nullptr);

}  // namespace moravel::model
