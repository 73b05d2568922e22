// moravel-run as a script runs it: a series against the series the window runs in process,
// shards merged against the one-process run, merges of parts of other runs refused, the
// NetCDF file read back through the library, and the errors with their exit codes.
#include <gtest/gtest.h>

#include <netcdf.h>

#include <sys/wait.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <csignal>
#include <QTemporaryDir>

#include "CliProcess.h"
#include "ZlewniaSeries.h"
#include "cli/Arguments.h"
#include "cli/Leftovers.h"
#include "files/DataFiles.h"
#include "model/Series.h"
#include "report/Csv.h"
#include "report/SeriesExport.h"

namespace moravel::cli::testing {
namespace {

const QString kProject = QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr");
constexpr int kCount = 300;
constexpr std::uint64_t kSeed = 11;

QStringList Args(std::initializer_list<QString> list)
{
    return QStringList(list);
}

// Two hydrograph files hold the same series: dimensions, every variable's values and the
// global attributes' values.
void ExpectSameHydrographs(const QString& a, const QString& b)
{
    int fa = -1, fb = -1;
    ASSERT_EQ(nc_open(QFile::encodeName(a).constData(), NC_NOWRITE, &fa), NC_NOERR);
    ASSERT_EQ(nc_open(QFile::encodeName(b).constData(), NC_NOWRITE, &fb), NC_NOERR);
    for (const char* dim : {"realisation", "time"}) {
        int da = 0, db = 0;
        std::size_t la = 0, lb = 0;
        nc_inq_dimid(fa, dim, &da);
        nc_inq_dimid(fb, dim, &db);
        nc_inq_dimlen(fa, da, &la);
        nc_inq_dimlen(fb, db, &lb);
        EXPECT_EQ(la, lb) << dim;
    }
    for (const char* var : {"discharge", "hydrograph_length", "peak_discharge", "peak_hour", "outflow_volume",
                            "computed", "realisation", "time"}) {
        int va = 0, vb = 0;
        ASSERT_EQ(nc_inq_varid(fa, var, &va), NC_NOERR) << var;
        ASSERT_EQ(nc_inq_varid(fb, var, &vb), NC_NOERR) << var;
        int dims = 0, ids[2] = {};
        nc_inq_varndims(fa, va, &dims);
        nc_inq_vardimid(fa, va, ids);
        std::size_t size = 1;
        for (int d = 0; d < dims; ++d) {
            std::size_t len = 0;
            nc_inq_dimlen(fa, ids[d], &len);
            size *= len;
        }
        std::vector<double> xa(size), xb(size);
        ASSERT_EQ(nc_get_var_double(fa, va, xa.data()), NC_NOERR) << var;
        ASSERT_EQ(nc_get_var_double(fb, vb, xb.data()), NC_NOERR) << var;
        EXPECT_EQ(xa, xb) << var;
    }
    int na = 0, nb = 0;
    nc_inq_natts(fa, &na);
    nc_inq_natts(fb, &nb);
    EXPECT_EQ(na, nb);
    for (int k = 0; k < na; ++k) {
        char name[NC_MAX_NAME + 1] = {};
        nc_inq_attname(fa, NC_GLOBAL, k, name);
        nc_type ta = 0, tb = 0;
        std::size_t la = 0, lb = 0, size = 0;
        ASSERT_EQ(nc_inq_att(fb, NC_GLOBAL, name, &tb, &lb), NC_NOERR) << name;
        nc_inq_att(fa, NC_GLOBAL, name, &ta, &la);
        ASSERT_EQ(ta, tb) << name;
        ASSERT_EQ(la, lb) << name;
        nc_inq_type(fa, ta, nullptr, &size);
        QByteArray va(static_cast<qsizetype>(la * size), '\0'), vb = va;
        nc_get_att(fa, NC_GLOBAL, name, va.data());
        nc_get_att(fb, NC_GLOBAL, name, vb.data());
        EXPECT_EQ(va, vb) << name;
    }
    nc_close(fa);
    nc_close(fb);
}

// The one-process series of the example, run once for the whole suite.
class SeriesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        const CliResult r =
            RunCli({kProject, "--separator", ",", "--seed", QString::number(kSeed), "--series", QString::number(kCount),
                    "--out", Path("s.csv"), "--band", Path("b.csv"), "--hydrographs", Path("h.nc")});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }
    static QString Path(const QString& name) { return dir->filePath(name); }
    // A shard of the example's series into `folder`.
    static CliResult Shard(const QString& folder, int first, int count, std::uint64_t seed = kSeed,
                           const QString& project = kProject, int series = kCount)
    {
        return RunCli({project, "--separator", ",", "--seed", QString::number(seed), "--series",
                       QString::number(series), "--first", QString::number(first), "--count", QString::number(count),
                       "--out", folder});
    }
    static QTemporaryDir* dir;
};
QTemporaryDir* SeriesTest::dir = nullptr;

TEST_F(SeriesTest, TheSeriesIsTheSeriesWindowsSeries)
{
    // The series window's computation, in process, on the example's inputs.
    const model::SeriesResult expected = model::RunSeries(examples::ZlewniaSeriesInputs(), kCount, kSeed, 2);
    ASSERT_EQ(expected.succeeded, kCount);
    EXPECT_EQ(FileBytes(Path("b.csv")), report::SeriesBandCsv(expected, u'.').Text().toUtf8());
    QString table = report::CsvLine(report::SeriesRealisationsHeader(), u',');
    for (std::size_t i = 0; i < expected.realisations.size(); ++i)
        table += report::CsvLine(report::SeriesRealisationRow(static_cast<int>(i + 1), expected.realisations[i], u'.'),
                                 u',');
    EXPECT_EQ(FileBytes(Path("s.csv")), table.toUtf8());
    // The band reaches the longest hydrograph and is no flat line.
    const auto band = CsvRows(FileBytes(Path("b.csv")));
    EXPECT_EQ(static_cast<int>(band.size()) - 1, expected.longestHydrograph);
    EXPECT_GT(expected.peak.max, expected.peak.min);
}

TEST_F(SeriesTest, FourShardsMergeToTheOneProcessRunValueForValue)
{
    QTemporaryDir work;
    const int bounds[] = {0, 70, 150, 151, kCount};
    // Run in another order than their ranges, merged in yet another.
    for (int s : {3, 0, 2, 1}) {
        const CliResult r = Shard(work.filePath(QString::number(s)), bounds[s], bounds[s + 1] - bounds[s]);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    }
    const CliResult merged = RunCli({"merge", work.filePath("2"), work.filePath("0"), work.filePath("3"),
                                     work.filePath("1"), "--out", work.filePath("all")});
    ASSERT_EQ(merged.exitCode, 0) << merged.err.toStdString();
    EXPECT_EQ(FileBytes(work.filePath("all/realizacje.csv")), FileBytes(Path("s.csv")));
    EXPECT_EQ(FileBytes(work.filePath("all/pasmo.csv")), FileBytes(Path("b.csv")));
    // Merges run as a tree: a partial merge of a middle range is a part in turn, and a partial
    // merge of partial merges too; the whole series merged from them is the same series, and
    // its hydrographs are those of the one-process run.
    const CliResult middle =
        RunCli({"merge", work.filePath("2"), work.filePath("1"), "--partial", "--out", work.filePath("mid")});
    ASSERT_EQ(middle.exitCode, 0) << middle.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(work.filePath("mid/pasmo.csv")));
    // Its table holds its own realisations, numbered within the series.
    const auto midRows = CsvRows(FileBytes(work.filePath("mid/realizacje.csv")));
    const auto allRows = CsvRows(FileBytes(Path("s.csv")));
    ASSERT_EQ(midRows.size(), 82u);
    EXPECT_EQ(midRows[1], allRows[71]);
    EXPECT_EQ(midRows[81], allRows[151]);
    ASSERT_EQ(RunCli({"merge", work.filePath("mid"), work.filePath("3"), "--partial", "--out", work.filePath("high")})
                  .exitCode,
              0);
    const CliResult again =
        RunCli({"merge", work.filePath("high"), work.filePath("0"), "--out", work.filePath("again")});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(FileBytes(work.filePath("again/realizacje.csv")), FileBytes(Path("s.csv")));
    EXPECT_EQ(FileBytes(work.filePath("again/pasmo.csv")), FileBytes(Path("b.csv")));
    const CliResult alone = RunCli({"merge", Path("h.nc"), "--out", work.filePath("alone")});
    ASSERT_EQ(alone.exitCode, 0) << alone.err.toStdString();
    EXPECT_EQ(FileBytes(work.filePath("alone/pasmo.csv")), FileBytes(Path("b.csv")));
    ExpectSameHydrographs(work.filePath("again/hydrogramy.nc"), Path("h.nc"));
    // A shard's table holds its own realisations, numbered within the series.
    const auto shard = CsvRows(FileBytes(work.filePath("1/realizacje.csv")));
    ASSERT_EQ(shard.size(), 81u);
    EXPECT_EQ(shard[1][0], QStringLiteral("71"));
    // A merge again replaces its earlier results.
    EXPECT_EQ(RunCli({"merge", work.filePath("0"), work.filePath("1"), work.filePath("2"), work.filePath("3"), "--out",
                      work.filePath("all")})
                  .exitCode,
              0);
    EXPECT_EQ(FileBytes(work.filePath("all/pasmo.csv")), FileBytes(Path("b.csv")));
}

TEST_F(SeriesTest, MergeRefusesPartsThatAreNotOneSeries)
{
    QTemporaryDir work;
    // The example with another channel width: other inputs.
    files::ParametersRecord wider = examples::ZlewniaParameters();
    wider.values[5] = QStringLiteral("16");
    const files::ProjectPaths example = files::ReadProjectFile(kProject);
    files::WriteParametersFile(work.filePath("wider.kwx"), wider);
    files::WriteProjectFile(work.filePath("wider.kpr"), {example.rainfall, example.scs, work.filePath("wider.kwx")});

    ASSERT_EQ(Shard(work.filePath("a"), 0, 40).exitCode, 0);
    ASSERT_EQ(Shard(work.filePath("b"), 40, 40).exitCode, 0);
    ASSERT_EQ(Shard(work.filePath("gap"), 90, 10).exitCode, 0);
    ASSERT_EQ(Shard(work.filePath("overlap"), 30, 20).exitCode, 0);
    ASSERT_EQ(Shard(work.filePath("seed"), 40, 40, kSeed + 1).exitCode, 0);
    ASSERT_EQ(Shard(work.filePath("inputs"), 40, 40, kSeed, work.filePath("wider.kpr")).exitCode, 0);
    ASSERT_EQ(Shard(work.filePath("late"), 10, 30).exitCode, 0);
    ASSERT_EQ(Shard(work.filePath("rest"), 80, kCount - 80).exitCode, 0);
    // Shards of an earlier, larger run of the same seed and inputs left in a reused folder.
    ASSERT_EQ(Shard(work.filePath("stale"), kCount, 40, kSeed, kProject, kCount + 40).exitCode, 0);
    ASSERT_EQ(Shard(work.filePath("stale-rest"), 80, kCount - 80, kSeed, kProject, kCount + 40).exitCode, 0);
    const struct {
        const char* name;
        QStringList parts;
        QString message;
    } cases[] = {
        {"a gap", {"a", "b", "gap"}, "Brak realizacji o indeksach 80..89 przed fragmentem"},
        {"no start", {"late", "b"}, "Brak realizacji o indeksach 0..9 przed fragmentem"},
        {"an overlap", {"a", "overlap"}, "zachodzi na realizacje innego fragmentu"},
        {"the same shard twice", {"a", "a"}, "zachodzi na realizacje innego fragmentu"},
        {"another seed", {"a", "seed"}, "pochodzi z serii o innym ziarnie (12, a nie 11)"},
        {"other inputs", {"a", "inputs"}, "policzono na innych danych"},
        {"the last shard missing", {"a", "b"}, "Brak realizacji o indeksach 80..299 po fragmencie"},
        {"a stale shard of a larger run", {"a", "b", "rest", "stale"}, "należy do serii 340 realizacji"},
        {"a shard of a larger run in place of one of this run",
         {"a", "b", "stale-rest"},
         "należy do serii 340 realizacji, a fragment"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList args{"merge"};
        for (const QString& p : c.parts)
            args << work.filePath(p);
        args << "--out" << work.filePath("merged");
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, 4);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(work.filePath("merged")));
    }
    // A partial merge takes a range from anywhere, but not one with a gap or from two series.
    EXPECT_EQ(RunCli({"merge", work.filePath("b"), "--partial", "--out", work.filePath("merged")}).exitCode, 0);
    for (const QStringList& parts : {QStringList{"a", "gap"}, QStringList{"b", "stale-rest"}}) {
        QStringList args{"merge", "--partial", "--out", work.filePath("merged2")};
        for (const QString& p : parts)
            args << work.filePath(p);
        EXPECT_EQ(RunCli(args).exitCode, 4) << parts.join(',').toStdString();
    }
}

TEST_F(SeriesTest, AManifestRunsEachProjectAsItsOwnSeries)
{
    QTemporaryDir work;
    const auto write = [&](const char* name, const QByteArray& text) {
        QFile f(work.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    const QByteArray example = QFile::encodeName(kProject);
    write("projekty.csv",
          "projekt,realizacje,ziarno\n# the example twice\n" + example + ",300,11\n\n" + example + ",20,5\n");
    CliResult r =
        RunCli({"manifest", work.filePath("projekty.csv"), "--separator", ",", "--out", work.filePath("out")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // Each line's folder is the series of its line.
    EXPECT_EQ(FileBytes(work.filePath("out/003-zlewnia/realizacje.csv")), FileBytes(Path("s.csv")));
    EXPECT_EQ(FileBytes(work.filePath("out/003-zlewnia/pasmo.csv")), FileBytes(Path("b.csv")));
    EXPECT_EQ(CsvRows(FileBytes(work.filePath("out/005-zlewnia/realizacje.csv"))).size(), 21u);

    // A faulty line is named, and ends the call with its error's code.
    write("zle.csv", example + ",5,1\nbrak.kpr,5,1\n");
    r = RunCli({"manifest", work.filePath("zle.csv"), "--separator", ",", "--out", work.filePath("zle")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(work.filePath("zle.csv") + ", wiersz 2: " + work.filePath("brak.kpr") +
                               ": Nie można otworzyć pliku"))
        << r.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(work.filePath("zle/001-zlewnia/pasmo.csv")));
    write("liczba.csv", example + ",dużo,1\n");
    r = RunCli({"manifest", work.filePath("liczba.csv"), "--out", work.filePath("liczba")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("wiersz 1: liczba realizacji 'dużo' nie jest liczbą naturalną")) << r.err.toStdString();
    // A '%' in the file's name is part of the name, not a place for the line number.
    write("liczba %2 %1.csv", example + ",dużo,1\n");
    r = RunCli({"manifest", work.filePath("liczba %2 %1.csv"), "--out", work.filePath("procent")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(work.filePath("liczba %2 %1.csv") +
                               ", wiersz 1: liczba realizacji 'dużo' nie jest liczbą naturalną"))
        << r.err.toStdString();
}

// Reads a NetCDF file back through the library.
class NcFile {
public:
    explicit NcFile(const QString& path) { ok = nc_open(QFile::encodeName(path).constData(), NC_NOWRITE, &id) == 0; }
    ~NcFile()
    {
        if (ok)
            nc_close(id);
    }
    std::size_t Dim(const char* name)
    {
        int d = 0;
        std::size_t n = 0;
        EXPECT_EQ(nc_inq_dimid(id, name, &d), NC_NOERR) << name;
        EXPECT_EQ(nc_inq_dimlen(id, d, &n), NC_NOERR);
        return n;
    }
    int Var(const char* name)
    {
        int v = -1;
        EXPECT_EQ(nc_inq_varid(id, name, &v), NC_NOERR) << name;
        return v;
    }
    std::string Text(int var, const char* name)
    {
        std::size_t n = 0;
        if (nc_inq_attlen(id, var, name, &n) != NC_NOERR)
            return {};
        std::string s(n, '\0');
        nc_get_att_text(id, var, name, s.data());
        return s;
    }
    int id = -1;
    bool ok = false;
};

TEST_F(SeriesTest, TheHydrographFileReadsBackThroughTheLibraryWithItsConventions)
{
    NcFile nc(Path("h.nc"));
    ASSERT_TRUE(nc.ok);
    int format = 0;
    ASSERT_EQ(nc_inq_format(nc.id, &format), NC_NOERR);
    EXPECT_EQ(format, NC_FORMAT_NETCDF4);
    EXPECT_EQ(nc.Text(NC_GLOBAL, "Conventions"), "CF-1.8");
    unsigned long long seed = 0;
    ASSERT_EQ(nc_get_att_ulonglong(nc.id, NC_GLOBAL, "seed", &seed), NC_NOERR);
    EXPECT_EQ(seed, kSeed);
    double b = 0;
    ASSERT_EQ(nc_get_att_double(nc.id, NC_GLOBAL, "b_m", &b), NC_NOERR);
    EXPECT_EQ(b, 15.0);
    EXPECT_EQ(nc.Dim("realisation"), static_cast<std::size_t>(kCount));
    const std::size_t hours = nc.Dim("time");
    const int discharge = nc.Var("discharge");
    EXPECT_EQ(nc.Text(discharge, "units"), "m3 s-1");
    EXPECT_EQ(nc.Text(nc.Var("time"), "units"), "hours");
    int dims[2] = {};
    ASSERT_EQ(nc_inq_vardimid(nc.id, discharge, dims), NC_NOERR);

    // Realisations read back are the realisations computed in process from their sub-streams.
    const model::ComputationInputs inputs = examples::ZlewniaSeriesInputs();
    model::RealisationWorkspace work;
    std::size_t longest = 0;
    for (int k : {0, 1, 157, kCount - 1}) {
        SCOPED_TRACE(k);
        model::SubstreamSource random(kSeed, static_cast<std::uint64_t>(k));
        const model::RealisationResult r = model::RunRealisation(inputs, random, work);
        std::vector<float> row(hours);
        const std::size_t start[2] = {static_cast<std::size_t>(k), 0}, count[2] = {1, hours};
        ASSERT_EQ(nc_get_vara_float(nc.id, discharge, start, count, row.data()), NC_NOERR);
        ASSERT_LE(static_cast<std::size_t>(r.length), hours);
        EXPECT_EQ(std::vector<float>(row.begin(), row.begin() + r.length),
                  std::vector<float>(r.ordinates + 1, r.ordinates + 1 + r.length));
        for (std::size_t t = static_cast<std::size_t>(r.length); t < hours; ++t)
            EXPECT_EQ(row[t], NC_FILL_FLOAT) << t;
        const std::size_t at[1] = {static_cast<std::size_t>(k)};
        int length = 0, number = 0;
        float peak = 0;
        double volume = 0;
        nc_get_var1_int(nc.id, nc.Var("hydrograph_length"), at, &length);
        nc_get_var1_int(nc.id, nc.Var("realisation"), at, &number);
        nc_get_var1_float(nc.id, nc.Var("peak_discharge"), at, &peak);
        nc_get_var1_double(nc.id, nc.Var("outflow_volume"), at, &volume);
        EXPECT_EQ(length, r.length);
        EXPECT_EQ(number, k + 1);
        EXPECT_EQ(peak, r.peak);
        EXPECT_EQ(volume, r.volume);
        longest = std::max(longest, static_cast<std::size_t>(r.length));
    }
    EXPECT_GE(hours, longest);
}

// --help is the option table's: it names every option the parser knows and no other, and the
// program prints exactly that text.
TEST(CommandLine, HelpShowsTheOptionTable)
{
    const QString usage = UsageText();
    QSet<QString> shown;
    for (const QRegularExpressionMatch& m : QRegularExpression(QStringLiteral("--[a-z]+")).globalMatch(usage))
        shown.insert(m.captured());
    const QStringList names = OptionNames();
    EXPECT_EQ(shown, QSet<QString>(names.begin(), names.end()));

    const CliResult r = RunCli(Args({QStringLiteral("--help")}));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, usage.toUtf8());
}

TEST(CommandLine, AClockSeedIsPrintedAndRepeatsTheRealisation)
{
    const CliResult first = RunCli({kProject, "--separator", ","});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("ziarno (\\d+)")).match(first.err);
    ASSERT_TRUE(m.hasMatch()) << first.err.toStdString();
    const CliResult again = RunCli({kProject, "--separator", ",", "--seed", m.captured(1)});
    ASSERT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, first.out);
    EXPECT_GT(CsvRows(first.out).size(), 30u);
}

// A bar on a terminal (util-linux's script gives the program one), nothing in a log.
TEST(CommandLine, ProgressIsDrawnOnATerminalOnly)
{
    QTemporaryDir work;
    const QString command = QStringLiteral("%1 %2 --separator , --seed 1 --series 300 --out %3")
                                .arg(QStringLiteral(MORAVEL_RUN), kProject, work.filePath("s.csv"));
    QProcess terminal;
    terminal.start(QStringLiteral("script"), {"-qec", command, "/dev/null"});
    ASSERT_TRUE(terminal.waitForFinished(120000));
    EXPECT_EQ(terminal.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(terminal.readAllStandardOutput()).contains("] 300/300 realizacji, zostało ok."));
    const CliResult log =
        RunCli({kProject, "--separator", ",", "--seed", "1", "--series", "300", "--out", work.filePath("s2.csv")});
    EXPECT_EQ(log.exitCode, 0);
    EXPECT_EQ(log.err, QString());
}

// The data files' decimal separator is the system locale's, as in the window, unless named.
TEST(CommandLine, TheDecimalSeparatorOfTheDataIsTheLocalesUnlessNamed)
{
    const CliResult named = RunCli({kProject, "--seed", "3", "--separator", ","}, "C");
    ASSERT_EQ(named.exitCode, 0) << named.err.toStdString();
    const CliResult polish = RunCli({kProject, "--seed", "3"}, "pl_PL.UTF-8");
    ASSERT_EQ(polish.exitCode, 0) << polish.err.toStdString();
    EXPECT_EQ(polish.out, named.out);
    // The README's first example under C.UTF-8: the message says which separator reads the data.
    const QString hint = QStringLiteral("Dane czytają się z separatorem dziesiętnym ',', a nie '.': podaj --separator ,");
    for (const char* locale : {"C", "C.UTF-8"}) {
        SCOPED_TRACE(locale);
        const CliResult c = RunCli({kProject, "--seed", "3"}, QString::fromLatin1(locale));
        EXPECT_EQ(c.exitCode, 1);
        EXPECT_TRUE(c.err.contains("Brak średniego współczynnika CN - uzupełnij tabelę użytkowania terenu. " + hint))
            << c.err.toStdString();
    }
    // Data that reads under neither separator gets no hint; a hint names the other way round too.
    QTemporaryDir work;
    files::ProjectPaths example = files::ReadProjectFile(kProject);
    files::ParametersRecord point = examples::ZlewniaParameters();
    for (QString& v : point.values)
        v.replace(QLatin1Char(','), QLatin1Char('.'));
    files::WriteParametersFile(work.filePath("kropka.kwx"), point);
    files::WriteProjectFile(work.filePath("mieszany.kpr"), {example.rainfall, example.scs, work.filePath("kropka.kwx")});
    const CliResult mixed = RunCli({work.filePath("mieszany.kpr"), "--seed", "3"}, "C");
    EXPECT_EQ(mixed.exitCode, 1);
    EXPECT_FALSE(mixed.err.contains("--separator")) << mixed.err.toStdString();
    files::RainfallRecord rain = examples::ZlewniaRainfall();
    files::ScsRecord scs = files::ReadScsFile(example.scs);
    for (QString& v : rain.hours)
        v.replace(QLatin1Char(','), QLatin1Char('.'));
    for (auto& row : scs.areas)
        for (QString& v : row)
            v.replace(QLatin1Char(','), QLatin1Char('.'));
    for (QString& v : scs.ownClassCn)
        v.replace(QLatin1Char(','), QLatin1Char('.'));
    files::WriteRainfallFile(work.filePath("kropka.kwp"), rain);
    files::WriteScsFile(work.filePath("kropka.kws"), scs);
    files::WriteProjectFile(work.filePath("kropka.kpr"),
                            {work.filePath("kropka.kwp"), work.filePath("kropka.kws"), work.filePath("kropka.kwx")});
    ASSERT_EQ(RunCli({work.filePath("kropka.kpr"), "--seed", "3"}, "C").exitCode, 0);
    const CliResult comma = RunCli({work.filePath("kropka.kpr"), "--seed", "3", "--separator", ","});
    EXPECT_EQ(comma.exitCode, 1);
    EXPECT_TRUE(comma.err.contains("Dane czytają się z separatorem dziesiętnym '.', a nie ',': podaj --separator ."))
        << comma.err.toStdString();
}

// A binary file handed over as a project, and one whose lines hold control characters: the
// message names them escaped and short, and nothing raw reaches the terminal.
// A shard whose description claims one record fewer or more than the file holds: the merge
// refuses it by name and writes nothing (the count planted in the file's bytes, its length
// kept, so that only the count is wrong).
TEST(CommandLine, AShardClaimingAnotherRecordCountIsRefused)
{
    QTemporaryDir work;
    const QString shard = work.filePath("s0");
    ASSERT_EQ(RunCli({kProject, "--separator", ",", "--seed", "1", "--series", "5", "--first", "0", "--count", "5", "--out", shard,
                      "--quiet"})
                  .exitCode,
              0);
    const QString part = shard + "/hydrogramy.bin";
    const QByteArray good = FileBytes(part);
    ASSERT_EQ(good.count("count=5"), 1);
    for (const char* planted : {"count=4", "count=6"}) {
        SCOPED_TRACE(planted);
        QByteArray bytes = good;
        bytes.replace("count=5", planted);
        ASSERT_TRUE(WriteFile(part, bytes));
        const CliResult r = RunCli({"merge", shard, "--out", work.filePath("m")});
        EXPECT_GT(r.exitCode, 0);
        EXPECT_LT(r.exitCode, 128);
        EXPECT_TRUE(r.err.contains(part)) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(work.filePath("m")));
    }
    ASSERT_TRUE(WriteFile(part, good));
    EXPECT_EQ(RunCli({"merge", shard, "--out", work.filePath("m"), "--quiet"}).exitCode, 0);
}

TEST(CommandLine, ControlCharactersOfAFileReachTheMessageEscaped)
{
    QTemporaryDir work;
    QByteArray binary;
    for (int i = 0; i < 3000; ++i)
        binary += static_cast<char>((i * 37) % 256);
    ASSERT_TRUE(WriteFile(work.filePath("bin.kpr"), binary));
    ASSERT_TRUE(WriteFile(work.filePath("esc.kpr"), "\x1b[31mopad\x07.kwp\r\nb.kws\r\nc.kwx\r\n"));
    const CliResult bin = RunCli({work.filePath("bin.kpr"), "--separator", ","});
    EXPECT_EQ(bin.exitCode, 1);
    EXPECT_TRUE(bin.err.contains("Nazwa pliku nie może zawierać znaku NUL: " + work.filePath("\\0%Jo")))
        << bin.err.toStdString();
    EXPECT_LT(bin.err.size(), 600);
    const CliResult esc = RunCli({work.filePath("esc.kpr"), "--separator", ","});
    EXPECT_EQ(esc.exitCode, 1);
    EXPECT_TRUE(esc.err.contains("Nie można otworzyć pliku " + work.filePath("\\x1B[31mopad\\x07.kwp")))
        << esc.err.toStdString();
    for (const CliResult* r : {&bin, &esc}) {
        ASSERT_TRUE(r->err.endsWith(QLatin1Char('\n')));
        for (const QChar c : r->err.chopped(1))
            EXPECT_FALSE(c.unicode() < 0x20 || c.unicode() == 0x7F) << r->err.toStdString();
    }
    EXPECT_FALSE(bin.err.contains("Broken filename")) << bin.err.toStdString();
}

// One rule bounds every realisation count: a streamed series (--series, a manifest line, a
// shard) numbers its realisations within 2147483647; a table kept whole in memory (--variants,
// --design) has the window's 100000 per series. A count at its bound passes the check and the
// run ends only at the missing file it names.
TEST(CommandLine, RealisationCountsFollowOneRule)
{
    QTemporaryDir work;
    const auto path = [&](const char* name) { return work.filePath(QString::fromUtf8(name)); };
    ASSERT_TRUE(WriteFile(path("ok.csv"), "brak.kpr,2147483647,7\n"));
    ASSERT_TRUE(WriteFile(path("over.csv"), "brak.kpr,2147483648,7\n"));
    ASSERT_TRUE(WriteFile(path("far.csv"), "projekt,realizacje,ziarno\nbrak.kpr,3000000000,7\n"));
    const QString missing = "Nie można otworzyć pliku " + path("brak");
    const struct {
        const char* name;
        QStringList args;
        int code;
        QString message;
    } cases[] = {
        {"a series at the bound", {path("brak.kpr"), "--series", "2147483647"}, 1, missing},
        {"a series over it", {path("brak.kpr"), "--series", "2147483648"}, 2,
         "Seria może mieć najwyżej 2147483647 realizacji"},
        {"a manifest line at the bound", {"manifest", path("ok.csv"), "--out", path("m")}, 1, missing},
        {"a manifest line over it",
         {"manifest", path("over.csv"), "--out", path("m")},
         1,
         path("over.csv") + ", wiersz 1: Seria może mieć najwyżej 2147483647 realizacji"},
        {"a manifest line far over it",
         {"manifest", path("far.csv"), "--out", path("m")},
         1,
         path("far.csv") + ", wiersz 2: Seria może mieć najwyżej 2147483647 realizacji"},
        {"a shard ending at the bound",
         {path("brak.kpr"), "--seed", "1", "--series", "2147483647", "--first", "2147483547", "--count", "100",
          "--out", path("d")},
         1,
         missing},
        {"a shard ending beyond it",
         {path("brak.kpr"), "--seed", "1", "--series", "2147483647", "--first", "2147483548", "--count", "100",
          "--out", path("d")},
         2,
         "nie mogą przekraczać 2147483647"},
        {"variants at the window's bound", {"--variants", path("brak.txt"), "--count", "100000"}, 1, missing},
        {"variants over it", {"--variants", path("brak.txt"), "--count", "100001"}, 2,
         "Seria wariantu może mieć najwyżej 100000 realizacji"},
        {"design storms at the window's bound", {"--design", path("brak.txt"), "--count", "100000"}, 1, missing},
        {"design storms over it", {"--design", path("brak.txt"), "--count", "100001"}, 2,
         "Seria burzy może mieć najwyżej 100000 realizacji"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, c.code);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(path("m/001-brak")));
}

TEST(CommandLine, ErrorsNameTheFileExitWithTheirCodeAndLeaveNothingHalfWritten)
{
    QTemporaryDir work;
    const auto path = [&](const char* name) { return work.filePath(QString::fromUtf8(name)); };
    // A project whose SCS file is missing, and one whose hour count is no integer.
    const files::ProjectPaths example = files::ReadProjectFile(kProject);
    files::WriteProjectFile(path("noscs.kpr"), {example.rainfall, path("none.kws"), example.parameters});
    files::RainfallRecord half = examples::ZlewniaRainfall();
    half.hourCount = QStringLiteral("2,5");
    files::WriteRainfallFile(path("half.kwp"), half);
    files::WriteProjectFile(path("half.kpr"), {path("half.kwp"), example.scs, example.parameters});
    // A folder that is not moravel-run's results.
    QDir().mkpath(path("mine"));
    QFile note(path("mine/notatki.txt"));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.write("moje");
    note.close();

    const QString ex = kProject;
    const struct {
        const char* name;
        QStringList args;
        int code;
        QString message;
        QString absent;  // an output that must not exist afterwards
    } cases[] = {
        {"a missing project", {path("none.kpr")}, 1, "Nie można otworzyć pliku " + path("none.kpr"), {}},
        {"a missing data file",
         {path("noscs.kpr"), "--separator", ","},
         1,
         "Nie można otworzyć pliku " + path("none.kws"),
         {}},
        {"an hour count that is no integer",
         {path("half.kpr"), "--separator", ","},
         1,
         "'2,5' is not a valid integer value",
         {}},
        {"data read with the wrong decimal separator",
         {ex, "--separator", ".", "--out", path("x.csv")},
         1,
         "Brak średniego współczynnika CN",
         path("x.csv")},
        {"an unknown option", {ex, "--seeed", "1"}, 2, "Nieznana opcja --seeed", {}},
        {"a shard without a seed",
         {ex, "--first", "0", "--count", "5", "--out", path("d")},
         2,
         "ziarna (--seed)",
         path("d")},
        {"a series of none", {ex, "--series", "0"}, 2, "Opcja --series wymaga liczby całkowitej", {}},
        {"a shard beyond the numbers",
         {ex, "--seed", "1", "--first", "2147483600", "--count", "100", "--out", path("d")},
         2,
         "nie mogą przekraczać 2147483647",
         path("d")},
        {"a band without a series", {ex, "--band", path("b.csv")}, 2, "dotyczą serii", path("b.csv")},
        {"a merge without an output", {"merge", path("d")}, 2, "(--out)", {}},
        {"an output in a missing folder",
         {ex, "--separator", ",", "--out", path("no/x.csv")},
         3,
         "Nie można utworzyć pliku " + path("no/x.csv"),
         {}},
        {"a band that can't be written",
         {ex, "--separator", ",", "--series", "5", "--out", path("s.csv"), "--band", path("no/b.csv")},
         3,
         "Nie można utworzyć pliku " + path("no/b.csv"),
         path("s.csv")},
        {"hydrographs that can't be written",
         {ex, "--separator", ",", "--series", "5", "--out", path("s.csv"), "--hydrographs", path("no/h.nc")},
         3,
         "Nie można utworzyć pliku " + path("no/h.nc"),
         path("s.csv")},
        {"a shard without its series",
         {ex, "--seed", "1", "--first", "0", "--count", "5", "--out", path("d")},
         2,
         "całej serii (--series N)",
         path("d")},
        {"a shard beyond its series",
         {ex, "--seed", "1", "--series", "10", "--first", "8", "--count", "5", "--out", path("d")},
         2,
         "Fragment (indeksy 8..12) wychodzi poza serię 10 realizacji",
         path("d")},
        {"a partial run", {ex, "--partial"}, 2, "Opcja --partial nie dotyczy tego polecenia", {}},
        {"a folder of other files",
         {ex, "--separator", ",", "--seed", "1", "--series", "5", "--first", "0", "--count", "5", "--out",
          path("mine")},
         3,
         "nie jest katalogiem wyników moravel-run",
         {}},
        {"merge of a folder without a shard",
         {"merge", path("mine"), "--out", path("m")},
         1,
         "Nie można odczytać pliku " + path("mine/hydrogramy.nc"),
         path("m")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, c.code);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("moravel-run: "))) << r.err.toStdString();
        if (!c.absent.isEmpty())
            EXPECT_FALSE(QFileInfo::exists(c.absent));
    }
    EXPECT_EQ(FileBytes(path("mine/notatki.txt")), QByteArray("moje"));
    // No temporary is left behind.
    EXPECT_EQ(QDir(work.path()).entryList({".*.moravel-*"}, QDir::AllEntries | QDir::Hidden), QStringList());
}

// A shard killed while writing leaves its temporary folder; the next run writing into the
// same folder removes it, and only the temporaries whose process is gone on this machine.
TEST(CommandLine, TheTemporariesOfAKilledRunAreRemovedByTheNextRunInTheirFolder)
{
    QTemporaryDir work;
    const auto path = [&](const QString& name) { return work.filePath(name); };
    const QStringList shard{kProject, "--separator", ",", "--seed", "3", "--series", "4000000", "--first", "0",
                            "--quiet"};
    QProcess killed;
    killed.start(QStringLiteral(MORAVEL_RUN), shard + QStringList{"--count", "4000000", "--out", path("k0")});
    ASSERT_TRUE(killed.waitForStarted());
    // Until its temporary folder holds the hydrographs it is writing.
    QStringList left;
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired()) {
        left = QDir(work.path()).entryList({".k0.moravel-*"}, QDir::Dirs | QDir::Hidden);
        if (left.size() == 1 && QFileInfo(path(left.front() + "/hydrogramy.bin")).size() > 0)
            break;
        killed.waitForFinished(20);
    }
    ASSERT_EQ(left.size(), 1);
    ::kill(static_cast<pid_t>(killed.processId()), SIGKILL);
    ASSERT_TRUE(killed.waitForFinished(30000));
    ASSERT_TRUE(QFileInfo(path(left.front())).isDir());

    // Temporaries of other owners: this process (running), another machine, another form, a
    // process that has ended (its folder put aside by a commit, and a file).
    const QString owner = TemporaryOwner();
    const QString host = owner.left(owner.lastIndexOf(u'-'));
    const pid_t ended = fork();
    ASSERT_GE(ended, 0);
    if (ended == 0)
        _exit(0);
    ASSERT_EQ(waitpid(ended, nullptr, 0), ended);
    const QString gone = QStringLiteral("%1-%2").arg(host).arg(ended);
    const QStringList kept{".k2.moravel-" + owner + "-aB3dE9", ".k2.moravel-elsewhere-" + QString::number(ended) + "-aB3dE9",
                           ".k2.moravel-aB3dE9"};
    const QStringList removed{".k3.moravel-" + gone + "-aB3dE9.old", ".h.nc.moravel-" + gone + "-Qw12Er"};
    for (const QString& name : kept + removed.mid(0, 1))
        ASSERT_TRUE(QDir().mkpath(path(name + "/x")));
    ASSERT_TRUE(WriteFile(path(removed[1]), "x"));

    const CliResult next = RunCli(shard + QStringList{"--count", "10", "--out", path("k1")});
    ASSERT_EQ(next.exitCode, 0) << next.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path(left.front())));
    for (const QString& name : removed)
        EXPECT_FALSE(QFileInfo::exists(path(name))) << name.toStdString();
    for (const QString& name : kept)
        EXPECT_TRUE(QFileInfo::exists(path(name + "/x"))) << name.toStdString();
}

}  // namespace
}  // namespace moravel::cli::testing
