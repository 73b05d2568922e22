#pragma once
// Land use of the catchment and its area-averaged SCS curve number, on the texts of the
// land-use grids. Areas and sums are kept in single precision, as the window shows them; a
// value that overflows a single-precision store raises "Floating point overflow".
#include <QChar>
#include <QString>
#include <array>
#include <functional>

namespace moravel::model {

constexpr int kLandUseRows = 21;  // 20 fixed classes and the user's own class "Inny:"
constexpr int kSoilGroups = 4;    // A, B, C, D

// Texts of a land-use grid: [row 0..20][soil group 0..3].
using LandUseTexts = std::array<std::array<QString, kSoilGroups>, kLandUseRows>;

struct LandUseState {
    int CurveNumberTable[kLandUseRows][kSoilGroups] = {};  // row 20 holds the user's own CN
    float LandUseAreas[kLandUseRows][kSoilGroups] = {};    // km2
    float AveragedCurveNumber = 0;
};

// CN of the 20 fixed land-use classes for soil groups A..D.
extern const int kFixedCurveNumbers[kLandUseRows - 1][kSoilGroups];

// Rebuilds the areas from the km2 texts and recomputes the averaged CN (kept unchanged when
// the total area is 0). Calls `onInvalidCell` at once for every non-empty cell that is not a
// number (it counts as 0 km2). Returns the total area.
float ComputeAveragedCurveNumber(LandUseState& state, const LandUseTexts& areas, QChar separator,
                                 const std::function<void()>& onInvalidCell);

// The user's own CN of one soil group; 1 when the text is not an integer (returns false then).
bool ReadOtherCurveNumber(LandUseState& state, int soilGroup, const QString& text);

// Areas in km2 from shares in per cent of the catchment area text: empty where the area is 0.
LandUseTexts PercentToArea(const LandUseTexts& percents, const QString& catchmentArea, QChar separator);

// Shares in per cent of the total area caption (9999 when it is not a number): empty where
// the share is 0, and everywhere when the total is 0.
LandUseTexts AreaToPercent(const LandUseTexts& areas, const QString& totalAreaCaption, QChar separator);

// The single-precision sum of the shares (texts that are not numbers count 0).
float PercentSum(const LandUseTexts& percents, QChar separator);

}  // namespace moravel::model
