#include "model/LandUse.h"

#include "model/CheckedMath.h"
#include "text/NumText.h"

namespace moravel::model {

using text::FormatGeneral;
using text::StrToFloatDef;

// Every area, share and sum is stored in single precision; a value beyond its range raises
// "Floating point overflow" instead of showing as an infinity.

const int kFixedCurveNumbers[kLandUseRows - 1][kSoilGroups] = {
    {72, 81, 88, 91},  // cultivated land without row crops
    {62, 71, 78, 81},  // with row crops
    {68, 79, 86, 89},  // pasture, poor condition
    {39, 61, 74, 80},  // pasture, good condition
    {30, 58, 71, 78},  // meadow
    {45, 66, 77, 83},  // woods, thin stand
    {25, 55, 70, 77},  // woods, good cover
    {39, 61, 74, 80},  // open space, grass over 75 %
    {49, 69, 79, 84},  // open space, grass 50-75 %
    {89, 92, 94, 95},  // commercial, 85 % impervious
    {81, 88, 91, 93},  // industrial, 72 % impervious
    {77, 85, 90, 92},  // residential, lots of 500 m2
    {61, 75, 83, 87},  // 1000 m2
    {57, 72, 81, 86},  // 1300 m2
    {54, 70, 80, 85},  // 2000 m2
    {51, 68, 79, 84},  // 4000 m2
    {98, 98, 98, 97},  // paved parking lots, roofs
    {98, 98, 98, 98},  // roads with kerbs and storm drains
    {76, 85, 89, 91},  // gravel roads
    {72, 82, 87, 89},  // dirt roads
};

float ComputeAveragedCurveNumber(LandUseState& state, const LandUseTexts& areas, QChar separator,
                                 const std::function<void()>& onInvalidCell)
{
    for (int r = 0; r < kLandUseRows - 1; ++r)
        for (int g = 0; g < kSoilGroups; ++g)
            state.CurveNumberTable[r][g] = kFixedCurveNumbers[r][g];

    float total = 0;
    for (int r = 0; r < kLandUseRows; ++r) {
        for (int g = 0; g < kSoilGroups; ++g) {
            const QString& cell = areas[r][g];
            if (cell.isEmpty()) {
                state.LandUseAreas[r][g] = 0;
                continue;
            }
            double value = 0;
            const bool isNumber = text::TryStrToFloat(cell, separator, value);
            state.LandUseAreas[r][g] = isNumber ? ToSingle(value) : 0.0f;
            total = ToSingle(static_cast<double>(total) + state.LandUseAreas[r][g]);
            if (!isNumber && onInvalidCell)
                onInvalidCell();
        }
    }

    float weighted = 0;
    for (int r = 0; r < kLandUseRows; ++r)
        for (int g = 0; g < kSoilGroups; ++g)
            weighted = ToSingle(static_cast<double>(weighted) +
                                static_cast<double>(state.CurveNumberTable[r][g]) * state.LandUseAreas[r][g]);
    if (total != 0)
        state.AveragedCurveNumber = ToSingle(static_cast<double>(weighted) / total);
    return total;
}

bool ReadOtherCurveNumber(LandUseState& state, int soilGroup, const QString& text)
{
    int value = 0;
    const bool isInteger = text::TryStrToInt(text, value);
    state.CurveNumberTable[kLandUseRows - 1][soilGroup] = isInteger ? value : 1;
    return isInteger;
}

LandUseTexts PercentToArea(const LandUseTexts& percents, const QString& catchmentArea, QChar separator)
{
    const double area = StrToFloatDef(catchmentArea, 0, separator);
    LandUseTexts result;
    for (int r = 0; r < kLandUseRows; ++r)
        for (int g = 0; g < kSoilGroups; ++g) {
            const double share = StrToFloatDef(percents[r][g], 0, separator);
            const float a = ToSingle(area * share / 100);
            result[r][g] = a == 0 ? QString() : FormatGeneral(a, separator);
        }
    return result;
}

LandUseTexts AreaToPercent(const LandUseTexts& areas, const QString& totalAreaCaption, QChar separator)
{
    const double total = StrToFloatDef(totalAreaCaption, 9999, separator);
    LandUseTexts result;
    // With no area at all there is nothing to share out: every cell stays empty.
    if (total == 0)
        return result;
    for (int r = 0; r < kLandUseRows; ++r)
        for (int g = 0; g < kSoilGroups; ++g) {
            const double hundredfold = StrToFloatDef(areas[r][g], 0, separator) * 100;
            const float p = ToSingle(hundredfold / total);
            result[r][g] = p == 0 ? QString() : FormatGeneral(p, separator);
        }
    return result;
}

float PercentSum(const LandUseTexts& percents, QChar separator)
{
    float sum = 0;
    for (int r = 0; r < kLandUseRows; ++r)
        for (int g = 0; g < kSoilGroups; ++g)
            sum = ToSingle(static_cast<double>(sum) + StrToFloatDef(percents[r][g], 0, separator));
    return sum;
}

}  // namespace moravel::model
