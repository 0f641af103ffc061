#include "window/ServerPart.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <string>

#include "base/Guard.h"
#include "common/diagnostics.h"
#include "common/errors.h"
#include "page/TabMain.h"
#include "settings/serviceconf.h"
#include "window/DialogMain.h"

using namespace twitter_api;

namespace {

const QColor kNoteText(211, 211, 211);
const QColor kFailureText(255, 110, 110);

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// Where the requests go: the main window's hosts, or without one the service file's.
Service CurrentService() {
    if (gDialogMain != nullptr) {
        return gDialogMain->Context().service;
    }
    Service service;
    service.hosts = settings::ServiceHosts();
    service.diagnostics = &StandardOutputSink();
    return service;
}

// The kind of server, its version when known, and its text limit.
QString Description(Flavour flavour, const std::string& version, int32_t textLimit) {
    QString kind = QString::fromUtf8(FlavourTitle(flavour).data(),
                                     static_cast<qsizetype>(FlavourTitle(flavour).size()));
    if (!version.empty()) {
        kind += QStringLiteral(" ") + QString::fromStdString(version);
    }
    return textLimit > 0 ? ServerPart::tr("%1、文字数の上限 %2").arg(kind).arg(textLimit)
                         : ServerPart::tr("%1、文字数の上限なし").arg(kind);
}

}  // namespace

ServerPart::ServerPart(QDialog& dialog)
    : QWidget(&dialog),
      mService(CurrentService()),
      mOwnCalls(gDialogMain != nullptr ? nullptr : std::make_unique<ServiceCalls>(&dialog)),
      mCalls(gDialogMain != nullptr ? &gDialogMain->mTabPages[TIMELINE]->Calls()
                                    : mOwnCalls.get()) {
    setObjectName(QStringLiteral("panelServer"));
    lblServer = new QLabel(QStringLiteral("Server"), this);
    lblServer->setObjectName(QStringLiteral("lblServer"));
    lblServer->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblServer->setGeometry(8, 8, 88, 24);

    txtServer = new QLineEdit(this);
    txtServer->setObjectName(QStringLiteral("txtServer"));
    SetColour(txtServer, QPalette::Base, QColor(102, 102, 102));
    SetColour(txtServer, QPalette::Text, QColor(255, 255, 255));
    txtServer->setPlaceholderText(QStringLiteral("https://social.example"));
    txtServer->setGeometry(104, 8, 296, 24);

    btnFindServer = new QPushButton(tr("確認"), this);
    btnFindServer->setObjectName(QStringLiteral("btnFindServer"));
    btnFindServer->setAutoDefault(false);
    btnFindServer->setGeometry(408, 8, 80, 24);

    lblServerFound = new QLabel(this);
    lblServerFound->setObjectName(QStringLiteral("lblServerFound"));
    lblServerFound->setGeometry(104, 36, 384, 20);

    const HostConfig& hosts = mService.hosts;
    mOpenedWith = hosts.OnServer() ? QString::fromStdString(hosts.server) : QString();
    txtServer->setText(mOpenedWith);
    if (hosts.OnServer()) {
        ShowNote(Description(hosts.flavour, {}, hosts.textLimit), false);
    } else if (!hosts.main.empty() || !hosts.versioned.empty() || !hosts.search.empty()) {
        ShowNote(tr("サービスのホストを使います (setting/service.conf)"), false);
    } else {
        ShowNote(tr("サーバーのアドレスを入力してください"), false);
    }
    connect(btnFindServer, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { Find(); }); });
}

ServerPart::~ServerPart() = default;

void ServerPart::MakeRoom(int top) {
    QWidget& dialog = *parentWidget();
    for (QObject* child : dialog.children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget != nullptr && widget != this && widget->y() >= top) {
            widget->move(widget->x(), widget->y() + kHeight);
        }
    }
    setGeometry(0, top, dialog.width(), kHeight);
    dialog.setFixedSize(dialog.width(), dialog.height() + kHeight);
}

QString ServerPart::Address() const {
    return txtServer->text().trimmed();
}

bool ServerPart::Changed() const {
    return Address() != mOpenedWith;
}

bool ServerPart::ReadyToApply(std::function<void()> proceed) {
    if (!Changed() || Address().isEmpty() || (mFound && mFoundAt == Address())) {
        return true;
    }
    mProceed = std::move(proceed);
    if (!mFinding) {
        Find();
    }
    return false;
}

void ServerPart::Find() {
    const QString address = Address();
    if (address.isEmpty()) {
        ShowNote(tr("サーバーのアドレスを入力してください"), false);
        return;
    }
    mFinding = true;
    btnFindServer->setEnabled(false);
    ShowNote(tr("確認中…"), false);
    const Service service = mService;
    const std::string typed = address.toStdString();
    mCalls->Start<SServerFound>(
        this, [service, typed] { return FindServer(service, typed); },
        [this, address](CallOutcome<SServerFound> outcome) {
            ApplyFound(address, std::move(outcome));
        });
}

void ServerPart::ApplyFound(const QString& address, CallOutcome<SServerFound> outcome) {
    mFinding = false;
    btnFindServer->setEnabled(true);
    if (!outcome.value) {
        mFound.reset();
        mProceed = nullptr;
        mService.diagnostics->WriteLine("Finding the server failed: " + outcome.failure.message);
        ShowNote(QString::fromStdString(outcome.failure.message), true);
        return;
    }
    mFound = std::move(outcome.value);
    mFoundAt = address;
    ShowNote(Description(mFound->flavour, mFound->version, mFound->textLimit), false);
    // An OK that waited goes on, unless the address was changed or the dialog closed meanwhile.
    std::function<void()> proceed = std::move(mProceed);
    mProceed = nullptr;
    if (proceed && mFoundAt == Address() && parentWidget()->isVisible()) {
        proceed();
    }
}

bool ServerPart::Apply() {
    if (!Changed()) {
        return false;
    }
    const HostConfig before = mService.hosts;
    HostConfig stored = settings::LoadServiceConf();
    if (Address().isEmpty()) {
        stored.flavour = Flavour::Service;
        stored.server.clear();
        stored.textLimit = 0;
        settings::SaveServiceConf(stored);
        mService.hosts = settings::ServiceHosts();
    } else {
        Enforce(mFound && mFoundAt == Address(), "A server is applied once it has been found");
        settings::SaveServiceConf(WithServer(stored, *mFound));
        mService.hosts = WithServer(mService.hosts, *mFound);
    }
    mOpenedWith =
        mService.hosts.OnServer() ? QString::fromStdString(mService.hosts.server) : QString();
    if (gDialogMain != nullptr) {
        gDialogMain->ChangeHosts(mService.hosts);
    }
    return before.flavour != mService.hosts.flavour || before.server != mService.hosts.server;
}

void ServerPart::ShowNote(const QString& text, bool failure) {
    lblServerFound->setText(text);
    lblServerFound->setToolTip(failure ? text : QString());
    SetColour(lblServerFound, QPalette::WindowText, failure ? kFailureText : kNoteText);
}
