// The reader's place on a real page: a click lands where it is made, also when the focus comes
// back with it; the view stays where the reader left it while entries arrive or other pages are
// looked at, a mark tells of the entries that arrived below; the actions act on the entry the
// caret is in; the cancel picture drops the fetch; a post whose window was closed reports how it
// ended; a reply on the direct-messages page says that it will be public.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <thread>

#include "base/PictureBox.h"
#include "post/DialogPost.h"
#include "support/fakeservice.h"
#include "support/searchpath.h"
#include "support/uifixture.h"
#include "twitter_api/conversions/text.h"
#include "window/DialogMain.h"

using namespace ui_testing;
namespace fs = std::filesystem;

namespace {

std::vector<Entry> ManyEntries(int64_t first, int64_t count) {
    std::vector<Entry> entries;
    for (int64_t id = first; id < first + count; ++id) {
        entries.push_back({id, "user" + std::to_string(id), "entry number " + std::to_string(id)});
    }
    return entries;
}

class ReadingPlaceTest : public PageTest {
  protected:
    ReadingPlaceTest() {
        gSetting->mUserNameShowType = DialogSetting::SCREENNAME;
        SignIn("alice");
        context.service.hosts = {mService.Address(), mService.Address(), mService.Address()};
    }

    // A page on screen holding forty entries.
    CTabMain& ShownPageWithEntries(twitter_api::ETabType kind = twitter_api::TIMELINE) {
        CTabMain& page = MakePage(kind);
        Render(ManyEntries(1, 40));
        page.show();
        page.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&page));
        return page;
    }

    // The point in the middle of the character at position, in the box's viewport.
    QPoint PointAt(int32_t position) {
        TimelineView& view = *mPage->txtTimeLine;
        const TimelineView::KeptPlace place(view);
        view.Select(position, 0);
        const QRect start = view.cursorRect(view.textCursor());
        view.Select(position + 1, 0);
        const QRect end = view.cursorRect(view.textCursor());
        return {(start.left() + end.left()) / 2, start.center().y()};
    }

    // Hands a fetch's result over and lets the next tick apply it.
    void Arrive(const std::vector<Entry>& entries) {
        mPage->StoreGetResult(mPage->Generation(), MakeContributions(entries));
        clock.now += 3000;
        mPage->OnTimerTick();
        QCoreApplication::processEvents();
    }

    const twitter_api::ContributionPtr& Item(size_t index) const {
        return mPage->mTodayList->mContributions.at(index);
    }

    FakeService mService;
};

// The focus was on a tool bar picture; the click that brings it back to the timeline puts the
// caret where it is made, opens the link under the pointer, moves no view, and the actions then
// act on the entry clicked.
TEST_F(ReadingPlaceTest, AClickThatBringsTheFocusBackLandsWhereItIsMade) {
    const fs::path bin = mWorkDir.path() / "bin";
    fs::create_directories(bin);
    const fs::path opened = mWorkDir.path() / "opened";
    WriteBytes((bin / "xdg-open").string(),
               "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" + opened.string() + ".part'\n/bin/mv '" +
                   opened.string() + ".part' '" + opened.string() + "'\n");
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    const testing_support::ScopedSearchPath path(bin.string());

    CTabMain& page = MakePage(twitter_api::TIMELINE);
    std::vector<Entry> entries = ManyEntries(1, 40);
    entries[1].text = "see http://a.example/x";
    Render(entries);
    page.show();
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    TimelineView& view = *page.txtTimeLine;
    view.setFocus();
    // The caret on the last entry, the view at the top, then the focus on a picture.
    view.Select(Item(39)->mTextPosition, 0);
    view.verticalScrollBar()->setValue(0);
    page.pictReaded->setFocus(Qt::TabFocusReason);
    ASSERT_FALSE(view.hasFocus());

    const std::string text = view.Text();
    const int32_t link = twitter_api::GetTextLength(text.substr(0, text.find("a.example")));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, PointAt(link));
    QCoreApplication::processEvents();

    EXPECT_TRUE(view.hasFocus());
    EXPECT_EQ(view.verticalScrollBar()->value(), 0) << "the view did not jump to the old caret";
    EXPECT_GE(view.SelectionStart(), Item(1)->mTextPosition);
    EXPECT_LT(view.SelectionStart(), Item(2)->mTextPosition);
    std::optional<std::string> recorded;
    for (int wait = 0; wait < 500 && !recorded; ++wait) {
        if (fs::exists(opened)) {
            recorded = ReadBytes(opened.string());
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    EXPECT_EQ(recorded, "http://a.example/x\n") << "the link under the pointer opened";

    // The favourite and the reply go to the entry clicked.
    mService.Route("POST /1/favorites/create/2.xml",
                   HttpResponse("HTTP/1.0 200 OK", "<?xml version=\"1.0\"?>\n<status/>\n"));
    page.ToggleFavorite();
    ASSERT_TRUE(SettleCalls(page));
    EXPECT_EQ(mService.Requests(), std::vector<std::string>{"POST /1/favorites/create/2.xml"});
    EXPECT_TRUE(Item(1)->mFavorited);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0) << "the view stays";
    std::string replyText;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = dynamic_cast<CDialogPost*>(QApplication::activeModalWidget())) {
            replyText = dialog->TweetText();
            dialog->reject();
        }
    });
    page.ReplyToSelected();
    EXPECT_EQ(replyText, "@user2 ");
}

// Entries that arrive while the reader is further up leave the caret and the view alone; a mark
// counts them, and takes the reader to the first of them.
TEST_F(ReadingPlaceTest, AnAutomaticReloadKeepsTheViewAndMarksWhatArrivedBelow) {
    CTabMain& page = ShownPageWithEntries();
    TimelineView& view = *page.txtTimeLine;
    QScrollBar& bar = *view.verticalScrollBar();
    ASSERT_GT(bar.maximum(), 20);
    bar.setValue(bar.maximum() / 3);
    view.Select(Item(12)->mTextPosition + 3, 0);
    bar.setValue(bar.maximum() / 3);
    const int place = bar.value();

    Arrive(ManyEntries(41, 5));
    EXPECT_EQ(page.mTodayList->mContributions.size(), 45u);
    EXPECT_EQ(bar.value(), place);
    EXPECT_EQ(view.SelectionStart(), Item(12)->mTextPosition + 3);
    ASSERT_TRUE(page.btnNewEntries->isVisible());
    EXPECT_TRUE(page.btnNewEntries->text().contains("5"));
    Arrive(ManyEntries(46, 2));
    EXPECT_EQ(bar.value(), place);
    EXPECT_TRUE(page.btnNewEntries->text().contains("7"));

    page.btnNewEntries->click();
    EXPECT_FALSE(page.btnNewEntries->isVisible());
    // The first of the new entries at the top, as far as the end of the text lets it.
    const int firstNew = view.document()->findBlock(Item(40)->mTextPosition).firstLineNumber();
    EXPECT_EQ(bar.value(), std::min(firstNew, bar.maximum()));
    EXPECT_GT(bar.value(), place);
    EXPECT_EQ(view.SelectionStart(), Item(12)->mTextPosition + 3) << "the caret stays";
}

// A reader at the end follows the end; nothing waits below.
TEST_F(ReadingPlaceTest, AReaderAtTheEndFollowsTheEnd) {
    CTabMain& page = ShownPageWithEntries();
    QScrollBar& bar = *page.txtTimeLine->verticalScrollBar();
    bar.setValue(bar.maximum());
    const int before = bar.maximum();
    Arrive(ManyEntries(41, 5));
    EXPECT_GT(bar.maximum(), before);
    EXPECT_EQ(bar.value(), bar.maximum());
    EXPECT_FALSE(page.btnNewEntries->isVisible());
}

// Another page looked at meanwhile: coming back shows the place left, with what arrived marked.
TEST_F(ReadingPlaceTest, ATabSwitchKeepsTheViewAlsoWhenEntriesArrivedMeanwhile) {
    CDialogMain window(context);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    CTabMain& home = *window.mTabPages[twitter_api::TIMELINE];
    std::vector<twitter_api::ContributionPtr> items = MakeContributions(ManyEntries(1, 60));
    home.AddContributions(items, home.mTodayList, home.mYesterdayList);
    QCoreApplication::processEvents();
    QScrollBar& bar = *home.txtTimeLine->verticalScrollBar();
    bar.setValue(bar.maximum() / 2);
    const int place = bar.value();

    window.tabMain->setCurrentIndex(twitter_api::MENTIONS);
    QCoreApplication::processEvents();
    home.StoreGetResult(home.Generation(), MakeContributions(ManyEntries(61, 4)));
    home.ApplyGetResult();
    window.tabMain->setCurrentIndex(twitter_api::TIMELINE);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar.value(), place);
    EXPECT_TRUE(home.btnNewEntries->isVisible());
}

// The cancel picture drops the fetch under way: what it brings is not shown, and the page says
// the fetch was cancelled.
TEST_F(ReadingPlaceTest, TheCancelPictureDropsTheFetch) {
    context.service.timeout = std::chrono::milliseconds(500);
    mService.Silent("GET /statuses/home_timeline.xml");
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    const QImage normal = page.pictRefresh->pixmap().toImage();
    emit page.pictRefresh->clicked();
    ASSERT_TRUE(page.IsFetching());
    const uint64_t asked = page.Generation();
    EXPECT_NE(page.pictRefresh->pixmap().toImage(), normal) << "the cancel picture";

    emit page.pictRefresh->clicked();
    EXPECT_FALSE(page.IsFetching());
    EXPECT_EQ(page.pictRefresh->pixmap().toImage(), normal);
    EXPECT_EQ(page.lblStatus->FullText(), QString::fromUtf8("取得を中止しました"));
    // What the cancelled fetch hands over, and its failure once it times out, are dropped.
    page.StoreGetResult(asked, MakeContributions({{5, "ann", "too late"}}));
    ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
    clock.now += 3000;
    page.OnTimerTick();
    EXPECT_TRUE(page.mTodayList->mContributions.empty());
    EXPECT_EQ(page.txtTimeLine->Text().find("too late"), std::string::npos);
    EXPECT_EQ(page.lblStatus->FullText(), QString::fromUtf8("取得を中止しました"));
    EXPECT_FALSE(page.LastFetchFailed());
    EXPECT_TRUE(page.mGetThreads.empty());
}

// Another list chosen shows its logs and is fetched at once.
TEST_F(ReadingPlaceTest, ChoosingAnotherListFillsThePageAtOnce) {
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    mService.Route(
        "GET /1/alice/lists.xml",
        HttpResponse("HTTP/1.0 200 OK",
                     declaration + "<lists_list><lists type=\"array\">"
                                   "<list><name>one</name><user><screen_name>ann</screen_name>"
                                   "</user></list><list><name>two</name><user><screen_name>bob"
                                   "</screen_name></user></list></lists></lists_list>\n"));
    mService.Route(
        "GET /1/alice/lists/subscriptions.xml",
        HttpResponse("HTTP/1.0 200 OK",
                     declaration + "<lists_list><lists type=\"array\"/></lists_list>\n"));
    mService.Route(
        "GET /1/bob/lists/two/statuses.xml",
        HttpResponse("HTTP/1.0 200 OK",
                     declaration + "<statuses type=\"array\"><status><created_at>Sun Mar 10 "
                                   "11:00:00 +0000 2024</created_at><id>77</id><text>on list "
                                   "two</text><favorited>false</favorited><user><name>Bob</name>"
                                   "<screen_name>bob</screen_name></user></status></statuses>\n"));
    CTabMain& page = MakePage(twitter_api::LISTS);
    ASSERT_EQ(page.comboBox1->count(), 2);
    page.comboBox1->setCurrentIndex(1);
    emit page.comboBox1->activated(1);
    ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
    clock.now += 3000;
    page.OnTimerTick();
    EXPECT_NE(page.txtTimeLine->Text().find("on list two"), std::string::npos);
    EXPECT_EQ(page.UnreadCount(), 1);
}

// A post still under way when its window is closed reports in the page how it ended.
TEST_F(ReadingPlaceTest, APostWhoseWindowWasClosedReportsHowItEnded) {
    for (const bool succeeds : {true, false}) {
        SCOPED_TRACE(succeeds);
        testing_support::LoopbackListener host;
        context.service.hosts.main = host.Address();
        context.service.timeout = std::chrono::milliseconds(500);
        if (succeeds) {
            host.ServeWith([](testing_support::Peer& connection) {
                std::string request;
                char buffer[1024];
                while (request.find("\r\n\r\n") == std::string::npos) {
                    const size_t got = connection.Receive(buffer, sizeof buffer);
                    if (got == 0) {
                        return;
                    }
                    request.append(buffer, got);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                connection.Send(HttpResponse(
                    "HTTP/1.0 200 OK", "<?xml version=\"1.0\"?>\n<status><id>1</id></status>\n"));
                connection.EndOutput();
            });
        }
        CTabMain& page = MakePage(twitter_api::TIMELINE);
        QTimer::singleShot(0, [] {
            auto* dialog = dynamic_cast<CDialogPost*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QPlainTextEdit*>("txtTweet")->setPlainText("bye");
            dialog->findChild<QPushButton*>("btnTweet")->click();
            ASSERT_TRUE(dialog->Sending());
            dialog->reject();
        });
        page.OpenNewPost();
        ASSERT_TRUE(SettleCalls(page));
        if (succeeds) {
            EXPECT_EQ(page.lblStatus->FullText(), QString::fromUtf8("投稿しました"));
        } else {
            EXPECT_TRUE(page.lblStatus->FullText().startsWith(QString::fromUtf8("投稿: ")))
                << page.lblStatus->FullText().toStdString();
            EXPECT_FALSE(page.LastFetchFailed()) << "a post is no fetch";
        }
    }
}

// Ctrl+R on the direct-messages page answers the sender with a direct message, never a public
// status.
TEST_F(ReadingPlaceTest, AReplyOnTheMessagesPageIsADirectMessageToTheSender) {
    CTabMain& page = MakePage(twitter_api::DIRECTMESSAGES);
    Render({{920000001, "dave", "psst"}});
    page.txtTimeLine->Select(0, 0);
    std::optional<int64_t> replyId;
    std::string recipient;
    bool message = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = dynamic_cast<CDialogPost*>(QApplication::activeModalWidget())) {
            replyId = dialog->ReplyId();
            recipient = dialog->Recipient();
            message = dialog->IsMessage();
            dialog->reject();
        }
    });
    page.ReplyToSelected();
    EXPECT_EQ(replyId, -1);
    EXPECT_TRUE(message);
    EXPECT_EQ(recipient, "dave");
    EXPECT_TRUE(context.postDraft->empty());
}

}  // namespace
