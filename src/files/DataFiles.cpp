#include "files/DataFiles.h"

#include "files/Cp1250.h"
#include "text/Error.h"
#include "text/Shown.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace moravel::files {
namespace {

[[noreturn]] void CannotOpen(const QString& path)
{
    throw Error(QStringLiteral("Nie można otworzyć pliku ") + text::Shown(path));
}

[[noreturn]] void CannotCreate(const QString& path)
{
    throw Error(QStringLiteral("Nie można utworzyć pliku ") + text::Shown(path));
}

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// The folder a project file's relative paths are resolved against: the folder of the file
// its bytes are in. A project named through a symbolic link is saved into the link's target
// (the link stays), so its paths are stored relative to the target's folder and read back
// against it, whichever name the project is opened by later.
QDir ProjectFolder(const QString& projectPath)
{
    QFileInfo file(projectPath);
    // A chain of links, followed as the system does (which gives up after 40).
    for (int links = 0; links < 40 && file.isSymLink(); ++links)
        file.setFile(file.symLinkTarget());
    return file.absoluteDir();
}

// Whether a path stored in a project is absolute. Only a leading '/' counts: Qt would also
// take ":name" as absolute (a path inside the program's own resources), but in a project it
// is a file of that name in the project's folder.
bool IsAbsolute(const QString& path)
{
    return path.startsWith(QLatin1Char('/'));
}

QString StoredPath(const QString& path, const QString& projectPath)
{
    if (path.isEmpty())
        return path;
    const QDir folder = ProjectFolder(projectPath);
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString relative = folder.relativeFilePath(absolute);
    if (relative.isEmpty() || IsAbsolute(relative) || relative == QLatin1String("..") ||
        relative.startsWith(QLatin1String("../")))
        return path;
    return relative;
}

QString ResolvedPath(const QString& stored, const QString& projectPath)
{
    if (stored.isEmpty() || IsAbsolute(stored))
        return stored;
    return QDir::cleanPath(ProjectFolder(projectPath).absolutePath() + QLatin1Char('/') + stored);
}

// Writes the bytes over the file's own contents from its start, creating it when it is
// missing. The file stays the same file, with its owner, mode and every name it has. It is
// not emptied first: a regular file is cut to the new length only once every new byte is
// in, so a write that stops midway leaves the new bytes followed by the old ones.
bool WriteInPlace(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = true;
    for (qsizetype done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        done += ok ? n : 0;
    }
    struct stat now {};
    if (ok && ::fstat(fd, &now) == 0 && S_ISREG(now.st_mode) && now.st_size > bytes.size())
        ok = ::ftruncate(fd, bytes.size()) == 0;
    if (ok && ::fstat(fd, &now) == 0 && S_ISREG(now.st_mode))
        ok = ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

// How an existing name is written: replaced by a new file, written in place, or refused.
enum class Target { Replace, InPlace, Refuse };

Target TargetOf(const QString& path)
{
    struct stat old {};
    // The name's target, through any symbolic links; a missing one is a new file.
    if (::stat(QFile::encodeName(path).constData(), &old) != 0)
        return Target::Replace;
    if (S_ISREG(old.st_mode))
        return old.st_nlink > 1 ? Target::InPlace : Target::Replace;
    if (S_ISCHR(old.st_mode))
        return Target::InPlace;
    // A pipe would hold the save until someone read it, a block device is a disk.
    return Target::Refuse;
}

// Gives a new file the owner, group and mode of the file it is to replace.
bool TakeOverOwnerAndMode(int fd, const struct stat& old)
{
    return fd >= 0 && ::fchown(fd, old.st_uid, old.st_gid) == 0 && ::fchmod(fd, old.st_mode & 07777) == 0;
}

}  // namespace

void RequireNoNul(const QString& path)
{
    // The system's file names end at a NUL: a name holding one would name another file.
    if (path.contains(QChar(0)))
        throw Error(QStringLiteral("Nazwa pliku nie może zawierać znaku NUL: ") + text::Shown(path));
}

QByteArray ReadFileStart(const QString& path, qsizetype maxSize)
{
    RequireNoNul(path);
    const QFileInfo info(path);
    // Only regular files: a directory cannot be read, and a pipe or device could block or
    // never end.
    if (path.isEmpty() || !info.isFile())
        CannotOpen(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        CannotOpen(path);
    QByteArray bytes = file.read(maxSize);
    if (file.error() != QFileDevice::NoError)
        CannotOpen(path);
    return bytes;
}

void RequireOneLinePath(const QString& path)
{
    RequireNoNul(path);
    if (path.contains(QLatin1Char('\r')) || path.contains(QLatin1Char('\n')))
        throw Error(QStringLiteral("Nazwa pliku nie może zawierać znaku końca wiersza: ") + text::Shown(path));
}

void WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    RequireOneLinePath(path);
    if (path.isEmpty())
        CannotCreate(path);
    switch (TargetOf(path)) {
        case Target::Refuse:
            CannotCreate(path);
        case Target::InPlace:
            if (!WriteInPlace(path, bytes))
                CannotCreate(path);
            return;
        case Target::Replace:
            break;
    }
    struct stat old {};
    const bool replacing = ::stat(QFile::encodeName(path).constData(), &old) == 0 && S_ISREG(old.st_mode);

    QSaveFile file(path);
    // Unbuffered, so that a short write (a full disk, a file-size limit) shows in the count
    // returned here; a buffered QSaveFile has been seen to commit a cut file as a success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // No new file can be made in the folder (one the user may change files in but not
        // add to): the file itself is written.
        if (file.error() == QFileDevice::OpenError && WriteInPlace(path, bytes))
            return;
        CannotCreate(path);
    }
    if (replacing && !TakeOverOwnerAndMode(file.handle(), old)) {
        // Only the file itself keeps an owner the user cannot give a new file.
        file.cancelWriting();
        (void)file.commit();
        if (WriteInPlace(path, bytes))
            return;
        CannotCreate(path);
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        CannotCreate(path);
    }
    if (!file.commit()) {
        // Every byte was written, but the new file could not be given the name (its
        // temporary name beside it may be longer than a name can be): the file itself is
        // written. A failed write is never retried: the old file stays as it was.
        const QFileDevice::FileError error = file.error();
        if (error != QFileDevice::WriteError && error != QFileDevice::ResourceError && WriteInPlace(path, bytes))
            return;
        CannotCreate(path);
    }
}

RainfallRecord ReadRainfallFile(const QString& path)
{
    return RainfallRecord::Decode(ReadFileStart(path, RainfallRecord::kSize));
}

ScsRecord ReadScsFile(const QString& path)
{
    return ScsRecord::Decode(ReadFileStart(path, ScsRecord::kSize));
}

ParametersRecord ReadParametersFile(const QString& path)
{
    return ParametersRecord::Decode(ReadFileStart(path, ParametersRecord::kSize));
}

void WriteRainfallFile(const QString& path, const RainfallRecord& record)
{
    WriteFileAtomically(path, record.Encode());
}

void WriteScsFile(const QString& path, const ScsRecord& record)
{
    WriteFileAtomically(path, record.Encode());
}

void WriteParametersFile(const QString& path, const ParametersRecord& record)
{
    WriteFileAtomically(path, record.Encode());
}

QByteArray EncodeProject(const ProjectPaths& paths, const QString& projectPath)
{
    QString text;
    for (const QString* p : {&paths.rainfall, &paths.scs, &paths.parameters})
        text += StoredPath(*p, projectPath) + QStringLiteral("\r\n");
    // A path must come back exactly as it was (not even recomposed), and Windows-1250 text
    // must not start like the byte-order mark that announces UTF-8.
    const QByteArray cp1250 = ToCp1250(text);
    if (FromCp1250(cp1250) == text && !cp1250.startsWith(kUtf8Bom))
        return cp1250;
    return kUtf8Bom + text.toUtf8();
}

ProjectPaths DecodeProject(const QByteArray& bytes, const QString& projectPath)
{
    QString text;
    if (bytes.startsWith(kUtf8Bom)) {
        // Only the one mark is dropped; a path may itself begin with U+FEFF.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        text = utf8.decode(QByteArrayView(bytes).sliced(kUtf8Bom.size()));
    } else {
        text = FromCp1250(bytes);
    }
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < text.size() && lines.size() < 3; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            lines.append(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (lines.size() < 3 && !line.isEmpty())
        lines.append(line);
    while (lines.size() < 3)
        lines.append(QString());
    return {ResolvedPath(lines[0], projectPath), ResolvedPath(lines[1], projectPath),
            ResolvedPath(lines[2], projectPath)};
}

ProjectPaths ReadProjectFile(const QString& path)
{
    return DecodeProject(ReadFileStart(path, kMaxProjectFileSize), path);
}

void WriteProjectFile(const QString& path, const ProjectPaths& paths)
{
    for (const QString* p : {&paths.rainfall, &paths.scs, &paths.parameters})
        RequireOneLinePath(*p);
    WriteFileAtomically(path, EncodeProject(paths, path));
}

}  // namespace moravel::files
