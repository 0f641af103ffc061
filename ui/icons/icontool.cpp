// Build-time tool: turns one 16x16 PNG of the Silk icon set into the ICO files the program loads,
// optionally with a lightened copy shown while the mouse is over a picture button.
//
//   warblet_icon_tool SOURCE.png OUTPUT.ico [HOVER_OUTPUT.ico]

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QString>
#include <cstdio>

#include "../base/Lightening.h"

namespace {

int Fail(const QString& message) {
    std::fprintf(stderr, "warblet_icon_tool: %s\n", qPrintable(message));
    return 1;
}

bool WriteIco(const QImage& image, const QString& path, QString& error) {
    QImageWriter writer(path, "ico");
    if (writer.write(image)) {
        return true;
    }
    error = QString("cannot write %1: %2").arg(path, writer.errorString());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 3 && arguments.size() != 4) {
        return Fail("usage: warblet_icon_tool SOURCE.png OUTPUT.ico [HOVER_OUTPUT.ico]");
    }
    if (!QImageWriter::supportedImageFormats().contains("ico")) {
        return Fail(
            "Qt's ICO image plugin (imageformats/libqico) is not available; it comes with "
            "libqt6gui6. Searched: " +
            QCoreApplication::libraryPaths().join(", "));
    }

    QImageReader reader(arguments[1]);
    const QImage source = reader.read();
    if (source.isNull()) {
        return Fail(QString("cannot read %1: %2").arg(arguments[1], reader.errorString()));
    }

    QString error;
    if (!WriteIco(source, arguments[2], error)) {
        return Fail(error);
    }
    if (arguments.size() == 4 && !WriteIco(Lightened(source), arguments[3], error)) {
        return Fail(error);
    }
    return 0;
}
