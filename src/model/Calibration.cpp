#include "model/Calibration.h"

#include <nlopt.hpp>

#include <algorithm>
#include <cmath>
#include <exception>

#include "model/Series.h"

namespace moravel::model {

namespace {

// The score of a candidate without usable figures: worse than any real one.
constexpr double kPenalty = 1e6;
// The optimiser's first step and its tolerance, in shares of each parameter's range.
constexpr double kInitialStep = 0.25;
constexpr double kStepTolerance = 1e-4;
// Starts of the search at most: the first and restarts from the best point.
constexpr int kRounds = 4;

// The percentile level `level` of the band, hours 1..bandHours at [hour - 1].
std::vector<double> BandLevel(const SeriesResult& r, std::size_t level)
{
    std::vector<double> curve(static_cast<std::size_t>(r.bandHours));
    for (std::size_t h = 0; h < curve.size(); ++h)
        curve[h] = r.band[h][level];
    return curve;
}

}  // namespace

ParameterRange CurveNumberRange(double landUseCurveNumber)
{
    return {0.7 * landUseCurveNumber, std::min(100.0, 1.3 * landUseCurveNumber)};
}

double CalibrationObjective(CalibrationCriterion criterion, const CandidateFit& fit)
{
    if (!fit.ok)
        return kPenalty;
    double score = kPenalty;
    switch (criterion) {
        case CalibrationCriterion::MedianKge:
            score = 1 - fit.median.kge;
            break;
        case CalibrationCriterion::CoverageAndPeak:
            score = (1 - fit.coverage) + std::abs(fit.median.peakErrorPercent) / 100;
            break;
    }
    return std::isfinite(score) ? score : kPenalty;
}

CandidateFit EvaluateCandidate(const ComputationInputs& base, const std::vector<MeasuredPoint>& measured,
                               const CalibrationSettings& settings, double cn, double n, double b)
{
    CandidateFit fit;
    fit.cn = cn;
    fit.n = n;
    fit.b = b;
    ComputationInputs in = base;
    if (!in.directEffectiveRain)
        in.curveNumber = static_cast<float>(cn);
    in.parameters.n = n;
    in.parameters.b = b;
    const SeriesResult r = RunSeries(in, settings.count, settings.seed, settings.threads);
    fit.ok = r.succeeded > 0;
    if (fit.ok) {
        fit.median = FitOf(measured, BandLevel(r, kMedianSeriesLevel));
        fit.coverage = BandCoverage(measured, BandLevel(r, 0), BandLevel(r, kHighestSeriesLevel));
    }
    fit.objective = CalibrationObjective(settings.criterion, fit);
    return fit;
}

CalibrationResult Calibrate(const ComputationInputs& base, const std::vector<MeasuredPoint>& measured,
                            const CalibrationSettings& settings, const std::atomic<bool>* cancel,
                            std::atomic<int>* evaluations)
{
    CalibrationResult result;
    const double cn0 = base.curveNumber, n0 = base.parameters.n, b0 = base.parameters.b;
    const auto count = [&] {
        ++result.evaluations;
        if (evaluations)
            evaluations->fetch_add(1, std::memory_order_relaxed);
    };
    result.before = EvaluateCandidate(base, measured, settings, cn0, n0, b0);
    result.best = result.before;
    count();

    // The free parameters, each searched on [0, 1] over its range; a range of one value (and
    // the curve number with typed effective rainfall) holds it.
    struct Free {
        ParameterRange range;
        double start;
        double* value;
    };
    double cn = std::clamp(cn0, settings.cn.low, settings.cn.high);
    double n = std::clamp(n0, settings.n.low, settings.n.high);
    double b = std::clamp(b0, settings.b.low, settings.b.high);
    if (base.directEffectiveRain)
        cn = cn0;
    std::vector<Free> free;
    if (!base.directEffectiveRain && settings.cn.high > settings.cn.low)
        free.push_back({settings.cn, cn, &cn});
    if (settings.n.high > settings.n.low)
        free.push_back({settings.n, n, &n});
    if (settings.b.high > settings.b.low)
        free.push_back({settings.b, b, &b});

    const auto evaluate = [&](const std::vector<double>& x) {
        for (std::size_t i = 0; i < free.size(); ++i)
            *free[i].value = free[i].range.low + x[i] * (free[i].range.high - free[i].range.low);
        const CandidateFit fit = EvaluateCandidate(base, measured, settings, cn, n, b);
        count();
        if (fit.objective < result.best.objective)
            result.best = fit;
        return fit.objective;
    };
    std::vector<double> x(free.size());
    for (std::size_t i = 0; i < free.size(); ++i)
        x[i] = (free[i].start - free[i].range.low) / (free[i].range.high - free[i].range.low);
    if (free.empty()) {
        if (!(cancel && cancel->load()))
            evaluate(x);
        return result;
    }

    // Subplex (Rowan's subspace-searching simplex) copes with the small steps that whole
    // hours put into the objective, where a quadratic model (BOBYQA) stalls. Once it has
    // converged it starts again from the best point with a smaller step, as long as that
    // improves and the budget lasts: the valley along which CN and n trade off is long.
    const std::size_t d = free.size();
    const auto toUnit = [&](const CandidateFit& fit) {
        const double values[3] = {fit.cn, fit.n, fit.b};
        std::vector<double> unit;
        for (const Free& f : free) {
            const double v = values[f.value == &cn ? 0 : f.value == &n ? 1 : 2];
            unit.push_back((v - f.range.low) / (f.range.high - f.range.low));
        }
        return unit;
    };
    using Evaluate = decltype(evaluate);
    struct Context {
        Evaluate* score;
        const std::atomic<bool>* cancel;
        nlopt::opt* opt = nullptr;
        bool cancelled = false;
    } context{&evaluate, cancel};
    // A coarse look over the ranges first (3 points a parameter: the ends and the middle), so
    // that the local search starts in the right valley rather than at the user's values alone.
    std::vector<double> point(d);
    const std::size_t corners = static_cast<std::size_t>(std::pow(3, static_cast<double>(d)));
    for (std::size_t k = 0; k < corners && !(cancel && cancel->load()); ++k) {
        std::size_t rest = k;
        for (std::size_t i = 0; i < d; ++i, rest /= 3)
            point[i] = 0.1 + 0.4 * static_cast<double>(rest % 3);
        evaluate(point);
    }
    x = toUnit(result.best);
    double step = kInitialStep;
    for (int round = 0; round < kRounds && !context.cancelled; ++round, step /= 2) {
        const int left = settings.maxEvaluations - result.evaluations;
        if (left <= 0)
            break;
        nlopt::opt opt(nlopt::LN_SBPLX, static_cast<unsigned>(d));
        context.opt = &opt;
        opt.set_lower_bounds(std::vector<double>(d, 0.0));
        opt.set_upper_bounds(std::vector<double>(d, 1.0));
        std::vector<double> steps(d);
        for (std::size_t i = 0; i < d; ++i)
            steps[i] = x[i] + step <= 1 ? step : -step;
        opt.set_initial_step(steps);
        opt.set_xtol_abs(kStepTolerance);
        opt.set_maxeval(left);
        opt.set_min_objective(
            [](const std::vector<double>& point, std::vector<double>&, void* data) {
                auto* c = static_cast<Context*>(data);
                if (c->cancel && c->cancel->load(std::memory_order_relaxed)) {
                    c->cancelled = true;
                    c->opt->force_stop();
                    return kPenalty;
                }
                return (*c->score)(point);
            },
            &context);
        const double before = result.best.objective;
        double minimum = 0;
        try {
            opt.optimize(x, minimum);
        } catch (const nlopt::forced_stop&) {
        } catch (const nlopt::roundoff_limited&) {
            // The best point seen so far stands.
        }
        if (round > 0 && !(result.best.objective < before))
            break;
        x = toUnit(result.best);
    }
    result.cancelled = context.cancelled;
    return result;
}

}  // namespace moravel::model
