#include "files/ProjectInputs.h"

#include "model/State.h"
#include "text/Error.h"
#include "text/NumText.h"

#include <algorithm>

namespace moravel::files {

void ApplyRainfallRecord(OpenedTexts& opened, const RainfallRecord& rainfall)
{
    model::ComputationTexts& t = opened.texts;
    t.hourCount = rainfall.hourCount;
    t.effectiveRainTyped = rainfall.effective;
    text::StrToInt(rainfall.hourCount);
    // The cells the table holds for the hour count: the record's fields, then empty cells.
    const int hours = std::clamp(text::StrToIntDef(rainfall.hourCount, 0), 0, model::kStateCapacity);
    t.rainfall.clear();
    t.effectiveRain.clear();
    for (int i = 1; i <= hours; ++i) {
        if (rainfall.effective) {
            t.rainfall.push_back(QStringLiteral("1"));
            t.effectiveRain.push_back(rainfall.Hour(i));
        } else {
            t.rainfall.push_back(rainfall.Hour(i));
            t.effectiveRain.push_back(QString());
        }
    }
}

void ApplyScsRecord(OpenedTexts& opened, const ScsRecord& scs, QChar separator)
{
    for (int g = 0; g < ScsRecord::kGroups; ++g) {
        const QString& cn = scs.ownClassCn[static_cast<std::size_t>(g)];
        if (!cn.isEmpty())
            model::ReadOtherCurveNumber(opened.landUse, g, cn);
    }
    opened.texts.landUseAreas = scs.areas;
    if (opened.texts.effectiveRainTyped) {
        model::LandUseState scratch = opened.landUse;
        opened.texts.typedArea = model::AverageLandUse(scratch, scs.areas, false, QString(), separator, nullptr).area;
    }
}

void ApplyParametersRecord(OpenedTexts& opened, const ParametersRecord& parameters)
{
    model::CatchmentParameterTexts& p = opened.texts.parameters;
    p.RB = parameters.values[0];
    p.RL = parameters.values[1];
    p.RA = parameters.values[2];
    p.So = parameters.values[3];
    p.Lo = parameters.values[4];
    p.b = parameters.values[5];
    p.n = parameters.values[6];
}

OpenedTexts OpenedTextsOfRecords(const RainfallRecord& rainfall, const ScsRecord& scs,
                                 const ParametersRecord& parameters, QChar separator)
{
    OpenedTexts opened;
    ApplyRainfallRecord(opened, rainfall);
    ApplyScsRecord(opened, scs, separator);
    ApplyParametersRecord(opened, parameters);
    return opened;
}

void RequireProjectFileName(const QString& path, const QString& kind)
{
    if (path.isEmpty())
        throw Error(QStringLiteral("Nie można otworzyć pliku %1: projekt nie podaje jego nazwy").arg(kind));
}

OpenedTexts OpenProjectTexts(const QString& projectPath, QChar separator, const QString& rainfallPath)
{
    ProjectPaths paths = ReadProjectFile(projectPath);
    if (!rainfallPath.isEmpty())
        paths.rainfall = rainfallPath;
    OpenedTexts opened;
    RequireProjectFileName(paths.rainfall, QStringLiteral("opadu"));
    ApplyRainfallRecord(opened, ReadRainfallFile(paths.rainfall));
    RequireProjectFileName(paths.scs, QStringLiteral("SCS"));
    ApplyScsRecord(opened, ReadScsFile(paths.scs), separator);
    RequireProjectFileName(paths.parameters, QStringLiteral("parametrów"));
    ApplyParametersRecord(opened, ReadParametersFile(paths.parameters));
    return opened;
}

model::ComputationInputs ComputationInputsOfRecords(const RainfallRecord& rainfall, const ScsRecord& scs,
                                                    const ParametersRecord& parameters, QChar separator,
                                                    const std::function<void()>& onInvalidLandUseCell)
{
    const OpenedTexts opened = OpenedTextsOfRecords(rainfall, scs, parameters, separator);
    return model::BuildComputationInputs(opened.texts, opened.landUse, separator, onInvalidLandUseCell);
}

model::ComputationInputs ProjectComputationInputs(const QString& projectPath, QChar separator,
                                                  const std::function<void()>& onInvalidLandUseCell,
                                                  const QString& rainfallPath)
{
    const OpenedTexts opened = OpenProjectTexts(projectPath, separator, rainfallPath);
    return model::BuildComputationInputs(opened.texts, opened.landUse, separator, onInvalidLandUseCell);
}

}  // namespace moravel::files
