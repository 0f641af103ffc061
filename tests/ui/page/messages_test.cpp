// The direct-messages page answers a message with a direct message to its sender, never with a
// public status, through the real page and the post dialog against the fake service.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <optional>

#include "post/DialogPost.h"
#include "support/fakeservice.h"
#include "support/uifixture.h"

using namespace ui_testing;

namespace {

const std::string kSent =
    HttpResponse("HTTP/1.0 200 OK",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<direct_message><id>9</id>"
                 "<text>x</text></direct_message>\n");

class MessagesPage : public PageTest {
  protected:
    MessagesPage() {
        SignIn("alice");
        gSetting->mUserNameShowType = DialogSetting::SCREENNAME;
        context.service.hosts = {mService.Address(), mService.Address(), mService.Address()};
    }

    // Runs open, which shows the post dialog modally; while it is up, fill writes into it and
    // presses send. Then the dialog either closes by itself (the message went) or shows its
    // failure, which is noted and closed with the dialog. What the dialog held when it came up
    // is noted too.
    void WriteInDialog(const std::function<void()>& open,
                       const std::function<void(CDialogPost&)>& fill) {
        QTimer poll;
        poll.setInterval(10);
        bool filled = false;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            // The failure's box, window-modal, stands in front of the dialog that opened it.
            QWidget* modal = QApplication::activeModalWidget();
            auto* dialog = dynamic_cast<CDialogPost*>(modal);
            if (dialog == nullptr && modal != nullptr) {
                dialog = dynamic_cast<CDialogPost*>(modal->parentWidget());
            }
            if (dialog == nullptr) {
                return;
            }
            if (!filled) {
                filled = true;
                opened = {dialog->IsMessage(), dialog->Recipient(), dialog->TweetText()};
                fill(*dialog);
                dialog->findChild<QPushButton*>("btnTweet")->click();
                return;
            }
            if (auto* box = dialog->findChild<QMessageBox*>("msgPostFailed")) {
                failure = box->text().toStdString();
                box->close();
                dialog->reject();
            }
        });
        poll.start();
        open();
    }

    static void Write(CDialogPost& dialog, const QString& text) {
        dialog.findChild<QPlainTextEdit*>("txtTweet")->insertPlainText(text);
    }

    struct Opened {
        bool message = false;
        std::string recipient;
        std::string text;
    };

    FakeService mService;
    Opened opened;
    std::optional<std::string> failure;
};

TEST_F(MessagesPage, ReplyWritesADirectMessageToTheSender) {
    const struct {
        const char* name;
        std::optional<std::string> response;  // none: the connection is reset
        std::string failure;                  // in the dialog's message; empty for none
    } cases[] = {
        {"sent", kSent, ""},
        {"refused",
         HttpResponse("HTTP/1.0 403 Forbidden",
                      "<?xml version=\"1.0\"?>\n<hash><error>You cannot send messages to users "
                      "who are not following you.</error></hash>\n"),
         "You cannot send messages to users who are not following you."},
        {"unreachable", std::nullopt, "送信できませんでした。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string request = "POST /direct_messages/new.xml?screen_name=bob&text=";
        if (c.response) {
            mService.Route(request, *c.response);
        } else {
            mService.Broken(request);
        }
        failure.reset();
        CTabMain& page = MakePage(twitter_api::DIRECTMESSAGES);
        Render({{1, "carol", "hi"}, {2, "bob", "lunch?"}});
        page.txtTimeLine->Select(page.mTodayList->mContributions[1]->mTextPosition + 1, 0);
        WriteInDialog([&page] { page.ReplyToSelected(); },
                      [](CDialogPost& dialog) { Write(dialog, "yes, noon & all"); });
        EXPECT_TRUE(opened.message) << "a direct message, not a status";
        EXPECT_EQ(opened.recipient, "bob");
        EXPECT_EQ(opened.text, "");
        EXPECT_EQ(mService.Requests().back(), request + "yes,%20noon%20%26%20all");
        if (c.failure.empty()) {
            EXPECT_FALSE(failure) << *failure;
        } else {
            ASSERT_TRUE(failure);
            EXPECT_NE(failure->find(c.failure), std::string::npos) << *failure;
        }
    }
    for (const std::string& line : mService.Requests()) {
        EXPECT_EQ(line.find("/statuses/update.xml"), std::string::npos) << line;
    }
}

TEST_F(MessagesPage, ANewPostThereIsAMessageToANameTheWriterTypes) {
    mService.Route("POST /direct_messages/new.xml", kSent);
    CTabMain& page = MakePage(twitter_api::DIRECTMESSAGES);
    Render({{2, "bob", "lunch?"}});
    WriteInDialog([&page] { page.OpenNewPost(); },
                  [](CDialogPost& dialog) {
                      dialog.findChild<QLineEdit*>("txtRecipient")->setText("@carol");
                      Write(dialog, "ok");
                  });
    EXPECT_TRUE(opened.message);
    EXPECT_EQ(opened.recipient, "");
    EXPECT_FALSE(failure);
    EXPECT_EQ(mService.Requests().back(),
              "POST /direct_messages/new.xml?screen_name=carol&text=ok");
}

}  // namespace
