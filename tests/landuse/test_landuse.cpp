#include <gtest/gtest.h>

#include "model/HydrographTextInputs.h"
#include "model/LandUse.h"
#include "text/Error.h"
#include "text/NumText.h"

namespace {

using namespace moravel::model;
const QChar kComma(',');

LandUseTexts Cells(std::initializer_list<std::tuple<int, int, const char*>> cells)
{
    LandUseTexts t;
    for (const auto& [row, group, text] : cells)
        t[row][group] = QString::fromUtf8(text);
    return t;
}

TEST(AveragedCurveNumber, WeighsTheFixedClassesByArea)
{
    LandUseState s;
    int messages = 0;
    // 2 km2 of cultivated land on A (CN 72), 3 km2 of commercial area on D (CN 95).
    const float total = ComputeAveragedCurveNumber(s, Cells({{0, 0, "2"}, {9, 3, "3"}}), kComma, [&] { ++messages; });
    EXPECT_EQ(total, 5.0f);
    EXPECT_EQ(messages, 0);
    EXPECT_FLOAT_EQ(s.AveragedCurveNumber, 85.8f);
    EXPECT_EQ(moravel::text::FormatCurveNumber(s.AveragedCurveNumber, kComma), "85,80");
    EXPECT_EQ(s.CurveNumberTable[16][3], 97);  // paved areas on D
}

TEST(AveragedCurveNumber, TotalIsASinglePrecisionSum)
{
    LandUseState s;
    const float total = ComputeAveragedCurveNumber(s, Cells({{0, 0, "10,5"}, {1, 1, "1,8"}}), kComma, {});
    EXPECT_EQ(moravel::text::FormatGeneral(total, kComma), "12,3000001907349");
}

TEST(AveragedCurveNumber, InvalidCellsWarnOnceEachAndCountAsZero)
{
    LandUseState s;
    int messages = 0;
    const float total =
        ComputeAveragedCurveNumber(s, Cells({{0, 0, "abc"}, {2, 1, "4"}, {5, 2, "1.5"}}), kComma, [&] { ++messages; });
    EXPECT_EQ(messages, 2);
    EXPECT_EQ(total, 4.0f);
    EXPECT_FLOAT_EQ(s.AveragedCurveNumber, 79.0f);
}

TEST(AveragedCurveNumber, NoAreaKeepsThePreviousAverage)
{
    LandUseState s;
    ComputeAveragedCurveNumber(s, Cells({{0, 0, "1"}}), kComma, {});
    EXPECT_FLOAT_EQ(s.AveragedCurveNumber, 72.0f);
    EXPECT_EQ(ComputeAveragedCurveNumber(s, LandUseTexts{}, kComma, {}), 0.0f);
    EXPECT_FLOAT_EQ(s.AveragedCurveNumber, 72.0f);
}

TEST(AveragedCurveNumber, OwnClassCountsWithItsTypedCurveNumber)
{
    LandUseState s;
    const LandUseTexts onlyOwn = Cells({{20, 2, "10"}});
    ComputeAveragedCurveNumber(s, onlyOwn, kComma, {});
    EXPECT_EQ(s.AveragedCurveNumber, 0.0f);  // CN never typed: area without weight

    EXPECT_TRUE(ReadOtherCurveNumber(s, 2, "80"));
    ComputeAveragedCurveNumber(s, onlyOwn, kComma, {});
    EXPECT_FLOAT_EQ(s.AveragedCurveNumber, 80.0f);

    EXPECT_FALSE(ReadOtherCurveNumber(s, 2, "x"));
    EXPECT_EQ(s.CurveNumberTable[20][2], 1);
    EXPECT_FALSE(ReadOtherCurveNumber(s, 2, ""));
    EXPECT_EQ(s.CurveNumberTable[20][2], 1);
}

TEST(PercentMode, ConvertsBothWaysAndSumsInSinglePrecision)
{
    const LandUseTexts areas = Cells({{0, 0, "2"}, {9, 3, "3"}});
    const LandUseTexts percents = AreaToPercent(areas, "5", kComma);
    EXPECT_EQ(percents[0][0], "40");
    EXPECT_EQ(percents[9][3], "60");
    EXPECT_EQ(percents[1][1], "");
    EXPECT_EQ(PercentSum(percents, kComma), 100.0f);

    const LandUseTexts back = PercentToArea(percents, "5", kComma);
    EXPECT_EQ(back[0][0], "2");
    EXPECT_EQ(back[9][3], "3");
    EXPECT_EQ(back[5][2], "");

    // A single-precision area keeps its widened digits.
    EXPECT_EQ(PercentToArea(Cells({{0, 0, "100"}}), "12,3", kComma)[0][0], "12,3000001907349");
}

TEST(PercentMode, SumComparesExactlyWithHundred)
{
    LandUseTexts nearly;
    for (int r = 0; r < 9; ++r)
        nearly[r][0] = "10,1";
    nearly[9][0] = "9,1";
    const float below = PercentSum(nearly, kComma);
    EXPECT_NE(below, 100.0f);
    EXPECT_EQ(moravel::text::FormatCurveNumber(below, kComma), "100,00");

    EXPECT_EQ(PercentSum(Cells({{0, 0, "33,3"}, {1, 0, "33,3"}, {2, 0, "33,4"}}), kComma), 100.0f);
    EXPECT_EQ(PercentSum(Cells({{0, 0, "x"}, {1, 0, "50"}}), kComma), 50.0f);
}

TEST(PercentMode, UnknownOrZeroTotal)
{
    const LandUseTexts areas = Cells({{0, 0, "9999"}});
    EXPECT_EQ(AreaToPercent(areas, "?", kComma)[0][0], "100");  // "?" counts as 9999
    const LandUseTexts none = AreaToPercent(areas, "0", kComma);
    for (const auto& row : none)
        for (const QString& cell : row)
            EXPECT_TRUE(cell.isEmpty());
}

TEST(HydrographTextInputs, ParsesEachTextWithTheUsersSeparator)
{
    TextHydrographInputs in({"0,01", "0,04", "10", "4", "5", "2", "10", "100", "24"}, kComma);
    EXPECT_DOUBLE_EQ(in.So(), 0.01);
    EXPECT_DOUBLE_EQ(in.b(), 10);
    EXPECT_EQ(in.HourCount(), 24);
    EXPECT_DOUBLE_EQ(in.Area(), 100);

    TextHydrographInputs bad({"", "x", "1", "1", "1", "1", "1", "?", "2,5"}, kComma);
    auto message = [](auto&& f) {
        try {
            f();
        } catch (const moravel::Error& e) {
            return e.text();
        }
        return QString();
    };
    EXPECT_EQ(message([&] { bad.So(); }), "'' is not a valid floating point value");
    EXPECT_EQ(message([&] { bad.Area(); }), "'?' is not a valid floating point value");
    EXPECT_EQ(message([&] { bad.HourCount(); }), "'2,5' is not a valid integer value");
}

}  // namespace
