#include "base/ThemeIcons.h"

#include <QStandardPaths>
#include <algorithm>

#include "base/Lightening.h"

namespace {

// Debian's default desktop theme, asked where the desktop names none that has the picture.
const QString kFallbackTheme = QStringLiteral("Adwaita");
constexpr int kLargerScales[] = {2, 3, 4};

// Where no desktop platform theme says where the icon themes are (the offscreen and plain X11
// platforms look in the program's resources alone), the freedesktop data folders are searched.
void FindTheThemes() {
    QStringList paths = QIcon::themeSearchPaths();
    const QStringList folders =
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                  QStandardPaths::LocateDirectory);
    for (const QString& folder : folders) {
        if (!paths.contains(folder)) {
            paths.append(folder);
        }
    }
    QIcon::setThemeSearchPaths(paths);
    // A desktop that names no theme has its icons looked up in Debian's default one.
    if (QIcon::themeName().isEmpty()) {
        QIcon::setThemeName(kFallbackTheme);
    }
    if (QIcon::fallbackThemeName().isEmpty() ||
        QIcon::fallbackThemeName() == QStringLiteral("hicolor")) {
        QIcon::setFallbackThemeName(kFallbackTheme);
    }
}

QIcon FromTheme(const QString& name) {
    static const bool found = (FindTheThemes(), true);
    Q_UNUSED(found);
    return QIcon::fromTheme(name);
}

}  // namespace

QIcon WithThemeSizes(const QIcon& own, const QString& themeName, bool hover) {
    const QList<QSize> sizes = own.availableSizes();
    const QIcon theme = FromTheme(themeName);
    if (sizes.isEmpty() || theme.isNull()) {
        return own;
    }
    const int side = std::max_element(sizes.begin(), sizes.end(), [](QSize a, QSize b) {
                         return a.width() < b.width();
                     })->width();
    QIcon icon = own;
    for (const int scale : kLargerScales) {
        const QSize larger(side * scale, side * scale);
        QImage picture = theme.pixmap(larger, 1.0).toImage();
        if (picture.isNull()) {
            continue;
        }
        if (picture.size() != larger) {
            picture = picture.scaled(larger, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        icon.addPixmap(QPixmap::fromImage(hover ? Lightened(picture) : picture));
    }
    return icon;
}
