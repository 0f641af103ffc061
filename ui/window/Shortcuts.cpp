#include "window/Shortcuts.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QShortcut>
#include <QTabWidget>
#include <functional>

#include "base/DialogKeys.h"
#include "base/Guard.h"
#include "base/PictureBox.h"
#include "page/TabMain.h"
#include "search/SearchController.h"
#include "search/SearchResults.h"
#include "textview/TimelineView.h"
#include "window/DialogMain.h"

namespace {

const QKeySequence kReload(Qt::Key_F5);
const QKeySequence kNewPost(Qt::CTRL | Qt::Key_N);
const QKeySequence kReply(Qt::CTRL | Qt::Key_R);
const QKeySequence kFavorite(Qt::CTRL | Qt::Key_D);
const QKeySequence kRetweet(Qt::CTRL | Qt::SHIFT | Qt::Key_R);
const QKeySequence kConversation(Qt::CTRL | Qt::Key_T);
const QKeySequence kDelete(Qt::CTRL | Qt::Key_Delete);
const QKeySequence kMarkRead(Qt::CTRL | Qt::Key_M);
const QKeySequence kMarkReadToCaret(Qt::CTRL | Qt::SHIFT | Qt::Key_M);
const QKeySequence& kSettings = kSettingsKeys;
const QKeySequence kSearch(Qt::CTRL | Qt::Key_F);
const QKeySequence kQuit(Qt::CTRL | Qt::Key_Q);

QString Tr(const char* text) {
    return QCoreApplication::translate("Shortcuts", text);
}

QString Named(const char* action, const QKeySequence& keys) {
    return Tr(action).arg(keys.toString(QKeySequence::NativeText));
}

void Bind(QWidget& owner, const QKeySequence& keys, std::function<void()> action) {
    auto* shortcut = new QShortcut(keys, &owner);
    QObject::connect(shortcut, &QShortcut::activated, &owner,
                     [&owner, action = std::move(action)] { RunGuarded(&owner, action); });
}

CTabMain& ShownPage(CDialogMain& window) {
    return *window.mTabPages.at(static_cast<size_t>(window.tabMain->currentIndex()));
}

void BindPageAction(CDialogMain& window, const QKeySequence& keys,
                    const std::function<void(CTabMain&)>& action) {
    Bind(window, keys, [&window, action] { action(ShownPage(window)); });
}

void BindVisiblePageAction(CDialogMain& window, const QKeySequence& keys,
                           const std::function<void(CTabMain&)>& action) {
    Bind(window, keys, [&window, action] {
        if (!window.SearchResultsShown()) {
            action(ShownPage(window));
        }
    });
}

}  // namespace

void InstallMainShortcuts(CDialogMain& window, std::function<void()> quit) {
    BindPageAction(window, kReload, [](CTabMain& page) {
        // No second fetch by hand while one runs; the key does not cancel it, as the picture does.
        if (!page.IsFetching()) {
            page.OnRefreshClick();
        }
    });
    Bind(window, kQuit, std::move(quit));
    BindPageAction(window, kNewPost, [](CTabMain& page) { page.OpenNewPost(); });
    // While the search's results stand in the pages' place, replies and favourites act on them.
    Bind(window, kReply, [&window] {
        if (window.SearchResultsShown()) {
            window.searchResults->ReplyToSelected();
        } else {
            ShownPage(window).ReplyToSelected();
        }
    });
    Bind(window, kFavorite, [&window] {
        if (window.SearchResultsShown()) {
            window.searchResults->ToggleFavorite();
        } else {
            ShownPage(window).ToggleFavorite();
        }
    });
    Bind(window, kSearch, [&window] { window.Search().Open(); });
    window.pictSearch->setToolTip(
        Named(QT_TRANSLATE_NOOP("Shortcuts", "ログを検索 (%1)"), kSearch));
    // The entry actions the results have not: only on a page on screen, never on the caret of a
    // page hidden behind the results.
    BindVisiblePageAction(window, kRetweet, [](CTabMain& page) { page.RetweetSelected(); });
    BindVisiblePageAction(window, kConversation, [](CTabMain& page) { page.ShowConversation(); });
    BindVisiblePageAction(window, kDelete, [](CTabMain& page) { page.DeleteSelected(); });
    BindPageAction(window, kMarkRead, [](CTabMain& page) { page.MarkAsRead(false); });
    BindPageAction(window, kMarkReadToCaret, [](CTabMain& page) { page.MarkAsRead(true); });
    BindPageAction(window, kSettings, [](CTabMain& page) { page.OpenSettings(); });
    for (int index = 0; index < window.tabMain->count(); ++index) {
        const QKeySequence keys(Qt::ALT | static_cast<Qt::Key>(Qt::Key_1 + index));
        Bind(window, keys, [&window, index] { window.tabMain->setCurrentIndex(index); });
        window.tabMain->setTabToolTip(index, keys.toString(QKeySequence::NativeText));
    }
}

void DescribePageButtons(CTabMain& page) {
    page.pictRefresh->setToolTip(Named(QT_TRANSLATE_NOOP("Shortcuts", "再読込 (%1)"), kReload));
    page.pictReaded->setToolTip(
        Tr(QT_TRANSLATE_NOOP("Shortcuts", "既読にする (%1、%2 でカーソルの前まで)"))
            .arg(kMarkRead.toString(QKeySequence::NativeText),
                 kMarkReadToCaret.toString(QKeySequence::NativeText)));
    page.pictReply->setToolTip(Named(QT_TRANSLATE_NOOP("Shortcuts", "返信 (%1)"), kReply));
    page.pictFavorite->setToolTip(
        Named(QT_TRANSLATE_NOOP("Shortcuts", "お気に入りの切り替え (%1)"), kFavorite));
    page.pictRetweet->setToolTip(
        Named(QT_TRANSLATE_NOOP("Shortcuts", "リツイート (%1)"), kRetweet));
    page.pictPost->setToolTip(Named(QT_TRANSLATE_NOOP("Shortcuts", "新規投稿 (%1)"), kNewPost));
    page.pictSetting->setToolTip(Named(QT_TRANSLATE_NOOP("Shortcuts", "設定 (%1)"), kSettings));
    page.txtTimeLine->setTabChangesFocus(true);
}
