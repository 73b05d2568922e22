// moravel-run --variants: the comparison of a variants file against the one the variants
// window computes in process (each project read as the window reads it, each variant's series
// with the same count and seed), and the faults of a variants file with their exit codes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "CliProcess.h"
#include "cli/VariantsFile.h"
#include "ZlewniaSeries.h"
#include "files/DataFiles.h"
#include "files/ProjectInputs.h"
#include "model/Series.h"
#include "model/Variants.h"
#include "report/VariantsExport.h"

namespace moravel::cli::testing {
namespace {

const QString kProject = QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr");

class VariantsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work_.isValid());
        // The example with a wider channel: a variant whose peaks differ from the example's.
        files::ParametersRecord wider = examples::ZlewniaParameters();
        wider.values[5] = QStringLiteral("16");
        const files::ProjectPaths example = files::ReadProjectFile(kProject);
        files::WriteParametersFile(Path("wider.kwx"), wider);
        files::WriteProjectFile(Path("wider.kpr"), {example.rainfall, example.scs, Path("wider.kwx")});
    }
    QString Path(const QString& name) const { return work_.filePath(name); }
    void Write(const QString& name, const QByteArray& text) const
    {
        QFile f(Path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QTemporaryDir work_;
};

TEST_F(VariantsTest, TheComparisonIsTheVariantsWindowsComparison)
{
    constexpr int kCount = 80;
    constexpr std::uint64_t kSeed = 7;
    // A comment, a variant named by its project, one named on its line (its project relative
    // to the file's folder), and the example once more under another name.
    Write("warianty.txt", "# stan obecny i szersze koryto\n" + QFile::encodeName(kProject) +
                              "\n\nszersze koryto ; wider.kpr\n;" + QFile::encodeName(kProject) + "\n");
    const CliResult r = RunCli({"--variants", Path("warianty.txt"), "--count", QString::number(kCount), "--seed",
                                QString::number(kSeed), "--separator", ",", "--out", Path("v.csv"), "--xlsx",
                                Path("v.xlsx"), "--quiet"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    // The window's computation in process.
    report::VariantsComparison expected;
    expected.seed = kSeed;
    expected.count = kCount;
    expected.names = {QStringLiteral("zlewnia"), QStringLiteral("szersze koryto"), QStringLiteral("Wariant 3")};
    std::vector<model::ComputationInputs> inputs;
    for (const QString& project : {kProject, Path("wider.kpr"), kProject})
        inputs.push_back(files::ProjectComputationInputs(project, u',', [] {}));
    expected.rainfallDiffers = model::RainfallDiffers(inputs);
    for (const model::ComputationInputs& in : inputs)
        expected.results.push_back(model::RunSeries(in, kCount, kSeed, 2));
    expected.ComputeDifferences();

    const QByteArray csv = FileBytes(Path("v.csv"));
    EXPECT_EQ(csv, report::VariantsCsv(expected, u'.').Text().toUtf8());
    // A table of three variants with figures in it: the wider channel changes the peaks, the
    // example against itself on the same draws changes nothing.
    const std::vector<QStringList> rows = CsvRows(csv);
    ASSERT_GE(rows.size(), 4u);
    EXPECT_EQ(rows[1][0], QStringLiteral("zlewnia"));
    EXPECT_FALSE(expected.rainfallDiffers);
    EXPECT_EQ(expected.differences[1].pairs, kCount - expected.results[0].failed);
    EXPECT_NE(expected.differences[1].peakChange.percentiles[model::kMedianSeriesLevel], 0);
    EXPECT_EQ(expected.differences[2].peakChange.percentiles[model::kHighestSeriesLevel], 0);
    // The workbook: a zip archive, as the window's export writes it.
    EXPECT_TRUE(FileBytes(Path("v.xlsx")).startsWith("PK"));
}

TEST_F(VariantsTest, FaultsOfTheFileAndTheCommandLineAreNamedWithTheirExitCodes)
{
    const QByteArray example = QFile::encodeName(kProject);
    Write("brak.txt", "a;" + example + "\n# komentarz\nb;brak.kpr\n");
    Write("jeden.txt", "a;" + example + "\n");
    QByteArray nine;
    for (int k = 1; k <= 9; ++k)
        nine += "w" + QByteArray::number(k) + ";" + example + "\n";
    Write("dziewiec.txt", nine);
    Write("pusty.txt", "a;" + example + "\nb;  \n");
    Write("dobry.txt", "a;" + example + "\nb;wider.kpr\n");
    Write("nul.txt", "a;" + example + QByteArrayLiteral("\nb;wi\0der.kpr\n"));

    const QString file = Path("dobry.txt");
    const struct {
        const char* name;
        QStringList args;
        int code;
        QString message;
    } cases[] = {
        {"a missing project, named with its line",
         {"--variants", Path("brak.txt"), "--count", "5", "--separator", ","},
         1,
         Path("brak.txt") + ", wiersz 3: " + Path("brak.kpr") + ": Nie można otworzyć pliku " + Path("brak.kpr")},
        {"a NUL in a project's name, refused and shown escaped",
         {"--variants", Path("nul.txt"), "--count", "5", "--separator", ","},
         1,
         Path("nul.txt") + ", wiersz 2: " + Path("wi\\0der.kpr") + ": Nazwa pliku nie może zawierać znaku NUL: " +
             Path("wi\\0der.kpr")},
        {"one variant", {"--variants", Path("jeden.txt"), "--count", "5"}, 1, "wymaga od 2 do 8 wariantów"},
        {"nine variants",
         {"--variants", Path("dziewiec.txt"), "--count", "5"},
         1,
         Path("dziewiec.txt") + ", wiersz 9: Można porównać najwyżej 8 wariantów"},
        {"a line without its project", {"--variants", Path("pusty.txt"), "--count", "5"}, 1, "wiersz 2: brak pliku"},
        {"a missing variants file",
         {"--variants", Path("zaden.txt"), "--count", "5"},
         1,
         "Nie można otworzyć pliku " + Path("zaden.txt")},
        {"no count", {"--variants", file}, 2, "(--count N)"},
        {"a count above the window's", {"--variants", file, "--count", "100001"}, 2, "najwyżej 100000"},
        {"a project besides the file", {kProject, "--variants", file, "--count", "5"}, 2, "z pliku wariantów"},
        {"a series option", {"--variants", file, "--count", "5", "--series", "5"}, 2, "nie łączy się z --variants"},
        {"a workbook without variants", {kProject, "--xlsx", Path("x.xlsx")}, 2, "--xlsx dotyczy"},
        {"a workbook that can't be written",
         {"--variants", file, "--count", "5", "--seed", "1", "--separator", ",", "--out", Path("v.csv"), "--xlsx",
          Path("nie/v.xlsx")},
         3,
         Path("nie/v.xlsx")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, c.code);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
    // The table is not written when the workbook can't be.
    EXPECT_FALSE(QFileInfo::exists(Path("v.csv")));
}

// A variant without a name is named by its project's file name, trimmed as the window trims
// the names of its list, and "Wariant N" when nothing is left.
TEST_F(VariantsTest, ANameFromTheProjectsFileNameIsTrimmedAsTheWindowsNames)
{
    Write("nazwy.txt", "kat/ spacja .kpr\n  ;  b.kpr\n/   .kpr\nwider.kpr\n");
    const std::vector<VariantLine> lines = ReadVariantsFile(Path("nazwy.txt"));
    ASSERT_EQ(lines.size(), 4u);
    const QString expected[] = {"spacja", "Wariant 2", "Wariant 3", "wider"};
    for (std::size_t k = 0; k < lines.size(); ++k)
        EXPECT_EQ(lines[k].name, expected[k]) << k;
    EXPECT_EQ(lines[0].project, Path("kat/ spacja .kpr"));
    EXPECT_EQ(lines[2].project, QStringLiteral("/   .kpr"));
}

}  // namespace
}  // namespace moravel::cli::testing
