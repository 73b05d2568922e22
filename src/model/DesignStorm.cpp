#include "model/DesignStorm.h"

#include "text/Error.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>

namespace moravel::model {

namespace {

// Rounding noise allowed where a value meant to be a whole number of units is compared.
constexpr double kUnitTolerance = 1e-9;

}  // namespace

QString AlternatingPeakShareText(int index)
{
    static const QString texts[] = {QStringLiteral("25 %"), QStringLiteral("33 %"), QStringLiteral("50 %"),
                                    QStringLiteral("67 %"), QStringLiteral("75 %")};
    static_assert(std::size(texts) == std::size(kAlternatingPeakShares));
    return texts[index];
}

void CheckDesignStormHours(double hours)
{
    if (!(hours >= 1 && hours <= kMaxDesignStormHours) || hours != std::floor(hours))
        throw Error(QStringLiteral("Czas trwania opadu musi być liczbą godzin od 1 do %1").arg(kMaxDesignStormHours));
}

DepthDurationCurve::DepthDurationCurve(std::vector<DepthDuration> rows) : rows_(std::move(rows))
{
    if (rows_.empty())
        throw Error(QStringLiteral("Tabela wysokości opadu dla czasów trwania jest pusta"));
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const DepthDuration& r = rows_[i];
        if (!(r.hours > 0) || !(r.depth > 0))
            throw Error(
                QStringLiteral("Czas trwania i wysokość opadu w tabeli muszą być dodatnie (wiersz %1)").arg(i + 1));
        if (i > 0 && !(r.hours > rows_[i - 1].hours))
            throw Error(QStringLiteral("Czasy trwania w tabeli muszą rosnąć (wiersz %1)").arg(i + 1));
        if (i > 0 && r.depth < rows_[i - 1].depth)
            throw Error(QStringLiteral("Wysokość opadu nie może maleć z czasem trwania (wiersz %1)").arg(i + 1));
    }
}

double DepthDurationCurve::DepthAt(double hours) const
{
    if (rows_.empty() || hours < rows_.front().hours - kUnitTolerance || hours > rows_.back().hours + kUnitTolerance)
        throw Error(QStringLiteral("Tabela wysokości opadu nie obejmuje czasu trwania %1 h").arg(hours));
    auto upper = std::lower_bound(rows_.begin(), rows_.end(), hours,
                                  [](const DepthDuration& r, double h) { return r.hours < h; });
    if (upper == rows_.end())
        return rows_.back().depth;
    if (upper == rows_.begin() || std::abs(upper->hours - hours) <= kUnitTolerance)
        return upper->depth;
    const DepthDuration& lo = *(upper - 1);
    const DepthDuration& hi = *upper;
    // A straight line between the two points in log(duration), log(depth).
    const double exponent = std::log(hi.depth / lo.depth) / std::log(hi.hours / lo.hours);
    return lo.depth * std::exp(exponent * std::log(hours / lo.hours));
}

CumulativeCurve::CumulativeCurve(const std::vector<CumulativePoint>& points)
{
    if (points.empty())
        throw Error(QStringLiteral("Krzywa sumowa opadu jest pusta"));
    std::vector<CumulativePoint> p = points;
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (p[i].time < 0 || p[i].depth < 0)
            throw Error(QStringLiteral("Krzywa sumowa: wartości nie mogą być ujemne (wiersz %1)").arg(i + 1));
        if (i > 0 && !(p[i].time > p[i - 1].time))
            throw Error(QStringLiteral("Krzywa sumowa: udziały czasu muszą rosnąć (wiersz %1)").arg(i + 1));
        if (i > 0 && p[i].depth < p[i - 1].depth)
            throw Error(QStringLiteral("Krzywa sumowa: udziały opadu nie mogą maleć (wiersz %1)").arg(i + 1));
    }
    if (p.front().time > 0)
        p.insert(p.begin(), CumulativePoint{0, 0});
    const CumulativePoint end = p.back();
    if (!(end.time > 0) || !(end.depth > 0))
        throw Error(QStringLiteral("Krzywa sumowa musi kończyć się dodatnim czasem i opadem"));
    for (CumulativePoint& q : p) {
        q.time /= end.time;
        q.depth /= end.depth;
    }
    points_ = std::move(p);
}

double CumulativeCurve::ShareAt(double x) const
{
    if (x <= 0)
        return points_.front().depth;
    if (x >= 1)
        return 1;
    auto upper = std::lower_bound(points_.begin(), points_.end(), x,
                                  [](const CumulativePoint& q, double t) { return q.time < t; });
    const CumulativePoint& hi = *upper;
    const CumulativePoint& lo = *(upper - 1);
    return lo.depth + (hi.depth - lo.depth) * (x - lo.time) / (hi.time - lo.time);
}

CumulativeCurve DvwkCurve()
{
    // 30 % of the time with 20 % of the depth, 20 % with 50 %, 50 % with 30 %.
    return CumulativeCurve({{0, 0}, {0.3, 0.2}, {0.5, 0.7}, {1, 1}});
}

namespace {

// Hour i of n gets the curve's share between (i - 1) / n and i / n.
std::vector<double> FromCurve(const CumulativeCurve& curve, int hours, double total)
{
    std::vector<double> depths(static_cast<std::size_t>(hours));
    double before = curve.ShareAt(0);
    for (int i = 1; i <= hours; ++i) {
        const double after = i == hours ? 1.0 : curve.ShareAt(static_cast<double>(i) / hours);
        depths[static_cast<std::size_t>(i - 1)] = total * (after - before);
        before = after;
    }
    return depths;
}

// P(k) - P(k - 1) for k = 1..hours from the depth-duration table, P(0) = 0.
std::vector<double> Increments(const DesignStormInputs& design)
{
    if (design.depthDuration.Empty())
        throw Error(QStringLiteral("Kształt \"%1\" wymaga tabeli wysokości opadu dla czasów trwania")
                        .arg(StormShapeName(design.shape)));
    const DepthDurationCurve& curve = design.depthDuration;
    if (curve.ShortestHours() > 1 + kUnitTolerance || curve.LongestHours() < design.hours - kUnitTolerance)
        throw Error(
            QStringLiteral("Tabela wysokości opadu musi obejmować czasy trwania od 1 h do %1 h").arg(design.hours));
    std::vector<double> steps(static_cast<std::size_t>(design.hours));
    double before = 0;
    for (int k = 1; k <= design.hours; ++k) {
        const double now = curve.DepthAt(k);
        steps[static_cast<std::size_t>(k - 1)] = now - before;
        before = now;
    }
    return steps;
}

// The hour (0-based) that holds the point `share` of the duration.
int HourHolding(double share, int hours)
{
    return std::clamp(static_cast<int>(std::floor(share * hours + kUnitTolerance)), 0, hours - 1);
}

// The increments sorted from the largest: the Euler type I storm, whose depth from its start
// to the end of hour t is the curve's depth of t wherever the curve's increments fall with t.
std::vector<double> DescendingIncrements(const DesignStormInputs& design)
{
    std::vector<double> steps = Increments(design);
    std::stable_sort(steps.begin(), steps.end(), std::greater<double>());
    return steps;
}

std::vector<double> EulerII(const DesignStormInputs& design)
{
    const std::vector<double> steps = DescendingIncrements(design);
    const int n = design.hours;
    const int peak = HourHolding(0.3, n);
    std::vector<double> depths(steps.size());
    // Up to the peak the Euler type I hours in reverse: the peak + 1 largest increments
    // rising to the largest; after it the rest falling, as in Euler type I.
    for (int i = 0; i < n; ++i)
        depths[static_cast<std::size_t>(i)] = steps[static_cast<std::size_t>(i <= peak ? peak - i : i)];
    return depths;
}

std::vector<double> AlternatingBlock(const DesignStormInputs& design)
{
    const std::vector<double> steps = DescendingIncrements(design);
    const int n = design.hours;
    const int peak = HourHolding(design.peakShare, n);
    std::vector<double> depths(steps.size());
    depths[static_cast<std::size_t>(peak)] = steps[0];
    int left = peak - 1;   // next free hour before the peak
    int right = peak + 1;  // next free hour after it
    // Alternate, starting on the side with more room (before the peak when equal); once a
    // side is full the rest go on the other.
    bool toLeft = peak >= n - 1 - peak;
    for (std::size_t k = 1; k < steps.size(); ++k) {
        if (left < 0)
            toLeft = false;
        else if (right >= n)
            toLeft = true;
        if (toLeft)
            depths[static_cast<std::size_t>(left--)] = steps[k];
        else
            depths[static_cast<std::size_t>(right++)] = steps[k];
        toLeft = !toLeft;
    }
    return depths;
}

}  // namespace

double DesignStormTotal(const DesignStormInputs& design)
{
    CheckDesignStormHours(design.hours);
    if (!design.depthDuration.Empty())
        return design.depthDuration.DepthAt(design.hours);
    return design.totalDepth;
}

std::vector<double> DesignStormHyetograph(const DesignStormInputs& design)
{
    CheckDesignStormHours(design.hours);
    // The shapes built from the depth-duration curve check its reach first.
    if (design.shape == StormShape::EulerII)
        return EulerII(design);
    if (design.shape == StormShape::AlternatingBlock)
        return AlternatingBlock(design);
    const double total = DesignStormTotal(design);
    if (!(total >= 0) || !std::isfinite(total))
        throw Error(QStringLiteral("Wysokość opadu musi być liczbą nieujemną"));
    switch (design.shape) {
        case StormShape::Dvwk:
            return FromCurve(DvwkCurve(), design.hours, total);
        case StormShape::UserCurve:
            if (design.userCurve.Empty())
                throw Error(QStringLiteral("Wklej krzywą sumową opadu: pary udziału czasu i udziału opadu"));
            return FromCurve(design.userCurve, design.hours, total);
        default:
            return std::vector<double>(static_cast<std::size_t>(design.hours), total / design.hours);
    }
}

std::vector<long long> RoundedUnits(const std::vector<double>& depths, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    std::vector<long long> units(depths.size());
    std::vector<double> remainder(depths.size());
    double exact = 0;
    long long given = 0;
    for (std::size_t i = 0; i < depths.size(); ++i) {
        const double v = std::max(0.0, depths[i]) * scale;
        exact += v;
        units[i] = static_cast<long long>(std::floor(v + kUnitTolerance));
        remainder[i] = v - static_cast<double>(units[i]);
        given += units[i];
    }
    long long missing = std::llround(exact) - given;
    std::vector<std::size_t> order(depths.size());
    std::iota(order.begin(), order.end(), 0);
    if (missing > 0) {
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return remainder[a] > remainder[b]; });
        for (std::size_t k = 0; missing > 0; k = (k + 1) % order.size(), --missing)
            ++units[order[k]];
    } else if (missing < 0) {
        // Only where the tolerance rounded values up: take back from the smallest remainders.
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return remainder[a] < remainder[b]; });
        for (std::size_t k = 0; missing < 0; k = (k + 1) % order.size())
            if (units[order[k]] > 0) {
                --units[order[k]];
                ++missing;
            }
    }
    return units;
}

QString UnitsText(long long units, int decimals, QChar decimalSeparator)
{
    QString digits = QString::number(units);
    if (decimals <= 0)
        return digits;
    if (digits.size() <= decimals)
        digits = QString(decimals + 1 - digits.size(), QLatin1Char('0')) + digits;
    return digits.left(digits.size() - decimals) + decimalSeparator + digits.right(decimals);
}

std::vector<QString> HyetographTexts(const std::vector<double>& depths, int decimals, QChar decimalSeparator)
{
    const std::vector<long long> units = RoundedUnits(depths, decimals);
    std::vector<QString> texts;
    texts.reserve(units.size());
    for (long long u : units)
        texts.push_back(UnitsText(u, decimals, decimalSeparator));
    return texts;
}

QString StormShapeName(StormShape shape)
{
    switch (shape) {
        case StormShape::Block:
            return QStringLiteral("blok równomierny");
        case StormShape::EulerII:
            return QStringLiteral("Euler typ II");
        case StormShape::Dvwk:
            return QStringLiteral("DVWK");
        case StormShape::AlternatingBlock:
            return QStringLiteral("bloki naprzemienne");
        case StormShape::UserCurve:
            return QStringLiteral("krzywa sumowa użytkownika");
    }
    return {};
}

}  // namespace moravel::model
