#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <chrono>
#include <thread>

#include "base/PictureBox.h"
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

using PlainPageTest = PageTest;

TEST_F(PlainPageTest, PagesWithoutAChooserKeepTheirButtons) {
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    EXPECT_FALSE(page.comboBox1->isVisibleTo(&page));
    EXPECT_TRUE(page.pictPost->isVisibleTo(&page));
    EXPECT_TRUE(page.pictSetting->isVisibleTo(&page));
    EXPECT_EQ(page.comboBox1->currentIndex(), -1);
}

}  // namespace
