#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>
#include <QTimer>

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

TEST_F(UiTest, AFirstStartOpensTheSettingsDialogOverTheMainWindow) {
    CDialogMain window(context);
    window.show();
    OpenSettingsOnFirstStart(window);
    // The dialog runs its own loop; a timer inside it sees and closes it.
    bool settingsShown = false;
    QWidget* over = nullptr;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            settingsShown = dynamic_cast<CDialogSetting*>(modal) != nullptr;
            over = modal->parentWidget();
            modal->close();
        }
    });
    watcher.start(10);
    QTest::qWait(300);
    watcher.stop();
    EXPECT_TRUE(settingsShown);
    EXPECT_EQ(over, &window);
}

}  // namespace
