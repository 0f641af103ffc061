#include "base/IconFiles.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

constexpr std::string_view kIconFolder = "dat/";

}  // namespace

std::string FindIconFile(const std::string& path) {
    if (!path.starts_with(kIconFolder) || QFileInfo::exists(QString::fromStdString(path)) ||
        QCoreApplication::instance() == nullptr) {
        return path;
    }
    // WARBLET_DATA_FROM_BIN: the installed data folder relative to the installed programs.
    const QString installed = QCoreApplication::applicationDirPath() +
                              QStringLiteral("/" WARBLET_DATA_FROM_BIN "/") +
                              QString::fromStdString(path);
    return QFileInfo::exists(installed) ? QFileInfo(installed).canonicalFilePath().toStdString()
                                        : path;
}
