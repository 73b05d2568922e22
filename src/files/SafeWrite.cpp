#include "files/SafeWrite.h"

#include "text/Error.h"
#include "text/Shown.h"

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace moravel::files {
namespace {

[[noreturn]] void CannotCreate(const QString& path)
{
    throw Error(QStringLiteral("Nie można utworzyć pliku ") + text::Shown(path));
}

// What a name stands for once its symbolic links are followed.
enum class Kind { New, Single, Linked, Device, Refused };

struct Target {
    QByteArray real;  // the name the bytes land under: the last link's target
    Kind kind = Kind::Refused;
    struct stat st {};
};

QByteArray FolderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

QByteArray BaseNameOf(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// Follows the links of `path` one by one (a dangling link's target is a new file there) and
// says what the last name is.
Target Inspect(const QString& path)
{
    Target t;
    t.real = QFile::encodeName(path);
    for (int links = 0;; ++links) {
        if (::lstat(t.real.constData(), &t.st) != 0) {
            // A missing name is a new file; any other trouble (a parent that is no folder, no
            // access) shows when the file is made.
            t.kind = Kind::New;
            return t;
        }
        if (!S_ISLNK(t.st.st_mode))
            break;
        if (links == 40)  // the system's own bound on a chain of links
            return t;
        QByteArray target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(t.real.constData(), target.data(), static_cast<size_t>(target.size()));
        if (n <= 0 || n >= target.size())
            return t;
        target.truncate(n);
        t.real = target.startsWith('/') ? target : FolderOf(t.real) + '/' + target;
    }
    if (S_ISREG(t.st.st_mode))
        t.kind = t.st.st_nlink > 1 ? Kind::Linked : Kind::Single;
    else if (S_ISCHR(t.st.st_mode))
        t.kind = Kind::Device;
    // A pipe would hold the save until someone read it, a block device is a disk.
    return t;
}

// The bytes to be put in place: `size` of them, read by `read` from an offset.
struct Source {
    qint64 size = 0;
    std::function<bool(qint64 offset, char* to, qint64 count)> read;
};

Source FromBytes(const QByteArray& bytes)
{
    return {bytes.size(), [&bytes](qint64 offset, char* to, qint64 count) {
                std::copy_n(bytes.constData() + offset, count, to);
                return true;
            }};
}

// Repeats `step` (a read or a write of `left` bytes from `done` on, returning its count) until
// `count` bytes are done; false on an error or an end before them.
template <typename Step>
bool Whole(qint64 count, Step step)
{
    for (qint64 done = 0; done < count;) {
        const ssize_t n = step(done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool ReadAll(int fd, char* to, qint64 count, qint64 offset)
{
    return Whole(count, [&](qint64 done, size_t left) { return ::pread(fd, to + done, left, offset + done); });
}

Source FromFile(int fd, qint64 size)
{
    return {size, [fd](qint64 offset, char* to, qint64 count) { return ReadAll(fd, to, count, offset); }};
}

bool WriteAll(int fd, const char* from, qint64 count, qint64 offset, bool positioned)
{
    return Whole(count, [&](qint64 done, size_t left) {
        return positioned ? ::pwrite(fd, from + done, left, offset + done) : ::write(fd, from + done, left);
    });
}

constexpr qint64 kChunk = 1 << 20;

// Copies the source to `fd` from its start, a chunk at a time.
bool CopyInto(int fd, const Source& source, bool positioned)
{
    QByteArray chunk(static_cast<qsizetype>(std::min(kChunk, std::max<qint64>(source.size, 1))), Qt::Uninitialized);
    for (qint64 offset = 0; offset < source.size;) {
        const qint64 count = std::min<qint64>(chunk.size(), source.size - offset);
        if (!source.read(offset, chunk.data(), count) || !WriteAll(fd, chunk.constData(), count, offset, positioned))
            return false;
        offset += count;
    }
    return true;
}

// Opens an existing name for writing without waiting on a pipe that took its place meanwhile.
int OpenExisting(const QByteArray& name, int access, struct stat& st)
{
    const int fd = ::open(name.constData(), access | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return fd;
    if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISCHR(st.st_mode)) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool WriteDevice(const QByteArray& name, const Source& source)
{
    struct stat st {};
    const int fd = OpenExisting(name, O_WRONLY, st);
    if (fd < 0)
        return false;
    const bool ok = S_ISCHR(st.st_mode) && CopyInto(fd, source, false);
    return ::close(fd) == 0 && ok;
}

// Writes the source over the regular file's own contents: the same file, with its owner, mode
// and every name it has. Its old bytes (as far as the new ones reach) are read first and the
// space of the new ones reserved, so that a write that fails midway is undone.
bool WriteInPlace(const QByteArray& name, const Source& source)
{
    struct stat st {};
    int fd = OpenExisting(name, O_RDWR, st);
    bool canRestore = fd >= 0;
    if (fd < 0 && errno == EACCES)  // a file the user may write but not read
        fd = OpenExisting(name, O_WRONLY, st);
    if (fd < 0)
        return false;
    if (S_ISCHR(st.st_mode)) {  // a device took the file's place since it was looked at
        ::close(fd);
        return WriteDevice(name, source);
    }
    const qint64 oldSize = st.st_size;
    QByteArray old;
    if (canRestore) {
        try {
            old.resize(static_cast<qsizetype>(std::min(oldSize, source.size)));
        } catch (const std::bad_alloc&) {
            ::close(fd);
            return false;
        }
        if (!ReadAll(fd, old.data(), old.size(), 0)) {
            ::close(fd);
            return false;
        }
    }
    // Reserving may lengthen the file before it fails; it is cut back.
    if (source.size > 0 && ::posix_fallocate(fd, 0, source.size) != 0) {
        (void)!::ftruncate(fd, oldSize);
        ::close(fd);
        return false;
    }
    bool ok = CopyInto(fd, source, true);
    if (ok && oldSize > source.size)
        ok = ::ftruncate(fd, source.size) == 0;
    if (ok)
        ok = ::fsync(fd) == 0;
    if (!ok && canRestore) {
        (void)WriteAll(fd, old.constData(), old.size(), 0, true);
        (void)!::ftruncate(fd, oldSize);
        (void)::fsync(fd);
    }
    return ::close(fd) == 0 && ok;
}

mode_t Umask()
{
    // The process's status names it without changing it (umask() itself sets it, which
    // another thread making a file at that moment would see).
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("Umask:"))
                return static_cast<mode_t>(std::strtoul(line.mid(6).trimmed().constData(), nullptr, 8));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Makes a temporary beside the name (hidden, on the same file system); a name too long to
// take the temporary's suffix gets a short one. Returns -1 when the folder takes no new file.
int TemporaryBeside(const QByteArray& real, QByteArray& temporary)
{
    const QByteArray folder = FolderOf(real) + '/';
    for (const QByteArray& name : {folder + '.' + BaseNameOf(real) + ".moravel-XXXXXX", folder + ".moravel-XXXXXX"}) {
        temporary = name;
        const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (fd >= 0 || errno != ENAMETOOLONG)
            return fd;
    }
    return -1;
}

// A temporary in the user's temporary folder, for bytes that are copied into their place.
int TemporaryElsewhere(QByteArray& temporary)
{
    temporary = QFile::encodeName(QDir::tempPath()) + "/moravel-XXXXXX";
    return ::mkostemp(temporary.data(), O_CLOEXEC);
}

void IgnoreFileSizeSignal()
{
    static const bool ignored = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)ignored;
}

// How a finished temporary was put in place.
enum class Placed { Not, Renamed, Copied };

// Puts the finished temporary (`fd`, `size` bytes) in place of the target. A temporary beside
// the target is renamed over it unless the target is written in place.
Placed PutInPlace(const QString& path, const QByteArray& temporary, int fd, qint64 size, bool besideTarget)
{
    const Target t = Inspect(path);
    const Source source = FromFile(fd, size);
    const auto copied = [](bool ok) { return ok ? Placed::Copied : Placed::Not; };
    switch (t.kind) {
        case Kind::Refused:
            return Placed::Not;
        case Kind::Device:
            return copied(WriteDevice(t.real, source));
        case Kind::Linked:
            return copied(WriteInPlace(t.real, source));
        case Kind::New:
        case Kind::Single:
            break;
    }
    if (!besideTarget || FolderOf(temporary) != FolderOf(t.real))
        return copied(t.kind == Kind::Single && WriteInPlace(t.real, source));
    // A replaced file keeps its owner, group and mode; only the file itself keeps an owner the
    // user can't give a new one.
    const bool dressed = t.kind == Kind::Single
                             ? ::fchown(fd, t.st.st_uid, t.st.st_gid) == 0 && ::fchmod(fd, t.st.st_mode & 07777) == 0
                             : ::fchmod(fd, 0666 & ~Umask()) == 0;
    if (dressed && ::fsync(fd) == 0 && ::rename(temporary.constData(), t.real.constData()) == 0)
        return Placed::Renamed;
    return copied(t.kind == Kind::Single && WriteInPlace(t.real, source));
}

}  // namespace

void RequireNoNul(const QString& path)
{
    // The system's file names end at a NUL: a name holding one would name another file.
    if (path.contains(QChar(0)))
        throw Error(QStringLiteral("Nazwa pliku nie może zawierać znaku NUL: ") + text::Shown(path));
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
    IgnoreFileSizeSignal();
    if (path.isEmpty())
        CannotCreate(path);
    // What is written in place anyway is written from the bytes at hand, with no temporary.
    const Target t = Inspect(path);
    if (t.kind == Kind::Device || t.kind == Kind::Linked) {
        const bool ok =
            t.kind == Kind::Device ? WriteDevice(t.real, FromBytes(bytes)) : WriteInPlace(t.real, FromBytes(bytes));
        if (!ok)
            CannotCreate(path);
        return;
    }
    SafeFile file(path, SafeFile::Writer::Stream);
    if (file.Device().write(bytes) != bytes.size())
        CannotCreate(path);
    file.Commit();
}

SafeFile::SafeFile(const QString& path, Writer writer) : path_(path)
{
    RequireOneLinePath(path);
    IgnoreFileSizeSignal();
    if (path.isEmpty())
        Fail();
    const Target t = Inspect(path);
    if (t.kind == Kind::Refused)
        Fail();
    if (t.kind == Kind::Device && writer == Writer::Stream) {
        struct stat st {};
        const int fd = OpenExisting(t.real, O_WRONLY, st);
        stream_ = std::make_unique<QFile>();
        if (fd < 0 || !S_ISCHR(st.st_mode) || !stream_->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            if (fd >= 0)
                ::close(fd);
            Fail();
        }
        return;
    }
    // A device's bytes are copied into it, so its temporary needs no place beside it (and
    // the folder of a device is seldom one for files).
    QByteArray temporary;
    int fd = t.kind == Kind::Device ? -1 : TemporaryBeside(t.real, temporary);
    besideTarget_ = fd >= 0;
    if (fd < 0 && t.kind != Kind::New)
        fd = TemporaryElsewhere(temporary);
    if (fd < 0)
        Fail();
    temporary_ = QFile::decodeName(temporary);
    if (writer == Writer::Library) {
        ::close(fd);
        return;
    }
    stream_ = std::make_unique<QFile>();
    if (!stream_->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        Fail();
    }
}

SafeFile::~SafeFile()
{
    stream_.reset();
    if (!committed_ && !temporary_.isEmpty())
        ::unlink(QFile::encodeName(temporary_).constData());
}

QIODevice& SafeFile::Device()
{
    return *stream_;
}

void SafeFile::Fail() const
{
    CannotCreate(path_);
}

void SafeFile::Commit()
{
    qint64 written = -1;
    if (stream_) {
        // A short write anywhere shows as an error of the file or as fewer bytes in it than
        // were handed to it.
        if (!stream_->flush() || stream_->error() != QFileDevice::NoError)
            Fail();
        written = stream_->pos();
        if (temporary_.isEmpty()) {  // a device, written directly
            stream_.reset();
            committed_ = true;
            return;
        }
        stream_.reset();
    }
    const QByteArray temporary = QFile::encodeName(temporary_);
    const int fd = ::open(temporary.constData(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0)
        Fail();
    const bool whole = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (written < 0 || st.st_size == written);
    const Placed placed = whole ? PutInPlace(path_, temporary, fd, st.st_size, besideTarget_) : Placed::Not;
    ::close(fd);
    if (placed == Placed::Not)
        Fail();
    // A renamed temporary is the file now; one copied into place goes.
    if (placed == Placed::Copied)
        ::unlink(temporary.constData());
    committed_ = true;
}

FolderPlaced PlaceFolder(const QString& staged, const QString& target, bool replaceOld)
{
    const QByteArray name = QFile::encodeName(target);
    const QString old = staged + QStringLiteral(".old");
    if (replaceOld && std::rename(name.constData(), QFile::encodeName(old).constData()) != 0)
        return FolderPlaced::OldNotMoved;
    if (std::rename(QFile::encodeName(staged).constData(), name.constData()) != 0) {
        if (replaceOld)
            std::rename(QFile::encodeName(old).constData(), name.constData());
        return FolderPlaced::NewNotPlaced;
    }
    if (replaceOld)
        QDir(old).removeRecursively();
    return FolderPlaced::Done;
}

}  // namespace moravel::files
