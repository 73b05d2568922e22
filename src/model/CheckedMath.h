#pragma once
// Floating-point operations that raise the program's error instead of producing an
// infinity or a NaN: "Invalid floating point operation", "Floating point division by zero"
// (the logarithm of 0 included) and "Floating point overflow". Underflow and inexact
// results are not errors.

namespace moravel::model {

[[noreturn]] void RaiseInvalidOperation();
[[noreturn]] void RaiseDivisionByZero();
[[noreturn]] void RaiseOverflow();

// x^y computed as exp(y * ln x): ln 0 -> division by zero, ln of a negative -> invalid
// operation, a result too large -> overflow.
double Power(double x, double y);
// a / b: b == 0 -> division by zero (0 / 0 -> invalid operation); overflow -> overflow.
double Divide(double a, double b);
// Checks the result of a multiplication or addition: infinite -> overflow, NaN -> invalid.
double Checked(double value);
// Stores a double into single precision: a value beyond the float range -> overflow.
float ToSingle(double value);

}  // namespace moravel::model
