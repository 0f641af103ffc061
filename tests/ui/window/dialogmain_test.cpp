#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <filesystem>

#include "common/errors.h"
#include "support/uifixture.h"
#include "textview/TimelineView.h"
#include "twitter_api/logstore/logstore.h"
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

// Without an account every page says how to set one.
TEST_F(DialogMainTest, WithoutAnAccountEveryPageSaysHowToSetOne) {
    CDialogMain window(context);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(QTest::qWaitFor([&window] {
        return std::all_of(window.mTabPages.begin(), window.mTabPages.end(),
                           [](const CTabMain* page) { return page->Started(); });
    }));
    for (CTabMain* page : window.mTabPages) {
        EXPECT_EQ(page->lblStatus->FullText(),
                  QString::fromUtf8("アカウントがありません: 設定を開いてください (Ctrl+,)"))
            << page->mTabType;
    }
}

// The page on screen starts up as the window is shown, before its first paint; the others start
// up after it, one at a time, and build their text so that a switch to them finds it there.
TEST_F(DialogMainTest, ShowingTheWindowStartsEveryPageAndTheTicker) {
    SignIn("alice");
    auto day = std::make_shared<twitter_api::CContributionListOfDay>("20240310");
    day->mContributions = MakeContributions({{1, "a", "logged"}});
    twitter_api::SaveLog(day, twitter_api::MENTIONS, "");
    CDialogMain window(context);
    EXPECT_TRUE(window.mTabPages[4]->lblStatus->text().isEmpty());
    window.show();
    EXPECT_TRUE(window.mTabPages[0]->Started());
    for (size_t kind = 1; kind < window.mTabPages.size(); ++kind) {
        EXPECT_FALSE(window.mTabPages[kind]->Started()) << kind;
    }
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(QTest::qWaitFor([&window] {
        return std::all_of(window.mTabPages.begin(), window.mTabPages.end(),
                           [](const CTabMain* page) { return page->Started(); });
    }));
    const QTextDocument* mentions = window.mTabPages[1]->txtTimeLine->document();
    EXPECT_TRUE(QTest::qWaitFor([mentions] { return mentions->blockCount() > 1; }))
        << "the text of a page not on screen is built";
    EXPECT_FALSE(window.mTabPages[1]->isVisible());
    for (const twitter_api::ETabType kind :
         {twitter_api::TIMELINE, twitter_api::MENTIONS, twitter_api::DIRECTMESSAGES}) {
        const int unread = kind == twitter_api::MENTIONS ? 1 : 0;
        EXPECT_EQ(window.mTabPages[kind]->lblStatus->text(),
                  QString::fromUtf8("未読 %1 件").arg(unread))
            << kind;
    }
    // The lists and search pages get no choice (the host refuses), so they load nothing.
    EXPECT_EQ(window.mTabPages[2]->mCurrentDate, "20240310");
    EXPECT_EQ(window.mTabPages[3]->mCurrentDate, "19700101");
    const QList<QTimer*> timers = window.findChildren<QTimer*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(timers.size(), 1);
    EXPECT_EQ(timers[0]->interval(), 3000);
    EXPECT_TRUE(timers[0]->isActive());
}

// A day log that the writer failed to put on the disk reaches the error window, as a failed save
// always has, as soon as the failure is there rather than at the next tick.
TEST_F(DialogMainTest, AFailedLogWriteIsReportedAtOnce) {
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
    EXPECT_TRUE(QTest::qWaitFor([&shown] { return !shown.empty(); }, 5000));
    ReplaceErrorWindow(previous);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("Cannot write file 'log/alice/timeline/20240310.dat'", 0), 0u)
        << shown[0];
}

// A page built in the background after the first paint looks, when it is first chosen, as it
// looks when it is the page shown at start.
TEST_F(DialogMainTest, APagePreparedInTheBackgroundLooksAsOneShownAtStart) {
    SignIn("alice");
    auto day = std::make_shared<twitter_api::CContributionListOfDay>("20240310");
    for (int64_t id = 1; id <= 60; ++id) {
        day->mContributions.push_back(MakeContribution(
            {id, "user" + std::to_string(id % 7),
             "an entry long enough to wrap over the page's width, number " + std::to_string(id),
             id % 5 == 0, id % 3 == 0}));
    }
    twitter_api::SaveLog(day, twitter_api::MENTIONS, "");
    const auto pictureOfMentions = [this](bool shownAtStart) {
        CDialogMain window(context);
        if (shownAtStart) {
            window.tabMain->setCurrentIndex(twitter_api::MENTIONS);
        }
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        const QTextDocument* mentions = window.mTabPages[1]->txtTimeLine->document();
        EXPECT_TRUE(QTest::qWaitFor([mentions] { return mentions->blockCount() > 1; }));
        window.tabMain->setCurrentIndex(twitter_api::MENTIONS);
        QCoreApplication::processEvents();
        return window.mTabPages[1]->grab().toImage();
    };
    EXPECT_EQ(pictureOfMentions(false), pictureOfMentions(true));
}

// After its first run the ticker sleeps until something is due: a page's automatic reload or
// the end of the day, and never longer than a reload's interval.
struct Due {
    const char* name;
    bool autoReload;
    int64_t now;
    int64_t sinceLastReload;
    int expectedMs;
};

class TickerSchedule : public UiTest, public ::testing::WithParamInterface<Due> {};

TEST_P(TickerSchedule, WakesWhenSomethingIsDue) {
    const Due& due = GetParam();
    gSetting->mAutoReloadType = due.autoReload ? DialogSetting::EVERY3MINUTES : DialogSetting::NONE;
    clock.now = due.now;
    CDialogMain window(context);
    for (CTabMain* page : window.mTabPages) {
        page->mLastAutoReloadTime = due.now - due.sinceLastReload;
    }
    auto* ticker = window.findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(ticker, nullptr);
    ASSERT_TRUE(QMetaObject::invokeMethod(ticker, "timeout"));
    for (const CTabMain* page : window.mTabPages) {
        EXPECT_TRUE(page->mGetThreads.empty()) << "no reload was due";
    }
    EXPECT_TRUE(ticker->isActive());
    EXPECT_TRUE(ticker->isSingleShot());
    EXPECT_EQ(ticker->interval(), due.expectedMs);
}

constexpr int64_t kLastSecond = kNoon + 12 * 3'600'000 - 1000;  // 23:59:59

INSTANTIATE_TEST_SUITE_P(
    Cases, TickerSchedule,
    ::testing::Values(Due{"NothingDueSleepsAReloadsInterval", false, kNoon, 0, 180'000},
                      Due{"TheDaysEnd", false, kLastSecond, 0, 1000},
                      Due{"AReload", true, kNoon, 170'000, 10'000},
                      Due{"TheDaysEndBeforeAReload", true, kLastSecond + 500, 170'000, 500},
                      Due{"AReloadLater", true, kNoon, 10'000, 170'000},
                      Due{"AReloadJustDone", true, kNoon, 0, 180'000}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

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
