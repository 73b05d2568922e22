// moravel-run as a script runs it, timed from outside (start-up, reading the project and
// writing the results included):
// - BM_CliShard: a shard of 10 000 realisations of the example (--first --count --out) on one
//   core, against the series run in process on one worker thread on the same inputs; the
//   rates are per second of processor time (user and system) and vs_in_process is the
//   shard's rate over the in-process rate.
// - BM_CliMillion: the peak resident memory of 1 000 000 realisations in one process, as a
//   shard (arg 0) and as a series with its band (arg 1).
// - BM_CliMerge: the merge of 100 shards of 10 000 realisations (1 000 000).
// Run it alone: the children's memory and time are their own, measured by wait4.
#include "ZlewniaSeries.h"
#include "model/Series.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

using namespace moravel;

namespace {

struct Child {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system
    double peakMegabytes = 0;
    bool ok = false;
};

double CpuSeconds(const rusage& u)
{
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

double ProcessCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return CpuSeconds(u);
}

// Runs moravel-run with `arguments`, its output thrown away, and waits for it.
Child RunCli(const QStringList& arguments)
{
    std::vector<std::string> args{MORAVEL_RUN};
    for (const QString& a : arguments)
        args.push_back(a.toStdString());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    Child c;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        return c;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    c.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    c.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
    c.cpuSeconds = CpuSeconds(usage);
    c.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return c;
}

const QString kProject = QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr");

// Realisations first..first+count-1 of a series of `series` (by default, of first + count).
QStringList Shard(std::int64_t first, std::int64_t count, const QString& out, std::int64_t series = 0)
{
    return {kProject,
            "--separator",
            ",",
            "--seed",
            "1",
            "--series",
            QString::number(series ? series : first + count),
            "--first",
            QString::number(first),
            "--count",
            QString::number(count),
            "--out",
            out,
            "--quiet"};
}

void BM_CliShard(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const model::ComputationInputs inputs = examples::ZlewniaSeriesInputs();
    QTemporaryDir dir;
    double cli = 0, inProcess = 0;
    for (auto _ : state) {
        const Child c = RunCli(Shard(0, count, dir.filePath("shard")));
        if (!c.ok)
            state.SkipWithError("moravel-run failed");
        state.SetIterationTime(c.seconds);
        cli += c.cpuSeconds;
        // The same realisations in process, on one worker thread (the band included).
        const double start = ProcessCpuSeconds();
        const model::SeriesResult r = model::RunSeries(inputs, count, 1, 1);
        inProcess += ProcessCpuSeconds() - start;
        benchmark::DoNotOptimize(r.band.data());
    }
    // Per core: realisations per second of processor time (on a loaded machine the wall time
    // says more about the neighbours than about the program).
    const double realisations = static_cast<double>(count) * static_cast<double>(state.iterations());
    state.counters["realisations_per_cpu_s"] = realisations / cli;
    state.counters["in_process_per_cpu_s"] = realisations / inProcess;
    state.counters["vs_in_process"] = inProcess / cli;
}
BENCHMARK(BM_CliShard)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_CliMillion(benchmark::State& state)
{
    const bool series = state.range(0) == 1;
    QTemporaryDir dir;
    for (auto _ : state) {
        const Child c = series ? RunCli({kProject, "--separator", ",", "--seed", "1", "--series", "1000000", "--out",
                                         dir.filePath("s.csv"), "--band", dir.filePath("b.csv"), "--quiet"})
                               : RunCli(Shard(0, 1000000, dir.filePath("shard")));
        if (!c.ok)
            state.SkipWithError("moravel-run failed");
        state.SetIterationTime(c.seconds);
        state.counters["peak_rss_MB"] = c.peakMegabytes;
    }
}
BENCHMARK(BM_CliMillion)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

void BM_CliMerge(benchmark::State& state)
{
    constexpr int kShards = 100, kCount = 10000;
    QTemporaryDir dir;
    QStringList merge{"merge"};
    for (int s = 0; s < kShards; ++s) {
        const QString folder = dir.filePath(QStringLiteral("f%1").arg(s));
        if (!RunCli(Shard(std::int64_t(s) * kCount, kCount, folder, std::int64_t(kShards) * kCount)).ok) {
            state.SkipWithError("a shard failed");
            return;
        }
        merge << folder;
    }
    merge << "--out" << dir.filePath("all") << "--quiet";
    for (auto _ : state) {
        const Child c = RunCli(merge);
        if (!c.ok)
            state.SkipWithError("the merge failed");
        state.SetIterationTime(c.seconds);
        state.counters["peak_rss_MB"] = c.peakMegabytes;
    }
}
BENCHMARK(BM_CliMerge)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
