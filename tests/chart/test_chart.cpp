#include <gtest/gtest.h>

#include <QApplication>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <memory>
#include <ostream>
#include <vector>

#include "model/HydrographFigures.h"
#include "window/wykres.h"

using moravel::model::DrawnHours;
using moravel::window::THydrographChart;

namespace {

struct TrimCase {
    std::vector<float> ordinates;  // hours 1..L
    int expected;
};

// Test names show the ordinates instead of the case's bytes.
void PrintTo(const TrimCase& c, std::ostream* out)
{
    *out << "ordinates";
    for (float q : c.ordinates)
        *out << ' ' << q;
}

class ChartTrim : public ::testing::TestWithParam<TrimCase> {};

TEST_P(ChartTrim, KeepsOneNearZeroOrdinateAfterTheLastSignificantOne)
{
    const TrimCase& c = GetParam();
    std::vector<float> q(1, 0.0f);  // index 0 unused
    q.insert(q.end(), c.ordinates.begin(), c.ordinates.end());
    EXPECT_EQ(DrawnHours(q.data(), static_cast<int>(c.ordinates.size())), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ChartTrim,
                         ::testing::Values(TrimCase{{1, 2, 0.5f, 0.001f, 0}, 4},  // tail cut after one near-zero value
                                           TrimCase{{0, 3, 0.01f}, 3},  // last ordinate exactly at the threshold
                                           // 0.01f is 0.0099999998: below the threshold of 0.01
                                           TrimCase{{0, 3, 0.01f, 0.01f}, 3},
                                           TrimCase{{0.5f, 0.2f}, 2},         // last ordinate significant: all kept
                                           TrimCase{{0.009f, 0.001f, 0}, 0},  // everything near zero: nothing drawn
                                           TrimCase{{}, 0},                   // no hydrograph at all
                                           TrimCase{{0, 5, 0.0099f, 0.02f, 0, 0}, 5}
                                           // a significant value late in the tail
                                           ));

QApplication& App()
{
    static int argc = 1;
    static char arg0[] = "test_chart";
    static char* argv[] = {arg0, nullptr};
    static QApplication app(argc, argv);
    return app;
}

TEST(HydrographChart, ShowsTheTrimmedOrdinatesAndFollowsTheData)
{
    App();
    THydrographChart chart;
    chart.setVisible(false);
    EXPECT_EQ(chart.chart()->title(), QStringLiteral("Hydrogram"));
    EXPECT_FALSE(chart.chart()->legend()->isVisible());
    EXPECT_EQ(chart.AxisX()->titleText(), QStringLiteral("czas t [h]"));
    EXPECT_EQ(chart.AxisY()->titleText(), QStringLiteral("przepływ Q [m3/s]"));
    EXPECT_EQ(chart.Series1()->pen().color(), QColor(0, 0, 255));
    EXPECT_EQ(chart.Series1()->pen().width(), 2);
    EXPECT_FALSE(chart.Series1()->pointsVisible());

    moravel::model::ComputationState state;
    const float q[] = {0, 3, 40, 25, 0.5f, 0.004f, 0.001f};
    for (int t = 1; t <= 6; ++t)
        state.HydrographOrdinates[t] = q[t];
    state.HydrographLength = 6;
    chart.ShowHydrographChart(state);

    EXPECT_FALSE(chart.isHidden());
    const QList<QPointF> points = chart.Series1()->points();
    ASSERT_EQ(points.size(), 5);
    for (int t = 1; t <= 5; ++t) {
        EXPECT_EQ(points[t - 1].x(), t);
        EXPECT_FLOAT_EQ(points[t - 1].y(), q[t]);
    }
    EXPECT_LE(chart.AxisY()->min(), 0.0);
    EXPECT_GE(chart.AxisY()->max(), 40.0);
    EXPECT_LE(chart.AxisX()->min(), 1.0);
    EXPECT_GE(chart.AxisX()->max(), 5.0);

    // A later run without rain leaves a visible, empty chart.
    state.HydrographLength = 0;
    chart.ShowHydrographChart(state);
    EXPECT_TRUE(chart.Series1()->points().isEmpty());
    EXPECT_FALSE(chart.isHidden());
}

// A triangular hydrograph of `hours` hours rising to `peak`.
std::unique_ptr<moravel::model::ComputationState> Triangle(int hours, float peak)
{
    auto state = std::make_unique<moravel::model::ComputationState>();
    const int rise = std::max(1, hours / 3);
    for (int t = 1; t <= hours; ++t)
        state->HydrographOrdinates[t] =
            t <= rise ? peak * t / rise : std::max(0.0f, peak * float(hours - t) / float(hours - rise));
    state->HydrographLength = hours;
    return state;
}

struct AxisView {
    double min, max;
    int ticks;
    bool operator==(const AxisView& o) const { return min == o.min && max == o.max && ticks == o.ticks; }
};
void PrintTo(const AxisView& a, std::ostream* out)
{
    *out << a.min << ".." << a.max << " in " << a.ticks << " ticks";
}
AxisView View(const QValueAxis* axis)
{
    return {axis->min(), axis->max(), axis->tickCount()};
}

TEST(HydrographChart, AxesFollowEveryNewHydrographAsOnTheFirst)
{
    App();
    struct Case {
        int hours;
        float peak;
    };
    // Long and short, high and low, and the first one again: rounding an axis to nice numbers
    // must not leave its coarser ticks to the next drawing.
    const Case runs[] = {{52, 180}, {52, 175}, {17, 6.5f}, {140, 2300}, {52, 180}, {8, 0.4f}, {52, 180}};
    THydrographChart chart;
    for (const Case& run : runs) {
        SCOPED_TRACE(::testing::Message() << run.hours << " h, peak " << run.peak);
        const auto state = Triangle(run.hours, run.peak);
        chart.ShowHydrographChart(*state);
        const int count = DrawnHours(state->HydrographOrdinates.data(), state->HydrographLength);
        ASSERT_EQ(chart.Series1()->count(), count);

        // The same drawing on a chart that never drew before.
        THydrographChart fresh;
        fresh.ShowHydrographChart(*state);
        EXPECT_EQ(View(chart.AxisX()), View(fresh.AxisX()));
        EXPECT_EQ(View(chart.AxisY()), View(fresh.AxisY()));

        // And it follows the data: the curve spans most of both axes.
        EXPECT_EQ(chart.AxisX()->min(), 0);
        EXPECT_GE(chart.AxisX()->max(), count);
        EXPECT_LT(chart.AxisX()->max(), 1.5 * count);
        EXPECT_GE(chart.AxisY()->max(), run.peak);
        EXPECT_LT(chart.AxisY()->max(), 1.5 * run.peak);
        EXPECT_GE(chart.AxisX()->tickCount(), 4);
        EXPECT_GE(chart.AxisY()->tickCount(), 4);
    }
}

}  // namespace
