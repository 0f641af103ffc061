// The whole program as its user meets it, against a plain Qt program that shows the same text,
// both started as processes on an X server of their own (Xvfb) against the stand-in service with
// generated logs, in turns. What is timed is seen from outside: a drawing into a window is seen
// through the X Damage extension, keys are typed through XTest, the service's answers pass through
// a relay that notes when each ended, and processor time and memory come from /proc.
//
//   FirstPaint/1000:  five pages of two days of 1,000 entries; FirstPaint/20000: five pages of
//                     20,000 entries today. From the process's start to the first drawing into its
//                     window; then, once the window has been idle for a second, the memory held and
//                     the first switch to each other tab (Alt+2 ... Alt+5) to its first drawing.
//   AnswerToPaint:    F5 on the first page while new statuses arrive; from the end of the answer
//                     to the first drawing of the page.
//   ReloadCost:       a reload that brings 200 entries to a day of 1,000 and of 100,000 entries:
//                     the interface thread's processor time and the bytes the program writes.
//   IdleCpu:          the processor time of a minute (WARBLET_BENCH_IDLE_SECONDS) with automatic
//                     reload on and nothing arriving, from 45 s after the start, against an empty
//                     Qt window.
//
// WARBLET_BENCH_PROGRAM names another warblet to measure (an older build, say).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <thread>

#include "common/diagnostics.h"
#include "program/process.h"
#include "program/relay.h"
#include "program/scenario.h"
#include "program/xwatch.h"
#include "settings/settinginfo.h"
#include "twitter_api/requests/status.h"

namespace {

using namespace program_bench;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A drawing at least this large (in pixels of one rectangle) is a page drawn anew, not a caret or
// a label.
constexpr int kPageArea = 100 * 100;

class NullSink final : public DiagnosticSink {
  public:
    void WriteLine(std::string_view) override {}
};

double Ms(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

std::string Variable(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

// The X server, the folder of the runs and the programs, made once for all benchmarks.
class Environment {
  public:
    Environment()
        : mFolder(fs::temp_directory_path() /
                  ("warblet-program-bench-" + std::to_string(::getpid()))),
          mProgram(Variable("WARBLET_BENCH_PROGRAM", WARBLET_PROGRAM)) {
        fs::create_directories(mFolder);
        int ready[2];
        if (::pipe(ready) != 0) {
            throw std::runtime_error("no pipe");
        }
        mServer = std::make_unique<Process>(
            "/usr/bin/Xvfb",
            std::vector<std::string>{"-displayfd", std::to_string(ready[1]), "-screen", "0",
                                     "1024x768x24", "-nolisten", "tcp", "-ac", "-noreset"},
            std::vector<std::string>{}, (mFolder / "xvfb.log").string());
        ::close(ready[1]);
        char number[16] = {};
        const ssize_t got = ::read(ready[0], number, sizeof number - 1);
        ::close(ready[0]);
        if (got <= 0) {
            throw std::runtime_error("Xvfb did not start; see " + (mFolder / "xvfb.log").string());
        }
        mDisplay = ":" + std::to_string(std::atoi(number));
        mWatch = std::make_unique<XWatch>(mDisplay);
    }
    ~Environment() {
        mWatch.reset();
        mServer.reset();
        fs::remove_all(mFolder);
    }

    XWatch& Watch() { return *mWatch; }
    fs::path Folder(const std::string& name) const { return mFolder / name; }
    const std::string& Program() const { return mProgram; }
    std::vector<std::string> Display() const {
        return {"DISPLAY=" + mDisplay, "QT_QPA_PLATFORM=xcb",
                "WARBLET_MAIN_HOST=", "WARBLET_API_HOST=", "WARBLET_SEARCH_HOST="};
    }

  private:
    fs::path mFolder;
    std::string mProgram;
    std::unique_ptr<Process> mServer;
    std::string mDisplay;
    std::unique_ptr<XWatch> mWatch;
};

Environment& Env() {
    static Environment environment;
    return environment;
}

// The stand-in service on a port of its own.
class StandIn {
  public:
    explicit StandIn(bool live) {
        const fs::path portFile = Env().Folder("standin.port");
        fs::remove(portFile);
        std::vector<std::string> arguments = {"--seed", WARBLET_STANDIN_SEED, "--port-file",
                                              portFile.string(), "--quiet"};
        if (live) {
            arguments.insert(arguments.end(), {"--live", "--interval-ms", "100"});
        }
        mProcess = std::make_unique<Process>(WARBLET_STANDIN, arguments, std::vector<std::string>{},
                                             Env().Folder("standin.log").string());
        for (int wait = 0; wait < 500 && mPort == 0; ++wait) {
            std::this_thread::sleep_for(10ms);
            std::ifstream(portFile) >> mPort;
        }
        if (mPort == 0) {
            throw std::runtime_error("the stand-in did not start");
        }
    }
    int Port() const { return mPort; }

  private:
    std::unique_ptr<Process> mProcess;
    int mPort = 0;
};

// Handles the display's events until the process has used less than 1% of a processor over a
// whole second (or the deadline has passed).
void WaitUntilIdle(const Process& process, Clock::duration deadline = 60s) {
    const Clock::time_point end = Clock::now() + deadline;
    uint64_t before = process.CpuNs();
    while (Clock::now() < end) {
        Env().Watch().QuietUntil(Clock::now() + 1s, kPageArea);
        const uint64_t after = process.CpuNs();
        if (after - before < 10'000'000) {
            return;
        }
        before = after;
    }
}

Clock::time_point FirstDrawing(Clock::time_point started, const std::string& what) {
    const std::optional<Clock::time_point> drawn =
        Env().Watch().WaitForDrawing(started, 1, started + 120s);
    if (!drawn) {
        throw std::runtime_error(what + " drew nothing within two minutes");
    }
    return *drawn;
}

// What one start of a program gave.
struct Started {
    double firstPaintMs = 0;
    double firstPaintLessWaitMs = 0;  // less the time its main thread waited for a processor
    double switchMs = 0;              // the mean of the first switch to each other tab
    double residentMb = 0;
};

// Starts the program (the real one, or the plain one when plain), and measures its start.
Started MeasureStart(const fs::path& folder, bool plain) {
    XWatch& watch = Env().Watch();
    watch.Reset();
    std::vector<std::string> arguments;
    if (plain) {
        for (int page = 0; page < 5; ++page) {
            arguments.push_back((folder / ("page" + std::to_string(page) + ".txt")).string());
        }
    } else {
        arguments = {"--data-dir", folder.string()};
    }
    const Clock::time_point started = Clock::now();
    const Process process(plain ? WARBLET_PLAIN_PAGE : Env().Program(), arguments, Env().Display(),
                          (folder / (plain ? "plain.log" : "warblet.log")).string());
    Started result;
    result.firstPaintMs =
        Ms(FirstDrawing(started, plain ? "the plain program" : "warblet") - started);
    result.firstPaintLessWaitMs =
        result.firstPaintMs - static_cast<double>(process.MainThreadWaitNs()) / 1e6;
    watch.Focus();
    WaitUntilIdle(process);
    result.residentMb = static_cast<double>(process.ResidentBytes()) / (1 << 20);
    for (const uint32_t key : {XK_2, XK_3, XK_4, XK_5}) {
        WaitUntilIdle(process);
        const Clock::time_point pressed = Clock::now();
        watch.Press({XK_Alt_L, key});
        const std::optional<Clock::time_point> drawn =
            watch.WaitForDrawing(pressed, kPageArea, pressed + 10s);
        if (!drawn) {
            throw std::runtime_error("a tab switch drew nothing");
        }
        result.switchMs += Ms(*drawn - pressed) / 4;
    }
    return result;
}

Scenario StartScenario(int entries) {
    Scenario scenario;
    if (entries == 1000) {
        scenario.yesterday.fill(1000);
        scenario.today.fill(1000);
    } else {
        scenario.today.fill(entries);
    }
    return scenario;
}

void BM_FirstPaint(benchmark::State& state) {
    const StandIn standIn(false);
    const fs::path folder = Env().Folder("start");
    Started program;
    Started plain;
    for (auto _ : state) {
        WriteScenario(StartScenario(static_cast<int>(state.range(0))), folder.string(),
                      standIn.Port(), WARBLET_ICON_DIR);
        program = MeasureStart(folder, false);
        plain = MeasureStart(folder, true);
        state.SetIterationTime(program.firstPaintMs / 1e3);
    }
    state.counters["program_ms"] = program.firstPaintMs;
    state.counters["plain_ms"] = plain.firstPaintMs;
    state.counters["first_paint_ratio"] = program.firstPaintMs / plain.firstPaintMs;
    // On a machine shared with other work, the same less the waits for a processor.
    state.counters["unwaited_ratio"] = program.firstPaintLessWaitMs / plain.firstPaintLessWaitMs;
    state.counters["switch_ms"] = program.switchMs;
    state.counters["plain_switch_ms"] = plain.switchMs;
    state.counters["switch_ratio"] = program.switchMs / plain.switchMs;
    state.counters["rss_mb"] = program.residentMb;
    state.counters["rss_ratio"] = program.residentMb / plain.residentMb;
}

void BM_AnswerToPaint(benchmark::State& state) {
    const StandIn standIn(true);
    Relay relay(standIn.Port());
    const fs::path folder = Env().Folder("answer");
    XWatch& watch = Env().Watch();
    std::vector<double> latencies;
    for (auto _ : state) {
        WriteScenario(StartScenario(1000), folder.string(), relay.Port(), WARBLET_ICON_DIR);
        watch.Reset();
        const Clock::time_point started = Clock::now();
        const Process process(Env().Program(), {"--data-dir", folder.string()}, Env().Display(),
                              (folder / "warblet.log").string());
        FirstDrawing(started, "warblet");
        watch.Focus();
        latencies.clear();
        for (int reload = 0; reload < 5; ++reload) {
            WaitUntilIdle(process);
            const Clock::time_point pressed = Clock::now();
            watch.Press({XK_F5});
            const auto answered = relay.AnswerEnded("home_timeline", pressed, pressed + 30s);
            if (!answered) {
                throw std::runtime_error("no answer to the reload");
            }
            const auto drawn = watch.WaitForDrawing(*answered, kPageArea, *answered + 10s);
            if (!drawn) {
                throw std::runtime_error("the reload drew nothing");
            }
            latencies.push_back(Ms(*drawn - *answered));
        }
        std::sort(latencies.begin(), latencies.end());
        state.SetIterationTime(latencies[latencies.size() / 2] / 1e3);
    }
    state.counters["answer_to_paint_ms"] = latencies[latencies.size() / 2];
    state.counters["answer_to_paint_max_ms"] = latencies.back();
}

// Reloads, each of 200 entries posted to the stand-in just before, on a day of entries entries.
struct Reloads {
    double firstMs = 0;  // the interface thread's time for the first reload after the start
    double laterMs = 0;  // the median of the later ones
    double laterBytes = 0;
};

Reloads MeasureReloads(int entries, const StandIn& standIn) {
    Scenario scenario;
    scenario.today[0] = entries;
    const fs::path folder = Env().Folder("reload");
    WriteScenario(scenario, folder.string(), standIn.Port(), WARBLET_ICON_DIR);
    XWatch& watch = Env().Watch();
    watch.Reset();
    const Clock::time_point started = Clock::now();
    const Process process(Env().Program(), {"--data-dir", folder.string()}, Env().Display(),
                          (folder / "warblet.log").string());
    FirstDrawing(started, "warblet");
    watch.Focus();
    NullSink quiet;
    twitter_api::Service service;
    const std::string host = "127.0.0.1:" + std::to_string(standIn.Port());
    service.hosts = {host, host, host};
    service.diagnostics = &quiet;
    const std::string credential = DialogSetting::MakeCredential("demo", "demo");
    std::vector<double> times;
    std::vector<double> bytes;
    for (int reload = 0; reload < 6; ++reload) {
        for (int post = 0; post < 200; ++post) {
            twitter_api::Post(service, credential, "reload " + std::to_string(post), -1);
        }
        WaitUntilIdle(process);
        const uint64_t cpuBefore = process.MainThreadCpuNs();
        const uint64_t bytesBefore = process.BytesWritten();
        const Clock::time_point pressed = Clock::now();
        watch.Press({XK_F5});
        if (!watch.WaitForDrawing(pressed + 1ms, kPageArea, pressed + 20s)) {
            throw std::runtime_error("the reload drew nothing");
        }
        WaitUntilIdle(process);
        times.push_back(static_cast<double>(process.MainThreadCpuNs() - cpuBefore) / 1e6);
        bytes.push_back(static_cast<double>(process.BytesWritten() - bytesBefore));
    }
    Reloads result;
    result.firstMs = times.front();
    times.erase(times.begin());
    bytes.erase(bytes.begin());
    std::sort(times.begin(), times.end());
    std::sort(bytes.begin(), bytes.end());
    result.laterMs = times[times.size() / 2];
    result.laterBytes = bytes[bytes.size() / 2];
    return result;
}

void BM_ReloadCost(benchmark::State& state) {
    const StandIn standIn(false);
    Reloads small;
    Reloads large;
    for (auto _ : state) {
        small = MeasureReloads(1000, standIn);
        large = MeasureReloads(100'000, standIn);
        state.SetIterationTime(large.laterMs / 1e3);
    }
    state.counters["ms_at_1000"] = small.laterMs;
    state.counters["first_ms_at_1000"] = small.firstMs;
    state.counters["ms_at_100000"] = large.laterMs;
    state.counters["cost_ratio"] = large.laterMs / small.laterMs;
    state.counters["first_ms_at_100000"] = large.firstMs;
    state.counters["bytes_at_1000"] = small.laterBytes;
    state.counters["bytes_at_100000"] = large.laterBytes;
    state.counters["bytes_ratio"] = large.laterBytes / small.laterBytes;
}

// Processor time and wake-ups per minute of a window left alone after its start and its first
// reload.
struct Idle {
    double msPerMinute = 0;
    double wakesPerMinute = 0;
};

Idle MeasureIdle(const fs::path& folder, bool empty) {
    XWatch& watch = Env().Watch();
    watch.Reset();
    const Clock::time_point started = Clock::now();
    const Process process(empty ? WARBLET_PLAIN_PAGE : Env().Program(),
                          empty ? std::vector<std::string>{"--empty"}
                                : std::vector<std::string>{"--data-dir", folder.string()},
                          Env().Display(), (folder / "idle.log").string());
    FirstDrawing(started, empty ? "the empty window" : "warblet");
    // Past the first automatic reload (at 3 s) and past the end of the threads Qt keeps for a
    // while after it (30 s); the next reload is due at 183 s.
    watch.QuietUntil(started + 45s, kPageArea);
    const double seconds = std::stod(Variable("WARBLET_BENCH_IDLE_SECONDS", "60"));
    const uint64_t cpu = process.CpuNs();
    const uint64_t runs = process.Runs();
    watch.QuietUntil(Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(seconds)),
                     kPageArea);
    return {static_cast<double>(process.CpuNs() - cpu) / 1e6 * 60 / seconds,
            static_cast<double>(process.Runs() - runs) * 60 / seconds};
}

void BM_IdleCpu(benchmark::State& state) {
    const StandIn standIn(false);
    const fs::path folder = Env().Folder("idle");
    Idle program;
    Idle empty;
    for (auto _ : state) {
        Scenario scenario = StartScenario(1000);
        scenario.autoReload = true;
        WriteScenario(scenario, folder.string(), standIn.Port(), WARBLET_ICON_DIR);
        program = MeasureIdle(folder, false);
        empty = MeasureIdle(folder, true);
        state.SetIterationTime(program.msPerMinute / 1e3);
    }
    state.counters["ms_per_minute"] = program.msPerMinute;
    state.counters["wakes_per_minute"] = program.wakesPerMinute;
    state.counters["empty_ms_per_minute"] = empty.msPerMinute;
    state.counters["empty_wakes_per_minute"] = empty.wakesPerMinute;
    // An empty window under a bare X server may not wake at all: then the ratio says nothing.
    if (empty.msPerMinute > 0) {
        state.counters["idle_ratio"] = program.msPerMinute / empty.msPerMinute;
    }
}

double Min(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

double Max(const std::vector<double>& values) {
    return *std::max_element(values.begin(), values.end());
}

void Configure(benchmark::internal::Benchmark* benchmark) {
    benchmark->Iterations(1)
        ->Repetitions(5)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->ComputeStatistics("min", Min)
        ->ComputeStatistics("max", Max)
        ->ReportAggregatesOnly(true);
}

BENCHMARK(BM_FirstPaint)->Arg(1000)->Arg(20'000)->Apply(Configure);
BENCHMARK(BM_AnswerToPaint)->Apply(Configure);
BENCHMARK(BM_ReloadCost)->Apply(Configure);
BENCHMARK(BM_IdleCpu)->Apply(Configure);

}  // namespace

BENCHMARK_MAIN();
