#include "model/ComputationInputs.h"

#include "model/CheckedMath.h"
#include "text/Error.h"
#include "text/NumText.h"

namespace moravel::model {

QString HourCountRefusal()
{
    return QStringLiteral("Wprowadź liczbę naturalną!");
}

QString HourLimitRefusal()
{
    return QStringLiteral("Liczba godzin opadu nie może przekraczać %1!").arg(kStateCapacity);
}

QString MissingRainfallRefusal(int hour)
{
    return QStringLiteral("Brak opadu w godzinie %1 - uzupełnij tabelę opadu").arg(hour);
}

QString MissingCurveNumberRefusal()
{
    return QStringLiteral("Brak średniego współczynnika CN - uzupełnij tabelę użytkowania terenu");
}

namespace {

QString TextAt(const std::vector<QString>& texts, int hour)
{
    return hour >= 1 && static_cast<std::size_t>(hour) <= texts.size() ? texts[static_cast<std::size_t>(hour - 1)]
                                                                       : QString();
}

}  // namespace

QString ComputationTexts::RainfallOf(int hour) const
{
    return TextAt(rainfall, hour);
}

QString ComputationTexts::EffectiveRainOf(int hour) const
{
    return TextAt(effectiveRain, hour);
}

bool TypedAreaIsCatchmentArea(bool effectiveRainTyped, const QString& typedArea)
{
    return effectiveRainTyped && !typedArea.isEmpty();
}

LandUseCaptions AverageLandUse(LandUseState& landUse, const LandUseTexts& areas, bool effectiveRainTyped,
                               const QString& typedArea, QChar separator, const std::function<void()>& onInvalidCell)
{
    LandUseCaptions captions;
    captions.totalArea = ComputeAveragedCurveNumber(landUse, areas, separator, onInvalidCell);
    // With typed effective rainfall the grid also holds the typed area (booked as "Inny:"
    // land), so its total is not the catchment area; the typed area is.
    captions.area = TypedAreaIsCatchmentArea(effectiveRainTyped, typedArea)
                        ? typedArea
                        : text::FormatGeneral(captions.totalArea, separator);
    captions.curveNumber = text::FormatCurveNumber(landUse.AveragedCurveNumber, separator);
    return captions;
}

int HourCountOf(const QString& text)
{
    const int hours = text::StrToInt(text);
    if (hours > kStateCapacity)
        throw Error(HourLimitRefusal());
    return hours;
}

float CurveNumberOf(const QString& caption, QChar separator)
{
    return ToSingle(text::StrToFloat(caption, separator));
}

float RainfallOf(const QString& text, QChar separator)
{
    return ToSingle(text::StrToFloat(text, separator));
}

float TypedEffectiveRainOf(const QString& text, QChar separator)
{
    return ToSingle(text::StrToFloatDef(text, 1.0, separator));
}

HydrographTexts HydrographTextsOf(const CatchmentParameterTexts& parameters, const QString& areaCaption,
                                  const QString& hourCount)
{
    HydrographTexts hydrograph;
    static_cast<CatchmentParameterTexts&>(hydrograph) = parameters;
    hydrograph.Area = areaCaption;
    hydrograph.HourCount = hourCount;
    return hydrograph;
}

ComputationInputs BuildComputationInputs(const ComputationTexts& texts, LandUseState landUse, QChar separator,
                                         const std::function<void()>& onInvalidLandUseCell)
{
    ComputationInputs in;
    in.landUse = AverageLandUse(landUse, texts.landUseAreas, texts.effectiveRainTyped, texts.typedArea, separator,
                                onInvalidLandUseCell);

    const int hours = HourCountOf(texts.hourCount);
    if (hours < 1)
        throw Error(HourCountRefusal());
    in.directEffectiveRain = texts.effectiveRainTyped;
    if (in.directEffectiveRain) {
        for (int i = 1; i <= hours; ++i)
            in.effectiveRain.push_back(TypedEffectiveRainOf(texts.EffectiveRainOf(i), separator));
    } else {
        // Every run draws its own effective rainfall, so it needs the whole storm.
        for (int i = 1; i <= hours; ++i)
            if (texts.RainfallOf(i).isEmpty())
                throw Error(MissingRainfallRefusal(i));
        if (text::StrToFloatDef(in.landUse.curveNumber, 0, separator) == 0)
            throw Error(MissingCurveNumberRefusal());
        in.curveNumber = CurveNumberOf(in.landUse.curveNumber, separator);
        for (int i = 1; i <= hours; ++i)
            in.rainfall.push_back(RainfallOf(texts.RainfallOf(i), separator));
    }

    // Every parameter is read, in the order the formulas meet them, even where a run with no
    // rain would never reach the later ones: the inputs are checked once, before any run.
    TextHydrographInputs parameters(HydrographTextsOf(texts.parameters, in.landUse.area, texts.hourCount), separator);
    HydrographParameters& p = in.parameters;
    p.So = parameters.So();
    p.n = parameters.n();
    p.b = parameters.b();
    p.HourCount = parameters.HourCount();
    p.Area = parameters.Area();
    p.RB = parameters.RB();
    p.RA = parameters.RA();
    p.RL = parameters.RL();
    p.Lo = parameters.Lo();
    return in;
}

}  // namespace moravel::model
