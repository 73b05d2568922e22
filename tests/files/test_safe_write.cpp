// The one writer of every output: what each kind of name ends as, the names it refuses, and
// what a file-size limit or a full file system leaves behind. Every case runs the three ways
// bytes reach the writer: whole, streamed, and written by a library under a name of its own.
#include "ChildProcess.h"
#include "files/SafeWrite.h"
#include "text/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using namespace moravel::files;
using moravel::files::testing::InChild;
using moravel::files::testing::SaveInFolderThatTakesNoNewFile;

namespace {

enum class Way { Whole, Stream, Library };
constexpr Way kWays[] = {Way::Whole, Way::Stream, Way::Library};

const char* NameOf(Way way)
{
    return way == Way::Whole ? "whole" : way == Way::Stream ? "streamed" : "by a library";
}

// Writes `bytes` as `path` one of the three ways; the error's text, or "" when it succeeded.
// The library is one that writes a file by its name and says when a write fails, as
// libxlsxwriter and libnetcdf do.
QString WriteBy(Way way, const QString& path, const QByteArray& bytes)
{
    try {
        switch (way) {
            case Way::Whole:
                WriteFileAtomically(path, bytes);
                break;
            case Way::Stream: {
                SafeFile file(path, SafeFile::Writer::Stream);
                file.Device().write(bytes.left(bytes.size() / 2));
                file.Device().write(bytes.mid(bytes.size() / 2));
                file.Commit();
                break;
            }
            case Way::Library: {
                SafeFile file(path, SafeFile::Writer::Library);
                QFile out(file.WorkPath());
                if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size() ||
                    !out.flush())
                    return QStringLiteral("<the library's write failed>");
                out.close();
                file.Commit();
                break;
            }
        }
    } catch (const moravel::Error& e) {
        return e.text();
    }
    return QString();
}

struct stat Lstat(const QString& path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

QByteArray Get(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void Put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

void Link(const QString& from, const QString& to)
{
    ASSERT_EQ(::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()), 0);
}

void Symlink(const QString& target, const QString& name)
{
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(name).constData()), 0);
}

// The writer's temporaries left in a folder: every name of its making.
QStringList Leftovers(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*moravel-*")}, QDir::AllEntries | QDir::Hidden | QDir::System);
}

QString CannotCreate(const QString& path)
{
    return QStringLiteral("Nie można utworzyć pliku ") + path;
}

// Runs `write` in a child process whose files are limited to `bytes` (SIGXFSZ ignored, so a
// write beyond fails as it would on a full disk), from the start or, with `then`, after
// `write` and before `then`.
QString InChildWithFileSizeLimit(rlim_t bytes, const std::function<QString()>& write,
                                 const std::function<QString()>& then = {})
{
    return InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = bytes;
        if (!then)
            return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? write() : QStringLiteral("<no limit>");
        const QString first = write();
        if (!first.isEmpty())
            return first;
        return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? then() : QStringLiteral("<no limit>");
    });
}

// Names the temporary folder (TMPDIR) for as long as it lives.
class TemporaryFolderNamed {
public:
    explicit TemporaryFolderNamed(const QString& folder) : saved_(qgetenv("TMPDIR"))
    {
        qputenv("TMPDIR", QFile::encodeName(folder));
    }
    ~TemporaryFolderNamed()
    {
        if (saved_.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", saved_);
    }

private:
    QByteArray saved_;
};

class SafeWrite : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

TEST_F(SafeWrite, EachKindOfNameEndsAsItShould)
{
    const mode_t mask = ::umask(022);
    const QByteArray old(300, 'o');
    const QByteArray longer(5000, 'n');
    const QByteArray shorter("nowe\r\n");
    for (const Way way : kWays) {
        SCOPED_TRACE(NameOf(way));
        ASSERT_TRUE(QDir(dir_.path()).removeRecursively() && QDir().mkpath(dir_.path()));

        // A new file: whole, with the mode a plain new file gets.
        EXPECT_EQ(WriteBy(way, Path("nowy.csv"), longer), QString());
        EXPECT_EQ(Get(Path("nowy.csv")), longer);
        EXPECT_EQ(Lstat(Path("nowy.csv")).st_mode & 07777, 0644u);

        // A file with one name: replaced by a new file that keeps its mode.
        Put(Path("jeden.csv"), old);
        ASSERT_EQ(::chmod(QFile::encodeName(Path("jeden.csv")).constData(), 0640), 0);
        const ino_t single = Lstat(Path("jeden.csv")).st_ino;
        EXPECT_EQ(WriteBy(way, Path("jeden.csv"), shorter), QString());
        EXPECT_EQ(Get(Path("jeden.csv")), shorter);
        EXPECT_NE(Lstat(Path("jeden.csv")).st_ino, single);
        EXPECT_EQ(Lstat(Path("jeden.csv")).st_mode & 07777, 0640u);

        // A file with two names: written in place, so both see it, longer or shorter.
        Put(Path("dwa.csv"), old);
        Link(Path("dwa.csv"), Path("drugie.csv"));
        const ino_t linked = Lstat(Path("dwa.csv")).st_ino;
        for (const QByteArray& bytes : {longer, shorter}) {
            EXPECT_EQ(WriteBy(way, Path("dwa.csv"), bytes), QString());
            EXPECT_EQ(Get(Path("drugie.csv")), bytes);
            EXPECT_EQ(Lstat(Path("dwa.csv")).st_ino, linked);
            EXPECT_EQ(Lstat(Path("dwa.csv")).st_nlink, 2u);
        }

        // Symbolic links are followed: the bytes land in the target, the links stay links,
        // through a chain, a relative link and one whose target does not exist yet.
        ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("cel")));
        Put(Path("cel/plik.csv"), old);
        Symlink(Path("cel/plik.csv"), Path("do_pliku.csv"));
        Symlink(QStringLiteral("do_pliku.csv"), Path("do_do_pliku.csv"));
        Symlink(QStringLiteral("cel/brak.csv"), Path("do_braku.csv"));
        Symlink(Path("dwa.csv"), Path("do_dwa.csv"));
        EXPECT_EQ(WriteBy(way, Path("do_do_pliku.csv"), longer), QString());
        EXPECT_EQ(Get(Path("cel/plik.csv")), longer);
        EXPECT_EQ(WriteBy(way, Path("do_braku.csv"), shorter), QString());
        EXPECT_EQ(Get(Path("cel/brak.csv")), shorter);
        EXPECT_EQ(WriteBy(way, Path("do_dwa.csv"), longer), QString());
        EXPECT_EQ(Get(Path("drugie.csv")), longer);
        for (const char* link : {"do_pliku.csv", "do_do_pliku.csv", "do_braku.csv", "do_dwa.csv"})
            EXPECT_TRUE(S_ISLNK(Lstat(Path(QString::fromLatin1(link))).st_mode)) << link;
        EXPECT_TRUE(S_ISREG(Lstat(Path("cel/plik.csv")).st_mode));

        EXPECT_EQ(Leftovers(dir_.path()), QStringList());
        EXPECT_EQ(Leftovers(Path("cel")), QStringList());
    }
    ::umask(mask);
}

TEST_F(SafeWrite, PipesSocketsFoldersAndBrokenNamesAreRefusedAndLeftAsTheyAre)
{
    const QString fifo = Path("kolejka.csv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
    Symlink(fifo, Path("do_kolejki.csv"));
    const QString socketPath = Path("gniazdo.csv");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(socketPath);
    ASSERT_LT(encoded.size(), qsizetype(sizeof address.sun_path));
    std::copy(encoded.begin(), encoded.end(), address.sun_path);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("katalog")));
    QStringList refused{fifo, Path("do_kolejki.csv"), socketPath, Path("katalog"), QString()};
    if (::geteuid() == 0) {  // only root may make a block device node (never opened here)
        ASSERT_EQ(::mknod(QFile::encodeName(Path("dysk.csv")).constData(), S_IFBLK | 0600, makedev(7, 200)), 0);
        refused << Path("dysk.csv");
    }

    for (const Way way : kWays) {
        SCOPED_TRACE(NameOf(way));
        for (const QString& name : refused)
            EXPECT_EQ(WriteBy(way, name, "x"), CannotCreate(name));
        EXPECT_EQ(WriteBy(way, Path("a\nb\r.csv"), "x"),
                  QStringLiteral("Nazwa pliku nie może zawierać znaku końca wiersza: ") + Path("a\\nb\\r.csv"));
    }
    EXPECT_TRUE(S_ISFIFO(Lstat(fifo).st_mode));
    EXPECT_TRUE(S_ISLNK(Lstat(Path("do_kolejki.csv")).st_mode));
    EXPECT_TRUE(S_ISSOCK(Lstat(socketPath).st_mode));
    EXPECT_TRUE(QDir(Path("katalog")).isEmpty());
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).size(),
              refused.size() - 1);  // the refused names but the empty one, nothing more
    ::close(sock);
}

TEST_F(SafeWrite, CharacterDevicesAreWrittenAsTheyAreNeverReplaced)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "device nodes can only be made by root; run the tests as root to cover them";
    // Devices of our own in the test folder: a null device takes the bytes, a full one fails
    // as a full disk does. A library's temporary goes to the temporary folder, named here.
    const QString null = Path("null.csv");
    const QString full = Path("full.csv");
    ASSERT_EQ(::mknod(QFile::encodeName(null).constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(QFile::encodeName(full).constData(), S_IFCHR | 0666, makedev(1, 7)), 0);
    Symlink(null, Path("do_null.csv"));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("tmp")));
    const TemporaryFolderNamed tmp(Path("tmp"));

    const QByteArray bytes(3 << 20, 'b');  // more than one chunk of a copy
    for (const Way way : kWays) {
        SCOPED_TRACE(NameOf(way));
        EXPECT_EQ(WriteBy(way, null, bytes), QString());
        EXPECT_EQ(WriteBy(way, Path("do_null.csv"), bytes), QString());
        EXPECT_EQ(WriteBy(way, full, bytes), CannotCreate(full));
        for (const QString& device : {null, full})
            EXPECT_TRUE(S_ISCHR(Lstat(device).st_mode)) << device.toStdString();
        EXPECT_TRUE(S_ISLNK(Lstat(Path("do_null.csv")).st_mode));
        EXPECT_EQ(Leftovers(dir_.path()), QStringList());
        EXPECT_EQ(QDir(Path("tmp")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }
}

TEST_F(SafeWrite, FileInAFolderThatTakesNoNewFileIsWrittenInPlace)
{
    // The temporary can't stand beside the file: it is made in the temporary folder (one of
    // the test's own, open to all) and copied into the file, which stays the same file.
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("tmp")));
    ASSERT_EQ(::chmod(QFile::encodeName(Path("tmp")).constData(), 01777), 0);
    const TemporaryFolderNamed tmp(Path("tmp"));
    const QString folder = Path("zamkniety");
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("zamkniety")));
    const QString path = folder + QStringLiteral("/wynik.csv");
    Put(path, QByteArray(3000, 'x'));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0664), 0);
    for (const Way way : kWays) {
        SCOPED_TRACE(NameOf(way));
        const QByteArray bytes = QByteArray(NameOf(way)) + "\r\n";
        const ino_t inode = Lstat(path).st_ino;
        EXPECT_EQ(SaveInFolderThatTakesNoNewFile(folder, path,
                                                 [&] {
                                                     const QString error = WriteBy(way, path, bytes);
                                                     if (!error.isEmpty())
                                                         throw moravel::Error(error);
                                                 }),
                  QString());
        EXPECT_EQ(Get(path), bytes);
        EXPECT_EQ(Lstat(path).st_ino, inode);
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList{QStringLiteral("wynik.csv")});
        EXPECT_EQ(QDir(Path("tmp")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }
}

TEST_F(SafeWrite, FileSizeLimitLeavesTheOldFileWhole)
{
    // A 21-byte file, written with 5000 bytes where files may not pass 4096: the old bytes
    // stay, by every name, whether the file is replaced or written in place.
    const QByteArray old("stary plik projektu\r\n");
    ASSERT_EQ(old.size(), 21);
    const QByteArray bytes(5000, 'n');
    for (const Way way : kWays) {
        SCOPED_TRACE(NameOf(way));
        Put(Path("jeden.kpr"), old);
        Put(Path("dwa.kpr"), old);
        Link(Path("dwa.kpr"), Path("drugie.kpr"));
        for (const char* name : {"jeden.kpr", "dwa.kpr"}) {
            const QString path = Path(QString::fromLatin1(name));
            const QString error = InChildWithFileSizeLimit(4096, [&] { return WriteBy(way, path, bytes); });
            EXPECT_TRUE(error == CannotCreate(path) || (way == Way::Library && error.startsWith("<the library")))
                << error.toStdString();
            EXPECT_EQ(Get(path), old);
        }
        EXPECT_EQ(Get(Path("drugie.kpr")), old);
        EXPECT_EQ(Lstat(Path("dwa.kpr")).st_nlink, 2u);
        EXPECT_EQ(Leftovers(dir_.path()), QStringList());
        ASSERT_TRUE(QFile::remove(Path("drugie.kpr")));
    }

    // A library's file written whole before the limit, put in place of a file with two names
    // under it: the space can't be reserved, and nothing of the old file changes.
    Put(Path("dwa.kpr"), old);
    Link(Path("dwa.kpr"), Path("drugie.kpr"));
    std::unique_ptr<SafeFile> file;
    const QString error = InChildWithFileSizeLimit(
        4096,
        [&] {
            file = std::make_unique<SafeFile>(Path("dwa.kpr"), SafeFile::Writer::Library);
            QFile out(file->WorkPath());
            return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() ? QString() : QStringLiteral("?");
        },
        [&] {
            try {
                file->Commit();
            } catch (const moravel::Error& e) {
                file.reset();
                return e.text();
            }
            return QString();
        });
    EXPECT_EQ(error, CannotCreate(Path("dwa.kpr")));
    EXPECT_EQ(Get(Path("drugie.kpr")), old);
    EXPECT_EQ(Leftovers(dir_.path()), QStringList());
}

// A small file system of its own, filled up; unmounted when the test ends.
class FullFileSystem : public SafeWrite {
protected:
    void SetUp() override
    {
        mount_ = Path("pelny");
        ASSERT_TRUE(QDir().mkpath(mount_));
        mounted_ = ::mount("tmpfs", QFile::encodeName(mount_).constData(), "tmpfs", 0, "size=256k") == 0;
    }
    void TearDown() override
    {
        if (mounted_)
            ::umount2(QFile::encodeName(mount_).constData(), MNT_DETACH);
    }
    // Fills the file system with a file of its own until no byte more goes in.
    static void Fill(const QString& path)
    {
        QFile filler(path);
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {}
        while (filler.write("f", 1) == 1) {}
    }
    QString mount_;
    bool mounted_ = false;
};

TEST_F(FullFileSystem, LeavesTheOldFileWhole)
{
    if (!mounted_)
        GTEST_SKIP() << "a small tmpfs could not be mounted (needs root with the right to mount)";
    const QByteArray old(1000, 'o');
    const QString single = mount_ + QStringLiteral("/jeden.csv");
    const QString linked = mount_ + QStringLiteral("/dwa.csv");
    const QString other = mount_ + QStringLiteral("/drugie.csv");
    Put(single, old);
    Put(linked, old);
    Link(linked, other);
    Fill(mount_ + QStringLiteral("/wypelnienie"));

    const QByteArray bytes(64 * 1024, 'n');
    for (const Way way : kWays) {
        SCOPED_TRACE(NameOf(way));
        for (const QString& path : {single, linked}) {
            const QString error = WriteBy(way, path, bytes);
            EXPECT_TRUE(error == CannotCreate(path) || (way == Way::Library && error.startsWith("<the library")))
                << error.toStdString();
            EXPECT_EQ(Get(path), old);
        }
        EXPECT_EQ(Get(other), old);
        EXPECT_EQ(Leftovers(mount_), QStringList());
    }
}

}  // namespace
