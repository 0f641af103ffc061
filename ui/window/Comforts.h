#pragma once

#include <QObject>

#include "desktop/Preferences.h"
#include "twitter_api/model/tabtype.h"

class CDialogMain;
class DiagnosticSink;
class Notifier;
class TrayIcon;

// What the main window offers beyond its timelines: the shortcuts, the unread counts in the tab
// captions, the tray icon, desktop notifications of new mentions and messages, and the window's
// size, position and page remembered from one start to the next in the preferences file.
class Comforts : public QObject {
    Q_OBJECT

  public:
    // Restores the window's place and page at once; the rest follows the preferences file. A
    // preferences file that cannot be read leaves the defaults, and a diagnostic line says why.
    Comforts(CDialogMain& window, DiagnosticSink& diagnostics);

    // Reads the preferences file again, after the settings dialog has changed it; a changed time
    // zone draws every page again.
    void ApplyPreferences();
    // Brings the window up on the page of kind, at the entries that arrived there.
    void ShowPage(twitter_api::ETabType kind);
    void ToggleShown();
    void ReloadAll();
    // Closes the window for good, also when closing would keep the program in the tray.
    void Quit();

    Notifier* notifier = nullptr;
    TrayIcon* tray = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void RestoreWindow();
    void RememberWindow();
    void WatchPages();
    int32_t TotalUnread() const;

    CDialogMain& mWindow;
    Preferences mPreferences;
    bool mQuitting = false;
};
