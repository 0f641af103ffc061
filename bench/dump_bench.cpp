// `warblet-cli dump` of a day of 10,000 contributions against `cat` of the same file, the two
// programs started alternately in the same run with their output going to /dev/null.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

#include "childprocess.h"
#include "dayfixture.h"
#include "serialization/serializer.h"
#include "twitter_api/archivableclasses.h"

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
    double cpu = 0;
};

void Run(std::vector<std::string> words, Times& total) {
    const ChildCost cost = RunChild(std::move(words));
    total.wall += cost.wall;
    total.cpu += cost.cpu;
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
