#include "page/StatusText.h"

#include <QCoreApplication>

#include "base/DialogKeys.h"

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("StatusText", text);
}

QString KindText(const SFailure& failure, const std::string& host) {
    switch (failure.kind) {
        case SFailure::Kind::CredentialRefused:
            return Tr(
                QT_TRANSLATE_NOOP("StatusText", "アカウント名かパスワードが受け付けられません"));
        case SFailure::Kind::Unreachable:
            return Tr(QT_TRANSLATE_NOOP("StatusText", "%1 に接続できません"))
                .arg(QString::fromStdString(host));
        case SFailure::Kind::ServerError:
            return Tr(QT_TRANSLATE_NOOP("StatusText", "サーバーのエラー: %1"))
                .arg(QString::fromStdString(failure.message));
        case SFailure::Kind::NotUnderstood:
            break;
    }
    return Tr(QT_TRANSLATE_NOOP("StatusText", "サーバーの応答を理解できません"));
}

}  // namespace

SStatusText FailureStatus(const SFailure& failure, const std::string& host, const QString& what) {
    SStatusText status;
    const QString kind = KindText(failure, host);
    status.text = what.isEmpty() ? kind : QStringLiteral("%1: %2").arg(what, kind);
    // The server's own message is the text already.
    if (failure.kind != SFailure::Kind::ServerError) {
        status.detail = QString::fromStdString(failure.message);
    }
    if (failure.kind == SFailure::Kind::CredentialRefused) {
        status.settingsLink = Tr(QT_TRANSLATE_NOOP("StatusText", "設定を開く"));
    }
    return status;
}

QString NoAccountStatus() {
    return Tr(QT_TRANSLATE_NOOP("StatusText", "アカウントがありません: 設定を開いてください (%1)"))
        .arg(kSettingsKeys.toString(QKeySequence::NativeText));
}
