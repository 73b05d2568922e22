#include "model/Calibration.h"

#include <nlopt.hpp>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <memory>
#include <thread>

#include "model/Series.h"
#include "text/Error.h"

namespace moravel::model {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// What the optimiser sees for a candidate without a defined criterion: worse than any real
// one. It never leaves this file.
constexpr double kPenalty = 1e6;
// The optimiser's first step and its tolerance, in shares of each parameter's range.
constexpr double kInitialStep = 0.25;
constexpr double kStepTolerance = 1e-3;
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

double Searched(double objective)
{
    return std::isfinite(objective) ? objective : kPenalty;
}

// A candidate better than `than`: a defined criterion, and lower (any defined one is lower
// than an undefined one).
bool Better(const CandidateFit& fit, const CandidateFit& than)
{
    return std::isfinite(fit.objective) && !(than.objective <= fit.objective);
}

}  // namespace

ParameterRange CurveNumberRange(double landUseCurveNumber)
{
    return {0.7 * landUseCurveNumber, std::min(100.0, 1.3 * landUseCurveNumber)};
}

double CalibrationObjective(CalibrationCriterion criterion, const CandidateFit& fit)
{
    if (!fit.ok)
        return kNaN;
    double score = kNaN;
    switch (criterion) {
        case CalibrationCriterion::MedianKge:
            score = 1 - fit.median.kge;
            break;
        case CalibrationCriterion::CoverageAndPeak:
            score = (1 - fit.coverage) + std::abs(fit.median.peakErrorPercent) / 100;
            break;
        case CalibrationCriterion::Crps:
            score = fit.crps;
            break;
    }
    return std::isfinite(score) ? score : kNaN;
}

std::vector<std::vector<double>> MembersAtMeasuredHours(const ComputationInputs& inputs,
                                                        const std::vector<MeasuredPoint>& measured, int count,
                                                        std::uint64_t seed, int threads,
                                                        const std::atomic<bool>* cancel)
{
    const std::size_t points = measured.size();
    const std::size_t members = static_cast<std::size_t>(std::max(count, 0));
    // [realisation][point], and whether the realisation succeeded.
    std::vector<double> values(members * points);
    std::vector<char> ok(members, 0);
    std::atomic<int> next{0};
    const auto work = [&] {
        RealisationWorkspace workspace;
        for (;;) {
            if (cancel && cancel->load(std::memory_order_relaxed))
                return;
            const int index = next.fetch_add(1, std::memory_order_relaxed);
            if (index >= count)
                return;
            SubstreamSource random(seed, static_cast<std::uint64_t>(index));
            try {
                const RealisationResult r = RunRealisation(inputs, random, workspace);
                double* row = &values[static_cast<std::size_t>(index) * points];
                for (std::size_t k = 0; k < points; ++k)
                    row[k] = DischargeAt(r.ordinates, r.length, measured[k].hour);
                ok[static_cast<std::size_t>(index)] = 1;
            } catch (const std::exception&) {
                // A failed realisation is no member, as in a series.
            }
        }
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < threads && t < count; ++t)
        workers.emplace_back(work);
    work();
    for (std::thread& w : workers)
        w.join();

    std::vector<std::vector<double>> atPoints(points);
    for (std::size_t i = 0; i < members; ++i)
        if (ok[i])
            for (std::size_t k = 0; k < points; ++k)
                atPoints[k].push_back(values[i * points + k]);
    return atPoints;
}

CandidateFit EvaluateCandidate(const ComputationInputs& base, const std::vector<MeasuredPoint>& measured,
                               const CalibrationSettings& settings, double cn, double n, double b,
                               CandidateFigures figures)
{
    CandidateFit fit;
    fit.cn = cn;
    fit.n = n;
    fit.b = b;
    fit.coverage = fit.crps = kNaN;
    ComputationInputs in = base;
    if (!in.directEffectiveRain)
        in.curveNumber = static_cast<float>(cn);
    in.parameters.n = n;
    in.parameters.b = b;
    const bool all = figures == CandidateFigures::All;
    if (all || settings.criterion == CalibrationCriterion::Crps) {
        std::vector<std::vector<double>> members =
            MembersAtMeasuredHours(in, measured, settings.count, settings.seed, settings.threads);
        fit.ok = !members.empty() && !members.front().empty();
        if (fit.ok)
            fit.crps = MeanCrps(measured, members);
    }
    if (all || settings.criterion != CalibrationCriterion::Crps) {
        const SeriesResult r = RunSeries(in, settings.count, settings.seed, settings.threads);
        fit.ok = r.succeeded > 0;
        if (fit.ok) {
            fit.banded = true;
            fit.median = FitOf(measured, BandLevel(r, kMedianSeriesLevel));
            fit.coverage = BandCoverage(measured, BandLevel(r, 0), BandLevel(r, kHighestSeriesLevel));
        }
    }
    fit.objective = CalibrationObjective(settings.criterion, fit);
    return fit;
}

void CheckCalibrationMeasurement(const std::vector<MeasuredPoint>& measured)
{
    if (measured.size() < 2)
        throw Error(QStringLiteral("Do dopasowania parametrów potrzeba co najmniej dwóch punktów pomiaru"));
    const auto [low, high] =
        std::minmax_element(measured.begin(), measured.end(),
                            [](const MeasuredPoint& a, const MeasuredPoint& b) { return a.discharge < b.discharge; });
    if (!(high->discharge > low->discharge))
        throw Error(
            QStringLiteral("Pomiar ma stały przepływ: nie ma w nim wezbrania, do którego można dopasować "
                           "parametry"));
}

namespace {

// One calibration: the candidates evaluated so far, the best of them, and the free
// parameters, each searched on [0, 1] over its range (a range of one value, and the curve
// number with typed effective rainfall, holds it).
class Search {
public:
    Search(const ComputationInputs& base, const std::vector<MeasuredPoint>& measured,
           const CalibrationSettings& settings, const std::atomic<bool>* cancel, std::atomic<int>* evaluations)
        : base_(base), measured_(measured), settings_(settings), cancel_(cancel), evaluations_(evaluations)
    {
        result_.before = EvaluateCandidate(base, measured, settings, base.curveNumber, base.parameters.n,
                                           base.parameters.b);
        result_.best = result_.before;
        Count();
        ChooseFree();
    }

    CalibrationResult Run()
    {
        if (free_.empty()) {
            if (!Cancelled())
                Evaluate({});
            return Finish();
        }
        CoarseLook();
        LocalSearch();
        Profiles();
        return Finish();
    }

private:
    struct Free {
        CalibratedParameter parameter;
        ParameterRange range;
        double* value;
    };

    bool Cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }

    void Count()
    {
        ++result_.evaluations;
        if (evaluations_)
            evaluations_->fetch_add(1, std::memory_order_relaxed);
    }

    static double ValueOf(const CandidateFit& fit, CalibratedParameter p)
    {
        return p == CalibratedParameter::CurveNumber ? fit.cn : p == CalibratedParameter::Roughness ? fit.n : fit.b;
    }

    void ChooseFree()
    {
        const double cn0 = base_.curveNumber;
        cn_ = std::clamp(cn0, settings_.cn.low, settings_.cn.high);
        n_ = std::clamp(base_.parameters.n, settings_.n.low, settings_.n.high);
        b_ = std::clamp(base_.parameters.b, settings_.b.low, settings_.b.high);
        if (base_.directEffectiveRain)
            cn_ = cn0;
        if (!base_.directEffectiveRain && settings_.cn.high > settings_.cn.low)
            free_.push_back({CalibratedParameter::CurveNumber, settings_.cn, &cn_});
        if (settings_.n.high > settings_.n.low)
            free_.push_back({CalibratedParameter::Roughness, settings_.n, &n_});
        if (settings_.b.high > settings_.b.low)
            free_.push_back({CalibratedParameter::Width, settings_.b, &b_});
    }

    // The candidate at `x` of the unit box, kept among those tried; what the optimiser sees.
    double Evaluate(const std::vector<double>& x)
    {
        for (std::size_t i = 0; i < free_.size(); ++i)
            *free_[i].value = free_[i].range.low + x[i] * (free_[i].range.high - free_[i].range.low);
        const CandidateFit fit = EvaluateCandidate(base_, measured_, settings_, cn_, n_, b_);
        Count();
        tried_.push_back(fit);
        if (Better(fit, result_.best))
            result_.best = fit;
        return Searched(fit.objective);
    }

    // A candidate's place in the unit box; the inputs' own values may lie outside the ranges.
    std::vector<double> ToUnit(const CandidateFit& fit) const
    {
        std::vector<double> unit;
        for (const Free& f : free_)
            unit.push_back(
                std::clamp((ValueOf(fit, f.parameter) - f.range.low) / (f.range.high - f.range.low), 0.0, 1.0));
        return unit;
    }

    // The best point's figures in full, and `before`'s, for the window's table.
    CalibrationResult Finish()
    {
        result_.cancelled = Cancelled();
        const CandidateFit before = result_.before, best = result_.best;
        result_.before =
            EvaluateCandidate(base_, measured_, settings_, before.cn, before.n, before.b, CandidateFigures::All);
        result_.best = EvaluateCandidate(base_, measured_, settings_, best.cn, best.n, best.b, CandidateFigures::All);
        return result_;
    }

    // A coarse look over the ranges first, so that the local search starts in the right
    // valley rather than at the user's values alone: one parameter at the profile's evenly
    // spaced values (the look is then its profile as well), more at 3 values each.
    void CoarseLook()
    {
        const std::size_t d = free_.size();
        std::vector<double> point(d);
        if (d == 1) {
            for (int k = 0; k < kProfilePoints && !Cancelled(); ++k) {
                point[0] = static_cast<double>(k) / (kProfilePoints - 1);
                Evaluate(point);
            }
            return;
        }
        const std::size_t corners = static_cast<std::size_t>(std::pow(3, static_cast<double>(d)));
        for (std::size_t k = 0; k < corners && !Cancelled(); ++k) {
            std::size_t rest = k;
            for (std::size_t i = 0; i < d; ++i, rest /= 3)
                point[i] = 0.1 + 0.4 * static_cast<double>(rest % 3);
            Evaluate(point);
        }
    }

    // Subplex (Rowan's subspace-searching simplex) copes with the small steps that whole
    // hours put into the criterion, where a quadratic model (BOBYQA) stalls. Once it has
    // converged it starts again from the best point with a smaller step, as long as that
    // improves and the budget lasts: the valley along which CN and n trade off is long.
    void LocalSearch()
    {
        const std::size_t d = free_.size();
        struct Context {
            Search* search;
            nlopt::opt* opt = nullptr;
        } context{this};
        std::vector<double> x =
            ToUnit(std::isfinite(result_.best.objective) || tried_.empty() ? result_.best : tried_.front());
        double step = kInitialStep;
        for (int round = 0; round < kRounds && !Cancelled(); ++round, step /= 2) {
            const int left = settings_.maxEvaluations - result_.evaluations;
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
                [](const std::vector<double>& at, std::vector<double>&, void* data) {
                    auto* c = static_cast<Context*>(data);
                    if (c->search->Cancelled()) {
                        c->opt->force_stop();
                        return kPenalty;
                    }
                    return c->search->Evaluate(at);
                },
                &context);
            const double before = result_.best.objective;
            double minimum = 0;
            try {
                opt.optimize(x, minimum);
            } catch (const nlopt::forced_stop&) {
            } catch (const nlopt::roundoff_limited&) {
                // The best point seen so far stands.
            }
            if (round > 0 && !(result_.best.objective < before))
                break;
            if (std::isfinite(result_.best.objective))
                x = ToUnit(result_.best);
        }
    }

    // The profiles: the criterion along each parameter's range with the others at the best
    // point. With one parameter every candidate lies on it; with more, kProfilePoints are
    // evaluated along each. Each profile's points in ascending value, one per value.
    void Profiles()
    {
        const std::size_t d = free_.size();
        if (d == 1) {
            CriterionProfile profile{free_[0].parameter, {}};
            for (const CandidateFit& fit : tried_)
                profile.points.push_back({ValueOf(fit, free_[0].parameter), fit.objective});
            result_.profiles.push_back(std::move(profile));
        } else {
            const std::vector<double> best = ToUnit(result_.best);
            for (std::size_t i = 0; i < d && !Cancelled(); ++i) {
                CriterionProfile profile{free_[i].parameter, {}};
                profile.points.push_back({ValueOf(result_.best, free_[i].parameter), result_.best.objective});
                std::vector<double> point = best;
                for (int k = 0; k < kProfilePoints && !Cancelled(); ++k) {
                    point[i] = static_cast<double>(k) / (kProfilePoints - 1);
                    Evaluate(point);
                    profile.points.push_back({ValueOf(tried_.back(), free_[i].parameter), tried_.back().objective});
                }
                result_.profiles.push_back(std::move(profile));
            }
        }
        for (CriterionProfile& profile : result_.profiles) {
            auto& points = profile.points;
            std::stable_sort(
                points.begin(), points.end(),
                [](const CriterionProfile::Point& a, const CriterionProfile::Point& b) { return a.value < b.value; });
            points.erase(std::unique(points.begin(), points.end(),
                                     [](const CriterionProfile::Point& a, const CriterionProfile::Point& b) {
                                         return a.value == b.value;
                                     }),
                         points.end());
        }
    }

    const ComputationInputs& base_;
    const std::vector<MeasuredPoint>& measured_;
    const CalibrationSettings& settings_;
    const std::atomic<bool>* cancel_;
    std::atomic<int>* evaluations_;
    CalibrationResult result_;
    double cn_ = 0, n_ = 0, b_ = 0;  // the candidate's values, free or held
    std::vector<Free> free_;
    std::vector<CandidateFit> tried_;
};

}  // namespace

CalibrationResult Calibrate(const ComputationInputs& base, const std::vector<MeasuredPoint>& measured,
                            const CalibrationSettings& settings, const std::atomic<bool>* cancel,
                            std::atomic<int>* evaluations)
{
    CheckCalibrationMeasurement(measured);
    return Search(base, measured, settings, cancel, evaluations).Run();
}

}  // namespace moravel::model
