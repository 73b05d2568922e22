#include "files/ZapisOdczytDanych.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <utility>

#include "files/DataFiles.h"
#include "text/Error.h"
#include "text/NumText.h"
#include "window/FormatkaUi.h"
#include "window/Formatka.h"
#include "window/StringGrid.h"

using moravel::window::StringGrid;

using moravel::window::FileDialogSpec;

namespace moravel::files {
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

std::array<QLineEdit*, ScsRecord::kGroups> OwnClassEdits(TFormatkaOkno& window)
{
    Ui::TFormatkaOkno& ui = *window.ui;
    return {ui.EditSCSA, ui.EditSCSB, ui.EditSCSC, ui.EditSCSD};
}

// The column of the rainfall table that the file stores: the typed effective rainfall in
// direct mode, the rainfall otherwise.
int StoredRainfallColumn(bool effective)
{
    return effective ? 2 : 1;
}

// A project line that names no file: the project was saved with that choosing dialog
// cancelled.
void RequireProjectFileName(const QString& path, const QString& kind)
{
    if (path.isEmpty())
        throw Error(QStringLiteral("Nie można otworzyć pliku %1: projekt nie podaje jego nazwy").arg(kind));
}

}  // namespace

// ---- Rainfall file

void SaveRainfall(TFormatkaOkno& window)
{
    const std::optional<QString> name = window.AskFile(kSaveDialogOpad);
    if (!name)
        return;
    Ui::TFormatkaOkno& ui = *window.ui;
    const QString hourText = ui.Edit_Liczba_godzin_opadu->text();
    const int hours = text::StrToInt(hourText);
    // The record has 399 hour slots; a longer series is refused before anything is written.
    CheckRainfallHourCount(hours);
    RainfallRecord record;
    record.hourCount = hourText;
    record.effective = ui.CheckBoxOpad->isChecked();
    const int column = StoredRainfallColumn(record.effective);
    for (int i = 1; i <= hours; ++i)
        record.hours.append(ui.Tabela_Opad->Cell(column, i));
    const QString path = *name + QStringLiteral(".kwp");
    WriteRainfallFile(path, record);
    ConfirmSaved(window, path);
}

void LoadRainfall(TFormatkaOkno& window, const QString& path)
{
    const RainfallRecord record = ReadRainfallFile(path);
    Ui::TFormatkaOkno& ui = *window.ui;
    window.SetText(ui.Edit_Liczba_godzin_opadu, record.hourCount);
    // Kind "1" switches into direct mode. A rainfall series (any other kind) leaves direct
    // mode when it is on: its values go into the rainfall column, which direct mode covers
    // and overwrites with placeholders when it is left.
    window.SetChecked(ui.CheckBoxOpad, record.effective);
    const int hours = text::StrToInt(record.hourCount);
    const int column = StoredRainfallColumn(record.effective);
    // Hours beyond the record's 399 slots have no value in the file: their cells are emptied
    // (up to the table's own limit), so that nothing of an earlier series stays in them.
    const int filled = std::min(hours, kMaxRainfallHours);
    for (int i = 1; i <= filled; ++i)
        ui.Tabela_Opad->SetCell(column, i, record.Hour(i));
    window.Tabela_OpadClick();
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
    Ui::TFormatkaOkno& ui = *window.ui;
    StringGrid* table = ui.Tabela_Opad;
    const bool hasEffectiveColumn = table->ColCount() == 3;
    // Every hour the table can hold, hidden rows included: a larger hour count typed later
    // must not bring back values of the cleared series.
    for (int r = 1; r <= kMaxRainfallHours; ++r) {
        table->SetCell(1, r, QString());
        if (hasEffectiveColumn)
            table->SetCell(2, r, QString());
    }
    // Direct mode keeps its column for the typed effective rainfall, and the placeholder
    // rainfall of its hour, so that it stays usable; otherwise the table drops back to the
    // rainfall column alone.
    const bool direct = ui.CheckBoxOpad->isChecked() && hasEffectiveColumn;
    if (!direct)
        table->SetColCount(2);
    window.SetText(ui.Edit_Liczba_godzin_opadu, QStringLiteral("1"));
    if (direct)
        table->SetCell(1, 1, QStringLiteral("1"));
}

// ---- SCS file

void SaveScs(TFormatkaOkno& window)
{
    const std::optional<QString> name = window.AskFile(kSaveDialogSCS);
    if (!name)
        return;
    ScsRecord record;
    const auto edits = OwnClassEdits(window);
    for (int g = 0; g < ScsRecord::kGroups; ++g)
        record.ownClassCn[g] = edits[g]->text();
    for (int r = 0; r < ScsRecord::kRows; ++r)
        for (int g = 0; g < ScsRecord::kGroups; ++g)
            record.areas[r][g] = window.ui->Tabela_SCS->Cell(g, r);
    // The whole chosen name: cutting a long path would write somewhere the user didn't ask.
    const QString path = *name + QStringLiteral(".kws");
    WriteScsFile(path, record);
    ConfirmSaved(window, path);
    // The stored curve number of the own class on soil group D, as the file holds it.
    const int d = ScsRecord::kGroups - 1;
    window.messages().Info(
        DecodeShortText(EncodeShortText(record.ownClassCn[d], ScsRecord::kFieldWidth), 0, ScsRecord::kFieldWidth));
}

void LoadScs(TFormatkaOkno& window, const QString& path)
{
    const ScsRecord record = ReadScsFile(path);
    const auto edits = OwnClassEdits(window);
    for (int g = 0; g < ScsRecord::kGroups; ++g)
        window.SetText(edits[g], record.ownClassCn[g]);
    for (int r = 0; r < ScsRecord::kRows; ++r)
        for (int g = 0; g < ScsRecord::kGroups; ++g)
            window.ui->Tabela_SCS->SetCell(g, r, record.areas[r][g]);
    window.Tabela_SCSClick();
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
    for (int r = 0; r < ScsRecord::kRows; ++r)
        for (int g = 0; g < ScsRecord::kGroups; ++g)
            window.ui->Tabela_SCS->SetCell(g, r, QString());
    for (QLineEdit* edit : OwnClassEdits(window))
        window.SetText(edit, QString());
}

// ---- Parameters file

void SaveParameters(TFormatkaOkno& window)
{
    const std::optional<QString> name = window.AskFile(kSaveDialogParametry);
    if (!name)
        return;
    ParametersRecord record;
    const auto edits = window.ParameterEdits();
    for (size_t i = 0; i < edits.size(); ++i)
        record.values[i] = edits[i]->text();
    const QString path = *name + QStringLiteral(".kwx");
    WriteParametersFile(path, record);
    ConfirmSaved(window, path);
}

void LoadParameters(TFormatkaOkno& window, const QString& path)
{
    const ParametersRecord record = ReadParametersFile(path);
    const auto edits = window.ParameterEdits();
    for (size_t i = 0; i < edits.size(); ++i)
        window.SetText(edits[i], record.values[i]);
}

void OpenParameters(TFormatkaOkno& window)
{
    if (const std::optional<QString> name = window.AskFile(kOpenDialogParametry))
        LoadParameters(window, *name);
}

void ClearParameters(TFormatkaOkno& window)
{
    for (QLineEdit* edit : window.ParameterEdits())
        window.SetText(edit, QString());
}

// ---- Project file

namespace {

void ShowProjectLines(TFormatkaOkno& window, const ProjectPaths& paths)
{
    window.ui->Memo_Save_Projekt->setPlainText(paths.rainfall + QLatin1Char('\n') + paths.scs + QLatin1Char('\n') +
                                               paths.parameters);
}

}  // namespace

void SaveProject(TFormatkaOkno& window)
{
    const std::optional<QString> name = window.AskFile(kSaveDialogProjekt);
    if (!name)
        return;
    ProjectPaths paths;
    paths.rainfall = window.AskFile(kOpenDialogProjektOpad).value_or(QString());
    paths.scs = window.AskFile(kOpenDialogProjektSCS).value_or(QString());
    paths.parameters = window.AskFile(kOpenDialogProjektParametry).value_or(QString());
    const QString path = *name + QStringLiteral(".kpr");
    ShowProjectLines(window, paths);
    WriteProjectFile(path, paths);
    ConfirmSaved(window, path);
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

// ---- Menu

void BindFileCommands(TFormatkaOkno& window)
{
    Ui::TFormatkaOkno& ui = *window.ui;
    const std::pair<QAction*, void (TFormatkaOkno::*)()> items[] = {
        {ui.MenuPlikZapiszProjekt, &TFormatkaOkno::MenuPlikZapiszProjektClick},
        {ui.MenuPlikOtworzProjekt, &TFormatkaOkno::MenuPlikOtworzProjektClick},
        {ui.MenuOpadNoweDane, &TFormatkaOkno::MenuOpadNoweDaneClick},
        {ui.MenuOpadZapisz, &TFormatkaOkno::MenuOpadZapiszClick},
        {ui.MenuOpadOtworz, &TFormatkaOkno::MenuOpadOtworzClick},
        {ui.MenuSCSNoweDane, &TFormatkaOkno::MenuSCSNoweDaneClick},
        {ui.MenuSCSZapisz, &TFormatkaOkno::MenuSCSZapiszClick},
        {ui.MenuSCSOtworz, &TFormatkaOkno::MenuSCSOtworzClick},
        {ui.MenuParametryKWNoweDane, &TFormatkaOkno::MenuParametryKWNoweDaneClick},
        {ui.MenuParametryKWZapisz, &TFormatkaOkno::MenuParametryKWZapiszClick},
        {ui.MenuParametryKWOtworz, &TFormatkaOkno::MenuParametryKWOtworzClick},
    };
    for (const auto& [action, handler] : items) {
        QObject::connect(action, &QAction::triggered, &window,
                         [&window, handler = handler] { window.Guarded([&window, handler] { (window.*handler)(); }); });
        action->setEnabled(true);
    }
}

}  // namespace moravel::files

// ---- The menu handlers of the window: each only runs its command.

void TFormatkaOkno::MenuPlikZapiszProjektClick()
{
    moravel::files::SaveProject(*this);
}
void TFormatkaOkno::MenuPlikOtworzProjektClick()
{
    moravel::files::OpenProject(*this);
}
void TFormatkaOkno::MenuOpadNoweDaneClick()
{
    moravel::files::ClearRainfall(*this);
}
void TFormatkaOkno::MenuOpadZapiszClick()
{
    moravel::files::SaveRainfall(*this);
}
void TFormatkaOkno::MenuOpadOtworzClick()
{
    moravel::files::OpenRainfall(*this);
}
void TFormatkaOkno::MenuSCSNoweDaneClick()
{
    moravel::files::ClearScs(*this);
}
void TFormatkaOkno::MenuSCSZapiszClick()
{
    moravel::files::SaveScs(*this);
}
void TFormatkaOkno::MenuSCSOtworzClick()
{
    moravel::files::OpenScs(*this);
}
void TFormatkaOkno::MenuParametryKWNoweDaneClick()
{
    moravel::files::ClearParameters(*this);
}
void TFormatkaOkno::MenuParametryKWZapiszClick()
{
    moravel::files::SaveParameters(*this);
}
void TFormatkaOkno::MenuParametryKWOtworzClick()
{
    moravel::files::OpenParameters(*this);
}
