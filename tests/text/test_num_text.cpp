#include "text/Error.h"
#include "text/NumText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace moravel;
using namespace moravel::text;

namespace {

const QChar kComma = u',';
const QChar kDot = u'.';

struct IntCase {
    const char* text;
    bool valid;
    int value;
};

TEST(StrToInt, AcceptsSignedDecimalDigitsInThe32BitRange)
{
    const IntCase cases[] = {
        {"0", true, 0},
        {"42", true, 42},
        {"+7", true, 7},
        {"-15", true, -15},
        {"  24 ", true, 24},
        {"\t3\t", true, 3},
        {"007", true, 7},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
        {"", false, 0},
        {"   ", false, 0},
        {"+", false, 0},
        {"-", false, 0},
        {"1 2", false, 0},
        {"12a", false, 0},
        {"0x1A", false, 0},
        {"1,0", false, 0},
        {"1.0", false, 0},
        {"1e3", false, 0},
        {"--1", false, 0},
        {"+-1", false, 0},
        {"1_000", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        int value = -99;
        EXPECT_EQ(TryStrToInt(text, value), c.valid);
        EXPECT_EQ(StrToIntDef(text, -5), c.valid ? c.value : -5);
        if (c.valid) {
            EXPECT_EQ(value, c.value);
            EXPECT_EQ(StrToInt(text), c.value);
        } else {
            EXPECT_EQ(value, -99) << "value changed on failure";
            try {
                StrToInt(text);
                ADD_FAILURE() << "no error";
            } catch (const Error& e) {
                EXPECT_EQ(e.text(), QStringLiteral("'%1' is not a valid integer value").arg(text));
            }
        }
    }
}

struct FloatCase {
    const char* text;
    QChar separator;
    bool valid;
    double value;
};

TEST(StrToFloat, AcceptsWhatAUserTypesAndNothingLooser)
{
    const FloatCase cases[] = {
        {"0", kComma, true, 0},        {"12,5", kComma, true, 12.5},
        {"12.5", kDot, true, 12.5},    {"-0,04", kComma, true, -0.04},
        {"+3", kComma, true, 3},       {" 1,5 ", kComma, true, 1.5},
        {",5", kComma, true, 0.5},     {"5,", kComma, true, 5},
        {"1E3", kComma, true, 1000},   {"1,5e-2", kComma, true, 0.015},
        {"2e+2", kComma, true, 200},   {"0,01", kComma, true, 0.01},
        {"1e-400", kComma, true, 0},   {"-1e-400", kComma, true, 0},
        {"0e99999", kComma, true, 0},  {"1,7976931348623157e308", kComma, true, 1.7976931348623157e308},
        {"1e400", kComma, false, 0},   {"12.5", kComma, false, 0},
        {"12,5", kDot, false, 0},      {"1,2,3", kComma, false, 0},
        {"1 000,5", kComma, false, 0}, {"1.000,5", kComma, false, 0},
        {",", kComma, false, 0},       {"", kComma, false, 0},
        {" ", kComma, false, 0},       {"-", kComma, false, 0},
        {"e5", kComma, false, 0},      {"1e", kComma, false, 0},
        {"1e+", kComma, false, 0},     {"1e2,5", kComma, false, 0},
        {"0x1p3", kComma, false, 0},   {"inf", kComma, false, 0},
        {"nan", kComma, false, 0},     {"INF", kComma, false, 0},
        {"?", kComma, false, 0},       {"1 2", kComma, false, 0},
        {"1d", kComma, false, 0},      {"++1", kComma, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " sep " + char(c.separator.unicode()));
        const QString text = QString::fromUtf8(c.text);
        double value = -99;
        EXPECT_EQ(TryStrToFloat(text, c.separator, value), c.valid);
        EXPECT_EQ(StrToFloatDef(text, 1.0, c.separator), c.valid ? c.value : 1.0);
        if (c.valid) {
            EXPECT_EQ(value, c.value);
            EXPECT_EQ(StrToFloat(text, c.separator), c.value);
        } else {
            try {
                StrToFloat(text, c.separator);
                ADD_FAILURE() << "no error";
            } catch (const Error& e) {
                EXPECT_EQ(e.text(), QStringLiteral("'%1' is not a valid floating point value").arg(text));
            }
        }
    }
}

TEST(StrToFloat, ErrorQuotesTheOriginalTextWithItsBlanks)
{
    try {
        StrToFloat(QStringLiteral(" 1,5x "), kComma);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.text(), QStringLiteral("' 1,5x ' is not a valid floating point value"));
    }
}

TEST(StrToFloat, ReadsTheNearestDouble)
{
    EXPECT_EQ(StrToFloat(QStringLiteral("0,1"), kComma), 0.1);
    EXPECT_EQ(StrToFloat(QStringLiteral("72,456"), kComma), 72.456);
    EXPECT_EQ(StrToFloat(QStringLiteral("12,3000001907349"), kComma), 12.3000001907349);
}

struct FormatCase {
    double value;
    const char* text;
};

void ExpectForms(QString (*format)(double, QChar), const FormatCase* begin, const FormatCase* end)
{
    for (const FormatCase* c = begin; c != end; ++c) {
        SCOPED_TRACE(c->text);
        const QString expected = QString::fromUtf8(c->text);
        EXPECT_EQ(format(c->value, kComma), expected);
        QString dotted = expected;
        dotted.replace(u',', u'.');
        EXPECT_EQ(format(c->value, kDot), dotted);
    }
}

TEST(FormatGeneral, ShortestUpTo15SignificantDigits)
{
    const FormatCase cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {1, "1"},
        {-2.5, "-2,5"},
        {12.3, "12,3"},
        {double(12.3f), "12,3000001907349"},
        {0.1, "0,1"},
        {100, "100"},
        {1.0 / 3, "0,333333333333333"},
        {2.0 / 3, "0,666666666666667"},
        {199.15, "199,15"},
        {123456789012345.0, "123456789012345"},
        {999999999999999.0, "999999999999999"},
        {1e15, "1E15"},
        {1.5e20, "1,5E20"},
        {-1.5e20, "-1,5E20"},
        {9999999999999999.0, "1E16"},
        {0.00001, "0,00001"},
        {0.000015, "0,000015"},
        {0.0000099, "9,9E-6"},
        {1e-6, "1E-6"},
        {-1.25e-7, "-1,25E-7"},
        {1e-300, "1E-300"},
        {0.5, "0,5"},
        {1e-5 * 0.99999999999999999, "0,00001"},
    };
    ExpectForms(FormatGeneral, std::begin(cases), std::end(cases));
}

TEST(FormatCurveNumber, ThreeSignificantDigitsThenTwoDecimals)
{
    const FormatCase cases[] = {
        {72.456, "72,50"},   {85.8, "85,80"},    {100, "100,00"},     {72.25, "72,30"},
        {72.24, "72,20"},    {0, "0,00"},        {5.125, "5,13"},     {5.555, "5,55"},  // the double just below 5.555
        {0.123456, "0,12"},  {0.004, "0,00"},    {0.006, "0,01"},     {99.96, "100,00"},
        {999.6, "1,00E+03"}, {1234, "1,23E+03"}, {-72.456, "-72,50"},
    };
    ExpectForms(FormatCurveNumber, std::begin(cases), std::end(cases));
}

TEST(FormatEffectiveRain, FiveSignificantDigitsThenThreeDecimals)
{
    const FormatCase cases[] = {
        {12.34567, "12,346"}, {123.4567, "123,460"},   {0.0123456, "0,012"},     {0, "0,000"},
        {1, "1,000"},         {12345.67, "12346,000"}, {99999.5, "1,0000E+005"}, {123456.7, "1,2346E+005"},
        {0.0004, "0,000"},    {0.0005, "0,001"},       {-0.0004, "0,000"},       {double(2.7f), "2,700"},
    };
    ExpectForms(FormatEffectiveRain, std::begin(cases), std::end(cases));
}

TEST(FormatInt, PlainDecimal)
{
    EXPECT_EQ(FormatInt(0), QStringLiteral("0"));
    EXPECT_EQ(FormatInt(-1234567), QStringLiteral("-1234567"));
    EXPECT_EQ(FormatInt(10000000000LL), QStringLiteral("10000000000"));
}

struct DecimalsCase {
    double value;
    int decimals;
    const char* text;
};

TEST(FormatDecimals, FixedNotationWithExactlyThePlacesAsked)
{
    const DecimalsCase cases[] = {
        {0, 2, "0,00"},          {9, 2, "9,00"},
        {2.0 / 3, 3, "0,667"},   {-3.14159, 2, "-3,14"},
        {12345.678, 0, "12346"}, {999.4, 0, "999"},
        {2.5, 0, "3"},           {0.5, 0, "1"},
        {93.6, 1, "93,6"},       {1e20, 1, "100000000000000000000,0"},
    };
    for (const DecimalsCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FormatDecimals(c.value, c.decimals, kComma), QString::fromUtf8(c.text));
        EXPECT_EQ(FormatDecimals(c.value, c.decimals, kDot), QString::fromUtf8(c.text).replace(u',', u'.'));
    }
}

TEST(FormatUpToDecimals, TrailingZerosDropped)
{
    const DecimalsCase cases[] = {
        {1.5, 4, "1,5"},   {3, 4, "3"},        {0.125, 4, "0,125"}, {12.34567, 4, "12,3457"},
        {100, 0, "100"},   {100, 2, "100"},    {120.5, 0, "121"},   {-2.5, 2, "-2,5"},
        {0.00004, 4, "0"}, {-0.00004, 4, "0"}, {-0.0, 4, "0"},      {double(0.1f), 4, "0,1"},
    };
    for (const DecimalsCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FormatUpToDecimals(c.value, c.decimals, kComma), QString::fromUtf8(c.text));
        EXPECT_EQ(FormatUpToDecimals(c.value, c.decimals, kDot), QString::fromUtf8(c.text).replace(u',', u'.'));
    }
}

TEST(FormatShortestFloat, ReadsBackAsTheSameSingle)
{
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {0, "0"},         {12.3f, "12,3"},           {-0.25f, "-0,25"},    {0.1f, "0,1"},
        {1e-5f, "1e-05"}, {16777216.0f, "16777216"}, {3.4e38f, "3,4e+38"}, {123456789.0f, "123456792"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QString comma = FormatShortestFloat(c.value, kComma);
        EXPECT_EQ(comma, QString::fromUtf8(c.text));
        EXPECT_EQ(FormatShortestFloat(c.value, kDot), QString::fromUtf8(c.text).replace(u',', u'.'));
        EXPECT_EQ(static_cast<float>(StrToFloat(comma, kComma)), c.value);
    }
}

// A volume summed in double precision: fifteen digits would lose its last bits.
TEST(FormatShortestDouble, ReadsBackAsTheSameDouble)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {{0, "0"}, {0.1, "0,1"}, {1214679.7684723511, "1214679.7684723511"}, {1e300, "1e+300"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QString comma = FormatShortestDouble(c.value, kComma);
        EXPECT_EQ(comma, QString::fromUtf8(c.text).replace(u'.', u','));
        EXPECT_EQ(StrToFloat(comma, kComma), c.value);
    }
}

// Captions and typed texts re-written for an export: a float's fifteen-digit caption becomes
// the float's shortest text, a typed text keeps its value, and only the separator follows
// the reader.
TEST(ExportNumberText, ShortestTextOfTheValueInTheReadersSeparator)
{
    const struct {
        const char* text;
        QChar from, to;
        const char* expected;
    } cases[] = {
        {"103,699996948242", kComma, kDot, "103.7"},    // a float's caption (103.7f)
        {"103,699996948242", kComma, kComma, "103,7"},  // the same for a reader of commas
        {"68,20", kComma, kDot, "68.2"},                // the curve-number caption
        {"0,040", kComma, kDot, "0.04"},                // typed, trailing zero
        {"12.3000001907349", kDot, kComma, "12,3"},     // a float's caption with a dot
        {"12,3000001", kComma, kDot, "12.3000001"},     // typed digits that are not a float's caption
        {"1214679,7684723511", kComma, kDot, "1214679.7684723511"},
        {" 50 ", kComma, kDot, "50"},
        {"-0,25", kComma, kDot, "-0.25"},
        {"abc", kComma, kDot, "abc"},  // not a number: as it is
        {"", kComma, kDot, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ExportNumberText(QString::fromUtf8(c.text), c.from, c.to), QString::fromUtf8(c.expected));
    }
    // The general form of a float reads back to the same float through its export text.
    for (const float v : {103.7f, 0.1f, 68.2f, 1e-7f, 123456792.0f}) {
        const QString caption = FormatGeneral(v, kComma);
        EXPECT_EQ(static_cast<float>(StrToFloat(ExportNumberText(caption, kComma, kDot), kDot)), v) << v;
        EXPECT_EQ(ExportNumberText(caption, kComma, kDot), FormatShortestFloat(v, kDot));
    }
}

TEST(Rounding, HalfEvenAndTruncation)
{
    const struct {
        double value;
        int halfEven;
        int trunc;
    } cases[] = {
        {2.5, 2, 2},   {3.5, 4, 3},        {-2.5, -2, -2}, {-3.5, -4, -3},
        {0.5, 0, 0},   {1.5, 2, 1},        {2.4999, 2, 2}, {2.5001, 3, 2},
        {-0.7, -1, 0}, {199.15, 199, 199}, {0, 0, 0},      {2147483647.0, 2147483647, 2147483647},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(RoundHalfEven(c.value), c.halfEven);
        EXPECT_EQ(TruncToInt(c.value), c.trunc);
    }
}

TEST(Rounding, OutsideThe32BitRangeIsAnInvalidOperation)
{
    for (double v : {3e9, -3e9, 3.4e38, std::numeric_limits<double>::quiet_NaN()}) {
        SCOPED_TRACE(v);
        EXPECT_THROW(RoundHalfEven(v), Error);
        EXPECT_THROW(TruncToInt(v), Error);
    }
    try {
        RoundHalfEven(1e10);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.text(), QStringLiteral("Invalid floating point operation"));
    }
}

}  // namespace
