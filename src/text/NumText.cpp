#include "text/NumText.h"

#include "text/Error.h"
#include "text/Shown.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <string>

namespace moravel::text {
namespace {

// Blanks around a typed number are ignored: spaces, tabs and other control characters.
bool IsBlank(QChar c)
{
    return c.unicode() <= u' ';
}

QString Trimmed(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Checks the integer grammar (optional sign, decimal digits) and reads the value.
bool ParseInt(const QString& text, int& value)
{
    const QString t = Trimmed(text);
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    if (i == t.size())
        return false;
    std::string ascii = negative ? "-" : "";
    for (; i < t.size(); ++i) {
        if (!IsDigit(t[i]))
            return false;
        ascii += static_cast<char>(t[i].unicode());
    }
    int parsed = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), parsed);
    if (ec != std::errc() || end != ascii.data() + ascii.size())
        return false;
    value = parsed;
    return true;
}

// Checks the real-number grammar: optional sign, digits with at most one decimal separator
// (at least one digit in all), optional exponent e/E with optional sign and digits. A value
// too large for a double is not a number; one too small to represent becomes zero.
bool ParseFloat(const QString& text, QChar separator, double& value)
{
    const QString t = Trimmed(text);
    qsizetype i = 0;
    std::string ascii;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        if (t[i] == u'-')
            ascii += '-';
        ++i;
    }
    int mantissaDigits = 0;
    int intDigits = 0;
    int firstNonZero = -1;  // index among the mantissa digits
    bool seenSeparator = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (IsDigit(c)) {
            if (firstNonZero < 0 && c != u'0')
                firstNonZero = mantissaDigits;
            ++mantissaDigits;
            if (!seenSeparator)
                ++intDigits;
            ascii += static_cast<char>(c.unicode());
        } else if (c == separator && !seenSeparator) {
            seenSeparator = true;
            ascii += '.';
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return false;
    long long exponent = 0;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        ascii += 'e';
        ++i;
        bool negativeExponent = false;
        if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
            negativeExponent = t[i] == u'-';
            ascii += static_cast<char>(t[i].unicode());
            ++i;
        }
        int exponentDigits = 0;
        for (; i < t.size() && IsDigit(t[i]); ++i, ++exponentDigits) {
            ascii += static_cast<char>(t[i].unicode());
            if (exponent < 100000)
                exponent = exponent * 10 + (t[i].unicode() - u'0');
        }
        if (exponentDigits == 0)
            return false;
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != t.size())
        return false;

    const char* begin = ascii.data();
    if (*begin == '-')
        ++begin;  // from_chars takes the magnitude; the sign is applied below
    double parsed = 0;
    const auto [end, ec] = std::from_chars(begin, ascii.data() + ascii.size(), parsed, std::chars_format::general);
    if (end != ascii.data() + ascii.size())
        return false;
    if (ec == std::errc::result_out_of_range) {
        // Decimal exponent of the leading non-zero digit tells overflow from underflow.
        const long long leading = firstNonZero < 0 ? 0 : intDigits - 1 - firstNonZero + exponent;
        if (firstNonZero >= 0 && leading > 0)
            return false;
        parsed = 0;
    } else if (ec != std::errc()) {
        return false;
    }
    value = ascii[0] == '-' ? -parsed : parsed;
    return true;
}

// The exact decimal expansion of a finite non-zero |value|: significant digits without
// trailing zeros, and the power of ten of the first digit.
struct Decimal {
    std::string digits;
    int exponent = 0;
};

Decimal Decompose(double magnitude)
{
    // 767 significant digits hold the exact expansion of any double.
    char buffer[800];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 766);
    const std::string text(buffer, result.ptr);
    const auto e = text.find('e');
    Decimal d;
    d.digits = text.substr(0, 1) + text.substr(2, e - 2);
    d.exponent = std::stoi(text.substr(e + 1));
    const auto last = d.digits.find_last_not_of('0');
    d.digits.erase(last + 1);
    return d;
}

// Rounds to `keep` significant digits, half away from zero; keep may be 0 or negative
// (then the value rounds to 0 or to one unit at position exponent - keep + 1).
void RoundTo(Decimal& d, int keep)
{
    if (keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int pos = keep - 1;
        while (pos >= 0 && d.digits[static_cast<std::size_t>(pos)] == '9') {
            d.digits[static_cast<std::size_t>(pos)] = '0';
            --pos;
        }
        if (pos >= 0) {
            ++d.digits[static_cast<std::size_t>(pos)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    const auto last = d.digits.find_last_not_of('0');
    d.digits.erase(last == std::string::npos ? 0 : last + 1);
}

QString NonFinite(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

// Writes d in fixed notation with `decimals` places, padded or cut (d is already rounded).
QString FixedText(const Decimal& d, bool negative, int decimals, QChar separator)
{
    QString out;
    if (negative && !d.digits.empty())
        out += u'-';
    const int n = static_cast<int>(d.digits.size());
    auto digitAt = [&](int power) -> char {
        const int index = d.exponent - power;
        return index >= 0 && index < n ? d.digits[static_cast<std::size_t>(index)] : '0';
    };
    if (d.digits.empty() || d.exponent < 0) {
        out += u'0';
    } else {
        for (int p = d.exponent; p >= 0; --p)
            out += QChar(digitAt(p));
    }
    if (decimals > 0) {
        out += separator;
        for (int p = -1; p >= -decimals; --p)
            out += QChar(d.digits.empty() ? '0' : digitAt(p));
    }
    return out;
}

// Mantissa d.ddd with all kept digits (padded to `mantissaDigits` when given), then E and
// the exponent; with `exponentWidth` the exponent carries its sign and at least that many
// digits, without it just a '-' when negative.
QString ExponentText(const Decimal& d, bool negative, QChar separator, int mantissaDigits, int exponentWidth)
{
    QString out;
    if (negative)
        out += u'-';
    std::string digits = d.digits;
    if (static_cast<int>(digits.size()) < mantissaDigits)
        digits.append(static_cast<std::size_t>(mantissaDigits) - digits.size(), '0');
    out += QChar(digits[0]);
    if (digits.size() > 1) {
        out += separator;
        out += QString::fromLatin1(digits.data() + 1, static_cast<qsizetype>(digits.size() - 1));
    }
    out += u'E';
    if (exponentWidth > 0) {
        out += d.exponent < 0 ? u'-' : u'+';
        out += QString::number(std::abs(d.exponent)).rightJustified(exponentWidth, u'0');
    } else {
        out += QString::number(d.exponent);
    }
    return out;
}

// Fixed form: rounded to `precision` significant digits and to `decimals` places, written
// with exactly `decimals` places; exponent form when more than `precision` digits would
// stand before the separator.
QString FormatFixed(double value, int precision, int decimals, QChar separator)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    if (value == 0)
        return FixedText(Decimal{}, false, decimals, separator);
    Decimal d = Decompose(std::fabs(value));
    if (d.exponent + 1 > precision) {
        RoundTo(d, precision);
        return ExponentText(d, value < 0, separator, precision, decimals);
    }
    RoundTo(d, std::min(precision, d.exponent + 1 + decimals));
    if (d.exponent + 1 > precision) {  // rounding carried into one more digit
        return ExponentText(d, value < 0, separator, precision, decimals);
    }
    return FixedText(d, value < 0, decimals, separator);
}

[[noreturn]] void InvalidOperation()
{
    throw Error(QStringLiteral("Invalid floating point operation"));
}

int ToInt32(double rounded)
{
    if (!(rounded >= static_cast<double>(INT_MIN) && rounded <= static_cast<double>(INT_MAX)))
        InvalidOperation();
    return static_cast<int>(rounded);
}

}  // namespace

int StrToInt(const QString& text)
{
    int value = 0;
    if (!ParseInt(text, value))
        throw Error(QStringLiteral("'%1' is not a valid integer value").arg(Shown(text)));
    return value;
}

double StrToFloat(const QString& text, QChar decimalSeparator)
{
    double value = 0;
    if (!ParseFloat(text, decimalSeparator, value))
        throw Error(QStringLiteral("'%1' is not a valid floating point value").arg(Shown(text)));
    return value;
}

bool TryStrToInt(const QString& text, int& value)
{
    return ParseInt(text, value);
}

bool TryStrToFloat(const QString& text, QChar decimalSeparator, double& value)
{
    return ParseFloat(text, decimalSeparator, value);
}

int StrToIntDef(const QString& text, int fallback)
{
    int value = 0;
    return ParseInt(text, value) ? value : fallback;
}

double StrToFloatDef(const QString& text, double fallback, QChar decimalSeparator)
{
    double value = 0;
    return ParseFloat(text, decimalSeparator, value) ? value : fallback;
}

QString FormatGeneral(double value, QChar decimalSeparator)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    if (value == 0)
        return QStringLiteral("0");
    Decimal d = Decompose(std::fabs(value));
    RoundTo(d, 15);
    if (d.exponent < -5 || d.exponent >= 15)
        return ExponentText(d, value < 0, decimalSeparator, 0, 0);
    const int decimals = std::max(0, static_cast<int>(d.digits.size()) - 1 - d.exponent);
    return FixedText(d, value < 0, decimals, decimalSeparator);
}

QString FormatCurveNumber(double value, QChar decimalSeparator)
{
    return FormatFixed(value, 3, 2, decimalSeparator);
}

QString FormatEffectiveRain(double value, QChar decimalSeparator)
{
    return FormatFixed(value, 5, 3, decimalSeparator);
}

QString FormatInt(long long value)
{
    return QString::number(value);
}

QString FormatDecimals(double value, int decimals, QChar decimalSeparator)
{
    return QString::number(value, 'f', decimals).replace(u'.', decimalSeparator);
}

QString FormatUpToDecimals(double value, int decimals, QChar decimalSeparator)
{
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text.replace(u'.', decimalSeparator);
}

namespace {
template <typename T>
QString FormatShortest(T value, QChar decimalSeparator)
{
    char buffer[32];
    const char* end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return QString::fromLatin1(buffer, static_cast<qsizetype>(end - buffer)).replace(u'.', decimalSeparator);
}
}  // namespace

QString FormatShortestFloat(float value, QChar decimalSeparator)
{
    return FormatShortest(value, decimalSeparator);
}

QString FormatShortestDouble(double value, QChar decimalSeparator)
{
    return FormatShortest(value, decimalSeparator);
}

QString ExportNumberText(const QString& text, QChar from, QChar to)
{
    double value = 0;
    if (!TryStrToFloat(text, from, value))
        return text;
    const float single = static_cast<float>(value);
    if (std::isfinite(single) && FormatGeneral(single, from) == Trimmed(text))
        return FormatShortestFloat(single, to);
    return FormatShortestDouble(value, to);
}

int RoundHalfEven(double value)
{
    // The default rounding mode rounds halfway cases to the even neighbour.
    return ToInt32(std::nearbyint(value));
}

int TruncToInt(double value)
{
    return ToInt32(std::trunc(value));
}

}  // namespace moravel::text
