// moravel-run manifest with a storm: a line's fourth field names a rainfall file read in
// place of the project's, and its results are those of a project whose rainfall is that file;
// lines without it run as before.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "CliProcess.h"
#include "files/DataFiles.h"

namespace moravel::cli::testing {
namespace {

const QString kProject = QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr");

class ManifestStorm : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        files::RainfallRecord storm;
        storm.hours = {"0", "4,5", "18", "26,5", "9", "3", "0,5", "0"};
        storm.hourCount = QStringLiteral("8");
        files::WriteRainfallFile(Path("burza.kwp"), storm);
        // The example with the storm as its rainfall.
        const files::ProjectPaths example = files::ReadProjectFile(kProject);
        files::WriteProjectFile(Path("burza.kpr"), {Path("burza.kwp"), example.scs, example.parameters});
    }
    QString Path(const QString& name) const { return work.filePath(name); }

    QTemporaryDir work;
};

TEST_F(ManifestStorm, ALineWithAStormIsTheProjectWithThatRainfall)
{
    const QByteArray example = QFile::encodeName(kProject);
    // The storm relative to the manifest's folder; the same project without a storm after it.
    ASSERT_TRUE(WriteFile(Path("projekty.csv"), "projekt,realizacje,ziarno,opad\n" + example + ",40,7,burza.kwp\n" +
                                                    example + ",40,7\n" + example + ",40,7,\n"));
    const CliResult r = RunCli({"manifest", Path("projekty.csv"), "--separator", ",", "--out", Path("out"), "--quiet"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    // The storm's line against the project whose rainfall file is the storm.
    const CliResult storm = RunCli({Path("burza.kpr"), "--series", "40", "--seed", "7", "--separator", ",", "--out",
                                    Path("s.csv"), "--band", Path("b.csv"), "--quiet"});
    ASSERT_EQ(storm.exitCode, 0) << storm.err.toStdString();
    const QByteArray realisations = FileBytes(Path("out/002-zlewnia-burza/realizacje.csv"));
    EXPECT_EQ(realisations, FileBytes(Path("s.csv")));
    EXPECT_EQ(FileBytes(Path("out/002-zlewnia-burza/pasmo.csv")), FileBytes(Path("b.csv")));
    EXPECT_GT(CsvRows(realisations).size(), 40u);

    // The lines without a storm (none, or an empty field) are the project's own rainfall, in
    // folders named as before.
    const CliResult own =
        RunCli({kProject, "--series", "40", "--seed", "7", "--separator", ",", "--out", Path("own.csv"), "--quiet"});
    ASSERT_EQ(own.exitCode, 0) << own.err.toStdString();
    EXPECT_EQ(FileBytes(Path("out/003-zlewnia/realizacje.csv")), FileBytes(Path("own.csv")));
    EXPECT_EQ(FileBytes(Path("out/004-zlewnia/realizacje.csv")), FileBytes(Path("own.csv")));
    EXPECT_NE(FileBytes(Path("own.csv")), realisations);
}

TEST_F(ManifestStorm, AStormThatCantBeReadIsNamedWithItsLine)
{
    const QByteArray example = QFile::encodeName(kProject);
    ASSERT_TRUE(WriteFile(Path("brak.csv"), example + ",5,1,burza.kwp\n" + example + ",5,1,brak.kwp\n"));
    CliResult r = RunCli({"manifest", Path("brak.csv"), "--separator", ",", "--out", Path("brak"), "--quiet"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(
        r.err.contains(Path("brak.csv") + ", wiersz 2: " + kProject + ": Nie można otworzyć pliku " + Path("brak.kwp")))
        << r.err.toStdString();
    // The lines before it keep their results.
    EXPECT_TRUE(QFileInfo::exists(Path("brak/001-zlewnia-burza/pasmo.csv")));
    EXPECT_FALSE(QFileInfo::exists(Path("brak/002-zlewnia-brak")));

    ASSERT_TRUE(WriteFile(Path("piec.csv"), example + ",5,1,burza.kwp,x\n"));
    r = RunCli({"manifest", Path("piec.csv"), "--out", Path("piec")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("wiersz 1: wiersz ma więcej niż cztery pola (projekt,realizacje,ziarno,opad)"))
        << r.err.toStdString();
}

}  // namespace
}  // namespace moravel::cli::testing
