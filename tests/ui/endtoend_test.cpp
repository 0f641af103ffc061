// The main window against the local stand-in of the service: a first start fetches every timeline
// and logs it, a second start shows the same entries from the logs alone.
#include <gtest/gtest.h>
#include <httplib.h>

#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <thread>

#include "routes.h"
#include "seed.h"
#include "store.h"
#include "support/uifixture.h"
#include "twitter_api/logstore/logstore.h"
#include "twitter_api/requests/probe.h"
#include "window/DialogMain.h"

using namespace ui_testing;

namespace {

// Every page has started (those not on screen just after the first paint), and the choice
// lists asked for at start-up have arrived and been applied.
void SettleAll(CDialogMain& window) {
    EXPECT_TRUE(QTest::qWaitFor([&window] {
        return std::all_of(window.mTabPages.begin(), window.mTabPages.end(),
                           [](const CTabMain* page) { return page->Started(); });
    }));
    for (CTabMain* page : window.mTabPages) {
        EXPECT_TRUE(SettleCalls(*page));
    }
}

class EndToEndTest : public UiTest {
  protected:
    EndToEndTest() {
        standin::LoadSeedFile(WARBLET_STANDIN_SEED, standin::Now(), mStore);
        standin::ConfigureServer(mServer, mStore);
        const int port = mServer.bind_to_any_port("127.0.0.1");
        mServing = std::thread([this] { mServer.listen_after_bind(); });
        const std::string host = "127.0.0.1:" + std::to_string(port);
        context.service.hosts = {host, host, host};
        clock.now = SystemClock().NowMs();
        gSetting->SetCredential(DialogSetting::MakeCredential("demo", "demo"));
    }
    ~EndToEndTest() override {
        mServer.stop();
        mServing.join();
    }

    // What the window's ticker does every three seconds.
    static void Tick(CDialogMain& window) {
        QTimer* ticker = window.findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
        ASSERT_NE(ticker, nullptr);
        ASSERT_TRUE(QMetaObject::invokeMethod(ticker, "timeout"));
    }

    struct Shown {
        size_t today = 0;
        std::string text;
        QString choice;
    };

    standin::CStore mStore;
    httplib::Server mServer;
    std::thread mServing;
};

TEST_F(EndToEndTest, TheFirstStartFetchesAndLogsEveryTimelineTheSecondShowsThemFromTheLogs) {
    gSetting->mAutoReloadType = DialogSetting::EVERY3MINUTES;
    std::array<Shown, 5> first;
    {
        CDialogMain window(context);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        SettleAll(window);
        EXPECT_GT(window.mTabPages[twitter_api::LISTS]->comboBox1->count(), 0);
        EXPECT_GT(window.mTabPages[twitter_api::SEARCH]->comboBox1->count(), 0);

        Tick(window);
        for (CTabMain* page : window.mTabPages) {
            EXPECT_EQ(page->mGetThreads.size(), 1u) << page->mTabType;
            EXPECT_EQ(page->lblStatus->text(), QString::fromUtf8("取得中"));
        }
        ASSERT_TRUE(window.WaitForFetches(QDeadlineTimer(20'000)));
        clock.now += 3000;
        Tick(window);
        for (CTabMain* page : window.mTabPages) {
            SCOPED_TRACE(page->mTabType);
            EXPECT_TRUE(page->mGetThreads.empty());
            EXPECT_FALSE(page->mTodayList->mContributions.empty());
            const QString unread =
                QStringLiteral("未読 %1 件").arg(page->mTodayList->GetUnreadCount());
            EXPECT_EQ(page->lblStatus->text(), unread);
            Shown& shown = first[static_cast<size_t>(page->mTabType)];
            shown.today = page->mTodayList->mContributions.size();
            shown.text = page->txtTimeLine->Text();
            shown.choice = page->comboBox1->currentText();
            const auto logged = twitter_api::LoadLog(page->mCurrentDate, page->mTabType,
                                                     shown.choice.toStdString());
            EXPECT_EQ(logged->mContributions.size(), shown.today);
        }
    }

    gSetting->mAutoReloadType = DialogSetting::NONE;
    CDialogMain window(context);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    SettleAll(window);
    for (CTabMain* page : window.mTabPages) {
        SCOPED_TRACE(page->mTabType);
        const Shown& shown = first[static_cast<size_t>(page->mTabType)];
        EXPECT_EQ(page->comboBox1->currentText(), shown.choice);
        EXPECT_EQ(page->mTodayList->mContributions.size(), shown.today);
        EXPECT_EQ(page->txtTimeLine->Text(), shown.text);
        EXPECT_TRUE(page->mGetThreads.empty());
    }
}

// The same window against the stand-in playing a GNU social or Friendica server, found as a
// user's server is: every page fills from it, a repeat shows in the name of the one who repeated
// and of its author, and the logs go to the account's folder of that server.
class ServerEndToEndTest : public UiTest,
                           public ::testing::WithParamInterface<twitter_api::Flavour> {
  protected:
    ServerEndToEndTest() {
        standin::LoadSeedFile(WARBLET_STANDIN_SEED, standin::Now(), mStore, true);
        standin::ConfigureServer(mServer, mStore, GetParam());
        const int port = mServer.bind_to_any_port("127.0.0.1");
        mServing = std::thread([this] { mServer.listen_after_bind(); });
        mHost = "127.0.0.1:" + std::to_string(port);
        context.service.hosts = twitter_api::WithServer(
            twitter_api::HostConfig(),
            twitter_api::FindServer(context.service, "http://" + mHost + "/index.php/api"));
        clock.now = SystemClock().NowMs();
        gSetting->SetCredential(DialogSetting::MakeCredential("demo", "demo"));
    }
    ~ServerEndToEndTest() override {
        mServer.stop();
        mServing.join();
    }

    standin::CStore mStore;
    httplib::Server mServer;
    std::thread mServing;
    std::string mHost;
};

TEST_P(ServerEndToEndTest, EveryPageFillsFromTheServerAndIsLoggedInItsFolder) {
    EXPECT_EQ(context.service.hosts.server, "http://" + mHost + "/index.php/api");
    CDialogMain window(context);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    SettleAll(window);
    EXPECT_GT(window.mTabPages[twitter_api::LISTS]->comboBox1->count(), 0);
    const bool hasSavedSearches = GetParam() == twitter_api::Flavour::Friendica;
    EXPECT_EQ(window.mTabPages[twitter_api::SEARCH]->comboBox1->count() > 0, hasSavedSearches);
    for (CTabMain* page : window.mTabPages) {
        page->StartGetTimeLine();
    }
    ASSERT_TRUE(window.WaitForFetches(QDeadlineTimer(20'000)));
    for (CTabMain* page : window.mTabPages) {
        page->OnTimerTick();
    }
    const CTabMain& home = *window.mTabPages[twitter_api::TIMELINE];
    EXPECT_NE(home.txtTimeLine->Text().find("RT @kenji_dev QString"), std::string::npos);
    for (CTabMain* page : window.mTabPages) {
        SCOPED_TRACE(page->mTabType);
        if (page->mTabType == twitter_api::SEARCH && !hasSavedSearches) {
            continue;
        }
        EXPECT_FALSE(page->mTodayList->mContributions.empty())
            << page->lblStatus->toolTip().toStdString();
        const auto logged =
            twitter_api::LoadLog(page->mCurrentDate, page->mTabType,
                                 page->comboBox1->currentText().toStdString(), mHost);
        EXPECT_EQ(logged->mContributions.size(), page->mTodayList->mContributions.size());
    }
    EXPECT_TRUE(std::filesystem::is_directory("log/demo@" + mHost + "/timeline"));
    EXPECT_FALSE(std::filesystem::exists("log/demo"));
}

INSTANTIATE_TEST_SUITE_P(Flavours, ServerEndToEndTest,
                         ::testing::Values(twitter_api::Flavour::GnuSocial,
                                           twitter_api::Flavour::Friendica),
                         [](const auto& testCase) {
                             return std::string(twitter_api::FlavourKey(testCase.param));
                         });

}  // namespace
