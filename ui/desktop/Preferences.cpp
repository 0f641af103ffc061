#include "desktop/Preferences.h"

#include <QSettings>

namespace {

const QString kNotify = QStringLiteral("notifications/enabled");
const QString kShowTray = QStringLiteral("tray/enabled");
const QString kCloseToTray = QStringLiteral("tray/keepRunningWhenClosed");
const QString kJapanTime = QStringLiteral("display/japanTime");
const QString kGeometry = QStringLiteral("window/geometry");
const QString kPage = QStringLiteral("window/page");

}  // namespace

Preferences LoadPreferences(const QString& path) {
    const QSettings file(path, QSettings::IniFormat);
    const Preferences defaults;
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
