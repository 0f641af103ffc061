#include "base/Translation.h"

#include <QCoreApplication>
#include <QTranslator>

namespace {

const QString kJapanese = QStringLiteral("ja");
const QString kEnglish = QStringLiteral("en");
const char* const kTranslatorName = "warblet-translator";

// "ja_JP.UTF-8" and "ja" are Japanese; "C", "POSIX", "en_GB" and the like are not.
QString LanguageOf(const QString& locale) {
    return locale.startsWith(kJapanese) ? kJapanese : kEnglish;
}

}  // namespace

QString InterfaceLanguage(const std::function<QString(const char*)>& environment) {
    const QString locale = !environment("LC_ALL").isEmpty()        ? environment("LC_ALL")
                           : !environment("LC_MESSAGES").isEmpty() ? environment("LC_MESSAGES")
                                                                   : environment("LANG");
    // LANGUAGE lists the languages in order of preference; the C library ignores it when the
    // locale is the plain "C" one.
    const QString preferred =
        environment("LANGUAGE").section(u':', 0, 0, QString::SectionSkipEmpty);
    const bool plainC = locale == QStringLiteral("C") || locale.startsWith(QStringLiteral("C.")) ||
                        locale == QStringLiteral("POSIX");
    if (!preferred.isEmpty() && !plainC) {
        return LanguageOf(preferred);
    }
    return LanguageOf(locale);
}

QString InterfaceLanguage() {
    return InterfaceLanguage(
        [](const char* name) { return QString::fromLocal8Bit(qgetenv(name)); });
}

bool InstallTranslation(QCoreApplication& app, const QString& language) {
    RemoveTranslation(app);
    if (language == kJapanese) {
        return true;
    }
    auto* translator = new QTranslator(&app);
    translator->setObjectName(QLatin1String(kTranslatorName));
    if (!translator->load(QStringLiteral(":/i18n/warblet_%1.qm").arg(language))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void RemoveTranslation(QCoreApplication& app) {
    for (QTranslator* translator : app.findChildren<QTranslator*>(QLatin1String(kTranslatorName),
                                                                  Qt::FindDirectChildrenOnly)) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}
