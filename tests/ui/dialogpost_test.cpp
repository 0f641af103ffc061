#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>
#include <string>
#include <vector>

#include "DialogPost.h"
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

TEST_F(PostDialog, DeletingRaisesTheCountAgain) {
    const auto dialog = Open();
    Paste("abcdef");
    Press(Qt::Key_Backspace, "");
    EXPECT_EQ(box->toPlainText(), "abcde");
    EXPECT_EQ(label->text(), "135");
}

TEST_F(PostDialog, TypingBeyondTheLimitIsRefused) {
    const auto dialog = Open();
    Paste(QString(140, 'a'));
    Type("b");
    EXPECT_EQ(box->toPlainText(), QString(140, 'a'));
    EXPECT_EQ(label->text(), "0");
}

TEST_F(PostDialog, APasteKeepsOnlyWhatFits) {
    const auto dialog = Open();
    Paste(QString(150, 'x'));
    EXPECT_EQ(box->toPlainText(), QString(140, 'x'));
    EXPECT_EQ(label->text(), "0");
}

TEST_F(PostDialog, ALineBreakTakesTwoOfTheLimit) {
    const auto dialog = Open();
    // Each "a" and line break takes three units: 46 pairs fill 138, one more "a" 139, and the
    // following line break would need two.
    Paste(QString("a\n").repeated(60));
    EXPECT_EQ(box->toPlainText(), QString("a\n").repeated(46) + "a");
    EXPECT_EQ(label->text(), QString::number(140 - 93));
}

TEST_F(PostDialog, ACharacterOutsideTheBasicPlaneTakesTwoOfTheLimit) {
    const auto dialog = Open();
    const QString face = QString::fromUcs4(U"\U0001F600");
    Paste(QString(139, 'a'));
    Paste(face);
    EXPECT_EQ(box->toPlainText(), QString(139, 'a')) << "half a character must not be kept";
    Paste(face.repeated(3));
    EXPECT_EQ(box->toPlainText(), QString(139, 'a'));
    Type("b");
    EXPECT_EQ(box->toPlainText(), QString(139, 'a') + "b");
    EXPECT_EQ(label->text(), "0");
}

TEST_F(PostDialog, ARefusedCharacterBesideOneOfTheSamePlaneLeavesBothWhole) {
    const auto dialog = Open();
    // U+1F600 and U+1F601 share their first UTF-16 unit.
    const QString before = QString(137, 'a') + QString::fromUcs4(U"\U0001F600");
    Paste(before);
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(137);
    box->setTextCursor(cursor);
    Paste(QString::fromUcs4(U"\U0001F601"));
    EXPECT_EQ(box->toPlainText(), before);
    EXPECT_EQ(label->text(), "2");
}

TEST_F(PostDialog, AReplacedSelectionKeepsOnlyWhatFitsOfTheNewText) {
    const auto dialog = Open();
    // U+1F200 and U+1F600 share their second UTF-16 unit.
    Paste(QString(136, 'a') + QString::fromUcs4(U"\U0001F200"));
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(136);
    cursor.setPosition(138, QTextCursor::KeepAnchor);
    box->setTextCursor(cursor);
    Paste("xxx" + QString::fromUcs4(U"\U0001F600"));
    EXPECT_EQ(box->toPlainText(), QString(136, 'a') + "xxx");
    EXPECT_EQ(label->text(), "1");
}

TEST_F(PostDialog, AnInsertionInTheMiddleKeepsTheTextAroundIt) {
    const auto dialog = Open();
    Paste(QString(10, 'x') + QString(128, 'y'));
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(10);
    box->setTextCursor(cursor);
    Paste("12345");
    EXPECT_EQ(box->toPlainText(), QString(10, 'x') + "12" + QString(128, 'y'));
    EXPECT_EQ(box->textCursor().position(), 12);
    EXPECT_EQ(label->text(), "0");
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

    const std::string received = host.Received();
    EXPECT_EQ(received.substr(0, received.find("\r\n")), c.requestLine);
    EXPECT_NE(received.find("\r\nAuthorization: Basic YWxpY2U6c2VjcmV0\r\n"), std::string::npos)
        << received;
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
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
                 "POST /statuses/update.xml?status=a%0D%0Ab HTTP/1.0"},
        PostCase{"Empty", "", -1, "POST /statuses/update.xml?status= HTTP/1.0"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(PostDialog, ANetworkFailureIsShownAndTheDialogStaysOpen) {
    std::vector<std::string> shown;
    const ErrorWindow previous = ReplaceErrorWindow([&](QWidget*, const std::string& text) {
        shown.push_back(text);
        return ErrorChoice::Continue;
    });
    const auto dialog = Open("hello", -1);
    dialog->show();

    button->click();  // the fixture's hosts refuse connections

    ReplaceErrorWindow(previous);
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(box->toPlainText(), "hello");
}

}  // namespace
