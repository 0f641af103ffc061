#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "twitter_api/model/contribution.h"
#include "twitter_api/model/tabtype.h"

// The longest body a notification shows, in UTF-16 code units; a longer one is cut and ends in
// an ellipsis, so that a long status cannot fill the screen.
inline constexpr int kMaxNotificationBody = 300;

// What one notification says: how many entries arrived, and the first one's sender and text.
struct NotificationText {
    QString summary;
    QString body;
};

// The notification for the entries a fetch brought to the mentions or direct messages page,
// leaving out the user's own; nothing for the other pages or when nothing is left. The body is
// plain text, at most kMaxNotificationBody long.
std::optional<NotificationText> ComposeNotification(
    twitter_api::ETabType kind, const std::vector<twitter_api::ContributionPtr>& arrived,
    const std::string& ownAccount);

// Desktop notifications through the freedesktop notification service on the session bus. Calls
// never wait for the service: where no service answers, nothing happens. The body is always sent
// with its markup characters escaped: a service may read markup whatever it announced, and one
// that starts after the program is not asked, so a status can never become tags or links.
class Notifier : public QObject {
    Q_OBJECT

  public:
    explicit Notifier(QObject* parent = nullptr);

    // One notification for the entries one fetch brought to the page of kind.
    void Notify(twitter_api::ETabType kind,
                const std::vector<twitter_api::ContributionPtr>& arrived,
                const std::string& ownAccount);

  signals:
    // The user clicked a notification of the page of kind.
    void Activated(twitter_api::ETabType kind);

  private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnNotificationClosed(uint id, uint reason);

  private:
    // The notifications still on screen, by the service's id.
    std::map<uint, twitter_api::ETabType> mShown;
};
