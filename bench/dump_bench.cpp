// `warblet-cli dump` of a day of 10,000 contributions against `cat` of the same file, the two
// programs started alternately in the same run with their output going to /dev/null.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "dayfixture.h"
#include "serialization/serializer.h"
#include "twitter_api/archivableclasses.h"

extern char** environ;

namespace {

const std::string& DayPath() {
    static const std::string path =
        (std::filesystem::temp_directory_path() / "warblet-dump-bench.dat").string();
    return path;
}

void WriteDay() {
    static const bool registered = (twitter_api::RegisterArchivableClasses(), true);
    benchmark::DoNotOptimize(registered);
    serialization::Serializer archive(DayPath(), serialization::FileMode::Out);
    auto root = MakeBenchDay(10'000);
    archive.transfer(root, serialization::Tracking::Tracked);
    archive.close();
}

struct Times {
    double wall = 0;
    double cpu = 0;  // user and system time of the child: what the other programs on the machine
                     // leave unchanged
};

// Starts the program, waits for its successful exit and adds its times to total.
void Run(std::vector<std::string> words, Times& total) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int failed = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (failed != 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        throw std::runtime_error("cannot run " + words[0]);
    }
    total.wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec);
    };
    total.cpu += seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_DumpDayAgainstCat(benchmark::State& state) {
    WriteDay();
    Times cat;
    Times dump;
    for (auto _ : state) {
        Run({"cat", DayPath()}, cat);
        Run({WARBLET_CLI, "dump", DayPath()}, dump);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["cat_ms"] = 1e3 * cat.wall / runs;
    state.counters["dump_ms"] = 1e3 * dump.wall / runs;
    state.counters["dump_to_cat"] = dump.wall / cat.wall;
    state.counters["cpu_dump_to_cat"] = dump.cpu / cat.cpu;
}

BENCHMARK(BM_DumpDayAgainstCat)->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace

BENCHMARK_MAIN();
