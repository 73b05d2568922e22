#pragma once
// Reading and writing the data files by name. Every failure throws moravel::Error with a
// Polish text that names the file.
#include "files/ShortTextRecord.h"

#include <QByteArray>
#include <QString>

namespace moravel::files {

// Reads at most `maxSize` bytes from the start of the file (a file larger than a record is
// never read whole). Anything but a readable regular file (a directory, a missing file, a
// device or pipe) throws "Nie można otworzyć pliku <path>".
QByteArray ReadFileStart(const QString& path, qsizetype maxSize);

// A path that holds a NUL names no file the system can reach: throws "Nazwa pliku nie może
// zawierać znaku NUL: <path>" (its control characters escaped, as in every message).
// ReadFileStart and RequireOneLinePath check it first.
void RequireNoNul(const QString& path);

// A path that holds a line break (CR or LF) can't stand on a line of a project file, and a
// file of that name would be named there wrongly: throws "Nazwa pliku nie może zawierać
// znaku końca wiersza: <path>" (the breaks shown as \r and \n). A NUL is refused first.
void RequireOneLinePath(const QString& path);

// Writes `bytes` as the file `path` (a path with a line break is refused first):
// - a new file, or a regular file with one name, is replaced atomically: the bytes go to a
//   new file beside it, which takes the old one's owner, group and mode and is then renamed
//   over it, so a failed save leaves the old file as it was;
// - a regular file with more names than one (hard links) is written in place, so every
//   name sees the new bytes; so is a file where no new file can be made beside it (a folder
//   the user may not add files to, a name too long for a temporary name) or whose owner
//   can't be given to a new one. In place, the new bytes are written over the old ones and
//   the file is cut to their length only after them: an interruption leaves old and new
//   bytes, never an empty or shorter file (the records have one size, so nothing is cut);
// - a character device (say /dev/null, /dev/full) is written as it is, never replaced;
// - a pipe, a socket, a block device or a folder is refused.
// A name that is a symbolic link is its target. Any failure throws "Nie można utworzyć
// pliku <path>".
void WriteFileAtomically(const QString& path, const QByteArray& bytes);

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
