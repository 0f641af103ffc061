// A failure only ever changes the status line: whatever fails (the connection, the account, the
// server, the answer) and whatever asked (a refresh by hand, the automatic reload, the day's end
// asking for the choices again), every page keeps its chooser, its choice, its entries and its
// counts, and its caption only gains the failure mark.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTabWidget>
#include <QTest>

#include "support/fakeservice.h"
#include "support/uifixture.h"
#include "twitter_api/logstore/logstore.h"
#include "window/DialogMain.h"
#include "window/TabCaptions.h"

using namespace ui_testing;

namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

std::string Lists(const std::vector<std::string>& names) {
    std::string document = kDeclaration + "<lists_list><lists type=\"array\">";
    for (const std::string& name : names) {
        document += "<list><name>" + name +
                    "</name><user><screen_name>alice</screen_name>"
                    "</user></list>";
    }
    return HttpResponse("HTTP/1.0 200 OK", document + "</lists></lists_list>\n");
}

std::string SavedSearches(const std::vector<std::string>& queries) {
    std::string document = kDeclaration + "<saved_searches type=\"array\">";
    for (const std::string& query : queries) {
        document += "<saved_search><id>1</id><name>" + query + "</name></saved_search>";
    }
    return HttpResponse("HTTP/1.0 200 OK", document + "</saved_searches>\n");
}

const std::string kNoStatuses =
    HttpResponse("HTTP/1.0 200 OK", kDeclaration + "<statuses type=\"array\">\n</statuses>\n");
const std::string kNoMessages = HttpResponse(
    "HTTP/1.0 200 OK", kDeclaration + "<direct-messages type=\"array\">\n</direct-messages>\n");
const std::string kNoResults = HttpResponse(
    "HTTP/1.0 200 OK", kDeclaration + "<feed xmlns=\"http://www.w3.org/2005/Atom\"></feed>\n");

// What a user sees of a page.
struct SShown {
    std::vector<QString> choices;
    int choice;
    std::string text;
    int32_t unread;
    QString caption;

    bool operator==(const SShown&) const = default;
};

struct FailureKindCase {
    const char* name;
    std::optional<std::string> response;  // none: the connection is reset
};

class FailureKeepsThePage : public UiTest, public ::testing::WithParamInterface<FailureKindCase> {
  protected:
    FailureKeepsThePage() {
        SignIn("alice");
        context.service.hosts = {mService.Address(), mService.Address(), mService.Address()};
        mService.Route("GET /1/alice/lists.xml", Lists({"first", "second"}));
        mService.Route("GET /1/alice/lists/subscriptions.xml", Lists({}));
        mService.Route("GET /saved_searches.xml", SavedSearches({"one", "two"}));
        mService.Route("GET /statuses/", kNoStatuses);
        mService.Route("GET /1/alice/lists/", kNoStatuses);
        mService.Route("GET /direct_messages.xml", kNoMessages);
        mService.Route("GET /search.atom", kNoResults);
        // Each page holds two entries of today, one of them read; the lists and search pages
        // under their second choice.
        const std::pair<twitter_api::ETabType, std::string> logs[] = {
            {twitter_api::TIMELINE, ""},       {twitter_api::MENTIONS, ""},
            {twitter_api::DIRECTMESSAGES, ""}, {twitter_api::LISTS, "second"},
            {twitter_api::SEARCH, "two"},
        };
        for (const auto& [kind, param] : logs) {
            auto today = std::make_shared<twitter_api::CContributionListOfDay>("20240310");
            today->mContributions = MakeContributions(
                {{10 + kind, "ann", "kept", false, true}, {20 + kind, "bob", "kept too"}});
            twitter_api::SaveLog(today, kind, param);
        }
    }

    CTabMain& Page(twitter_api::ETabType kind) { return *mWindow->mTabPages[kind]; }

    void Settle() {
        for (CTabMain* page : mWindow->mTabPages) {
            ASSERT_TRUE(SettleCalls(*page));
            ASSERT_TRUE(page->WaitForFetches(QDeadlineTimer(10'000)));
        }
        clock.now += 3000;
        for (CTabMain* page : mWindow->mTabPages) {
            page->OnTimerTick();
        }
        for (CTabMain* page : mWindow->mTabPages) {
            ASSERT_TRUE(SettleCalls(*page));
            ASSERT_TRUE(page->WaitForFetches(QDeadlineTimer(10'000)));
        }
        clock.now += 3000;
        for (CTabMain* page : mWindow->mTabPages) {
            page->OnTimerTick();
        }
    }

    SShown Shown(twitter_api::ETabType kind) {
        CTabMain& page = Page(kind);
        SShown shown{{},
                     page.comboBox1->currentIndex(),
                     page.txtTimeLine->Text(),
                     page.UnreadCount(),
                     mWindow->tabMain->tabText(kind)};
        for (int item = 0; item < page.comboBox1->count(); ++item) {
            shown.choices.push_back(page.comboBox1->itemText(item));
        }
        return shown;
    }

    void ExpectKept(const std::array<SShown, 5>& before, const char* trigger) {
        for (int kind = twitter_api::TIMELINE; kind <= twitter_api::SEARCH; ++kind) {
            SCOPED_TRACE(testing::Message() << trigger << ", page " << kind);
            const auto index = static_cast<size_t>(kind);
            CTabMain& page = Page(static_cast<twitter_api::ETabType>(kind));
            SShown expected = before[index];
            expected.caption = CaptionWithUnread(page.windowTitle(), expected.unread, true);
            EXPECT_EQ(Shown(static_cast<twitter_api::ETabType>(kind)), expected);
            EXPECT_TRUE(page.LastFetchFailed());
            EXPECT_EQ(page.lblStatus->palette().color(QPalette::WindowText), QColor(255, 110, 110));
        }
    }

    FakeService mService;
    std::unique_ptr<CDialogMain> mWindow;
};

TEST_P(FailureKeepsThePage, OnEveryPageWhateverAsked) {
    mWindow = std::make_unique<CDialogMain>(context);
    mWindow->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mWindow.get()));
    Settle();
    // The user chooses the second list and the second search.
    for (const auto kind : {twitter_api::LISTS, twitter_api::SEARCH}) {
        QComboBox& chooser = *Page(kind).comboBox1;
        ASSERT_EQ(chooser.count(), 2);
        chooser.setCurrentIndex(1);
        emit chooser.activated(1);
    }
    Settle();
    std::array<SShown, 5> before;
    for (int kind = twitter_api::TIMELINE; kind <= twitter_api::SEARCH; ++kind) {
        before[static_cast<size_t>(kind)] = Shown(static_cast<twitter_api::ETabType>(kind));
        ASSERT_NE(before[static_cast<size_t>(kind)].text.find("kept too"), std::string::npos);
        ASSERT_EQ(before[static_cast<size_t>(kind)].unread, 1);
        ASSERT_FALSE(Page(static_cast<twitter_api::ETabType>(kind)).LastFetchFailed());
    }

    // From now on every request fails.
    if (GetParam().response) {
        mService.Route("GET /", *GetParam().response);
    } else {
        mService.Broken("GET /");
    }

    for (CTabMain* page : mWindow->mTabPages) {
        page->OnRefreshClick();
    }
    Settle();
    ExpectKept(before, "by hand");

    gSetting->mAutoReloadType = DialogSetting::EVERY3MINUTES;
    clock.now += 180'000;
    Settle();
    ExpectKept(before, "automatic reload");

    // The day ends: the pages are built again from the logs, yesterday's entries being the same,
    // and the lists and saved searches asked for again fail.
    clock.now += twitter_api::kOneDayMs;
    Settle();
    ExpectKept(before, "the day's end");
    EXPECT_EQ(Page(twitter_api::LISTS).mCurrentDate, "20240311");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailureKeepsThePage,
    ::testing::Values(
        FailureKindCase{"ConnectionReset", std::nullopt},
        FailureKindCase{"WrongPassword",
                        HttpResponse("HTTP/1.0 401 Unauthorized",
                                     kDeclaration + "<hash><error>Could not authenticate you."
                                                    "</error></hash>\n")},
        FailureKindCase{"ServerError", HttpResponse("HTTP/1.0 500 Internal Server Error", "")},
        FailureKindCase{"NotADocument", HttpResponse("HTTP/1.0 200 OK", "<html><p>hi</html>")}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
