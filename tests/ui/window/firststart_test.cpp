#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "base/ElidedLabel.h"
#include "page/TabMain.h"
#include "support/uifixture.h"
#include "window/DialogMain.h"
#include "window/DialogSetting.h"
#include "window/FirstStart.h"

using namespace ui_testing;

namespace {

// Without an account the list and search pages have nothing to ask for, so a first start sends
// no request that could only fail.
TEST_F(PageTest, WithoutAnAccountTheChooserPagesAskTheServiceNothing) {
    testing_support::LoopbackListener host;
    context.service.hosts = {host.Address(), host.Address(), host.Address()};
    for (const twitter_api::ETabType kind : {twitter_api::LISTS, twitter_api::SEARCH}) {
        CTabMain& page = MakePage(kind);
        EXPECT_EQ(page.comboBox1->count(), 0) << kind;
    }
    EXPECT_FALSE(host.HasWaitingConnection());
    EXPECT_TRUE(diagnostics.lines.empty());
}

// Without an account every page says how to set one, and neither a refresh, the tray's reload
// nor the automatic reload asks a server anything.
TEST_F(UiTest, WithoutAnAccountThePagesSaySoAndAskNothing) {
    testing_support::LoopbackListener host;
    context.service.hosts = {host.Address(), host.Address(), host.Address()};
    gSetting->mAutoReloadType = DialogSetting::EVERY3MINUTES;
    CDialogMain window(context);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (CTabMain* page : window.mTabPages) {
        page->OnRefreshClick();
        page->OnTimerTick();
        EXPECT_TRUE(page->mGetThreads.empty()) << page->mTabType;
        EXPECT_EQ(page->lblStatus->FullText(),
                  QString::fromUtf8("アカウントがありません: 設定を開いてください (Ctrl+,)"))
            << page->mTabType;
    }
    EXPECT_FALSE(host.HasWaitingConnection());
    // A click on the line opens the settings.
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = dynamic_cast<CDialogSetting*>(modal) != nullptr;
            modal->close();
        }
    });
    emit window.mTabPages[twitter_api::MENTIONS]->lblStatus->clicked();
    EXPECT_TRUE(opened);
}

TEST_F(UiTest, AFirstStartOpensTheSettingsDialogOverTheMainWindow) {
    CDialogMain window(context);
    window.show();
    OpenSettingsOnFirstStart(window);
    // The dialog runs its own loop; a timer inside it sees and closes it.
    bool settingsShown = false;
    QWidget* over = nullptr;
    QString intro;
    bool cancels = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            settingsShown = dynamic_cast<CDialogSetting*>(modal) != nullptr;
            over = modal->parentWidget();
            if (const auto* line = modal->findChild<QLabel*>("lblIntro")) {
                intro = line->text();
            }
            if (auto* cancel = modal->findChild<QPushButton*>("btnCancel")) {
                cancels = true;
                cancel->click();
            }
            if (modal->isVisible()) {
                modal->close();
            }
        }
    });
    watcher.start(10);
    QTest::qWait(300);
    watcher.stop();
    EXPECT_TRUE(settingsShown);
    EXPECT_EQ(over, &window);
    // It says what is needed, and can be left without saving.
    EXPECT_TRUE(intro.contains(QString::fromUtf8("サーバー"))) << intro.toStdString();
    EXPECT_TRUE(intro.contains(QString::fromUtf8("アカウント名とパスワード")));
    EXPECT_TRUE(cancels);
    EXPECT_FALSE(std::filesystem::exists("setting/setting.dat"));
}

}  // namespace
