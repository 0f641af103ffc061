#pragma once

#include <QString>
#include <functional>

class QCoreApplication;

// The interface's language from the environment, as the C library's message catalogues choose
// it: the first entry of LANGUAGE, else LC_ALL, else LC_MESSAGES, else LANG. "ja" for a Japanese
// choice, in which the interface shows its own texts; "en" for any other, or none.
QString InterfaceLanguage(const std::function<QString(const char*)>& environment);

// The same from the process's environment.
QString InterfaceLanguage();

// Installs the translation of the interface texts for language on the application; Japanese needs
// none. False when the translation for language is missing.
bool InstallTranslation(QCoreApplication& app, const QString& language);

// Removes what InstallTranslation installed, so that the interface shows its own texts again.
void RemoveTranslation(QCoreApplication& app);
