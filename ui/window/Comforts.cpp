#include "window/Comforts.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QTabWidget>

#include "base/Guard.h"
#include "base/PictureBox.h"
#include "common/diagnostics.h"
#include "desktop/Notifier.h"
#include "desktop/TrayIcon.h"
#include "page/TabMain.h"
#include "settings/settinginfo.h"
#include "window/DialogMain.h"
#include "window/Shortcuts.h"
#include "window/TabCaptions.h"

using namespace twitter_api;

namespace {

Preferences LoadReporting(DiagnosticSink& diagnostics) {
    std::string failure;
    Preferences preferences = LoadPreferences(kPreferencesPath, &failure);
    if (!failure.empty()) {
        diagnostics.WriteLine(failure);
    }
    return preferences;
}

}  // namespace

Comforts::Comforts(CDialogMain& window, DiagnosticSink& diagnostics)
    : QObject(&window), mWindow(window), mPreferences(LoadReporting(diagnostics)) {
    InstallMainShortcuts(window, [this] { Quit(); });
    *window.Context().japanTime = mPreferences.japanTime;
    for (CTabMain* page : window.mTabPages) {
        DescribePageButtons(*page);
    }
    ShowUnreadInCaptions(window);
    notifier = new Notifier(this);
    connect(notifier, &Notifier::Activated, this, &Comforts::ShowPage);
    tray = new TrayIcon(window.windowIcon(), this);
    connect(tray, &TrayIcon::ShowHideRequested, this, &Comforts::ToggleShown);
    connect(tray, &TrayIcon::ReloadAllRequested, this,
            [this] { RunGuarded(&mWindow, [this] { ReloadAll(); }); });
    connect(tray, &TrayIcon::QuitRequested, this, &Comforts::Quit);
    WatchPages();
    RestoreWindow();
    tray->SetWanted(mPreferences.showTray);
    window.installEventFilter(this);
}

void Comforts::WatchPages() {
    for (CTabMain* page : mWindow.mTabPages) {
        connect(page, &CTabMain::UnreadCountChanged, this,
                [this] { tray->SetUnreadCount(TotalUnread()); });
        connect(page, &CTabMain::ContributionsArrived, this,
                [this, page](const std::vector<ContributionPtr>& arrived) {
                    if (mPreferences.notify) {
                        notifier->Notify(page->mTabType, arrived, gSetting->GetAccountName());
                    }
                });
    }
}

int32_t Comforts::TotalUnread() const {
    int32_t total = 0;
    for (const CTabMain* page : mWindow.mTabPages) {
        total += page->UnreadCount();
    }
    return total;
}

void Comforts::ApplyPreferences() {
    const Preferences stored = LoadPreferences();
    mPreferences.notify = stored.notify;
    mPreferences.showTray = stored.showTray;
    mPreferences.closeToTray = stored.closeToTray;
    tray->SetWanted(mPreferences.showTray);
    if (stored.japanTime != mPreferences.japanTime) {
        mPreferences.japanTime = stored.japanTime;
        *mWindow.Context().japanTime = stored.japanTime;
        for (CTabMain* page : mWindow.mTabPages) {
            page->RenderAgain();
        }
    }
}

void Comforts::RestoreWindow() {
    if (!mPreferences.windowGeometry.isEmpty()) {
        mWindow.restoreGeometry(mPreferences.windowGeometry);
    }
    if (mPreferences.page >= 0 && mPreferences.page < mWindow.tabMain->count()) {
        mWindow.tabMain->setCurrentIndex(mPreferences.page);
    }
}

void Comforts::RememberWindow() {
    // The dialog may have changed the other choices since this window read them.
    Preferences stored = LoadPreferences();
    stored.windowGeometry = mWindow.saveGeometry();
    stored.page = mWindow.tabMain->currentIndex();
    SavePreferences(stored);
}

void Comforts::ShowPage(ETabType kind) {
    mWindow.tabMain->setCurrentIndex(static_cast<int>(kind));
    mWindow.showNormal();
    mWindow.raise();
    mWindow.activateWindow();
    mWindow.mTabPages[static_cast<size_t>(kind)]->ShowNewEntries();
}

void Comforts::ToggleShown() {
    if (mWindow.isVisible() && !mWindow.isMinimized()) {
        mWindow.hide();
        return;
    }
    mWindow.showNormal();
    mWindow.raise();
    mWindow.activateWindow();
}

void Comforts::ReloadAll() {
    for (CTabMain* page : mWindow.mTabPages) {
        if (!page->IsFetching()) {
            page->OnRefreshClick();
        }
    }
}

void Comforts::Quit() {
    mQuitting = true;
    mWindow.close();
    // A window already hidden in the tray is no last window to close.
    QCoreApplication::quit();
}

bool Comforts::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &mWindow || event->type() != QEvent::Close) {
        return false;
    }
    if (!mQuitting && mPreferences.closeToTray && tray->IsShown()) {
        event->ignore();
        mWindow.hide();
        return true;
    }
    RememberWindow();
    return false;
}
