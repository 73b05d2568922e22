// A measured flood: the measures of fit against values worked by hand on a small hydrograph,
// the CRPS of an ensemble against its integral definition, the reading of a marked block's
// rows with its warnings, and the calibration recovering the parameters a synthetic
// measurement was made from, refusing a flood without a flood in it and showing its profile.
#include "ZlewniaSeries.h"
#include "model/Calibration.h"
#include "model/FitMeasures.h"
#include "model/MeasuredHydrograph.h"
#include "model/Series.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <random>

using namespace moravel;
using namespace moravel::model;

// Failure messages show texts as text.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

// Measured 1, 3, 5, 3 at hours 1..4 against the hydrograph 2, 4, 4, 2. By hand: both means 3;
// squared errors 4, spread of the measurement 8: NSE = 1 - 4/8 = 0.5. Covariance 4, the
// computed spread 4: r = 4 / sqrt(32) = 1/sqrt(2), alpha = sqrt(4/8) = 1/sqrt(2), beta = 1:
// KGE = 1 - sqrt(2) (1 - 1/sqrt(2)) = 2 - sqrt(2). Peaks 4 at hour 2 and 5 at hour 3: -1 m3/s,
// -20 %, -1 h. Volumes 12 and 12: 0 %.
TEST(FitMeasures, SmallHydrographByHand)
{
    const std::vector<MeasuredPoint> measured{{1, 1}, {2, 3}, {3, 5}, {4, 3}};
    const FitMeasures f = FitOf(measured, {2, 4, 4, 2});
    EXPECT_EQ(f.count, 4);
    EXPECT_DOUBLE_EQ(f.nse, 0.5);
    EXPECT_DOUBLE_EQ(f.r, 1 / std::sqrt(2.0));
    EXPECT_DOUBLE_EQ(f.alpha, 1 / std::sqrt(2.0));
    EXPECT_DOUBLE_EQ(f.beta, 1);
    EXPECT_NEAR(f.kge, 2 - std::sqrt(2.0), 1e-12);
    EXPECT_DOUBLE_EQ(f.peakError, -1);
    EXPECT_DOUBLE_EQ(f.peakErrorPercent, -20);
    EXPECT_DOUBLE_EQ(f.peakTimeError, -1);
    EXPECT_DOUBLE_EQ(f.volumeErrorPercent, 0);
}

// The computed peak is the hydrograph's own, also where no measurement stands; between whole
// hours the hydrograph is read on a straight line, after its end as 0. Measured 2, 6, 2 at
// hours 1,5; 2; 6 against 0, 4, 8 (hours 1..3): computed 2, 4, 0; sums 10 and 6: -40 %;
// squared errors 0 + 4 + 4 = 8, spread 16 + 16/... worked below.
TEST(FitMeasures, BetweenHoursAndAfterTheEnd)
{
    const std::vector<MeasuredPoint> measured{{1.5, 2}, {2, 6}, {6, 2}};
    const FitMeasures f = FitOf(measured, {0, 4, 8});
    // Computed at the measured hours: 2, 4, 0. Mean measured 10/3; spread
    // (4/3)^2 + (8/3)^2 + (4/3)^2 = 96/9; squared errors 0 + 4 + 4 = 8.
    EXPECT_NEAR(f.nse, 1 - 8 / (96.0 / 9), 1e-12);
    EXPECT_NEAR(f.volumeErrorPercent, 100 * (6 - 10) / 10.0, 1e-12);
    EXPECT_DOUBLE_EQ(f.peakError, 2);  // 8 (hour 3) less 6 (hour 2)
    EXPECT_DOUBLE_EQ(f.peakTimeError, 1);
    EXPECT_DOUBLE_EQ(f.peakErrorPercent, 100 * 2 / 6.0);
}

TEST(FitMeasures, UndefinedWithoutSpreadOrVolume)
{
    // All measured discharges equal: NSE and KGE have no meaning.
    const FitMeasures flat = FitOf({{1, 2}, {2, 2}}, {1, 3});
    EXPECT_TRUE(std::isnan(flat.nse));
    EXPECT_TRUE(std::isnan(flat.kge));
    // A dry measurement: no relative peak or volume error.
    const FitMeasures dry = FitOf({{1, 0}, {2, 0}}, {1, 3});
    EXPECT_TRUE(std::isnan(dry.peakErrorPercent));
    EXPECT_TRUE(std::isnan(dry.volumeErrorPercent));
    EXPECT_DOUBLE_EQ(dry.peakError, 3);
}

TEST(FitMeasures, BandCoverageCountsPointsOnAndInsideTheBand)
{
    // 1 on the lower edge, 3 on the upper, 5 below the band, 3 inside; hour 6 lies after the
    // band's end, where both edges are 0: a discharge of 0 is inside, 0,5 is not.
    const std::vector<double> lower{1, 2, 6, 3}, upper{2, 3, 7, 4};
    EXPECT_DOUBLE_EQ(BandCoverage({{1, 1}, {2, 3}, {3, 5}, {4, 3.5}}, lower, upper), 0.75);
    EXPECT_DOUBLE_EQ(BandCoverage({{6, 0}, {7, 0.5}}, lower, upper), 0.5);
}

// The CRPS as Hersbach (2000) defines it: the integral over x of (F(x) - H(x - y))^2, F the
// members' empirical distribution (a step of 1/m at each member) and H the step at the
// observation; both are constant between consecutive breakpoints, so the integral is a sum.
double CrpsByIntegral(std::vector<double> members, double y)
{
    std::vector<double> breaks = members;
    breaks.push_back(y);
    std::sort(breaks.begin(), breaks.end());
    double sum = 0;
    for (std::size_t k = 0; k + 1 < breaks.size(); ++k) {
        const double mid = 0.5 * (breaks[k] + breaks[k + 1]);
        const double F =
            static_cast<double>(std::count_if(members.begin(), members.end(), [mid](double x) { return x <= mid; })) /
            static_cast<double>(members.size());
        const double H = mid >= y ? 1 : 0;
        sum += (F - H) * (F - H) * (breaks[k + 1] - breaks[k]);
    }
    return sum;
}

TEST(Crps, AgreesWithTheIntegralDefinition)
{
    // By hand: members 1..4 against 2,5: mean |X - y| = 1, mean |X - X'| = 20/16, CRPS = 0,375.
    std::vector<double> four{4, 1, 3, 2};
    EXPECT_DOUBLE_EQ(Crps(four, 2.5), 0.375);
    // One member: the absolute error.
    std::vector<double> one{7};
    EXPECT_DOUBLE_EQ(Crps(one, 3), 4);
    std::vector<double> none;
    EXPECT_TRUE(std::isnan(Crps(none, 1)));

    // Ensembles with ties, the observation below, inside and above them.
    std::mt19937_64 engine(17);
    std::uniform_real_distribution<double> uniform(0, 10);
    for (const int m : {2, 5, 50, 333}) {
        std::vector<double> members(static_cast<std::size_t>(m));
        for (double& x : members)
            x = std::round(uniform(engine) * 2) / 2;  // halves: ties
        for (const double y : {-3.0, 0.0, 4.25, 5.0, 12.0}) {
            SCOPED_TRACE(testing::Message() << m << " members, y = " << y);
            std::vector<double> copy = members;
            EXPECT_NEAR(Crps(copy, y), CrpsByIntegral(members, y), 1e-9);
        }
    }
}

TEST(Crps, MeanOverTheMeasuredPoints)
{
    const std::vector<MeasuredPoint> measured{{1, 2.5}, {2, 3}};
    std::vector<std::vector<double>> members{{1, 2, 3, 4}, {3, 3}};
    EXPECT_DOUBLE_EQ(MeanCrps(measured, members), (0.375 + 0) / 2);
    std::vector<std::vector<double>> missing{{1, 2}, {}};
    EXPECT_TRUE(std::isnan(MeanCrps(measured, missing)));
}

std::vector<QStringList> Rows(std::initializer_list<QStringList> rows)
{
    return std::vector<QStringList>(rows);
}

TEST(MeasuredHydrograph, ReadsOneOrTwoColumns)
{
    const QChar comma(',');
    const MeasuredReading single = ReadMeasuredHydrograph(Rows({{"1,5"}, {"2"}, {" 3 "}}), comma);
    ASSERT_EQ(single.points.size(), 3u);
    EXPECT_EQ(single.points[0].hour, 1);
    EXPECT_EQ(single.points[0].discharge, 1.5);
    EXPECT_EQ(single.points[2].hour, 3);
    EXPECT_TRUE(single.warnings.isEmpty());

    // Hours from 0, not whole, the third column ignored.
    const MeasuredReading pairs = ReadMeasuredHydrograph(Rows({{"0", "0", "x"}, {"0,5", "4"}, {"1", "7,25"}}), comma);
    ASSERT_EQ(pairs.points.size(), 3u);
    EXPECT_EQ(pairs.points[1].hour, 0.5);
    EXPECT_EQ(pairs.points[2].discharge, 7.25);
    EXPECT_TRUE(pairs.warnings.isEmpty());
}

TEST(MeasuredHydrograph, WarnsAboutEveryKindOfBadRow)
{
    struct Case {
        const char* name;
        std::vector<QStringList> rows;
        std::size_t taken;
        QStringList warnings;
    };
    const Case cases[] = {
        {"heading and a text",
         Rows({{"godzina", "Q"}, {"1", "2"}, {"2", "abc"}, {"3", "4"}}),
         2,
         {QStringLiteral("Pominięto 2 wiersze z tekstem zamiast liczby (pierwszy: wiersz 1, „godzina”)."),
          QStringLiteral("Luki w pomiarze: 1 (pierwsza między godziną 1 a 3).")}},
        {"negative and empty",
         Rows({{"1"}, {"-2"}, {""}, {"3"}, {"4"}}),
         3,
         {QStringLiteral("Pominięto 1 wiersz bez przepływu (pierwszy: wiersz 3)."),
          QStringLiteral("Pominięto 1 wiersz z ujemnym przepływem (pierwszy: wiersz 2, -2)."),
          QStringLiteral("Luki w pomiarze: 1 (pierwsza między godziną 1 a 4).")}},
        {"hours out of order and a gap",
         Rows({{"1", "1"}, {"3", "2"}, {"2", "5"}, {"-1", "5"}, {"4", "1"}}),
         3,
         {QStringLiteral("Pominięto 2 wiersze, w których godzina jest ujemna albo nie większa od poprzedniej "
                         "(pierwszy: wiersz 3, godzina 2)."),
          QStringLiteral("Luki w pomiarze: 1 (pierwsza między godziną 1 a 3).")}},
        {"a text that looks like a place marker",
         Rows({{"1"}, {"%2 %1"}, {"3"}}),
         2,
         {QStringLiteral("Pominięto 1 wiersz z tekstem zamiast liczby (pierwszy: wiersz 2, „%2 %1”)."),
          QStringLiteral("Luki w pomiarze: 1 (pierwsza między godziną 1 a 3).")}},
        {"five empty rows",
         Rows({{"1"}, {""}, {""}, {""}, {""}, {""}, {"1"}}),
         2,
         {QStringLiteral("Pominięto 5 wierszy bez przepływu (pierwszy: wiersz 2)."),
          QStringLiteral("Luki w pomiarze: 1 (pierwsza między godziną 1 a 7).")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MeasuredReading r = ReadMeasuredHydrograph(c.rows, QChar(','));
        EXPECT_EQ(r.points.size(), c.taken);
        EXPECT_EQ(r.warnings, c.warnings);
    }
}

TEST(MeasuredHydrograph, RefusesFewerThanTwoPoints)
{
    for (const auto& rows : {Rows({}), Rows({{"Q"}, {"5"}}), Rows({{"a", "b"}, {"-1", "2"}})}) {
        try {
            ReadMeasuredHydrograph(rows, QChar(','));
            ADD_FAILURE() << "no refusal";
        } catch (const Error& e) {
            EXPECT_TRUE(e.text().startsWith(QStringLiteral("Zaznaczony obszar nie zawiera pomiaru")));
        }
    }
}

// The median curve of a series on the example with a known roughness, taken as the
// measurement at every hour.
std::vector<MeasuredPoint> SyntheticFlood(const ComputationInputs& truth, int count, std::uint64_t seed)
{
    const SeriesResult r = RunSeries(truth, count, seed, 2);
    std::vector<MeasuredPoint> flood;
    for (int h = 1; h <= r.bandHours; ++h)
        flood.push_back({static_cast<double>(h), r.band[static_cast<std::size_t>(h - 1)][kMedianSeriesLevel]});
    return flood;
}

// n alone on the example over `n`: CN and b held at the example's values.
CalibrationSettings RoughnessAlone(const ComputationInputs& example, ParameterRange n, int count, std::uint64_t seed)
{
    CalibrationSettings s;
    s.cn = {example.curveNumber, example.curveNumber};
    s.n = n;
    s.b = {example.parameters.b, example.parameters.b};
    s.count = count;
    s.seed = seed;
    s.threads = 2;
    return s;
}

TEST(Calibration, CurveNumberRangeIsThirtyPerCentAtMostHundred)
{
    const ParameterRange low = CurveNumberRange(60);
    EXPECT_DOUBLE_EQ(low.low, 42);
    EXPECT_DOUBLE_EQ(low.high, 78);
    EXPECT_DOUBLE_EQ(CurveNumberRange(85).high, 100);
}

TEST(Calibration, RecoversTheRoughnessOfASyntheticFlood)
{
    const ComputationInputs example = examples::ZlewniaSeriesInputs();
    ComputationInputs truth = example;
    truth.parameters.n = 0.055;  // the example's own is 0,04
    const std::vector<MeasuredPoint> flood = SyntheticFlood(truth, 200, 11);

    for (const CalibrationCriterion criterion :
         {CalibrationCriterion::Crps, CalibrationCriterion::MedianKge, CalibrationCriterion::CoverageAndPeak}) {
        SCOPED_TRACE(static_cast<int>(criterion));
        CalibrationSettings s = RoughnessAlone(example, {0.02, 0.1}, 200, 11);
        s.criterion = criterion;
        std::atomic<int> done{0};
        const CalibrationResult r = Calibrate(example, flood, s, nullptr, &done);
        EXPECT_NEAR(r.best.n, 0.055, 0.055 * 0.05);
        EXPECT_LT(r.best.objective, r.before.objective);
        EXPECT_DOUBLE_EQ(r.before.n, 0.04);
        EXPECT_EQ(done.load(), r.evaluations);
        EXPECT_FALSE(r.cancelled);
        if (criterion == CalibrationCriterion::MedianKge)
            EXPECT_GT(r.best.median.kge, 0.99);
        else if (criterion == CalibrationCriterion::CoverageAndPeak)
            EXPECT_DOUBLE_EQ(r.best.coverage, 1.0);
        // Every figure of the two shown candidates, whatever the criterion.
        for (const CandidateFit* f : {&r.before, &r.best}) {
            EXPECT_TRUE(f->banded);
            EXPECT_TRUE(std::isfinite(f->crps));
            EXPECT_TRUE(std::isfinite(f->median.kge));
        }
        EXPECT_LT(r.best.crps, r.before.crps);

        // One parameter: its profile is every candidate, in ascending n from one end of the
        // range to the other, lowest at the best point.
        ASSERT_EQ(r.profiles.size(), 1u);
        const auto& points = r.profiles[0].points;
        EXPECT_EQ(r.profiles[0].parameter, CalibratedParameter::Roughness);
        ASSERT_GE(points.size(), static_cast<std::size_t>(kProfilePoints));
        EXPECT_DOUBLE_EQ(points.front().value, 0.02);
        EXPECT_DOUBLE_EQ(points.back().value, 0.1);
        EXPECT_TRUE(std::is_sorted(points.begin(), points.end(),
                                   [](const auto& a, const auto& b) { return a.value < b.value; }));
        const auto lowest = std::min_element(points.begin(), points.end(),
                                             [](const auto& a, const auto& b) { return a.objective < b.objective; });
        EXPECT_DOUBLE_EQ(lowest->value, r.best.n);
        // The valley is sharp: at the ends of the range the criterion is clearly worse.
        EXPECT_GT(std::min(points.front().objective, points.back().objective), 2 * r.best.objective);
    }
}

// A single realisation (another seed) is a noisy flood: its timing varies from one
// realisation to the next about twice as much as 10 % of n moves it, so the fit is only near
// the truth. Still, n far from the truth (the range's ends) fits clearly worse.
TEST(Calibration, SingleRealisationOfAnotherSeed)
{
    const ComputationInputs example = examples::ZlewniaSeriesInputs();
    ComputationInputs truth = example;
    truth.parameters.n = 0.055;
    SubstreamSource random(7, 8);
    RealisationWorkspace work;
    const RealisationResult one = RunRealisation(truth, random, work);
    std::vector<MeasuredPoint> flood;
    for (int h = 1; h <= one.length; ++h)
        flood.push_back({static_cast<double>(h), one.ordinates[h]});
    const CalibrationResult r = Calibrate(example, flood, RoughnessAlone(example, {0.01, 0.15}, 200, 11));
    EXPECT_NEAR(r.best.n, 0.055, 0.055 * 0.3);
    const auto& points = r.profiles.at(0).points;
    EXPECT_GT(points.front().objective, 1.5 * r.best.objective);
    EXPECT_GT(points.back().objective, 1.2 * r.best.objective);
}

// The members at the measured hours are the series' realisations: at every whole hour, half
// of them lie at or below the band's median.
TEST(Calibration, MembersAreTheSeriesRealisations)
{
    const ComputationInputs example = examples::ZlewniaSeriesInputs();
    const SeriesResult series = RunSeries(example, 200, 3, 2);
    std::vector<MeasuredPoint> hours;
    for (int h = 1; h <= 40; ++h)
        hours.push_back({static_cast<double>(h), 0});
    const std::vector<std::vector<double>> members = MembersAtMeasuredHours(example, hours, 200, 3, 2);
    ASSERT_EQ(members.size(), hours.size());
    for (std::size_t k = 0; k < hours.size(); ++k) {
        ASSERT_EQ(members[k].size(), static_cast<std::size_t>(series.succeeded));
        const double median = series.band[k][kMedianSeriesLevel];
        const auto atOrBelow =
            std::count_if(members[k].begin(), members[k].end(), [median](double x) { return x <= median; });
        if (median > 0)
            EXPECT_NEAR(static_cast<double>(atOrBelow) / 200, 0.5, 0.01) << "hour " << k + 1;
    }
}

// A measurement without a flood in it is refused with a message; a criterion without meaning
// (a series that never flows: KGE of a flat median) stays undefined, never a penalty figure.
TEST(Calibration, NoFloodOrNoCriterionIsSaidSo)
{
    const ComputationInputs example = examples::ZlewniaSeriesInputs();
    CalibrationSettings s = RoughnessAlone(example, {0.02, 0.1}, 20, 1);
    for (const auto& flat : {std::vector<MeasuredPoint>{{1, 4}, {2, 4}, {3, 4}}, std::vector<MeasuredPoint>{{1, 4}},
                             std::vector<MeasuredPoint>{{1, 0}, {2, 0}}}) {
        try {
            Calibrate(example, flat, s);
            ADD_FAILURE() << "no refusal";
        } catch (const Error& e) {
            EXPECT_FALSE(e.text().isEmpty());
        }
    }

    ComputationInputs dry = example;
    dry.directEffectiveRain = true;
    dry.parameters.HourCount = 4;
    dry.effectiveRain = {0, 0, 0, 0};
    s.criterion = CalibrationCriterion::MedianKge;
    const CalibrationResult r = Calibrate(dry, {{1, 1}, {2, 5}, {3, 2}}, s);
    EXPECT_TRUE(std::isnan(r.before.objective));
    EXPECT_TRUE(std::isnan(r.best.objective));
    EXPECT_EQ(r.best.n, r.before.n);
    for (const CriterionProfile::Point& p : r.profiles.at(0).points)
        EXPECT_TRUE(std::isnan(p.objective));
    // The CRPS has a meaning there: the series' distance from the measured discharges.
    EXPECT_NEAR(r.best.crps, (1 + 5 + 2) / 3.0, 1e-12);
}

TEST(Calibration, RecoversRoughnessAndCurveNumberTogether)
{
    const ComputationInputs example = examples::ZlewniaSeriesInputs();
    ComputationInputs truth = example;
    truth.parameters.n = 0.05;
    truth.curveNumber = 75;
    const std::vector<MeasuredPoint> flood = SyntheticFlood(truth, 200, 5);

    CalibrationSettings s;
    s.cn = CurveNumberRange(example.curveNumber);
    s.n = {0.02, 0.1};
    s.b = {example.parameters.b, example.parameters.b};
    s.count = 200;
    s.seed = 5;
    s.threads = 2;
    for (const CalibrationCriterion criterion : {CalibrationCriterion::Crps, CalibrationCriterion::MedianKge}) {
        SCOPED_TRACE(static_cast<int>(criterion));
        s.criterion = criterion;
        const CalibrationResult r = Calibrate(example, flood, s);
        EXPECT_NEAR(r.best.n, 0.05, 0.05 * 0.05);
        EXPECT_NEAR(r.best.cn, 75, 75 * 0.05);
        // The CRPS fits the whole series, not its median curve: the median fits well, but
        // less than perfectly.
        EXPECT_GT(r.best.median.kge, criterion == CalibrationCriterion::MedianKge ? 0.99 : 0.9);
        // A profile along each, through the best point.
        ASSERT_EQ(r.profiles.size(), 2u);
        EXPECT_EQ(r.profiles[0].parameter, CalibratedParameter::CurveNumber);
        EXPECT_EQ(r.profiles[1].parameter, CalibratedParameter::Roughness);
        for (const CriterionProfile& p : r.profiles)
            EXPECT_GE(p.points.size(), static_cast<std::size_t>(kProfilePoints));
        const auto& alongN = r.profiles[1].points;
        EXPECT_TRUE(std::any_of(alongN.begin(), alongN.end(), [&](const auto& p) { return p.value == r.best.n; }));
    }
}

// The same candidate gives the same figures whatever the number of threads; a calibration
// asked to stop before it starts evaluates only where it stands.
TEST(Calibration, DeterministicAndCancellable)
{
    const ComputationInputs example = examples::ZlewniaSeriesInputs();
    const std::vector<MeasuredPoint> flood = SyntheticFlood(example, 100, 3);
    CalibrationSettings s;
    s.cn = CurveNumberRange(example.curveNumber);
    s.n = {0.02, 0.1};
    s.b = {5, 40};
    s.count = 100;
    s.seed = 4;
    s.threads = 1;
    const CandidateFit one = EvaluateCandidate(example, flood, s, 70, 0.05, 20, CandidateFigures::All);
    s.threads = 2;
    const CandidateFit two = EvaluateCandidate(example, flood, s, 70, 0.05, 20, CandidateFigures::All);
    EXPECT_EQ(one.objective, two.objective);
    EXPECT_EQ(one.crps, two.crps);
    EXPECT_EQ(one.median.nse, two.median.nse);
    EXPECT_EQ(one.coverage, two.coverage);
    EXPECT_EQ(one.crps, one.objective);  // the default criterion
    // Only what the criterion needs: the CRPS without the band.
    const CandidateFit lean = EvaluateCandidate(example, flood, s, 70, 0.05, 20);
    EXPECT_EQ(lean.objective, one.objective);
    EXPECT_FALSE(lean.banded);

    const std::atomic<bool> cancel{true};
    const CalibrationResult r = Calibrate(example, flood, s, &cancel);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.evaluations, 1);
    EXPECT_EQ(r.best.n, r.before.n);

    // The inputs' own n outside the range and better than all of it: the search starts from
    // the range's nearest end, and the inputs' values stand.
    const CalibrationResult outside = Calibrate(example, flood, RoughnessAlone(example, {0.1, 0.15}, 100, 3));
    EXPECT_FALSE(outside.cancelled);
    EXPECT_EQ(outside.best.n, example.parameters.n);
    EXPECT_GT(outside.evaluations, kProfilePoints);
}

// Typed effective rainfall: the curve number plays no part and stays where it was.
TEST(Calibration, TypedEffectiveRainLeavesTheCurveNumber)
{
    ComputationInputs typed = examples::ZlewniaSeriesInputs();
    typed.directEffectiveRain = true;
    typed.effectiveRain = {2, 8, 5, 1};
    typed.parameters.HourCount = 4;
    ComputationInputs truth = typed;
    truth.parameters.b = 25;
    const std::vector<MeasuredPoint> flood = SyntheticFlood(truth, 100, 9);
    CalibrationSettings s;
    s.cn = {40, 90};
    s.n = {typed.parameters.n, typed.parameters.n};
    s.b = {5, 40};
    s.count = 100;
    s.seed = 9;
    const CalibrationResult r = Calibrate(typed, flood, s);
    EXPECT_EQ(r.best.cn, typed.curveNumber);
    // The CRPS's optimum against a median curve lies near the truth, not on it.
    EXPECT_NEAR(r.best.b, 25, 25 * 0.1);
}

}  // namespace

namespace {

// The README says by how much the peak of the series' median curve lies below the median of
// the realisations' peaks on the example; the figure is computed here and compared with the
// README's text, so that a change of the computation fails until the README is updated.
TEST(Calibration, ReadmeFigureOfTheMedianCurvesPeak)
{
    QFile readme(QStringLiteral(MORAVEL_README));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll());
    const QRegularExpressionMatch quoted =
        QRegularExpression(QStringLiteral("jest o ok\\. (\\d+) % niższy od mediany szczytów")).match(text);
    ASSERT_TRUE(quoted.hasMatch());

    const SeriesResult r = RunSeries(examples::ZlewniaSeriesInputs(), 1000, 20261211, 2);
    const std::vector<double> median = BandLevelCurve(r, kMedianSeriesLevel);
    const double curvePeak = *std::max_element(median.begin(), median.end());
    const double medianPeak = r.peak.percentiles[kMedianSeriesLevel];
    EXPECT_EQ(quoted.captured(1).toInt(), static_cast<int>(std::lround(100 * (1 - curvePeak / medianPeak))))
        << curvePeak << " against " << medianPeak;
}

}  // namespace
