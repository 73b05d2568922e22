#include "model/CheckedMath.h"

#include "text/Error.h"

#include <cmath>
#include <limits>

namespace moravel::model {

void RaiseInvalidOperation()
{
    throw Error(QStringLiteral("Invalid floating point operation"));
}

void RaiseDivisionByZero()
{
    throw Error(QStringLiteral("Floating point division by zero"));
}

void RaiseOverflow()
{
    throw Error(QStringLiteral("Floating point overflow"));
}

double Checked(double value)
{
    if (std::isnan(value))
        RaiseInvalidOperation();
    if (std::isinf(value))
        RaiseOverflow();
    return value;
}

double Power(double x, double y)
{
    if (std::isnan(x) || std::isnan(y) || x < 0)
        RaiseInvalidOperation();
    if (x == 0)
        RaiseDivisionByZero();
    const double exponent = Checked(y * Checked(std::log(x)));
    return Checked(std::exp(exponent));
}

double Divide(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        RaiseInvalidOperation();
    if (b == 0) {
        if (a == 0)
            RaiseInvalidOperation();
        RaiseDivisionByZero();
    }
    return Checked(a / b);
}

float ToSingle(double value)
{
    Checked(value);
    const float single = static_cast<float>(value);
    if (std::isinf(single))
        RaiseOverflow();
    return single;
}

}  // namespace moravel::model
