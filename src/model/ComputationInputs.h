#pragma once
// The one way from texts to a computation. The window holds its input as texts and a data
// file holds the same texts; the functions here turn them (with the decimal separator) into
// a computation's inputs, with the checks, messages and order of "Hydrogram":
//   1. the land use: the averaged curve number and the catchment area, as their captions
//      show them (an area cell that is not a number is reported, counts 0 and the rest goes
//      on);
//   2. the storm: the rainfall of hours 1..N (strict numbers) with the curve number, or the
//      typed effective rainfall (a cell that is not a number counts 1 mm);
//   3. the seven parameters, read in the order the hydrograph's formulas meet them:
//      So, n, b, the hour count, then A, RB, RA, RL and Lo (TextHydrographInputs).
// "Hydrogram" runs these steps one by one inside its handler chain (the window shows each
// result as it comes); every other computation (a series, and what is built on it) takes
// them all at once from BuildComputationInputs.
#include <QChar>
#include <QString>

#include <functional>
#include <vector>

#include "model/HydrographTextInputs.h"
#include "model/LandUse.h"
#include "model/State.h"

namespace moravel::model {

// The messages of the checks that a computation run outside "Hydrogram" adds: it can't fall
// back on what an earlier run left in the window.
QString HourCountRefusal();                // no rain hour
QString HourLimitRefusal();                // more hours than the state holds
QString MissingRainfallRefusal(int hour);  // an empty rainfall cell
QString MissingCurveNumberRefusal();       // no averaged curve number to run the SCS method on

// Everything a computation reads, as texts.
struct ComputationTexts {
    QString hourCount;  // the number of rain hours
    // "Podaj opad efektywny": the effective rainfall is typed instead of computed.
    bool effectiveRainTyped = false;
    // Hours 1..N at [0..N-1]; an hour beyond the end counts as an empty cell.
    std::vector<QString> rainfall;
    std::vector<QString> effectiveRain;
    LandUseTexts landUseAreas;  // km2
    // The area field; with typed effective rainfall a non-empty area is the catchment area.
    QString typedArea;
    CatchmentParameterTexts parameters;

    QString RainfallOf(int hour) const;
    QString EffectiveRainOf(int hour) const;
};

// The land use's two results as the window captions them.
struct LandUseCaptions {
    float totalArea = 0;  // km2 of the area grid
    QString area;         // the catchment area
    QString curveNumber;  // the averaged curve number, CN form
};

// Whether the typed area is the catchment area, whatever the area grid adds up to.
bool TypedAreaIsCatchmentArea(bool effectiveRainTyped, const QString& typedArea);

// Step 1: rebuilds `landUse` from the area grid `areas` (the user's own curve numbers are
// those already in it) and captions its results. `onInvalidCell` runs once per area cell
// that is not a number.
LandUseCaptions AverageLandUse(LandUseState& landUse, const LandUseTexts& areas, bool effectiveRainTyped,
                               const QString& typedArea, QChar separator, const std::function<void()>& onInvalidCell);

// The strict hour count refused above the state's capacity.
int HourCountOf(const QString& text);

// Step 2, SCS: the curve number of its caption and the rainfall of one hour, strict.
float CurveNumberOf(const QString& caption, QChar separator);
float RainfallOf(const QString& text, QChar separator);
// Step 2, typed: the effective rainfall of one hour; 1 mm where the text is not a number.
float TypedEffectiveRainOf(const QString& text, QChar separator);

// Step 3: the texts that TextHydrographInputs parses lazily, in the order of the formulas.
HydrographTexts HydrographTextsOf(const CatchmentParameterTexts& parameters, const QString& areaCaption,
                                  const QString& hourCount);

// The inputs of a computation, read and checked once.
struct ComputationInputs {
    HydrographParameters parameters;   // HourCount is the number of rain hours N
    bool directEffectiveRain = false;  // typed effective rainfall: no draws of its own
    float curveNumber = 0;             // the averaged CN as its caption shows it
    std::vector<float> rainfall;       // hours 1..N at [0..N-1], SCS mode
    std::vector<float> effectiveRain;  // hours 1..N at [0..N-1], typed mode
    LandUseCaptions landUse;           // what step 1 captioned
};

// Steps 1 to 3 at once, on a copy of `landUse` (the caller's state stays). Where "Hydrogram"
// would go on with what an earlier run left (an incomplete storm, no curve number), this
// refuses with a message instead: a computation of its own has nothing earlier to use.
ComputationInputs BuildComputationInputs(const ComputationTexts& texts, LandUseState landUse, QChar separator,
                                         const std::function<void()>& onInvalidLandUseCell);

}  // namespace moravel::model
