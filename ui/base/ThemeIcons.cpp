#include "base/ThemeIcons.h"

#include <QIconEngine>
#include <QPainter>
#include <QStandardPaths>
#include <algorithm>
#include <map>
#include <optional>
#include <utility>

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

// The own pictures at scale 1; above it, the theme's picture at the size asked for, made the
// first time it is asked for. Most desktops run at scale 1, where no theme picture is ever made.
class ThemeSizedEngine : public QIconEngine {
  public:
    ThemeSizedEngine(QIcon own, QString themeName, bool hover)
        : mOwn(std::move(own)), mThemeName(std::move(themeName)), mHover(hover) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return mOwn.pixmap(size, mode, state);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        if (scale <= 1.0) {
            return mOwn.pixmap(size, mode, state);
        }
        const auto key = std::make_pair(size.width(), size.height());
        auto found = mLarger.find(key);
        if (found == mLarger.end()) {
            found = mLarger.emplace(key, Larger(size)).first;
        }
        return found->second;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal scale = painter->device()->devicePixelRatioF();
        QPixmap picture = scaledPixmap(rect.size() * scale, mode, state, scale);
        picture.setDevicePixelRatio(scale);
        painter->drawPixmap(rect, picture);
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        // The larger sizes whether or not the theme has the picture (it is not looked up for a
        // question of sizes): without it they are the own pictures.
        QList<QSize> sizes = mOwn.availableSizes(mode, state);
        const int side = LargestSide(mOwn);
        for (const int scale : kLargerScales) {
            sizes.append(QSize(side * scale, side * scale));
        }
        return sizes;
    }

    QIconEngine* clone() const override { return new ThemeSizedEngine(*this); }

  private:
    // The theme's picture, looked up when first needed: the lookup searches the theme's folders,
    // and at scale 1 nothing ever needs it.
    const QIcon& Theme() {
        if (!mTheme) {
            mTheme = FromTheme(mThemeName);
        }
        return *mTheme;
    }

    QPixmap Larger(const QSize& size) {
        QImage picture = Theme().pixmap(size, 1.0).toImage();
        if (picture.isNull()) {
            return mOwn.pixmap(size);
        }
        if (picture.size() != size) {
            picture = picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        return QPixmap::fromImage(mHover ? Lightened(picture) : picture);
    }

    static int LargestSide(const QIcon& icon) {
        const QList<QSize> sizes = icon.availableSizes();
        return std::max_element(sizes.begin(), sizes.end(),
                                [](QSize a, QSize b) { return a.width() < b.width(); })
            ->width();
    }

    QIcon mOwn;
    QString mThemeName;
    std::optional<QIcon> mTheme;  // once looked up
    bool mHover;
    std::map<std::pair<int, int>, QPixmap> mLarger;
};

}  // namespace

QIcon WithThemeSizes(const QIcon& own, const QString& themeName, bool hover) {
    if (own.availableSizes().isEmpty()) {
        return own;
    }
    return QIcon(new ThemeSizedEngine(own, themeName, hover));
}
