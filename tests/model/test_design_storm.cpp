// Design storms: each shape against a small case worked by hand from its definition, the
// depth-duration interpolation, the checks of the tables and the rounding of the texts.
#include "model/DesignStorm.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

using namespace moravel;
using namespace moravel::model;

namespace {

void ExpectDepths(const std::vector<double>& got, const std::vector<double>& expected, const char* what)
{
    ASSERT_EQ(got.size(), expected.size()) << what;
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], expected[i], 1e-9) << what << ", hour " << i + 1;
}

// A table with the depth of every hour 1..6: increments 20, 10, 6, 4, 4, 4 (total 48 mm).
DepthDurationCurve SixHourTable()
{
    return DepthDurationCurve({{1, 20}, {2, 30}, {3, 36}, {4, 40}, {5, 44}, {6, 48}});
}

DesignStormInputs Storm(StormShape shape, int hours, double total)
{
    DesignStormInputs s;
    s.shape = shape;
    s.hours = hours;
    s.totalDepth = total;
    return s;
}

}  // namespace

TEST(DesignStorm, ShapesWorkedByHand)
{
    // Block: 60 mm over 6 h, 10 mm an hour.
    ExpectDepths(DesignStormHyetograph(Storm(StormShape::Block, 6, 60)), {10, 10, 10, 10, 10, 10}, "block");

    // DVWK, 6 h and 60 mm: cumulative shares at hours 1..6 (time shares 1/6..1) are
    // 0.2 (1/6)/0.3 = 1/9, 0.2 + 0.5 (1/30)/0.2 = 17/60, 0.7, 0.7 + 0.3 (1/6)/0.5 = 0.8, 0.9, 1;
    // times 60 mm: 6.667, 17, 42, 48, 54, 60; hour by hour 6.667, 10.333, 25, 6, 6, 6.
    ExpectDepths(DesignStormHyetograph(Storm(StormShape::Dvwk, 6, 60)), {20.0 / 3, 31.0 / 3, 25, 6, 6, 6}, "DVWK");
    // 10 h: the parts end exactly on hours 3 and 5: 12 mm in 3 h, 30 mm in 2 h, 18 mm in 5 h.
    ExpectDepths(DesignStormHyetograph(Storm(StormShape::Dvwk, 10, 60)), {4, 4, 4, 15, 15, 3.6, 3.6, 3.6, 3.6, 3.6},
                 "DVWK 10 h");

    // Euler type II, 6 h: 0.3 x 6 h = 1.8 h lies in hour 2, so hours 1 and 2 hold the two
    // largest increments rising (10, 20), hours 3..6 the rest falling (6, 4, 4, 4).
    DesignStormInputs euler = Storm(StormShape::EulerII, 6, 0);
    euler.depthDuration = SixHourTable();
    ExpectDepths(DesignStormHyetograph(euler), {10, 20, 6, 4, 4, 4}, "Euler II");
    EXPECT_DOUBLE_EQ(DesignStormTotal(euler), 48);
    // 10 h with increments 10, 9, ..., 1: the peak in hour 4 (0.3 x 10 h = 3 h, its start),
    // hours 1..4 with 7, 8, 9, 10, then 6 down to 1.
    std::vector<DepthDuration> falling;
    double cumulative = 0;
    for (int h = 1; h <= 10; ++h)
        falling.push_back({static_cast<double>(h), cumulative += 11 - h});
    DesignStormInputs euler10 = Storm(StormShape::EulerII, 10, 0);
    euler10.depthDuration = DepthDurationCurve(falling);
    ExpectDepths(DesignStormHyetograph(euler10), {7, 8, 9, 10, 6, 5, 4, 3, 2, 1}, "Euler II 10 h");
    // Increments that do not fall with the duration (5, 10, 5, 8, 2, 1) are sorted first:
    // 10, 8, 5, 5, 2, 1, the two largest rising to the peak in hour 2.
    euler.depthDuration = DepthDurationCurve({{1, 5}, {2, 15}, {3, 20}, {4, 28}, {5, 30}, {6, 31}});
    ExpectDepths(DesignStormHyetograph(euler), {8, 10, 5, 5, 2, 1}, "Euler II, unsorted increments");
    // Storms too short to rise: 1 to 3 h have the peak in hour 1 (0.3, 0.6, 0.9 h), 4 h in
    // hour 2 (1.2 h).
    euler.depthDuration = SixHourTable();
    const std::vector<std::vector<double>> short_storms = {{20}, {20, 10}, {20, 10, 6}, {10, 20, 6, 4}};
    for (int hours = 1; hours <= 4; ++hours) {
        euler.hours = hours;
        ExpectDepths(DesignStormHyetograph(euler), short_storms[std::size_t(hours - 1)], "Euler II, short");
    }

    // Alternating block, 6 h, the peak at 50 %: hour 4 (0-based 3) holds 3 h; the others
    // sorted 10, 6, 4, 4, 4 go before (3 hours free against 2), after, before, after, before.
    DesignStormInputs alternating = Storm(StormShape::AlternatingBlock, 6, 0);
    alternating.depthDuration = SixHourTable();
    alternating.peakShare = 0.5;
    ExpectDepths(DesignStormHyetograph(alternating), {4, 4, 10, 20, 6, 4}, "alternating 50 %");
    // The peak at 25 %: hour 2 (1.5 h); after it first (4 free against 1), then before; the
    // hour before is then full and the rest go after.
    alternating.peakShare = 0.25;
    ExpectDepths(DesignStormHyetograph(alternating), {6, 20, 10, 4, 4, 4}, "alternating 25 %");
    // 75 %: hour 5 (4.5 h); before it first (4 free against 1), after, then only before.
    alternating.peakShare = 0.75;
    ExpectDepths(DesignStormHyetograph(alternating), {4, 4, 4, 10, 20, 6}, "alternating 75 %");

    // The user's curve (0, 0), (50, 25), (100, 100) in per cent over 4 h and 40 mm: shares
    // 0.125, 0.25, 0.625, 1 at the hours' ends.
    DesignStormInputs user = Storm(StormShape::UserCurve, 4, 40);
    user.userCurve = CumulativeCurve({{0, 0}, {50, 25}, {100, 100}});
    ExpectDepths(DesignStormHyetograph(user), {5, 5, 15, 15}, "user curve");
}

TEST(DesignStorm, EveryShapeAddsUpToItsTotal)
{
    std::vector<DepthDuration> table = {{1, 25}, {3, 38}, {6, 47}, {12, 58}, {24, 70}, {48, 84}, {72, 95}};
    for (int hours : {1, 2, 5, 7, 24, 48, 72}) {
        for (StormShape shape : {StormShape::Block, StormShape::EulerII, StormShape::Dvwk, StormShape::AlternatingBlock,
                                 StormShape::UserCurve}) {
            DesignStormInputs s = Storm(shape, hours, 0);
            s.depthDuration = DepthDurationCurve(table);
            s.peakShare = 1.0 / 3;
            s.userCurve = CumulativeCurve({{0.2, 0.1}, {0.6, 0.8}, {1, 1}});
            const std::vector<double> d = DesignStormHyetograph(s);
            ASSERT_EQ(static_cast<int>(d.size()), hours);
            EXPECT_NEAR(std::accumulate(d.begin(), d.end(), 0.0), DesignStormTotal(s), 1e-9)
                << StormShapeName(shape).toStdString() << ", " << hours << " h";
            for (double v : d)
                EXPECT_GE(v, 0);
        }
    }
}

// 24 h on P(t) = 10 sqrt(t) (the table's two rows lie on it, so the interpolation is that
// curve exactly): 0.3 x 24 h = 7.2 h lies in hour 8, so hour j <= 8 holds the increment of
// hour 9 - j, P(9 - j) - P(8 - j), and hour j > 8 the increment of hour j.
TEST(DesignStorm, EulerTwentyFourHoursWorkedByHand)
{
    DesignStormInputs s = Storm(StormShape::EulerII, 24, 0);
    s.depthDuration = DepthDurationCurve({{1, 10}, {25, 50}});
    const auto P = [](double t) { return 10 * std::sqrt(t); };
    std::vector<double> expected;
    for (int j = 1; j <= 24; ++j)
        expected.push_back(j <= 8 ? P(9 - j) - P(8 - j) : P(j) - P(j - 1));
    ExpectDepths(DesignStormHyetograph(s), expected, "Euler II 24 h");
}

// What an Euler type II storm must satisfy on a curve of falling intensity, whatever the
// duration: from the end of the peak hour p on, the depth from the start to the end of hour t
// is P(t); no window of k hours that holds the peak holds more than P(k); and the peak hour
// holds the largest hour of the storm.
TEST(DesignStorm, EulerHoldsTheCurveFromThePeakOn)
{
    // Exponents of the power law between rows that do not rise from row to row (0.585, 0.369,
    // 0.319, 0.278; 0.5), so the hourly increments fall with the duration.
    const std::vector<std::vector<DepthDuration>> tables = {{{1, 20}, {2, 30}, {6, 45}, {24, 70}, {72, 95}},
                                                            {{1, 10}, {100, 100}}};
    for (const std::vector<DepthDuration>& table : tables)
        for (int hours : {1, 2, 3, 4, 5, 6, 7, 10, 13, 24, 48, 72}) {
            SCOPED_TRACE(::testing::Message() << "table from " << table.front().depth << " mm, " << hours << " h");
            DesignStormInputs s = Storm(StormShape::EulerII, hours, 0);
            s.depthDuration = DepthDurationCurve(table);
            const auto P = [&](int t) { return t == 0 ? 0.0 : s.depthDuration.DepthAt(t); };
            for (int t = 2; t <= hours; ++t)
                ASSERT_LE(P(t) - P(t - 1), P(t - 1) - P(t - 2) + 1e-12) << "increments not falling at hour " << t;
            const std::vector<double> d = DesignStormHyetograph(s);
            ASSERT_EQ(static_cast<int>(d.size()), hours);
            const int p = static_cast<int>(std::floor(0.3 * hours)) + 1;  // 1-based
            EXPECT_EQ(std::max_element(d.begin(), d.end()) - d.begin(), p - 1);
            std::vector<double> fallen(d.size() + 1, 0.0);
            for (int t = 1; t <= hours; ++t)
                fallen[std::size_t(t)] = fallen[std::size_t(t - 1)] + d[std::size_t(t - 1)];
            for (int t = p; t <= hours; ++t)
                EXPECT_NEAR(fallen[std::size_t(t)], P(t), 1e-9) << "hour " << t;
            for (int k = 1; k <= hours; ++k)
                for (int first = std::max(1, p - k + 1); first <= p && first + k - 1 <= hours; ++first)
                    EXPECT_LE(fallen[std::size_t(first + k - 1)] - fallen[std::size_t(first - 1)],
                              P(k) + 1e-9)
                        << k << " hours from hour " << first;
        }
}

TEST(DesignStorm, DepthDurationInterpolationIsAPowerLawBetweenRows)
{
    // 10 mm in 1 h and 20 mm in 4 h: P = 10 t^0.5 between them.
    const DepthDurationCurve curve({{1, 10}, {4, 20}, {24, 50}});
    EXPECT_NEAR(curve.DepthAt(1), 10, 1e-12);
    EXPECT_NEAR(curve.DepthAt(2), 10 * std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(curve.DepthAt(3), 10 * std::sqrt(3.0), 1e-9);
    EXPECT_NEAR(curve.DepthAt(4), 20, 1e-12);
    EXPECT_NEAR(curve.DepthAt(24), 50, 1e-12);
    EXPECT_THROW(curve.DepthAt(0.5), Error);
    EXPECT_THROW(curve.DepthAt(25), Error);

    // A table that does not reach the storm's duration is refused with the reason.
    DesignStormInputs s = Storm(StormShape::EulerII, 30, 0);
    s.depthDuration = curve;
    try {
        DesignStormHyetograph(s);
        FAIL() << "no refusal";
    } catch (const Error& e) {
        EXPECT_EQ(e.text(), QStringLiteral("Tabela wysokości opadu musi obejmować czasy trwania od 1 h do 30 h"));
    }
}

TEST(DesignStorm, RefusesWhatMakesNoStorm)
{
    const auto refused = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const Error& e) {
            return e.text();
        }
        return QString();
    };
    EXPECT_EQ(refused([] {
                  DepthDurationCurve({{1, 10}, {1, 12}});
              }),
              QStringLiteral("Czasy trwania w tabeli muszą rosnąć (wiersz 2)"));
    EXPECT_EQ(refused([] {
                  DepthDurationCurve({{1, 10}, {2, 9}});
              }),
              QStringLiteral("Wysokość opadu nie może maleć z czasem trwania (wiersz 2)"));
    EXPECT_EQ(refused([] {
                  DepthDurationCurve({{0, 10}});
              }),
              QStringLiteral("Czas trwania i wysokość opadu w tabeli muszą być dodatnie (wiersz 1)"));
    EXPECT_EQ(refused([] {
                  CumulativeCurve({{0, 0}, {0.5, 0.6}, {1, 0.5}});
              }),
              QStringLiteral("Krzywa sumowa: udziały opadu nie mogą maleć (wiersz 3)"));
    EXPECT_EQ(refused([] { DesignStormHyetograph(Storm(StormShape::EulerII, 6, 60)); }),
              QStringLiteral("Kształt \"Euler typ II\" wymaga tabeli wysokości opadu dla czasów trwania"));
    EXPECT_EQ(refused([] { DesignStormHyetograph(Storm(StormShape::Block, 1001, 60)); }),
              QStringLiteral("Czas trwania opadu musi być liczbą godzin od 1 do 1000"));
    EXPECT_EQ(refused([] { DesignStormHyetograph(Storm(StormShape::Block, 0, 60)); }),
              QStringLiteral("Czas trwania opadu musi być liczbą godzin od 1 do 1000"));
}

TEST(DesignStorm, RoundedTextsAddUpToTheTotal)
{
    // 10 mm over 6 h at 1 decimal: 1.666.. each, 96 tenths rounded down, the 4 missing to
    // the first four hours (equal remainders: the earlier first).
    const std::vector<QString> block = HyetographTexts(std::vector<double>(6, 10.0 / 6), 1, QLatin1Char(','));
    EXPECT_EQ(block, (std::vector<QString>{"1,7", "1,7", "1,7", "1,7", "1,6", "1,6"}));
    // DVWK 6 h, 60 mm: the one missing tenth to the largest remainder (6.666.. in hour 1).
    EXPECT_EQ(HyetographTexts(DesignStormHyetograph(Storm(StormShape::Dvwk, 6, 60)), 1, QLatin1Char('.')),
              (std::vector<QString>{"6.7", "10.3", "25.0", "6.0", "6.0", "6.0"}));
    EXPECT_EQ(UnitsText(5, 2, QLatin1Char(',')), QStringLiteral("0,05"));
    EXPECT_EQ(UnitsText(1234, 0, QLatin1Char(',')), QStringLiteral("1234"));

    // Every shape and length: the rounded units add up to the total rounded the same way.
    std::vector<DepthDuration> table = {{1, 31.7}, {2, 40.3}, {6, 55.1}, {24, 81.9}, {72, 104.2}, {1000, 180.4}};
    for (int hours : {1, 3, 6, 11, 24, 72, 999, 1000})
        for (StormShape shape :
             {StormShape::Block, StormShape::EulerII, StormShape::Dvwk, StormShape::AlternatingBlock})
            for (int decimals : {0, 1, 2}) {
                DesignStormInputs s = Storm(shape, hours, 0);
                s.depthDuration = DepthDurationCurve(table);
                const std::vector<long long> units = RoundedUnits(DesignStormHyetograph(s), decimals);
                const long long sum = std::accumulate(units.begin(), units.end(), 0LL);
                EXPECT_EQ(sum, std::llround(DesignStormTotal(s) * std::pow(10.0, decimals)))
                    << hours << " h, " << decimals << " decimals";
            }
}
