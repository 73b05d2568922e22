#pragma once
// Design storms: a design rainfall depth of one duration spread hour by hour over that
// duration by a standard hyetograph shape. The shapes, each built from its published
// definition (the README names the sources beside each):
//   - uniform block: the depth spread evenly;
//   - DVWK: the first 30 % of the duration brings 20 % of the depth, the next 20 % brings
//     50 %, the last 50 % brings 30 %, evenly within each part;
//   - Euler type II: the hourly increments of the depth-duration curve, P(k) - P(k - 1),
//     sorted from the largest (Euler type I); the hours up to the peak, the hour that holds
//     0.3 of the duration, take the largest of them rising to the largest in the peak hour,
//     the hours after it the rest falling. From the end of the peak hour on, the depth fallen
//     since the start is the curve's depth of that duration (where the increments fall with
//     the duration, as they do on a curve of falling intensity);
//   - alternating block: the same increments sorted from the largest, the largest in the
//     hour that holds the chosen share of the duration, the others alternately after and
//     before it;
//   - the user's dimensionless cumulative curve: pairs of time share and depth share.
// The depth of any duration between two durations of a depth-duration table is interpolated
// linearly in the logarithms of duration and depth (a power law between neighbouring points).
#include <QChar>
#include <QString>

#include <vector>

namespace moravel::model {

enum class StormShape { Block, EulerII, Dvwk, AlternatingBlock, UserCurve };

// The longest design storm, in hours: the rainfall table takes this many.
constexpr int kMaxDesignStormHours = 1000;
// The peak positions offered for the alternating block, as shares of the duration.
constexpr double kAlternatingPeakShares[] = {0.25, 1.0 / 3.0, 0.50, 2.0 / 3.0, 0.75};
// The peak position of kAlternatingPeakShares[index] as the windows list it ("33 %").
QString AlternatingPeakShareText(int index);

// Refuses (moravel::Error) a storm duration that is not a whole number of hours from 1 to
// kMaxDesignStormHours.
void CheckDesignStormHours(double hours);

// One row of a depth-duration table: the design depth of one duration.
struct DepthDuration {
    double hours = 0;
    double depth = 0;  // mm
};

// A depth-duration table, checked: durations rising and positive, depths positive and not
// falling with the duration. Throws moravel::Error with the reason otherwise.
class DepthDurationCurve {
public:
    DepthDurationCurve() = default;
    explicit DepthDurationCurve(std::vector<DepthDuration> rows);
    bool Empty() const { return rows_.empty(); }
    double ShortestHours() const { return rows_.front().hours; }
    double LongestHours() const { return rows_.back().hours; }
    // The depth of `hours` within the table's durations; a duration outside them throws.
    double DepthAt(double hours) const;

private:
    std::vector<DepthDuration> rows_;
};

// One point of a cumulative curve: a time and the depth fallen up to it, in any units.
struct CumulativePoint {
    double time = 0;
    double depth = 0;
};

// A cumulative curve normalised by its last point (so percentages, shares or hours and mm
// all serve), checked: times rising, depths not falling, neither negative, the last point
// above zero in both. A curve that does not start at time 0 starts at (0, 0).
class CumulativeCurve {
public:
    CumulativeCurve() = default;
    explicit CumulativeCurve(const std::vector<CumulativePoint>& points);
    // The depth share fallen by time share x in [0, 1].
    double ShareAt(double x) const;
    bool Empty() const { return points_.empty(); }
    const std::vector<CumulativePoint>& Points() const { return points_; }

private:
    std::vector<CumulativePoint> points_;  // normalised, from (0, 0) to (1, 1)
};

// The DVWK shape as a cumulative curve.
CumulativeCurve DvwkCurve();

struct DesignStormInputs {
    int hours = 0;  // the duration, 1..kMaxDesignStormHours
    StormShape shape = StormShape::Block;
    // The total depth, used when there is no depth-duration table.
    double totalDepth = 0;
    // With a table, the total is the table's depth of `hours`, and the Euler and alternating
    // shapes take their increments from it (they need one).
    DepthDurationCurve depthDuration;
    double peakShare = 0.5;  // the alternating block's peak, a share of the duration
    CumulativeCurve userCurve;
};

// The storm's total depth (mm) for its duration.
double DesignStormTotal(const DesignStormInputs& design);
// The depths of hours 1..hours at [0..hours - 1], adding up to the total. Throws
// moravel::Error with a Polish message when the inputs don't make a storm.
std::vector<double> DesignStormHyetograph(const DesignStormInputs& design);

// The hourly depths rounded to `decimals` so that the rounded values add up exactly to the
// total rounded the same way: each hour gets its value rounded down, and the units missing
// go one each to the hours with the largest remainders (the earlier hour among equals).
// Values in units of 10^-decimals.
std::vector<long long> RoundedUnits(const std::vector<double>& depths, int decimals);
// Units of 10^-decimals as text with exactly `decimals` decimals.
QString UnitsText(long long units, int decimals, QChar decimalSeparator);
// The hourly depths as the texts of the rainfall table (RoundedUnits, then UnitsText).
std::vector<QString> HyetographTexts(const std::vector<double>& depths, int decimals, QChar decimalSeparator);

// Polish names of the shapes, as the windows list them (StormShape order).
QString StormShapeName(StormShape shape);

}  // namespace moravel::model
