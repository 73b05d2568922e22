#pragma once
// Opening data files from the desktop: files named on the command line (the desktop entry
// passes the double-clicked file) and files dropped on the window. Each opens as its menu
// command opens the file chosen in its dialog.
#include <QString>
#include <QStringList>
#include <optional>

class QObject;
class QWidget;
class TFormatkaOkno;

namespace moravel::window {

enum class DataFileKind { Project, Rainfall, Scs, Parameters };

// The kind of a data file by its extension (.kpr, .kwp, .kws, .kwx; any case), or none.
std::optional<DataFileKind> DataFileKindOf(const QString& path);

// Leaves the welcome picture and opens `path` by its extension as the matching menu command
// would after its dialog; an error, or an unknown extension, is shown as the command shows
// its errors. True when the file was opened.
bool OpenDataFile(TFormatkaOkno& window, const QString& path);

// The program's arguments after its name: each names a file to open (a path or a file://
// address), opened in their order as dropped files are, each with its own message when it
// can't be opened. Empty arguments are skipped.
void OpenFromCommandLine(TFormatkaOkno& window, const QStringList& arguments);

// Data files dropped anywhere on the window are opened with OpenDataFile, in the order given,
// and the drop is a copy; a drop of other files or addresses is refused everywhere, so the
// edits take neither as text. Returns the filter that does it, for controls made later to
// install too.
QObject* BindFileDrops(TFormatkaOkno& window);
// Puts `root` and every control in it under the drop `filter` of BindFileDrops.
void CoverWithFileDrops(QObject* filter, QWidget* root);

}  // namespace moravel::window
