#pragma once
// The one writer of every file the program writes: the data files and the project file, the
// reports and the exports of the windows, and every output of moravel-run. Its rules hold
// whoever makes the bytes:
// - a new file, or a regular file with one name, appears whole or not at all: the bytes go to
//   a temporary file beside it (the same folder, so the same file system), which is synced,
//   takes the old file's owner, group and mode (a new file: 0666 less the umask) and is then
//   renamed over the name;
// - a regular file with more names than one (hard links) is written in place, so that every
//   name sees the new bytes; so is a file where no temporary can be made beside it (a folder
//   the user may change files in but not add to) or whose owner can't be given to a new one.
//   In place, the file's space is reserved before its first byte changes, and on any failure
//   (a full disk, a file-size limit, a short write) its old bytes and length are put back;
// - a character device (say /dev/null) is written as it is, never replaced by a file;
// - a pipe, a socket, a block device or a folder is refused, and so is a name with a line
//   break;
// - a symbolic link is followed: the bytes land in its target and the link stays a link.
// A file-size limit (RLIMIT_FSIZE) makes a write fail instead of ending the program: the
// writer ignores SIGXFSZ from its first use on.
// Every failure throws moravel::Error "Nie można utworzyć pliku <path>"; a name with a line
// break: "Nazwa pliku nie może zawierać znaku końca wiersza: <path>".
#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

namespace moravel::files {

// A path that holds a NUL names no file the system can reach: throws "Nazwa pliku nie może
// zawierać znaku NUL: <path>" (its control characters escaped, as in every message).
void RequireNoNul(const QString& path);

// A NUL is refused first (RequireNoNul); then throws "Nazwa pliku nie może zawierać znaku końca wiersza: <path>" (the breaks shown as \r
// and \n) for a path that holds CR or LF: such a name can't stand on a line of a project file
// or of a message.
void RequireOneLinePath(const QString& path);

// Writes `bytes` as the file `path` under the rules above.
void WriteFileAtomically(const QString& path, const QByteArray& bytes);

// How a folder built under a temporary name was put in its place (PlaceFolder).
enum class FolderPlaced { Done, OldNotMoved, NewNotPlaced };

// Puts the finished folder `staged` (beside `target`, on the same file system) under the name
// `target`. An empty folder at `target` is replaced by the rename itself; a folder the caller
// has found replaceable (`replaceOld`) is first moved aside to `staged` + ".old" and removed
// once the new one stands in its place, or moved back if the new one can't be placed.
FolderPlaced PlaceFolder(const QString& staged, const QString& target, bool replaceOld);

// An output written piece by piece or by a library that writes a file by its name. Nothing
// appears under `path` before Commit; an output not committed leaves no trace but a device's
// bytes already written.
class SafeFile {
public:
    enum class Writer {
        // The caller writes through Device(): a character device directly, anything else
        // into a temporary.
        Stream,
        // A library writes the file named by WorkPath(), always a temporary; Commit copies it
        // into a device or a file written in place, or renames it.
        Library,
    };

    // Refuses at once what can't be written (see above).
    SafeFile(const QString& path, Writer writer);
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // Stream: where to write.
    QIODevice& Device();
    // Library: the name the library writes to (a temporary, which it may replace or truncate).
    const QString& WorkPath() const { return temporary_; }
    const QString& Path() const { return path_; }

    // Puts the bytes in place; throws, leaving the old file as it was, when anything failed.
    void Commit();

private:
    [[noreturn]] void Fail() const;

    QString path_;
    QString temporary_;          // empty when a device is written directly
    bool besideTarget_ = false;  // the temporary may be renamed over the target
    bool committed_ = false;
    std::unique_ptr<QFile> stream_;
};

}  // namespace moravel::files
