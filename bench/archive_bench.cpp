// Writing and reading a day list of 10,000 contributions, with the load compared against a plain
// memcpy of the same bytes measured in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <vector>

#include "dayfixture.h"
#include "platform/file.h"
#include "serialization/serializer.h"
#include "twitter_api/model/contributionlistofday.h"

namespace {

using twitter_api::CContributionListOfDay;
using twitter_api::ContributionListPtr;

constexpr int kContributions = 10'000;

ContributionListPtr MakeDay() {
    return MakeBenchDay(kContributions);
}

const std::string& FilePath() {
    static const std::string path =
        (std::filesystem::temp_directory_path() / "warblet-archive-bench.dat").string();
    return path;
}

void Save(const ContributionListPtr& list) {
    serialization::Serializer archive(FilePath(), serialization::FileMode::Out);
    ContributionListPtr root = list;
    archive.transfer(root, serialization::Tracking::Tracked);
    archive.close();
}

ContributionListPtr Load() {
    auto list = std::make_shared<CContributionListOfDay>();
    serialization::Serializer archive(FilePath(), serialization::FileMode::In);
    archive.transfer(list, serialization::Tracking::Tracked);
    return list;
}

// Bytes per second of copying blocks of the file's size out of a pool far larger than the caches,
// so that every copy reads from main memory as a first load of a file does.
double MemcpyBytesPerSecond(size_t blockSize) {
    const size_t poolSize = size_t{512} << 20;
    const size_t blocks = poolSize / blockSize;
    std::vector<char> pool(blocks * blockSize, 'x');
    std::vector<char> destination(blockSize);
    const auto start = std::chrono::steady_clock::now();
    size_t copied = 0;
    for (size_t i = 0; copied < 4 * pool.size(); ++i) {
        std::memcpy(destination.data(), pool.data() + (i % blocks) * blockSize, blockSize);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
        copied += blockSize;
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    return static_cast<double>(copied) / seconds.count();
}

void BM_SaveDayList(benchmark::State& state) {
    const auto list = MakeDay();
    for (auto _ : state) {
        Save(list);
    }
    const auto bytes = static_cast<int64_t>(std::filesystem::file_size(FilePath()));
    state.SetBytesProcessed(state.iterations() * bytes);
}

// Each load replaces the previous result, as a tab replaces its lists; the free of the previous
// one is part of the iteration.
void BM_LoadDayList(benchmark::State& state) {
    Save(MakeDay());
    const auto bytes = static_cast<double>(std::filesystem::file_size(FilePath()));
    ContributionListPtr loaded;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        loaded = Load();
        benchmark::DoNotOptimize(loaded.get());
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    const double loadRate = bytes * static_cast<double>(state.iterations()) / seconds.count();
    const double memcpyRate = MemcpyBytesPerSecond(static_cast<size_t>(bytes));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
    state.counters["file_bytes"] = bytes;
    state.counters["memcpy_MB/s"] = memcpyRate / 1e6;
    state.counters["load_to_memcpy"] = loadRate / memcpyRate;
}

BENCHMARK(BM_SaveDayList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDayList)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
