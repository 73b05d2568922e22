#include "model/LandUse.h"

#include "model/CheckedMath.h"
#include "text/NumText.h"

namespace moravel::model {

using text::FormatGeneral;
using text::StrToFloatDef;

// Every area, share and sum is stored in single precision; a value beyond its range raises
// "Floating point overflow" instead of showing as an infinity.

const LandUseClass kLandUseClasses[kLandUseRows] = {
    {"Ziemia uprawna bez upraw rzędowych", 0, {72, 81, 88, 91}},
    {"z uprawami rzędowymi", 0, {62, 71, 78, 81}},
    {"Pastwiska w złym stanie", 0, {68, 79, 86, 89}},
    {"w dobrym stanie", 0, {39, 61, 74, 80}},
    {"Łąka w dobrym stanie", 0, {30, 58, 71, 78}},
    {"Teren leśny: rzadki las i poszycie", 0, {45, 66, 77, 83}},
    {"dobre pokrycie", 0, {25, 55, 70, 77}},
    {"Przestrzenie otwarte, trawy>75%", 0, {39, 61, 74, 80}},
    {"trawy 50-75%", 0, {49, 69, 79, 84}},
    {"Obszary handlowe, nieprzepuszczalne 85%", 0, {89, 92, 94, 95}},
    {"Rejony przemysłowe, nieprzepuszczalne 72%", 0, {81, 88, 91, 93}},
    {"Tereny mieszkalne, obszar ok. 500m2", 35, {77, 85, 90, 92}},
    {"obszar ok. 1000 m2", 18, {61, 75, 83, 87}},
    {"obszar ok. 1300 m2", 18, {57, 72, 81, 86}},
    {"obszar ok. 2000 m2", 18, {54, 70, 80, 85}},
    {"obszar ok. 4000 m2", 18, {51, 68, 79, 84}},
    {"Wybrukowane parkingi, dachy", 0, {98, 98, 98, 97}},
    {"Drogi z krawężnikami i odwodnieniem", 0, {98, 98, 98, 98}},
    {"wyżwirowane", 0, {76, 85, 89, 91}},
    {"gruntowe", 0, {72, 82, 87, 89}},
    {"Inne", 0, {}},  // the user's own class: EditSCSA..D
};

float ComputeAveragedCurveNumber(LandUseState& state, const LandUseTexts& areas, QChar separator,
                                 const std::function<void()>& onInvalidCell)
{
    for (int r = 0; r < kLandUseRows - 1; ++r)
        for (int g = 0; g < kSoilGroups; ++g)
            state.CurveNumberTable[r][g] = kLandUseClasses[r].curveNumbers[g];

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
