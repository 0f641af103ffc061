#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTest>
#include <map>

#include "base/Translation.h"
#include "desktop/Notifier.h"
#include "desktop/TrayIcon.h"
#include "page/TabMain.h"
#include "post/DialogPost.h"
#include "support/fakeservice.h"
#include "support/uifixture.h"
#include "window/Comforts.h"
#include "window/DialogMain.h"
#include "window/DialogSetting.h"

using namespace ui_testing;

namespace {

struct LanguageCase {
    const char* name;
    std::map<std::string, QString> environment;
    QString language;
};

class InterfaceLanguageChoice : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(InterfaceLanguageChoice, FollowsLanguageThenTheMessageLocale) {
    const LanguageCase& c = GetParam();
    const auto environment = [&c](const char* name) {
        const auto found = c.environment.find(name);
        return found == c.environment.end() ? QString() : found->second;
    };
    EXPECT_EQ(InterfaceLanguage(environment), c.language);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InterfaceLanguageChoice,
    ::testing::Values(
        LanguageCase{"Nothing", {}, "en"}, LanguageCase{"Lang", {{"LANG", "ja_JP.UTF-8"}}, "ja"},
        LanguageCase{
            "LcMessagesOverLang", {{"LANG", "ja_JP.UTF-8"}, {"LC_MESSAGES", "de_DE"}}, "en"},
        LanguageCase{"LcAllOverLcMessages", {{"LC_ALL", "ja_JP"}, {"LC_MESSAGES", "en_US"}}, "ja"},
        LanguageCase{"LanguageFirst", {{"LANGUAGE", "en:ja"}, {"LANG", "ja_JP.UTF-8"}}, "en"},
        LanguageCase{"LanguageJapanese", {{"LANGUAGE", ":ja:en"}, {"LANG", "en_GB.UTF-8"}}, "ja"},
        LanguageCase{"LanguageIgnoredInTheCLocale", {{"LANGUAGE", "ja"}, {"LC_ALL", "C"}}, "en"},
        LanguageCase{"OtherLanguage", {{"LANG", "fr_FR.UTF-8"}}, "en"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// Every text a user can see on a window: captions, labels, buttons, group titles, tab captions,
// tooltips and menu entries.
QStringList VisibleTexts(QWidget& window) {
    QStringList texts{window.windowTitle()};
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    for (QWidget* widget : widgets) {
        texts << widget->toolTip();
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            texts << label->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            texts << button->text();
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            texts << group->title();
        } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
            for (int index = 0; index < tabs->count(); ++index) {
                texts << tabs->tabText(index) << tabs->tabToolTip(index);
            }
        }
    }
    texts.removeAll(QString());
    return texts;
}

bool HasJapanese(const QString& text) {
    for (const QChar character : text) {
        const QChar::Script script = character.script();
        if (script == QChar::Script_Hiragana || script == QChar::Script_Katakana ||
            script == QChar::Script_Han) {
            return true;
        }
    }
    return false;
}

// The main window, started and with one fetch running, and both dialogs, as the user sees them.
class TranslationTest : public UiTest {
  protected:
    ~TranslationTest() override { RemoveTranslation(*qApp); }

    QStringList RenderEverything() {
        QStringList texts;
        // Signed in: the pages count and fetch instead of asking for an account; the lists and
        // saved searches come, empty.
        SignIn("alice");
        FakeService service;
        context.service.hosts = {service.Address(), service.Address(), service.Address()};
        const std::string lists =
            "<?xml version=\"1.0\"?>\n<lists_list><lists type=\"array\"/></lists_list>\n";
        service.Route("GET /1/alice/lists", HttpResponse("HTTP/1.0 200 OK", lists));
        service.Route("GET /saved_searches.xml",
                      HttpResponse("HTTP/1.0 200 OK",
                                   "<?xml version=\"1.0\"?>\n<saved_searches type=\"array\"/>\n"));
        {
            CDialogMain window(context);
            window.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
            for (CTabMain* page : window.mTabPages) {
                EXPECT_TRUE(SettleCalls(*page));
            }
            window.mTabPages[twitter_api::MENTIONS]->StartGetTimeLine();
            texts << VisibleTexts(window);
            TrayIcon& tray = *window.mComforts->tray;
            texts << tray.icon->toolTip();
            for (QAction* action : tray.menu->actions()) {
                texts << action->text();
            }
            CDialogSetting settings(&window);
            texts << VisibleTexts(settings);
            CDialogPost post(context, "", -1, &window);
            texts << VisibleTexts(post);
            window.WaitForFetches(QDeadlineTimer(QDeadlineTimer::Forever));
        }
        texts.removeAll(QString());
        return texts;
    }
};

TEST_F(TranslationTest, EnglishTranslatesEveryVisibleText) {
    ASSERT_TRUE(InstallTranslation(*qApp, "en"));
    const QStringList texts = RenderEverything();
    for (const QString& text : texts) {
        EXPECT_FALSE(HasJapanese(text)) << text.toStdString();
    }
    for (const char* english :
         {"0 unread", "Fetching…", "User names", "Show nicknames", "Show screen names",
          "Automatic reload", "Off", "Every 3 minutes", "Post", "New Post", "Settings",
          "Preferences", "Reload (F5)", "Warblet: 0 unread", "Show/Hide", "Reload all", "Quit"}) {
        EXPECT_TRUE(texts.contains(QString::fromUtf8(english))) << english;
    }
}

TEST_F(TranslationTest, JapaneseShowsTheInterfacesOwnTexts) {
    ASSERT_TRUE(InstallTranslation(*qApp, "ja"));
    const QStringList texts = RenderEverything();
    for (const char* own :
         {"未読 0 件", "取得中", "ユーザ名表示方式", "ニックネーム表示", "スクリーンネーム表示",
          "自動更新", "しない", "する(3分毎)", "書き込む", "Tweet Form", "SettingDialog",
          "TwitterID", "Password", "Timeline", "Mentions", "DirectMessages", "Lists", "Search"}) {
        EXPECT_TRUE(texts.contains(QString::fromUtf8(own))) << own;
    }
}

TEST_F(TranslationTest, TheNotificationsAndDiagnosticsFollowOrIgnoreTheLanguage) {
    ASSERT_TRUE(InstallTranslation(*qApp, "en"));
    const auto text = ComposeNotification(
        twitter_api::MENTIONS, MakeContributions({{1, "bob", "a"}, {2, "eve", "b"}}), "");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->summary, "2 new mentions");
    CDialogMain window(context);
    QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
    ASSERT_FALSE(diagnostics.lines.empty());
    EXPECT_EQ(diagnostics.lines.front(), "keyDown CTRL = 1") << "diagnostics stay as they are";
}

}  // namespace
