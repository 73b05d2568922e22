#include "window/ZapisOdczytDanych.h"

#include <algorithm>
#include <utility>

#include "files/DataFiles.h"
#include "files/ProjectInputs.h"
#include "text/Error.h"
#include "text/NumText.h"
#include "window/Formatka.h"

namespace moravel::window {

// The records and the project file of files/.
using namespace moravel::files;
namespace {

const QString kRainfallFilter = QStringLiteral("Pliki danych opadu *.kwp|*.kwp|Wszystkie pliki *.*|*.*");
const QString kScsFilter = QStringLiteral("pliki danych SCS *.kws|*.kws|wszystkie pliki *.*|*.*");
const QString kParametersFilter = QStringLiteral("pliki danych parametrów *.kwx|*.kwx|wszystkie pliki *.*|*.*");

const FileDialogSpec kSaveDialogOpad{QStringLiteral("SaveDialogOpad"), QStringLiteral("Zapisanie pliku opadu"),
                                     kRainfallFilter, true};
const FileDialogSpec kOpenDialogOpad{QStringLiteral("OpenDialogOpad"), QStringLiteral("Otwieranie pliku opadu"),
                                     kRainfallFilter, false};
const FileDialogSpec kSaveDialogSCS{QStringLiteral("SaveDialogSCS"), QStringLiteral("Zapisanie pliku SCS"), kScsFilter,
                                    true};
const FileDialogSpec kOpenDialogSCS{QStringLiteral("OpenDialogSCS"), QStringLiteral("Otwieranie pliku SCS"), kScsFilter,
                                    false};
const FileDialogSpec kSaveDialogParametry{QStringLiteral("SaveDialogParametry"),
                                          QStringLiteral("Zapisanie pliku parametrów"), kParametersFilter, true};
const FileDialogSpec kOpenDialogParametry{QStringLiteral("OpenDialogParametry"),
                                          QStringLiteral("Otwieranie pliku parametrów"), kParametersFilter, false};
const FileDialogSpec kSaveDialogProjekt{QStringLiteral("SaveDialogProjekt"), QStringLiteral("Zapisanie pliku projektu"),
                                        QStringLiteral("Pliki projektu Moravel *.kpr|*.kpr|Wszystkie pliki|*.*"), true};
const FileDialogSpec kOpenDialogProjekt{
    QStringLiteral("OpenDialogProjekt"), QStringLiteral("Otwieranie pliku projektu"),
    QStringLiteral("Pliki projektu Moravel *.kpr|*.kpr|Wszystkie pliki *.*|*.*"), false};
const FileDialogSpec kOpenDialogProjektOpad{QStringLiteral("OpenDialogProjektOpad"),
                                            QStringLiteral("Wybierz plik opadu do projektu"),
                                            QStringLiteral("Pliki danych opadu *.kwp|*.kwp"), false};
const FileDialogSpec kOpenDialogProjektSCS{QStringLiteral("OpenDialogProjektSCS"),
                                           QStringLiteral("Wybierz plik SCS do projektu"),
                                           QStringLiteral("pliki danych SCS *.kws|*.kws"), false};
const FileDialogSpec kOpenDialogProjektParametry{QStringLiteral("OpenDialogProjektParametry"),
                                                 QStringLiteral("Wybierz plik parametrów do projektu"),
                                                 QStringLiteral("pliki danych parametrów *.kwx|*.kwx"), false};

void ConfirmSaved(TFormatkaOkno& window, const QString& path)
{
    window.messages().Info(QStringLiteral("Zapisano dane w pliku ") + path);
}

// The text of hour `hour` that the file stores: the typed effective rainfall in direct mode,
// the rainfall otherwise.
QString StoredRainfallText(const TFormatkaOkno& window, bool effective, int hour)
{
    return effective ? window.EffectiveRainText(hour) : window.RainfallText(hour);
}

void SetStoredRainfallText(TFormatkaOkno& window, bool effective, int hour, const QString& text)
{
    if (effective)
        window.SetEffectiveRainText(hour, text);
    else
        window.SetRainfallText(hour, text);
}

}  // namespace

// ---- Rainfall file

void SaveRainfall(TFormatkaOkno& window)
{
    const std::optional<QString> name = window.AskFile(kSaveDialogOpad);
    if (!name)
        return;
    const QString hourText = window.RainHourCountText();
    const int hours = text::StrToInt(hourText);
    // The record has 399 hour slots; a longer series is refused before anything is written.
    CheckRainfallHourCount(hours);
    RainfallRecord record;
    record.hourCount = hourText;
    record.effective = window.EffectiveRainTyped();
    for (int i = 1; i <= hours; ++i)
        record.hours.append(StoredRainfallText(window, record.effective, i));
    const QString path = *name + QStringLiteral(".kwp");
    WriteRainfallFile(path, record);
    window.MarkStored(DataKind::Rainfall);
    ConfirmSaved(window, path);
}

void LoadRainfall(TFormatkaOkno& window, const QString& path)
{
    const RainfallRecord record = ReadRainfallFile(path);
    window.SetRainHourCountText(record.hourCount);
    // Kind "1" switches into direct mode. A rainfall series (any other kind) leaves direct
    // mode when it is on: its values go into the rainfall column, which direct mode covers
    // and overwrites with placeholders when it is left.
    window.SetEffectiveRainTyped(record.effective);
    const int hours = text::StrToInt(record.hourCount);
    // Hours beyond the record's 399 slots have no value in the file: their cells are emptied
    // (up to the table's own limit), so that nothing of an earlier series stays in them.
    const int filled = std::min(hours, kMaxRainfallHours);
    for (int i = 1; i <= filled; ++i)
        SetStoredRainfallText(window, record.effective, i, record.Hour(i));
    window.Tabela_OpadClick();
    window.MarkStored(DataKind::Rainfall);
}

void OpenRainfall(TFormatkaOkno& window)
{
    if (const std::optional<QString> name = window.AskFile(kOpenDialogOpad))
        LoadRainfall(window, *name);
    else
        window.Tabela_OpadClick();
}

void ClearRainfall(TFormatkaOkno& window)
{
    const bool hasEffectiveColumn = window.HasEffectiveRainColumn();
    // Every hour the table can hold, hidden rows included: a larger hour count typed later
    // must not bring back values of the cleared series.
    for (int r = 1; r <= kMaxRainfallHours; ++r) {
        window.SetRainfallText(r, QString());
        if (hasEffectiveColumn)
            window.SetEffectiveRainText(r, QString());
    }
    // Direct mode keeps its column for the typed effective rainfall, and the placeholder
    // rainfall of its hour, so that it stays usable; otherwise the table drops back to the
    // rainfall column alone.
    const bool direct = window.EffectiveRainTyped() && hasEffectiveColumn;
    if (!direct)
        window.DropEffectiveRainColumn();
    window.SetRainHourCountText(QStringLiteral("1"));
    if (direct)
        window.SetRainfallText(1, QStringLiteral("1"));
    // New data: nothing of it is lost by ending the program.
    window.MarkStored(DataKind::Rainfall);
}

// ---- SCS file

void SaveScs(TFormatkaOkno& window)
{
    const std::optional<QString> name = window.AskFile(kSaveDialogSCS);
    if (!name)
        return;
    ScsRecord record;
    const auto ownClass = window.OwnClassCurveNumberTexts();
    for (int g = 0; g < ScsRecord::kGroups; ++g)
        record.ownClassCn[g] = ownClass[g];
    record.areas = window.LandUseAreaTexts();
    // The whole chosen name: cutting a long path would write somewhere the user didn't ask.
    const QString path = *name + QStringLiteral(".kws");
    WriteScsFile(path, record);
    window.MarkStored(DataKind::LandUse);
    ConfirmSaved(window, path);
    // The stored curve number of the own class on soil group D, as the file holds it.
    const int d = ScsRecord::kGroups - 1;
    window.messages().Info(
        DecodeShortText(EncodeShortText(record.ownClassCn[d], ScsRecord::kFieldWidth), 0, ScsRecord::kFieldWidth));
}

void LoadScs(TFormatkaOkno& window, const QString& path)
{
    const ScsRecord record = ReadScsFile(path);
    for (int g = 0; g < ScsRecord::kGroups; ++g)
        window.SetOwnClassCurveNumberText(g, record.ownClassCn[g]);
    window.SetLandUseAreaTexts(record.areas);
    window.Tabela_SCSClick();
    window.MarkStored(DataKind::LandUse);
}

void OpenScs(TFormatkaOkno& window)
{
    if (const std::optional<QString> name = window.AskFile(kOpenDialogSCS))
        LoadScs(window, *name);
    else
        window.Tabela_SCSClick();
}

void ClearScs(TFormatkaOkno& window)
{
    window.SetLandUseAreaTexts({});
    for (int g = 0; g < ScsRecord::kGroups; ++g)
        window.SetOwnClassCurveNumberText(g, QString());
    window.MarkStored(DataKind::LandUse);
}

// ---- Parameters file

void SaveParameters(TFormatkaOkno& window)
{
    const std::optional<QString> name = window.AskFile(kSaveDialogParametry);
    if (!name)
        return;
    ParametersRecord record;
    const auto texts = window.ParameterTexts();
    for (size_t i = 0; i < texts.size(); ++i)
        record.values[i] = texts[i];
    const QString path = *name + QStringLiteral(".kwx");
    WriteParametersFile(path, record);
    window.MarkStored(DataKind::Parameters);
    ConfirmSaved(window, path);
}

void LoadParameters(TFormatkaOkno& window, const QString& path)
{
    const ParametersRecord record = ReadParametersFile(path);
    for (int i = 0; i < ParametersRecord::kCount; ++i)
        window.SetParameterText(i, record.values[i]);
    window.MarkStored(DataKind::Parameters);
}

void OpenParameters(TFormatkaOkno& window)
{
    if (const std::optional<QString> name = window.AskFile(kOpenDialogParametry))
        LoadParameters(window, *name);
}

void ClearParameters(TFormatkaOkno& window)
{
    for (int i = 0; i < ParametersRecord::kCount; ++i)
        window.SetParameterText(i, QString());
    window.MarkStored(DataKind::Parameters);
}

// ---- Project file

namespace {

void ShowProjectLines(TFormatkaOkno& window, const ProjectPaths& paths)
{
    window.ShowProjectLines(paths.rainfall + QLatin1Char('\n') + paths.scs + QLatin1Char('\n') + paths.parameters);
}

}  // namespace

bool SaveProject(TFormatkaOkno& window)
{
    const std::optional<QString> name = window.AskFile(kSaveDialogProjekt);
    if (!name)
        return false;
    ProjectPaths paths;
    paths.rainfall = window.AskFile(kOpenDialogProjektOpad).value_or(QString());
    paths.scs = window.AskFile(kOpenDialogProjektSCS).value_or(QString());
    paths.parameters = window.AskFile(kOpenDialogProjektParametry).value_or(QString());
    const QString path = *name + QStringLiteral(".kpr");
    // A path with a line break would shift every line after it: refused before anything,
    // the memo included, is written.
    for (const QString& p : {path, paths.rainfall, paths.scs, paths.parameters})
        RequireOneLinePath(p);
    ShowProjectLines(window, paths);
    WriteProjectFile(path, paths);
    ConfirmSaved(window, path);
    return true;
}

bool SaveChangedDataAndProject(TFormatkaOkno& window)
{
    for (const DataKind kind : window.UnsavedKinds()) {
        switch (kind) {
            case DataKind::Rainfall:
                SaveRainfall(window);
                break;
            case DataKind::LandUse:
                SaveScs(window);
                break;
            case DataKind::Parameters:
                SaveParameters(window);
                break;
        }
        if (window.UnsavedKinds().contains(kind))
            return false;  // its dialog was cancelled
    }
    return SaveProject(window);
}

QStringList StoredTextsOf(const TFormatkaOkno& window, DataKind kind)
{
    QStringList texts;
    switch (kind) {
        case DataKind::Rainfall: {
            texts << window.RainHourCountText();
            const bool effective = window.EffectiveRainTyped();
            texts << (effective ? QStringLiteral("1") : QStringLiteral("0"));
            const int hours = std::clamp(text::StrToIntDef(texts.front(), 0), 0, kMaxRainfallHours);
            for (int i = 1; i <= hours; ++i)
                texts << StoredRainfallText(window, effective, i);
            break;
        }
        case DataKind::LandUse: {
            for (const QString& cn : window.OwnClassCurveNumberTexts())
                texts << cn;
            for (const auto& row : window.LandUseAreaTexts())
                for (const QString& cell : row)
                    texts << cell;
            break;
        }
        case DataKind::Parameters:
            for (const QString& value : window.ParameterTexts())
                texts << value;
            break;
    }
    return texts;
}

QString DataKindName(DataKind kind)
{
    switch (kind) {
        case DataKind::Rainfall:
            return QStringLiteral("opad");
        case DataKind::LandUse:
            return QStringLiteral("użytkowanie terenu (SCS)");
        case DataKind::Parameters:
            return QStringLiteral("parametry zlewni");
    }
    return QString();
}

void LoadProject(TFormatkaOkno& window, const QString& path)
{
    const ProjectPaths paths = ReadProjectFile(path);
    ShowProjectLines(window, paths);
    RequireProjectFileName(paths.rainfall, QStringLiteral("opadu"));
    LoadRainfall(window, paths.rainfall);
    RequireProjectFileName(paths.scs, QStringLiteral("SCS"));
    LoadScs(window, paths.scs);
    RequireProjectFileName(paths.parameters, QStringLiteral("parametrów"));
    LoadParameters(window, paths.parameters);
}

void OpenProject(TFormatkaOkno& window)
{
    if (const std::optional<QString> name = window.AskFile(kOpenDialogProjekt))
        LoadProject(window, *name);
}

}  // namespace moravel::window

// ---- The menu handlers of the window: each builds the working panels and runs its command.

void TFormatkaOkno::MenuPlikZapiszProjektClick()
{
    BuildWorkingPanels();
    moravel::window::SaveProject(*this);
}
void TFormatkaOkno::MenuPlikOtworzProjektClick()
{
    BuildWorkingPanels();
    moravel::window::OpenProject(*this);
}
void TFormatkaOkno::MenuOpadNoweDaneClick()
{
    BuildWorkingPanels();
    moravel::window::ClearRainfall(*this);
}
void TFormatkaOkno::MenuOpadZapiszClick()
{
    BuildWorkingPanels();
    moravel::window::SaveRainfall(*this);
}
void TFormatkaOkno::MenuOpadOtworzClick()
{
    BuildWorkingPanels();
    moravel::window::OpenRainfall(*this);
}
void TFormatkaOkno::MenuSCSNoweDaneClick()
{
    BuildWorkingPanels();
    moravel::window::ClearScs(*this);
}
void TFormatkaOkno::MenuSCSZapiszClick()
{
    BuildWorkingPanels();
    moravel::window::SaveScs(*this);
}
void TFormatkaOkno::MenuSCSOtworzClick()
{
    BuildWorkingPanels();
    moravel::window::OpenScs(*this);
}
void TFormatkaOkno::MenuParametryKWNoweDaneClick()
{
    BuildWorkingPanels();
    moravel::window::ClearParameters(*this);
}
void TFormatkaOkno::MenuParametryKWZapiszClick()
{
    BuildWorkingPanels();
    moravel::window::SaveParameters(*this);
}
void TFormatkaOkno::MenuParametryKWOtworzClick()
{
    BuildWorkingPanels();
    moravel::window::OpenParameters(*this);
}
