#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "common/errors.h"
#include "support/uifixture.h"
#include "twitter_api/logstore/logwriter.h"
#include "window/DialogMain.h"
#include "window/TabCaptions.h"

using namespace ui_testing;

namespace {

using DialogMainTest = UiTest;

TEST_F(DialogMainTest, TheWindowHoldsFiveTabsInKindOrder) {
    CDialogMain window(context);
    EXPECT_EQ(gDialogMain, &window);
    EXPECT_EQ(window.windowTitle(), "Warblet");
    EXPECT_EQ(window.height(), 513);
    EXPECT_GE(window.width(), 372) << "wide enough for the captions";
    EXPECT_EQ(window.tabMain->objectName(), "tabMain");
    EXPECT_EQ(window.tabMain->tabPosition(), QTabWidget::North);
    const QStringList captions = {"Timeline", "Mentions", "DirectMessages", "Lists", "Search"};
    ASSERT_EQ(window.tabMain->count(), 5);
    for (int kind = 0; kind < 5; ++kind) {
        EXPECT_EQ(window.tabMain->tabText(kind), captions[kind]);
        EXPECT_EQ(window.tabMain->widget(kind), window.mTabPages[static_cast<size_t>(kind)]);
        EXPECT_EQ(window.mTabPages[static_cast<size_t>(kind)]->mTabType, kind);
    }
    EXPECT_EQ(window.tabMain->currentIndex(), 0);
    EXPECT_FALSE(window.windowIcon().isNull());
}

// At the size it opens with, every caption fits with a three-digit count and the failure mark:
// no page hides behind scroll arrows.
TEST_F(DialogMainTest, TheCaptionsFitTheDefaultWidthWithTheirCountsAndMarks) {
    CDialogMain window(context);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTabBar& bar = *window.tabMain->tabBar();
    for (int index = 0; index < bar.count(); ++index) {
        bar.setTabText(
            index, CaptionWithUnread(window.mTabPages[static_cast<size_t>(index)]->windowTitle(),
                                     999, true));
    }
    QCoreApplication::processEvents();
    for (int index = 0; index < bar.count(); ++index) {
        EXPECT_TRUE(bar.rect().contains(bar.tabRect(index))) << index;
    }
    for (const QToolButton* arrow : bar.findChildren<QToolButton*>()) {
        EXPECT_FALSE(arrow->isVisible()) << "scroll arrows";
    }
}

TEST_F(DialogMainTest, ShowingTheWindowStartsEveryPageAndTheTicker) {
    CDialogMain window(context);
    EXPECT_TRUE(window.mTabPages[4]->lblStatus->text().isEmpty());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // Without an account every page says how to set one.
    for (CTabMain* page : window.mTabPages) {
        EXPECT_EQ(page->lblStatus->FullText(),
                  QString::fromUtf8("アカウントがありません: 設定を開いてください (Ctrl+,)"))
            << page->mTabType;
    }
    // The lists and search pages have no choice without an account, so they load nothing.
    EXPECT_EQ(window.mTabPages[2]->mCurrentDate, "20240310");
    EXPECT_EQ(window.mTabPages[3]->mCurrentDate, "19700101");
    const QList<QTimer*> timers = window.findChildren<QTimer*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(timers.size(), 1);
    EXPECT_EQ(timers[0]->interval(), 3000);
    EXPECT_TRUE(timers[0]->isActive());
}

// A day log that the writer failed to put on the disk reaches the error window on the next tick,
// as a failed save always has.
TEST_F(DialogMainTest, AFailedLogWriteIsReportedOnTheNextTick) {
    SignIn("alice");
    context.logWriter = std::make_shared<twitter_api::LogWriter>();
    CDialogMain window(context);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // A folder where the day's file belongs cannot be replaced by it.
    std::filesystem::create_directories("log/alice/timeline/20240310.dat/kept");
    std::vector<std::string> shown;
    const ErrorWindow previous = ReplaceErrorWindow([&shown](QWidget*, const std::string& text) {
        shown.push_back(text);
        return ErrorChoice::Continue;
    });
    CTabMain& page = *window.mTabPages[0];
    std::vector<twitter_api::ContributionPtr> items = MakeContributions({{1, "a", "one"}});
    page.AddContributions(items, page.mTodayList, page.mYesterdayList);
    page.MarkAsRead(false);
    context.logWriter->Flush();
    window.findChildren<QTimer*>(Qt::FindDirectChildrenOnly).at(0)->start(1);
    EXPECT_TRUE(QTest::qWaitFor([&shown] { return !shown.empty(); }, 5000));
    ReplaceErrorWindow(previous);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("Cannot write file 'log/alice/timeline/20240310.dat'", 0), 0u)
        << shown[0];
}

TEST_F(DialogMainTest, EveryKeyEventWritesTheControlKeyLine) {
    CDialogMain window(context);
    QKeyEvent controlDown(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
    QKeyEvent plainUp(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier);
    QKeyEvent plainDown(QEvent::KeyPress, Qt::Key_B, Qt::ShiftModifier);
    QKeyEvent controlUp(QEvent::KeyRelease, Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
    for (QKeyEvent* event : {&controlDown, &plainUp, &plainDown, &controlUp}) {
        QCoreApplication::sendEvent(&window, event);
    }
    EXPECT_EQ(diagnostics.lines, (std::vector<std::string>{"keyDown CTRL = 1", "keyUp CTRL = 0",
                                                           "keyDown CTRL = 0", "keyUp CTRL = 1"}));
}

TEST_F(DialogMainTest, AMissingIconFailsTheConstruction) {
    for (const char* icon : {"dat/comments.ico", "dat/star_h.ico", "dat/cancel.ico"}) {
        SCOPED_TRACE(icon);
        std::filesystem::copy(WARBLET_ICON_DIR, "dat",
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
        std::filesystem::remove(icon);
        try {
            CDialogMain window(context);
            ADD_FAILURE() << "built without " << icon;
        } catch (const Exception& error) {
            EXPECT_NE(std::string(error.what()).find(icon), std::string::npos) << error.what();
        }
        EXPECT_EQ(gDialogMain, nullptr);
    }
}

}  // namespace
