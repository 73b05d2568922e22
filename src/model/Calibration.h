#pragma once
// Calibration on a measured flood: the averaged curve number, Manning's n and the channel
// width b that make a series of realisations fit the measurement best. Every candidate is a
// series of the same size from the same seed (common random numbers), so the objective is a
// deterministic function of (CN, n, b): a coarse look over the ranges, then NLopt's
// derivative-free Subplex from the best point found, restarted while it improves.
#include <atomic>
#include <cstdint>
#include <vector>

#include "model/ComputationInputs.h"
#include "model/FitMeasures.h"

namespace moravel::model {

enum class CalibrationCriterion {
    MedianKge,        // the Kling-Gupta efficiency of the series' median curve, the higher the better
    CoverageAndPeak,  // the share of measured hours inside the 5-95 % band and the median's peak error
};

// A parameter's search range; low == high holds it at that value.
struct ParameterRange {
    double low = 0, high = 0;
};

// The curve number's range around the land use's averaged CN: +-30 %, at most 100.
ParameterRange CurveNumberRange(double landUseCurveNumber);

struct CalibrationSettings {
    CalibrationCriterion criterion = CalibrationCriterion::MedianKge;
    ParameterRange cn, n, b;
    int count = 1000;          // realisations of every candidate's series
    std::uint64_t seed = 1;    // the same for every candidate
    int threads = 1;           // worker threads of each series
    int maxEvaluations = 120;  // candidates at most, `before` included
};

// One candidate and how its series fits the measurement.
struct CandidateFit {
    double cn = 0, n = 0, b = 0;
    bool ok = false;      // some realisation of its series succeeded
    FitMeasures median;   // of the series' median curve
    double coverage = 0;  // share of measured points inside the 5-95 % band
    double objective = 0;
};

// What the optimiser minimises: 1 - KGE of the median, or (1 - coverage) + |peak error of
// the median| / measured peak. A candidate whose series failed, or whose figures are
// undefined, scores a large penalty.
double CalibrationObjective(CalibrationCriterion criterion, const CandidateFit& fit);

// The series of `base` with CN (SCS mode only), n and b replaced, and its fit.
CandidateFit EvaluateCandidate(const ComputationInputs& base, const std::vector<MeasuredPoint>& measured,
                               const CalibrationSettings& settings, double cn, double n, double b);

struct CalibrationResult {
    CandidateFit before;  // at the inputs' own values
    CandidateFit best;
    int evaluations = 0;
    bool cancelled = false;  // stopped by the flag; `best` is the best seen so far
};

// Evaluates the inputs' own values (`before`), then searches the ranges. With typed
// effective rainfall the curve number plays no part and stays. `cancel` is looked at before
// every candidate; `evaluations` counts the candidates done (both may be null).
CalibrationResult Calibrate(const ComputationInputs& base, const std::vector<MeasuredPoint>& measured,
                            const CalibrationSettings& settings, const std::atomic<bool>* cancel = nullptr,
                            std::atomic<int>* evaluations = nullptr);

}  // namespace moravel::model
