// Reading and writing the data files by name, and the project file.
#include "Bytes.h"
#include "ChildProcess.h"
#include "files/DataFiles.h"
#include "text/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#include <sys/resource.h>

using namespace moravel::files;
using moravel::files::testing::Hex;

namespace {

class DataFiles : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return dir_.filePath(name); }

    static void Put(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    static QByteArray Get(const QString& path)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        return f.readAll();
    }
    // Runs `write` with files limited to `bytes`: a write beyond fails as a full disk or a
    // kill midway would stop it (root too is bound by the limit).
    static void UnderFileSizeLimit(rlim_t bytes, const std::function<void()>& write)
    {
        struct rlimit saved {};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = bytes;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        try {
            write();
        } catch (...) {
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, oldHandler);
            throw;
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    }
    template <typename F>
    static QString ErrorOf(F&& f)
    {
        try {
            f();
        } catch (const moravel::Error& e) {
            return e.text();
        }
        return QStringLiteral("<no error>");
    }

    QTemporaryDir dir_;
};

TEST_F(DataFiles, RecordsRoundTripThroughFiles)
{
    RainfallRecord rain;
    rain.hourCount = QStringLiteral("2");
    rain.effective = true;
    rain.hours = {QStringLiteral("4,75"), QStringLiteral("ółż")};
    WriteRainfallFile(Path("r.kwp"), rain);
    EXPECT_EQ(QFileInfo(Path("r.kwp")).size(), 2406);
    const RainfallRecord r = ReadRainfallFile(Path("r.kwp"));
    EXPECT_TRUE(r.effective);
    EXPECT_EQ(r.Hour(2), QStringLiteral("ółż"));

    ScsRecord scs;
    scs.areas[5][2] = QStringLiteral("33,3");
    WriteScsFile(Path("s.kws"), scs);
    EXPECT_EQ(QFileInfo(Path("s.kws")).size(), 528);
    EXPECT_EQ(ReadScsFile(Path("s.kws")).areas[5][2], QStringLiteral("33,3"));

    ParametersRecord par;
    par.values[6] = QStringLiteral("0,04");
    WriteParametersFile(Path("p.kwx"), par);
    EXPECT_EQ(Get(Path("p.kwx")).size(), 56);
    EXPECT_EQ(ReadParametersFile(Path("p.kwx")).values[6], QStringLiteral("0,04"));
}

TEST_F(DataFiles, SaveReplacesAnExistingFile)
{
    Put(Path("p.kwx"), QByteArray(5000, 'x'));
    ParametersRecord par;
    par.values[0] = QStringLiteral("4,2");
    WriteParametersFile(Path("p.kwx"), par);
    EXPECT_EQ(Get(Path("p.kwx")), par.Encode());
}

TEST_F(DataFiles, WhatCannotBeOpenedIsNamed)
{
    QDir(dir_.path()).mkdir(QStringLiteral("folder.kwp"));
    const QString cases[] = {Path("folder.kwp"), Path("missing.kwp"), QString()};
    for (const QString& p : cases)
        EXPECT_EQ(ErrorOf([&] { ReadRainfallFile(p); }), QStringLiteral("Nie można otworzyć pliku ") + p);
    EXPECT_EQ(ErrorOf([&] { ReadProjectFile(Path("folder.kwp")); }),
              QStringLiteral("Nie można otworzyć pliku ") + Path("folder.kwp"));
}

TEST_F(DataFiles, EmptyFileGivesEmptyFields)
{
    Put(Path("empty.kws"), QByteArray());
    const ScsRecord r = ReadScsFile(Path("empty.kws"));
    for (const auto& row : r.areas)
        for (const QString& a : row)
            EXPECT_TRUE(a.isEmpty());
}

TEST_F(DataFiles, HugeFileIsReadOnlyAsFarAsTheRecord)
{
    const QString path = Path("huge.kwp");
    RainfallRecord rain;
    rain.hourCount = QStringLiteral("3");
    rain.hours = {QStringLiteral("1,5"), QStringLiteral("12"), QStringLiteral("0")};
    Put(path, rain.Encode());
    {
        QFile f(path);
        ASSERT_TRUE(f.resize(qint64(400) * 1024 * 1024));  // sparse: no blocks behind the hole
    }
    EXPECT_EQ(ReadFileStart(path, 2406).size(), 2406);
    EXPECT_EQ(ReadRainfallFile(path).Hour(2), QStringLiteral("12"));
    EXPECT_EQ(ReadFileStart(path, kMaxProjectFileSize).size(), kMaxProjectFileSize);
}

TEST_F(DataFiles, FailedSaveNamesTheFileAndCreatesNothing)
{
    Put(Path("plain"), QByteArray("x"));
    const QString target = Path("plain/opad.kwp");  // the parent is a regular file
    EXPECT_EQ(ErrorOf([&] { WriteRainfallFile(target, RainfallRecord()); }),
              QStringLiteral("Nie można utworzyć pliku ") + target);
    EXPECT_EQ(ErrorOf([&] { WriteProjectFile(target, ProjectPaths()); }),
              QStringLiteral("Nie można utworzyć pliku ") + target);
    EXPECT_EQ(Get(Path("plain")), QByteArray("x"));
    EXPECT_EQ(ErrorOf([] { WriteParametersFile(QString(), ParametersRecord()); }),
              QStringLiteral("Nie można utworzyć pliku "));
}

TEST_F(DataFiles, SaveThatFailsHalfwayLeavesTheOldFileIntact)
{
    // Tests may run as root, for whom no directory is read-only; a file-size limit makes the
    // write itself fail instead.
    const QString path = Path("opad.kwp");
    const QByteArray old = Hex("01 31 01 30");
    Put(path, old);
    RainfallRecord big;
    big.hourCount = QStringLiteral("1");

    const QString error = ErrorOf([&] { UnderFileSizeLimit(1000, [&] { WriteRainfallFile(path, big); }); });

    EXPECT_EQ(error, QStringLiteral("Nie można utworzyć pliku ") + path);
    EXPECT_EQ(Get(path), old);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{QStringLiteral("opad.kwp")});
}

struct stat Stat(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}
ino_t Inode(const QString& path)
{
    return Stat(path).st_ino;
}
mode_t Mode(const QString& path)
{
    return Stat(path).st_mode & 07777;
}

TEST_F(DataFiles, SaveInAFolderThatTakesNoNewFileWritesTheFileItself)
{
    const QString folder = Path("zamkniety");
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("zamkniety")));
    const QString path = folder + QStringLiteral("/opad.kwp");
    Put(path, QByteArray(3000, 'x'));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0664), 0);
    const ino_t inode = Inode(path);
    const uint owner = QFileInfo(path).ownerId();
    RainfallRecord rain;
    rain.hourCount = QStringLiteral("2");
    rain.hours = {QStringLiteral("4,75"), QStringLiteral("12")};

    EXPECT_EQ(
        moravel::files::testing::SaveInFolderThatTakesNoNewFile(folder, path, [&] { WriteRainfallFile(path, rain); }),
        QString());
    EXPECT_EQ(Get(path), rain.Encode());
    EXPECT_EQ(Inode(path), inode);  // the same file, written where it is
    EXPECT_EQ(QFileInfo(path).ownerId(), ::geteuid() == 0 ? 65534u : owner);
    EXPECT_EQ(Mode(path), 0664u);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("opad.kwp")});

    // A file that does not exist yet can't be written there at all.
    const QString missing = folder + QStringLiteral("/nowy.kwp");
    EXPECT_EQ(moravel::files::testing::SaveInFolderThatTakesNoNewFile(folder, missing,
                                                                      [&] { WriteRainfallFile(missing, rain); }),
              QStringLiteral("Nie można utworzyć pliku ") + missing);
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST_F(DataFiles, NameTooLongForATemporaryNameBesideItIsStillSaved)
{
    // A name of 250 characters is a valid name, too long to take the suffix of a temporary's
    // name beside it: the temporary gets a shorter one.
    const QString path = Path(QString(246, QLatin1Char('n')) + QStringLiteral(".kws"));
    ScsRecord scs;
    scs.areas[0][0] = QStringLiteral("12,5");
    WriteScsFile(path, scs);  // a new file
    EXPECT_EQ(Get(path), scs.Encode());

    scs.areas[0][0] = QStringLiteral("7");
    WriteScsFile(path, scs);  // over the old one, through a temporary of a shorter name
    EXPECT_EQ(Get(path), scs.Encode());
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(DataFiles, ReplacedFileKeepsItsOwnerAndMode)
{
    const QString path = Path("sprawa.kwx");
    Put(path, QByteArray("old"));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    // Root can give the file away; anyone else keeps their own.
    const uint owner = ::geteuid() == 0 ? 4242 : ::geteuid();
    const uint group = ::geteuid() == 0 ? 4243 : ::getegid();
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), owner, group), 0);
    const ino_t inode = Inode(path);

    ParametersRecord par;
    par.values[0] = QStringLiteral("4,2");
    WriteParametersFile(path, par);
    EXPECT_EQ(Get(path), par.Encode());
    EXPECT_NE(Inode(path), inode);  // replaced by a new file, as a safe save does
    const QFileInfo info(path);
    EXPECT_EQ(info.ownerId(), owner);
    EXPECT_EQ(info.groupId(), group);
    EXPECT_EQ(Mode(path), 0640u);
}

TEST_F(DataFiles, NodesAreWrittenAsTheyAreOrRefusedNeverReplaced)
{
    RainfallRecord rain;
    rain.hourCount = QStringLiteral("1");
    const QByteArray bytes = rain.Encode();
    // A pipe nobody reads, by its own name and through a link: refused at once (writing it
    // would wait for a reader for ever), and still a pipe.
    const QString fifo = Path("kolejka.kwp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
    const QString toFifo = Path("do_kolejki.kwp");
    ASSERT_TRUE(QFile::link(fifo, toFifo));
    for (const QString& name : {fifo, toFifo}) {
        EXPECT_EQ(ErrorOf([&] { WriteFileAtomically(name, bytes); }),
                  QStringLiteral("Nie można utworzyć pliku ") + name);
        EXPECT_TRUE(S_ISFIFO(Stat(fifo).st_mode));
    }
    // A folder is refused too.
    EXPECT_EQ(ErrorOf([&] { WriteFileAtomically(dir_.path(), bytes); }),
              QStringLiteral("Nie można utworzyć pliku ") + dir_.path());

    // Character devices of our own (only root may make them): the null device takes the
    // bytes, the full one fails as a full disk does; both stay devices, by their own name
    // and through a link.
    if (::geteuid() != 0)
        GTEST_SKIP() << "device nodes need root";
    const QString null = Path("null.kwp");
    const QString full = Path("full.kwp");
    ASSERT_EQ(::mknod(QFile::encodeName(null).constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(QFile::encodeName(full).constData(), S_IFCHR | 0666, makedev(1, 7)), 0);
    const QString toNull = Path("do_null.kwp");
    const QString toFull = Path("do_full.kwp");
    ASSERT_TRUE(QFile::link(null, toNull));
    ASSERT_TRUE(QFile::link(full, toFull));
    for (const QString& name : {null, toNull}) {
        EXPECT_EQ(ErrorOf([&] { WriteRainfallFile(name, rain); }), QStringLiteral("<no error>"));
        EXPECT_TRUE(S_ISCHR(Stat(null).st_mode));
    }
    for (const QString& name : {full, toFull}) {
        EXPECT_EQ(ErrorOf([&] { WriteRainfallFile(name, rain); }), QStringLiteral("Nie można utworzyć pliku ") + name);
        EXPECT_TRUE(S_ISCHR(Stat(full).st_mode));
    }
    EXPECT_TRUE(QFileInfo(toNull).isSymLink());
    EXPECT_TRUE(QFileInfo(toFull).isSymLink());
}

TEST_F(DataFiles, HardLinkedFileIsWrittenInPlaceSoEveryNameSeesTheSave)
{
    const QString path = Path("opad.kwp");
    const QString other = Path("kopia.kwp");
    Put(path, QByteArray(RainfallRecord::kSize + 100, 'x'));
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);
    const ino_t inode = Inode(path);
    RainfallRecord rain;
    rain.hourCount = QStringLiteral("2");
    rain.hours = {QStringLiteral("1,5"), QStringLiteral("3")};
    WriteRainfallFile(path, rain);
    EXPECT_EQ(Inode(path), inode);
    EXPECT_EQ(Get(other), rain.Encode());  // cut to the record's length after it
    EXPECT_EQ(Stat(path).st_nlink, 2u);
}

TEST_F(DataFiles, SaveInPlaceThatCantBeWrittenWholeLeavesTheOldFile)
{
    // The file has a second name, so it is written in place; a file-size limit stops the
    // write after its first 1000 bytes, as a full disk would. Its space is reserved first, so
    // no byte of it changes.
    const QString path = Path("opad.kwp");
    const QByteArray old(RainfallRecord::kSize, 'x');
    Put(path, old);
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(Path("kopia.kwp")).constData()), 0);
    RainfallRecord rain;
    rain.hourCount = QStringLiteral("1");
    ASSERT_EQ(rain.Encode().size(), old.size());

    const QString error = ErrorOf([&] { UnderFileSizeLimit(1000, [&] { WriteRainfallFile(path, rain); }); });

    EXPECT_EQ(error, QStringLiteral("Nie można utworzyć pliku ") + path);
    EXPECT_EQ(Get(path), old);
    EXPECT_EQ(Get(Path("kopia.kwp")), old);
}

TEST_F(DataFiles, NameWithALineBreakIsRefusedBeforeAnythingIsWritten)
{
    const QString broken = Path("opad\nkopia.kwp");
    EXPECT_EQ(ErrorOf([&] { WriteRainfallFile(broken, RainfallRecord()); }),
              QStringLiteral("Nazwa pliku nie może zawierać znaku końca wiersza: ") + Path("opad\\nkopia.kwp"));
    ProjectPaths paths{Path("a.kwp"), Path("b\r.kws"), Path("c.kwx")};
    const QString project = Path("sprawa.kpr");
    EXPECT_EQ(ErrorOf([&] { WriteProjectFile(project, paths); }),
              QStringLiteral("Nazwa pliku nie może zawierać znaku końca wiersza: ") + Path("b\\r.kws"));
    EXPECT_TRUE(QDir(dir_.path()).entryList(QDir::Files | QDir::System).isEmpty());
}

// --- Project file --------------------------------------------------------------------

TEST_F(DataFiles, ProjectStoresPathsInItsFolderRelatively)
{
    const QString project = Path("sprawa.kpr");
    const ProjectPaths paths{Path("opad.kwp"), Path("dane/zlewnia.kws"), QStringLiteral("/inne/miejsce/p.kwx")};
    EXPECT_EQ(EncodeProject(paths, project), QByteArray("opad.kwp\r\ndane/zlewnia.kws\r\n/inne/miejsce/p.kwx\r\n"));
    // A file beside the folder, not in it, keeps its full path.
    const QString sibling = QFileInfo(dir_.path()).absolutePath() + QStringLiteral("/x.kwp");
    EXPECT_EQ(EncodeProject({sibling, QString(), QString()}, project), sibling.toUtf8() + "\r\n\r\n\r\n");
}

// A project saved through a symbolic link lands in the link's target: its paths are relative
// to the target's folder, so the project opens by its real name and through the link alike.
TEST_F(DataFiles, ProjectSavedThroughALinkStoresPathsFromTheFolderItLandsIn)
{
    QDir root(dir_.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("sprawa/dane")));
    ASSERT_TRUE(root.mkpath(QStringLiteral("skroty")));
    RainfallRecord rain;
    rain.hourCount = QStringLiteral("1");
    rain.hours = {QStringLiteral("7")};
    WriteRainfallFile(Path("sprawa/dane/opad.kwp"), rain);
    Put(Path("sprawa/p.kpr"), QByteArray());
    // A link to a link to the project, from another folder.
    ASSERT_TRUE(QFile::link(Path("sprawa/p.kpr"), Path("skroty/p1.kpr")));
    ASSERT_TRUE(QFile::link(QStringLiteral("p1.kpr"), Path("skroty/p.kpr")));

    WriteProjectFile(Path("skroty/p.kpr"), {Path("sprawa/dane/opad.kwp"), QString(), QString()});
    EXPECT_TRUE(QFileInfo(Path("skroty/p.kpr")).isSymLink());
    EXPECT_EQ(Get(Path("sprawa/p.kpr")), QByteArray("dane/opad.kwp\r\n\r\n\r\n"));
    for (const char* name : {"sprawa/p.kpr", "skroty/p.kpr"}) {
        SCOPED_TRACE(name);
        const ProjectPaths p = ReadProjectFile(Path(name));
        EXPECT_EQ(p.rainfall, Path("sprawa/dane/opad.kwp"));
        EXPECT_EQ(ReadRainfallFile(p.rainfall).Hour(1), QStringLiteral("7"));
    }
}

TEST_F(DataFiles, ProjectLinesEndInCrLfLfOrCr)
{
    const QString project = QStringLiteral("/p/case.kpr");
    struct Case {
        QByteArray text;
        ProjectPaths expected;
    };
    const Case cases[] = {
        {"/a/r.kwp\r\n/a/s.kws\r\n/a/p.kwx\r\n", {"/a/r.kwp", "/a/s.kws", "/a/p.kwx"}},
        {"/a/r.kwp\n/a/s.kws\n/a/p.kwx", {"/a/r.kwp", "/a/s.kws", "/a/p.kwx"}},
        {"/a/r.kwp\r/a/s.kws\r/a/p.kwx\r", {"/a/r.kwp", "/a/s.kws", "/a/p.kwx"}},
        {"/a/r.kwp\r\n\r\n/a/p.kwx\r\n", {"/a/r.kwp", "", "/a/p.kwx"}},
        {"/a/r.kwp\n\r/a/p.kwx", {"/a/r.kwp", "", "/a/p.kwx"}},  // LF then CR: two breaks
        {"/a/r.kwp", {"/a/r.kwp", "", ""}},
        {"", {"", "", ""}},
        {"\r\n\r\n\r\n", {"", "", ""}},
        {"1\n2\n3\n4\n5\n", {"/p/1", "/p/2", "/p/3"}},
        {"r.kwp\ndane/s.kws\n../p.kwx\n", {"/p/r.kwp", "/p/dane/s.kws", "/p.kwx"}},
        {":/r.kwp\n:s.kws\n", {"/p/:/r.kwp", "/p/:s.kws", ""}},  // not the program's resources
    };
    for (const Case& c : cases) {
        const ProjectPaths p = DecodeProject(c.text, project);
        EXPECT_EQ(p.rainfall, c.expected.rainfall) << c.text.toStdString();
        EXPECT_EQ(p.scs, c.expected.scs) << c.text.toStdString();
        EXPECT_EQ(p.parameters, c.expected.parameters) << c.text.toStdString();
    }
}

TEST_F(DataFiles, ProjectPathsAreWindows1250)
{
    const QString project = QStringLiteral("/dane/p.kpr");
    const ProjectPaths paths{QStringLiteral("/dane/Łódź/opad.kwp"), QString(), QString()};
    const QByteArray bytes = EncodeProject(paths, project);
    EXPECT_EQ(bytes, QByteArray("\xA3\xF3"
                                "d\x9F/opad.kwp\r\n\r\n\r\n"));
    EXPECT_EQ(DecodeProject(bytes, project).rainfall, paths.rainfall);
}

TEST_F(DataFiles, ProjectPathOutsideTheCodePageIsNotLost)
{
    // Such a project is written in UTF-8 behind a byte-order mark: a path outside the code
    // page, a decomposed letter (a different file name than the composed one), and a
    // Windows-1250 text that would itself begin with the mark's three bytes, a path that
    // begins with the mark's own character.
    const QString project = QStringLiteral("/dane/p.kpr");
    const QString firsts[] = {QStringLiteral("/x/Москва.kwp"), QStringLiteral("/x/Mie\u0301.kwp"),
                              QStringLiteral("/dane/ď»żopad.kwp"), QStringLiteral("/dane/\uFEFF\uFEFFa.kwp")};
    for (const QString& first : firsts) {
        const ProjectPaths paths{first, QStringLiteral("/x/Łódź.kws"), QString()};
        const QByteArray bytes = EncodeProject(paths, project);
        EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF")) << first.toStdString();
        const ProjectPaths back = DecodeProject(bytes, project);
        EXPECT_EQ(back.rainfall, paths.rainfall);
        EXPECT_EQ(back.scs, paths.scs);
    }
}

TEST_F(DataFiles, MovedCaseFolderStillOpens)
{
    QDir root(dir_.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("sprawa/dane")));
    RainfallRecord rain;
    rain.hourCount = QStringLiteral("1");
    rain.hours = {QStringLiteral("7")};
    WriteRainfallFile(Path("sprawa/dane/opad.kwp"), rain);
    WriteProjectFile(Path("sprawa/p.kpr"), {Path("sprawa/dane/opad.kwp"), QString(), QString()});
    ASSERT_TRUE(root.rename(QStringLiteral("sprawa"), QStringLiteral("przeniesiona")));

    const ProjectPaths p = ReadProjectFile(Path("przeniesiona/p.kpr"));
    EXPECT_EQ(p.rainfall, Path("przeniesiona/dane/opad.kwp"));
    EXPECT_EQ(ReadRainfallFile(p.rainfall).Hour(1), QStringLiteral("7"));
    EXPECT_EQ(p.scs, QString());
}

}  // namespace
