// What the user sees when a request fails, and that nothing of an earlier generation of the page
// lands in what a reset made.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>

#include "base/PictureBox.h"
#include "page/GetTimeLineThread.h"
#include "support/captured.h"
#include "support/fakeservice.h"
#include "support/uifixture.h"
#include "textview/EntryColors.h"
#include "twitter_api/logstore/logstore.h"
#include "window/DialogMain.h"
#include "window/DialogSetting.h"

using namespace ui_testing;

namespace {

const char* const kStatuses =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<statuses type=\"array\">\n"
    "<status><created_at>Sun Mar 10 11:00:00 +0000 2024</created_at><id>%ID%</id>"
    "<text>fetched %ID%</text><favorited>false</favorited>"
    "<user><name>Ann</name><screen_name>ann</screen_name></user></status>\n"
    "</statuses>\n";

// What the service answers a wrong password with.
const std::string kWrongPassword =
    HttpResponse("HTTP/1.0 401 Unauthorized",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<hash>\n"
                 "  <request>/statuses/mentions.xml</request>\n"
                 "  <error>Could not authenticate you.</error>\n</hash>\n");

const char* const kNoLists =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<lists_list><lists type=\"array\"/>"
    "</lists_list>\n";

std::string StatusesWith(int64_t id) {
    std::string document = kStatuses;
    for (auto at = document.find("%ID%"); at != std::string::npos; at = document.find("%ID%")) {
        document.replace(at, 4, std::to_string(id));
    }
    return HttpResponse("HTTP/1.0 200 OK", document);
}

class FailureTest : public PageTest {
  protected:
    FailureTest() {
        SignIn("alice");
        context.service.hosts = {mService.Address(), mService.Address(), mService.Address()};
        // No subscribed lists unless a test says otherwise.
        for (const char* account : {"alice", "bob"}) {
            mService.Route(std::string("GET /1/") + account + "/lists/subscriptions.xml",
                           HttpResponse("HTTP/1.0 200 OK", kNoLists));
        }
    }

    // A manual refresh, waited for and collected by the next tick.
    void Fetch(CTabMain& page) {
        page.StartGetTimeLine();
        ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
        clock.now += 3000;
        page.OnTimerTick();
    }

    static QColor LabelColour(const CTabMain& page) {
        return page.lblStatus->palette().color(QPalette::WindowText);
    }

    FakeService mService;
};

struct FetchFailureCase {
    const char* name;
    std::optional<std::string> response;  // none: the connection is reset
    const char* status;                   // what the status line says; %1: the host
    std::string cause;                    // in the tooltip and the diagnostics
    bool offersSettings;
};

class FetchFailure : public FailureTest, public ::testing::WithParamInterface<FetchFailureCase> {};

// The status line says what went wrong, of a kind the user can act on, in its own colour and cut
// to fit, with the whole of it and the cause in the tooltip; a refused account offers the
// settings, and the tab's caption is marked. The next success brings the count back.
TEST_P(FetchFailure, IsShownByKindUntilTheNextSuccess) {
    const FetchFailureCase& c = GetParam();
    CTabMain& page = MakePage(twitter_api::MENTIONS);
    if (c.response) {
        mService.Route("GET /statuses/mentions.xml", *c.response);
    } else {
        mService.Broken("GET /statuses/mentions.xml");
    }
    QSignalSpy marked(&page, &CTabMain::FetchFailedChanged);
    Fetch(page);
    const QString status =
        QString::fromUtf8(c.status).arg(QString::fromStdString(mService.Address()));
    EXPECT_EQ(page.lblStatus->FullText(), status);
    EXPECT_TRUE(page.lblStatus->toolTip().startsWith(status));
    EXPECT_NE(page.lblStatus->toolTip().indexOf(QString::fromStdString(c.cause)), -1)
        << page.lblStatus->toolTip().toStdString();
    EXPECT_EQ(LabelColour(page), QColor(255, 110, 110));
    // At the page's width the text is cut to fit; a link to the settings follows it whole.
    EXPECT_EQ(!page.lblStatus->Link().isEmpty(), c.offersSettings);
    if (!c.offersSettings) {
        EXPECT_TRUE(page.lblStatus->text().endsWith(QChar(0x2026)))
            << page.lblStatus->text().toStdString();
        EXPECT_LE(page.lblStatus->fontMetrics().horizontalAdvance(page.lblStatus->text()),
                  page.lblStatus->width());
    } else {
        EXPECT_NE(page.lblStatus->text().indexOf(page.lblStatus->Link()), -1);
    }
    ASSERT_FALSE(diagnostics.lines.empty());
    EXPECT_EQ(diagnostics.lines.back().rfind("GetTimeLine failed: " + c.cause, 0), 0u)
        << diagnostics.lines.back();
    EXPECT_TRUE(page.LastFetchFailed());
    EXPECT_EQ(marked.count(), 1);
    if (c.offersSettings) {
        QSignalSpy settings(&page, &CTabMain::SettingsRequested);
        emit page.lblStatus->linkActivated("link");
        EXPECT_EQ(settings.count(), 1);
    }

    mService.Route("GET /statuses/mentions.xml", StatusesWith(7));
    Fetch(page);
    EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8("未読 1 件"));
    EXPECT_EQ(LabelColour(page), QColor(255, 255, 255));
    EXPECT_TRUE(page.lblStatus->toolTip().startsWith(QString::fromUtf8("未読 1 件")));
    EXPECT_FALSE(page.LastFetchFailed());
    EXPECT_EQ(marked.count(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FetchFailure,
    ::testing::Values(
        FetchFailureCase{"NetworkFailure", std::nullopt, "%1 に接続できません", "Cannot read from",
                         false},
        FetchFailureCase{
            "ServerError", HttpResponse("HTTP/1.0 502 Bad Gateway", "<html><p>down</html>"),
            "サーバーのエラー: HTTP/1.0 502 Bad Gateway", "HTTP/1.0 502 Bad Gateway", false},
        FetchFailureCase{"NotADocument", HttpResponse("HTTP/1.0 200 OK", "<html><p>hi</html>"),
                         "サーバーの応答を理解できません",
                         "The service's answer is not a well-formed document", false},
        FetchFailureCase{"EmptyBody", HttpResponse("HTTP/1.0 200 OK", ""),
                         "サーバーの応答を理解できません",
                         "The service's answer is not a well-formed document", false},
        FetchFailureCase{"WrongPassword", kWrongPassword,
                         "アカウント名かパスワードが受け付けられません",
                         "Could not authenticate you.", true}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// Both choice lists are asked for off the interface thread; the chooser is busy until they are
// there, then it offers the own lists before the subscribed ones and shows the first one's logs.
TEST_F(FailureTest, TheListsPageFillsItsChooserFromTheServicesLists) {
    REQUIRE_CAPTURED_DOCUMENTS();
    auto today = std::make_shared<twitter_api::CContributionListOfDay>("20240310");
    today->mContributions = MakeContributions({{4, "a", "on things to attend"}});
    twitter_api::SaveLog(today, twitter_api::LISTS, "things-to-attend");
    context.service.timeout = std::chrono::milliseconds(1000);
    mService.Silent("GET /1/alice/lists.xml");

    CTabMain& page = MakePage(twitter_api::LISTS, false);
    EXPECT_FALSE(page.comboBox1->isEnabled()) << "busy while the lists are on their way";
    EXPECT_EQ(page.comboBox1->count(), 0);
    EXPECT_FALSE(SettleCalls(page, 300));

    // The answer to the start-up's question comes too late: the reset asked again.
    mService.Route("GET /1/alice/lists.xml", FixtureResponse("lists-1.xml"));
    mService.Route("GET /1/alice/lists/subscriptions.xml", FixtureResponse("lists-2.xml"));
    page.ResetTab();
    ASSERT_TRUE(SettleCalls(page));
    EXPECT_TRUE(page.comboBox1->isEnabled());
    std::vector<std::string> shown;
    for (int item = 0; item < page.comboBox1->count(); ++item) {
        shown.push_back(page.comboBox1->itemText(item).toStdString());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"things-to-attend", "conversationlist", "JavaScript",
                                               "mongodb", "gov20", "design", "Rubyists", "Rubyists",
                                               "Team"}));
    ASSERT_EQ(page.mComboValues.size(), 9u);
    EXPECT_EQ(page.mComboValues[8].mUserName, "twitter");
    EXPECT_EQ(page.mComboValues[8].mListName, "Team");
    EXPECT_EQ(page.comboBox1->currentIndex(), 0);
    EXPECT_NE(page.txtTimeLine->Text().find("on things to attend"), std::string::npos);
    EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8("未読 1 件"));
}

TEST_F(FailureTest, AChoiceListThatFailsIsShownAndLeavesTheChooserUsable) {
    REQUIRE_CAPTURED_DOCUMENTS();
    mService.Broken("GET /saved_searches.xml");
    CTabMain& page = MakePage(twitter_api::SEARCH);
    EXPECT_TRUE(page.comboBox1->isEnabled());
    EXPECT_EQ(page.comboBox1->count(), 0);
    EXPECT_EQ(
        page.lblStatus->FullText(),
        QString::fromUtf8("%1 に接続できません").arg(QString::fromStdString(mService.Address())));
    EXPECT_TRUE(page.LastFetchFailed());
    EXPECT_TRUE(errors.empty()) << "no error window";

    // The refresh picture of the empty chooser asks again.
    mService.Route("GET /saved_searches.xml", FixtureResponse("savedsearches-1.xml"));
    emit page.pictRefresh->clicked();
    ASSERT_TRUE(SettleCalls(page));
    EXPECT_EQ(page.comboBox1->count(), 1);
    EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8("未読 0 件"));
}

struct RefusedFavoriteCase {
    const char* name;
    bool favorited;
    std::optional<std::string> response;  // none: the connection is reset
};

class RefusedFavorite : public FailureTest,
                        public ::testing::WithParamInterface<RefusedFavoriteCase> {};

// A favourite the service does not accept leaves the star and the flag as they were.
TEST_P(RefusedFavorite, LeavesTheStarAndTheFlag) {
    const RefusedFavoriteCase& c = GetParam();
    const std::string request =
        c.favorited ? "POST /1/favorites/destroy/5.xml" : "POST /1/favorites/create/5.xml";
    if (c.response) {
        mService.Route(request, *c.response);
    } else {
        mService.Broken(request);
    }
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    Render({{5, "ann", "hello", c.favorited}});
    const int32_t star = page.txtTimeLine->TextLength() - 2;
    page.txtTimeLine->Select(0, 0);
    page.ToggleFavorite();
    ASSERT_TRUE(SettleCalls(page));

    EXPECT_EQ(mService.Requests(), std::vector<std::string>{request});
    EXPECT_EQ(page.mTodayList->mContributions[0]->mFavorited, c.favorited);
    EXPECT_EQ(ColorAt(*page.txtTimeLine, star), c.favorited ? kFavoriteStar : kHiddenStar);
    EXPECT_TRUE(page.lblStatus->FullText().startsWith(QString::fromUtf8("\u2605: ")))
        << page.lblStatus->FullText().toStdString();
    EXPECT_FALSE(page.LastFetchFailed()) << "a favourite is no fetch";
    EXPECT_TRUE(page.pictFavorite->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedFavorite,
    ::testing::Values(
        RefusedFavoriteCase{"CreateNotADocument", false,
                            HttpResponse("HTTP/1.0 500 Internal Server Error", "oops")},
        RefusedFavoriteCase{"DestroyNetworkFailure", true, std::nullopt},
        RefusedFavoriteCase{"CreateRefused", false,
                            HttpResponse("HTTP/1.0 403 Forbidden",
                                         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                         "<hash><error>You have already favorited this "
                                         "status.</error></hash>")}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// The automatic reload starts no second fetch while the first still hangs.
TEST_F(FailureTest, TheAutomaticReloadSkipsAPageWhoseFetchStillRuns) {
    gSetting->mAutoReloadType = DialogSetting::EVERY3MINUTES;
    context.service.timeout = std::chrono::milliseconds(1500);
    mService.Silent("GET /statuses/home_timeline.xml");
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    page.OnTimerTick();
    ASSERT_EQ(page.mGetThreads.size(), 1u);
    for (int reload = 1; reload <= 3; ++reload) {
        clock.now += 180'000;
        page.OnTimerTick();
        EXPECT_EQ(page.mGetThreads.size(), 1u) << "reload " << reload;
    }
    ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
    EXPECT_EQ(mService.Requests().size(), 1u);
    clock.now += 3000;
    page.OnTimerTick();
    ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
    EXPECT_EQ(mService.Requests().size(), 2u) << "the missed reload starts once the page is free";
}

// The first automatic reload of a lists page whose lists are still on their way is not used up:
// it happens at the first tick after they have come.
TEST_F(FailureTest, AnAutomaticReloadWaitsForTheChoices) {
    REQUIRE_CAPTURED_DOCUMENTS();
    gSetting->mAutoReloadType = DialogSetting::EVERY3MINUTES;
    context.service.timeout = std::chrono::milliseconds(1000);
    mService.Silent("GET /1/alice/lists.xml");
    CTabMain& page = MakePage(twitter_api::LISTS, false);
    page.OnTimerTick();
    EXPECT_TRUE(page.mGetThreads.empty());

    mService.Route("GET /1/alice/lists.xml", FixtureResponse("lists-2.xml"));
    mService.Route("GET /1/pengwynn/lists/Rubyists/statuses.xml", StatusesWith(3));
    page.ResetTab();
    ASSERT_TRUE(SettleCalls(page));
    clock.now += 3000;
    page.OnTimerTick();
    EXPECT_EQ(page.mGetThreads.size(), 1u);
    EXPECT_EQ(page.mLastAutoReloadTime, clock.now);
    ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
}

// A chooser whose lists failed to come (the service down at the start) asks for them again at
// the next automatic reload, not every tick, and shows the first choice's logs once they come.
TEST_F(FailureTest, AChooserLeftEmptyAsksAgainAtTheNextAutomaticReload) {
    REQUIRE_CAPTURED_DOCUMENTS();
    auto today = std::make_shared<twitter_api::CContributionListOfDay>("20240310");
    today->mContributions = MakeContributions({{4, "a", "logged on the list"}});
    twitter_api::SaveLog(today, twitter_api::LISTS, "Rubyists");
    gSetting->mAutoReloadType = DialogSetting::EVERY3MINUTES;
    mService.Broken("GET /1/alice/lists.xml");
    CTabMain& page = MakePage(twitter_api::LISTS);
    ASSERT_EQ(page.comboBox1->count(), 0);
    const auto asked = [this] {
        const auto requests = mService.Requests();
        return std::count(requests.begin(), requests.end(), "GET /1/alice/lists.xml");
    };
    EXPECT_EQ(asked(), 1);

    // The first tick resets the page, whose day was never set, and that asks; the reload due
    // meanwhile asks at the next tick.
    const auto tick = [&](int64_t after) {
        clock.now += after;
        page.OnTimerTick();
        EXPECT_TRUE(SettleCalls(page));
    };
    tick(0);
    EXPECT_EQ(asked(), 2);
    tick(3000);
    EXPECT_EQ(asked(), 3);
    tick(3000);
    tick(3000);
    EXPECT_EQ(asked(), 3) << "not before the next reload is due";

    mService.Route("GET /1/alice/lists.xml", FixtureResponse("lists-2.xml"));
    mService.Route("GET /1/pengwynn/lists/Rubyists/statuses.xml", StatusesWith(3));
    tick(174'000);
    EXPECT_EQ(asked(), 4);
    EXPECT_EQ(page.comboBox1->currentText(), "Rubyists");
    EXPECT_NE(page.txtTimeLine->Text().find("logged on the list"), std::string::npos);
    EXPECT_FALSE(page.LastFetchFailed());
}

// A fetch under way when the page is reset (here: another list chosen) brings a result that
// belongs to the old list; it is dropped, not appended to the new list's day or log.
TEST_F(FailureTest, AFetchStartedBeforeAResetNeverLandsInWhatTheResetMade) {
    REQUIRE_CAPTURED_DOCUMENTS();
    mService.Route("GET /1/alice/lists.xml", FixtureResponse("lists-2.xml"));
    mService.Route("GET /1/alice/lists/subscriptions.xml", FixtureResponse("lists-1.xml"));
    CTabMain& page = MakePage(twitter_api::LISTS);
    ASSERT_GE(page.comboBox1->count(), 2);
    page.mComboValues[0] = {"owner", "first"};
    mService.Route("GET /1/owner/lists/first/statuses.xml", StatusesWith(9));
    page.StartGetTimeLine();
    ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
    EXPECT_EQ(page.GetLastGetState(), CTabMain::COMPLETED);

    page.comboBox1->setCurrentIndex(1);
    emit page.comboBox1->activated(1);
    clock.now += 3000;
    page.OnTimerTick();
    EXPECT_TRUE(page.mTodayList->mContributions.empty());
    EXPECT_EQ(page.txtTimeLine->Text().find("fetched 9"), std::string::npos);
    EXPECT_TRUE(twitter_api::LoadLog("20240310", twitter_api::LISTS,
                                     page.comboBox1->currentText().toStdString())
                    ->mContributions.empty());
}

// A fetch still hanging when the day rolls over ends after the page has been rebuilt; neither
// its failure nor anything else of it reaches the new page, which asks for its lists again.
TEST_F(FailureTest, TheDateRollOverResetsThePageAndDropsTheFetchUnderWay) {
    REQUIRE_CAPTURED_DOCUMENTS();
    context.service.timeout = std::chrono::milliseconds(1000);
    mService.Route("GET /1/alice/lists.xml", FixtureResponse("lists-2.xml"));
    mService.Route("GET /1/alice/lists/subscriptions.xml", FixtureResponse("lists-1.xml"));
    mService.Silent("GET /1/pengwynn/lists/Rubyists/statuses.xml");
    auto newDay = std::make_shared<twitter_api::CContributionListOfDay>("20240311");
    newDay->mContributions = MakeContributions({{8, "a", "the new day"}});
    twitter_api::SaveLog(newDay, twitter_api::LISTS, "Rubyists");
    CTabMain& page = MakePage(twitter_api::LISTS);
    page.StartGetTimeLine();

    clock.now += twitter_api::kOneDayMs;
    page.OnTimerTick();
    EXPECT_EQ(page.mCurrentDate, "20240311");
    ASSERT_TRUE(SettleCalls(page));
    ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
    clock.now += 3000;
    page.OnTimerTick();

    const auto requests = mService.Requests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "GET /1/alice/lists.xml"), 2);
    EXPECT_EQ(page.comboBox1->count(), 9);
    EXPECT_EQ(page.comboBox1->currentText(), "Rubyists");
    EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8("未読 1 件"));
    EXPECT_NE(page.txtTimeLine->Text().find("the new day"), std::string::npos);
}

// OK with another account name resets every real page: the lists and saved searches of the new
// account are asked for, and a result fetched for the old account is not shown.
TEST_F(FailureTest, AnAccountChangeResetsThePagesWithTheNewAccountsChoices) {
    REQUIRE_CAPTURED_DOCUMENTS();
    mService.Route("GET /1/alice/lists.xml", FixtureResponse("lists-1.xml"));
    mService.Route("GET /1/bob/lists.xml", FixtureResponse("lists-2.xml"));
    mService.Route("GET /saved_searches.xml", FixtureResponse("savedsearches-1.xml"));
    CDialogMain window(context);
    window.show();
    // The pages not on screen start once the window has been painted.
    ASSERT_TRUE(QTest::qWaitFor([&window] {
        return std::all_of(window.mTabPages.begin(), window.mTabPages.end(),
                           [](const CTabMain* page) { return page->Started(); });
    }));
    for (CTabMain* page : window.mTabPages) {
        ASSERT_TRUE(SettleCalls(*page));
    }
    CTabMain& lists = *window.mTabPages[twitter_api::LISTS];
    EXPECT_EQ(lists.comboBox1->count(), 7);
    CTabMain& home = *window.mTabPages[twitter_api::TIMELINE];
    const uint64_t before = home.Generation();
    home.StoreGetResult(before, MakeContributions({{3, "a", "for alice"}}));

    CDialogSetting dialog(&window);
    dialog.show();
    dialog.findChild<QLineEdit*>("txtId")->setText("bob");
    dialog.findChild<QPushButton*>("btnOk")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(lists.comboBox1->isEnabled()) << "busy while bob's lists are on their way";
    for (CTabMain* page : window.mTabPages) {
        ASSERT_TRUE(SettleCalls(*page));
    }
    home.OnTimerTick();

    EXPECT_EQ(lists.comboBox1->count(), 2);
    EXPECT_EQ(lists.comboBox1->itemText(1), "Team");
    EXPECT_EQ(window.mTabPages[twitter_api::SEARCH]->comboBox1->itemText(0), "twitter");
    EXPECT_TRUE(home.mTodayList->mContributions.empty());
    EXPECT_EQ(home.txtTimeLine->Text().find("for alice"), std::string::npos);
}

// Choosing the list that is already shown keeps the page: its unsaved stars and the result
// waiting to be applied stay.
TEST_F(FailureTest, ReChoosingTheShownListKeepsThePage) {
    REQUIRE_CAPTURED_DOCUMENTS();
    mService.Route("GET /1/alice/lists.xml", FixtureResponse("lists-1.xml"));
    CTabMain& page = MakePage(twitter_api::LISTS);
    Render({{2, "a", "starred", true}});
    page.StoreGetResult(page.Generation(), MakeContributions({{5, "b", "waiting"}}));

    emit page.comboBox1->activated(0);
    EXPECT_EQ(page.mTodayList->mContributions.size(), 1u);
    EXPECT_TRUE(page.mTodayList->mContributions[0]->mFavorited);
    page.OnTimerTick();
    EXPECT_NE(page.txtTimeLine->Text().find("waiting"), std::string::npos);
    EXPECT_NE(page.txtTimeLine->Text().find("starred"), std::string::npos);
}

// Marking as read on the pages with a chooser saves both days under the chosen item's name.
TEST_F(FailureTest, MarkAsReadOnTheListsAndSearchPagesSavesUnderTheChoice) {
    REQUIRE_CAPTURED_DOCUMENTS();
    mService.Route("GET /1/alice/lists.xml", FixtureResponse("lists-2.xml"));
    mService.Route("GET /saved_searches.xml", FixtureResponse("savedsearches-1.xml"));
    for (const auto kind : {twitter_api::LISTS, twitter_api::SEARCH}) {
        SCOPED_TRACE(kind);
        CTabMain& page = MakePage(kind);
        ASSERT_GT(page.comboBox1->count(), 0);
        const std::string choice = page.comboBox1->currentText().toStdString();
        Render({{11, "a", "one"}, {12, "b", "two"}});
        page.MarkAsRead();
        EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8("未読 0 件"));
        const auto saved = twitter_api::LoadLog("20240310", kind, choice);
        ASSERT_EQ(saved->mContributions.size(), 2u);
        EXPECT_TRUE(saved->mContributions[0]->mIsRead);
        EXPECT_TRUE(saved->mContributions[1]->mIsRead);
    }
}

}  // namespace
