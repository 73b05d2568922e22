// moravel-run's outputs through the program's one writer: device nodes stay devices, files
// with more names are written in place, links lead to their targets, pipes are refused with
// exit code 3. Every node is made in the test's own folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "CliProcess.h"

namespace moravel::cli::testing {
namespace {

const QString kProject = QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr");

class Outputs : public ::testing::Test {
protected:
    QString Path(const char* name) const { return work_.filePath(QString::fromUtf8(name)); }
    static struct stat Lstat(const QString& path)
    {
        struct stat st {};
        ::lstat(QFile::encodeName(path).constData(), &st);
        return st;
    }
    // A series of the example with its outputs named.
    static CliResult Series(const QString& out, const QString& band, const QString& hydrographs = QString())
    {
        QStringList args{kProject, "--separator", ",", "--seed", "5", "--series", "12", "--quiet", "--out", out};
        if (!band.isEmpty())
            args << "--band" << band;
        if (!hydrographs.isEmpty())
            args << "--hydrographs" << hydrographs;
        return RunCli(args);
    }
    QStringList Leftovers() const
    {
        return QDir(work_.path()).entryList({QStringLiteral("*moravel-*")}, QDir::AllEntries | QDir::Hidden);
    }
    QTemporaryDir work_;
};

TEST_F(Outputs, LinkedFilesAreWrittenThroughAndPipesRefused)
{
    const CliResult ref = Series(Path("s.csv"), Path("b.csv"));
    ASSERT_EQ(ref.exitCode, 0) << ref.err.toStdString();

    // A table with a second name, and a band through a link to a file not yet there.
    ASSERT_TRUE(WriteFile(Path("tabela.csv"), "stara tabela\r\n"));
    ASSERT_EQ(
        ::link(QFile::encodeName(Path("tabela.csv")).constData(), QFile::encodeName(Path("kopia.csv")).constData()), 0);
    ASSERT_TRUE(QDir(work_.path()).mkdir(QStringLiteral("cel")));
    ASSERT_TRUE(QFile::link(Path("cel/pasmo.csv"), Path("do_pasma.csv")));
    const CliResult r = Series(Path("tabela.csv"), Path("do_pasma.csv"));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(FileBytes(Path("kopia.csv")), FileBytes(Path("s.csv")));
    EXPECT_EQ(Lstat(Path("tabela.csv")).st_nlink, 2u);
    EXPECT_EQ(FileBytes(Path("cel/pasmo.csv")), FileBytes(Path("b.csv")));
    EXPECT_TRUE(QFileInfo(Path("do_pasma.csv")).isSymLink());

    // A pipe as any of the outputs: refused before anything is computed or written.
    const QString pipe = Path("kolejka.csv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0666), 0);
    const struct {
        const char* name;
        QString out, band, hydrographs;
    } cases[] = {
        {"the table", pipe, {}, {}},
        {"the band", Path("x.csv"), pipe, {}},
        {"the hydrographs", Path("x.csv"), {}, pipe},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliResult refused = Series(c.out, c.band, c.hydrographs);
        EXPECT_EQ(refused.exitCode, 3);
        EXPECT_TRUE(refused.err.contains(QStringLiteral("Nie można utworzyć pliku ") + pipe))
            << refused.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(Path("x.csv")));
        EXPECT_TRUE(S_ISFIFO(Lstat(pipe).st_mode));
    }
    EXPECT_EQ(Leftovers(), QStringList());
}

TEST_F(Outputs, DeviceNodesStayDevices)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "device nodes can only be made by root; run the tests as root to cover them";
    // Null devices of the test's own as the table, the band, the hydrographs (written by
    // their library) and a comparison's workbook; a full device fails as a full disk does.
    const char* const names[] = {"tabela.null", "pasmo.null", "hydrogramy.null", "warianty.null", "skoroszyt.null"};
    for (const char* name : names)
        ASSERT_EQ(::mknod(QFile::encodeName(Path(name)).constData(), S_IFCHR | 0666, makedev(1, 3)), 0) << name;
    const QString full = Path("full.csv");
    ASSERT_EQ(::mknod(QFile::encodeName(full).constData(), S_IFCHR | 0666, makedev(1, 7)), 0);

    const CliResult series = Series(Path("tabela.null"), Path("pasmo.null"), Path("hydrogramy.null"));
    EXPECT_EQ(series.exitCode, 0) << series.err.toStdString();
    ASSERT_TRUE(
        WriteFile(Path("warianty.txt"), QFile::encodeName(kProject) + "\ndrugi;" + QFile::encodeName(kProject) + "\n"));
    const CliResult variants =
        RunCli({"--variants", Path("warianty.txt"), "--count", "5", "--seed", "1", "--separator", ",", "--quiet",
                "--out", Path("warianty.null"), "--xlsx", Path("skoroszyt.null")});
    EXPECT_EQ(variants.exitCode, 0) << variants.err.toStdString();
    const CliResult toFull = Series(full, QString());
    EXPECT_EQ(toFull.exitCode, 3);
    EXPECT_TRUE(toFull.err.contains(QStringLiteral("Nie można utworzyć pliku ") + full)) << toFull.err.toStdString();

    for (const char* name : names)
        EXPECT_TRUE(S_ISCHR(Lstat(Path(name)).st_mode)) << name;
    EXPECT_TRUE(S_ISCHR(Lstat(full).st_mode));
    EXPECT_EQ(Leftovers(), QStringList());
}

}  // namespace
}  // namespace moravel::cli::testing
