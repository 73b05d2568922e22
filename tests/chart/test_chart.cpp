#include <gtest/gtest.h>

#include <QApplication>
#include <QLineSeries>
#include <QValueAxis>
#include <ostream>
#include <vector>

#include "window/wykres.h"

using moravel::window::HydrographChartPointCount;
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
    EXPECT_EQ(HydrographChartPointCount(q.data(), static_cast<int>(c.ordinates.size())), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ChartTrim,
                         ::testing::Values(TrimCase{{1, 2, 0.5f, 0.001f, 0}, 4},  // tail cut after one near-zero value
                                           TrimCase{{0, 3, 0.01f}, 3},        // last ordinate exactly at the threshold
                                           TrimCase{{0.5f, 0.2f}, 2},         // last ordinate significant: all kept
                                           TrimCase{{0.009f, 0.001f, 0}, 0},  // everything near zero: nothing drawn
                                           TrimCase{{}, 0},                   // no hydrograph at all
                                           TrimCase{{0, 5, 0.0099f, 0.02f, 0, 0}, 5}
                                           // a significant value late in the tail
                                           ));

int argc = 1;
char arg0[] = "test_chart";
char* argv[] = {arg0, nullptr};

TEST(HydrographChart, ShowsTheTrimmedOrdinatesAndFollowsTheData)
{
    QApplication app(argc, argv);
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

}  // namespace
