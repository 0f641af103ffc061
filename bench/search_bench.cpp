// The history search over 100 days of 10,000 entries (historyfixture.h): the time to the first
// 50 hits of a common word, the full scan for a rare word against `grep -c -F` of the same word
// over the same files (the two alternately, in the same run, with the files in the page cache), and
// the peak memory of `warblet-cli search`. Each benchmark repeats five times and reports the min,
// median and max of the repetitions.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

#include "childprocess.h"
#include "common/diagnostics.h"
#include "historyfixture.h"
#include "twitter_api/search/historysearch.h"

namespace {

using namespace twitter_api;
namespace fs = std::filesystem;

constexpr int kRepetitions = 5;

const fs::path& Folder() {
    static const fs::path folder = historyfixture::DataFolder();
    return folder;
}

fs::path AccountFolder() {
    return Folder() / GetAccountLogDirectory(historyfixture::kAccount);
}

class CountingReceiver final : public SearchReceiver {
  public:
    void Hit(SSearchHit) override { ++hits; }
    void Progress(size_t, size_t) override {}
    size_t hits = 0;
};

class NoDiagnostics final : public DiagnosticSink {
  public:
    void WriteLine(std::string_view) override {}
};

// From the query text to the last hit handed on.
double TimeSearch(const std::string& query, size_t limit, size_t expectedHits) {
    NoDiagnostics diagnostics;
    CountingReceiver receiver;
    const auto start = std::chrono::steady_clock::now();
    const CQueryMatcher matcher(ParseQuery(query));
    SearchHistory({AccountFolder(), limit, {}}, matcher, receiver, diagnostics);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (receiver.hits != expectedHits) {
        throw std::runtime_error(query + ": " + std::to_string(receiver.hits) + " hits");
    }
    return seconds;
}

std::vector<std::string> CliSearch(std::vector<std::string> words) {
    std::vector<std::string> command = {WARBLET_CLI, "--data-dir", Folder().string(),
                                        "search",    "--account",  historyfixture::kAccount};
    command.insert(command.end(), words.begin(), words.end());
    return command;
}

void BM_FirstFiftyHitsOfACommonWord(benchmark::State& state) {
    TimeSearch(historyfixture::kCommonWord, 50, 50);  // warms the page cache
    double core = 0;
    double cli = 0;
    double cliCpu = 0;
    for (auto _ : state) {
        core += TimeSearch(historyfixture::kCommonWord, 50, 50);
        const ChildCost cost = RunChild(CliSearch({"--limit", "50", historyfixture::kCommonWord}));
        cli += cost.wall;
        cliCpu += cost.cpu;
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["core_ms"] = 1e3 * core / runs;
    state.counters["cli_process_ms"] = 1e3 * cli / runs;
    // On a busy machine a short process waits for a processor longer than it runs.
    state.counters["cli_process_cpu_ms"] = 1e3 * cliCpu / runs;
}

void BM_RareWordScanAgainstGrep(benchmark::State& state) {
    const std::vector<std::string> grep = {
        "grep", "-c", "-F", "-r", historyfixture::kRareWord, AccountFolder().string()};
    RunChild(grep);  // warms the page cache
    double grepWall = 0;
    double scan = 0;
    double cliWall = 0;
    double peakRss = 0;
    for (auto _ : state) {
        grepWall += RunChild(grep).wall;
        scan += TimeSearch(historyfixture::kRareWord, 0, historyfixture::kRareHits);
        const ChildCost cli = RunChild(CliSearch({historyfixture::kRareWord}));
        cliWall += cli.wall;
        peakRss = std::max(peakRss, cli.peakRssMb);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["grep_ms"] = 1e3 * grepWall / runs;
    state.counters["scan_ms"] = 1e3 * scan / runs;
    state.counters["cli_ms"] = 1e3 * cliWall / runs;
    state.counters["scan_to_grep"] = scan / grepWall;
    state.counters["cli_to_grep"] = cliWall / grepWall;
    state.counters["cli_peak_rss_mb"] = peakRss;
}

// The whole history written out, the export's largest case.
void BM_ExportAsCsv(benchmark::State& state) {
    double wall = 0;
    double peakRss = 0;
    for (auto _ : state) {
        const ChildCost cli = RunChild(CliSearch({"--csv"}));
        wall += cli.wall;
        peakRss = std::max(peakRss, cli.peakRssMb);
    }
    state.counters["cli_ms"] = 1e3 * wall / static_cast<double>(state.iterations());
    state.counters["cli_peak_rss_mb"] = peakRss;
}

double Least(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

double Most(const std::vector<double>& values) {
    return *std::max_element(values.begin(), values.end());
}

void Repeated(benchmark::internal::Benchmark* benchmark) {
    benchmark->Unit(benchmark::kMillisecond)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics("min", Least)
        ->ComputeStatistics("max", Most);
}

BENCHMARK(BM_FirstFiftyHitsOfACommonWord)->Apply(Repeated)->Iterations(10);
BENCHMARK(BM_RareWordScanAgainstGrep)->Apply(Repeated)->Iterations(3);
BENCHMARK(BM_ExportAsCsv)->Apply(Repeated)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
