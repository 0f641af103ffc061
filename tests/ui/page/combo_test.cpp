#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <chrono>
#include <thread>

#include "base/PictureBox.h"
#include "support/fakeservice.h"
#include "support/uifixture.h"
#include "twitter_api/logstore/logstore.h"
#include "twitter_api/logstore/logwriter.h"

using namespace ui_testing;

namespace {

const char* const kSavedSearches =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<saved_searches type=\"array\">\n"
    "<saved_search><id>1</id><name>&amp;#12354; b</name></saved_search>\n"
    "<saved_search><id>2</id><name>second</name></saved_search>\n"
    "</saved_searches>\n";

class ComboTest : public PageTest {
  protected:
    ComboTest() {
        SignIn("alice");
        context.service.hosts.main = mHost.Address();
        mHost.Serve(testing_support::ResponseWith(kSavedSearches));
        SaveDay("\u3042 b", {{1, "a", "first search"}});
        SaveDay("second", {{2, "b", "second search"}});
    }

    static void SaveDay(const std::string& search, const std::vector<Entry>& entries) {
        auto list = std::make_shared<twitter_api::CContributionListOfDay>("20240310");
        list->mContributions = MakeContributions(entries);
        twitter_api::SaveLog(list, twitter_api::SEARCH, search);
    }

    bool Shows(const std::string& text) const {
        return mPage->txtTimeLine->Text().find(text) != std::string::npos;
    }

    testing_support::LoopbackListener mHost;
};

TEST_F(ComboTest, TheSearchPageOffersTheSavedSearchesAndShowsTheFirst) {
    CTabMain& page = MakePage(twitter_api::SEARCH);
    EXPECT_NE(mHost.Received().find("GET /saved_searches.xml HTTP/1.0"), std::string::npos);
    ASSERT_EQ(page.comboBox1->count(), 2);
    EXPECT_EQ(page.comboBox1->itemText(0), QString::fromUtf8("\u3042 b"));
    ASSERT_EQ(page.mComboValues.size(), 2u);
    EXPECT_EQ(page.mComboValues[0].mUserName, "&#12354; b");
    EXPECT_EQ(page.mComboValues[0].mListName, "&#12354; b");
    EXPECT_EQ(page.comboBox1->currentIndex(), 0);
    EXPECT_TRUE(page.comboBox1->isVisibleTo(&page));
    EXPECT_FALSE(page.pictPost->isVisibleTo(&page));
    EXPECT_FALSE(page.pictSetting->isVisibleTo(&page));
    EXPECT_TRUE(Shows("first search"));
}

TEST_F(ComboTest, OnlyTheUsersChoiceReloadsThePage) {
    CTabMain& page = MakePage(twitter_api::SEARCH);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));

    page.comboBox1->setCurrentIndex(1);
    EXPECT_TRUE(Shows("first search")) << "the program's own change reloads nothing";
    EXPECT_TRUE(page.mGetThreads.empty());

    page.comboBox1->setCurrentIndex(0);
    QTest::keyClick(page.comboBox1, Qt::Key_Down);
    ASSERT_EQ(page.comboBox1->currentIndex(), 1);
    EXPECT_TRUE(Shows("second search"));
    EXPECT_FALSE(Shows("first search"));
    EXPECT_EQ(page.mTodayList->mContributions.size(), 1u);
    EXPECT_EQ(page.UnreadCount(), 1);
    // What the logs do not hold is asked for at once.
    EXPECT_EQ(page.mGetThreads.size(), 1u);
    EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8("取得中"));
    EXPECT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
}

// Saves go to the disk off the interface thread; coming back to a choice still shows what was
// saved for it last, however recently.
TEST_F(ComboTest, ChoosingAgainShowsTheLatestSaveOfThatChoice) {
    // A slow disk: a page that read its log while a save was still on its way would show the
    // older file.
    context.logWriter = std::make_shared<twitter_api::LogWriter>(
        [](const std::string& path, const std::string& bytes) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            WriteBytes(path, bytes);
        });
    CTabMain& page = MakePage(twitter_api::SEARCH);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    page.MarkAsRead(false);

    QTest::keyClick(page.comboBox1, Qt::Key_Down);
    ASSERT_TRUE(Shows("second search"));
    QTest::keyClick(page.comboBox1, Qt::Key_Up);
    ASSERT_TRUE(Shows("first search"));
    ASSERT_EQ(page.mTodayList->mContributions.size(), 1u);
    EXPECT_TRUE(page.mTodayList->mContributions[0]->mIsRead);
    EXPECT_EQ(page.UnreadCount(), 0);
    EXPECT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
}

const char* const kFeed =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<feed xmlns=\"http://www.w3.org/2005/Atom\">\n<entry>\n"
    "<id>tag:search.twitter.com,2005:77</id>\n<published>2024-03-10T11:00:00Z</published>\n"
    "<title>found it</title>\n<author><name>ann (Ann)</name></author>\n</entry>\n</feed>\n";

// Enters text in the chooser's field as the user types it and presses Enter.
void EnterQuery(CTabMain& page, const QString& text) {
    page.comboBox1->lineEdit()->selectAll();
    QTest::keyClicks(page.comboBox1->lineEdit(), text);
    QTest::keyClick(page.comboBox1->lineEdit(), Qt::Key_Return);
}

// Any words, not only a saved search: the page shows, fetches and logs them, under a file name
// that no separator or control character reaches.
TEST_F(ComboTest, TheChooserTakesAnyQueryAndLogsItUnderItsEncodedName) {
    FakeService search;
    search.Route("GET /search.atom", HttpResponse("HTTP/1.0 200 OK", kFeed));
    context.service.hosts.search = search.Address();
    CTabMain& page = MakePage(twitter_api::SEARCH);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    ASSERT_TRUE(page.comboBox1->isEditable());

    EnterQuery(page, "a/b 100%");
    EXPECT_EQ(page.mTypedQuery, "a/b 100%");
    EXPECT_EQ(page.comboBox1->currentIndex(), -1);
    EXPECT_EQ(page.comboBox1->currentText(), "a/b 100%");
    EXPECT_FALSE(Shows("first search"));
    ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
    EXPECT_EQ(search.Requests(),
              std::vector<std::string>{"GET /search.atom?q=a/b%20100%25&rpp=100&page=1"});
    clock.now += 3000;
    page.OnTimerTick();
    EXPECT_TRUE(Shows("found it"));
    EXPECT_TRUE(std::filesystem::exists("log/alice/search/20240310_a%2Fb 100%25.dat"));
    EXPECT_EQ(twitter_api::LoadLog("20240310", twitter_api::SEARCH,
                                   twitter_api::EncodeQueryFileName("a/b 100%"))
                  ->GetLastId(),
              77);
    EXPECT_EQ(page.comboBox1->count(), 2) << "the typed query is no saved search";

    // A refresh asks for the typed query again; the name of a saved search chooses it.
    page.OnRefreshClick();
    ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
    EXPECT_EQ(search.Requests().size(), 2U);
    EnterQuery(page, "second");
    EXPECT_EQ(page.comboBox1->currentIndex(), 1);
    EXPECT_TRUE(page.mTypedQuery.empty());
    EXPECT_TRUE(Shows("second search"));
    EXPECT_FALSE(Shows("found it"));
}

using PlainPageTest = PageTest;

TEST_F(PlainPageTest, PagesWithoutAChooserKeepTheirButtons) {
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    EXPECT_FALSE(page.comboBox1->isVisibleTo(&page));
    EXPECT_TRUE(page.pictPost->isVisibleTo(&page));
    EXPECT_TRUE(page.pictSetting->isVisibleTo(&page));
    EXPECT_EQ(page.comboBox1->currentIndex(), -1);
}

}  // namespace
