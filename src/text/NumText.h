#pragma once
// Numbers <-> text as the user reads and types them. The decimal separator is passed in
// (the window takes it from the system locale at start-up; tests choose it), and nothing
// here depends on the C library's locale.
#include <QChar>
#include <QString>

namespace moravel::text {

// Strict conversions: throw Error("'<text>' is not a valid integer value") or
// Error("'<text>' is not a valid floating point value").
// Integers: optional sign and decimal digits, 32-bit range. Reals: optional sign, digits
// with at most one decimal separator, optional exponent (e or E, optional sign, digits).
// Leading and trailing blanks are ignored; nothing else is accepted.
int StrToInt(const QString& text);
double StrToFloat(const QString& text, QChar decimalSeparator);

// Non-throwing forms: true and the value when the text is a number.
bool TryStrToInt(const QString& text, int& value);
bool TryStrToFloat(const QString& text, QChar decimalSeparator, double& value);

// Conversions with a fallback value for a text that is not a number.
int StrToIntDef(const QString& text, int fallback);
double StrToFloatDef(const QString& text, double fallback, QChar decimalSeparator);

// General form: shortest text with up to 15 significant digits, fixed notation unless
// |value| < 0.00001 or it has more than 15 digits before the separator; trailing zeros
// dropped. A single-precision 12.3 prints 12.3000001907349.
QString FormatGeneral(double value, QChar decimalSeparator);
// Curve-number form: 3 significant digits, then exactly 2 decimals (72.456 -> 72.50).
QString FormatCurveNumber(double value, QChar decimalSeparator);
// Effective-rainfall form: 5 significant digits, then exactly 3 decimals (12.34567 -> 12.346).
QString FormatEffectiveRain(double value, QChar decimalSeparator);
// Integer in decimal, no separators.
QString FormatInt(long long value);

// Fixed notation at any size with exactly `decimals` places, halves rounded away from zero
// (2.5 with 0 places -> 3, 1e20 with 1 -> 100000000000000000000.0).
QString FormatDecimals(double value, int decimals, QChar decimalSeparator);
// Fixed notation with at most `decimals` places: trailing zeros and a bare separator dropped,
// and a value that rounds to zero written "0" (1.50 -> 1.5, 3.0 -> 3, -0.00001 -> 0).
QString FormatUpToDecimals(double value, int decimals, QChar decimalSeparator);
// The shortest text that reads back as the same single-precision value (12.3f -> 12.3 where
// FormatGeneral gives 12.3000001907349); in exponent form when that is shorter (1e-05).
QString FormatShortestFloat(float value, QChar decimalSeparator);
// The same for a double: the shortest text that reads back as the same double.
QString FormatShortestDouble(double value, QChar decimalSeparator);
// A number text as an export writes it for another reader: the value `text` holds (read with
// `from`) in its shortest text with the separator `to` ("0,040" -> "0.04"). A text that is a
// single-precision value's general form (FormatGeneral of the float: a caption such as
// "103,699996948242") stands for that float and gets the float's shortest text ("103.7").
// A text that is not a number is returned as it is.
QString ExportNumberText(const QString& text, QChar from, QChar to);

// Rounding to the nearest integer, ties to the even one (2.5 -> 2, 3.5 -> 4).
int RoundHalfEven(double value);
// Truncation toward zero.
int TruncToInt(double value);

}  // namespace moravel::text
