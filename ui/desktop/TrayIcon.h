#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <cstdint>

class QAction;
class QMenu;
class QSystemTrayIcon;

// The tray's tooltip for a total unread count.
QString TrayToolTip(int32_t unread);
// The window's icon with the unread count drawn in a small badge at its lower right; the icon
// itself when nothing is unread.
QIcon BadgeIcon(const QIcon& base, int32_t unread);

// The tray icon: the total unread count in its tooltip and badge, and a menu to show or hide the
// window, reload every page and quit. It is on screen only where the desktop has a tray and the
// user wants it.
class TrayIcon : public QObject {
    Q_OBJECT

  public:
    TrayIcon(const QIcon& base, QObject* parent = nullptr);
    ~TrayIcon() override;

    void SetUnreadCount(int32_t unread);
    void SetWanted(bool wanted);
    // On screen: wanted, and the desktop has a tray.
    bool IsShown() const;

    QSystemTrayIcon* icon = nullptr;
    QMenu* menu = nullptr;
    QAction* actShowHide = nullptr;
    QAction* actReloadAll = nullptr;
    QAction* actQuit = nullptr;

  signals:
    void ShowHideRequested();
    void ReloadAllRequested();
    void QuitRequested();

  private:
    QIcon mBase;
    bool mWanted = false;
};
