#include "model/CheckedMath.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>

using namespace moravel;
using namespace moravel::model;

namespace {

const QString kInvalid = QStringLiteral("Invalid floating point operation");
const QString kZero = QStringLiteral("Floating point division by zero");
const QString kOverflow = QStringLiteral("Floating point overflow");

QString ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.text();
    }
    return QString();
}

TEST(CheckedMath, PowerIsExpOfYLnX)
{
    EXPECT_DOUBLE_EQ(Power(0.01, 0.5), 0.1);
    EXPECT_DOUBLE_EQ(Power(10, 2.0 / 3), std::exp(2.0 / 3 * std::log(10.0)));
    EXPECT_DOUBLE_EQ(Power(2, -0.38), std::pow(2.0, -0.38));
    EXPECT_EQ(Power(1, 1e300), 1.0);
    EXPECT_EQ(Power(1e-300, 10), 0.0) << "underflow is not an error";
}

TEST(CheckedMath, FaultsRaiseTheirTexts)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* what;
        std::function<void()> f;
        QString text;
    } cases[] = {
        {"ln 0", [] { Power(0, 0.5); }, kZero},
        {"ln 0 with y 0", [] { Power(0, 0); }, kZero},
        {"ln negative", [] { Power(-1, 0.5); }, kInvalid},
        {"ln NaN", [=] { Power(nan, 2); }, kInvalid},
        {"power overflow", [] { Power(10, 400); }, kOverflow},
        {"divide by 0", [] { Divide(1, 0); }, kZero},
        {"divide negative by 0", [] { Divide(-1, 0); }, kZero},
        {"0 / 0", [] { Divide(0, 0); }, kInvalid},
        {"divide overflow", [] { Divide(1e300, 1e-300); }, kOverflow},
        {"checked inf", [=] { Checked(inf); }, kOverflow},
        {"checked NaN", [=] { Checked(nan); }, kInvalid},
        {"single beyond range", [] { ToSingle(1e39); }, kOverflow},
        {"single beyond negative range", [] { ToSingle(-1e39); }, kOverflow},
        {"single NaN", [=] { ToSingle(nan); }, kInvalid},
        {"no fault",
         [] {
             Divide(1, 3);
             ToSingle(1e-50);
             ToSingle(FLT_MAX);
         },
         QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ErrorOf(c.f), c.text);
    }
}

TEST(CheckedMath, SingleStoreRoundsToNearestFloat)
{
    EXPECT_EQ(ToSingle(12.3), 12.3f);
    EXPECT_EQ(ToSingle(1e-50), 0.0f);
    EXPECT_EQ(Divide(1, 4), 0.25);
}

}  // namespace
