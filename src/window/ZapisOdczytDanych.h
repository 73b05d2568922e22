#pragma once
// The window's commands for the data files: save, open and clear of the rainfall, SCS and
// parameters files, and save and open of the project file. Each command copies texts
// between the window's controls and a file; the opens set the controls through the window's
// SetText / SetChecked, so the controls' handlers run as if the user had typed the values,
// and then refresh the tables that were filled cell by cell.
//
// Errors are not caught here: a file that can't be opened or created, or a text that is not
// a number where one is needed, throws moravel::Error and ends the command at that point.
#include <QString>
#include <QStringList>

class TFormatkaOkno;

namespace moravel::window {

// The three kinds of data, each saved to and opened from a file of its own.
enum class DataKind { Rainfall, LandUse, Parameters };
constexpr DataKind kDataKinds[] = {DataKind::Rainfall, DataKind::LandUse, DataKind::Parameters};

// What a save of `kind` would store now, as texts, without the save's checks: the window
// compares it with what was stored or opened last to tell whether work would be lost. Only
// what the file holds counts, so a computation (the effective-rainfall column, the captions)
// never makes a difference.
QStringList StoredTextsOf(const TFormatkaOkno& window, DataKind kind);
// The kind's name in the question before closing ("opad", ...).
QString DataKindName(DataKind kind);

// ---- Rainfall file (.kwp)
void SaveRainfall(TFormatkaOkno& window);
void OpenRainfall(TFormatkaOkno& window);
void ClearRainfall(TFormatkaOkno& window);
// Reads the rainfall file `path` into the table and refreshes it (the open after its dialog).
void LoadRainfall(TFormatkaOkno& window, const QString& path);

// ---- SCS file (.kws)
void SaveScs(TFormatkaOkno& window);
void OpenScs(TFormatkaOkno& window);
void ClearScs(TFormatkaOkno& window);
void LoadScs(TFormatkaOkno& window, const QString& path);

// ---- Parameters file (.kwx)
void SaveParameters(TFormatkaOkno& window);
void OpenParameters(TFormatkaOkno& window);
void ClearParameters(TFormatkaOkno& window);
void LoadParameters(TFormatkaOkno& window, const QString& path);

// ---- Project file (.kpr)
// True when the project file was written (not when a dialog was cancelled).
bool SaveProject(TFormatkaOkno& window);
// Saves every kind of data that has changed since it was last stored or opened, each with
// its own save dialog, then the project file naming them. False when the user cancelled a
// dialog on the way (what was saved before it stays saved).
bool SaveChangedDataAndProject(TFormatkaOkno& window);
void OpenProject(TFormatkaOkno& window);
// Loads the rainfall, SCS and parameters files that the project file `path` names, in this
// order; an error at one of them leaves the earlier ones loaded and the later ones untouched.
void LoadProject(TFormatkaOkno& window, const QString& path);

}  // namespace moravel::window
