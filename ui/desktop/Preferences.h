#pragma once

#include <QByteArray>
#include <QString>
#include <string>

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

// The defaults for what the file lacks or cannot be read. The file is read only when it is a
// regular file within the size limit of every file the program reads (a FIFO would block the
// read, a device never end it); otherwise failure, when given, receives the reason.
Preferences LoadPreferences(const QString& path = kPreferencesPath, std::string* failure = nullptr);
// Creates the folder when missing (for the owner alone) and writes the file readable by its owner
// alone; false when the file could not be written, also when something other than a regular file
// stands at path.
bool SavePreferences(const Preferences& preferences, const QString& path = kPreferencesPath);
