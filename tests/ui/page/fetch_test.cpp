#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <thread>

#include <QSignalSpy>

#include "base/PictureBox.h"
#include "page/GetTimeLineThread.h"
#include "support/fakeservice.h"
#include "support/uifixture.h"
#include "textview/EntryColors.h"
#include "twitter_api/logstore/logstore.h"
#include "twitter_api/logstore/logwriter.h"

using namespace ui_testing;
using twitter_api::ContributionPtr;
using twitter_api::kOneDayMs;

namespace {

class FetchTest : public PageTest {
  protected:
    // Hands a result over as a fetch thread does, from a thread of its own.
    void StoreFromAnotherThread(const std::vector<Entry>& entries) {
        const uint64_t generation = mPage->Generation();
        std::thread fetch([&] { mPage->StoreGetResult(generation, MakeContributions(entries)); });
        fetch.join();
    }

    std::vector<int64_t> Ids(const twitter_api::ContributionListPtr& list) const {
        std::vector<int64_t> ids;
        for (const auto& c : list->mContributions) {
            ids.push_back(c->mId);
        }
        return ids;
    }
};

TEST_F(FetchTest, ATickAppliesAStoredResultAndSavesTodaysLog) {
    SignIn("alice");
    CTabMain& page = MakePage(twitter_api::MENTIONS);
    EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8("未読 0 件"));
    StoreFromAnotherThread({{1, "a", "x"}, {2, "b", "y"}});
    EXPECT_EQ(page.GetLastGetState(), CTabMain::COMPLETED);

    page.OnTimerTick();
    EXPECT_EQ(page.GetLastGetState(), CTabMain::NOTHING);
    EXPECT_TRUE(page.mGetContributions.empty());
    EXPECT_EQ(Ids(page.mTodayList), (std::vector<int64_t>{1, 2}));
    EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8("未読 2 件"));
    EXPECT_NE(page.txtTimeLine->Text().find("b (display) y"), std::string::npos);
    EXPECT_EQ(Ids(twitter_api::LoadLog("20240310", twitter_api::MENTIONS, "")),
              (std::vector<int64_t>{1, 2}));
}

// The user's own statuses come back from the service as read: no news to their author.
TEST_F(FetchTest, TheUsersOwnStatusesArriveRead) {
    SignIn("alice");
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    QSignalSpy arrived(&page, &CTabMain::ContributionsArrived);
    StoreFromAnotherThread({{1, "Alice", "mine"}, {2, "bob", "his"}, {3, "alice", "mine too"}});
    page.OnTimerTick();
    const auto& items = page.mTodayList->mContributions;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_TRUE(items[0]->mIsRead);
    EXPECT_FALSE(items[1]->mIsRead);
    EXPECT_TRUE(items[2]->mIsRead);
    EXPECT_EQ(page.UnreadCount(), 1);
    EXPECT_EQ(ColorAt(*page.txtTimeLine, items[0]->mTextPosition), kReadName);
    EXPECT_TRUE(
        twitter_api::LoadLog("20240310", twitter_api::TIMELINE, "")->mContributions[0]->mIsRead);
    EXPECT_EQ(arrived.count(), 1);
}

TEST_F(FetchTest, AnEmptyResultShowsTheUnreadCountAgain) {
    SignIn("alice");
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    Render({{3, "a", "x"}});
    page.lblStatus->setText(QString::fromUtf8("取得中"));
    StoreFromAnotherThread({});
    page.OnTimerTick();
    EXPECT_EQ(page.GetLastGetState(), CTabMain::NOTHING);
    EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8("未読 1 件"));
    // The next result is applied normally.
    StoreFromAnotherThread({{4, "a", "x"}});
    page.OnTimerTick();
    EXPECT_EQ(page.GetLastGetState(), CTabMain::NOTHING);
    EXPECT_EQ(Ids(page.mTodayList), (std::vector<int64_t>{3, 4}));
}

TEST_F(FetchTest, ATickThatStartsAnAutomaticReloadCollectsNothing) {
    SignIn("alice");
    gSetting->mAutoReloadType = DialogSetting::EVERY3MINUTES;
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    StoreFromAnotherThread({{1, "a", "x"}});

    // mLastAutoReloadTime starts at 0, so the first tick reloads.
    page.OnTimerTick();
    EXPECT_EQ(page.mLastAutoReloadTime, kNoon);
    EXPECT_EQ(page.mGetThreads.size(), 1u);
    EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8("取得中"));
    EXPECT_TRUE(page.IsFetching());
    EXPECT_EQ(page.GetLastGetState(), CTabMain::COMPLETED) << "the result waits";
    EXPECT_TRUE(page.mTodayList->mContributions.empty());

    // The fetch fails (the host refuses) and ends without a result; the next tick, not yet due
    // for a reload, collects the thread and applies the waiting result.
    ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
    clock.now += 3000;
    page.OnTimerTick();
    EXPECT_TRUE(page.mGetThreads.empty());
    EXPECT_FALSE(page.IsFetching());
    EXPECT_EQ(Ids(page.mTodayList), (std::vector<int64_t>{1}));

    clock.now = kNoon + 179'999;
    page.OnTimerTick();
    EXPECT_TRUE(page.mGetThreads.empty());
    clock.now = kNoon + 180'000;
    page.OnTimerTick();
    EXPECT_EQ(page.mGetThreads.size(), 1u);
    EXPECT_EQ(page.mLastAutoReloadTime, kNoon + 180'000);
}

// A fetch's result is applied as soon as the thread has ended, without waiting for a tick: the
// entries are shown and logged and the unread count is shown.
TEST_F(FetchTest, AResultIsAppliedWhenTheFetchEnds) {
    SignIn("alice");
    FakeService service;
    service.Route("GET /statuses/mentions.xml",
                  HttpResponse("HTTP/1.0 200 OK",
                               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<statuses "
                               "type=\"array\">\n<status><created_at>Sun Mar 10 11:00:00 +0000 "
                               "2024</created_at><id>41</id><text>fetched</text><favorited>false"
                               "</favorited><user><name>Ann</name><screen_name>ann</screen_name>"
                               "</user></status>\n</statuses>\n"));
    context.service.hosts = {service.Address(), service.Address(), service.Address()};
    CTabMain& page = MakePage(twitter_api::MENTIONS);
    page.StartGetTimeLine();
    EXPECT_EQ(page.mGetThreads.size(), 1u);
    ASSERT_TRUE(QTest::qWaitFor([&page] { return page.mGetThreads.empty(); }, 10'000));
    EXPECT_EQ(page.GetLastGetState(), CTabMain::NOTHING);
    EXPECT_EQ(Ids(page.mTodayList), (std::vector<int64_t>{41}));
    EXPECT_NE(page.txtTimeLine->Text().find("Ann fetched"), std::string::npos);
    EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8("未読 1 件"));
    EXPECT_EQ(Ids(twitter_api::LoadLog("20240310", twitter_api::MENTIONS, "")),
              (std::vector<int64_t>{41}));
}

// A page started from today's log, shown as it was logged, grows that log from its first reload
// on: the writer appends the new entries' records to the very file it read.
TEST_F(FetchTest, TheFirstReloadAfterAStartAppendsToTheDaysLog) {
    SignIn("alice");
    context.logWriter = std::make_shared<twitter_api::LogWriter>();
    const char* path = "log/alice/timeline/20240310.dat";
    MakePage(twitter_api::TIMELINE);
    StoreFromAnotherThread({{1, "a", "first run"}, {2, "b", "first run too"}});
    mPage->OnTimerTick();
    context.logWriter->Flush();
    struct stat before {};
    ASSERT_EQ(::stat(path, &before), 0);

    CTabMain& page = MakePage(twitter_api::TIMELINE);  // the next start
    ASSERT_EQ(Ids(page.mTodayList), (std::vector<int64_t>{1, 2}));
    StoreFromAnotherThread({{3, "c", "second run"}});
    page.OnTimerTick();
    context.logWriter->Flush();
    struct stat after {};
    ASSERT_EQ(::stat(path, &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced, not grown";
    EXPECT_GT(after.st_size, before.st_size);
    EXPECT_EQ(Ids(twitter_api::LoadLog("20240310", twitter_api::TIMELINE, "")),
              (std::vector<int64_t>{1, 2, 3}));
}

TEST_F(FetchTest, ResultsOfManualFetchesAreAppliedWithAutoReloadOff) {
    SignIn("alice");
    CTabMain& page = MakePage(twitter_api::DIRECTMESSAGES);
    page.StartGetTimeLine();
    EXPECT_EQ(page.mGetThreads.size(), 1u);
    ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
    StoreFromAnotherThread({{9, "a", "x"}});
    page.OnTimerTick();
    EXPECT_TRUE(page.mGetThreads.empty());
    EXPECT_FALSE(page.IsFetching());
    EXPECT_EQ(Ids(page.mTodayList), (std::vector<int64_t>{9}));
}

TEST_F(FetchTest, ANewDayRebuildsThePageFromTheLogs) {
    SignIn("alice");
    auto day = [](const std::string& date, const std::vector<Entry>& entries) {
        auto list = std::make_shared<twitter_api::CContributionListOfDay>(date);
        list->mContributions = MakeContributions(entries);
        twitter_api::SaveLog(list, twitter_api::TIMELINE, "");
    };
    day("20240301", {{1, "a", "ten days ago"}});
    day("20240308", {{2, "a", "two days ago"}});
    day("20240310", {{3, "a", "today"}, {4, "b", "today too", false, true}});

    CTabMain& page = MakePage(twitter_api::TIMELINE);
    EXPECT_EQ(page.mCurrentDate, "20240310");
    EXPECT_EQ(page.mYesterdayList->mDate, "20240309") << "keeps yesterday's date";
    EXPECT_EQ(Ids(page.mYesterdayList), (std::vector<int64_t>{2}));
    EXPECT_EQ(Ids(page.mTodayList), (std::vector<int64_t>{3, 4}));
    EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8("未読 2 件"));

    clock.now = kNoon + kOneDayMs;
    page.OnTimerTick();
    EXPECT_EQ(page.mCurrentDate, "20240311");
    EXPECT_EQ(page.mYesterdayList->mDate, "20240310");
    EXPECT_EQ(Ids(page.mYesterdayList), (std::vector<int64_t>{3, 4}));
    EXPECT_EQ(page.mTodayList->mDate, "20240311");
    EXPECT_TRUE(page.mTodayList->mContributions.empty());
    EXPECT_EQ(page.mYesterdayList->mContributions[0]->mTextPosition, 0);
    EXPECT_EQ(page.txtTimeLine->Text().find("two days ago"), std::string::npos);
    EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8("未読 1 件"));
}

TEST_F(FetchTest, APageNotYetStartedIsResetAtItsFirstTick) {
    SignIn("alice");
    auto today = std::make_shared<twitter_api::CContributionListOfDay>("20240310");
    today->mContributions = MakeContributions({{5, "a", "x"}});
    twitter_api::SaveLog(today, twitter_api::TIMELINE, "");
    CTabMain page(context, twitter_api::TIMELINE);
    EXPECT_EQ(page.mCurrentDate, "19700101");
    page.OnTimerTick();
    EXPECT_EQ(page.mCurrentDate, "20240310");
    EXPECT_EQ(Ids(page.mTodayList), (std::vector<int64_t>{5}));
}

TEST_F(FetchTest, ListsAndSearchPagesWithoutAChoiceNeitherFetchNorLoad) {
    for (const auto kind : {twitter_api::LISTS, twitter_api::SEARCH}) {
        CTabMain& page = MakePage(kind);
        // Signed in after the start-up, whose request for the choices would fail.
        SignIn("alice");
        EXPECT_EQ(page.comboBox1->currentIndex(), -1);
        page.StartGetTimeLine();
        EXPECT_TRUE(page.mGetThreads.empty());
        EXPECT_FALSE(page.IsFetching());
        EXPECT_NE(page.lblStatus->FullText(), QString::fromUtf8("取得中"));
        gSetting = std::make_shared<DialogSetting::CSettingInfo>();
    }
}

struct RequestCase {
    twitter_api::ETabType kind;
    std::vector<int64_t> yesterday;
    std::vector<int64_t> today;
    std::string requestLine;
};

// Each kind asks its own request with its count; the since id is the larger of the two lists'
// last ids, taken when the thread is made.
TEST_F(FetchTest, EachKindSendsItsRequest) {
    const RequestCase cases[] = {
        {twitter_api::TIMELINE, {5}, {7}, "GET /statuses/home_timeline.xml?since_id=7&count=200"},
        {twitter_api::MENTIONS, {9}, {}, "GET /statuses/mentions.xml?since_id=9&count=200"},
        {twitter_api::DIRECTMESSAGES, {}, {}, "GET /direct_messages.xml?count=20"},
        {twitter_api::LISTS,
         {3},
         {2},
         "GET /1/owner/lists/my%20list/statuses.xml?since_id=3&per_page=200"},
        {twitter_api::SEARCH, {4}, {}, "GET /search.atom?q=a%20b&rpp=100&page=1"},
    };
    for (const RequestCase& c : cases) {
        SCOPED_TRACE(c.requestLine);
        testing_support::LoopbackListener host;
        context.service.hosts = {host.Address(), host.Address(), host.Address()};
        host.Serve(
            testing_support::ResponseWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<statuses "
                                          "type=\"array\">\n</statuses>\n"));
        CTabMain& page = MakePage(c.kind);
        // Signed in after the start-up: the lists and search pages would ask for their choices.
        SignIn("alice");
        for (const int64_t id : c.yesterday) {
            page.mYesterdayList->mContributions.push_back(MakeContribution({id, "a", "x"}));
        }
        for (const int64_t id : c.today) {
            page.mTodayList->mContributions.push_back(MakeContribution({id, "a", "x"}));
        }
        page.mComboValues = {{"owner", "my list"}};
        page.comboBox1->addItem(c.kind == twitter_api::SEARCH ? "a b" : "shown name");
        page.comboBox1->setCurrentIndex(0);

        page.StartGetTimeLine();
        ASSERT_EQ(page.mGetThreads.size(), 1u);
        EXPECT_EQ(page.mGetThreads[0]->mTabType, c.kind);
        EXPECT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
        EXPECT_EQ(host.Received().rfind(c.requestLine + " HTTP/1.0\r\n", 0), 0u) << host.Received();
        EXPECT_EQ(page.GetLastGetState(), CTabMain::COMPLETED);
        gSetting = std::make_shared<DialogSetting::CSettingInfo>();
    }
}

TEST_F(FetchTest, WaitingForAFetchThatHangsIsBounded) {
    testing_support::LoopbackListener silent;  // accepts nothing, answers nothing
    context.service.hosts.main = silent.Address();
    context.service.timeout = std::chrono::milliseconds(1000);
    SignIn("alice");
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    page.StartGetTimeLine();
    EXPECT_FALSE(page.WaitForFetches(QDeadlineTimer(100)));
    EXPECT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000))) << "the request times out";
    page.OnTimerTick();
    EXPECT_TRUE(page.mGetThreads.empty());
    EXPECT_EQ(page.GetLastGetState(), CTabMain::NOTHING) << "a failed fetch stores nothing";
}

TEST_F(FetchTest, HoveringOverRefreshDuringAFetchKeepsTheCancelImage) {
    SignIn("alice");
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    page.StartGetTimeLine();
    const QImage cancel = page.pictRefresh->pixmap().toImage();
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(page.pictRefresh, &enter);
    EXPECT_EQ(page.pictRefresh->pixmap().toImage(), cancel);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(page.pictRefresh, &leave);
    EXPECT_EQ(page.pictRefresh->pixmap().toImage(), cancel);

    ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
    page.OnTimerTick();
    EXPECT_NE(page.pictRefresh->pixmap().toImage(), cancel);
}

}  // namespace
