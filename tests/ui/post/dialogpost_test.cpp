#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "post/DialogPost.h"
#include "support/uifixture.h"

namespace {

class PostDialog : public ui_testing::UiTest {
  protected:
    PostDialog() { SignIn("alice"); }

    std::unique_ptr<CDialogPost> Open(const std::string& text = "", int64_t replyId = -1) {
        auto dialog = std::make_unique<CDialogPost>(context, text, replyId);
        box = dialog->findChild<QPlainTextEdit*>("txtTweet");
        label = dialog->findChild<QLabel*>("lblRestString");
        button = dialog->findChild<QPushButton*>("btnTweet");
        return dialog;
    }

    // Key presses as the keyboard sends them; a line break is the Return key.
    void Type(const QString& text) {
        for (const QChar c : text) {
            if (c == u'\n') {
                Press(Qt::Key_Return, "\r");
            } else {
                Press(0, QString(c));
            }
        }
    }

    void Press(int key, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(box, &press);
    }

    void Paste(const QString& text) { box->insertPlainText(text); }

    QPlainTextEdit* box = nullptr;
    QLabel* label = nullptr;
    QPushButton* button = nullptr;
};

TEST_F(PostDialog, HasTheLayoutControlsInOrder) {
    const auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), "Tweet Form");
    EXPECT_EQ(dialog->size(), QSize(256, 133));
    std::vector<QString> names;
    for (QObject* child : dialog->children()) {
        if (child->isWidgetType()) {
            names.push_back(child->objectName());
        }
    }
    EXPECT_EQ(names, (std::vector<QString>{"btnTweet", "lblRestString", "txtTweet"}));
    EXPECT_EQ(button->text(), QString::fromUtf8("書き込む"));
    EXPECT_EQ(button->geometry(), QRect(136, 104, 104, 24));
    EXPECT_EQ(label->geometry(), QRect(32, 104, 88, 24));
    EXPECT_EQ(label->alignment(), Qt::AlignCenter);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    EXPECT_EQ(box->geometry(), QRect(8, 8, 240, 88));
    EXPECT_EQ(box->palette().color(QPalette::Base), QColor(34, 34, 34));
    EXPECT_EQ(box->palette().color(QPalette::Text), QColor(255, 255, 255));
    EXPECT_EQ(dialog->palette().color(QPalette::Window), QColor(20, 20, 20));
    EXPECT_EQ(label->text(), "140");
}

struct CounterCase {
    const char* name;
    QString typed;
    QString pasted;
    QString label;

    // The case's name, where a failure or the test list would show its bytes.
    friend void PrintTo(const CounterCase& c, std::ostream* out) { *out << c.name; }
};

class PostDialogCounter : public PostDialog, public ::testing::WithParamInterface<CounterCase> {};

TEST_P(PostDialogCounter, ShowsWhatIsLeftOf140) {
    const auto& c = GetParam();
    const auto dialog = Open();
    Paste(c.pasted);
    Type(c.typed);
    EXPECT_EQ(label->text(), c.label);
    EXPECT_EQ(dialog->RestCount(), c.label.toInt());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PostDialogCounter,
    ::testing::Values(
        CounterCase{"OneCharacter", "a", "", "139"},
        CounterCase{"CodePoints140", "", QString(140, QChar(0x3042)), "0"},
        CounterCase{"TwoLinesOfTen", "", "0123456789\n0123456789", "119"},
        CounterCase{"TypedLineBreak", "abc\ndef", "", "133"},
        // U+1F600 takes two UTF-16 units: 70 of them fill the box yet count as 70 characters.
        CounterCase{"OutsideTheBasicPlane", "", QString::fromUcs4(U"\U0001F600").repeated(70),
                    "70"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// On a server the limit is the one its configuration document gave; 0 is none, and the counter
// then counts what has been written.
TEST_F(PostDialog, AServersTextLimitDrivesTheCounterAndTheLimit) {
    struct Case {
        const char* name;
        int32_t limit;
        int pasted;
        QString label;
        int kept;
    };
    const Case cases[] = {
        {"a limit of 1000", 1000, 1000, "0", 1000},
        {"beyond 1000, kept whole", 1000, 1010, "-10", 1010},
        {"no limit", 0, 1500, "1500", 1500},
        {"a small limit", 5, 3, "2", 3},
    };
    context.service.hosts.flavour = twitter_api::Flavour::GnuSocial;
    context.service.hosts.server = "https://social.example/api";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        context.service.hosts.textLimit = c.limit;
        const auto dialog = Open();
        EXPECT_EQ(dialog->TextLimit(), c.limit);
        EXPECT_EQ(label->text(), QString::number(c.limit));
        Paste(QString(c.pasted, 'a'));
        EXPECT_EQ(box->toPlainText().size(), c.kept);
        EXPECT_EQ(label->text(), c.label);
    }
}

TEST_F(PostDialog, DeletingRaisesTheCountAgain) {
    const auto dialog = Open();
    Paste("abcdef");
    Press(Qt::Key_Backspace, "");
    EXPECT_EQ(box->toPlainText(), "abcde");
    EXPECT_EQ(label->text(), "135");
}

struct OverLimitCase {
    const char* name;
    QString pasted;
    QString typed;
    int over;  // characters beyond 140
};

class PostDialogOverLimit : public PostDialog,
                            public ::testing::WithParamInterface<OverLimitCase> {};

// Nothing typed or pasted is dropped: the whole text stays, the count goes below zero in red, and
// the text cannot be sent (the button says why) until it fits again.
TEST_P(PostDialogOverLimit, KeepsTheWholeTextAndRefusesToSendUntilItFits) {
    const OverLimitCase& c = GetParam();
    testing_support::LoopbackListener host;
    context.service.hosts.main = host.Address();
    const auto dialog = Open();
    dialog->show();
    const QString sendTip = button->toolTip();
    Paste(c.pasted);
    Type(c.typed);

    EXPECT_EQ(box->toPlainText(), c.pasted + c.typed);
    EXPECT_EQ(label->text(), QString::number(-c.over));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 90, 90));
    EXPECT_FALSE(button->isEnabled());
    EXPECT_TRUE(button->toolTip().contains(QString::number(c.over)))
        << button->toolTip().toStdString();
    QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
    button->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(host.HasWaitingConnection()) << "nothing is sent";
    EXPECT_FALSE(dialog->Sending());

    QTextCursor end = box->textCursor();
    end.movePosition(QTextCursor::End);
    box->setTextCursor(end);
    for (int removed = 0; removed < c.over; ++removed) {
        Press(Qt::Key_Backspace, "");
    }
    EXPECT_EQ(label->text(), "0");
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(button->toolTip(), sendTip);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PostDialogOverLimit,
    ::testing::Values(
        OverLimitCase{"TypedPastTheLimit", QString(140, 'a'), "b", 1},
        OverLimitCase{"PastedPastTheLimit", QString(150, 'x'), "", 10},
        // A line break counts one, as does a character outside the Basic Multilingual Plane.
        OverLimitCase{"LineBreaks", QString("a\n").repeated(80), "", 20},
        OverLimitCase{"OutsideTheBasicPlane", QString::fromUcs4(U"\U0001F600").repeated(145), "",
                      5}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// A paste into the middle of a full text keeps all of it, where it was put.
TEST_F(PostDialog, AnInsertionInTheMiddleKeepsTheTextAroundIt) {
    const auto dialog = Open();
    Paste(QString(10, 'x') + QString(128, 'y'));
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(10);
    box->setTextCursor(cursor);
    Paste("12345");
    EXPECT_EQ(box->toPlainText(), QString(10, 'x') + "12345" + QString(128, 'y'));
    EXPECT_EQ(box->textCursor().position(), 15);
    EXPECT_EQ(label->text(), "-3");
}

TEST_F(PostDialog, AReplyOpensWithItsTextCountedAndTheCaretAtTheEnd) {
    const auto dialog = Open("@abc ", 12345);
    EXPECT_EQ(box->toPlainText(), "@abc ");
    EXPECT_EQ(dialog->ReplyId(), 12345);
    EXPECT_EQ(label->text(), "135");
    EXPECT_EQ(box->textCursor().position(), 5);
}

struct PostCase {
    const char* name;
    QString text;
    int64_t replyId;
    std::string requestLine;

    friend void PrintTo(const PostCase& c, std::ostream* out) { *out << c.name; }
};

// Waits for the post under way to be answered and applied.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10'000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

class PostDialogPost : public PostDialog, public ::testing::WithParamInterface<PostCase> {};

TEST_P(PostDialogPost, SendsTheStatusAndCloses) {
    const auto& c = GetParam();
    testing_support::LoopbackListener host;
    host.Serve(testing_support::ResponseWith(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<status><id>1</id></status>"));
    context.service.hosts.main = host.Address();
    const auto dialog = Open("", c.replyId);
    Paste(c.text);
    dialog->show();

    button->click();
    EXPECT_TRUE(dialog->Sending());
    EXPECT_FALSE(button->isEnabled()) << "busy while the post is under way";
    EXPECT_TRUE(box->isReadOnly());

    ASSERT_TRUE(WaitUntil([&] { return !dialog->isVisible(); }));
    const std::string received = host.Received();
    EXPECT_EQ(received.substr(0, received.find("\r\n")), c.requestLine);
    EXPECT_NE(received.find("\r\nAuthorization: Basic YWxpY2U6c2VjcmV0\r\n"), std::string::npos)
        << received;
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(context.postDraft->empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PostDialogPost,
    ::testing::Values(
        PostCase{"Reply", "hello world", 5,
                 "POST /statuses/update.xml?status=hello%20world&in_reply_to_status_id=5 "
                 "HTTP/1.0"},
        PostCase{"NewStatus", QString::fromUtf8("日本"), -1,
                 "POST /statuses/update.xml?status=%E6%97%A5%E6%9C%AC HTTP/1.0"},
        PostCase{"LineBreakAsCrLf", "a\nb", -1,
                 "POST /statuses/update.xml?status=a%0D%0Ab HTTP/1.0"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(PostDialog, EmptyOrBlankTextCannotBeSent) {
    testing_support::LoopbackListener host;
    context.service.hosts.main = host.Address();
    const auto dialog = Open();
    dialog->show();
    for (const QString& text : {QString(), QString(" \n\t "), QString::fromUtf8("\u3000")}) {
        box->setPlainText(text);
        EXPECT_FALSE(button->isEnabled()) << text.toStdString();
        button->click();
        EXPECT_FALSE(dialog->Sending());
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(host.HasWaitingConnection()) << "nothing was sent";
    Type("x");
    EXPECT_TRUE(button->isEnabled());
}

struct FailedPostCase {
    const char* name;
    std::optional<std::string> response;  // none: the host refuses the connection
};

class PostDialogFailure : public PostDialog,
                          public ::testing::WithParamInterface<FailedPostCase> {};

// Whatever the failure, the window stays open with its text and says what happened.
TEST_P(PostDialogFailure, KeepsTheDialogOpenWithItsTextAndShowsTheMessage) {
    testing_support::LoopbackListener host;
    if (GetParam().response) {
        host.Serve(*GetParam().response);
        context.service.hosts.main = host.Address();
    }
    const auto dialog = Open("hello", -1);
    dialog->show();
    button->click();

    QMessageBox* message = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        message = dialog->findChild<QMessageBox*>("msgPostFailed");
        return message != nullptr;
    }));
    EXPECT_FALSE(message->text().isEmpty());
    if (std::string(GetParam().name) == "Refused") {
        EXPECT_TRUE(message->text().contains("Status is a duplicate.")) << "the service's word";
    }
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(box->toPlainText(), "hello");
    EXPECT_FALSE(box->isReadOnly());
    EXPECT_TRUE(button->isEnabled()) << "the user can try again";
    EXPECT_TRUE(errors.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PostDialogFailure,
    ::testing::Values(FailedPostCase{"NetworkFailure", std::nullopt},
                      FailedPostCase{
                          "NotADocument",
                          "HTTP/1.0 502 Bad Gateway\r\n\r\n<html><body>Bad gateway</body>"},
                      FailedPostCase{"EmptyBody", "HTTP/1.0 200 OK\r\n\r\n"},
                      FailedPostCase{"Refused",
                                     "HTTP/1.0 403 Forbidden\r\n\r\n<?xml version=\"1.0\"?>\n<hash>"
                                     "<error>Status is a duplicate.</error></hash>"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// A new status closed unsent (Esc or the frame) is offered again by the next new status; a
// reply starts from its own "@name " and leaves the draft alone.
TEST_F(PostDialog, AnUnsentNewStatusIsKeptAsTheDraft) {
    {
        const auto dialog = Open();
        dialog->show();
        Type("half a thought");
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        EXPECT_FALSE(dialog->isVisible());
    }
    {
        const auto reply = Open("@abc ", 7);
        EXPECT_EQ(box->toPlainText(), "@abc ");
        reply->show();
        Type("x");
        reply->close();
    }
    {
        const auto dialog = Open();
        EXPECT_EQ(box->toPlainText(), "half a thought");
        EXPECT_EQ(label->text(), QString::number(140 - 14));
        dialog->show();
        Type("!");
        dialog->close();
    }
    const auto dialog = Open();
    EXPECT_EQ(box->toPlainText(), "half a thought!");
}

TEST_F(PostDialog, ASentDraftIsNotOfferedAgain) {
    *context.postDraft = "draft";
    testing_support::LoopbackListener host;
    host.Serve(testing_support::ResponseWith("<?xml version=\"1.0\"?>\n<status/>"));
    context.service.hosts.main = host.Address();
    {
        const auto dialog = Open();
        EXPECT_EQ(box->toPlainText(), "draft");
        dialog->show();
        Type(" sent");
        button->click();
        ASSERT_TRUE(WaitUntil([&] { return !dialog->isVisible(); }));
    }
    EXPECT_EQ(host.Received().rfind("POST /statuses/update.xml?status=draft%20sent ", 0), 0u);
    const auto dialog = Open();
    EXPECT_EQ(box->toPlainText(), "");
}

// Opened for a direct message, the window names whom it goes to above a shorter box, counts as
// for a status and keeps a draft of its own, which a status never starts from.
class MessageDialog : public PostDialog {
  protected:
    std::unique_ptr<CDialogPost> OpenMessage(const std::string& recipient) {
        auto dialog = std::make_unique<CDialogPost>(context, SMessageTo{recipient});
        box = dialog->findChild<QPlainTextEdit*>("txtTweet");
        label = dialog->findChild<QLabel*>("lblRestString");
        button = dialog->findChild<QPushButton*>("btnTweet");
        name = dialog->findChild<QLineEdit*>("txtRecipient");
        return dialog;
    }

    QLineEdit* name = nullptr;
};

TEST_F(MessageDialog, NamesTheRecipientAboveTheTextAndCountsAsForAStatus) {
    const auto dialog = OpenMessage("bob");
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(dialog->IsMessage());
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("ダイレクトメッセージ"));
    EXPECT_EQ(button->text(), QString::fromUtf8("送信"));
    EXPECT_EQ(name->text(), "bob");
    EXPECT_EQ(name->geometry(), QRect(8, 8, 240, 22));
    EXPECT_EQ(box->geometry(), QRect(8, 34, 240, 62));
    EXPECT_EQ(button->geometry(), QRect(136, 104, 104, 24));
    EXPECT_EQ(dialog->ReplyId(), -1);
    Paste(QString(140, 'x'));
    EXPECT_EQ(label->text(), "0");
    EXPECT_TRUE(button->isEnabled());
    Paste(QString(10, 'x'));
    EXPECT_EQ(box->toPlainText(), QString(150, 'x')) << "kept whole, as a status's text";
    EXPECT_EQ(label->text(), "-10");
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(Open()->findChild<QLineEdit*>("txtRecipient"), nullptr) << "a status has no name";
}

TEST_F(MessageDialog, AMessageNeedsSomeoneToGoTo) {
    const struct {
        const char* typed;
        std::string recipient;
        bool sendable;
    } cases[] = {
        {"", "", false},       {"  ", "", false},          {"@", "", false},
        {"@bob", "bob", true}, {" carol ", "carol", true},
    };
    const auto dialog = OpenMessage("");
    Paste("hello");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        name->setText(c.typed);
        EXPECT_EQ(dialog->Recipient(), c.recipient);
        EXPECT_EQ(button->isEnabled(), c.sendable);
    }
}

TEST_F(MessageDialog, AnUnsentMessageToNoOneYetKeepsItsOwnDraft) {
    *context.postDraft = "public draft";
    {
        const auto dialog = OpenMessage("");
        EXPECT_EQ(box->toPlainText(), "");
        dialog->show();
        Type("private words");
        dialog->reject();
    }
    EXPECT_EQ(*context.messageDraft, "private words");
    EXPECT_EQ(*context.postDraft, "public draft");
    {
        const auto dialog = OpenMessage("");
        EXPECT_EQ(box->toPlainText(), "private words");
    }
    {
        const auto dialog = OpenMessage("bob");
        EXPECT_EQ(box->toPlainText(), "") << "a message to the sender starts empty";
        dialog->show();
        Type("x");
        dialog->reject();
    }
    EXPECT_EQ(*context.messageDraft, "private words");
    const auto status = Open();
    EXPECT_EQ(box->toPlainText(), "public draft");
}

}  // namespace
