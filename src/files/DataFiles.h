#pragma once
// Reading and writing the data files by name. Every failure throws moravel::Error with a
// Polish text that names the file.
#include "files/SafeWrite.h"
#include "files/ShortTextRecord.h"

#include <QByteArray>
#include <QString>

namespace moravel::files {

// Reads at most `maxSize` bytes from the start of the file (a file larger than a record is
// never read whole). Anything but a readable regular file (a directory, a missing file, a
// device or pipe) throws "Nie można otworzyć pliku <path>".
QByteArray ReadFileStart(const QString& path, qsizetype maxSize);

// The data files and the project file are written by the program's one writer
// (SafeWrite.h: WriteFileAtomically, RequireOneLinePath).

RainfallRecord ReadRainfallFile(const QString& path);
ScsRecord ReadScsFile(const QString& path);
ParametersRecord ReadParametersFile(const QString& path);
void WriteRainfallFile(const QString& path, const RainfallRecord& record);
void WriteScsFile(const QString& path, const ScsRecord& record);
void WriteParametersFile(const QString& path, const ParametersRecord& record);

// Project file (.kpr): the paths of a rainfall, an SCS and a parameters file, one a line.
struct ProjectPaths {
    QString rainfall;
    QString scs;
    QString parameters;
};

// The file's text: three lines, each ended by CR LF, in Windows-1250. A data file lying in
// the project file's folder or below it is stored relative to that folder (with '/'), so
// the case folder can be moved as a whole; any other path and an empty one are stored as
// given. When a path holds a character Windows-1250 cannot hold, the text is written in
// UTF-8 behind a byte-order mark instead, so that no path is lost.
QByteArray EncodeProject(const ProjectPaths& paths, const QString& projectPath);

// Reads the text of a project file: lines end in CR LF, LF or CR; a missing line is an empty
// path. A relative path is resolved against the project file's folder; an absolute or empty
// one is taken as it is.
ProjectPaths DecodeProject(const QByteArray& bytes, const QString& projectPath);

// The largest project file looked at; three paths never come near it.
inline constexpr qsizetype kMaxProjectFileSize = 64 * 1024;

ProjectPaths ReadProjectFile(const QString& path);
void WriteProjectFile(const QString& path, const ProjectPaths& paths);

}  // namespace moravel::files
