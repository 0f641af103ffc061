#include "desktop/TrayIcon.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

namespace {

constexpr int kIconSize = 32;
constexpr int kBadgeSize = 20;
constexpr int32_t kLargestShown = 99;

}  // namespace

QString TrayToolTip(int32_t unread) {
    return TrayIcon::tr("Warblet: 未読 %1 件").arg(unread);
}

QIcon BadgeIcon(const QIcon& base, int32_t unread) {
    if (unread <= 0) {
        return base;
    }
    QPixmap pixmap = base.pixmap(kIconSize, kIconSize).scaled(kIconSize, kIconSize);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect badge(kIconSize - kBadgeSize, kIconSize - kBadgeSize, kBadgeSize, kBadgeSize);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(204, 0, 0));
    painter.drawEllipse(badge);
    QFont font = painter.font();
    font.setPixelSize(unread > kLargestShown ? 9 : 12);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QString count = unread > kLargestShown ? QStringLiteral("99+") : QString::number(unread);
    painter.drawText(badge, Qt::AlignCenter, count);
    painter.end();
    return QIcon(pixmap);
}

TrayIcon::TrayIcon(const QIcon& base, QObject* parent) : QObject(parent), mBase(base) {
    menu = new QMenu();
    actShowHide = menu->addAction(tr("表示/非表示"));
    actReloadAll = menu->addAction(tr("すべて再読込"));
    menu->addSeparator();
    actQuit = menu->addAction(tr("終了"));
    connect(actShowHide, &QAction::triggered, this, &TrayIcon::ShowHideRequested);
    connect(actReloadAll, &QAction::triggered, this, &TrayIcon::ReloadAllRequested);
    connect(actQuit, &QAction::triggered, this, &TrayIcon::QuitRequested);

    icon = new QSystemTrayIcon(this);
    icon->setContextMenu(menu);
    connect(icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    emit ShowHideRequested();
                }
            });
    SetUnreadCount(0);
}

TrayIcon::~TrayIcon() {
    // A menu has no parent but a widget; this object owns it.
    delete menu;
}

void TrayIcon::SetUnreadCount(int32_t unread) {
    icon->setIcon(BadgeIcon(mBase, unread));
    icon->setToolTip(TrayToolTip(unread));
}

void TrayIcon::SetWanted(bool wanted) {
    mWanted = wanted;
    icon->setVisible(IsShown());
}

bool TrayIcon::IsShown() const {
    return mWanted && QSystemTrayIcon::isSystemTrayAvailable();
}
