// A measured flood: the measures of fit against values worked by hand on a small hydrograph,
// the reading of a marked block's rows with its warnings, and the calibration recovering the
// parameters a synthetic measurement was made from.
#include "ZlewniaSeries.h"
#include "model/Calibration.h"
#include "model/FitMeasures.h"
#include "model/MeasuredHydrograph.h"
#include "model/Series.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <cmath>

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
         {CalibrationCriterion::MedianKge, CalibrationCriterion::CoverageAndPeak}) {
        CalibrationSettings s;
        s.criterion = criterion;
        s.cn = {example.curveNumber, example.curveNumber};
        s.n = {0.02, 0.1};
        s.b = {example.parameters.b, example.parameters.b};
        s.count = 200;
        s.seed = 11;
        s.threads = 2;
        std::atomic<int> done{0};
        const CalibrationResult r = Calibrate(example, flood, s, nullptr, &done);
        EXPECT_NEAR(r.best.n, 0.055, 0.055 * 0.05);
        EXPECT_LT(r.best.objective, r.before.objective);
        EXPECT_DOUBLE_EQ(r.before.n, 0.04);
        EXPECT_EQ(done.load(), r.evaluations);
        EXPECT_FALSE(r.cancelled);
        if (criterion == CalibrationCriterion::MedianKge)
            EXPECT_GT(r.best.median.kge, 0.99);
        else
            EXPECT_DOUBLE_EQ(r.best.coverage, 1.0);
    }
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
    const CalibrationResult r = Calibrate(example, flood, s);
    EXPECT_NEAR(r.best.n, 0.05, 0.05 * 0.05);
    EXPECT_NEAR(r.best.cn, 75, 75 * 0.05);
    EXPECT_GT(r.best.median.kge, 0.99);
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
    const CandidateFit one = EvaluateCandidate(example, flood, s, 70, 0.05, 20);
    s.threads = 2;
    const CandidateFit two = EvaluateCandidate(example, flood, s, 70, 0.05, 20);
    EXPECT_EQ(one.objective, two.objective);
    EXPECT_EQ(one.median.nse, two.median.nse);
    EXPECT_EQ(one.coverage, two.coverage);

    const std::atomic<bool> cancel{true};
    const CalibrationResult r = Calibrate(example, flood, s, &cancel);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.evaluations, 1);
    EXPECT_EQ(r.best.n, r.before.n);
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
    EXPECT_NEAR(r.best.b, 25, 25 * 0.05);
}

}  // namespace
