// Pages on a GNU social or Friendica server: what the server does not have is not asked for and
// the chooser says so, Friendica's lists go by id, and the logs go to the account's folder of that
// server.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <filesystem>

#include "support/fakeservice.h"
#include "support/uifixture.h"
#include "twitter_api/logstore/logstore.h"

using namespace ui_testing;

namespace {

const std::string kEmptyStatuses = "<?xml version=\"1.0\"?>\n<statuses/>\n";

class ServerPages : public PageTest {
  protected:
    ServerPages() { SignIn("alice"); }

    void OnServer(twitter_api::Flavour flavour) {
        context.service.hosts.flavour = flavour;
        context.service.hosts.server = "http://" + mServer.Address() + "/api";
        context.service.hosts.textLimit = 1000;
    }

    FakeService mServer;
};

TEST_F(ServerPages, GnuSocialHasNoSavedSearchesAndIsNotAskedForThem) {
    OnServer(twitter_api::Flavour::GnuSocial);
    CTabMain& page = MakePage(twitter_api::SEARCH);
    EXPECT_TRUE(mServer.Requests().empty());
    EXPECT_EQ(page.comboBox1->count(), 0);
    EXPECT_TRUE(page.comboBox1->isEnabled());
    EXPECT_EQ(page.comboBox1->placeholderText(),
              QString::fromUtf8("このサーバーには保存した検索がありません"));
    EXPECT_EQ(page.comboBox1->toolTip(), page.comboBox1->placeholderText());
    page.StartGetTimeLine();
    EXPECT_TRUE(page.mGetThreads.empty()) << "nothing chosen, nothing fetched";
}

// Without saved searches the chooser still takes the words to search for.
TEST_F(ServerPages, OnGnuSocialATypedQueryIsSearchedFor) {
    OnServer(twitter_api::Flavour::GnuSocial);
    mServer.Route("GET /api/search.atom",
                  HttpResponse("HTTP/1.1 200 OK",
                               "<?xml version=\"1.0\"?>\n<feed xmlns=\"http://www.w3.org/2005/"
                               "Atom\"/>\n"));
    CTabMain& page = MakePage(twitter_api::SEARCH);
    EXPECT_EQ(page.comboBox1->lineEdit()->placeholderText(),
              QString::fromUtf8("このサーバーには保存した検索がありません"));
    QTest::keyClicks(page.comboBox1->lineEdit(), "meeting");
    QTest::keyClick(page.comboBox1->lineEdit(), Qt::Key_Return);
    ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
    // The ended fetch handed over first, so that the refresh starts another rather than cancels.
    page.OnTimerTick();
    page.OnRefreshClick();
    ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
    EXPECT_EQ(mServer.Requests(),
              (std::vector<std::string>{"GET /api/search.atom?q=meeting&rpp=100&page=1",
                                        "GET /api/search.atom?q=meeting&rpp=100&page=1"}));
}

TEST_F(ServerPages, FriendicasCirclesAreItsListsAndGoByTheirId) {
    OnServer(twitter_api::Flavour::Friendica);
    mServer.Route(
        "GET /api/friendica/circle_show.xml",
        HttpResponse("HTTP/1.1 200 OK",
                     "<?xml version=\"1.0\"?>\n<group_update xmlns=\"http://api.twitter.com\">\n"
                     "  <group>\n    <name>Friends</name>\n    <gid>4</gid>\n"
                     "    <users/>\n  </group>\n</group_update>\n"));
    mServer.Route("GET /api/lists/statuses.xml", HttpResponse("HTTP/1.1 200 OK", kEmptyStatuses));
    CTabMain& page = MakePage(twitter_api::LISTS);
    EXPECT_EQ(mServer.Requests(), std::vector<std::string>{"GET /api/friendica/circle_show.xml"})
        << "no list subscriptions asked for";
    ASSERT_EQ(page.comboBox1->count(), 1);
    EXPECT_EQ(page.comboBox1->itemText(0), "Friends");
    EXPECT_EQ(page.comboBox1->toolTip(),
              QString::fromUtf8("このサーバーにはリストの購読がありません"));
    page.StartGetTimeLine();
    ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
    EXPECT_EQ(mServer.Requests().back(), "GET /api/lists/statuses.xml?list_id=4&count=200");
}

TEST_F(ServerPages, TheLogsOfAServerAccountLiveUnderItsNameAndHost) {
    OnServer(twitter_api::Flavour::GnuSocial);
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    page.StoreGetResult(page.Generation(), MakeContributions({{5, "bob", "on the server"}}));
    page.OnTimerTick();
    const std::string folder = "log/alice@" + mServer.Address();
    EXPECT_TRUE(std::filesystem::exists(folder + "/timeline/20240310.dat"));
    EXPECT_FALSE(std::filesystem::exists("log/alice/timeline/20240310.dat"));

    // The same account on the service does not see it; on the server again it does.
    context.service.hosts = twitter_api::HostConfig();
    EXPECT_TRUE(MakePage(twitter_api::TIMELINE).mTodayList->mContributions.empty());
    OnServer(twitter_api::Flavour::GnuSocial);
    EXPECT_EQ(MakePage(twitter_api::TIMELINE).mTodayList->mContributions.size(), 1U);
}

}  // namespace
