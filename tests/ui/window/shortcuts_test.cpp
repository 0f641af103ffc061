#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>

#include "base/PictureBox.h"
#include "desktop/Preferences.h"
#include "page/TabMain.h"
#include "post/DialogPost.h"
#include "support/uifixture.h"
#include "textview/TimelineView.h"
#include "window/Comforts.h"
#include "window/DialogMain.h"
#include "window/DialogSetting.h"

using namespace ui_testing;

namespace {

// The main window on screen and active, showing the mentions page with three unread entries at
// positions 0, 30 and 69.
class ShortcutsTest : public UiTest {
  protected:
    // Without an account at the start: the lists and search pages then ask the service for
    // nothing.
    ShortcutsTest() { gSetting->mUserNameShowType = DialogSetting::SCREENNAME; }

    CTabMain& ShowWindow() {
        mWindow = std::make_unique<CDialogMain>(context);
        mWindow->show();
        mWindow->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(mWindow.get()));
        // Signed in once the pages have started, so that the fetches go out.
        SignIn("alice");
        mWindow->tabMain->setCurrentIndex(twitter_api::MENTIONS);
        CTabMain& page = *mWindow->mTabPages[twitter_api::MENTIONS];
        std::vector<twitter_api::ContributionPtr> items = MakeContributions(
            {{1, "bob", "hi"}, {2, "carol", "\U0001D11E line1\r\nline2"}, {3, "dave", "end"}});
        page.AddContributions(items, page.mTodayList, page.mYesterdayList);
        return page;
    }

    // Presses keys and has inspect look at the modal window they open, which is then closed.
    // False when none opened.
    bool ModalOpenedBy(const QKeySequence& sequence, const std::function<void(QWidget&)>& inspect) {
        bool opened = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                poll.stop();
                opened = true;
                inspect(*modal);
                modal->close();
            }
        });
        poll.start();
        // The window that was under the last modal one is the active one again.
        mWindow->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(mWindow.get()));
        QTest::keyClick(mWindow.get(), sequence[0].key(), sequence[0].keyboardModifiers());
        return opened;
    }

    std::vector<bool> ReadFlags(const CTabMain& page) const {
        std::vector<bool> flags;
        for (const auto& contribution : page.mTodayList->mContributions) {
            flags.push_back(contribution->mIsRead);
        }
        return flags;
    }

    std::unique_ptr<CDialogMain> mWindow;
};

TEST_F(ShortcutsTest, AltAndADigitShowThePages) {
    ShowWindow();
    for (int index : {4, 0, 2, 3, 1}) {
        QTest::keyClick(mWindow.get(), static_cast<Qt::Key>(Qt::Key_1 + index), Qt::AltModifier);
        EXPECT_EQ(mWindow->tabMain->currentIndex(), index);
        EXPECT_EQ(mWindow->tabMain->tabToolTip(index),
                  QKeySequence(Qt::ALT | static_cast<Qt::Key>(Qt::Key_1 + index))
                      .toString(QKeySequence::NativeText));
    }
}

TEST_F(ShortcutsTest, F5ReloadsTheShownPageOnly) {
    CTabMain& page = ShowWindow();
    QTest::keyClick(mWindow.get(), Qt::Key_F5);
    EXPECT_TRUE(page.IsFetching());
    EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8("取得中"));
    EXPECT_EQ(page.mGetThreads.size(), 1u);
    EXPECT_TRUE(mWindow->mTabPages[twitter_api::TIMELINE]->mGetThreads.empty());
    // A second F5 while the fetch runs neither starts another nor cancels it, as the picture
    // would.
    QTest::keyClick(mWindow.get(), Qt::Key_F5);
    EXPECT_EQ(page.mGetThreads.size(), 1u);
    EXPECT_TRUE(page.IsFetching());
}

// Ctrl+Q ends the program, also when closing would keep it in the tray.
TEST_F(ShortcutsTest, CtrlQQuits) {
    ShowWindow();
    Preferences stored = LoadPreferences();
    stored.closeToTray = true;
    SavePreferences(stored);
    mWindow->mComforts->ApplyPreferences();
    QTest::keyClick(mWindow.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(mWindow->isVisible());
}

struct MarkCase {
    const char* name;
    QKeySequence keys;
    bool controlHeld;  // what the keyboard reports while the keys are down
    std::vector<bool> read;
};

class ShortcutsMark : public ShortcutsTest, public ::testing::WithParamInterface<MarkCase> {};

TEST_P(ShortcutsMark, MarkAllOrUpToTheCaret) {
    const MarkCase& c = GetParam();
    CTabMain& page = ShowWindow();
    page.txtTimeLine->Select(31, 0);
    keys.control = c.controlHeld;
    QTest::keyClick(mWindow.get(), c.keys[0].key(), c.keys[0].keyboardModifiers());
    EXPECT_EQ(ReadFlags(page), c.read);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShortcutsMark,
    ::testing::Values(
        // Control is down for Ctrl+M itself; that alone must not narrow the marking.
        MarkCase{"CtrlMMarksAll", QKeySequence(Qt::CTRL | Qt::Key_M), true, {true, true, true}},
        MarkCase{"CtrlShiftMMarksUpToTheCaret",
                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M),
                 true,
                 {true, true, false}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(ShortcutsTest, CtrlNCtrlRAndCtrlCommaOpenTheirDialogs) {
    CTabMain& page = ShowWindow();
    const auto post = [](QWidget& modal) {
        auto* dialog = dynamic_cast<CDialogPost*>(&modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->ReplyId(), -1);
        EXPECT_EQ(dialog->TweetText(), "");
    };
    EXPECT_TRUE(ModalOpenedBy(QKeySequence(Qt::CTRL | Qt::Key_N), post));

    page.txtTimeLine->Select(35, 0);
    const auto reply = [](QWidget& modal) {
        auto* dialog = dynamic_cast<CDialogPost*>(&modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->ReplyId(), 2);
        EXPECT_EQ(dialog->TweetText(), "@carol ");
    };
    EXPECT_TRUE(ModalOpenedBy(QKeySequence(Qt::CTRL | Qt::Key_R), reply));

    const auto settings = [](QWidget& modal) {
        EXPECT_NE(dynamic_cast<CDialogSetting*>(&modal), nullptr);
    };
    EXPECT_TRUE(ModalOpenedBy(QKeySequence(Qt::CTRL | Qt::Key_Comma), settings));
}

TEST_F(ShortcutsTest, CtrlDTogglesTheFavouriteAtTheCaret) {
    testing_support::LoopbackListener host;
    host.Serve(testing_support::ResponseWith("<?xml version=\"1.0\"?>\n<status/>\n"));
    context.service.hosts.versioned = host.Address();
    CTabMain& page = ShowWindow();
    SignIn("alice");  // only now: the lists and search pages would have asked for the account's
    page.txtTimeLine->Select(70, 0);

    QTest::keyClick(mWindow.get(), Qt::Key_D, Qt::ControlModifier);

    // The request runs off the interface thread; its answer comes back through the event loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.mTodayList->mContributions[2]->mFavorited; }));
    const std::string received = host.Received();

    EXPECT_EQ(received.substr(0, received.find("\r\n")), "POST /1/favorites/create/3.xml HTTP/1.0");
}

TEST_F(ShortcutsTest, CtrlShiftRCtrlDeleteAndCtrlTActOnTheEntryAtTheCaret) {
    CTabMain& page = ShowWindow();
    SignIn("dave");
    page.txtTimeLine->Select(70, 0);
    const auto named = [](const char* name) {
        return [name](QWidget& modal) { EXPECT_EQ(modal.objectName().toStdString(), name); };
    };
    EXPECT_TRUE(
        ModalOpenedBy(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), named("msgConfirmRetweet")));
    EXPECT_TRUE(ModalOpenedBy(QKeySequence(Qt::CTRL | Qt::Key_Delete), named("msgConfirmDelete")));
    page.txtTimeLine->Select(35, 0);
    EXPECT_FALSE(ModalOpenedBy(QKeySequence(Qt::CTRL | Qt::Key_Delete), named("")))
        << "carol's entry is not the user's to delete";
    QTest::keyClick(mWindow.get(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8("返信ではありません"));
}

TEST_F(ShortcutsTest, PictureButtonsNameTheirShortcutAndAreReachedByTab) {
    CTabMain& page = ShowWindow();
    const std::pair<PictureBox*, QString> buttons[] = {
        {page.pictRefresh, "F5"},           {page.pictReaded, "Ctrl+M"},
        {page.pictReply, "Ctrl+R"},         {page.pictFavorite, "Ctrl+D"},
        {page.pictPost, "Ctrl+N"},          {page.pictSetting, "Ctrl+,"},
        {page.pictRetweet, "Ctrl+Shift+R"},
    };
    for (const auto& [button, shortcut] : buttons) {
        EXPECT_TRUE(button->toolTip().contains(shortcut)) << button->objectName().toStdString();
        EXPECT_TRUE(button->focusPolicy() & Qt::TabFocus) << button->objectName().toStdString();
    }
    EXPECT_TRUE(page.pictReaded->toolTip().contains("Ctrl+Shift+M"));

    // From the text box, Tab walks into the tool bar; Enter on the refresh button presses it.
    page.txtTimeLine->setFocus();
    for (int step = 0; step < 8 && !page.pictRefresh->hasFocus(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    ASSERT_TRUE(page.pictRefresh->hasFocus());
    QTest::keyClick(page.pictRefresh, Qt::Key_Return);
    EXPECT_EQ(page.lblStatus->text(), QString::fromUtf8("取得中"));
}

TEST_F(ShortcutsTest, CtrlEnterSendsThePostAndEnterPressesTheFocusedButton) {
    testing_support::LoopbackListener host;
    host.Serve(testing_support::ResponseWith(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<status><id>1</id></status>"));
    context.service.hosts.main = host.Address();
    CDialogPost dialog(context, "hello", -1);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* box = dialog.findChild<QWidget*>("txtTweet");
    ASSERT_TRUE(box->hasFocus());
    QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
    const std::string received = host.Received();
    EXPECT_EQ(received.substr(0, received.find("\r\n")),
              "POST /statuses/update.xml?status=hello HTTP/1.0");
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.result() == QDialog::Accepted; }));
    EXPECT_TRUE(dialog.findChild<QPushButton*>("btnTweet")->toolTip().contains("Ctrl+Return"));

    CDialogSetting settings;
    settings.show();
    auto* ok = settings.findChild<QPushButton*>("btnOk");
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_EQ(settings.result(), QDialog::Accepted);
    EXPECT_TRUE(std::filesystem::exists("setting/setting.dat"));
}

}  // namespace
