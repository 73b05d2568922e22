// The whole program, one fresh process per measurement (startup_probe):
//   FirstPaint         from just before the process is spawned until it reports that the
//                      window's first paint has been drawn; counters split that interval
//                      (load: until main, app: QApplication, window: its constructor, show,
//                      to_paint: until the first paint event, paint: until the image is handed
//                      to the window system, display: until the X server drew it) and give the
//                      probe's processor time by then (cpu).
//   StartupAgainstBareWindow  the program and a bare window (the screen's size, the same menu
//                      titles, a hidden chart view) started in alternating pairs; counters
//                      give each one's wall time to the drawn first paint, processor time and
//                      peak memory by then, and the program's ratios to the bare window
//                      (wall_ratio, cpu_ratio, mem_ratio), over the sums of all pairs.
//   MemoryAfterHydrogram  peak resident memory after the example project was opened and its
//                      hydrograph drawn (VmHWM of the probe).
// On X when DISPLAY is set (e.g. under xvfb-run -a -s "-screen 0 1280x1024x24"), on the
// offscreen platform otherwise; QT_QPA_PLATFORM chooses explicitly. The label names the
// platform the probe used.
//
// While it runs, the benchmark keeps a connection of its own to the X display. An X server
// resets itself when its last client leaves (Xvfb by default, rebuilding its keymap with
// xkbcomp), which a desktop with other programs never does; without that connection every
// probe would start on a server busy resetting after the previous one.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#if defined(MORAVEL_PROBE_XCB)
#include <xcb/xcb.h>
#endif

extern char** environ;

namespace {

struct ProbeRun {
    std::string error;  // empty when the probe reported
    std::string platform;
    std::map<std::string, long long> fields;  // the key=value fields of its line
    double seconds = 0;                       // from before the spawn to the line read
};

// Starts the probe with `args`, reads its one line of standard output and waits for it to end.
ProbeRun RunProbe(const std::vector<std::string>& args)
{
    ProbeRun run;
    int out[2];
    if (pipe(out) != 0) {
        run.error = "pipe failed";
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    std::vector<char*> argv;
    std::string path = MORAVEL_STARTUP_PROBE;
    argv.push_back(path.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        run.error = std::string("cannot start ") + path + ": " + std::strerror(spawned);
        return run;
    }
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        line += c;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);

    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "error" || kind.empty()) {
        run.error = line.empty() ? "the probe ended without a report" : line;
        return run;
    }
    words >> run.platform;
    for (std::string word; words >> word;) {
        const size_t eq = word.find('=');
        if (eq != std::string::npos)
            run.fields[word.substr(0, eq)] = std::atoll(word.c_str() + eq + 1);
    }
    return run;
}

void FirstPaint(benchmark::State& state)
{
    std::map<std::string, double> parts;  // milliseconds, summed over the iterations
    std::string platform;
    for (auto _ : state) {
        const auto spawnNs =
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        ProbeRun run = RunProbe({"paint"});
        if (!run.error.empty()) {
            state.SkipWithError(run.error.c_str());
            return;
        }
        state.SetIterationTime(run.seconds);
        platform = run.platform;
        // steady_clock is CLOCK_MONOTONIC, the clock of the probe's stamps.
        auto& f = run.fields;
        parts["load_ms"] += (f["main"] - spawnNs) / 1e6;
        parts["app_ms"] += (f["app"] - f["main"]) / 1e6;
        parts["window_ms"] += (f["window"] - f["app"]) / 1e6;
        parts["show_ms"] += (f["shown"] - f["window"]) / 1e6;
        parts["to_paint_ms"] += (f["paint"] - f["shown"]) / 1e6;
        parts["paint_ms"] += (f["flushed"] - f["paint"]) / 1e6;
        parts["display_ms"] += (f["drawn"] - f["flushed"]) / 1e6;
        parts["cpu_ms"] += f["cpu"] / 1e6;
    }
    for (const auto& [name, total] : parts)
        state.counters[name] = benchmark::Counter(total, benchmark::Counter::kAvgIterations);
    state.SetLabel(platform);
}
BENCHMARK(FirstPaint)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(25)
    ->ReportAggregatesOnly(true);

void StartupAgainstBareWindow(benchmark::State& state)
{
    struct Sums {
        double wallMs = 0, cpuMs = 0, hwmMb = 0;
    };
    Sums program, bare;
    std::string platform;
    bool bareFirst = false;
    for (auto _ : state) {
        double pairSeconds = 0;
        // The order alternates, so neither side always starts on a machine just warmed by the other.
        for (int k = 0; k < 2; ++k) {
            const bool isBare = (k == 0) == bareFirst;
            const auto spawnNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count();
            ProbeRun run = RunProbe({isBare ? "bare" : "paint"});
            if (!run.error.empty()) {
                state.SkipWithError(run.error.c_str());
                return;
            }
            platform = run.platform;
            Sums& sums = isBare ? bare : program;
            sums.wallMs += (run.fields["drawn"] - spawnNs) / 1e6;
            sums.cpuMs += run.fields["cpu"] / 1e6;
            sums.hwmMb += run.fields["hwm_kb"] / 1024.0;
            pairSeconds += run.seconds;
        }
        bareFirst = !bareFirst;
        state.SetIterationTime(pairSeconds);
    }
    auto avg = [](double total) { return benchmark::Counter(total, benchmark::Counter::kAvgIterations); };
    state.counters["program_ms"] = avg(program.wallMs);
    state.counters["bare_ms"] = avg(bare.wallMs);
    state.counters["program_cpu_ms"] = avg(program.cpuMs);
    state.counters["bare_cpu_ms"] = avg(bare.cpuMs);
    state.counters["program_MB"] = avg(program.hwmMb);
    state.counters["bare_MB"] = avg(bare.hwmMb);
    if (bare.wallMs > 0 && bare.cpuMs > 0 && bare.hwmMb > 0) {
        state.counters["wall_ratio"] = program.wallMs / bare.wallMs;
        state.counters["cpu_ratio"] = program.cpuMs / bare.cpuMs;
        state.counters["mem_ratio"] = program.hwmMb / bare.hwmMb;
    }
    state.SetLabel(platform);
}
BENCHMARK(StartupAgainstBareWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void MemoryAfterHydrogram(benchmark::State& state)
{
    ProbeRun run;
    for (auto _ : state) {
        run = RunProbe({"hydrogram", MORAVEL_EXAMPLE_PROJECT});
        if (!run.error.empty()) {
            state.SkipWithError(run.error.c_str());
            return;
        }
        state.SetIterationTime(run.seconds);
    }
    auto mb = [&](const char* field) { return run.fields[field] / 1024.0; };
    state.counters["peak_rss_MB"] = mb("hwm_kb");
    state.counters["rss_MB"] = mb("rss_kb");
    state.counters["rss_app_MB"] = mb("rss_app_kb");
    state.counters["rss_window_MB"] = mb("rss_window_kb");
    state.counters["rss_painted_MB"] = mb("rss_painted_kb");
    state.counters["rss_loaded_MB"] = mb("rss_loaded_kb");
    state.counters["points"] = static_cast<double>(run.fields["points"]);
    state.SetLabel(run.platform);
}
BENCHMARK(MemoryAfterHydrogram)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
    // Without a display the probe draws on the offscreen platform.
    const char* display = std::getenv("DISPLAY");
    const bool hasDisplay = display && *display;
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!hasDisplay && (!platform || !*platform))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    platform = std::getenv("QT_QPA_PLATFORM");
    std::printf("Platform: %s\n", platform ? platform : "the display's (DISPLAY set)");
#if defined(MORAVEL_PROBE_XCB)
    xcb_connection_t* held = nullptr;
    if (hasDisplay) {
        held = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(held)) {
            std::printf("Cannot connect to the display %s\n", display);
            xcb_disconnect(held);
            held = nullptr;
        }
    }
#endif
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
#if defined(MORAVEL_PROBE_XCB)
    if (held)
        xcb_disconnect(held);
#endif
    return 0;
}
