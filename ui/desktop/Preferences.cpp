#include "desktop/Preferences.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "common/errors.h"
#include "platform/file.h"

namespace {

const QString kNotify = QStringLiteral("notifications/enabled");
const QString kShowTray = QStringLiteral("tray/enabled");
const QString kCloseToTray = QStringLiteral("tray/keepRunningWhenClosed");
const QString kJapanTime = QStringLiteral("display/japanTime");
const QString kGeometry = QStringLiteral("window/geometry");
const QString kPage = QStringLiteral("window/page");

// QSettings opens and reads the file as it finds it, and reads it again before it writes: only a
// regular file of a sane size may be left to it.
bool IsReadable(const QString& path, std::string* failure) {
    try {
        platform::CheckReadableFile(QFile::encodeName(path).toStdString());
        return true;
    } catch (const Exception& reason) {
        if (failure != nullptr) {
            *failure = reason.what();
        }
        return false;
    }
}

// The file is made, in a folder of the owner's, for the owner alone before QSettings writes it,
// which keeps the permissions of the file it replaces; a file written before is narrowed too.
bool MakeOwnerOnly(const QString& path) {
    try {
        platform::MakeDirectory(QFile::encodeName(QFileInfo(path).path()).toStdString());
    } catch (const Exception&) {
        return false;
    }
    QFile file(path);
    if (!file.exists() && !file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        return false;
    }
    file.close();
    return file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

}  // namespace

Preferences LoadPreferences(const QString& path, std::string* failure) {
    const Preferences defaults;
    if (!IsReadable(path, failure)) {
        return defaults;
    }
    const QSettings file(path, QSettings::IniFormat);
    Preferences preferences;
    preferences.notify = file.value(kNotify, defaults.notify).toBool();
    preferences.showTray = file.value(kShowTray, defaults.showTray).toBool();
    preferences.closeToTray = file.value(kCloseToTray, defaults.closeToTray).toBool();
    preferences.japanTime = file.value(kJapanTime, defaults.japanTime).toBool();
    preferences.windowGeometry = file.value(kGeometry).toByteArray();
    preferences.page = file.value(kPage, defaults.page).toInt();
    return preferences;
}

bool SavePreferences(const Preferences& preferences, const QString& path) {
    if (!IsReadable(path, nullptr) || !MakeOwnerOnly(path)) {
        return false;
    }
    QSettings file(path, QSettings::IniFormat);
    file.setValue(kNotify, preferences.notify);
    file.setValue(kShowTray, preferences.showTray);
    file.setValue(kCloseToTray, preferences.closeToTray);
    file.setValue(kJapanTime, preferences.japanTime);
    if (preferences.windowGeometry.isEmpty()) {
        file.remove(kGeometry);
    } else {
        file.setValue(kGeometry, preferences.windowGeometry);
    }
    file.setValue(kPage, preferences.page);
    file.sync();
    return file.status() == QSettings::NoError;
}
