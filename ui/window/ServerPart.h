#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "base/ServiceCalls.h"
#include "twitter_api/exchange/service.h"
#include "twitter_api/requests/probe.h"

class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;

// The settings dialog's "Server" row, the first of the dialog: the address of a GNU social or
// Friendica server as the user types it, a button that finds the server there, and a line that
// says what was found (its kind, version and text limit) or why nothing was. An empty field keeps
// to the service's hosts of setting/service.conf. The server is found off the interface thread;
// OK with a changed address waits for it and goes on once it is found.
class ServerPart : public QWidget {
    Q_OBJECT

  public:
    // Shows where the main window's requests go, or the service file's when there is no main
    // window.
    explicit ServerPart(QDialog& dialog);
    ~ServerPart() override;

    // Moves every control of the dialog that stands at top or below down by this row's height,
    // and puts the row at top across the dialog, which grows by as much.
    void MakeRoom(int top);

    // Whether the field names another server than the one in use, or none instead of one.
    bool Changed() const;

    // True when the dialog's OK may go on: nothing changed, or the server in the field has been
    // found. Otherwise the server is looked for, and whenever it is found proceed is called.
    bool ReadyToApply(std::function<void()> proceed);

    // Puts what the field names in use: the server found, or the service's hosts for an empty
    // field. Writes setting/service.conf and points the main window there. True when the
    // requests now go elsewhere than before.
    bool Apply();

    QLabel* lblServer = nullptr;
    QLineEdit* txtServer = nullptr;
    QPushButton* btnFindServer = nullptr;
    QLabel* lblServerFound = nullptr;

    static constexpr int kHeight = 60;

  private:
    void Find();
    void ApplyFound(const QString& address, CallOutcome<twitter_api::SServerFound> outcome);
    void ShowNote(const QString& text, bool failure);
    QString Address() const;

    twitter_api::Service mService;  // where the requests go now, and how the search goes
    QString mOpenedWith;
    std::optional<twitter_api::SServerFound> mFound;
    QString mFoundAt;  // the address mFound was found for
    bool mFinding = false;
    std::function<void()> mProceed;  // OK waiting for the server
    std::unique_ptr<ServiceCalls> mOwnCalls;
    ServiceCalls* mCalls;
};
