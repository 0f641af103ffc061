// Mapping a full home timeline against a bare expat pass over the same bytes: the handler tables,
// the text collection and the conversions should cost little next to the parse itself. And two
// crafted documents that once made the mappings quadratic, at doubling sizes: their time per byte
// must stay flat.
#include <benchmark/benchmark.h>
#include <expat.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "twitter_api/exchange/exchange.h"
#include "twitter_api/requests/mappings.h"

namespace {

using namespace twitter_api;

constexpr int kStatuses = 200;
// Repetitions in random interleaving, compared by their medians, so that other work on the
// machine weighs on both sides alike.
constexpr int kRepetitions = 15;

// One status in the 2010 layout, with a user block, escaped markup and character references.
std::string Status(int index) {
    const std::string id = std::to_string(28'669'560'363LL - index * 1'000LL);
    const std::string user = std::to_string(7'505'382 + index % 37);
    return "<status>\n"
           "  <created_at>Mon Oct 25 07:" +
           std::to_string(10 + index % 50) +
           ":31 +0000 2010</created_at>\n"
           "  <id>" +
           id +
           "</id>\n"
           "  <text>Status number " +
           std::to_string(index) +
           " about &amp;#12354;&amp;#12356; caf&#233; &amp; more: checking how the timeline "
           "reads http://t.co/abcdef</text>\n"
           "  <source>&lt;a href=&quot;http://twitter.com/&quot; rel=&quot;nofollow&quot;&gt;"
           "Twitter for iPhone&lt;/a&gt;</source>\n"
           "  <truncated>false</truncated>\n"
           "  <favorited>" +
           (index % 7 == 0 ? "true" : "false") +
           "</favorited>\n"
           "  <in_reply_to_status_id></in_reply_to_status_id>\n"
           "  <in_reply_to_user_id></in_reply_to_user_id>\n"
           "  <in_reply_to_screen_name></in_reply_to_screen_name>\n"
           "  <retweet_count></retweet_count>\n"
           "  <retweeted>false</retweeted>\n"
           "  <user>\n"
           "    <id>" +
           user +
           "</id>\n"
           "    <name>Display &amp;#233;Name " +
           user +
           "</name>\n"
           "    <screen_name>user" +
           user +
           "</screen_name>\n"
           "    <location>San Francisco</location>\n"
           "    <description>Adventures in hunger and foolishness.</description>\n"
           "    <profile_image_url>http://a0.twimg.com/profile_images/323331048/me_normal.jpg"
           "</profile_image_url>\n"
           "    <url></url>\n"
           "    <protected>false</protected>\n"
           "    <followers_count>898</followers_count>\n"
           "    <profile_background_color>000000</profile_background_color>\n"
           "    <profile_text_color>333333</profile_text_color>\n"
           "    <friends_count>88</friends_count>\n"
           "    <created_at>Mon Jul 16 12:59:01 +0000 2007</created_at>\n"
           "    <favourites_count>727</favourites_count>\n"
           "    <utc_offset>-28800</utc_offset>\n"
           "    <time_zone>Pacific Time (US &amp; Canada)</time_zone>\n"
           "    <geo_enabled>true</geo_enabled>\n"
           "    <verified>false</verified>\n"
           "    <following>false</following>\n"
           "    <statuses_count>2968</statuses_count>\n"
           "    <lang>en</lang>\n"
           "  </user>\n"
           "  <geo/>\n"
           "  <coordinates/>\n"
           "  <place/>\n"
           "  <contributors/>\n"
           "</status>\n";
}

// The document as the mapping receives it: XmlProlog, then the body the reader kept.
const std::string& HomeTimeline() {
    static const std::string document = [] {
        std::string text = std::string(XmlProlog) + "<statuses type=\"array\">\n";
        for (int i = 0; i < kStatuses; ++i) {
            text += Status(i);
        }
        return text + "</statuses>\n";
    }();
    return document;
}

void BM_BareExpat(benchmark::State& state) {
    const std::string& document = HomeTimeline();
    for (auto _ : state) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser, 100.0F);
        XML_SetBillionLaughsAttackProtectionActivationThreshold(parser, 8ULL << 20);
        const auto status =
            XML_Parse(parser, document.data(), static_cast<int>(document.size()), XML_TRUE);
        benchmark::DoNotOptimize(status);
        XML_ParserFree(parser);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(document.size()));
}
BENCHMARK(BM_BareExpat)->Repetitions(kRepetitions)->DisplayAggregatesOnly();

void BM_MapHomeTimeline(benchmark::State& state) {
    const std::string& document = HomeTimeline();
    for (auto _ : state) {
        std::vector<ContributionPtr> out;
        const auto failure = MapStatuses(document, out);
        if (failure || out.size() != kStatuses) {
            state.SkipWithError("the document did not map");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(document.size()));
    state.counters["bytes_per_status"] =
        static_cast<double>(document.size()) / static_cast<double>(kStatuses);
}
BENCHMARK(BM_MapHomeTimeline)->Repetitions(kRepetitions)->DisplayAggregatesOnly();

// One list whose owner block repeats: every screen_name end once copied the growing entry.
std::string ListWithOwners(int64_t owners) {
    std::string document = std::string(XmlProlog) + "<lists><list><name>l</name>";
    for (int64_t i = 0; i < owners; ++i) {
        document += "<user><screen_name>owner_name_" + std::to_string(i) + "</screen_name></user>";
    }
    return document + "</list></lists>\n";
}

// Distinct element names that share their length, first and last eight bytes.
std::string CraftedNames(int64_t names) {
    std::string document = std::string(XmlProlog) + "<statuses>";
    char name[48];
    for (int64_t i = 0; i < names; ++i) {
        std::snprintf(name, sizeof name, "headhead%08llxtailtail", static_cast<long long>(i));
        document += "<" + std::string(name) + "/>";
    }
    return document + "</statuses>\n";
}

template <typename Map>
void RunOnSize(benchmark::State& state, const std::string& document, Map map) {
    for (auto _ : state) {
        map(document);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(document.size()));
    state.SetComplexityN(static_cast<int64_t>(document.size()));
}

void BM_MapListsRepeatedOwner(benchmark::State& state) {
    RunOnSize(state, ListWithOwners(state.range(0)), [](const std::string& document) {
        std::vector<std::string> out;
        MapLists(document, out);
        benchmark::DoNotOptimize(out.data());
    });
}
BENCHMARK(BM_MapListsRepeatedOwner)
    ->RangeMultiplier(2)
    ->Range(4'000, 64'000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

void BM_MapCraftedNames(benchmark::State& state) {
    RunOnSize(state, CraftedNames(state.range(0)), [](const std::string& document) {
        std::vector<ContributionPtr> out;
        MapStatuses(document, out);
        benchmark::DoNotOptimize(out.data());
    });
}
BENCHMARK(BM_MapCraftedNames)
    ->RangeMultiplier(2)
    ->Range(4'000, 64'000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

// Shows the runs as usual and keeps the median CPU time of each benchmark for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> arguments(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto bare = reporter.medians.find("BM_BareExpat");
    const auto mapped = reporter.medians.find("BM_MapHomeTimeline");
    if (bare != reporter.medians.end() && mapped != reporter.medians.end()) {
        std::printf(
            "%d statuses, %zu bytes: mapping / bare expat parse = %.2fx (median CPU time)\n",
            kStatuses, HomeTimeline().size(), mapped->second / bare->second);
    }
    benchmark::Shutdown();
    return 0;
}
