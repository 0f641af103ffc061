// Repeating, deleting the user's own status and following a conversation, each through the real
// page against the fake service: what is asked, what is sent, and what the page shows when the
// service agrees, refuses or cannot be reached.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>
#include <optional>

#include "base/PictureBox.h"
#include "conversation/ConversationWindow.h"
#include "support/fakeservice.h"
#include "support/uifixture.h"
#include "textview/TimelineView.h"
#include "twitter_api/logstore/logstore.h"

using namespace ui_testing;

namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const std::string kOk =
    HttpResponse("HTTP/1.0 200 OK", kDeclaration + "<status><id>9</id></status>\n");

std::string Refusal(const std::string& statusLine, const std::string& message) {
    return HttpResponse(statusLine, kDeclaration + "<hash>\n  <error>" + message +
                                        "</error>\n  <request>/x</request>\n</hash>\n");
}

// A status as statuses/show answers it; 0 answers nothing.
std::string Shown(int64_t id, int64_t answered) {
    return HttpResponse(
        "HTTP/1.0 200 OK",
        kDeclaration + "<status>\n<created_at>Sun Mar 10 10:00:0" + std::to_string(id % 10) +
            " +0000 2024</created_at>\n<id>" + std::to_string(id) + "</id>\n<text>status " +
            std::to_string(id) + "</text>\n<in_reply_to_status_id>" +
            (answered > 0 ? std::to_string(answered) : std::string()) +
            "</in_reply_to_status_id>\n<user><name>U" + std::to_string(id) +
            "</name><screen_name>u" + std::to_string(id) + "</screen_name></user>\n</status>\n");
}

// How the service answers: agreeing, refusing with its message, or resetting the connection.
struct Answer {
    const char* name;
    std::optional<std::string> response;  // none: the connection is reset
    bool done;
    std::string failure;  // the status label's tooltip when it failed; empty: any text
    const char* saying;   // what the status line says after the action's name when it failed
};

const Answer kAnswers[] = {
    {"agreed", kOk, true, "", ""},
    {"refused", Refusal("HTTP/1.0 403 Forbidden", "Not yours."), false, "Not yours.",
     "サーバーのエラー: Not yours."},
    {"unreachable", std::nullopt, false, "", "に接続できません"},
};

class StatusActions : public PageTest {
  protected:
    StatusActions() {
        SignIn("alice");
        gSetting->mUserNameShowType = DialogSetting::SCREENNAME;
        context.service.hosts = {mService.Address(), mService.Address(), mService.Address()};
    }

    void Route(const std::string& request, const std::optional<std::string>& response) {
        if (response) {
            mService.Route(request, *response);
        } else {
            mService.Broken(request);
        }
    }

    // The entries as a fetch brings them: applied by a tick and saved in today's log.
    CTabMain& PageWith(twitter_api::ETabType kind,
                       const std::vector<twitter_api::ContributionPtr>& entries) {
        CTabMain& page = MakePage(kind);
        page.StoreGetResult(page.Generation(), entries);
        page.OnTimerTick();
        return page;
    }

    // Answers the next question with button, and notes which one was asked.
    void AnswerNextQuestion(QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            asked.push_back(box->objectName().toStdString());
            box->button(button)->click();
        });
    }

    std::vector<std::string> RequestsAfterLists() const {
        std::vector<std::string> requests = mService.Requests();
        std::erase_if(requests, [](const std::string& line) {
            return line.find("/lists") != std::string::npos;
        });
        return requests;
    }

    static twitter_api::ContributionPtr Entry(int64_t id, const std::string& name,
                                              const std::string& text, int64_t answered = 0) {
        twitter_api::ContributionPtr entry = MakeContribution({id, name, text});
        entry->mInReplyToStatusId = answered;
        return entry;
    }

    static bool StruckThrough(CTabMain& page, const twitter_api::CContribution& entry) {
        return FormatAt(*page.txtTimeLine, entry.mTextPosition).fontStrikeOut() &&
               FormatAt(*page.txtTimeLine, entry.mTextPosition + 7).fontStrikeOut();
    }

    // The status line names the action, then why it failed.
    static ::testing::AssertionResult SaysFailure(CTabMain& page, const char* action,
                                                  const Answer& answer) {
        const QString said = page.lblStatus->FullText();
        if (said.startsWith(QString::fromUtf8(action) + ": ") &&
            said.contains(QString::fromUtf8(answer.saying))) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << said.toStdString();
    }

    FakeService mService;
    std::vector<std::string> asked;
};

TEST_F(StatusActions, RepeatAsksFirstThenSaysHowItWent) {
    for (const Answer& answer : kAnswers) {
        SCOPED_TRACE(answer.name);
        FakeService service;
        context.service.hosts.versioned = service.Address();
        if (answer.response) {
            service.Route("POST /statuses/retweet/2.xml", *answer.response);
        } else {
            service.Broken("POST /statuses/retweet/2.xml");
        }
        CTabMain& page =
            PageWith(twitter_api::TIMELINE, {Entry(1, "alice", "mine"), Entry(2, "bob", "theirs")});
        page.txtTimeLine->Select(page.mTodayList->mContributions[1]->mTextPosition + 2, 0);
        asked.clear();
        AnswerNextQuestion(QMessageBox::Yes);
        page.RetweetSelected();
        EXPECT_EQ(asked, std::vector<std::string>{"msgConfirmRetweet"});
        EXPECT_FALSE(page.pictRetweet->isEnabled()) << "busy while the request runs";
        ASSERT_TRUE(SettleCalls(page));
        EXPECT_TRUE(page.pictRetweet->isEnabled());
        EXPECT_EQ(service.Requests(), std::vector<std::string>{"POST /statuses/retweet/2.xml"});
        if (answer.done) {
            EXPECT_EQ(page.lblStatus->FullText(), QString::fromUtf8("リツイートしました"));
            continue;
        }
        EXPECT_TRUE(SaysFailure(page, "リツイート", answer));
        EXPECT_FALSE(page.lblStatus->toolTip().isEmpty());
        if (!answer.failure.empty()) {
            EXPECT_TRUE(page.lblStatus->toolTip().endsWith(QString::fromStdString(answer.failure)))
                << page.lblStatus->toolTip().toStdString();
        }
    }
}

TEST_F(StatusActions, RepeatSendsNothingWhenDeclinedOrOnTheMessagesPage) {
    CTabMain& page = PageWith(twitter_api::TIMELINE, {Entry(2, "bob", "theirs")});
    page.txtTimeLine->Select(0, 0);
    AnswerNextQuestion(QMessageBox::No);
    page.RetweetSelected();
    ASSERT_TRUE(SettleCalls(page));
    EXPECT_EQ(asked, std::vector<std::string>{"msgConfirmRetweet"});

    CTabMain& messages = PageWith(twitter_api::DIRECTMESSAGES, {Entry(3, "bob", "psst")});
    messages.txtTimeLine->Select(0, 0);
    messages.RetweetSelected();
    EXPECT_TRUE(messages.pictRetweet->isHidden());
    EXPECT_EQ(asked.size(), 1U) << "no question on the messages page";
    EXPECT_TRUE(RequestsAfterLists().empty());
}

TEST_F(StatusActions, DeleteIsForTheUsersOwnAndStrikesTheEntryThroughOnceDone) {
    for (const Answer& answer : kAnswers) {
        SCOPED_TRACE(answer.name);
        std::filesystem::remove_all("log");
        context.statusNotes = std::make_shared<twitter_api::StatusNotesShelf>();
        Route("POST /statuses/destroy/1.xml", answer.response);
        CTabMain& page =
            PageWith(twitter_api::TIMELINE, {Entry(1, "Alice", "mine"), Entry(2, "bob", "theirs")});
        const auto& entries = page.mTodayList->mContributions;

        // Not on another's status: no question, nothing sent.
        asked.clear();
        page.txtTimeLine->Select(entries[1]->mTextPosition, 0);
        page.DeleteSelected();
        EXPECT_TRUE(asked.empty());

        page.txtTimeLine->Select(entries[0]->mTextPosition + 3, 0);
        AnswerNextQuestion(QMessageBox::Yes);
        page.DeleteSelected();
        EXPECT_EQ(asked, std::vector<std::string>{"msgConfirmDelete"});
        ASSERT_TRUE(SettleCalls(page));
        EXPECT_EQ(RequestsAfterLists().back(), "POST /statuses/destroy/1.xml");
        EXPECT_EQ(StruckThrough(page, *entries[0]), answer.done);
        EXPECT_FALSE(StruckThrough(page, *entries[1]));
        EXPECT_EQ(std::filesystem::exists("log/alice/deleted.txt"), answer.done);
        if (!answer.done) {
            EXPECT_TRUE(SaysFailure(page, "削除", answer));
            if (!answer.failure.empty()) {
                EXPECT_TRUE(
                    page.lblStatus->toolTip().endsWith(QString::fromStdString(answer.failure)))
                    << page.lblStatus->toolTip().toStdString();
            }
            continue;
        }
        EXPECT_EQ(page.lblStatus->FullText(), QString::fromUtf8("削除しました"));
        EXPECT_EQ(ReadBytes("log/alice/deleted.txt"), "1\n");
        // The log keeps its fields; the page shown anew reads the side file.
        context.statusNotes = std::make_shared<twitter_api::StatusNotesShelf>();
        CTabMain& again = MakePage(twitter_api::TIMELINE);
        ASSERT_EQ(again.mTodayList->mContributions.size(), 2U);
        EXPECT_TRUE(StruckThrough(again, *again.mTodayList->mContributions[0]));
        EXPECT_FALSE(StruckThrough(again, *again.mTodayList->mContributions[1]));
    }
}

TEST_F(StatusActions, DeleteSendsNothingWhenDeclined) {
    CTabMain& page = PageWith(twitter_api::TIMELINE, {Entry(1, "alice", "mine")});
    page.txtTimeLine->Select(0, 0);
    AnswerNextQuestion(QMessageBox::No);
    page.DeleteSelected();
    ASSERT_TRUE(SettleCalls(page));
    EXPECT_EQ(asked, std::vector<std::string>{"msgConfirmDelete"});
    EXPECT_TRUE(RequestsAfterLists().empty());
    EXPECT_FALSE(StruckThrough(page, *page.mTodayList->mContributions[0]));
}

CConversationWindow* ConversationOf(CTabMain& page) {
    return page.findChild<CConversationWindow*>("dlgConversation");
}

TEST_F(StatusActions, AConversationIsShownOldestFirstWithTheReplyLast) {
    mService.Route("GET /statuses/show/40.xml", Shown(40, 30));
    mService.Route("GET /statuses/show/30.xml", Shown(30, 0));
    CTabMain& page = PageWith(twitter_api::MENTIONS, {Entry(5, "bob", "@alice so?", 40)});
    EXPECT_EQ(ReadBytes("log/alice/in_reply_to.txt"), "5 40\n") << "the fetch noted the reply";
    page.txtTimeLine->Select(0, 0);
    page.ShowConversation();
    ASSERT_TRUE(SettleCalls(page));
    EXPECT_EQ(RequestsAfterLists(),
              (std::vector<std::string>{"GET /statuses/show/40.xml", "GET /statuses/show/30.xml"}));
    CConversationWindow* window = ConversationOf(page);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->lblConversationStatus->isHidden());
    EXPECT_EQ(window->txtConversation->Text(),
              "u30 status 30\r\n2024-3-10 19:00:00\r\n"
              "u40 status 40\r\n2024-3-10 19:00:00\r\n"
              "bob @alice so?\r\n2024-3-10 21:00:05\r\n");
    EXPECT_EQ(ReadBytes("log/alice/in_reply_to.txt"), "5 40\n40 30\n");
    window->close();

    // Shown again from the logs, the entry has lost what it answers; the side file still knows.
    context.statusNotes = std::make_shared<twitter_api::StatusNotesShelf>();
    CTabMain& again = MakePage(twitter_api::MENTIONS);
    again.txtTimeLine->Select(0, 0);
    again.ShowConversation();
    ASSERT_TRUE(SettleCalls(again));
    EXPECT_NE(ConversationOf(again), nullptr);
}

TEST_F(StatusActions, AConversationThatCannotBeFetchedIsAFailureOfThePage) {
    const Answer failures[] = {kAnswers[1], kAnswers[2]};
    for (const Answer& answer : failures) {
        SCOPED_TRACE(answer.name);
        FakeService service;
        context.service.hosts.main = service.Address();
        if (answer.response) {
            service.Route("GET /statuses/show/40.xml", *answer.response);
        } else {
            service.Broken("GET /statuses/show/40.xml");
        }
        CTabMain& page = MakePage(twitter_api::TIMELINE);
        Render({{5, "bob", "@alice so?"}});
        page.mTodayList->mContributions[0]->mInReplyToStatusId = 40;
        page.txtTimeLine->Select(0, 0);
        page.ShowConversation();
        ASSERT_TRUE(SettleCalls(page));
        EXPECT_EQ(ConversationOf(page), nullptr);
        EXPECT_TRUE(SaysFailure(page, "会話", answer));
        if (!answer.failure.empty()) {
            EXPECT_TRUE(page.lblStatus->toolTip().endsWith(QString::fromStdString(answer.failure)))
                << page.lblStatus->toolTip().toStdString();
        }
    }
}

TEST_F(StatusActions, AChainThatBreaksOffShowsWhatCameAndWhy) {
    mService.Route("GET /statuses/show/40.xml", Shown(40, 30));
    mService.Route("GET /statuses/show/30.xml",
                   Refusal("HTTP/1.0 404 Not Found", "No status found with that ID."));
    CTabMain& page = PageWith(twitter_api::TIMELINE, {Entry(5, "bob", "@alice so?", 40)});
    page.txtTimeLine->Select(0, 0);
    page.ShowConversation();
    ASSERT_TRUE(SettleCalls(page));
    CConversationWindow* window = ConversationOf(page);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->lblConversationStatus->isHidden());
    EXPECT_TRUE(window->lblConversationStatus->text().contains("No status found with that ID."));
    EXPECT_EQ(window->txtConversation->Text(),
              "u40 status 40\r\n2024-3-10 19:00:00\r\n"
              "bob @alice so?\r\n2024-3-10 21:00:05\r\n");
}

TEST_F(StatusActions, AnEntryThatAnswersNothingHasNoConversation) {
    CTabMain& page = PageWith(twitter_api::TIMELINE, {Entry(5, "bob", "hello")});
    page.txtTimeLine->Select(0, 0);
    page.ShowConversation();
    ASSERT_TRUE(SettleCalls(page));
    EXPECT_EQ(page.lblStatus->FullText(), QString::fromUtf8("返信ではありません"));
    EXPECT_TRUE(RequestsAfterLists().empty());
    EXPECT_EQ(ConversationOf(page), nullptr);
}

// The menu of an entry offers what applies to it: deleting only the user's own, and on the
// messages page only replying and favouring.
TEST_F(StatusActions, TheEntryMenuOffersWhatAppliesToTheEntryUnderThePointer) {
    const auto menuOf = [](CTabMain& page, int32_t position) {
        page.show();
        page.txtTimeLine->Select(position, 0);
        const QPoint point = page.txtTimeLine->cursorRect(page.txtTimeLine->textCursor()).center();
        page.txtTimeLine->Select(0, 0);
        page.OpenEntryMenu(point);
        QStringList texts;
        auto* menu = page.findChild<QMenu*>("menuEntry");
        if (menu != nullptr) {
            for (const QAction* action : menu->actions()) {
                texts.push_back(action->text());
            }
            delete menu;
        }
        return texts;
    };
    CTabMain& page =
        PageWith(twitter_api::TIMELINE, {Entry(1, "alice", "mine"), Entry(2, "bob", "theirs")});
    const int32_t theirs = page.mTodayList->mContributions[1]->mTextPosition;
    EXPECT_EQ(menuOf(page, theirs + 2).join(u'|'),
              QString::fromUtf8("返信|お気に入りの切り替え|リツイート|会話を表示"));
    EXPECT_EQ(page.txtTimeLine->SelectionStart(), theirs + 2) << "the caret went to the pointer";
    EXPECT_EQ(menuOf(page, 2).join(u'|'),
              QString::fromUtf8("返信|お気に入りの切り替え|リツイート|会話を表示|削除"));
    CTabMain& messages = PageWith(twitter_api::DIRECTMESSAGES, {Entry(3, "alice", "note")});
    EXPECT_EQ(menuOf(messages, 2).join(u'|'), QString::fromUtf8("返信|お気に入りの切り替え"));
}

}  // namespace
