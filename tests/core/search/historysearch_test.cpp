#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "common/diagnostics.h"
#include "serialization/serializer.h"
#include "support/workdir.h"
#include "twitter_api/model/contributionlistofday.h"
#include "twitter_api/search/historysearch.h"

namespace {

using namespace twitter_api;
namespace fs = std::filesystem;

struct Entry {
    int64_t id;
    std::string text;
    bool isRead = false;
};

// A day log written as the log store writes it, at a path of the test's choosing.
void WriteLog(const std::string& path, const std::string& day, const std::vector<Entry>& entries) {
    fs::create_directories(fs::path(path).parent_path());
    auto list = std::make_shared<CContributionListOfDay>(day);
    for (const Entry& e : entries) {
        auto c = std::make_shared<CContribution>();
        c->mId = e.id;
        c->mScreenName = "u" + std::to_string(e.id);
        c->mText = e.text;
        c->mIsRead = e.isRead;
        list->mContributions.push_back(c);
    }
    serialization::Serializer archive(path, serialization::FileMode::Out);
    archive.transfer(list, serialization::Tracking::Tracked);
    archive.close();
}

void WriteDamaged(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    WriteBytes(path, std::string("\x02 not an archive", 16));
}

class LinesSink final : public DiagnosticSink {
  public:
    void WriteLine(std::string_view line) override {
        lines.emplace_back(line);
        if (onLine) {
            onLine();
        }
    }
    std::vector<std::string> lines;
    std::function<void()> onLine;
};

// Each hit as "day kinds id text", kinds by name joined with ",".
class Collected final : public SearchReceiver {
  public:
    void Hit(SSearchHit hit) override {
        std::string kinds;
        for (const ETabType kind : hit.mKinds) {
            kinds += (kinds.empty() ? "" : ",") + std::string(KindName(kind));
        }
        hits.push_back(hit.mDayKey + " " + kinds + " " + std::to_string(hit.mEntry->mId) + " " +
                       hit.mEntry->mText.str());
        if (onHit) {
            onHit();
        }
    }
    void Progress(size_t daysRead, size_t daysInRange) override {
        progress.push_back(std::to_string(daysRead) + "/" + std::to_string(daysInRange));
    }
    std::vector<std::string> hits;
    std::vector<std::string> progress;
    std::function<void()> onHit;
};

class HistorySearch : public ::testing::Test {
  protected:
    SSearchSummary Search(const std::string& query, size_t limit = 0, std::stop_token stop = {}) {
        const CQueryMatcher matcher(ParseQuery(query));
        return SearchHistory({"log/U/", limit, std::move(stop)}, matcher, found, sink);
    }

    ScopedWorkingDirectory dir;
    Collected found;
    LinesSink sink;
};

TEST_F(HistorySearch, NewestDayFirstAndHighestIdFirstWithinADay) {
    WriteLog("log/U/timeline/20100404.dat", "20100404", {{10, "a"}, {30, "a"}});
    WriteLog("log/U/mentions/20100404.dat", "20100404", {{20, "a"}, {40, "a"}});
    WriteLog("log/U/timeline/20100405.dat", "20100405", {{50, "a"}, {60, "b"}});
    WriteLog("log/U/search/20100403_q.dat", "20100403", {{5, "a"}});
    const SSearchSummary summary = Search("a");
    EXPECT_EQ(found.hits, (std::vector<std::string>{"20100405 home 50 a", "20100404 mentions 40 a",
                                                    "20100404 home 30 a", "20100404 mentions 20 a",
                                                    "20100404 home 10 a", "20100403 search 5 a"}));
    EXPECT_EQ(found.progress, (std::vector<std::string>{"1/3", "2/3", "3/3"}));
    EXPECT_EQ(summary.mHits, 6u);
    EXPECT_EQ(summary.mFilesRead, 4u);
    EXPECT_FALSE(summary.mStopped);
}

TEST_F(HistorySearch, AStatusShowsOnceAtTheNewestDayWhoseCopyMatches) {
    // Status 7 everywhere; on the newest day only its mentions copy and the two lists' copies
    // are unread. Status 8 is read on the newest day and unread on the day before.
    WriteLog("log/U/timeline/20100405.dat", "20100405", {{7, "home copy", true}, {8, "x", true}});
    WriteLog("log/U/mentions/20100405.dat", "20100405", {{7, "mentions copy"}});
    WriteLog("log/U/list/20100405_a.dat", "20100405", {{7, "list a copy"}});
    WriteLog("log/U/list/20100405_b.dat", "20100405", {{7, "list b copy"}});
    WriteLog("log/U/search/20100405_q.dat", "20100405", {{7, "search copy", true}});
    WriteLog("log/U/timeline/20100404.dat", "20100404", {{7, "older copy"}, {8, "older 8"}});
    Search("");
    EXPECT_EQ(found.hits,
              (std::vector<std::string>{"20100405 home 8 x",
                                        "20100405 home,mentions,list,search 7 home copy"}))
        << "every copy meets the empty query: one result each, with the home copy's record";
    found.hits.clear();
    Search("is:unread");
    EXPECT_EQ(found.hits, (std::vector<std::string>{"20100405 mentions,list 7 mentions copy",
                                                    "20100404 home 8 older 8"}));
}

TEST_F(HistorySearch, ADirectMessageIsItsOwnKindBesideAStatusOfTheSameId) {
    WriteLog("log/U/timeline/20100405.dat", "20100405", {{7, "status"}});
    WriteLog("log/U/directmessages/20100405.dat", "20100405", {{7, "message"}});
    WriteLog("log/U/directmessages/20100404.dat", "20100404", {{7, "message"}, {6, "older"}});
    Search("");
    ASSERT_EQ(found.hits.size(), 3u);
    EXPECT_EQ(std::set<std::string>(found.hits.begin(), found.hits.begin() + 2),
              (std::set<std::string>{"20100405 home 7 status", "20100405 dm 7 message"}));
    EXPECT_EQ(found.hits[2], "20100404 dm 6 older");
}

TEST_F(HistorySearch, TheLimitEndsTheSearchAfterTheDayThatReachesIt) {
    WriteLog("log/U/timeline/20100405.dat", "20100405", {{1, "a"}, {2, "a"}});
    WriteLog("log/U/timeline/20100404.dat", "20100404", {{3, "a"}, {4, "a"}});
    WriteDamaged("log/U/timeline/20100403.dat");
    const SSearchSummary summary = Search("a", 3);
    EXPECT_EQ(found.hits, (std::vector<std::string>{"20100405 home 2 a", "20100405 home 1 a",
                                                    "20100404 home 4 a"}));
    EXPECT_EQ(found.progress, (std::vector<std::string>{"1/3", "2/3"}));
    EXPECT_TRUE(sink.lines.empty()) << "the oldest day was not opened";
    EXPECT_FALSE(summary.mStopped);
}

// Damaged files outside the range, in kinds not asked for, or with names the log store never
// writes would be reported if they were opened.
TEST_F(HistorySearch, DaysAndKindsChooseTheFilesByNameAlone) {
    WriteLog("log/U/timeline/20100405.dat", "20100405", {{1, "a"}});
    WriteLog("log/U/mentions/20100404.dat", "20100404", {{2, "a"}});
    WriteLog("log/U/list/20100403_friends.dat", "20100403", {{3, "a"}});
    for (const char* foreign :
         {"log/U/timeline/20100406.dat", "log/U/timeline/20100402.dat",
          "log/U/directmessages/20100404.dat", "log/U/mentions/notes.txt",
          "log/U/mentions/2010040.dat", "log/U/mentions/20100404_x.dat", "log/U/list/20100404.dat",
          "log/U/list/20100404_.dat", "log/U/list/.20100404_a.dat~", "log/U/20100404.dat"}) {
        WriteDamaged(foreign);
    }
    Search("since:2010-04-03 until:2010-04-05 -in:dm");
    EXPECT_EQ(found.hits, (std::vector<std::string>{"20100405 home 1 a", "20100404 mentions 2 a",
                                                    "20100403 list 3 a"}));
    EXPECT_TRUE(sink.lines.empty()) << sink.lines[0];
    found.hits.clear();
    Search("in:list in:dm");
    EXPECT_EQ(found.hits, (std::vector<std::string>{"20100403 list 3 a"}));
    EXPECT_EQ(sink.lines.size(), 1u) << "the direct messages' log is damaged";
}

TEST_F(HistorySearch, ADamagedFileIsReportedOnceAndSkipped) {
    WriteLog("log/U/timeline/20100405.dat", "20100405", {{1, "a"}});
    WriteDamaged("log/U/mentions/20100405.dat");
    WriteLog("log/U/timeline/20100404.dat", "20100404", {{2, "a"}});
    // Cut inside its second record: nothing of it counts, as the pages load nothing of it.
    WriteLog("log/U/search/20100404_q.dat", "20100404", {{3, "a"}, {4, "a"}});
    const std::string whole = ReadBytes("log/U/search/20100404_q.dat");
    WriteBytes("log/U/search/20100404_q.dat", whole.substr(0, whole.size() - 60));
    const SSearchSummary summary = Search("a");
    EXPECT_EQ(found.hits, (std::vector<std::string>{"20100405 home 1 a", "20100404 home 2 a"}));
    ASSERT_EQ(sink.lines.size(), 2u);
    EXPECT_EQ(sink.lines[0],
              "Skipped the damaged log file 'log/U/mentions/20100405.dat': Inconsistent archive, "
              "expected data_signal or no_data_signal on pointer read.");
    EXPECT_TRUE(
        sink.lines[1].starts_with("Skipped the damaged log file "
                                  "'log/U/search/20100404_q.dat': "))
        << sink.lines[1];
    EXPECT_EQ(summary.mFilesRead, 2u);
    EXPECT_EQ(summary.mFilesSkipped, 2u);
}

TEST_F(HistorySearch, AStopIsSeenBetweenDaysAndBetweenFiles) {
    WriteLog("log/U/timeline/20100405.dat", "20100405", {{1, "a"}});
    WriteDamaged("log/U/timeline/20100404.dat");
    WriteLog("log/U/mentions/20100404.dat", "20100404", {{2, "a"}});
    WriteLog("log/U/timeline/20100403.dat", "20100403", {{3, "a"}});

    std::stop_source beforehand;
    beforehand.request_stop();
    EXPECT_TRUE(Search("a", 0, beforehand.get_token()).mStopped);
    EXPECT_TRUE(found.hits.empty());

    std::stop_source afterFirstHit;
    found.onHit = [&] { afterFirstHit.request_stop(); };
    EXPECT_TRUE(Search("a", 0, afterFirstHit.get_token()).mStopped);
    EXPECT_EQ(found.hits, (std::vector<std::string>{"20100405 home 1 a"}));

    // Stopped while the damaged file is reported: the day's next file is not read, and the day's
    // hits are not handed on.
    found.hits.clear();
    found.onHit = nullptr;
    std::stop_source midDay;
    sink.onLine = [&] { midDay.request_stop(); };
    const SSearchSummary summary = Search("a", 0, midDay.get_token());
    EXPECT_TRUE(summary.mStopped);
    EXPECT_EQ(found.hits, (std::vector<std::string>{"20100405 home 1 a"}));
    EXPECT_EQ(summary.mFilesRead, 1u);
}

TEST_F(HistorySearch, AFolderThatCannotBeListedFails) {
    try {
        Search("");
        FAIL() << "no failure";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Cannot read the logs in 'log/U/': No such file or directory");
    }
}

TEST_F(HistorySearch, HitsHoldTheirOwnTexts) {
    WriteLog("log/U/timeline/20100405.dat", "20100405", {{1, "kept after the file is gone"}});
    struct Keeper final : SearchReceiver {
        void Hit(SSearchHit hit) override { hits.push_back(std::move(hit)); }
        void Progress(size_t, size_t) override {}
        std::vector<SSearchHit> hits;
    } keeper;
    SearchHistory({"log/U/", 0, {}}, CQueryMatcher(ParseQuery("")), keeper, sink);
    WriteBytes("log/U/timeline/20100405.dat", std::string(200, 'x'));
    ASSERT_EQ(keeper.hits.size(), 1u);
    EXPECT_EQ(keeper.hits[0].mEntry->mText, "kept after the file is gone");
    EXPECT_EQ(keeper.hits[0].mEntry->mScreenName, "u1");
}

}  // namespace
