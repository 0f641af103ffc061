#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <optional>

#include "base/PictureBox.h"
#include "post/DialogPost.h"
#include "support/uifixture.h"
#include "textview/EntryColors.h"
#include "twitter_api/logstore/logstore.h"

using namespace ui_testing;

namespace {

// Entries at 0, 30 and 69; the text is 100 positions long (see the rendering tests).
const std::vector<Entry> kEntries = {
    {1, "alice", "hi"},
    {2, "bob", "\U0001D11E line1\r\nline2"},
    {3, "carol", "end", true},
};

class ActionsTest : public PageTest {
  protected:
    ActionsTest() { gSetting->mUserNameShowType = DialogSetting::SCREENNAME; }

    CTabMain& PageWithEntries() {
        CTabMain& page = MakePage(twitter_api::TIMELINE);
        Render(kEntries);
        return page;
    }

    std::vector<bool> ReadFlags() const {
        std::vector<bool> flags;
        for (const auto& c : mPage->mTodayList->mContributions) {
            flags.push_back(c->mIsRead);
        }
        return flags;
    }
};

struct MarkCase {
    bool control;
    int32_t caret;
    std::vector<bool> read;
    int32_t lastRead;
    const char* label;
};

TEST_F(ActionsTest, MarkAsReadMarksAllOrWithControlThoseBeforeTheCaret) {
    const MarkCase cases[] = {
        {false, 35, {true, true, true}, 69, "未読 0 件"},
        {true, 30, {true, false, false}, 0, "未読 2 件"},
        {true, 31, {true, true, false}, 30, "未読 1 件"},
        {true, 0, {false, false, false}, 0, "未読 3 件"},
    };
    SignIn("alice");
    for (const MarkCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "control " << c.control << ", caret " << c.caret);
        CTabMain& page = PageWithEntries();
        keys.control = c.control;
        page.txtTimeLine->Select(c.caret, 0);
        page.MarkAsRead();
        EXPECT_EQ(ReadFlags(), c.read);
        EXPECT_EQ(page.mLastReadPosition, c.lastRead);
        EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8(c.label));
        EXPECT_EQ(page.txtTimeLine->SelectionStart(), c.lastRead) << "scrolled back";
        for (size_t i = 0; i < c.read.size(); ++i) {
            const int32_t start = page.mTodayList->mContributions[i]->mTextPosition;
            EXPECT_EQ(ColorAt(*page.txtTimeLine, start), c.read[i] ? kReadName : kUnreadName);
        }
        // Today's log holds the flags.
        const auto saved = twitter_api::LoadLog(page.mTodayList->mDate, twitter_api::TIMELINE, "");
        ASSERT_EQ(saved->mContributions.size(), c.read.size());
        for (size_t i = 0; i < c.read.size(); ++i) {
            EXPECT_EQ(saved->mContributions[i]->mIsRead, c.read[i]);
        }
        std::filesystem::remove_all("log");
    }
}

TEST_F(ActionsTest, MarkingAgainMovesNothing) {
    CTabMain& page = PageWithEntries();
    keys.control = true;
    page.txtTimeLine->Select(31, 0);
    page.MarkAsRead();
    ASSERT_EQ(page.mLastReadPosition, 30);
    page.txtTimeLine->Select(2, 0);
    page.MarkAsRead();
    EXPECT_EQ(page.mLastReadPosition, 30);
    EXPECT_EQ(ReadFlags(), (std::vector<bool>{true, true, false}));
}

struct FavoriteCase {
    int32_t caret;
    std::optional<std::string> request;  // none: nothing is sent
    size_t toggled;                      // entry whose flag and star flip
};

TEST_F(ActionsTest, FavoriteTogglesTheEntryAtTheCaret) {
    const FavoriteCase cases[] = {
        {30, "POST /1/favorites/create/2.xml HTTP/1.0\r\n", 1},
        {50, "POST /1/favorites/create/2.xml HTTP/1.0\r\n", 1},
        {68, "POST /1/favorites/create/2.xml HTTP/1.0\r\n", 1},
        {69, "POST /1/favorites/destroy/3.xml HTTP/1.0\r\n", 2},
        {99, "POST /1/favorites/destroy/3.xml HTTP/1.0\r\n", 2},
        {100, std::nullopt, 0},
    };
    SignIn("alice");
    for (const FavoriteCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "caret " << c.caret);
        testing_support::LoopbackListener host;
        context.service.hosts.versioned = host.Address();
        if (c.request) {
            host.Serve(testing_support::ResponseWith("<?xml version=\"1.0\"?>\n<status/>\n"));
        }
        CTabMain& page = PageWithEntries();
        page.txtTimeLine->Select(c.caret, 0);
        page.ToggleFavorite();
        EXPECT_EQ(page.pictFavorite->isEnabled(), !c.request) << "busy while the request runs";
        ASSERT_TRUE(SettleCalls(page));
        EXPECT_TRUE(page.pictFavorite->isEnabled());

        const auto& items = page.mTodayList->mContributions;
        if (!c.request) {
            EXPECT_FALSE(host.HasWaitingConnection());
            EXPECT_FALSE(items[1]->mFavorited);
            EXPECT_TRUE(items[2]->mFavorited);
            EXPECT_EQ(page.txtTimeLine->SelectionStart(), c.caret);
            continue;
        }
        EXPECT_EQ(page.txtTimeLine->SelectionStart(), c.caret) << "the caret stays where it was";
        EXPECT_EQ(host.Received().rfind(*c.request, 0), 0u) << host.Received();
        const bool nowFavorite = c.toggled == 1;
        EXPECT_EQ(items[c.toggled]->mFavorited, nowFavorite);
        const int32_t star = c.toggled == 1 ? 67 : 98;
        EXPECT_EQ(ColorAt(*page.txtTimeLine, star), nowFavorite ? kFavoriteStar : kHiddenStar);
    }
}

struct ReplyCase {
    int32_t caret;
    std::optional<int64_t> replyId;  // none: no dialog opens
    std::string text;
};

TEST_F(ActionsTest, ReplyOpensThePostDialogForTheEntryAtTheCaret) {
    const ReplyCase cases[] = {
        {0, 1, "@alice "},  {29, 1, "@alice "},  {30, 2, "@bob "},
        {99, 3, "@carol "}, {100, 3, "@carol "},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "caret " << c.caret);
        CTabMain& page = PageWithEntries();
        page.txtTimeLine->Select(c.caret, 0);
        std::optional<int64_t> replyId;
        std::string text;
        QTimer::singleShot(0, [&] {
            auto* dialog = dynamic_cast<CDialogPost*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            replyId = dialog->ReplyId();
            text = dialog->TweetText();
            dialog->reject();
        });
        page.ReplyToSelected();
        EXPECT_EQ(replyId, c.replyId);
        EXPECT_EQ(text, c.text);
    }
}

TEST_F(ActionsTest, ReplyOnAnEmptyPageOpensNothing) {
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    bool opened = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            opened = true;
            dialog->close();
        }
    });
    timer.start(0);
    page.ReplyToSelected();
    QApplication::processEvents();
    EXPECT_FALSE(opened);
}

}  // namespace
