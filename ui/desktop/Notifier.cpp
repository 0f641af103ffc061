#include "desktop/Notifier.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#include <algorithm>
#include <cctype>

using namespace twitter_api;

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");
// Let the service choose how long the notification stays.
constexpr int32_t kServerTimeout = -1;
// The installed application icon, found by the service in the icon theme, and the menu entry.
const QString kApplicationIcon = QStringLiteral("org.warblet.Warblet");

bool SameAccount(const std::string& left, const std::string& right) {
    return std::equal(
        left.begin(), left.end(), right.begin(), right.end(),
        [](unsigned char a, unsigned char b) { return std::tolower(a) == std::tolower(b); });
}

QString Tr(const char* text, int count = -1) {
    return QCoreApplication::translate("Notifier", text, nullptr, count);
}

// Cut without splitting a surrogate pair.
QString Shortened(const QString& text) {
    if (text.size() <= kMaxNotificationBody) {
        return text;
    }
    qsizetype kept = kMaxNotificationBody - 1;
    if (text[kept - 1].isHighSurrogate()) {
        --kept;
    }
    return text.left(kept) + QChar(0x2026);
}

}  // namespace

std::optional<NotificationText> ComposeNotification(ETabType kind,
                                                    const std::vector<ContributionPtr>& arrived,
                                                    const std::string& ownAccount) {
    if (kind != MENTIONS && kind != DIRECTMESSAGES) {
        return std::nullopt;
    }
    std::vector<ContributionPtr> others;
    std::copy_if(arrived.begin(), arrived.end(), std::back_inserter(others),
                 [&ownAccount](const ContributionPtr& contribution) {
                     return !SameAccount(contribution->mScreenName, ownAccount);
                 });
    if (others.empty()) {
        return std::nullopt;
    }
    const int count = static_cast<int>(others.size());
    NotificationText text;
    text.summary =
        kind == MENTIONS
            ? Tr(QT_TRANSLATE_N_NOOP("Notifier", "新しいメンション %n 件"), count)
            : Tr(QT_TRANSLATE_N_NOOP("Notifier", "新しいダイレクトメッセージ %n 件"), count);
    const CContribution& first = *others.front();
    text.body = Shortened(QStringLiteral("@%1: %2").arg(QString::fromStdString(first.mScreenName),
                                                        QString::fromStdString(first.mText)));
    return text;
}

Notifier::Notifier(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(OnActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(OnNotificationClosed(uint, uint)));
}

void Notifier::Notify(ETabType kind, const std::vector<ContributionPtr>& arrived,
                      const std::string& ownAccount) {
    const std::optional<NotificationText> text = ComposeNotification(kind, arrived, ownAccount);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!text || !bus.isConnected()) {
        return;
    }
    const QString body = text->body.toHtmlEscaped();
    // A new notification of the page takes the place of the one still shown.
    const auto shown = std::find_if(mShown.begin(), mShown.end(),
                                    [kind](const auto& entry) { return entry.second == kind; });
    const uint replaces = shown != mShown.end() ? shown->first : 0u;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << QStringLiteral("Warblet") << replaces << kApplicationIcon << text->summary << body
         << QStringList{kDefaultAction, Tr(QT_TRANSLATE_NOOP("Notifier", "表示"))}
         << QVariantMap{{QStringLiteral("desktop-entry"), kApplicationIcon}} << kServerTimeout;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, kind](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isValid()) {
                    std::erase_if(mShown,
                                  [kind](const auto& entry) { return entry.second == kind; });
                    mShown[reply.value()] = kind;
                }
                finished->deleteLater();
            });
}

void Notifier::OnActionInvoked(uint id, const QString& action) {
    const auto shown = mShown.find(id);
    if (shown == mShown.end() || action != kDefaultAction) {
        return;
    }
    emit Activated(shown->second);
}

void Notifier::OnNotificationClosed(uint id, uint) {
    mShown.erase(id);
}
