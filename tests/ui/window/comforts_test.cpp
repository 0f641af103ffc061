#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "base/PictureBox.h"
#include "desktop/Notifier.h"
#include "desktop/Preferences.h"
#include "desktop/TrayIcon.h"
#include "page/TabMain.h"
#include "support/uifixture.h"
#include "textview/TimelineView.h"
#include "window/Comforts.h"
#include "window/DialogMain.h"
#include "window/DialogSetting.h"
#include "window/TabCaptions.h"

using namespace ui_testing;

namespace {

using ComfortsTest = UiTest;

void Arrive(CTabMain& page, const std::vector<Entry>& entries) {
    page.StoreGetResult(page.Generation(), MakeContributions(entries));
    page.ApplyGetResult();
}

TEST_F(ComfortsTest, EveryCaptionShowsItsPagesUnreadCount) {
    CDialogMain window(context);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    CTabMain& mentions = *window.mTabPages[twitter_api::MENTIONS];
    CTabMain& messages = *window.mTabPages[twitter_api::DIRECTMESSAGES];

    Arrive(mentions, {{1, "bob", "hi"}, {2, "carol", "yo"}});
    Arrive(messages, {{7, "dave", "psst"}});
    EXPECT_EQ(window.tabMain->tabText(twitter_api::TIMELINE), "Timeline");
    EXPECT_EQ(window.tabMain->tabText(twitter_api::MENTIONS), "Mentions (2)");
    EXPECT_EQ(window.tabMain->tabText(twitter_api::DIRECTMESSAGES), "DirectMessages (1)");
    EXPECT_EQ(window.mComforts->tray->icon->toolTip(), QString::fromUtf8("Warblet: 未読 3 件"));

    mentions.MarkAsRead(false);
    EXPECT_EQ(window.tabMain->tabText(twitter_api::MENTIONS), "Mentions");
    EXPECT_EQ(window.mComforts->tray->icon->toolTip(), QString::fromUtf8("Warblet: 未読 1 件"));
}

// The time zone chosen in the settings dialog's preferences redraws every page at once.
TEST_F(ComfortsTest, TheTimeZonePreferenceRedrawsThePages) {
    const char* previous = std::getenv("TZ");
    const std::string kept = previous != nullptr ? previous : "";
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    {
        CDialogMain window(context);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        CTabMain& mentions = *window.mTabPages[twitter_api::MENTIONS];
        Arrive(mentions, {{1, "bob", "hi"}});
        EXPECT_NE(mentions.txtTimeLine->Text().find("2024-3-10 12:00:01"), std::string::npos)
            << "the machine's zone by default";

        CDialogSetting dialog(&window);
        dialog.findChild<QCheckBox*>("chkJapanTime")->setChecked(true);
        dialog.findChild<QPushButton*>("btnOk")->click();
        EXPECT_TRUE(LoadPreferences().japanTime);
        EXPECT_NE(mentions.txtTimeLine->Text().find("2024-3-10 21:00:01"), std::string::npos);
        EXPECT_EQ(mentions.UnreadCount(), 1);
        EXPECT_EQ(mentions.mTodayList->mContributions[0]->mCreatedAt.view(), "2024-3-10 21:00:01");
    }
    if (previous != nullptr) {
        ::setenv("TZ", kept.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
}

TEST(TabCaptions, TheCountIsShownOnlyWhenThereIsOneAndAFailureIsMarked) {
    EXPECT_EQ(CaptionWithUnread("Mentions", 2), "Mentions (2)");
    EXPECT_EQ(CaptionWithUnread("Mentions", 0), "Mentions");
    EXPECT_EQ(CaptionWithUnread("Lists", 3, true), QString::fromUtf8("Lists (3) \u26A0"));
    EXPECT_EQ(CaptionWithUnread("Lists", 0, true), QString::fromUtf8("Lists \u26A0"));
}

TEST_F(ComfortsTest, PreferencesRoundTripThroughTheirOwnFile) {
    const Preferences defaults = LoadPreferences();
    EXPECT_TRUE(defaults.notify);
    EXPECT_TRUE(defaults.showTray);
    EXPECT_FALSE(defaults.closeToTray);
    EXPECT_FALSE(defaults.japanTime) << "times in the machine's zone";
    EXPECT_TRUE(defaults.windowGeometry.isEmpty());
    EXPECT_EQ(defaults.page, 0);
    EXPECT_FALSE(std::filesystem::exists("setting")) << "reading creates nothing";

    Preferences chosen;
    chosen.notify = false;
    chosen.showTray = false;
    chosen.closeToTray = true;
    chosen.japanTime = true;
    chosen.windowGeometry = QByteArray("\x01\x02\x00\xff", 4);
    chosen.page = 3;
    ASSERT_TRUE(SavePreferences(chosen));
    const Preferences read = LoadPreferences();
    EXPECT_EQ(read.notify, false);
    EXPECT_EQ(read.showTray, false);
    EXPECT_EQ(read.closeToTray, true);
    EXPECT_EQ(read.japanTime, true);
    EXPECT_EQ(read.windowGeometry, chosen.windowGeometry);
    EXPECT_EQ(read.page, 3);
    EXPECT_TRUE(std::filesystem::exists("setting/preferences.ini"));
    EXPECT_FALSE(std::filesystem::exists("setting/setting.dat")) << "the archive is not touched";
}

TEST_F(ComfortsTest, AnUnreadablePreferencesFileLeavesTheDefaultsAndSaysWhy) {
    std::filesystem::create_directory("setting");
    ASSERT_EQ(::mkfifo("setting/preferences.ini", 0600), 0);
    {
        CDialogMain window(context);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_EQ(window.tabMain->currentIndex(), 0);
        window.close();
    }
    EXPECT_EQ(
        diagnostics.lines,
        std::vector<std::string>{"Cannot read file 'setting/preferences.ini': not a regular file"});
    EXPECT_TRUE(std::filesystem::is_fifo("setting/preferences.ini"));
}

TEST_F(ComfortsTest, TheWindowsPlaceSizeAndPageComeBackAtTheNextStart) {
    {
        CDialogMain window(context);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.setGeometry(40, 50, 430, 380);
        window.tabMain->setCurrentIndex(twitter_api::LISTS);
        window.close();
    }
    EXPECT_FALSE(std::filesystem::exists("setting/setting.dat"));
    CDialogMain again(context);
    EXPECT_EQ(again.size(), QSize(430, 380));
    EXPECT_EQ(again.pos(), QPoint(40, 50));
    EXPECT_EQ(again.tabMain->currentIndex(), twitter_api::LISTS);
}

TEST_F(ComfortsTest, TheSettingsDialogsPreferencesGroupWritesThePreferencesFile) {
    CDialogMain window(context);
    {
        CDialogSetting dialog(&window);
        auto* notify = dialog.findChild<QCheckBox*>("chkNotify");
        auto* tray = dialog.findChild<QCheckBox*>("chkShowTray");
        auto* closeToTray = dialog.findChild<QCheckBox*>("chkCloseToTray");
        EXPECT_TRUE(notify->isChecked());
        EXPECT_TRUE(tray->isChecked());
        EXPECT_FALSE(closeToTray->isChecked());
        notify->setChecked(false);
        closeToTray->setChecked(true);
        tray->setChecked(false);
        EXPECT_FALSE(closeToTray->isEnabled()) << "closing to the tray needs the tray";
        dialog.findChild<QPushButton*>("btnOk")->click();
    }
    const Preferences stored = LoadPreferences();
    EXPECT_FALSE(stored.notify);
    EXPECT_FALSE(stored.showTray);
    EXPECT_TRUE(stored.closeToTray);
    EXPECT_FALSE(window.mComforts->tray->icon->isVisible());

    // Closing the dialog by its frame, and discarding the change when asked, leaves the file as
    // it is.
    {
        CDialogSetting dialog(&window);
        dialog.findChild<QCheckBox*>("chkNotify")->setChecked(true);
        bool asked = false;
        QTimer::singleShot(0, [&asked] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked = true;
                box->button(QMessageBox::Discard)->click();
            }
        });
        dialog.reject();
        EXPECT_TRUE(asked);
    }
    EXPECT_FALSE(LoadPreferences().notify);
}

TEST_F(ComfortsTest, TheTrayMenuShowsOrHidesReloadsAllAndQuits) {
    CDialogMain window(context);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TrayIcon& tray = *window.mComforts->tray;
    EXPECT_EQ(tray.icon->contextMenu(), tray.menu);

    tray.actShowHide->trigger();
    EXPECT_FALSE(window.isVisible());
    tray.actShowHide->trigger();
    EXPECT_TRUE(window.isVisible());

    // Signed in after the start-up: the lists and search pages asked for no choices, so they
    // fetch nothing.
    SignIn("alice");
    tray.actReloadAll->trigger();
    for (CTabMain* page : window.mTabPages) {
        const bool fetches = page->mTabType <= twitter_api::DIRECTMESSAGES;
        EXPECT_EQ(page->IsFetching(), fetches) << page->mTabType;
    }

    // Quit closes the window even when closing would keep the program in the tray.
    Preferences stored = LoadPreferences();
    stored.closeToTray = true;
    SavePreferences(stored);
    window.mComforts->ApplyPreferences();
    tray.actQuit->trigger();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(LoadPreferences().windowGeometry.isEmpty());
}

TEST(TrayBadge, DrawsTheCountOnlyWhenThereIsOne) {
    QPixmap plain(16, 16);
    plain.fill(Qt::green);
    const QIcon base(plain);
    EXPECT_EQ(BadgeIcon(base, 0).cacheKey(), base.cacheKey());
    const QImage badged = BadgeIcon(base, 3).pixmap(32, 32).toImage();
    EXPECT_EQ(badged.pixelColor(4, 4), QColor(Qt::green)) << "the icon stays visible";
    EXPECT_EQ(badged.pixelColor(22, 14).red(), 204) << "a red badge at the lower right";
    EXPECT_EQ(TrayToolTip(5), QString::fromUtf8("Warblet: 未読 5 件"));
}

struct ComposeCase {
    const char* name;
    twitter_api::ETabType kind;
    std::vector<Entry> arrived;
    std::optional<std::pair<QString, QString>> expected;  // summary, body
};

class NotificationComposition : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(NotificationComposition, CountsOthersEntriesAndQuotesTheFirst) {
    const ComposeCase& c = GetParam();
    const auto text = ComposeNotification(c.kind, MakeContributions(c.arrived), "Alice");
    ASSERT_EQ(text.has_value(), c.expected.has_value());
    if (text) {
        EXPECT_EQ(text->summary, c.expected->first);
        EXPECT_EQ(text->body, c.expected->second);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NotificationComposition,
    ::testing::Values(
        ComposeCase{"Mentions",
                    twitter_api::MENTIONS,
                    {{1, "bob", "hi <b>"}, {2, "carol", "yo"}},
                    std::pair{QString::fromUtf8("新しいメンション 2 件"), QString("@bob: hi <b>")}},
        ComposeCase{"OwnStatusesLeftOutWhateverTheCase",
                    twitter_api::MENTIONS,
                    {{1, "alice", "me"}, {2, "carol", "yo"}},
                    std::pair{QString::fromUtf8("新しいメンション 1 件"), QString("@carol: yo")}},
        ComposeCase{"OnlyOwn", twitter_api::MENTIONS, {{1, "ALICE", "me"}}, std::nullopt},
        ComposeCase{"DirectMessages",
                    twitter_api::DIRECTMESSAGES,
                    {{5, "dave", "psst"}},
                    std::pair{QString::fromUtf8("新しいダイレクトメッセージ 1 件"),
                              QString("@dave: psst")}},
        ComposeCase{"AnOverlongTextIsCutWithAnEllipsis",
                    twitter_api::MENTIONS,
                    {{1, "bob", std::string(400, 'x')}},
                    std::pair{QString::fromUtf8("新しいメンション 1 件"),
                              "@bob: " + QString(293, 'x') + QChar(0x2026)}},
        ComposeCase{"TheCutKeepsACharacterOfTwoUnitsWhole",
                    twitter_api::MENTIONS,
                    {{1, "bob", std::string(292, 'x') + "🐈🐈🐈🐈🐈🐈"}},
                    std::pair{QString::fromUtf8("新しいメンション 1 件"),
                              "@bob: " + QString(292, 'x') + QChar(0x2026)}},
        ComposeCase{
            "TheLongestTextStaysWhole",
            twitter_api::MENTIONS,
            {{1, "bob", std::string(294, 'x')}},
            std::pair{QString::fromUtf8("新しいメンション 1 件"), "@bob: " + QString(294, 'x')}},
        ComposeCase{"HomeTimelineNever", twitter_api::TIMELINE, {{1, "bob", "hi"}}, std::nullopt},
        ComposeCase{"Nothing", twitter_api::MENTIONS, {}, std::nullopt}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
