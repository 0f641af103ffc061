#include "demo.h"

#include <sys/prctl.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <csignal>

#include "common/errors.h"
#include "common/escaped.h"
#include "settings/settinginfo.h"

namespace {

constexpr int kStartWaitMs = 10'000;
constexpr int kStopWaitMs = 3000;
constexpr int kPollMs = 50;
constexpr const char* kPortFileName = "standin.port";

QString Installed(const QString& relative) {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/") + relative;
}

QString RequireFile(const QString& path) {
    if (!QFileInfo::exists(path)) {
        throw Exception("Cannot find " + EscapeControls(path.toStdString()) +
                        ": --demo needs the stand-in installed beside the program");
    }
    return path;
}

}  // namespace

CDemoService::CDemoService(twitter_api::Flavour flavour)
    : mPortFile(QDir::current().absoluteFilePath(QString::fromLatin1(kPortFileName))) {
    const QString program = RequireFile(Installed(QStringLiteral("warblet-standin")));
    const QString seed =
        RequireFile(Installed(QStringLiteral(WARBLET_DATA_FROM_BIN "/standin-seed.json")));
    // One left by a run that was killed would name a port nobody listens on any more.
    if (QFile::exists(mPortFile) && !QFile::remove(mPortFile)) {
        throw Exception("Cannot remove the old port file " +
                        EscapeControls(mPortFile.toStdString()));
    }
    mProcess.setStandardOutputFile(QProcess::nullDevice());
    mProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    mProcess.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    // The state file in the demo's folder keeps the stand-in's statuses from one run to the next;
    // each kind of server has its own, as their seeds differ.
    QString stateFile = QStringLiteral("standin-state.json");
    QStringList arguments = {QStringLiteral("--seed"),      seed,
                             QStringLiteral("--live"),      QStringLiteral("--quiet"),
                             QStringLiteral("--port-file"), mPortFile};
    if (flavour != twitter_api::Flavour::Service) {
        const std::string_view key = twitter_api::FlavourKey(flavour);
        const QString name = QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()));
        arguments << QStringLiteral("--flavour") << name;
        stateFile = QStringLiteral("standin-state-%1.json").arg(name);
    }
    arguments << QStringLiteral("--state") << QDir::current().absoluteFilePath(stateFile);
    mProcess.start(program, arguments);
    if (!mProcess.waitForStarted()) {
        throw Exception("Cannot start " + EscapeControls(program.toStdString()) + ": " +
                        mProcess.errorString().toStdString());
    }
    WaitForPort();
}

CDemoService::~CDemoService() {
    mProcess.terminate();
    if (!mProcess.waitForFinished(kStopWaitMs)) {
        mProcess.kill();
        mProcess.waitForFinished(kStopWaitMs);
    }
    QFile::remove(mPortFile);
}

// The stand-in writes the file whole, by renaming, once it listens.
void CDemoService::WaitForPort() {
    QFile portFile(mPortFile);
    const QDeadlineTimer deadline(kStartWaitMs);
    while (!portFile.exists()) {
        if (mProcess.state() == QProcess::NotRunning || deadline.hasExpired()) {
            throw Exception("The stand-in of the service did not start within " +
                            std::to_string(kStartWaitMs) + " ms");
        }
        QThread::msleep(kPollMs);
    }
    if (!portFile.open(QIODevice::ReadOnly)) {
        throw Exception("Cannot read the stand-in's port file");
    }
    mHost = "127.0.0.1:" + portFile.readAll().trimmed().toStdString();
}

void PrepareDemoAccount() {
    if (!gSetting->GetAccountName().empty()) {
        return;
    }
    gSetting->SetCredential(DialogSetting::MakeCredential("demo", "demo"));
    gSetting->mAutoReloadType = DialogSetting::EVERY3MINUTES;
    DialogSetting::SaveSettingInfo();
}
