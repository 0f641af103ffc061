#pragma once

#include <QByteArray>
#include <QString>

// The program's own comforts, kept apart from the settings archive in an INI file of their own.
struct Preferences {
    bool notify = true;         // desktop notifications of new mentions and messages
    bool showTray = true;       // an icon in the tray, where the desktop has one
    bool closeToTray = false;   // closing the window keeps the program in the tray
    bool japanTime = false;     // times in Japan time, as stored, not the machine's zone
    QByteArray windowGeometry;  // as QWidget::saveGeometry gives it; empty: the layout's
    int page = 0;               // the tab shown
};

// Relative to the working folder, beside the settings archive.
inline const QString kPreferencesPath = QStringLiteral("setting/preferences.ini");

// The defaults for what the file lacks or cannot be read.
Preferences LoadPreferences(const QString& path = kPreferencesPath);
// Creates the folder when missing; false when the file could not be written.
bool SavePreferences(const Preferences& preferences, const QString& path = kPreferencesPath);
